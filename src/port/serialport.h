// CSerialPort: a COM port.
//
// Threads:
//   - Window thread: every public operation. The owner's handler of code 1
//     calls Read, which takes no lock.
//   - Monitor thread (MonitorThreadProc): waits for new input, output room
//     and m_monitorWaker (kicked by Write, and by a Read that filled its
//     buffer); finishes the accepted asynchronous writes with
//     non-blocking writes; raises code 1 when new bytes are queued, code 2
//     when an accepted write has been taken by the driver, code 4 once when
//     the device is gone (hang-up or I/O error).
//   - File thread (CPortEx): writes 1024-byte chunks itself, woken by
//     m_chunkWaker on a stop; raises no code 2.
// Locks: m_lock (the port lock) guards the output buffer (a write is pending
// while it has a rest) and the count of finished writes; it is never held while a
// notification is delivered, and ClosePort detaches the owner before it
// waits for the monitor, so neither Write nor ClosePort can wait on an owner
// that waits for them.
// Notifications: 1 and 2 sent (monitor thread), 3 posted (asynchronous
// OpenPort), 4 posted (monitor thread), 5 to 8 posted (file thread).
#pragma once

#include "port/asyncwrite.h"
#include "port/portcfg.h"
#include "port/portex.h"
#include "port/portlines.h"
#include "port/serialdevice.h"

#include <thread>

class CSerialPort : public CPortEx, public CPortLines
{
public:
    CSerialPort();
    explicit CSerialPort(CPortDeviceOpener &opener); // tests give a faulty device here
    ~CSerialPort() override;

    uint32_t OpenPort(QObject *owner, uint8_t async, uint32_t userValue, uint32_t message) override;
    void ClosePort() override;
    uint32_t SetPortSettings(const void *settings) override; // tagSERIAL_CFG
    // Returns at once with what is queued (possibly nothing).
    uint32_t Read(uint8_t *buffer, uint32_t capacity, uint32_t *received) override;
    // Asynchronous mode: the bytes are copied; code 2 follows once they are out.
    uint32_t Write(const uint8_t *bytes, uint32_t length, uint32_t *written,
                   uint8_t background) override;
    PortKind GetPortType() const override { return PortKind::Serial; }

    // "COM" and the number in decimal.
    static std::string DeviceName(uint32_t port);

    // ---- control lines (serialport_lines.cpp), window thread, open port ----
    CPortLines *ControlLines() override { return this; }
    int GetModemLines(unsigned &lines) override;
    int SetModemLines(unsigned raise, unsigned drop) override;
    // On a thread of its own; ClosePort ends with the break.
    bool SendBreak(int durationMs) override;
    bool BreakRunning() const override { return m_breakOn; }
    int BreakError() const override { return m_breakError; }

protected:
    ChunkResult WriteFileChunk(const uint8_t *chunk, uint32_t length, uint32_t *written) override;
    void WakeFileChunkWait() override { m_chunkWaker.Signal(); }

private:
    struct Progress
    {
        uint32_t writesDone = 0;
        bool lost = false;
    };

    bool OpenDevice();
    void MonitorThreadProc();
    unsigned WaitForDevice(bool lost);
    Progress DrainOutput();
    void DrainOutputLocked(Progress &progress);
    void ReportInput();
    uint32_t WriteBlocking(const uint8_t *bytes, uint32_t length);
    uint32_t WriteAsync(const uint8_t *bytes, uint32_t length, uint32_t *written);
    void JoinBreak();

    CSerialDevice m_device;      // through the opener given at construction
    tagSERIAL_CFG m_cfg;         // window thread
    std::thread m_monitor;       // window thread
    CDeviceWaker m_monitorWaker; // the stop event, also kicked by Write
    CDeviceWaker m_chunkWaker;   // the chunk event of the file thread
    std::thread m_break;         // window thread; runs one SendBreak
    std::atomic<bool> m_breakOn{false};
    std::atomic<int> m_breakError{0}; // of the last break
    std::atomic<bool> m_stopping{false};
    // Input is reported when the bytes ever arrived (read + queued) grow, so
    // bytes that come while the owner handles code 1 are reported as well,
    // and after a full Read that left bytes queued.
    std::atomic<uint64_t> m_bytesRead{0}; // added to by Read
    std::atomic<uint64_t> m_fullReads{0}; // Reads that filled the caller's buffer
    uint64_t m_inputReported = 0;         // monitor thread only
    uint64_t m_fullReadsSeen = 0;         // monitor thread only

    // Guarded by m_lock.
    CAsyncWrite m_write;       // the rest of the accepted write; pending while it has one
    uint32_t m_writesDone = 0; // finished writes not yet reported by code 2
};
