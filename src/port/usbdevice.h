// The USB printer device layer: the four operations the USB port kind drives a
// printer with, whatever reaches the printer underneath (the usblp character
// device on Linux, a fake device in the tests).
//
// Errors are reported as the port error numbers of porterror.h that a CUsbPort
// keeps as its last error (2 no such device, 5 access denied, 32 opened by
// someone else, 1167 device not connected, 31 any other device failure).
//
// Thread contract: one CUsbDevice is used by the writer thread and the file
// thread (Status, Write), the reader thread (Read) and the window thread
// (Status, Write, Reset). Reset may be called while a Write or Read of the same
// side waits in another thread, and makes it return; every other pair of calls
// may also run at the same time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

inline constexpr uint32_t kUsbChunkSize = 1024;

enum class UsbSide
{
    Output = 0,
    Input = 1
};

class CUsbDevice
{
public:
    virtual ~CUsbDevice() = default;

    // Any failure means the device is gone or not ready; the status word itself
    // carries no meaning for the port.
    virtual bool Status(uint32_t &error) = 0;
    // Writes at most kUsbChunkSize bytes; `written` receives the count taken.
    virtual bool Write(const uint8_t *data, uint32_t length, uint32_t &written,
                       uint32_t &error) = 0;
    // Reads what the printer has sent, at most kUsbChunkSize bytes; 0 bytes with
    // a true result means nothing was waiting.
    virtual bool Read(uint8_t *buffer, uint32_t &received, uint32_t &error) = 0;
    // Ends a transfer of that side that hangs.
    virtual void Reset(UsbSide side) = 0;
};

class CUsbDeviceOpener
{
public:
    virtual ~CUsbDeviceOpener() = default;

    // Opens the device named `name` ("\\.\QXUSB-n") for the port's exclusive
    // use; null with `error` set when it cannot.
    virtual std::unique_ptr<CUsbDevice> Open(const std::string &name, uint32_t &error) = 0;
    // True when the device named `name` is present: it opens for writing (and
    // is closed again at once), or it is refused only because another program
    // holds it or this user may not open it (UsbProbeFindsDevice).
    virtual bool Probe(const std::string &name) = 0;
};

// Whether a probe that tried to open a device and failed with `osError` (0:
// it opened) has found one: a device that another program holds (usblp
// answers a second open with "busy") or that this user may not open is
// still there.
bool UsbProbeFindsDevice(int osError);

// The opener of the system's own USB printer devices.
CUsbDeviceOpener &SystemUsbDeviceOpener();
