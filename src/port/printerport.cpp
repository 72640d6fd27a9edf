#include "port/printerport.h"

#include "port/porterror.h"

#include <chrono>
#include <cstring>

namespace {

// Gives the spooler time to take the last chunk before the job is ended.
constexpr auto kJobEndDelay = std::chrono::milliseconds(100);
// A stopped transfer may end its job this long before its connection is cut.
constexpr auto kStopGrace = std::chrono::milliseconds(1000);

bool IsStopOrCut(const SpoolFailure &failure)
{
    return failure.fault == SpoolFault::Cut;
}

} // namespace

CPrinterPort::CPrinterPort()
{
    m_settings.dwMarker = kCfgMarkerUnset;
    FileTransferRules rules;
    rules.firstStopWait = kStopGrace;
    SetFileTransferRules(rules);
}

CPrinterPort::~CPrinterPort()
{
    ClosePort();
}

uint32_t CPrinterPort::SetPortSettings(const void *settings)
{
    return AcceptSettings(settings, m_settings);
}

uint32_t CPrinterPort::OpenPort(QObject *owner, uint8_t async, uint32_t userValue, uint32_t message)
{
    static constexpr OpenChecks kChecks{
        .alreadyOpenTrace = "CPrinterPort::OpenPort - Port already opened!",
        .noSettingsTrace = "CPrinterPort::OpenPort - Port hasn't setup!"};
    if (const auto result =
            CheckOpen(kChecks, !m_printer.empty(), m_settings.dwMarker == kCfgMarkerValid, owner))
        return *result;
    ClearFailure();
    const std::string name(m_settings.szPrinter, strnlen(m_settings.szPrinter, kPrinterNameSize));
    if (name.empty())
        return 0;
    m_writeJob.Rearm();
    // An asynchronous open asks the spooler on the write thread: a spooler
    // that does not answer must not hold the owner's thread.
    if (!async && !QueueFound(name))
        return 0;
    m_printer = name;
    m_writeQuit = false;
    AttachOwner(owner, message, userValue, async != 0);
    m_writeThread = std::thread(&CPrinterPort::WriteThreadProc, this, async != 0);
    return 1;
}

// On the write job's connection, which ClosePort cuts.
bool CPrinterPort::QueueFound(const std::string &name)
{
    SpoolFailure failure;
    if (m_writeJob.FindQueue(name, failure))
        return true;
    if (IsStopOrCut(failure))
        return false; // the port is closing
    {
        std::lock_guard guard(m_failureLock);
        m_failure = failure;
    }
    RecordError(failure.PortError(), TraceSeverity::SystemCall,
                "CPrinterPort::OpenPort - Unable to open the printer");
    return false;
}

void CPrinterPort::ClosePort()
{
    DetachOwner(); // releases a code 2 waiting for the owner
    StopWriteThread();
    StopSendFile();
    m_printer.clear();
}

uint32_t CPrinterPort::Read(uint8_t *, uint32_t, uint32_t *received)
{
    if (received)
        *received = 0;
    return 0;
}

uint32_t CPrinterPort::Write(const uint8_t *bytes, uint32_t length, uint32_t *written, uint8_t)
{
    if (written)
        *written = 0;
    if (m_printer.empty()) {
        RecordError(kPortErrFileInvalid);
        return 0;
    }
    if (length == 0)
        return 1;
    ClearFailure();
    if (m_writeBusy) {
        RecordError(kPortErrIoPending, TraceSeverity::Refused,
                    "CPrinterPort::Write - A job is being sent already!");
        return 0;
    }
    m_writeBusy = true; // the job's start reads the queue's state on the write thread
    {
        std::lock_guard guard(m_writeLock);
        m_writeBytes.assign(bytes, bytes + length);
        m_writeQueued = true;
    }
    m_writeWake.notify_one();
    TapWritten(bytes, length);
    if (written)
        *written = length;
    return 1;
}

void CPrinterPort::WriteThreadProc(bool reportOpen)
{
    if (reportOpen) {
        const bool found = QueueFound(m_printer);
        PostPortMsg(kPortOpened, UserValue(), found ? 0 : uint16_t(GetLastError()));
        if (!found)
            return; // the owner closes the port
    }
    std::vector<uint8_t> bytes;
    while (TakeWriteRequest(bytes)) {
        SpoolFailure failure;
        const bool sent = SendJob(bytes, failure);
        if (!sent && !IsStopOrCut(failure))
            RecordFailure(failure);
        m_writeBusy = false; // before code 2: its handler may write again
        SendPortMsg(kPortWriteDone, UserValue(), sent ? 0 : uint16_t(failure.PortError()));
    }
}

// Waits for the next Write; false when the port closes.
bool CPrinterPort::TakeWriteRequest(std::vector<uint8_t> &bytes)
{
    std::unique_lock guard(m_writeLock);
    m_writeWake.wait(guard, [this] { return m_writeQueued || m_writeQuit; });
    if (m_writeQuit)
        return false;
    m_writeQueued = false;
    bytes.swap(m_writeBytes);
    return true;
}

bool CPrinterPort::SendJob(const std::vector<uint8_t> &bytes, SpoolFailure &failure)
{
    const bool sent = m_writeJob.Start(m_printer, kPrinterJobTitle, failure) &&
                      m_writeJob.Write(bytes.data(), uint32_t(bytes.size()), failure) &&
                      m_writeJob.Finish(failure) && m_writeJob.WaitUntilDone(failure);
    m_writeJob.Close();
    return sent;
}

void CPrinterPort::StopWriteThread()
{
    if (!m_writeThread.joinable())
        return;
    {
        std::lock_guard guard(m_writeLock);
        m_writeQuit = true;
    }
    m_writeWake.notify_one();
    m_writeJob.Cut();
    m_writeThread.join();
    m_writeBusy = false;
}

bool CPrinterPort::PrepareFileTransfer()
{
    if (!IsFileTransferRunning()) {
        ClearFailure();
        m_fileJob.Rearm();
    }
    return true;
}

void CPrinterPort::OnStopWaitTimedOut()
{
    m_fileJob.Cut();
}

SpoolFailure CPrinterPort::GetSpoolFailure() const
{
    std::lock_guard guard(m_failureLock);
    return m_failure;
}

void CPrinterPort::RecordFailure(const SpoolFailure &failure)
{
    {
        std::lock_guard guard(m_failureLock);
        m_failure = failure;
    }
    RecordError(failure.PortError(), TraceSeverity::SystemCall,
                "CPrinterPort - The spooler did not take the job");
}

void CPrinterPort::ClearFailure()
{
    std::lock_guard guard(m_failureLock);
    m_failure = {};
}

// A pass is one job: it starts with the first chunk of the pass and ends
// after its last one; code 8 follows once it has printed. A failed write
// drops the job (the spooler cancels it) before the failure is reported.
CPortEx::ChunkResult CPrinterPort::WriteFileChunk(const uint8_t *chunk, uint32_t length,
                                                  uint32_t *written)
{
    *written = 0;
    SpoolFailure failure;
    const bool ok = (m_fileJob.IsOpen() || m_fileJob.Start(m_printer, kPrinterJobTitle, failure)) &&
                    m_fileJob.Write(chunk, length, failure);
    if (ok) {
        *written = length;
        return ChunkResult::Written;
    }
    m_fileJob.Close();
    if (IsStopOrCut(failure) || !IsFileTransferRunning())
        return ChunkResult::Abandoned;
    RecordFailure(failure);
    return ChunkResult::Written; // short: code 6
}

void CPrinterPort::OnFilePassEnd()
{
    SpoolFailure failure;
    if (EndPassJob(failure) || IsStopOrCut(failure) || !IsFileTransferRunning())
        return;
    RecordFailure(failure);
    EndFileTransferSilently();
    PostPortMsg(kPortFileFailed, 0);
}

// A stopped pass still ends its job, unwatched, unless its connection was cut.
void CPrinterPort::OnFileThreadEnd()
{
    if (m_fileJob.IsOpen()) {
        SpoolFailure failure;
        std::this_thread::sleep_for(kJobEndDelay);
        m_fileJob.Finish(failure);
    }
    m_fileJob.Close();
}

bool CPrinterPort::EndPassJob(SpoolFailure &failure)
{
    std::this_thread::sleep_for(kJobEndDelay);
    const bool printed = m_fileJob.Finish(failure) && m_fileJob.WaitUntilDone(failure);
    m_fileJob.Close();
    return printed;
}
