// The TCP device layer of the network port: a non-blocking stream socket to an
// IPv4 or an IPv6 address.
//
// Every failure is reported with the Winsock error number (kSockErr... of
// porterror.h) the network port keeps as its last error and puts into its
// notifications, so callers see the same values on every platform (10035 would
// block, 10057 not connected, 10061 refused, 10054 reset, 11001 host not
// found ...). The OS's errors go through the one socket table of porterror.
//
// Thread contract: Send may run on a file thread while the window thread
// receives on the same socket; Create, Connect and Close run on the window
// thread.
#pragma once

#include <cstdint>

namespace TcpSocket {

using Handle = intptr_t;
inline constexpr Handle kNone = -1;

// One address of a host, in network byte order.
struct Address
{
    bool ipv6 = false;
    uint8_t bytes[16] = {}; // IPv4: the first four
    uint32_t scope = 0;     // IPv6: the interface of a link-local address
};

// A host name, an IPv4 address or an IPv6 address (without brackets) to one
// address. A name with addresses of both kinds gives its first IPv4 address,
// which keeps names that served before IPv6 reaching the same peer.
bool Resolve(const char *host, Address &address, uint32_t &error);
// A non-blocking TCP socket of the address's kind, or kNone with `error` set.
Handle Create(const Address &address, uint32_t &error);
// Starts connecting; false with kSockErrWouldBlock while the connection is
// under way, as a non-blocking connect reports it on every platform (its outcome then comes as a
// connect event).
bool Connect(Handle socket, const Address &address, uint16_t port, uint32_t &error);
// Waits for a connect under way to finish; false with the error when it failed.
bool WaitConnected(Handle socket, uint32_t &error);
// Bytes taken, or -1 with `error` set (kSockErrWouldBlock when the socket is full).
int64_t Send(Handle socket, const void *data, uint32_t length, uint32_t &error);
// Bytes received (0 when the peer has closed), or -1 with `error` set.
int64_t Recv(Handle socket, void *buffer, uint32_t capacity, uint32_t &error);
// Number of bytes waiting to be received.
bool BytesWaiting(Handle socket, uint32_t &count, uint32_t &error);
// The pending error of the socket (connect outcome), 0 if none.
uint32_t PendingError(Handle socket);
// True when the connection has ended; `error` is 0 for an orderly close by the
// peer or the error that broke the connection.
bool HasClosed(Handle socket, uint32_t &error);
void Close(Handle socket);

} // namespace TcpSocket
