#include "port/usbport.h"

#include "port/devicemap.h"
#include "port/porterror.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

constexpr auto kReaderPollInterval = std::chrono::milliseconds(1000);
// How long a close waits for a thread before it resets the side again.
constexpr auto kCloseResetInterval = std::chrono::milliseconds(200);

std::array<int8_t, kUsbDeviceCount + 1> g_usbDevices; // window thread only

} // namespace

std::string UsbDeviceName(int number)
{
    return "\\\\.\\QXUSB-" + std::to_string(number);
}

const int8_t *EnumUsbDevices()
{
    return EnumUsbDevices(SystemUsbDeviceOpener());
}

const int8_t *EnumUsbDevices(CUsbDeviceOpener &opener)
{
    g_usbDevices.fill(-1);
    std::size_t found = 0;
    for (int n = 0; n < kUsbDeviceCount; ++n) {
        if (opener.Probe(UsbDeviceName(n)))
            g_usbDevices[found++] = static_cast<int8_t>(n);
    }
    return g_usbDevices.data();
}

CUsbPort::CUsbPort() : CUsbPort(SystemUsbDeviceOpener()) {}

CUsbPort::CUsbPort(CUsbDeviceOpener &opener) : m_opener(opener)
{
    SetFileTransferRules({.resetIntervalOnStart = true,
                          .stopSignalsInterval = true,
                          .firstStopWait = std::chrono::milliseconds(1000)});
}

CUsbPort::~CUsbPort()
{
    if (IsOpen())
        ClosePort();
    StopSendFile(); // reaps a file thread that ended by itself
}

uint32_t CUsbPort::SetPortSettings(const void *settings)
{
    const auto *record = static_cast<const tagUSB_CFG *>(settings);
    if (!record || !record->pszPath)
        return 0;
    m_path.assign(record->pszPath, record->dwLength);
    m_bSettingsPresent = true;
    return 1;
}

uint32_t CUsbPort::OpenPort(QObject *owner, uint8_t async, uint32_t userValue, uint32_t message)
{
    static constexpr OpenChecks kChecks{
        .alreadyOpenTrace = "CUsbPort::OpenPort - Port already opened", .alreadyOpenIsError = true};
    if (const auto result = CheckOpen(kChecks, IsOpen(), m_bSettingsPresent, owner))
        return *result;
    uint32_t error = 0;
    m_device = m_opener.Open(m_path, error);
    if (!m_device) {
        RecordError(error, TraceSeverity::Refused, "CUsbPort::OpenPort - Unable to open port");
        NoteOpenFailure(DevicePath(m_path), error);
        return 0;
    }
    m_writerEnded.ResetEvent();
    m_readerEnded.ResetEvent();
    m_readerWake.ResetEvent();
    m_writer = std::thread(&CUsbPort::WriteThreadProc, this);
    m_reader = std::thread(&CUsbPort::ReadThreadProc, this);
    AttachOwner(owner, message, userValue, async != 0);
    if (owner)
        PostPortMsg(kPortOpened, UserValue());
    return 1;
}

void CUsbPort::ClosePort()
{
    ClearLastError();
    DetachOwner(); // releases a writer that waits for the owner
    if (!IsOpen()) {
        PortTrace(TraceSeverity::Information,
                  "CUsbPort::ClosePort - Method called when port is not open");
        return;
    }
    StopSendFile();
    m_bStopping = true;
    if (m_bWriteBusy)
        m_device->Reset(UsbSide::Output);
    m_writeEvent.Signal();
    StopThread(m_writer, m_writerEnded, UsbSide::Output);
    m_readerWake.Signal();
    m_device->Reset(UsbSide::Input);
    StopThread(m_reader, m_readerEnded, UsbSide::Input);
    m_bStopping = false;
    m_device.reset();
    m_bWriteBusy = false;
    m_background.clear();
    m_path.clear();
    m_bSettingsPresent = false;
}

// Waits for a port thread, resetting its side of the device while it is
// stuck in a transfer, so that a hanging device cannot hang the close.
void CUsbPort::StopThread(std::thread &thread, CPortEvent &ended, UsbSide side)
{
    while (!ended.WaitFor(kCloseResetInterval))
        m_device->Reset(side);
    thread.join();
}

uint32_t CUsbPort::Write(const uint8_t *bytes, uint32_t length, uint32_t *written,
                         uint8_t background)
{
    ClearLastError();
    if (!IsOpen()) {
        RecordError(kPortErrInvalidHandle);
        return 0;
    }
    if (length == 0)
        return 1;
    if (m_bWriteBusy) {
        RecordError(kPortErrIoPending);
        return 0;
    }
    if (!DeviceAnswers()) {
        PostPortMsg(kPortLost, UserValue());
        return 0;
    }
    if (Owner() && background) {
        m_bWriteBusy = true;
        m_background.assign(bytes, bytes + length);
        TapWritten(bytes, length);
        m_writeEvent.Signal();
        return 1;
    }
    const uint32_t count = ChunkedWrite(bytes, length);
    TapWritten(bytes, count);
    if (written)
        *written = count;
    return count == length ? 1 : 0;
}

uint32_t CUsbPort::Read(uint8_t *buffer, uint32_t capacity, uint32_t *received)
{
    uint32_t count = 0;
    bool more = false;
    {
        std::lock_guard lock(m_lock);
        count = static_cast<uint32_t>(std::min<std::size_t>(capacity, m_received.size()));
        std::memcpy(buffer, m_received.data(), count);
        m_received.erase(m_received.begin(), m_received.begin() + count);
        more = !m_received.empty();
    }
    if (received)
        *received = count;
    if (more)
        PostPortMsg(kPortDataArrived, UserValue()); // the owner reads the rest
    return count > 0 ? 1 : 0;
}

bool CUsbPort::PrepareFileTransfer()
{
    ResetPercentDone();
    if (DeviceAnswers())
        return true;
    PostPortMsg(kPortLost, UserValue());
    return false;
}

void CUsbPort::OnStopWaitTimedOut()
{
    if (m_device)
        m_device->Reset(UsbSide::Output);
}

CPortEx::ChunkResult CUsbPort::WriteFileChunk(const uint8_t *chunk, uint32_t length,
                                              uint32_t *written)
{
    if (!DeviceAnswers()) {
        PostPortMsg(kPortLost, UserValue());
        EndFileTransferSilently(); // the port is lost: no code 6
        return ChunkResult::Abandoned;
    }
    *written = ChunkedWrite(chunk, length);
    return ChunkResult::Written;
}

bool CUsbPort::DeviceAnswers()
{
    uint32_t error = 0;
    if (m_device && m_device->Status(error))
        return true;
    RecordError(error);
    return false;
}

// Writes in requests of at most 1024 bytes; a close ends it at the next one.
uint32_t CUsbPort::ChunkedWrite(const uint8_t *bytes, uint32_t length)
{
    uint32_t total = 0;
    while (total < length && !m_bStopping) {
        const uint32_t chunk = std::min(length - total, kUsbChunkSize);
        uint32_t taken = 0;
        uint32_t error = 0;
        if (!m_device->Write(bytes + total, chunk, taken, error)) {
            RecordError(error);
            break;
        }
        if (taken != chunk)
            break;
        total += chunk;
    }
    return total;
}

void CUsbPort::WriteThreadProc()
{
    for (;;) {
        m_writeEvent.Wait();
        if (m_bStopping)
            break;
        FinishBackgroundWrite();
    }
    m_writerEnded.Signal();
}

// The write is no longer busy when its outcome is reported: code 2 tells the
// owner that a new Write may be issued, so it must not be refused with 997.
void CUsbPort::FinishBackgroundWrite()
{
    const std::vector<uint8_t> bytes = std::move(m_background);
    m_background.clear();
    const auto length = static_cast<uint32_t>(bytes.size());
    const uint32_t count = length ? ChunkedWrite(bytes.data(), length) : 0;
    const bool answers = count == length || DeviceAnswers();
    m_bWriteBusy = false;
    if (m_bStopping || length == 0)
        return;
    if (count == length)
        SendPortMsg(kPortWriteDone, UserValue());
    else if (answers)
        SendPortMsg(kPortUsbWriteShort, UserValue());
    else
        PostPortMsg(kPortLost, UserValue());
}

void CUsbPort::ReadThreadProc()
{
    while (!m_bStopping) {
        if (m_bRecvEnable)
            PollDeviceOnce();
        m_readerWake.WaitFor(kReaderPollInterval);
    }
    m_readerEnded.Signal();
}

void CUsbPort::PollDeviceOnce()
{
    uint8_t buffer[kUsbChunkSize];
    uint32_t count = 0;
    uint32_t error = 0;
    if (!m_device->Read(buffer, count, error)) {
        m_device->Reset(UsbSide::Input);
        return;
    }
    if (count == 0)
        return;
    {
        std::lock_guard lock(m_lock);
        m_received.insert(m_received.end(), buffer, buffer + count);
    }
    PostPortMsg(kPortDataArrived, UserValue());
}
