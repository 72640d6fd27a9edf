#include "port/serialport.h"

#include "port/devicemap.h"
#include "port/porterror.h"

#include <algorithm>
#include <cerrno>

namespace {

// While flow control holds the output, the monitor looks again at this pace:
// the line that releases it raises no event the monitor waits on.
constexpr int kHeldRecheckMs = 20;

} // namespace

CSerialPort::CSerialPort() : CSerialPort(SystemPortDeviceOpener()) {}

CSerialPort::CSerialPort(CPortDeviceOpener &opener) : m_device(opener)
{
    m_cfg.dwMarker = kCfgMarkerUnset;
}

CSerialPort::~CSerialPort()
{
    if (m_monitor.joinable())
        PortTrace(TraceSeverity::Information,
                  "CSerialPort::~CSerialPort - Port still open, closing it");
    ClosePort();
}

std::string CSerialPort::DeviceName(uint32_t port)
{
    return "COM" + std::to_string(port);
}

uint32_t CSerialPort::SetPortSettings(const void *settings)
{
    return AcceptSettings(settings, m_cfg);
}

uint32_t CSerialPort::OpenPort(QObject *owner, uint8_t async, uint32_t userValue, uint32_t message)
{
    static constexpr OpenChecks kChecks{
        .alreadyOpenTrace = "CSerialPort::OpenPort - Port already opened!",
        .noSettingsTrace = "CSerialPort::OpenPort - Port hasn't setup!",
        .noOwnerTrace = "CSerialPort::OpenPort - Parameter not correct!"};
    if (const auto result =
            CheckOpen(kChecks, m_device.IsOpen(), m_cfg.dwMarker == kCfgMarkerValid, owner))
        return *result;
    if (!OpenDevice())
        return 0;
    m_device.Purge();
    {
        std::lock_guard lock(m_lock);
        m_write.Clear();
        m_writesDone = 0;
    }
    m_monitorWaker.Clear();
    m_stopping = false;
    m_bytesRead = 0;
    m_fullReads = 0;
    m_inputReported = 0;
    m_fullReadsSeen = 0;
    AttachOwner(owner, message, userValue, async != 0);
    m_monitor = std::thread(&CSerialPort::MonitorThreadProc, this);
    if (async)
        PostPortMsg(kPortOpened, userValue);
    return 1;
}

bool CSerialPort::OpenDevice()
{
    const std::string path = DevicePath(DeviceName(m_cfg.dwPort));
    const auto result = path.empty() ? SerialOpenResult{SerialOpenStep::OpenDevice, ENOENT}
                                     : m_device.Open(path, m_cfg);
    switch (result.failedAt) {
    case SerialOpenStep::Done:
        return true;
    case SerialOpenStep::OpenDevice:
        RecordSystemError(result.osError, TraceSeverity::SystemCall,
                          "CSerialPort::OpenPort - Unable to open port!");
        NoteOpenFailure(path, GetLastError());
        return false;
    case SerialOpenStep::GetState:
        RecordSystemError(result.osError, TraceSeverity::SystemCall, "Get DCB error!");
        return false;
    case SerialOpenStep::SetState:
        if (result.osError)
            RecordSystemError(result.osError, TraceSeverity::SystemCall, "Setup DCB error!");
        else
            RecordError(kPortErrInvalidParameter, TraceSeverity::SystemCall, "Setup DCB error!");
        return false;
    case SerialOpenStep::Setup:
        RecordSystemError(result.osError, TraceSeverity::SystemCall, "Comm port setup fail!");
        return false;
    }
    return false;
}

void CSerialPort::ClosePort()
{
    if (m_monitor.joinable()) {
        m_stopping = true;
        m_monitorWaker.Signal();
        DetachOwner(); // releases a monitor that waits for the owner
        m_monitor.join();
    }
    StopSendFile();
    JoinBreak();
    if (m_device.IsOpen()) {
        {
            std::lock_guard lock(m_lock);
            m_write.Clear();
        }
        m_device.Close();
    }
}

uint32_t CSerialPort::Read(uint8_t *buffer, uint32_t capacity, uint32_t *received)
{
    if (received)
        *received = 0;
    if (!m_device.IsOpen()) {
        PortTrace(TraceSeverity::SystemCall, "CSerialPort::Read - Port not opened!");
        return 0;
    }
    const DeviceIo io = m_device.File().Read(buffer, capacity);
    if (io.Failed()) {
        RecordSystemError(io.osError, TraceSeverity::SystemCall,
                          "CSerialPort::Read - Unable to read the data\n");
        return 0;
    }
    m_bytesRead += io.count;
    if (received)
        *received = uint32_t(io.count);
    // A full read may have left bytes queued that no arrival will announce.
    if (io.count == capacity && capacity > 0) {
        ++m_fullReads;
        m_monitorWaker.Signal();
    }
    return 1;
}

uint32_t CSerialPort::Write(const uint8_t *bytes, uint32_t length, uint32_t *written, uint8_t)
{
    if (written)
        *written = 0;
    if (!m_device.IsOpen()) {
        RecordError(kPortErrInvalidHandle, TraceSeverity::SystemCall,
                    "CSerialPort::Write - Port not opened!");
        return 0;
    }
    if (length == 0)
        return 1;
    if (!IsAsync()) {
        const uint32_t done = WriteBlocking(bytes, length);
        TapWritten(bytes, done);
        if (written)
            *written = done;
        return done == length ? 1 : 0;
    }
    return WriteAsync(bytes, length, written);
}

uint32_t CSerialPort::WriteAsync(const uint8_t *bytes, uint32_t length, uint32_t *written)
{
    std::lock_guard lock(m_lock);
    if (m_write.HasRest()) {
        RecordError(kPortErrIoPending, TraceSeverity::Information,
                    "CSerialPort::Write - Last Write Pending!");
        return 0;
    }
    // The caller may release its bytes when we return: the rest is copied.
    const DeviceIo io = m_write.Start(m_device.File(), bytes, length, m_device.OutputHeld());
    if (io.Failed()) {
        RecordSystemError(io.osError, TraceSeverity::SystemCall,
                          "CSerialPort::Write - Unable to write the data\n");
        return 0;
    }
    TapWritten(bytes, length); // the rest was copied and goes out later
    if (written)
        *written = uint32_t(io.count);
    if (!m_write.HasRest())
        ++m_writesDone; // done at once: the monitor still reports it
    m_monitorWaker.Signal();
    return 1;
}

uint32_t CSerialPort::WriteBlocking(const uint8_t *bytes, uint32_t length)
{
    CDeviceWaker never;
    const auto held = [this] { return m_device.OutputHeld(); };
    DeviceIo io;
    WriteWaiting(m_device.File(), bytes, length, never, nullptr, held, io);
    if (io.Failed())
        RecordSystemError(io.osError, TraceSeverity::SystemCall,
                          "CSerialPort::Write - Unable to write the data\n");
    return uint32_t(io.count);
}

CPortEx::ChunkResult CSerialPort::WriteFileChunk(const uint8_t *chunk, uint32_t length,
                                                 uint32_t *written)
{
    const auto running = [this] { return IsFileTransferRunning(); };
    const auto held = [this] { return m_device.OutputHeld(); };
    DeviceIo io;
    if (!WriteWaiting(m_device.File(), chunk, length, m_chunkWaker, running, held, io))
        return ChunkResult::Abandoned;
    *written = uint32_t(io.count); // short after a failure: the transfer fails with code 6
    return ChunkResult::Written;
}

// ---- monitor thread ----

void CSerialPort::MonitorThreadProc()
{
    bool lost = false;
    while (!m_stopping) {
        const unsigned events = WaitForDevice(lost);
        if (m_stopping)
            break;
        const Progress progress = DrainOutput();
        if (!lost)
            ReportInput();
        for (uint32_t i = 0; i < progress.writesDone; ++i)
            SendPortMsg(kPortWriteDone, UserValue());
        if (!lost && ((events & CDeviceFile::kHangup) || progress.lost)) {
            lost = true;
            PortTrace(TraceSeverity::SystemCall, "CSerialPort:MonitorThreadProc - Port lost!");
            PostPortMsg(kPortLost, UserValue());
        }
    }
}

unsigned CSerialPort::WaitForDevice(bool lost)
{
    if (lost)
        return CDeviceFile::WaitWaker(m_monitorWaker, -1);
    bool output;
    {
        std::lock_guard lock(m_lock);
        output = m_write.HasRest();
    }
    const bool held = output && m_device.OutputHeld();
    // Bytes left unread do not wake the monitor: new arrivals do, and Read
    // does when it may have left some.
    return m_device.File().WaitNewInput(output && !held, m_monitorWaker,
                                        held ? kHeldRecheckMs : -1);
}

CSerialPort::Progress CSerialPort::DrainOutput()
{
    Progress progress;
    std::lock_guard lock(m_lock);
    DrainOutputLocked(progress);
    progress.writesDone = m_writesDone;
    m_writesDone = 0;
    return progress;
}

void CSerialPort::DrainOutputLocked(Progress &progress)
{
    if (!m_write.HasRest() || m_device.OutputHeld())
        return;
    // Pending is the rest itself: it is gone before code 2, so the handler of
    // code 2 may write again.
    const DrainStep step =
        DrainWrite(m_write, m_device.File(), "CSerialPort::Write - Unable to write the data\n");
    progress.lost = step.lost;
    if (step.ended)
        ++m_writesDone;
}

// Code 1 when bytes arrived since the last one, or when the owner has taken a
// full block since and bytes are still queued. While the owner leaves them
// unread nothing is repeated.
void CSerialPort::ReportInput()
{
    // Counts first: a Read in between can only make the sum smaller, so no
    // arrival is ever taken as reported before it was, and a Read after them
    // wakes the monitor for another look.
    const uint64_t fullReads = m_fullReads;
    const uint64_t read = m_bytesRead;
    const uint32_t queued = m_device.InputQueued();
    const uint64_t arrived = read + queued;
    const bool takenSince = fullReads != m_fullReadsSeen;
    m_fullReadsSeen = fullReads;
    if (arrived > m_inputReported || (takenSince && queued > 0)) {
        m_inputReported = std::max(arrived, m_inputReported);
        SendPortMsg(kPortDataArrived, UserValue());
    }
}
