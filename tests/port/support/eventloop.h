// Runs the test thread's event loop, which plays the window thread.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>

// Processes events for a while, for checks that something does NOT happen.
inline void ProcessEventsFor(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}
