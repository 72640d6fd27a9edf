// Events with the two reset rules the port threads rely on.
//
// A port thread waits on one of these instead of sleeping so that a stop or a
// close can wake it at once. Signal() may come from any thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

class CPortEvent
{
public:
    enum class Reset
    {
        Manual,
        Auto
    };

    explicit CPortEvent(Reset reset) : m_reset(reset) {}
    CPortEvent(const CPortEvent &) = delete;
    CPortEvent &operator=(const CPortEvent &) = delete;

    void Signal()
    {
        {
            std::lock_guard lock(m_mutex);
            m_signalled = true;
        }
        m_cv.notify_all();
    }

    void ResetEvent()
    {
        std::lock_guard lock(m_mutex);
        m_signalled = false;
    }

    // Waits without time-out; an auto-reset event is consumed by the waiter.
    void Wait()
    {
        std::unique_lock lock(m_mutex);
        m_cv.wait(lock, [this] { return m_signalled; });
        Consume();
    }

    // True when the event was signalled within the time-out.
    bool WaitFor(std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(m_mutex);
        if (!m_cv.wait_for(lock, timeout, [this] { return m_signalled; }))
            return false;
        Consume();
        return true;
    }

private:
    void Consume()
    {
        if (m_reset == Reset::Auto)
            m_signalled = false;
    }

    const Reset m_reset;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_signalled = false; // guarded by m_mutex
};
