#include "port/ethernetport.h"

#include "port/porterror.h"
#include "port/socketevents.h"

#include <cstring>

CEthernetPort::CEthernetPort()
    : m_events(new CSocketEvents(
          [this](CSocketEvents::Event event, uint16_t error) { OnSocketEvent(event, error); }))
{
    m_settings.dwMarker = kCfgMarkerUnset;
    // A stop during the interval between passes wakes the file thread, as in
    // every other kind: waiting the interval out would hold the window that
    // pressed stop for as long as the user asked to pause between passes.
    SetFileTransferRules(
        {.resetIntervalOnStart = true, .stopSignalsInterval = true, .firstStopWait = std::nullopt});
}

CEthernetPort::~CEthernetPort()
{
    ClosePort();
    m_events->Dispose();
}

uint32_t CEthernetPort::SetPortSettings(const void *settings)
{
    return AcceptSettings(settings, m_settings);
}

uint32_t CEthernetPort::OpenPort(QObject *owner, uint8_t async, uint32_t userValue,
                                 uint32_t message)
{
    static constexpr OpenChecks kChecks{
        .alreadyOpenIsError = true,
        .noSettingsTrace = "CEthernetPort::OpenPort - Port hasn't setup!",
        .noOwnerTrace = "CEthernetPort::OpenPort - No owner window!"};
    if (const auto result = CheckOpen(kChecks, m_socket != TcpSocket::kNone,
                                      m_settings.dwMarker == kCfgMarkerValid, owner))
        return *result;
    // A host of the full field width has no terminator: never read past it.
    m_host.assign(m_settings.szHost, strnlen(m_settings.szHost, kEthernetHostSize));
    m_dwPort = m_settings.wPort;
    TcpSocket::Address address;
    if (!ResolveAndCreate(address))
        return 0;
    AttachOwner(owner, message, userValue, async != 0);
    return async ? ConnectAsync(address) : ConnectAndWait(address);
}

// The socket's kind follows the address, so the name is resolved first.
bool CEthernetPort::ResolveAndCreate(TcpSocket::Address &address)
{
    uint32_t error = 0;
    if (!TcpSocket::Resolve(m_host.c_str(), address, error)) {
        RecordError(error, TraceSeverity::SystemCall, "CEthernetPort::OpenPort - Host not found");
        return false;
    }
    const TcpSocket::Handle socket = TcpSocket::Create(address, error);
    if (socket == TcpSocket::kNone) {
        RecordError(error, TraceSeverity::SystemCall,
                    "CEthernetPort::OpenPort - Unable to create the socket");
        return false;
    }
    m_socket = socket;
    return true;
}

uint32_t CEthernetPort::ConnectAsync(const TcpSocket::Address &address)
{
    m_events->WatchConnecting(m_socket);
    uint32_t error = 0;
    if (!TcpSocket::Connect(m_socket, address, static_cast<uint16_t>(m_dwPort), error) &&
        error != kSockErrWouldBlock) {
        m_events->Unwatch();
        FailOpen(error, "CEthernetPort::OpenPort - Unable to connect");
        return 0;
    }
    return 1; // the outcome comes as code 3
}

uint32_t CEthernetPort::ConnectAndWait(const TcpSocket::Address &address)
{
    uint32_t error = 0;
    const bool made =
        TcpSocket::Connect(m_socket, address, static_cast<uint16_t>(m_dwPort), error) ||
        (error == kSockErrWouldBlock && TcpSocket::WaitConnected(m_socket, error));
    if (!made) {
        FailOpen(error, "CEthernetPort::OpenPort - Unable to connect");
        return 0;
    }
    return 1;
}

void CEthernetPort::FailOpen(uint32_t error, const char *text)
{
    RecordError(error, TraceSeverity::SystemCall, text);
    TcpSocket::Close(m_socket.exchange(TcpSocket::kNone));
    DetachOwner();
}

void CEthernetPort::ClosePort()
{
    StopSendFile();
    m_events->Unwatch();
    TcpSocket::Close(m_socket.exchange(TcpSocket::kNone));
    DetachOwner();
    m_bWritePending = false;
    m_unsent.clear();
}

uint32_t CEthernetPort::Read(uint8_t *buffer, uint32_t capacity, uint32_t *received)
{
    ClearLastError();
    if (m_socket == TcpSocket::kNone) {
        RecordError(kSockErrNotConnected);
        return 0;
    }
    uint32_t error = 0;
    const int64_t n = TcpSocket::Recv(m_socket, buffer, capacity, error);
    m_events->RearmRead();
    if (received)
        *received = n < 0 ? 0 : static_cast<uint32_t>(n);
    if (n < 0) {
        RecordError(error);
        return 0;
    }
    return 1;
}

uint32_t CEthernetPort::Write(const uint8_t *bytes, uint32_t length, uint32_t *written, uint8_t)
{
    ClearLastError();
    if (m_socket == TcpSocket::kNone) {
        RecordError(kSockErrNotConnected);
        return 0;
    }
    if (m_bWritePending) {
        RecordError(kPortErrIoPending);
        return 0;
    }
    uint32_t error = 0;
    const int64_t n = TcpSocket::Send(m_socket, bytes, length, error);
    if (n < 0 && error != kSockErrWouldBlock) {
        RecordError(error);
        if (written)
            *written = 0;
        return 0;
    }
    if (written)
        *written = static_cast<uint32_t>(n); // -1 when nothing could be taken
    const uint32_t taken = n < 0 ? 0 : static_cast<uint32_t>(n);
    TapWritten(bytes, length); // what the socket did not take yet is kept and sent
    if (taken < length) {
        // Keep the rest instead of dropping it; the write events send it and
        // raise code 2 once it is out. Raising it now as well would tell the
        // owner to write again while this write still holds the socket.
        m_unsent.assign(reinterpret_cast<const char *>(bytes) + taken, length - taken);
        m_bWritePending = true;
        m_events->RearmWrite();
        return 1;
    }
    SendPortMsg(kPortWriteDone, UserValue());
    return 1;
}

void CEthernetPort::WakeFileChunkWait()
{
    m_sendEvent.Signal();
}

void CEthernetPort::OnSocketEvent(uint16_t event, uint16_t error)
{
    switch (event) {
    case CSocketEvents::Read:
        // Delivered only with bytes waiting, or with the error of asking.
        SendPortMsg(kPortDataArrived, UserValue(), error);
        break;
    case CSocketEvents::Write:
        OnWriteEvent(error);
        break;
    case CSocketEvents::Connect:
        SendPortMsg(kPortOpened, UserValue(), error);
        break;
    case CSocketEvents::Close:
        // A file thread waiting for room would otherwise wait until a stop:
        // woken, its next send fails and the transfer ends with code 6.
        if (IsFileTransferRunning())
            m_sendEvent.Signal();
        PostPortMsg(kPortLost, UserValue(), error);
        break;
    default:
        break;
    }
}

void CEthernetPort::OnWriteEvent(uint16_t error)
{
    // A file thread waiting for room is woken by every write event: one that
    // also finishes a pending Write must not leave it waiting until a stop.
    if (IsFileTransferRunning()) {
        m_sendEvent.Signal();
        if (!m_bWritePending)
            return;
    }
    if (m_bWritePending && !FlushUnsent(error))
        return; // still more to send: the next write event goes on with it
    m_bWritePending = false;
    SendPortMsg(kPortWriteDone, UserValue(), error);
}

// Sends the rest of a pending Write; false while some of it is still left.
bool CEthernetPort::FlushUnsent(uint16_t &error)
{
    while (!m_unsent.empty()) {
        uint32_t sendError = 0;
        const int64_t n = TcpSocket::Send(m_socket, m_unsent.data(),
                                          static_cast<uint32_t>(m_unsent.size()), sendError);
        if (n < 0 && sendError == kSockErrWouldBlock) {
            m_events->RearmWrite();
            return false;
        }
        if (n < 0) {
            error = static_cast<uint16_t>(sendError); // the rest is lost with the connection
            m_unsent.clear();
            break;
        }
        m_unsent.erase(0, static_cast<std::size_t>(n));
    }
    return true;
}

CPortEx::ChunkResult CEthernetPort::WriteFileChunk(const uint8_t *chunk, uint32_t length,
                                                   uint32_t *written)
{
    uint32_t sent = 0;
    while (sent < length && IsFileTransferRunning()) {
        uint32_t taken = 0;
        if (!SendPortion(chunk + sent, length - sent, taken))
            break;
        sent += taken;
    }
    if (!IsFileTransferRunning())
        return ChunkResult::Abandoned;
    *written = sent; // short: the base reports code 6
    return ChunkResult::Written;
}

bool CEthernetPort::SendPortion(const uint8_t *data, uint32_t length, uint32_t &taken)
{
    for (;;) {
        uint32_t error = 0;
        const int64_t n = TcpSocket::Send(m_socket, data, length, error);
        if (n >= 0) {
            taken = static_cast<uint32_t>(n);
            return true;
        }
        if (error != kSockErrWouldBlock)
            return false;
        m_events->RearmWrite(); // queued to the window thread
        m_sendEvent.Wait();
        if (!IsFileTransferRunning())
            return false;
    }
}
