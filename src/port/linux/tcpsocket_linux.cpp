// TCP sockets through the BSD socket calls of Linux.
#include "port/tcpsocket.h"

#include "port/porterror.h"

#include <arpa/inet.h>
#include <cerrno>
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

Handle Create(uint32_t &error)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0)
        error = LastError();
    return fd < 0 ? kNone : fd;
}

bool Resolve(const char *host, uint32_t &address, uint32_t &error)
{
    in_addr dotted{};
    if (inet_pton(AF_INET, host, &dotted) == 1) {
        address = dotted.s_addr;
        return true;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    const int result = getaddrinfo(host, nullptr, &hints, &found);
    if (result != 0 || !found) {
        error = ErrorFromResolver(result);
        return false;
    }
    address = reinterpret_cast<const sockaddr_in *>(found->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(found);
    return true;
}

bool Connect(Handle socket, uint32_t address, uint16_t port, uint32_t &error)
{
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    peer.sin_addr.s_addr = address;
    if (connect(static_cast<int>(socket), reinterpret_cast<sockaddr *>(&peer), sizeof peer) == 0)
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
