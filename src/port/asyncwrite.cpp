#include "asyncwrite.h"

DeviceIo CAsyncWrite::Start(CDeviceFile &file, const uint8_t *bytes, std::size_t length,
                            bool holdOutput)
{
    Clear();
    DeviceIo io;
    io.wouldBlock = true;
    if (!holdOutput)
        io = file.Write(bytes, length);
    if (!io.Failed() && io.count < length)
        m_buffer.assign(bytes + io.count, bytes + length);
    return io;
}

DeviceIo CAsyncWrite::Drain(CDeviceFile &file, bool &finished)
{
    finished = false;
    DeviceIo result;
    while (HasRest()) {
        const DeviceIo io = file.Write(m_buffer.data() + m_offset, m_buffer.size() - m_offset);
        result.osError = io.osError;
        result.wouldBlock = io.wouldBlock;
        if (io.Failed()) {
            Clear();
            return result;
        }
        if (io.wouldBlock)
            return result;
        m_offset += io.count;
        result.count += io.count;
    }
    if (!m_buffer.empty()) {
        Clear();
        finished = true;
    }
    return result;
}

void CAsyncWrite::Clear()
{
    m_buffer.clear();
    m_offset = 0;
}
