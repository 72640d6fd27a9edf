// CPrinterPort: any printer queue the system's spooler knows, named by a
// tagPRINTER_CFG. Every Write is one raw job titled "Tarvik", and so is every
// pass of a file transfer; the bytes reach the printer unchanged. The kind
// cannot receive.
//
// Threads:
//   - Window thread: every public operation.
//   - File thread: one job per pass (m_fileJob is file-thread only).
// The view does not call Write while a transfer runs, and the two never share
// a job: each job has its own spooler connection.
// Notifications:
//   code 2  sent    by Write itself on the window thread, after the job ended
//   code 3  posted  by an asynchronous OpenPort
//   codes 5-8 posted by the file thread (portex.h); a pass whose writes fail
//           ends its job first, then code 6 follows.
#pragma once

#include "portcfg.h"
#include "portex.h"
#include "spooler.h"

#include <string>

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
    // One job per call. Code 2 follows every Write on an open port, so the
    // view's send button comes back; a job the spooler refused shows in the
    // count written and the last error.
    uint32_t Write(const uint8_t *bytes, uint32_t length, uint32_t *written,
                   uint8_t background) override;
    uint32_t SendFile(const char *path, int32_t passes, uint32_t intervalMs) override;
    uint32_t PauseSendFile() override;
    uint32_t StopSendFile() override;
    int32_t GetPortType() override { return 5; }

protected:
    ChunkResult WriteFileChunk(const uint8_t *chunk, uint32_t length, uint32_t *written) override;
    void OnFilePassEnd() override;
    void OnFileThreadEnd() override;

private:
    void EndPassJob();

    tagPRINTER_CFG m_settings{};
    std::string m_printer; // the open queue, empty while closed; changed only while no
                           // file thread runs, which reads it
    CSpoolJob m_fileJob;   // file thread only
};
