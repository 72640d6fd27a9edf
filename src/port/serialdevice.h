// The serial line of a CSerialPort: the device from the device layer's
// seam (portdevice.h), and the rule that holds output under hardware flow.
//
// Thread contract: Open, Close and Purge on the window thread while the port
// has no other thread; the rest from the monitor and file threads.
#pragma once

#include "port/portdevice.h"

#include <atomic>
#include <memory>
#include <string>

class CSerialDevice
{
public:
    explicit CSerialDevice(CPortDeviceOpener &opener) : m_opener(opener) {}

    SerialOpenResult Open(const std::string &path, const tagSERIAL_CFG &settings);
    void Close() { m_device.reset(); }
    bool IsOpen() const { return m_device != nullptr; }
    CPortDevice &File() { return *m_device; }

    // Discards what is queued in both directions.
    void Purge() { m_device->Purge(); }
    // Bytes waiting to be read.
    uint32_t InputQueued() { return m_device->InputQueued(); }
    // Hardware flow holds output while DSR is low; a line without modem
    // status (a pseudo-terminal) is never held.
    bool OutputHeld();

private:
    CPortDeviceOpener &m_opener;
    std::unique_ptr<CPortDevice> m_device;
    bool m_holdOnDsr = false; // set by Open before any thread starts
    std::atomic<bool> m_noModemStatus{false};
};
