#include "ethernetport.h"
#include "porterror.h"
#include "simulatorprocess.h"
#include "support/eventloop.h"
#include "support/loopbackserver.h"
#include "support/windowowner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>
#include <unistd.h>

namespace {

tagETHERNET_CFG Settings(const char *host, uint16_t port)
{
    tagETHERNET_CFG cfg{};
    std::strncpy(cfg.szHost, host, sizeof cfg.szHost - 1);
    cfg.wPort = port;
    cfg.dwConnKind = 1; // UDP chosen in the panel: the port uses TCP anyway
    cfg.dwMarker = kCfgMarkerValid;
    return cfg;
}

class EthernetPortTest : public testing::Test
{
protected:
    // Opens asynchronously and waits for code 3.
    void OpenTo(const char *host, uint16_t port)
    {
        const tagETHERNET_CFG cfg = Settings(host, port);
        ASSERT_EQ(m_port.SetPortSettings(&cfg), 1u);
        ASSERT_EQ(m_port.OpenPort(&m_owner, 1, 77, 0), 1u) << m_port.GetLastError();
        ASSERT_TRUE(m_owner.WaitForCode(kPortOpened));
    }

    void OpenConnected(CLoopbackServer &server)
    {
        OpenTo("127.0.0.1", server.Port());
        ASSERT_TRUE(server.Accept());
        ASSERT_EQ(m_owner.Last(kPortOpened)->error, 0);
        ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone)); // the write event after connecting
        m_owner.messages.clear();
    }

    CWindowOwner m_owner;
    CEthernetPort m_port;
};

class EthernetPortHosts : public EthernetPortTest, public testing::WithParamInterface<const char *>
{
};

TEST_P(EthernetPortHosts, ConnectsThenWritesAndReads)
{
    CLoopbackServer server;
    OpenTo(GetParam(), server.Port());
    ASSERT_TRUE(server.Accept());
    EXPECT_EQ(m_owner.Last(kPortOpened)->error, 0);
    EXPECT_EQ(m_owner.Last(kPortOpened)->lParam, 77u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone));

    uint32_t written = 0;
    const uint8_t hello[] = {'h', 'e', 'l', 'l', 'o', 0x00, 0xFF};
    ASSERT_EQ(m_port.Write(hello, sizeof hello, &written, 0), 1u);
    EXPECT_EQ(written, sizeof hello);
    EXPECT_EQ(m_owner.CountOf(kPortWriteDone), 2) << "code 2 is sent before Write returns";
    EXPECT_EQ(server.ReceiveFromClient(sizeof hello),
              std::string(reinterpret_cast<const char *>(hello), sizeof hello));

    std::string got;
    m_owner.handler = [&](const PortMsg &msg) {
        if (msg.code != kPortDataArrived)
            return;
        uint8_t buffer[1000];
        uint32_t count = 0;
        m_port.Read(buffer, sizeof buffer, &count);
        got.append(reinterpret_cast<char *>(buffer), count);
    };
    ASSERT_TRUE(server.SendToClient("status?"));
    ASSERT_TRUE(ProcessEventsUntil([&] { return got.size() >= 7; }));
    EXPECT_EQ(got, "status?");
}

INSTANTIATE_TEST_SUITE_P(NameAndAddress, EthernetPortHosts,
                         testing::Values("localhost", "127.0.0.1"));

TEST_F(EthernetPortTest, RefusedConnectionGivesCode3WithTheError)
{
    OpenTo("127.0.0.1", UnusedLoopbackPort());
    EXPECT_EQ(m_owner.Last(kPortOpened)->error, kSockErrConnRefused);
    ProcessEventsFor(100);
    EXPECT_EQ(m_owner.CountOf(kPortWriteDone), 0);
}

TEST_F(EthernetPortTest, UnknownHostFailsTheOpenWithoutNotification)
{
    const tagETHERNET_CFG cfg = Settings("no-such-host.invalid", 9100);
    ASSERT_EQ(m_port.SetPortSettings(&cfg), 1u);
    EXPECT_EQ(m_port.OpenPort(&m_owner, 1, 0, 0), 0u);
    EXPECT_NE(m_port.GetLastError(), 0u);
    ProcessEventsFor(50);
    EXPECT_TRUE(m_owner.messages.empty());
    EXPECT_EQ(m_port.Write(reinterpret_cast<const uint8_t *>("x"), 1, nullptr, 0), 0u);
    EXPECT_EQ(m_port.GetLastError(), kSockErrNotConnected) << "a failed open leaves no socket";
}

TEST_F(EthernetPortTest, RefusesOpenWithoutSettingsAndReportsSecondOpen)
{
    EXPECT_EQ(m_port.OpenPort(&m_owner, 1, 0, 0), 0u);
    tagETHERNET_CFG unset = Settings("127.0.0.1", 1);
    unset.dwMarker = kCfgMarkerUnset;
    EXPECT_EQ(m_port.SetPortSettings(&unset), 0u);

    CLoopbackServer server;
    OpenConnected(server);
    EXPECT_EQ(m_port.OpenPort(&m_owner, 1, 0, 0), 1u);
    EXPECT_EQ(m_port.GetLastError(), kPortErrAlreadyInitialized);
    EXPECT_EQ(m_port.GetPortType(), 4);
}

TEST_F(EthernetPortTest, PeerClosingGivesCode4)
{
    CLoopbackServer server;
    OpenConnected(server);
    server.CloseClient();
    ASSERT_TRUE(m_owner.WaitForCode(kPortLost));
    EXPECT_EQ(m_owner.Last(kPortLost)->error, 0);
}

TEST_F(EthernetPortTest, PeerResetGivesCode4WithTheError)
{
    CLoopbackServer server;
    OpenConnected(server);
    server.ResetClient();
    ASSERT_TRUE(m_owner.WaitForCode(kPortLost));
    EXPECT_EQ(m_owner.Last(kPortLost)->error, kSockErrConnReset);
}

// Bytes numbered from 0, so the receiver can tell a loss or a reordering.
std::string Numbered(std::size_t from, std::size_t count)
{
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<char>((from + i) * 131 % 251);
    return bytes;
}

TEST_F(EthernetPortTest, FullSocketKeepsOneWritePendingUntilTheWriteEvent)
{
    CLoopbackServer server;
    server.SetSmallReceiveBuffer();
    OpenConnected(server);
    const std::size_t block = 65536;
    std::size_t total = 0;
    uint32_t written = 0;
    do {
        const std::string bytes = Numbered(total, block);
        ASSERT_EQ(m_port.Write(reinterpret_cast<const uint8_t *>(bytes.data()), block, &written, 0),
                  1u);
        total += block;
        ASSERT_EQ(m_owner.CountOf(kPortWriteDone), static_cast<int>(total / block));
    } while (written == block && total < (64u << 20));
    ASSERT_NE(written, block) << "the peer never stopped taking data";

    const int doneBefore = m_owner.CountOf(kPortWriteDone);
    EXPECT_EQ(m_port.Write(reinterpret_cast<const uint8_t *>("x"), 1, &written, 0), 0u);
    EXPECT_EQ(m_port.GetLastError(), kPortErrIoPending);
    EXPECT_EQ(m_owner.CountOf(kPortWriteDone), doneBefore);

    std::string received;
    std::thread reader([&] { received = server.ReceiveFromClient(total); });
    ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone, doneBefore + 1));
    reader.join();
    ASSERT_EQ(received.size(), total) << "the rest of the pending write was lost";
    EXPECT_TRUE(received == Numbered(0, total)) << "bytes arrived out of order";
    ProcessEventsFor(100);
    EXPECT_EQ(m_owner.CountOf(kPortWriteDone), doneBefore + 1);
    EXPECT_EQ(m_port.Write(reinterpret_cast<const uint8_t *>("y"), 1, &written, 0), 1u);
}

class EthernetFileTest : public EthernetPortTest
{
protected:
    void SetUp() override
    {
        char path[] = "/tmp/ethernetport-test-XXXXXX";
        const int fd = mkstemp(path);
        ASSERT_GE(fd, 0);
        close(fd);
        m_path = path;
    }
    void TearDown() override { std::remove(m_path.c_str()); }

    void WriteFile(const std::string &bytes)
    {
        std::FILE *file = std::fopen(m_path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }

    std::string m_path;
};

// Counts what arrives and where it first differs from the expected passes.
struct PassChecker
{
    const std::string &file;
    std::size_t received = 0;
    std::size_t firstMismatch = std::string::npos;

    void Check(const char *data, std::size_t n)
    {
        std::size_t done = 0;
        while (done < n && firstMismatch == std::string::npos) {
            const std::size_t at = (received + done) % file.size();
            const std::size_t span = std::min(n - done, file.size() - at);
            if (std::memcmp(data + done, file.data() + at, span) != 0)
                firstMismatch =
                    received + done + FirstDifference(data + done, file.data() + at, span);
            done += span;
        }
        received += n;
    }

    static std::size_t FirstDifference(const char *a, const char *b, std::size_t n)
    {
        std::size_t i = 0;
        while (i < n && a[i] == b[i])
            ++i;
        return i;
    }
};

TEST_F(EthernetFileTest, LargeFileInThreePassesArrivesCompleteAndInOrder)
{
    const std::string file = Numbered(0, 50u << 20);
    WriteFile(file);
    CLoopbackServer server;
    OpenConnected(server);
    PassChecker checker{file};
    std::thread reader([&] {
        const std::size_t expected = 3 * file.size();
        while (checker.received < expected) {
            const std::string part = server.ReceiveFromClient(
                std::min<std::size_t>(1 << 20, expected - checker.received));
            if (part.empty())
                break;
            checker.Check(part.data(), part.size());
        }
    });
    ASSERT_EQ(m_port.SendFile(m_path.c_str(), 3, 10), 1u);
    // Generous: 150 MB through loopback takes a while under the thread sanitizer.
    const bool finished = m_owner.WaitForCode(kPortFileDone, 1, std::chrono::minutes(5));
    reader.join();
    ASSERT_TRUE(finished);
    EXPECT_EQ(checker.received, 3 * file.size());
    EXPECT_EQ(checker.firstMismatch, std::string::npos)
        << "first difference at " << checker.firstMismatch;
    EXPECT_EQ(m_owner.CountOf(kPortFilePassDone), 3);
    EXPECT_EQ(m_owner.CountOf(kPortFileDone), 1);
    EXPECT_EQ(m_owner.CountOf(kPortFileFailed), 0);
}

TEST_F(EthernetFileTest, StopDuringTheIntervalWaitsTheIntervalOut)
{
    WriteFile("one pass");
    CLoopbackServer server;
    OpenConnected(server);
    const auto interval = std::chrono::milliseconds(1500);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(m_port.SendFile(m_path.c_str(), 2, static_cast<uint32_t>(interval.count())), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFilePassDone));
    EXPECT_EQ(m_port.StopSendFile(), 1u);
    EXPECT_GE(std::chrono::steady_clock::now() - start, interval)
        << "returned before the interval ran out";
    EXPECT_EQ(m_port.IsSendingFile(), 0u);
    ProcessEventsFor(300);
    EXPECT_EQ(m_owner.CountOf(kPortFilePassDone), 1);
    EXPECT_EQ(m_owner.CountOf(kPortFileDone), 0);
    EXPECT_EQ(server.ReceiveFromClient(8), "one pass");
}

TEST_F(EthernetFileTest, ConnectionResetWhileTheFileWaitsForRoomEndsWithCode6)
{
    WriteFile(Numbered(0, 8u << 20));
    CLoopbackServer server;
    server.SetSmallReceiveBuffer();
    OpenConnected(server);
    ASSERT_EQ(m_port.SendFile(m_path.c_str(), 1, 0), 1u);
    ProcessEventsFor(300); // the file thread fills the socket and waits for room
    server.ResetClient();
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileFailed)) << "the waiting file thread never woke";
    EXPECT_TRUE(m_owner.WaitForCode(kPortLost));
    EXPECT_EQ(m_owner.CountOf(kPortFileDone), 0);
    EXPECT_EQ(m_port.IsSendingFile(), 0u);
}

TEST_F(EthernetFileTest, PeerThatStopsReadingDoesNotBlockTheStop)
{
    WriteFile(Numbered(0, 8u << 20));
    CLoopbackServer server;
    server.SetSmallReceiveBuffer();
    OpenConnected(server);
    ASSERT_EQ(m_port.SendFile(m_path.c_str(), 1, 0), 1u);
    ProcessEventsFor(300); // the file thread fills the socket and waits for room
    EXPECT_EQ(m_port.StopSendFile(), 1u);
    EXPECT_EQ(m_port.IsSendingFile(), 0u);
    m_port.ClosePort();
    EXPECT_EQ(m_owner.CountOf(kPortFileFailed), 0);
    EXPECT_EQ(m_owner.CountOf(kPortFileDone), 0);
}

} // namespace

namespace {

TEST_F(EthernetPortTest, ViewMayDeleteThePortInItsCode3Handler)
{
    auto *port = new CEthernetPort;
    m_owner.handler = [&](const PortMsg &msg) {
        if (msg.code == kPortOpened && msg.error != 0) {
            delete port; // what the view does when the connection failed
            port = nullptr;
        }
    };
    const tagETHERNET_CFG cfg = Settings("127.0.0.1", UnusedLoopbackPort());
    ASSERT_EQ(port->SetPortSettings(&cfg), 1u);
    ASSERT_EQ(port->OpenPort(&m_owner, 1, 0, 0), 1u);
    ASSERT_TRUE(ProcessEventsUntil([&] { return port == nullptr; }));
    ProcessEventsFor(100);
    EXPECT_EQ(m_owner.messages.size(), 1u);
}

TEST_F(EthernetPortTest, TalksToThePrinterSimulator)
{
    char outPath[] = "/tmp/ethernetport-sim-XXXXXX";
    close(mkstemp(outPath));
    {
        CPrinterSimProcess sim({"--port", "0", "--out", outPath});
        const int simPort = sim.ReadPort();
        ASSERT_GT(simPort, 0);
        OpenTo("localhost", static_cast<uint16_t>(simPort));
        ASSERT_EQ(m_owner.Last(kPortOpened)->error, 0);

        std::string answer;
        m_owner.handler = [&](const PortMsg &msg) {
            uint8_t buffer[1000];
            uint32_t count = 0;
            if (msg.code == kPortDataArrived && m_port.Read(buffer, sizeof buffer, &count))
                answer.append(reinterpret_cast<char *>(buffer), count);
        };
        const std::string request = "Hello\x10\x04\x01";
        ASSERT_EQ(m_port.Write(reinterpret_cast<const uint8_t *>(request.data()),
                               static_cast<uint32_t>(request.size()), nullptr, 0),
                  1u);
        ASSERT_TRUE(ProcessEventsUntil([&] { return !answer.empty(); }));
        EXPECT_EQ(answer, "\x12");
        m_port.ClosePort();
        EXPECT_EQ(sim.StopWith(SIGTERM), 0);
        std::FILE *file = std::fopen(outPath, "rb");
        ASSERT_NE(file, nullptr);
        char recorded[64] = {};
        const std::size_t n = std::fread(recorded, 1, sizeof recorded, file);
        std::fclose(file);
        EXPECT_EQ(std::string(recorded, n), request);
    }
    std::remove(outPath);
}

} // namespace
