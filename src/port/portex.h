// CPortEx: the base of every port kind.
//
// The view creates one port object, hands it the settings record of its kind,
// opens it, writes, reads when code 1 arrives, runs file transfers, closes and
// deletes it. Every operation returns 1 on success and 0 on failure and keeps
// the error of a failure in the last error (porterror.h); traces go to the
// debug output only, unless the program chooses otherwise (SetTraceOutput).
//
// Threads:
//   - The window thread calls every public operation.
//   - One file thread per running transfer (FileThreadProc) writes the chunks
//     through the kind's WriteFileChunk hook and posts codes 5 to 8; it never
//     waits for the window thread.
//   - The kinds add their own threads (see their headers).
// Shared state: the transfer flags and statistics are atomics; the paused
// state is guarded by m_fileMutex; m_lock ("the port lock") is for the kinds
// that name it. The notifier has its own lock (portnotify.h).
// Notifications raised here: 5, 6, 7, 8, all posted from the file thread.
// A write tap (SetWriteTap) gets a copy of every byte a Write accepts and of
// every file chunk written; without one the check costs one atomic load.
#pragma once

#include "port/asyncwrite.h"
#include "port/portcfg.h"
#include "port/porterror.h"
#include "port/portevent.h"
#include "port/portkind.h"
#include "port/portnotify.h"
#include "port/speedwindow.h"
#include "port/spooler.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

class CWriteTap;
class QObject;
class CPortLines;

// How serious a port's trace line is; the debug output prints the number
// with the line.
enum class TraceSeverity : int
{
    None = -1, // the base operations' own texts, printed without a number
    Information = 0,
    Refused = 1,    // a refused call or missing settings
    SystemCall = 3, // a failed system call
    StartUp = 4,    // a failed start-up
};

// Where the ports' trace lines are printed, for every port of the process.
enum class TraceOutput
{
    BuildDefault,  // standard error in debug builds, nowhere in release builds
    StandardError, // standard error in every build
    Nowhere
};

// Why the last OpenPort of a device failed, for the user: the device, and for
// a refusal of permission the group that owns it (empty when unknown).
struct PortOpenFailure
{
    OpenRefusal refusal = OpenRefusal::Other;
    std::string device;
    std::string group;
};

// Progress of one pass: size / 100 is the divisor above 1,048,576 bytes, so
// done * 100 is never formed for large files in 32 bits.
struct CFileProgress
{
    static constexpr uint32_t kLargeFile = 0x100000;

    explicit CFileProgress(uint32_t fileSize);
    uint32_t Percent(uint32_t done) const;

    uint32_t divisor = 0;
    bool large = false;
};

class CPortEx
{
public:
    static constexpr uint32_t kFileChunkSize = 1024;

    CPortEx();
    virtual ~CPortEx();
    CPortEx(const CPortEx &) = delete;
    CPortEx &operator=(const CPortEx &) = delete;

    // message 0 = the registered "CPortEx_DefaultPortMsg".
    virtual uint32_t OpenPort(QObject *owner, uint8_t async, uint32_t userValue, uint32_t message);
    virtual void ClosePort();
    virtual uint32_t SetPortSettings(const void *settings);
    virtual uint32_t Read(uint8_t *buffer, uint32_t capacity, uint32_t *received);
    // The caller may release `bytes` as soon as Write returns.
    virtual uint32_t Write(const uint8_t *bytes, uint32_t length, uint32_t *written,
                           uint8_t background);
    // ---- file transfers, the same for every kind; the kinds add hooks ----
    // Starts the file thread: 0 while a transfer runs, for a file that cannot
    // be sent, and when the kind refuses (PrepareFileTransfer). Virtual only
    // for test doubles of the whole port.
    virtual uint32_t SendFile(const char *path, int32_t passes, uint32_t intervalMs);
    // Pauses a running transfer, or lets a paused one go on; 0 when none runs.
    uint32_t PauseSendFile();
    // Also reaps a file thread that ended by itself. Every kind's ClosePort and
    // destructor must get here before the kind's own members go away.
    uint32_t StopSendFile();
    virtual PortKind GetPortType() const = 0;

    // ---- what only some kinds can do; the others answer "nothing" ----
    // Window thread. The kinds that read their device only when asked (USB)
    // follow this switch; the others always receive.
    virtual void SetReceiveEnabled(bool /*enabled*/) {}
    // Why the spooler failed the last job (the printer kind); fault None
    // for every other kind.
    virtual SpoolFailure GetSpoolFailure() const { return {}; }
    // The control lines, or null for a kind without them.
    virtual CPortLines *ControlLines() { return nullptr; }
    // Bytes a reader should ask for per Read (at most kMaxReadBlock). A
    // terminal hands over a few KiB at a time and larger requests made its
    // reads slower; a socket hands over all it holds.
    static constexpr uint32_t kMaxReadBlock = 16384;
    virtual uint32_t ReadBlockSize() const { return 1000; }

    uint32_t IsSendingFile() const { return m_bSendingFile.load() ? 1 : 0; }
    uint32_t IsSendFilePaused() const;
    // Bytes per millisecond over the last second or two (speedwindow.h); 0 at first.
    uint32_t GetSendSpeed() const { return m_dwSendSpeed.load(); }
    int32_t GetPercentDone() const { return m_nPercentDone.load(); }
    uint32_t GetLastError() const { return m_dwLastError.load(); }
    // Window thread: the file being sent, empty after a refused SendFile.
    std::string GetFilePath() const { return m_strFilePath; }
    // Window thread: the device behind the last failed OpenPort; an open that
    // failed before reaching a device leaves it empty.
    PortOpenFailure GetOpenFailure() const { return m_openFailure; }
    // The last trace line of this port (kept in every build; printed only in debug).
    std::string GetLastTrace() const;

    // Window thread: the copy of written bytes goes to `tap` from now on;
    // nullptr stops it. Once this returns, no write reaches the old tap.
    void SetWriteTap(std::shared_ptr<CWriteTap> tap);

    // "V1.000.1087".
    static const char *GetVersionText();
    // Any thread; the last trace of each port is kept whatever the output.
    static void SetTraceOutput(TraceOutput output);

protected:
    enum class ChunkResult
    {
        Written,  // *written says how many bytes went out; short means code 6
        Abandoned // the transfer ends silently (stopped, or the kind reported it)
    };

    // ---- hooks of the file transfer ----
    // SendFile, window thread, before anything else: false refuses the call.
    virtual bool PrepareFileTransfer() { return true; }
    // Writes one chunk of at most kFileChunkSize bytes. Base: abandons.
    virtual ChunkResult WriteFileChunk(const uint8_t *chunk, uint32_t length, uint32_t *written);
    // Called on the file thread at every exit.
    virtual void OnFileThreadEnd() {}
    // Called on the file thread after the last chunk of a pass, before code 8.
    virtual void OnFilePassEnd() {}
    // StopSendFile: wake a file thread that waits for its chunk to go out.
    virtual void WakeFileChunkWait() {}
    // StopSendFile: the first bounded wait ran out (see FileTransferRules).
    virtual void OnStopWaitTimedOut() {}

    struct FileTransferRules
    {
        bool resetIntervalOnStart = true; // the network kind leaves it
        bool stopSignalsInterval = true;  // network: the thread waits its interval out
        // USB: wait this long for the thread, then OnStopWaitTimedOut, then wait on.
        std::optional<std::chrono::milliseconds> firstStopWait;
    };
    void SetFileTransferRules(const FileTransferRules &rules) { m_fileRules = rules; }

    bool IsFileTransferRunning() const { return m_bSendingFile.load(); }
    // The file thread clears the running flag itself when a kind's chunk write
    // ends the transfer (for example the USB status check).
    void EndFileTransferSilently() { m_bSendingFile = false; }

    // SetPortSettings of a kind whose record carries a marker: keeps a copy of
    // a record marked valid and refuses anything else.
    template <class Record> uint32_t AcceptSettings(const void *settings, Record &kept)
    {
        Record record;
        if (settings)
            std::memcpy(&record, settings, sizeof record);
        if (!settings || record.dwMarker != kCfgMarkerValid) {
            PortTrace(TraceSeverity::Refused, "Configuration data not correct!");
            return 0;
        }
        kept = record;
        return 1;
    }

    // ---- OpenPort: what every kind checks before it touches a device ----
    struct OpenChecks
    {
        // Already open: traced at severity 0 when given. A kind that reports
        // it by last error 1247 clears the last error first.
        const char *alreadyOpenTrace = nullptr;
        bool alreadyOpenIsError = false;
        // No valid settings: refused, traced at severity 1 when given.
        const char *noSettingsTrace = nullptr;
        // Given: an owner is required, and its absence is traced at severity 1.
        const char *noOwnerTrace = nullptr;
    };
    // Forgets the last open failure; then what OpenPort returns at once, or
    // nothing when the kind goes on opening (with percent done reset).
    std::optional<uint32_t> CheckOpen(const OpenChecks &checks, bool open, bool settingsValid,
                                      const QObject *owner);

    // ---- draining an accepted asynchronous write (serial, parallel) ----
    struct DrainStep
    {
        bool progress = false; // some bytes went out
        bool ended = false;    // the write is over; code 2 reports it
        bool lost = false;     // the device is gone; code 4 follows instead of code 2
    };
    // Lets the device take what it can of the rest. A failure that leaves the
    // device in place ends the write like a finished one (the owner waits for
    // code 2 before it writes again); one that means the device is gone drops
    // the rest unreported. Either way nothing of the write is left pending.
    DrainStep DrainWrite(CAsyncWrite &write, CPortDevice &device, const char *failureTrace);

    // ---- owner and notifications ----
    void AttachOwner(QObject *owner, uint32_t message, uint32_t userValue, bool async);
    void DetachOwner();                         // releases senders waiting on the owner
    QObject *Owner() const { return m_pOwner; } // window thread only
    uint32_t UserValue() const { return m_dwUserValue.load(); }
    bool IsAsync() const { return m_bAsync.load(); }
    uint32_t Message() const { return m_notifier.Message(); }
    void PostPortMsg(uint16_t code, uint32_t lParam, uint16_t error = 0) const;
    bool SendPortMsg(uint16_t code, uint32_t lParam, uint16_t error = 0) const;
    void ResetPercentDone() { m_nPercentDone = 0; }
    // A kind's Write calls this with the bytes it accepted; any thread.
    void TapWritten(const uint8_t *bytes, std::size_t length) const
    {
        if (m_bTapped.load(std::memory_order_relaxed))
            PutToTap(bytes, length);
    }

    // ---- errors and traces: the one place a port records them ----
    // Every kind sets its last error only through ClearLastError and the
    // Record functions; a failure with a text records both in one call.
    void PortTrace(TraceSeverity severity, const char *text) const;
    void ClearLastError() { m_dwLastError = 0; }
    void RecordError(uint32_t error) { m_dwLastError = error; } // no trace line
    void RecordError(uint32_t error, TraceSeverity severity, const char *text);
    // Maps the OS error through the table and adds the OS text to the trace.
    void RecordSystemError(int osError, TraceSeverity severity, const char *text);
    // OpenPort: forget the last failure at the start, note the device whose
    // open failed with `portError`.
    void ClearOpenFailure() { m_openFailure = {}; }
    void NoteOpenFailure(const std::string &device, uint32_t portError);

    std::mutex m_lock; // the port lock, for the kinds that name it

private:
    void EmitTrace(TraceSeverity severity, const char *text, const char *detail) const;
    void PutToTap(const uint8_t *bytes, std::size_t length) const;
    uint32_t StartFileTransfer(const char *path, int32_t passes, uint32_t intervalMs);
    void FileThreadProc();
    bool RunOnePass(std::FILE *file, const CFileProgress &progress, uint32_t &lastPosted);
    bool WriteChunkAndReport(const uint8_t *chunk, uint32_t length, uint32_t done,
                             const CFileProgress &progress, uint32_t &lastPosted);
    void UpdateSpeed(uint32_t done, bool passEnd = false);
    void WaitWhilePaused();
    void FinishFileThread(bool completed);
    void JoinFileThread();

    CPortNotifier m_notifier;
    QObject *m_pOwner = nullptr; // window thread only; the notifier guards delivery
    std::atomic<bool> m_bAsync{false};
    std::atomic<uint32_t> m_dwLastError{0};
    std::atomic<uint32_t> m_dwUserValue{0};

    std::string m_strFilePath; // written before the thread starts; any length the system takes
    std::atomic<bool> m_bSendingFile{false};
    std::atomic<int32_t> m_nPassesRemaining{0};
    std::atomic<uint32_t> m_dwPassInterval{0};
    std::atomic<int32_t> m_nPercentDone{0};
    std::atomic<uint32_t> m_dwSendSpeed{0};
    CPortEvent m_intervalEvent{CPortEvent::Reset::Auto};
    CPortEvent m_fileThreadEnded{CPortEvent::Reset::Manual};
    FileTransferRules m_fileRules; // set by the kind's constructor
    std::thread m_fileThread;      // window thread only
    CSpeedWindow m_speedWindow;    // file thread only
    uint64_t m_passBase = 0;       // file thread only: bytes of the passes before this one

    mutable std::mutex m_fileMutex; // guards m_bPaused
    std::condition_variable m_pauseCv;
    bool m_bPaused = false;

    PortOpenFailure m_openFailure; // window thread only

    std::atomic<bool> m_bTapped{false};
    mutable std::mutex m_tapMutex; // guards m_tap, held while a copy goes in
    std::shared_ptr<CWriteTap> m_tap;

    mutable std::mutex m_traceMutex; // guards m_lastTrace
    mutable std::string m_lastTrace;
};
