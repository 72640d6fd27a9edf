// CEthernetPort: a printer on the network, reached over one TCP connection to
// the host and port of a tagETHERNET_CFG (a name, an IPv4 address or an IPv6
// address without brackets, see TcpSocket::Resolve; the connection kind of
// the record is ignored, the port always uses TCP).
//
// There is no monitor thread: the socket is non-blocking and its events come to
// a helper object (CSocketEvents) on the thread that constructed the port, the
// window thread, which turns them into notifications:
//   code 1  sent    bytes are waiting (again only after the next Read)
//   code 2  sent    by Write itself, and on the write event after a Write whose
//                   bytes the socket could not take at once (see Write)
//   code 3  sent    the connect started by an asynchronous OpenPort finished;
//                   HIWORD is the socket error, 0 when connected
//   code 4  posted  the connection ended; HIWORD is the socket error
//   codes 5-8 posted by the file thread (portex.h)
// Socket errors are Winsock numbers (tcpsocket.h) on every platform.
//
// Threads:
//   - Window thread: every public operation and the socket events. The write
//     pending state and the unsent rest of a Write are window-thread only.
//   - File thread: sends the chunks; when the socket is full it re-arms the
//     write event and sleeps on m_sendEvent, which the write event and
//     StopSendFile signal. The socket handle is atomic because the file thread
//     reads it; ClosePort stops the file thread before the socket goes.
#pragma once

#include "port/portcfg.h"
#include "port/portex.h"
#include "port/tcpsocket.h"

#include <atomic>
#include <string>

class CSocketEvents;

class CEthernetPort : public CPortEx
{
public:
    CEthernetPort(); // on the window thread: the socket events are delivered there
    ~CEthernetPort() override;

    uint32_t OpenPort(QObject *owner, uint8_t async, uint32_t userValue, uint32_t message) override;
    void ClosePort() override;
    uint32_t SetPortSettings(const void *settings) override;
    uint32_t Read(uint8_t *buffer, uint32_t capacity, uint32_t *received) override;
    // Sends what the socket takes at once and reports code 2. When it could not
    // take everything, the write stays pending: further writes are refused
    // with 997 and the rest goes out on the next write events, after which
    // code 2 follows again.
    uint32_t Write(const uint8_t *bytes, uint32_t length, uint32_t *written,
                   uint8_t background) override;
    PortKind GetPortType() const override { return PortKind::Network; }
    uint32_t ReadBlockSize() const override { return kMaxReadBlock; }

protected:
    ChunkResult WriteFileChunk(const uint8_t *chunk, uint32_t length, uint32_t *written) override;
    void WakeFileChunkWait() override;

private:
    bool ResolveAndCreate(TcpSocket::Address &address);
    uint32_t ConnectAsync(const TcpSocket::Address &address);
    uint32_t ConnectAndWait(const TcpSocket::Address &address);
    void FailOpen(uint32_t error, const char *text);
    void OnSocketEvent(uint16_t event, uint16_t error);
    void OnWriteEvent(uint16_t error);
    bool FlushUnsent(uint16_t &error);
    // One portion of a file chunk: false when the chunk has failed or stopped.
    bool SendPortion(const uint8_t *data, uint32_t length, uint32_t &taken);

    std::atomic<TcpSocket::Handle> m_socket{TcpSocket::kNone};
    std::string m_host;           // from the settings at OpenPort
    uint32_t m_dwPort = 0;        // from the settings at OpenPort
    CSocketEvents *m_events;      // window thread; disposed by the destructor
    bool m_bWritePending = false; // window thread only
    std::string m_unsent;         // window thread only: the rest of a pending Write
    tagETHERNET_CFG m_settings{};
    CPortEvent m_sendEvent{CPortEvent::Reset::Auto};
};
