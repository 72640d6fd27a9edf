#include "port/asyncwrite.h"

DeviceIo CAsyncWrite::Start(CPortDevice &file, const uint8_t *bytes, std::size_t length,
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

DeviceIo CAsyncWrite::Drain(CPortDevice &file, bool &finished)
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

bool WriteWaiting(CPortDevice &file, const uint8_t *bytes, std::size_t length, CDeviceWaker &waker,
                  const std::function<bool()> &proceed, const std::function<bool()> &held,
                  DeviceIo &io)
{
    io = DeviceIo{};
    bool saidWritable = false;
    while (io.count < length) {
        if (proceed && !proceed())
            return false;
        if (held && held()) {
            CDeviceFile::WaitWaker(waker, kHeldOutputRecheckMs);
            continue;
        }
        const DeviceIo step = file.Write(bytes + io.count, length - io.count);
        if (step.Failed()) {
            io.osError = step.osError;
            break;
        }
        io.count += step.count;
        if (!step.wouldBlock)
            saidWritable = false;
        else if (saidWritable)
            CDeviceFile::WaitWaker(waker, kStalledWriteBackoffMs);
        else // a hang-up with nothing failing yet is no reason to spin either
            saidWritable =
                file.Wait(false, true, waker, -1) & (CDeviceFile::kWritable | CDeviceFile::kHangup);
    }
    return true;
}
