#include "loopbackserver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int ListenOnAnyLoopbackPort(uint16_t &port, bool ipv6)
{
    const int fd = socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in6 v6{};
    v6.sin6_family = AF_INET6;
    v6.sin6_addr = in6addr_loopback;
    sockaddr_in v4{};
    v4.sin_family = AF_INET;
    v4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    auto *addr = ipv6 ? reinterpret_cast<sockaddr *>(&v6) : reinterpret_cast<sockaddr *>(&v4);
    socklen_t length = ipv6 ? sizeof v6 : sizeof v4;
    if (fd < 0 || bind(fd, addr, length) != 0 || listen(fd, 4) != 0 ||
        getsockname(fd, addr, &length) != 0) {
        if (fd >= 0)
            close(fd);
        return -1;
    }
    port = ntohs(ipv6 ? v6.sin6_port : v4.sin_port);
    return fd;
}

bool WaitReadable(int fd, int timeoutMs)
{
    pollfd pfd{fd, POLLIN, 0};
    return poll(&pfd, 1, timeoutMs) > 0;
}

} // namespace

CLoopbackServer::CLoopbackServer(bool ipv6)
{
    m_listener = ListenOnAnyLoopbackPort(m_port, ipv6);
}

CLoopbackServer::~CLoopbackServer()
{
    CloseClient();
    close(m_listener);
}

bool CLoopbackServer::Accept(int timeoutMs)
{
    if (m_listener < 0 || !WaitReadable(m_listener, timeoutMs))
        return false;
    m_client = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
    return m_client >= 0;
}

void CLoopbackServer::SetSmallReceiveBuffer()
{
    const int size = 4096; // inherited by the accepted connection
    setsockopt(m_listener, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
}

std::string CLoopbackServer::ReceiveFromClient(std::size_t count, int timeoutMs)
{
    std::string received;
    char buffer[65536];
    while (received.size() < count && WaitReadable(m_client, timeoutMs)) {
        const ssize_t n =
            recv(m_client, buffer, std::min(sizeof buffer, count - received.size()), 0);
        if (n <= 0)
            break;
        received.append(buffer, std::size_t(n));
    }
    return received;
}

bool CLoopbackServer::SendToClient(const std::string &bytes)
{
    return send(m_client, bytes.data(), bytes.size(), MSG_NOSIGNAL) == ssize_t(bytes.size());
}

void CLoopbackServer::CloseClient()
{
    if (m_client >= 0)
        close(m_client);
    m_client = -1;
}

void CLoopbackServer::ResetClient()
{
    const linger abortive{1, 0};
    setsockopt(m_client, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    CloseClient();
}

uint16_t UnusedLoopbackPort()
{
    uint16_t port = 0;
    close(ListenOnAnyLoopbackPort(port, false));
    return port;
}
