// A scriptable USB printer for the USB port tests: records every write
// request, hands out queued "printer" bytes on read requests, and can fail its
// status, take short writes or hang a write until released or reset.
#pragma once

#include "port/usbdevice.h"

#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <vector>

class CFakeUsbDevices : public CUsbDeviceOpener
{
public:
    struct State
    {
        uint32_t openError = 0; // opens fail with this port error
        bool statusFails = false;
        bool holdWrites = false; // write requests wait until cleared or an output reset
        bool writeWaiting = false;
        int outputResets = 0;
        int readRequests = 0;
        std::string incoming; // handed out by read requests
        std::string written;
        std::vector<uint32_t> writeSizes;
    };

    explicit CFakeUsbDevices(std::set<int> present = {0}) : m_present(std::move(present)) {}

    std::unique_ptr<CUsbDevice> Open(const std::string &name, uint32_t &error) override;
    bool Probe(const std::string &name) override;

    // Runs `f` on the state under its lock and wakes waiting writes.
    template <typename F> auto With(F &&f)
    {
        std::lock_guard lock(m_mutex);
        struct Notify
        {
            std::condition_variable &cv;
            ~Notify() { cv.notify_all(); }
        } notify{m_changed};
        return f(m_state);
    }
    // Waits until `done(state)` (false after a generous time-out).
    template <typename F> bool WaitFor(F &&done)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(20), [&] { return done(m_state); });
    }
    bool WaitForHeldWrite()
    {
        return WaitFor([](const State &s) { return s.writeWaiting; });
    }

private:
    friend class CFakeUsbDevice;
    std::set<int> m_present;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    State m_state;
};
