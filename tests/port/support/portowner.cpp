#include "portowner.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <condition_variable>
#include <iterator>
#include <mutex>
#include <thread>

struct CTestPortOwner::State
{
    mutable std::mutex mutex;
    mutable std::condition_variable cv;
    std::vector<PortMsg> messages; // guarded by mutex, as are the next two
    Handler handler;
    bool blocked = false;
};

namespace {

class COwnerObject : public QObject
{
public:
    explicit COwnerObject(std::shared_ptr<CTestPortOwner::State> state) : m_state(std::move(state))
    {
    }

protected:
    bool event(QEvent *e) override
    {
        if (e->type() != PortDefaultMessage())
            return QObject::event(e);
        const auto *msg = static_cast<const CPortMsgEvent *>(e);
        const PortMsg record{msg->Code(), msg->Error(), msg->LParam()};
        std::unique_lock lock(m_state->mutex);
        const CTestPortOwner::Handler handler = m_state->handler;
        lock.unlock();
        if (handler)
            handler(record);
        lock.lock(); // recorded once handled, so a waiting test sees the handler's effects
        m_state->messages.push_back(record);
        m_state->cv.notify_all();
        return true;
    }

private:
    std::shared_ptr<CTestPortOwner::State> m_state;
};

} // namespace

CTestPortOwner::CTestPortOwner() : m_state(std::make_shared<State>())
{
    m_thread = new QThread;
    m_object = new COwnerObject(m_state);
    m_context = new QObject;
    m_object->moveToThread(m_thread);
    m_context->moveToThread(m_thread);
    m_thread->start();
}

CTestPortOwner::~CTestPortOwner()
{
    Unblock();
    DeleteOwner();
    RunOnOwnerThread([this] { delete m_context; });
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
}

std::vector<PortMsg> CTestPortOwner::Messages() const
{
    RunOnOwnerThread([] {});
    std::lock_guard lock(m_state->mutex);
    return m_state->messages;
}

std::vector<uint16_t> CTestPortOwner::Codes() const
{
    std::vector<uint16_t> codes;
    std::ranges::transform(Messages(), std::back_inserter(codes), &PortMsg::code);
    return codes;
}

void CTestPortOwner::Clear()
{
    std::lock_guard lock(m_state->mutex);
    m_state->messages.clear();
}

bool CTestPortOwner::WaitForCode(uint16_t code, int count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_state->mutex);
    return m_state->cv.wait_for(lock, timeout,
                                [&] { return CountCode(m_state->messages, code) >= count; });
}

void CTestPortOwner::SetHandler(Handler handler)
{
    std::lock_guard lock(m_state->mutex);
    m_state->handler = std::move(handler);
}

void CTestPortOwner::Block()
{
    std::lock_guard lock(m_state->mutex);
    m_state->blocked = true;
    QMetaObject::invokeMethod(
        m_context,
        [state = m_state] {
            std::unique_lock held(state->mutex);
            state->cv.wait(held, [&] { return !state->blocked; });
        },
        Qt::QueuedConnection);
}

void CTestPortOwner::Unblock()
{
    std::lock_guard lock(m_state->mutex);
    m_state->blocked = false;
    m_state->cv.notify_all();
}

void CTestPortOwner::DeleteOwner()
{
    if (QObject *object = std::exchange(m_object, nullptr))
        RunOnOwnerThread([object] { delete object; });
}

void CTestPortOwner::RunOnOwnerThread(const std::function<void()> &work) const
{
    QMetaObject::invokeMethod(m_context, work, Qt::BlockingQueuedConnection);
}

bool PollUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

bool ProcessEventsUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout)
{
    return PollUntil(
        [&] {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            return done();
        },
        timeout);
}

void ProcessEventsFor(int ms)
{
    ProcessEventsUntil([] { return false; }, std::chrono::milliseconds(ms));
}

bool WaitForPendingSends(int count)
{
    return PollUntil([&] { return CPortNotifier::PendingSends() == count; });
}
