// A scriptable USB printer for the USB port tests: records every write request,
// hands out queued "printer" bytes on read requests, and can fail its status,
// take short writes or hang a write until released or reset.
#pragma once

#include "usbdevice.h"

#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <vector>

class CFakeUsbDevices : public CUsbDeviceOpener
{
public:
    explicit CFakeUsbDevices(std::set<int> present = {0});

    std::unique_ptr<CUsbDevice> Open(const std::string &name, uint32_t &error) override;
    bool Probe(const std::string &name) override;

    // ---- script ----
    void SetStatusFails(bool fails);
    void QueueIncoming(const std::string &bytes);
    // Write requests take at most this many bytes (a short write).
    void LimitWriteTo(uint32_t bytes);
    // Write requests wait until ReleaseWrites or a reset of the output side.
    void HoldWrites();
    void ReleaseWrites();

    // ---- what happened ----
    std::vector<uint32_t> WriteSizes() const;
    std::string Written() const;
    int ReadRequests() const;
    int OutputResets() const;
    // Waits until a write request is held (false after a generous time-out).
    bool WaitForHeldWrite() const;
    // Waits until the total written reaches `bytes` (false after a generous time-out).
    bool WaitForWritten(std::size_t bytes) const;

    struct State;

private:
    std::vector<std::string> m_present;
    std::shared_ptr<State> m_state;
};
