// The socket event helper under the network kind: what the port tests cannot
// see directly, that events are not repeated without a new recv or send.
#include "porterror.h"
#include "portowner.h"
#include "socketevents.h"
#include "support/loopbackserver.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

class SocketEventsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_events = new CSocketEvents([this](CSocketEvents::Event event, uint16_t error) {
            m_seen.push_back({event, error});
        });
        uint32_t error = 0;
        m_socket = TcpSocket::Create(error);
        ASSERT_NE(m_socket, TcpSocket::kNone);
        const bool made =
            TcpSocket::Connect(m_socket, htonl(INADDR_LOOPBACK), m_server.Port(), error);
        ASSERT_TRUE(made || error == kSockErrWouldBlock) << error;
        m_events->WatchConnecting(m_socket);
        ASSERT_TRUE(m_server.Accept());
        ASSERT_TRUE(ProcessEventsUntil([&] { return m_seen.size() >= 2; }));
        ProcessEventsFor(100); // the socket stays writable: no further write event
        EXPECT_EQ(m_seen, (std::vector<std::pair<CSocketEvents::Event, uint16_t>>{
                              {CSocketEvents::Connect, 0}, {CSocketEvents::Write, 0}}));
        m_seen.clear();
    }
    void TearDown() override
    {
        m_events->Dispose();
        TcpSocket::Close(m_socket);
    }

    size_t Count(CSocketEvents::Event event) const
    {
        return size_t(std::count_if(m_seen.begin(), m_seen.end(),
                                    [&](const auto &seen) { return seen.first == event; }));
    }
    void Recv(int count)
    {
        char buffer[16];
        uint32_t error = 0;
        ASSERT_EQ(TcpSocket::Recv(m_socket, buffer, size_t(count), error), count);
        m_events->RearmRead();
    }

    CLoopbackServer m_server;
    CSocketEvents *m_events = nullptr;
    TcpSocket::Handle m_socket = TcpSocket::kNone;
    std::vector<std::pair<CSocketEvents::Event, uint16_t>> m_seen;
};

TEST_F(SocketEventsTest, ReadIsRearmedOnlyByTheNextRecvAndCloseComesOnce)
{
    ASSERT_TRUE(m_server.SendToClient("first"));
    ASSERT_TRUE(ProcessEventsUntil([&] { return Count(CSocketEvents::Read) == 1; }));
    ASSERT_TRUE(m_server.SendToClient("second"));
    ProcessEventsFor(200);
    EXPECT_EQ(Count(CSocketEvents::Read), 1u) << "read event without a recv in between";
    Recv(4);
    ASSERT_TRUE(ProcessEventsUntil([&] { return Count(CSocketEvents::Read) == 2; }));
    m_server.CloseClient();
    Recv(7);
    ASSERT_TRUE(ProcessEventsUntil([&] { return Count(CSocketEvents::Close) == 1; }));
    EXPECT_EQ(m_seen.back(), std::make_pair(CSocketEvents::Close, uint16_t(0)));
    m_events->RearmRead();
    ProcessEventsFor(200);
    EXPECT_EQ(Count(CSocketEvents::Close), 1u);
}

TEST_F(SocketEventsTest, WriteComesOnceAfterASendThatWouldBlock)
{
    m_server.SetSmallReceiveBuffer();
    const std::vector<char> block(65536, 'x');
    uint32_t error = 0;
    size_t sent = 0;
    int64_t n;
    while ((n = TcpSocket::Send(m_socket, block.data(), block.size(), error)) > 0)
        sent += static_cast<size_t>(n);
    ASSERT_EQ(error, kSockErrWouldBlock);
    std::thread([this] { m_events->RearmWrite(); }).join(); // as the file thread does
    ProcessEventsFor(200);
    EXPECT_EQ(Count(CSocketEvents::Write), 0u) << "write event while the socket is still full";
    EXPECT_EQ(m_server.ReceiveFromClient(sent).size(), sent);
    ASSERT_TRUE(ProcessEventsUntil([&] { return Count(CSocketEvents::Write) == 1; }));
    ProcessEventsFor(200);
    EXPECT_EQ(Count(CSocketEvents::Write), 1u);
}

TEST(SocketEvents, HandlerMayDisposeTheHelper)
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

} // namespace
