// CPrinterPort: any printer queue the system's spooler knows, named by a
// tagPRINTER_CFG ("queue" or "queue/instance"). Every Write is one raw job
// titled "Tarvik", and so is every pass of a file transfer; the bytes reach
// the printer unchanged. The kind cannot receive.
//
// A job counts as sent only once the spooler has printed it: before a job the
// queue's state is read (a stopped queue or one that rejects jobs refuses it),
// and after it the job is watched until it completes or aborts. Why the
// spooler failed is kept (GetSpoolFailure) for the owner to show.
//
// Threads:
//   - Window thread: every public operation; none of them asks the spooler
//     when the port was opened asynchronously (only a synchronous OpenPort
//     looks for the queue, at most kSpoolerTimeout).
//   - Write thread: from OpenPort to ClosePort; after an asynchronous open it
//     looks for the queue and posts code 3 with the result; then it sends
//     each accepted Write's job (whose start reads the queue's state) and
//     watches it (m_writeJob), then sends code 2. It looks for the queue on
//     m_writeJob's connection, so ClosePort cuts the look as it cuts a job.
//     It lives as long as the port so that a code 2 handler that writes
//     again never waits for it.
//   - File thread: one job per pass (m_fileJob).
// ClosePort cuts the write job's connection (CSpoolJob::Cut) and joins the
// write thread; StopSendFile lets the file thread end its job and cuts its
// connection if that takes longer than a second. So a spooler that does not
// answer never holds either.
// Shared state: m_writeBusy is atomic; the write request is guarded by
// m_writeLock; m_failure by m_failureLock; m_printer changes only while no
// thread of this port runs.
// Notifications:
//   code 2  sent    by the write thread once the job has printed or failed;
//                   HIWORD is the last error of a failed job, 0 otherwise
//   code 3  posted  by the write thread after an asynchronous OpenPort;
//                   HIWORD is the last error when the queue was not found
//   codes 5-8 posted by the file thread (portex.h); code 8 follows a pass once
//           its job has printed, and code 6 a pass whose job failed.
#pragma once

#include "port/portcfg.h"
#include "port/portex.h"
#include "port/spooler.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

inline constexpr char kPrinterJobTitle[] = "Tarvik";

class CPrinterPort : public CPortEx
{
public:
    CPrinterPort();
    ~CPrinterPort() override;

    uint32_t OpenPort(QObject *owner, uint8_t async, uint32_t userValue, uint32_t message) override;
    void ClosePort() override;
    uint32_t SetPortSettings(const void *settings) override;
    uint32_t Read(uint8_t *buffer, uint32_t capacity, uint32_t *received) override;
    // One job per call, sent in the background; code 2 ends every accepted
    // Write. Refused (0) while the previous job is under way (997), and when
    // the queue does not take jobs (see GetSpoolFailure). The count written
    // is the bytes taken for the job.
    uint32_t Write(const uint8_t *bytes, uint32_t length, uint32_t *written,
                   uint8_t background) override;
    PortKind GetPortType() const override { return PortKind::Printer; }

    // Why the last refused Write, failed job or failed pass failed; fault
    // None when nothing failed since the last Write or SendFile.
    SpoolFailure GetSpoolFailure() const override;

protected:
    // A new transfer forgets the last failure and undoes the last stop's cut.
    bool PrepareFileTransfer() override;
    ChunkResult WriteFileChunk(const uint8_t *chunk, uint32_t length, uint32_t *written) override;
    void OnFilePassEnd() override;
    void OnFileThreadEnd() override;
    void OnStopWaitTimedOut() override;

private:
    bool QueueFound(const std::string &name);
    void WriteThreadProc(bool reportOpen);
    bool TakeWriteRequest(std::vector<uint8_t> &bytes);
    bool SendJob(const std::vector<uint8_t> &bytes, SpoolFailure &failure);
    void StopWriteThread();
    void RecordFailure(const SpoolFailure &failure);
    void ClearFailure();
    // Ends the pass's job and watches it; false when it failed.
    bool EndPassJob(SpoolFailure &failure);

    tagPRINTER_CFG m_settings{};
    std::string m_printer; // the open queue, empty while closed

    std::thread m_writeThread; // window thread only
    std::atomic<bool> m_writeBusy{false};
    std::mutex m_writeLock;
    std::condition_variable m_writeWake;
    std::vector<uint8_t> m_writeBytes; // guarded by m_writeLock, with the two flags
    bool m_writeQueued = false;
    bool m_writeQuit = false;
    CSpoolJob m_writeJob; // write thread; Cut from the window thread
    CSpoolJob m_fileJob;  // file thread; Cut from the window thread

    mutable std::mutex m_failureLock;
    SpoolFailure m_failure; // guarded by m_failureLock
};
