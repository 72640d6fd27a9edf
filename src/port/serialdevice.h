// The serial device of the OS: exclusive open, line settings, queue sizes
// and modem lines. linux/serialdevice_linux.cpp is the Linux side.
//
// Thread contract: Open, Close and Purge on the window thread while the port
// has no other thread; the rest from the monitor and file threads.
#pragma once

#include "devicefile.h"
#include "portcfg.h"

#include <atomic>
#include <string>

class CSerialDevice
{
public:
    // Where an open failed; each has its own trace.
    enum class OpenStep
    {
        Done,
        OpenDevice,
        GetState,
        SetState,
        Setup
    };
    struct OpenResult
    {
        OpenStep failedAt = OpenStep::Done;
        int osError = 0; // 0 when the settings themselves were refused
    };

    OpenResult Open(const std::string &path, const tagSERIAL_CFG &settings);
    void Close();
    bool IsOpen() const { return m_file.IsOpen(); }
    CDeviceFile &File() { return m_file; }

    // Discards what is queued in both directions.
    void Purge();
    // Bytes waiting to be read.
    uint32_t InputQueued();
    // Hardware flow holds output while DSR is low; a line without modem
    // status (a pseudo-terminal) is never held.
    bool OutputHeld();

private:
    CDeviceFile m_file;
    bool m_holdOnDsr = false; // set by Open before any thread starts
    std::atomic<bool> m_noModemStatus{false};
};
