// The device the serial and parallel kinds talk to. Every byte they write or
// read, every wait on the device and every query of its lines goes through a
// CPortDevice, opened by a CPortDeviceOpener. The system's opener
// (linux/portdevice_linux.cpp) is the default; tests hand a kind an opener
// whose devices fail on command or play modem lines a pseudo-terminal lacks.
//
// Thread contract: as CDeviceFile (devicefile.h). The kind opens and drops
// the device on the window thread while no other thread uses it; Write,
// Read, Wait and the line calls may run on its monitor and file threads.
#pragma once

#include "port/devicefile.h"
#include "port/portcfg.h"

#include <cstdint>
#include <memory>
#include <string>

// Modem lines, as GetModemLines reports and SetModemLines changes them.
enum ModemLine : unsigned
{
    kLineDtr = 1,
    kLineRts = 2,
    kLineCts = 4,
    kLineDsr = 8,
    kLineDcd = 16,
    kLineRi = 32,
};

class CPortDevice
{
public:
    virtual ~CPortDevice() = default;

    virtual DeviceIo Write(const uint8_t *bytes, std::size_t length) = 0;
    virtual DeviceIo Read(uint8_t *buffer, std::size_t capacity) = 0;
    // CDeviceFile::Wait: the WaitResult bits of what happened.
    virtual unsigned Wait(bool readable, bool writable, CDeviceWaker &waker, int timeoutMs) = 0;
    // CDeviceFile::WaitNewInput: bytes left unread do not report again.
    virtual unsigned WaitNewInput(bool writable, CDeviceWaker &waker, int timeoutMs) = 0;
    // Bytes waiting to be read (0 when the device cannot tell).
    virtual uint32_t InputQueued() = 0;
    // Discards what is queued in both directions.
    virtual void Purge() = 0;
    // 0 with the ModemLine bits, or the OS error (a line without modem
    // status, such as a pseudo-terminal, answers ENOTTY).
    virtual int GetModemLines(unsigned &lines) = 0;
    // Raises the lines in `raise` and drops those in `drop` (DTR, RTS);
    // 0 or the OS error.
    virtual int SetModemLines(unsigned raise, unsigned drop) = 0;
    // Holds the line in the break state for about `durationMs`; 0 or the OS error.
    virtual int SendBreak(int durationMs) = 0;
};

// Where a serial open failed; each step has its own trace.
enum class SerialOpenStep
{
    Done,
    OpenDevice,
    GetState,
    SetState,
    Setup
};

struct SerialOpenResult
{
    SerialOpenStep failedAt = SerialOpenStep::Done;
    int osError = 0;        // 0 when the settings themselves were refused
    bool holdOnDsr = false; // hardware flow: output waits while DSR is low
};

class CPortDeviceOpener
{
public:
    virtual ~CPortDeviceOpener() = default;

    // Opens `path` exclusively as a serial line with `settings` applied
    // (DTR and RTS as the flow control wants them); null when `result` says
    // where it failed.
    virtual std::unique_ptr<CPortDevice> OpenSerial(const std::string &path,
                                                    const tagSERIAL_CFG &settings,
                                                    SerialOpenResult &result) = 0;
    // Opens `path` exclusively for writing to a parallel port; null with
    // `osError` set when it cannot.
    virtual std::unique_ptr<CPortDevice> OpenParallel(const std::string &path, int &osError) = 0;
};

// The opener of the system's own devices.
CPortDeviceOpener &SystemPortDeviceOpener();
