// A port owner on the test's own thread, which plays the window thread: the
// network port's socket events run there, and so does every handler, as in
// the program. The test thread must process events (ProcessEventsUntil) for
// anything to arrive.
#pragma once

#include "portnotify.h"
#include "portowner.h"

#include <QObject>

#include <algorithm>
#include <functional>
#include <vector>

class CWindowOwner : public QObject
{
public:
    std::vector<PortMsg> messages;
    std::function<void(const PortMsg &)> handler;

    int CountOf(uint16_t code) const
    {
        return static_cast<int>(std::count_if(messages.begin(), messages.end(),
                                              [&](const PortMsg &m) { return m.code == code; }));
    }
    const PortMsg *Last(uint16_t code) const
    {
        auto found = std::find_if(messages.rbegin(), messages.rend(),
                                  [&](const PortMsg &m) { return m.code == code; });
        return found == messages.rend() ? nullptr : &*found;
    }
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
