#include "port/portnotify.h"

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <map>
#include <string>

QEvent::Type RegisterPortMessage(const char *name)
{
    static std::mutex registryMutex;
    static std::map<std::string, int> registry;
    std::lock_guard lock(registryMutex);
    auto [it, inserted] = registry.try_emplace(name, 0);
    if (inserted)
        it->second = QEvent::registerEventType();
    return QEvent::Type(it->second);
}

QEvent::Type PortDefaultMessage()
{
    static const QEvent::Type type = RegisterPortMessage(kPortDefaultMessageName);
    return type;
}

namespace {

// Lives on the owner's thread; only that thread reads m_owner.
class CPortRelay : public QObject
{
public:
    CPortRelay(QObject *owner, QEvent::Type type) : m_owner(owner), m_type(type) {}

    // Owner's thread only. False when the owner no longer exists.
    bool DeliverNow(uint16_t code, uint16_t error, uint32_t lParam)
    {
        if (!m_owner)
            return false;
        CPortMsgEvent msg(m_type, code, error, lParam);
        QCoreApplication::sendEvent(m_owner.data(), &msg);
        return true;
    }

protected:
    bool event(QEvent *e) override;

private:
    QPointer<QObject> m_owner;
    const QEvent::Type m_type;
};

struct Delivery
{
    bool done = false;    // guarded by Link::mutex
    bool handled = false; // guarded by Link::mutex; false when the owner was gone
};

} // namespace

struct CPortNotifier::Link
{
    CPortRelay *relay = nullptr; // deleted (later) only after closed is set
    QThread *ownerThread = nullptr;
    QEvent::Type type = QEvent::None;
    std::mutex mutex;
    std::condition_variable cv;
    bool closed = false; // guarded by mutex
};

namespace {

std::atomic<int> g_pendingSends{0};

QEvent::Type RelayEventType()
{
    static const QEvent::Type type = RegisterPortMessage("CPortEx_RelayMsg");
    return type;
}

class CRelayEvent : public QEvent
{
public:
    CRelayEvent(std::shared_ptr<CPortNotifier::Link> theLink, std::shared_ptr<Delivery> theDelivery,
                uint16_t theCode, uint16_t theError, uint32_t theLParam)
        : QEvent(RelayEventType()), link(std::move(theLink)), delivery(std::move(theDelivery)),
          code(theCode), error(theError), lParam(theLParam)
    {
    }

    std::shared_ptr<CPortNotifier::Link> link;
    std::shared_ptr<Delivery> delivery; // null for a posted notification
    uint16_t code;
    uint16_t error;
    uint32_t lParam;
};

bool CPortRelay::event(QEvent *e)
{
    if (e->type() != RelayEventType())
        return QObject::event(e);
    auto *relayed = static_cast<CRelayEvent *>(e);
    if (!relayed->delivery) {
        DeliverNow(relayed->code, relayed->error, relayed->lParam);
        return true;
    }
    CPortNotifier::Link &link = *relayed->link;
    {
        std::lock_guard lock(link.mutex);
        if (link.closed)
            return true; // the sender has been released already
    }
    const bool handled = DeliverNow(relayed->code, relayed->error, relayed->lParam);
    {
        std::lock_guard lock(link.mutex);
        relayed->delivery->done = true;
        relayed->delivery->handled = handled;
    }
    link.cv.notify_all();
    return true;
}

} // namespace

CPortNotifier::~CPortNotifier()
{
    Detach();
}

void CPortNotifier::Attach(QObject *owner, uint32_t message)
{
    Detach();
    if (!owner)
        return;
    auto link = std::make_shared<Link>();
    link->type = message ? QEvent::Type(message) : PortDefaultMessage();
    link->ownerThread = owner->thread();
    link->relay = new CPortRelay(owner, link->type);
    if (link->ownerThread != QThread::currentThread())
        link->relay->moveToThread(link->ownerThread);
    std::lock_guard lock(m_mutex);
    m_link = std::move(link);
}

void CPortNotifier::Detach()
{
    std::shared_ptr<Link> link;
    {
        std::lock_guard lock(m_mutex);
        link.swap(m_link);
    }
    if (!link)
        return;
    {
        std::lock_guard lock(link->mutex);
        link->closed = true;
    }
    link->cv.notify_all();
    // Posted notifications queued before this point still reach the owner:
    // the deferred delete comes after them in the relay's queue.
    link->relay->deleteLater();
}

int CPortNotifier::PendingSends()
{
    return g_pendingSends.load();
}

bool CPortNotifier::IsAttached() const
{
    return CurrentLink() != nullptr;
}

uint32_t CPortNotifier::Message() const
{
    auto link = CurrentLink();
    return link ? uint32_t(link->type) : 0;
}

std::shared_ptr<CPortNotifier::Link> CPortNotifier::CurrentLink() const
{
    std::lock_guard lock(m_mutex);
    return m_link;
}

void CPortNotifier::Post(uint16_t code, uint16_t error, uint32_t lParam) const
{
    auto link = CurrentLink();
    if (!link)
        return;
    std::lock_guard lock(link->mutex);
    if (!link->closed)
        QCoreApplication::postEvent(link->relay,
                                    new CRelayEvent(link, nullptr, code, error, lParam));
}

bool CPortNotifier::Send(uint16_t code, uint16_t error, uint32_t lParam) const
{
    auto link = CurrentLink();
    if (!link)
        return false;
    if (QThread::currentThread() == link->ownerThread) {
        {
            std::lock_guard lock(link->mutex);
            if (link->closed)
                return false;
        }
        return link->relay->DeliverNow(code, error, lParam);
    }
    auto delivery = std::make_shared<Delivery>();
    std::unique_lock lock(link->mutex);
    if (link->closed)
        return false;
    QCoreApplication::postEvent(link->relay, new CRelayEvent(link, delivery, code, error, lParam));
    ++g_pendingSends;
    link->cv.wait(lock, [&] { return delivery->done || link->closed; });
    --g_pendingSends;
    return delivery->done && delivery->handled;
}
