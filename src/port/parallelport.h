// CParallelPort: an LPT port. It only sends; Read always returns 0.
//
// Threads:
//   - Window thread: every public operation.
//   - Monitor thread (asynchronous mode only): drains the accepted write with
//     non-blocking writes and raises code 2 for each write the device has
//     taken, then clears write pending; it raises code 4 once when the device
//     reports a hang-up or an I/O error.
//   - File thread (CPortEx): writes 1024-byte chunks itself, woken by
//     m_chunkWaker on a stop.
// Locks: m_lock guards the write rest, write pending and the count of
// finished writes; it is never held while a notification is delivered.
// ClosePort detaches the owner before it waits for the monitor.
// Notifications: 2 sent (monitor), 3 posted (asynchronous OpenPort),
// 4 posted (monitor), 5 to 8 posted (file thread).
#pragma once

#include "port/asyncwrite.h"
#include "port/portcfg.h"
#include "port/portdevice.h"
#include "port/portex.h"

#include <memory>

#include <thread>

class CParallelPort : public CPortEx
{
public:
    CParallelPort();
    explicit CParallelPort(CPortDeviceOpener &opener); // tests give a faulty device here
    ~CParallelPort() override;

    uint32_t OpenPort(QObject *owner, uint8_t async, uint32_t userValue, uint32_t message) override;
    void ClosePort() override;
    uint32_t SetPortSettings(const void *settings) override; // tagPARALLEL_CFG
    uint32_t Read(uint8_t *buffer, uint32_t capacity, uint32_t *received) override;
    uint32_t Write(const uint8_t *bytes, uint32_t length, uint32_t *written,
                   uint8_t background) override;
    PortKind GetPortType() const override { return PortKind::Parallel; }

    // "LPT" and one character: the low byte of the number plus '0'.
    static std::string DeviceName(uint32_t port);

protected:
    ChunkResult WriteFileChunk(const uint8_t *chunk, uint32_t length, uint32_t *written) override;
    void WakeFileChunkWait() override { m_chunkWaker.Signal(); }

private:
    struct Drained
    {
        uint32_t writesDone = 0;
        bool progress = false; // some bytes went out
        bool lost = false;
    };

    bool IsOpen() const { return m_file != nullptr; }
    void MonitorThreadProc();
    unsigned WaitForDevice(bool lost, bool stalled);
    Drained DrainOutput();
    uint32_t WriteAsync(const uint8_t *bytes, uint32_t length, uint32_t *written);
    uint32_t WriteBlocking(const uint8_t *bytes, uint32_t length, uint32_t *written);

    CPortDeviceOpener &m_opener;
    std::unique_ptr<CPortDevice> m_file; // set and dropped by the window thread
    tagPARALLEL_CFG m_cfg;               // window thread
    std::thread m_monitor;               // window thread
    CDeviceWaker m_monitorWaker;         // stop, and the kick of each accepted write
    CDeviceWaker m_chunkWaker;           // the chunk event of the file thread
    std::atomic<bool> m_stopping{false};

    // Guarded by m_lock.
    CAsyncWrite m_write;
    bool m_bWritePending = false;
    uint32_t m_writesDone = 0; // taken by the device, not yet reported
};
