#include "port/portex.h"

#include "convert/userfile.h"
#include "port/devicemap.h"
#include "port/porterror.h"
#include "port/writetap.h"

#include <cstring>

namespace {

constexpr auto kFileDoneDelay = std::chrono::milliseconds(200);
#ifdef NDEBUG
constexpr bool kDebugBuild = false;
#else
constexpr bool kDebugBuild = true;
#endif

std::atomic<TraceOutput> g_traceOutput{TraceOutput::BuildDefault};

bool TracesPrinted()
{
    const TraceOutput output = g_traceOutput.load();
    return output == TraceOutput::StandardError ||
           (output == TraceOutput::BuildDefault && kDebugBuild);
}

bool OpenFileForSending(const char *path, std::FILE *&file, uint32_t &size)
{
    file = OpenRegularFile(path).release();
    if (!file)
        return false;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        const long end = std::ftell(file);
        if (end > 0 && static_cast<unsigned long>(end) <= UINT32_MAX) {
            size = static_cast<uint32_t>(end);
            std::rewind(file);
            return true;
        }
    }
    std::fclose(file);
    file = nullptr;
    return false;
}

} // namespace

CFileProgress::CFileProgress(uint32_t fileSize)
    : divisor(fileSize > kLargeFile ? fileSize / 100 : fileSize), large(fileSize > kLargeFile)
{
}

uint32_t CFileProgress::Percent(uint32_t done) const
{
    if (divisor == 0)
        return 0;
    return large ? done / divisor : done * 100 / divisor;
}

CPortEx::CPortEx() = default;

CPortEx::~CPortEx()
{
    // A kind closes itself in its own destructor; this only catches a thread
    // that a kind forgot, so that it never outlives the object.
    if (m_fileThread.joinable()) {
        m_bSendingFile = false;
        m_intervalEvent.Signal();
        m_fileThread.join();
    }
    DetachOwner();
}

uint32_t CPortEx::OpenPort(QObject *, uint8_t, uint32_t, uint32_t)
{
    return 0;
}

void CPortEx::ClosePort() {}

uint32_t CPortEx::SetPortSettings(const void *)
{
    PortTrace(TraceSeverity::None, "Base class function SetPortSettings excuted!\n");
    return 0;
}

uint32_t CPortEx::Read(uint8_t *, uint32_t, uint32_t *)
{
    PortTrace(TraceSeverity::None, "Warning: Base function \"Read\" executed!\n");
    return 0;
}

uint32_t CPortEx::Write(const uint8_t *, uint32_t, uint32_t *, uint8_t)
{
    PortTrace(TraceSeverity::None, "Warning: Base function \"Write\" executed!\n");
    return 0;
}

std::optional<uint32_t> CPortEx::CheckOpen(const OpenChecks &checks, bool open, bool settingsValid,
                                           const QObject *owner)
{
    ClearOpenFailure();
    if (checks.alreadyOpenIsError)
        ClearLastError();
    if (open) {
        if (checks.alreadyOpenIsError)
            RecordError(kPortErrAlreadyInitialized);
        if (checks.alreadyOpenTrace)
            PortTrace(TraceSeverity::Information, checks.alreadyOpenTrace);
        return 1;
    }
    if (!settingsValid || (!owner && checks.noOwnerTrace)) {
        if (const char *why = settingsValid ? checks.noOwnerTrace : checks.noSettingsTrace)
            PortTrace(TraceSeverity::Refused, why);
        return 0;
    }
    ResetPercentDone();
    return std::nullopt;
}

CPortEx::DrainStep CPortEx::DrainWrite(CAsyncWrite &write, CPortDevice &device,
                                       const char *failureTrace)
{
    DrainStep step;
    bool finished = false;
    const DeviceIo io = write.Drain(device, finished);
    step.progress = io.count > 0;
    if (io.Failed()) {
        RecordSystemError(io.osError, TraceSeverity::SystemCall, failureTrace);
        step.lost = IsDeviceGoneError(io.osError);
    }
    step.ended = finished || (io.Failed() && !step.lost);
    return step;
}

uint32_t CPortEx::IsSendFilePaused() const
{
    std::lock_guard lock(m_fileMutex);
    return m_bPaused ? 1 : 0;
}

std::string CPortEx::GetLastTrace() const
{
    std::lock_guard lock(m_traceMutex);
    return m_lastTrace;
}

const char *CPortEx::GetVersionText()
{
    return "V1.000.1087";
}

void CPortEx::SetTraceOutput(TraceOutput output)
{
    g_traceOutput = output;
}

void CPortEx::SetWriteTap(std::shared_ptr<CWriteTap> tap)
{
    std::lock_guard lock(m_tapMutex);
    m_bTapped = tap != nullptr;
    m_tap = std::move(tap);
}

void CPortEx::PutToTap(const uint8_t *bytes, std::size_t length) const
{
    std::lock_guard lock(m_tapMutex);
    if (m_tap)
        m_tap->Put(bytes, length);
}

CPortEx::ChunkResult CPortEx::WriteFileChunk(const uint8_t *, uint32_t, uint32_t *written)
{
    *written = 0;
    return ChunkResult::Abandoned;
}

void CPortEx::AttachOwner(QObject *owner, uint32_t message, uint32_t userValue, bool async)
{
    m_pOwner = owner;
    m_dwUserValue = userValue;
    m_bAsync = async;
    m_notifier.Attach(owner, message);
}

void CPortEx::DetachOwner()
{
    m_notifier.Detach();
    m_pOwner = nullptr;
}

void CPortEx::PostPortMsg(uint16_t code, uint32_t lParam, uint16_t error) const
{
    m_notifier.Post(code, error, lParam);
}

bool CPortEx::SendPortMsg(uint16_t code, uint32_t lParam, uint16_t error) const
{
    return m_notifier.Send(code, error, lParam);
}

void CPortEx::PortTrace(TraceSeverity severity, const char *text) const
{
    EmitTrace(severity, text, nullptr);
}

void CPortEx::EmitTrace(TraceSeverity severity, const char *text, const char *detail) const
{
    {
        std::lock_guard lock(m_traceMutex);
        m_lastTrace = text;
    }
    if (!TracesPrinted())
        return;
    char line[1000];
    std::snprintf(line, sizeof line, "%s\n", text);
    const int level = static_cast<int>(severity);
    if (detail)
        std::fprintf(stderr, "[port %d] (%s) %s", level, detail, line);
    else if (severity != TraceSeverity::None)
        std::fprintf(stderr, "[port %d] %s", level, line);
    else
        std::fputs(line, stderr);
}

void CPortEx::RecordError(uint32_t error, TraceSeverity severity, const char *text)
{
    RecordError(error);
    PortTrace(severity, text);
}

void CPortEx::NoteOpenFailure(const std::string &device, uint32_t portError)
{
    m_openFailure.refusal = OpenRefusalOf(portError);
    m_openFailure.device = device;
    m_openFailure.group =
        m_openFailure.refusal == OpenRefusal::NoPermission ? DeviceGroupName(device) : "";
}

void CPortEx::RecordSystemError(int osError, TraceSeverity severity, const char *text)
{
    RecordError(PortErrorFromSystem(osError));
    EmitTrace(severity, text, SystemErrorText(osError).c_str());
}

// ---- file transfers ----

uint32_t CPortEx::SendFile(const char *path, int32_t passes, uint32_t intervalMs)
{
    return PrepareFileTransfer() ? StartFileTransfer(path, passes, intervalMs) : 0;
}

uint32_t CPortEx::StartFileTransfer(const char *path, int32_t passes, uint32_t intervalMs)
{
    m_nPercentDone = 0;
    if (m_bSendingFile) {
        // Two file threads would interleave their chunks on one port.
        PortTrace(TraceSeverity::Refused, "SendFile - A file is being sent already!");
        return 0;
    }
    JoinFileThread();
    m_strFilePath = path ? path : "";
    std::FILE *probe = nullptr;
    uint32_t size = 0;
    if (m_strFilePath.empty() || !OpenFileForSending(m_strFilePath.c_str(), probe, size)) {
        m_strFilePath.clear();
        PortTrace(TraceSeverity::Refused, "Can't Open File!");
        return 0;
    }
    std::fclose(probe);
    m_nPassesRemaining = passes;
    m_dwPassInterval = intervalMs;
    m_bSendingFile = true;
    if (m_fileRules.resetIntervalOnStart)
        m_intervalEvent.ResetEvent();
    {
        std::lock_guard lock(m_fileMutex);
        m_bPaused = false;
    }
    m_fileThreadEnded.ResetEvent();
    m_fileThread = std::thread(&CPortEx::FileThreadProc, this);
    return 1;
}

uint32_t CPortEx::PauseSendFile()
{
    if (!m_bSendingFile)
        return 0;
    {
        std::lock_guard lock(m_fileMutex);
        m_bPaused = !m_bPaused;
    }
    m_pauseCv.notify_all();
    return 1;
}

uint32_t CPortEx::StopSendFile()
{
    if (!m_bSendingFile) {
        JoinFileThread(); // a thread that ended by itself is past its last step
        return 0;
    }
    m_bSendingFile = false;
    WakeFileChunkWait();
    {
        std::lock_guard lock(m_fileMutex);
        m_bPaused = false;
    }
    m_pauseCv.notify_all();
    if (m_fileRules.stopSignalsInterval)
        m_intervalEvent.Signal();
    if (m_fileRules.firstStopWait && !m_fileThreadEnded.WaitFor(*m_fileRules.firstStopWait))
        OnStopWaitTimedOut();
    JoinFileThread();
    return 1;
}

void CPortEx::JoinFileThread()
{
    if (m_fileThread.joinable())
        m_fileThread.join();
}

void CPortEx::FileThreadProc()
{
    std::FILE *file = nullptr;
    uint32_t size = 0;
    if (!OpenFileForSending(m_strFilePath.c_str(), file, size)) {
        // The file vanished between the test and the start.
        m_bSendingFile = false;
        PostPortMsg(kPortFileFailed, 0);
        m_fileThreadEnded.Signal();
        return;
    }
    const CFileProgress progress(size);
    m_dwSendSpeed = 0;
    m_speedWindow.Start(CSpeedWindow::Clock::now());
    m_passBase = 0;
    uint32_t lastPosted = 0;
    bool completed = true;
    while (m_nPassesRemaining != 0) {
        completed = RunOnePass(file, progress, lastPosted);
        if (!completed)
            break;
        if (m_nPassesRemaining > 0)
            m_intervalEvent.WaitFor(std::chrono::milliseconds(m_dwPassInterval.load()));
    }
    if (completed)
        --m_nPassesRemaining;
    std::fclose(file);
    FinishFileThread(completed && m_bSendingFile);
}

bool CPortEx::RunOnePass(std::FILE *file, const CFileProgress &progress, uint32_t &lastPosted)
{
    --m_nPassesRemaining;
    std::rewind(file);
    uint32_t done = 0;
    if (!m_bSendingFile)
        return false;
    uint8_t chunk[kFileChunkSize];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        WaitWhilePaused();
        if (!m_bSendingFile)
            return false;
        if (!WriteChunkAndReport(chunk, uint32_t(got), done, progress, lastPosted))
            return false;
        done += uint32_t(got);
    }
    OnFilePassEnd();
    if (std::ferror(file) && m_bSendingFile.exchange(false)) {
        // The rest of the file could not be read: the pass is not done.
        PostPortMsg(kPortFileFailed, 0);
        return false;
    }
    if (!m_bSendingFile)
        return false;
    UpdateSpeed(done, true);
    m_passBase += done;
    PostPortMsg(kPortFilePassDone, 0);
    return true;
}

bool CPortEx::WriteChunkAndReport(const uint8_t *chunk, uint32_t length, uint32_t done,
                                  const CFileProgress &progress, uint32_t &lastPosted)
{
    uint32_t written = 0;
    if (WriteFileChunk(chunk, length, &written) == ChunkResult::Abandoned)
        return false;
    TapWritten(chunk, written);
    if (written != length) {
        m_bSendingFile = false;
        PostPortMsg(kPortFileFailed, 0);
        return false;
    }
    done += length;
    const uint32_t percent = progress.Percent(done);
    m_nPercentDone = int32_t(percent);
    UpdateSpeed(done);
    if (percent != lastPosted) {
        PostPortMsg(kPortFileProgress, percent);
        lastPosted = percent;
    }
    return true;
}

// `done`: the bytes of the current pass. A pass that ends before the window
// knows a speed leaves the average since the start instead.
void CPortEx::UpdateSpeed(uint32_t done, bool passEnd)
{
    const auto now = CSpeedWindow::Clock::now();
    const uint64_t total = m_passBase + done;
    if (const auto speed = m_speedWindow.Update(now, total))
        m_dwSendSpeed = *speed;
    else if (passEnd)
        m_dwSendSpeed = m_speedWindow.Average(now, total);
}

void CPortEx::WaitWhilePaused()
{
    std::unique_lock lock(m_fileMutex);
    m_pauseCv.wait(lock, [this] { return !m_bPaused || !m_bSendingFile; });
}

void CPortEx::FinishFileThread(bool completed)
{
    OnFileThreadEnd();
    if (completed) {
        // A stop during this pause ends the transfer without code 5, like any stop.
        std::this_thread::sleep_for(kFileDoneDelay);
        if (m_bSendingFile.exchange(false))
            PostPortMsg(kPortFileDone, 0);
    }
    m_fileThreadEnded.Signal();
}
