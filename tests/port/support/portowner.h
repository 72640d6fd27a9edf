// Port owners for tests. CTestPortOwner lives on a thread of its own with an
// event loop, standing in for the window thread; CWindowOwner lives on the
// test's thread (the network kind's socket events run there), which must
// process events (ProcessEventsUntil) for anything to arrive.
#pragma once

#include "port/portnotify.h"

#include <QEvent>
#include <QObject>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QThread;

struct PortMsg
{
    uint16_t code = 0;
    uint16_t error = 0;
    uint32_t lParam = 0;
};

inline int CountCode(const std::vector<PortMsg> &messages, uint16_t code)
{
    return int(std::ranges::count(messages, code, &PortMsg::code));
}

// The last message of `code`, or null.
inline const PortMsg *LastCode(const std::vector<PortMsg> &messages, uint16_t code)
{
    auto found = std::ranges::find(messages.rbegin(), messages.rend(), code, &PortMsg::code);
    return found == messages.rend() ? nullptr : &*found;
}

class CTestPortOwner
{
public:
    using Handler = std::function<void(const PortMsg &)>;
    static constexpr std::chrono::milliseconds kWait{10000}; // "doesn't hang" bound

    CTestPortOwner();
    ~CTestPortOwner();
    CTestPortOwner(const CTestPortOwner &) = delete;
    CTestPortOwner &operator=(const CTestPortOwner &) = delete;

    QObject *Object() const { return m_object; } // give this to OpenPort

    // Every notification so far: those already posted are let through first
    // (so never call these while the owner's thread is blocked).
    std::vector<PortMsg> Messages() const;
    std::vector<uint16_t> Codes() const;
    int CountOf(uint16_t code) const { return CountCode(Messages(), code); }
    void Clear();

    bool WaitForCode(uint16_t code, int count = 1, std::chrono::milliseconds timeout = kWait) const;

    // Runs on the owner's thread for each notification, before it is recorded.
    void SetHandler(Handler handler);
    // Keeps the owner's thread busy (not handling events) until Unblock.
    void Block();
    void Unblock();
    // Deletes the owner object on its thread; later notifications are lost.
    void DeleteOwner();
    // Runs `work` on the owner's thread and waits for it.
    void RunOnOwnerThread(const std::function<void()> &work) const;

    struct State;

private:
    std::shared_ptr<State> m_state;
    QThread *m_thread = nullptr;
    QObject *m_object = nullptr;  // lives on m_thread
    QObject *m_context = nullptr; // lives on m_thread; runs RunOnOwnerThread work
};

// Sleeps in short steps until `done` or the time-out; true if `done`.
bool PollUntil(const std::function<bool()> &done,
               std::chrono::milliseconds timeout = CTestPortOwner::kWait);
// Processes the calling thread's events until `done` or the time-out.
bool ProcessEventsUntil(const std::function<bool()> &done,
                        std::chrono::milliseconds timeout = CTestPortOwner::kWait);
// Processes events for a while, for checks that something does NOT happen.
void ProcessEventsFor(int ms);
// Waits until `count` sent notifications wait for their owner.
bool WaitForPendingSends(int count);

class CWindowOwner : public QObject
{
public:
    std::vector<PortMsg> messages;
    std::function<void(const PortMsg &)> handler;

    int CountOf(uint16_t code) const { return CountCode(messages, code); }
    const PortMsg *Last(uint16_t code) const { return LastCode(messages, code); }
    bool WaitForCode(uint16_t code, int count = 1,
                     std::chrono::milliseconds timeout = CTestPortOwner::kWait)
    {
        return ProcessEventsUntil([&] { return CountOf(code) >= count; }, timeout);
    }

protected:
    bool event(QEvent *e) override
    {
        if (e->type() != PortDefaultMessage())
            return QObject::event(e);
        const auto *msg = static_cast<CPortMsgEvent *>(e);
        messages.push_back({msg->Code(), msg->Error(), msg->LParam()});
        if (handler)
            handler(messages.back());
        return true;
    }
};
