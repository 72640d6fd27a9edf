// An exclusively opened device file with non-blocking I/O, and the waker a
// port thread waits on beside it. The OS calls live in one file per OS
// (linux/devicefile_linux.cpp); the port kinds see only this interface.
//
// Thread contract: Open and Close on the window thread while no other thread
// uses the object; Read, Write and Wait from any one thread at a time each
// (a reader, a writer and waiters may run side by side).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct DeviceIo
{
    std::size_t count = 0; // bytes moved
    int osError = 0;       // 0 on success
    bool wouldBlock = false;

    bool Failed() const { return osError != 0 && !wouldBlock; }
};

// Wakes a thread blocked in CDeviceFile::Wait. Auto-reset: a wait that
// reports it consumes it.
class CDeviceWaker
{
public:
    CDeviceWaker();
    ~CDeviceWaker();
    CDeviceWaker(const CDeviceWaker &) = delete;
    CDeviceWaker &operator=(const CDeviceWaker &) = delete;

    void Signal();
    void Clear();
    intptr_t Handle() const { return m_handle; }

private:
    intptr_t m_handle = -1;
};

class CDeviceFile
{
public:
    enum WaitResult : unsigned
    {
        kReadable = 1,
        kWritable = 2,
        kHangup = 4, // the device is gone (hang-up or error condition)
        kWoken = 8,
        kTimedOut = 16,
    };

    CDeviceFile() = default;
    ~CDeviceFile() { Close(); }
    CDeviceFile(const CDeviceFile &) = delete;
    CDeviceFile &operator=(const CDeviceFile &) = delete;

    // Opens read-write, non-blocking and exclusive: a second opener (of this
    // or any other process) is refused. Returns 0 or the OS error.
    int Open(const std::string &path);
    void Close();
    bool IsOpen() const { return m_handle >= 0; }
    intptr_t Handle() const { return m_handle; }

    DeviceIo Write(const uint8_t *bytes, std::size_t length);
    DeviceIo Read(uint8_t *buffer, std::size_t capacity);
    // Waits for the asked conditions, the waker, or the time-out (-1: none).
    unsigned Wait(bool readable, bool writable, CDeviceWaker &waker, int timeoutMs);
    // As Wait, but kReadable means that bytes arrived since the last call:
    // bytes left unread do not report again, so a thread can wait for more
    // input while the reader takes its time.
    unsigned WaitNewInput(bool writable, CDeviceWaker &waker, int timeoutMs);
    // Waits for the waker alone (the device is not watched).
    static unsigned WaitWaker(CDeviceWaker &waker, int timeoutMs);

private:
    intptr_t m_handle = -1;
    intptr_t m_arrivals = -1; // edge-triggered watch of input, made by WaitNewInput
};
