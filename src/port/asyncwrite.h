// The rest of an asynchronous write that the device has not taken yet.
//
// A kind's Write starts it (what the device takes at once goes out there and
// then, the rest is copied, since the caller may release its bytes), and the
// kind's monitor thread drains it as the device becomes writable. Not
// thread-safe: the kind guards it with its own lock.
#pragma once

#include "port/portdevice.h"

#include <functional>
#include <vector>

// A writer that holds its output (flow control) looks again after this long.
inline constexpr int kHeldOutputRecheckMs = 20;
// A device may call itself writable while a non-blocking write still cannot
// go on (the lp driver with a busy printer); the writer then backs off this
// long instead of spinning.
inline constexpr int kStalledWriteBackoffMs = 10;

// Writes all `length` bytes for a writer that may wait (a blocking Write, a
// file thread's chunk): waits for the device whenever it takes no more, and
// `waker` ends such a wait early. Before every try `proceed` (if given) may
// stop the write and `held` (if given) may hold the output for a while.
// Returns false when `proceed` stopped it; otherwise `io` has the count
// written, short only with the error of the write that failed.
bool WriteWaiting(CPortDevice &file, const uint8_t *bytes, std::size_t length, CDeviceWaker &waker,
                  const std::function<bool()> &proceed, const std::function<bool()> &held,
                  DeviceIo &io);

class CAsyncWrite
{
public:
    // Starts a write; `holdOutput` keeps every byte for later (flow control).
    DeviceIo Start(CPortDevice &file, const uint8_t *bytes, std::size_t length, bool holdOutput);
    // Writes what the device takes now; the result's count is what went out
    // in this call. `finished` turns true when the last byte has gone; a
    // failure drops the rest.
    DeviceIo Drain(CPortDevice &file, bool &finished);
    bool HasRest() const { return m_offset < m_buffer.size(); }
    void Clear();

private:
    std::vector<uint8_t> m_buffer;
    std::size_t m_offset = 0;
};
