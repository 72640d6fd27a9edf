// Runs the test thread's event loop, which plays the window thread.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <functional>

// Processes events until `done` holds; false if it still does not after the
// (generous) time-out.
inline bool ProcessEventsUntil(const std::function<bool()> &done, int timeoutMs = 20000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Processes events for a while, for checks that something does NOT happen.
inline void ProcessEventsFor(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}
