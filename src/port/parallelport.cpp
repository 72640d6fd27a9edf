#include "port/parallelport.h"

#include "port/devicemap.h"
#include "port/porterror.h"

#include <cerrno>

CParallelPort::CParallelPort() : CParallelPort(SystemPortDeviceOpener()) {}

CParallelPort::CParallelPort(CPortDeviceOpener &opener) : m_opener(opener)
{
    m_cfg.dwMarker = kCfgMarkerUnset;
}

CParallelPort::~CParallelPort()
{
    ClosePort();
}

std::string CParallelPort::DeviceName(uint32_t port)
{
    return std::string("LPT") + char((port & 0xFF) + '0');
}

uint32_t CParallelPort::SetPortSettings(const void *settings)
{
    return AcceptSettings(settings, m_cfg);
}

uint32_t CParallelPort::OpenPort(QObject *owner, uint8_t async, uint32_t userValue,
                                 uint32_t message)
{
    // Without settings this asks for LPT0, which no device answers to.
    static constexpr OpenChecks kChecks{.alreadyOpenIsError = true};
    if (const auto result = CheckOpen(kChecks, IsOpen(), true, owner))
        return *result;
    const std::string path = DevicePath(DeviceName(m_cfg.dwPort));
    int error = ENOENT;
    if (!path.empty())
        m_file = m_opener.OpenParallel(path, error);
    if (!m_file) {
        RecordSystemError(error, TraceSeverity::SystemCall,
                          "CParallelPort::OpenPort - Unable to open port!");
        NoteOpenFailure(path, GetLastError());
        return 0;
    }
    {
        std::lock_guard lock(m_lock);
        m_write.Clear();
        m_bWritePending = false;
        m_writesDone = 0;
    }
    AttachOwner(owner, message, userValue, async != 0);
    if (!async)
        return 1;
    m_monitorWaker.Clear();
    m_stopping = false;
    m_monitor = std::thread(&CParallelPort::MonitorThreadProc, this);
    PostPortMsg(kPortOpened, userValue);
    return 1;
}

void CParallelPort::ClosePort()
{
    ClearLastError();
    DetachOwner(); // also releases a monitor that waits for the owner
    // Even on a closed port: SendFile does not ask for an open one, and its
    // file thread must not outlive this object's members.
    StopSendFile();
    if (!IsOpen())
        return;
    if (m_monitor.joinable()) {
        m_stopping = true;
        m_monitorWaker.Signal();
        m_monitor.join();
        m_stopping = false;
    }
    m_file.reset();
    std::lock_guard lock(m_lock);
    m_bWritePending = false;
    m_write.Clear();
}

uint32_t CParallelPort::Read(uint8_t *, uint32_t, uint32_t *received)
{
    if (received)
        *received = 0;
    return 0;
}

uint32_t CParallelPort::Write(const uint8_t *bytes, uint32_t length, uint32_t *written, uint8_t)
{
    ClearLastError();
    if (written)
        *written = 0;
    if (!IsOpen()) {
        RecordError(kPortErrInvalidHandle);
        return 0;
    }
    if (length == 0)
        return 1;
    return IsAsync() ? WriteAsync(bytes, length, written) : WriteBlocking(bytes, length, written);
}

uint32_t CParallelPort::WriteAsync(const uint8_t *bytes, uint32_t length, uint32_t *written)
{
    std::lock_guard lock(m_lock);
    if (m_bWritePending) {
        RecordError(kPortErrIoPending);
        return 0;
    }
    const DeviceIo io = m_write.Start(*m_file, bytes, length, false);
    if (io.Failed()) {
        RecordSystemError(io.osError, TraceSeverity::SystemCall,
                          "CParallelPort::Write - Unable to write the data");
        return 0;
    }
    TapWritten(bytes, length); // the rest was copied and goes out later
    if (written)
        *written = uint32_t(io.count);
    if (m_write.HasRest())
        m_bWritePending = true;
    else
        ++m_writesDone; // taken at once: reported like one that finishes later
    m_monitorWaker.Signal();
    return 1;
}

uint32_t CParallelPort::WriteBlocking(const uint8_t *bytes, uint32_t length, uint32_t *written)
{
    CDeviceWaker never;
    DeviceIo io;
    WriteWaiting(*m_file, bytes, length, never, nullptr, nullptr, io);
    TapWritten(bytes, io.count);
    if (io.Failed())
        RecordSystemError(io.osError, TraceSeverity::SystemCall,
                          "CParallelPort::Write - Unable to write the data");
    if (written)
        *written = uint32_t(io.count);
    return io.count == length ? 1 : 0;
}

CPortEx::ChunkResult CParallelPort::WriteFileChunk(const uint8_t *chunk, uint32_t length,
                                                   uint32_t *written)
{
    const auto running = [this] { return IsFileTransferRunning(); };
    DeviceIo io;
    if (!WriteWaiting(*m_file, chunk, length, m_chunkWaker, running, nullptr, io))
        return ChunkResult::Abandoned;
    *written = uint32_t(io.count); // short after a failure: code 6
    return ChunkResult::Written;
}

// ---- monitor thread ----

void CParallelPort::MonitorThreadProc()
{
    bool lost = false;
    bool stalled = false;
    while (!m_stopping) {
        const unsigned events = WaitForDevice(lost, stalled);
        if (m_stopping)
            break;
        const Drained drained = DrainOutput();
        for (uint32_t i = 0; i < drained.writesDone; ++i)
            SendPortMsg(kPortWriteDone, UserValue());
        bool rest;
        {
            // Cleared once the owner has handled code 2, and only when no
            // later write is still going out.
            std::lock_guard lock(m_lock);
            rest = m_write.HasRest();
            if (drained.writesDone && !rest)
                m_bWritePending = false;
        }
        stalled = rest && !drained.progress && (events & CDeviceFile::kWritable);
        if (!lost && ((events & CDeviceFile::kHangup) || drained.lost)) {
            lost = true;
            PostPortMsg(kPortLost, UserValue());
        }
    }
}

unsigned CParallelPort::WaitForDevice(bool lost, bool stalled)
{
    if (lost)
        return CDeviceFile::WaitWaker(m_monitorWaker, -1);
    if (stalled)
        return CDeviceFile::WaitWaker(m_monitorWaker, kStalledWriteBackoffMs);
    bool output;
    {
        std::lock_guard lock(m_lock);
        output = m_write.HasRest();
    }
    return m_file->Wait(false, output, m_monitorWaker, -1);
}

CParallelPort::Drained CParallelPort::DrainOutput()
{
    Drained drained;
    std::lock_guard lock(m_lock);
    if (m_write.HasRest()) {
        const DrainStep step =
            DrainWrite(m_write, *m_file, "CParallelPort::Write - Unable to write the data");
        drained.progress = step.progress;
        drained.lost = step.lost;
        // Pending outlives the rest until the owner has handled code 2; a
        // write dropped with the device gets no code 2 to wait for.
        if (step.ended)
            ++m_writesDone;
        else if (step.lost)
            m_bWritePending = false;
    }
    drained.writesDone = m_writesDone;
    m_writesDone = 0;
    return drained;
}
