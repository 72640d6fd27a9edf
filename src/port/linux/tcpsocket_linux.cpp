// TCP sockets through the BSD socket calls of Linux.
#include "port/tcpsocket.h"

#include "port/porterror.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace TcpSocket {

namespace {

uint32_t LastError()
{
    return SocketErrorFromSystem(errno);
}

uint32_t ErrorFromResolver(int result)
{
    switch (result) {
    case EAI_AGAIN:
        return kSockErrTryAgain;
    case EAI_FAIL:
        return kSockErrNoRecovery;
    case EAI_SYSTEM:
        return LastError();
    default:
        return kSockErrHostNotFound;
    }
}

} // namespace

Handle Create(const Address &address, uint32_t &error)
{
    const int family = address.ipv6 ? AF_INET6 : AF_INET;
    const int fd = socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0)
        error = LastError();
    return fd < 0 ? kNone : fd;
}

namespace {

Address AddressOf(const sockaddr *found)
{
    Address address;
    address.ipv6 = found->sa_family == AF_INET6;
    if (address.ipv6) {
        const auto *v6 = reinterpret_cast<const sockaddr_in6 *>(found);
        std::memcpy(address.bytes, &v6->sin6_addr, sizeof v6->sin6_addr);
        address.scope = v6->sin6_scope_id;
    } else {
        const auto *v4 = reinterpret_cast<const sockaddr_in *>(found);
        std::memcpy(address.bytes, &v4->sin_addr, sizeof v4->sin_addr);
    }
    return address;
}

// The first IPv4 address of the list, else its first IPv6 address.
const addrinfo *Preferred(const addrinfo *list)
{
    const addrinfo *ipv6 = nullptr;
    for (const addrinfo *entry = list; entry; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET)
            return entry;
        if (entry->ai_family == AF_INET6 && !ipv6)
            ipv6 = entry;
    }
    return ipv6;
}

} // namespace

bool Resolve(const char *host, Address &address, uint32_t &error)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    const int result = getaddrinfo(host, nullptr, &hints, &found);
    const addrinfo *chosen = result == 0 ? Preferred(found) : nullptr;
    if (chosen)
        address = AddressOf(chosen->ai_addr);
    else
        error = ErrorFromResolver(result);
    if (found)
        freeaddrinfo(found);
    return chosen != nullptr;
}

bool Connect(Handle socket, const Address &address, uint16_t port, uint32_t &error)
{
    sockaddr_storage peer{};
    socklen_t length = 0;
    if (address.ipv6) {
        auto *v6 = reinterpret_cast<sockaddr_in6 *>(&peer);
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(port);
        std::memcpy(&v6->sin6_addr, address.bytes, sizeof v6->sin6_addr);
        v6->sin6_scope_id = address.scope;
        length = sizeof *v6;
    } else {
        auto *v4 = reinterpret_cast<sockaddr_in *>(&peer);
        v4->sin_family = AF_INET;
        v4->sin_port = htons(port);
        std::memcpy(&v4->sin_addr, address.bytes, sizeof v4->sin_addr);
        length = sizeof *v4;
    }
    if (connect(static_cast<int>(socket), reinterpret_cast<sockaddr *>(&peer), length) == 0)
        return true;
    // Winsock reports a non-blocking connect under way as "would block".
    error = errno == EINPROGRESS ? kSockErrWouldBlock : LastError();
    return false;
}

bool WaitConnected(Handle socket, uint32_t &error)
{
    pollfd pfd{static_cast<int>(socket), POLLOUT, 0};
    while (poll(&pfd, 1, -1) < 0) {
        if (errno != EINTR) {
            error = LastError();
            return false;
        }
    }
    error = PendingError(socket);
    return error == 0;
}

int64_t Send(Handle socket, const void *data, uint32_t length, uint32_t &error)
{
    const ssize_t n = send(static_cast<int>(socket), data, length, MSG_NOSIGNAL);
    if (n < 0)
        error = LastError();
    return n;
}

int64_t Recv(Handle socket, void *buffer, uint32_t capacity, uint32_t &error)
{
    const ssize_t n = recv(static_cast<int>(socket), buffer, capacity, 0);
    if (n < 0)
        error = LastError();
    return n;
}

bool BytesWaiting(Handle socket, uint32_t &count, uint32_t &error)
{
    int waiting = 0;
    if (ioctl(static_cast<int>(socket), FIONREAD, &waiting) != 0) {
        error = LastError();
        return false;
    }
    count = static_cast<uint32_t>(waiting);
    return true;
}

uint32_t PendingError(Handle socket)
{
    int pending = 0;
    socklen_t length = sizeof pending;
    if (getsockopt(static_cast<int>(socket), SOL_SOCKET, SO_ERROR, &pending, &length) != 0)
        return LastError();
    return pending == 0 ? 0 : SocketErrorFromSystem(pending);
}

bool HasClosed(Handle socket, uint32_t &error)
{
    char byte;
    const ssize_t n = recv(static_cast<int>(socket), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n > 0 || (n < 0 && (errno == EAGAIN || errno == EINTR)))
        return false;
    error = n == 0 ? 0 : LastError();
    return true;
}

void Close(Handle socket)
{
    if (socket != kNone)
        close(static_cast<int>(socket));
}

} // namespace TcpSocket
