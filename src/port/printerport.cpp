#include "printerport.h"

#include "porterror.h"

#include <chrono>
#include <cstring>
#include <thread>

namespace {

// Gives the spooler time to take the last chunk before the job is ended.
constexpr auto kJobEndDelay = std::chrono::milliseconds(100);

} // namespace

CPrinterPort::CPrinterPort()
{
    m_settings.dwMarker = kCfgMarkerUnset;
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
    if (!m_printer.empty()) {
        PortTrace(0, "CPrinterPort::OpenPort - Port already opened!");
        return 1;
    }
    if (m_settings.dwMarker != kCfgMarkerValid) {
        PortTrace(1, "CPrinterPort::OpenPort - Port hasn't setup!");
        return 0;
    }
    ResetPercentDone();
    const std::string name(m_settings.szPrinter, strnlen(m_settings.szPrinter, kPrinterNameSize));
    if (name.empty())
        return 0;
    uint32_t error = 0;
    if (!Spooler::QueueExists(name, error)) {
        RecordError(error, 3, "CPrinterPort::OpenPort - Unable to open the printer");
        return 0;
    }
    m_printer = name;
    AttachOwner(owner, message, userValue, async != 0);
    if (async)
        PostPortMsg(kPortOpened, UserValue());
    return 1;
}

void CPrinterPort::ClosePort()
{
    DetachOwner();
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
    if (m_printer.empty()) {
        SetLastError(1006);
        return 0;
    }
    if (length == 0)
        return 1;
    SetLastError(0);
    CSpoolJob job;
    uint32_t error = 0;
    const bool sent = job.Start(m_printer, kPrinterJobTitle, error) &&
                      job.Write(bytes, length, error) && job.End(error);
    if (!sent)
        SetLastError(error);
    if (written)
        *written = sent ? length : 0;
    SendPortMsg(kPortWriteDone, UserValue());
    return 1;
}

uint32_t CPrinterPort::SendFile(const char *path, int32_t passes, uint32_t intervalMs)
{
    return StartFileTransfer(path, passes, intervalMs);
}

uint32_t CPrinterPort::PauseSendFile()
{
    return PauseFileTransfer();
}

uint32_t CPrinterPort::StopSendFile()
{
    return StopFileTransfer();
}

void CPrinterPort::OnFilePassEnd()
{
    EndPassJob();
}

void CPrinterPort::OnFileThreadEnd()
{
    EndPassJob(); // a stopped pass still ends its job
}

// A pass is one job: the job starts with the first chunk of the pass and ends
// after its last one, before the pass is reported done; a failed write ends
// the job before the failure is reported.
CPortEx::ChunkResult CPrinterPort::WriteFileChunk(const uint8_t *chunk, uint32_t length,
                                                  uint32_t *written)
{
    uint32_t error = 0;
    if (!m_fileJob.IsOpen())
        m_fileJob.Start(m_printer, kPrinterJobTitle, error);
    const bool ok = m_fileJob.IsOpen() && m_fileJob.Write(chunk, length, error);
    *written = ok ? length : 0;
    if (!ok) {
        SetLastError(error);
        EndPassJob();
    }
    return ChunkResult::Written;
}

void CPrinterPort::EndPassJob()
{
    if (!m_fileJob.IsOpen())
        return;
    std::this_thread::sleep_for(kJobEndDelay);
    uint32_t error = 0;
    m_fileJob.End(error);
}
