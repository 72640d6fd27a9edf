// The rest of an asynchronous write that the device has not taken yet.
//
// A kind's Write starts it (what the device takes at once goes out there and
// then, the rest is copied, since the caller may release its bytes), and the
// kind's monitor thread drains it as the device becomes writable. Not
// thread-safe: the kind guards it with its own lock.
#pragma once

#include "devicefile.h"

#include <vector>

class CAsyncWrite
{
public:
    // Starts a write; `holdOutput` keeps every byte for later (flow control).
    DeviceIo Start(CDeviceFile &file, const uint8_t *bytes, std::size_t length, bool holdOutput);
    // Writes what the device takes now; the result's count is what went out
    // in this call. `finished` turns true when the last byte has gone; a
    // failure drops the rest.
    DeviceIo Drain(CDeviceFile &file, bool &finished);
    bool HasRest() const { return m_offset < m_buffer.size(); }
    void Clear();

private:
    std::vector<uint8_t> m_buffer;
    std::size_t m_offset = 0;
};
