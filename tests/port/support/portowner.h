// A port owner for tests: a QObject on a thread of its own with an event loop,
// standing in for the view on the window thread. It records every port
// notification in order and lets a test wait for codes, react inside the
// handler (for example Read on code 1), hold the owner's thread busy, or
// delete the owner.
#pragma once

#include <QEvent>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class QObject;
class QThread;

struct PortMsg
{
    uint16_t code = 0;
    uint16_t error = 0;
    uint32_t lParam = 0;
};

class CTestPortOwner
{
public:
    using Handler = std::function<void(const PortMsg &)>;
    static constexpr std::chrono::milliseconds kWait{10000}; // "doesn't hang" bound

    // type 0: the default port message.
    explicit CTestPortOwner(QEvent::Type type = QEvent::None);
    ~CTestPortOwner();
    CTestPortOwner(const CTestPortOwner &) = delete;
    CTestPortOwner &operator=(const CTestPortOwner &) = delete;

    QObject *Object() const { return m_object; } // give this to OpenPort

    std::vector<PortMsg> Messages() const;
    std::vector<uint16_t> Codes() const;
    int CountOf(uint16_t code) const;
    void Clear();

    // Waits until `count` notifications with `code` have been handled.
    bool WaitForCode(uint16_t code, int count = 1, std::chrono::milliseconds timeout = kWait) const;
    bool WaitUntil(const std::function<bool(const std::vector<PortMsg> &)> &done,
                   std::chrono::milliseconds timeout = kWait) const;

    // Runs on the owner's thread for each notification, after it is recorded.
    void SetHandler(Handler handler);

    // Keeps the owner's thread busy (not handling events) until Unblock.
    void Block();
    void Unblock();

    // Deletes the owner object on its thread; later notifications are lost.
    void DeleteOwner();
    // Runs `work` on the owner's thread and waits for it.
    void RunOnOwnerThread(const std::function<void()> &work);

    struct State; // shared with the owner object

private:
    std::shared_ptr<State> m_state;
    QThread *m_thread = nullptr;
    QObject *m_object = nullptr;  // lives on m_thread
    QObject *m_context = nullptr; // lives on m_thread; runs RunOnOwnerThread work
};

// Processes the calling thread's events until `done` or the time-out.
bool ProcessEventsUntil(const std::function<bool()> &done,
                        std::chrono::milliseconds timeout = CTestPortOwner::kWait);
