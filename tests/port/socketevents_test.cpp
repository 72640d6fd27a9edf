#include "porterror.h"
#include "portowner.h"
#include "socketevents.h"
#include "support/eventloop.h"
#include "support/loopbackserver.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

struct Seen
{
    CSocketEvents::Event event;
    uint16_t error;
    bool operator==(const Seen &) const = default;
};

void PrintTo(const Seen &seen, std::ostream *os)
{
    *os << "{event " << seen.event << ", error " << seen.error << "}";
}

class SocketEventsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_events = new CSocketEvents([this](CSocketEvents::Event event, uint16_t error) {
            m_seen.push_back({event, error});
        });
    }
    void TearDown() override
    {
        m_events->Dispose();
        TcpSocket::Close(m_socket);
    }

    // Starts connecting to the loopback port and watches the socket.
    void StartConnect(uint16_t port)
    {
        uint32_t error = 0;
        m_socket = TcpSocket::Create(error);
        ASSERT_NE(m_socket, TcpSocket::kNone);
        const bool made = TcpSocket::Connect(m_socket, htonl(INADDR_LOOPBACK), port, error);
        ASSERT_TRUE(made || error == kSockErrWouldBlock) << error;
        m_events->WatchConnecting(m_socket);
    }

    void ConnectAndDrainStartEvents(CLoopbackServer &server)
    {
        StartConnect(server.Port());
        ASSERT_TRUE(server.Accept());
        ASSERT_TRUE(ProcessEventsUntil([&] { return m_seen.size() >= 2; }));
        m_seen.clear();
    }

    size_t Count(CSocketEvents::Event event) const
    {
        return static_cast<size_t>(std::count_if(m_seen.begin(), m_seen.end(),
                                                 [&](const Seen &s) { return s.event == event; }));
    }

    CSocketEvents *m_events = nullptr;
    TcpSocket::Handle m_socket = TcpSocket::kNone;
    std::vector<Seen> m_seen;
};

TEST_F(SocketEventsTest, ConnectGivesConnectThenOneWriteAndNoMore)
{
    CLoopbackServer server;
    StartConnect(server.Port());
    ASSERT_TRUE(ProcessEventsUntil([&] { return m_seen.size() >= 2; }))
        << testing::PrintToString(m_seen);
    ProcessEventsFor(200); // the socket stays writable: no further write event
    const std::vector<Seen> expected{{CSocketEvents::Connect, 0}, {CSocketEvents::Write, 0}};
    EXPECT_EQ(m_seen, expected);
}

TEST_F(SocketEventsTest, RefusedConnectCarriesTheErrorAndEndsTheEvents)
{
    StartConnect(UnusedLoopbackPort());
    ASSERT_TRUE(ProcessEventsUntil([&] { return !m_seen.empty(); }));
    ProcessEventsFor(200);
    const std::vector<Seen> expected{{CSocketEvents::Connect, kSockErrConnRefused}};
    EXPECT_EQ(m_seen, expected);
}

TEST_F(SocketEventsTest, ReadIsRearmedOnlyByTheNextRecv)
{
    CLoopbackServer server;
    ConnectAndDrainStartEvents(server);
    ASSERT_TRUE(server.SendToClient("first"));
    ASSERT_TRUE(ProcessEventsUntil([&] { return Count(CSocketEvents::Read) == 1; }));
    ASSERT_TRUE(server.SendToClient("second"));
    ProcessEventsFor(200);
    EXPECT_EQ(Count(CSocketEvents::Read), 1u) << "read event without a recv in between";

    char buffer[4];
    uint32_t error = 0;
    ASSERT_EQ(TcpSocket::Recv(m_socket, buffer, sizeof buffer, error), 4);
    m_events->RearmRead();
    ASSERT_TRUE(ProcessEventsUntil([&] { return Count(CSocketEvents::Read) == 2; }));
    EXPECT_EQ(m_seen.back(), (Seen{CSocketEvents::Read, 0}));
}

TEST_F(SocketEventsTest, OrderlyCloseAfterTheLastBytesWereRead)
{
    CLoopbackServer server;
    ConnectAndDrainStartEvents(server);
    ASSERT_TRUE(server.SendToClient("bye"));
    server.CloseClient();
    ASSERT_TRUE(ProcessEventsUntil([&] { return !m_seen.empty(); }));
    EXPECT_EQ(m_seen.front(), (Seen{CSocketEvents::Read, 0}));
    char buffer[8];
    uint32_t error = 0;
    ASSERT_EQ(TcpSocket::Recv(m_socket, buffer, sizeof buffer, error), 3);
    m_events->RearmRead();
    ASSERT_TRUE(ProcessEventsUntil([&] { return Count(CSocketEvents::Close) == 1; }));
    EXPECT_EQ(m_seen.back(), (Seen{CSocketEvents::Close, 0}));
    m_events->RearmRead();
    ProcessEventsFor(200);
    EXPECT_EQ(Count(CSocketEvents::Close), 1u);
}

TEST_F(SocketEventsTest, ResetByPeerCarriesConnectionReset)
{
    CLoopbackServer server;
    ConnectAndDrainStartEvents(server);
    server.ResetClient();
    ASSERT_TRUE(ProcessEventsUntil([&] { return Count(CSocketEvents::Close) == 1; }));
    EXPECT_EQ(m_seen.back(), (Seen{CSocketEvents::Close, kSockErrConnReset}));
}

TEST_F(SocketEventsTest, WriteComesOnceAfterASendThatWouldBlock)
{
    CLoopbackServer server;
    server.SetSmallReceiveBuffer();
    ConnectAndDrainStartEvents(server);
    const std::vector<char> block(65536, 'x');
    uint32_t error = 0;
    size_t sent = 0;
    int64_t n;
    while ((n = TcpSocket::Send(m_socket, block.data(), block.size(), error)) > 0)
        sent += static_cast<size_t>(n);
    ASSERT_EQ(error, kSockErrWouldBlock);
    // Re-armed from another thread, as the file thread does.
    std::thread([this] { m_events->RearmWrite(); }).join();
    ProcessEventsFor(200);
    EXPECT_EQ(Count(CSocketEvents::Write), 0u) << "write event while the socket is still full";

    EXPECT_EQ(server.ReceiveFromClient(sent).size(), sent);
    ASSERT_TRUE(ProcessEventsUntil([&] { return Count(CSocketEvents::Write) == 1; }));
    ProcessEventsFor(200);
    EXPECT_EQ(Count(CSocketEvents::Write), 1u);
}

TEST_F(SocketEventsTest, HandlerMayDisposeTheHelper)
{
    CLoopbackServer server;
    CSocketEvents *events = nullptr;
    int delivered = 0;
    events = new CSocketEvents([&](CSocketEvents::Event, uint16_t) {
        ++delivered;
        events->Dispose(); // as a view that deletes the port on the connect event
    });
    uint32_t error = 0;
    const TcpSocket::Handle socket = TcpSocket::Create(error);
    TcpSocket::Connect(socket, htonl(INADDR_LOOPBACK), server.Port(), error);
    events->WatchConnecting(socket);
    ASSERT_TRUE(ProcessEventsUntil([&] { return delivered > 0; }));
    ProcessEventsFor(100);
    EXPECT_EQ(delivered, 1) << "no write event after the helper was disposed";
    TcpSocket::Close(socket);
}

TEST(TcpSocketErrors, NonBlockingConnectUnderWayIsWouldBlock)
{
    CLoopbackServer server;
    uint32_t error = 0;
    const TcpSocket::Handle socket = TcpSocket::Create(error);
    ASSERT_NE(socket, TcpSocket::kNone);
    // Loopback may connect at once; otherwise the connect is under way.
    if (!TcpSocket::Connect(socket, htonl(INADDR_LOOPBACK), server.Port(), error)) {
        EXPECT_EQ(error, 10035u);
    }
    EXPECT_TRUE(TcpSocket::WaitConnected(socket, error)) << error;
    EXPECT_EQ(TcpSocket::Send(socket, "x", 1, error), 1);
    TcpSocket::Close(socket);
    EXPECT_EQ(SocketErrorFromSystem(ECONNREFUSED), 10061u);
    EXPECT_EQ(SocketErrorFromSystem(EPIPE), 10054u);
}

TEST(TcpSocketResolve, DottedAddressAndLocalhost)
{
    uint32_t address = 0;
    uint32_t error = 0;
    ASSERT_TRUE(TcpSocket::Resolve("127.0.0.1", address, error));
    EXPECT_EQ(address, htonl(INADDR_LOOPBACK));
    address = 0;
    ASSERT_TRUE(TcpSocket::Resolve("localhost", address, error));
    EXPECT_EQ(address, htonl(INADDR_LOOPBACK));
    EXPECT_FALSE(TcpSocket::Resolve("no-such-host.invalid", address, error));
    EXPECT_NE(error, 0u);
}

} // namespace
