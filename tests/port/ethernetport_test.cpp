// The network kind against a loopback server; the test's thread plays the
// window thread, where the socket events run.
#include "port/ethernetport.h"
#include "port/porterror.h"
#include "portowner.h"
#include "realport.h"
#include "support/loopbackserver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <thread>

namespace {

class EthernetPortTest : public testing::Test
{
protected:
    // Forgets the messages so far, opens asynchronously and waits for code 3.
    void OpenTo(CEthernetPort &port, const char *host, uint16_t number)
    {
        m_owner.messages.clear();
        // UDP chosen in the panel: the port uses TCP anyway.
        tagETHERNET_CFG cfg{.wPort = number, .dwConnKind = 1, .dwMarker = kCfgMarkerValid};
        std::strncpy(cfg.szHost, host, sizeof cfg.szHost - 1);
        ASSERT_EQ(port.SetPortSettings(&cfg), 1u);
        ASSERT_EQ(port.OpenPort(&m_owner, 1, 77, 0), 1u) << port.GetLastError();
        ASSERT_TRUE(m_owner.WaitForCode(kPortOpened));
    }

    void OpenConnected(bool smallPeerBuffer = false)
    {
        if (smallPeerBuffer)
            m_server.SetSmallReceiveBuffer();
        OpenTo(m_port, "127.0.0.1", m_server.Port());
        ASSERT_TRUE(m_server.Accept());
        ASSERT_EQ(m_owner.Last(kPortOpened)->error, 0);
        EXPECT_EQ(m_owner.Last(kPortOpened)->lParam, 77u);
        ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone)); // the write event after connecting
        m_owner.messages.clear();
    }

    CLoopbackServer m_server;
    CWindowOwner m_owner;
    CEthernetPort m_port;
};

TEST_F(EthernetPortTest, IPv6AddressesConnectAndCarryBytes)
{
    for (const char *host : {"::1", "0:0:0:0:0:0:0:1"}) {
        SCOPED_TRACE(host);
        CLoopbackServer server(true);
        if (server.Port() == 0)
            GTEST_SKIP() << "this machine cannot listen on the IPv6 loopback address ::1";
        CEthernetPort port;
        OpenTo(port, host, server.Port());
        ASSERT_TRUE(server.Accept());
        EXPECT_EQ(m_owner.Last(kPortOpened)->error, 0);
        EXPECT_EQ(WriteBytes(port, "\x10\x04\x01", nullptr, 0), 1u);
        EXPECT_EQ(server.ReceiveFromClient(3), "\x10\x04\x01");
        port.ClosePort();
    }
}

// The view deletes the port in its code 3 handler when the connection failed.
TEST_F(EthernetPortTest, RefusedConnectionGivesOneCode3WithTheErrorAndTheViewMayDeleteThePort)
{
    for (bool deleteIt : {false, true}) {
        SCOPED_TRACE(deleteIt);
        auto port = std::make_unique<CEthernetPort>();
        m_owner.handler = [&](const PortMsg &msg) {
            if (deleteIt && msg.code == kPortOpened && msg.error != 0)
                port.reset();
        };
        OpenTo(*port, "127.0.0.1", UnusedLoopbackPort());
        EXPECT_EQ(port == nullptr, deleteIt);
        EXPECT_EQ(m_owner.Last(kPortOpened)->error, kSockErrConnRefused);
        ProcessEventsFor(100);
        EXPECT_EQ(m_owner.messages.size(), 1u);
    }
}

// An orderly close by the peer is code 4 with no error, a reset code 4 with
// the reset; either comes once. Without a connection, before opening and
// after closing, reads and writes fail with 10057.
TEST_F(EthernetPortTest, PeerCloseOrResetGivesOneCode4AndNoConnectionGives10057)
{
    for (bool reset : {false, true}) {
        SCOPED_TRACE(reset);
        OpenConnected();
        reset ? m_server.ResetClient() : m_server.CloseClient();
        ASSERT_TRUE(m_owner.WaitForCode(kPortLost));
        EXPECT_EQ(m_owner.Last(kPortLost)->error, reset ? kSockErrConnReset : 0);
        EXPECT_EQ(m_owner.Last(kPortLost)->lParam, 77u);
        ProcessEventsFor(100);
        EXPECT_EQ(m_owner.CountOf(kPortLost), 1);
        m_port.ClosePort();
    }
    CEthernetPort fresh;
    for (CEthernetPort *port : {&fresh, &m_port}) {
        uint8_t buffer[8];
        uint32_t count = 5;
        EXPECT_EQ(port->Read(buffer, sizeof buffer, &count), 0u);
        EXPECT_EQ(port->GetLastError(), kSockErrNotConnected);
        EXPECT_EQ(WriteBytes(*port, "x", nullptr, 0), 0u);
        EXPECT_EQ(port->GetLastError(), kSockErrNotConnected);
    }
}

TEST_F(EthernetPortTest, FullSocketKeepsOneWritePendingUntilTheWriteEvent)
{
    OpenConnected(true);
    const std::size_t block = 65536;
    std::string sent; // each block different, so a loss or a reordering shows
    uint32_t written = 0;
    do {
        const std::string bytes = PatternBytes(block, unsigned(sent.size() / block));
        ASSERT_EQ(WriteBytes(m_port, bytes, &written, 0), 1u);
        sent += bytes;
        // Code 2 comes at once only for a write the socket took whole.
        const int whole = int(sent.size() / block) - (written == block ? 0 : 1);
        ASSERT_EQ(m_owner.CountOf(kPortWriteDone), whole);
    } while (written == block && sent.size() < (64u << 20));
    ASSERT_NE(written, block) << "the peer never stopped taking data";

    const int doneBefore = m_owner.CountOf(kPortWriteDone);
    EXPECT_EQ(WriteBytes(m_port, "x", &written, 0), 0u);
    EXPECT_EQ(m_port.GetLastError(), kPortErrIoPending);
    EXPECT_EQ(m_owner.CountOf(kPortWriteDone), doneBefore);

    std::string received;
    std::thread reader([&] { received = m_server.ReceiveFromClient(sent.size()); });
    ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone, doneBefore + 1));
    reader.join();
    ASSERT_EQ(received.size(), sent.size()) << "the rest of the pending write was lost";
    EXPECT_TRUE(received == sent) << "bytes arrived out of order";
    ProcessEventsFor(100);
    EXPECT_EQ(m_owner.CountOf(kPortWriteDone), doneBefore + 1);
    EXPECT_EQ(WriteBytes(m_port, "y", &written, 0), 1u);
}

TEST_F(EthernetPortTest, StopDuringTheIntervalReturnsAtOnceAndLeavesNoWakeUpBehind)
{
    OpenConnected();
    const std::string file = TestFile("one pass");
    ASSERT_EQ(m_port.SendFile(file.c_str(), 2, 60'000), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFilePassDone));
    EXPECT_TRUE(ReturnsWithin([this] { m_port.StopSendFile(); }, std::chrono::seconds(30)))
        << "the stop waited for the interval";
    EXPECT_EQ(m_port.IsSendingFile(), 0u);
    EXPECT_EQ(m_server.ReceiveFromClient(8), "one pass");

    // The next transfer keeps its interval: the stop's wake-up is not left over.
    ASSERT_EQ(m_port.SendFile(file.c_str(), 2, 3'600'000), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFilePassDone, 2));
    ProcessEventsFor(300);
    EXPECT_EQ(m_owner.CountOf(kPortFileDone), 0);
    EXPECT_EQ(m_server.ReceiveFromClient(8), "one pass");
    EXPECT_TRUE(ReturnsWithin([this] { m_port.StopSendFile(); }, std::chrono::seconds(30)));
}

// A file thread waiting for room in a full socket: a reset wakes it with
// code 6 (and code 4), and a stop does not wait for the peer.
TEST_F(EthernetPortTest, FileWaitingForRoomEndsOnResetOrStop)
{
    const std::string path = TestFile(PatternBytes(8u << 20));
    for (bool reset : {true, false}) {
        SCOPED_TRACE(reset);
        OpenConnected(true);
        ASSERT_EQ(m_port.SendFile(path.c_str(), 1, 0), 1u);
        ProcessEventsFor(300);
        if (reset) {
            m_server.ResetClient();
            ASSERT_TRUE(m_owner.WaitForCode(kPortFileFailed)) << "the file thread never woke";
            EXPECT_TRUE(m_owner.WaitForCode(kPortLost));
        } else {
            EXPECT_EQ(m_port.StopSendFile(), 1u);
            EXPECT_EQ(m_owner.CountOf(kPortFileFailed), 0);
        }
        EXPECT_EQ(m_port.IsSendingFile(), 0u);
        EXPECT_EQ(m_owner.CountOf(kPortFileDone), 0);
        m_port.ClosePort();
    }
}

} // namespace
