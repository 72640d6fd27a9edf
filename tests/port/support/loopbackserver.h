// A TCP server on 127.0.0.1 (or ::1) with a port the system chose, for the
// network port tests. Blocking POSIX calls on the test's side of the connection.
#pragma once

#include <cstdint>
#include <string>

class CLoopbackServer
{
public:
    // Port() is 0 when the machine cannot listen there (no IPv6 loopback).
    explicit CLoopbackServer(bool ipv6 = false);
    ~CLoopbackServer();
    CLoopbackServer(const CLoopbackServer &) = delete;
    CLoopbackServer &operator=(const CLoopbackServer &) = delete;

    uint16_t Port() const { return m_port; }
    // Accepts the next connection; false after the time-out.
    bool Accept(int timeoutMs = 10000);
    // A small receive buffer makes a peer that stops reading fill up quickly.
    void SetSmallReceiveBuffer();
    // Reads until `count` bytes arrived or the client closed / time-out passed.
    std::string ReceiveFromClient(std::size_t count, int timeoutMs = 10000);
    bool SendToClient(const std::string &bytes); // small replies: one send
    void CloseClient();
    void ResetClient(); // closes with a reset

private:
    int m_listener = -1;
    int m_client = -1;
    uint16_t m_port = 0;
};

// A loopback port with nothing listening on it.
uint16_t UnusedLoopbackPort();
