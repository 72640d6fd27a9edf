// Runs the simulator as people do and talks to it over loopback TCP.
#include "simulatorprocess.h"

#include <arpa/inet.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int ConnectLoopback(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

std::string ReceiveExactly(int fd, std::size_t count)
{
    std::string received;
    char buffer[256];
    pollfd pfd{fd, POLLIN, 0};
    while (received.size() < count && poll(&pfd, 1, 10000) > 0) {
        const ssize_t n = recv(fd, buffer, std::min(sizeof buffer, count - received.size()), 0);
        if (n <= 0)
            break;
        received.append(buffer, static_cast<std::size_t>(n));
    }
    return received;
}

// Ends our side and waits until the simulator has read everything and closed.
bool FinishConnection(int fd)
{
    shutdown(fd, SHUT_WR);
    char byte;
    pollfd pfd{fd, POLLIN, 0};
    const bool closedByPeer = poll(&pfd, 1, 10000) > 0 && recv(fd, &byte, 1, 0) == 0;
    close(fd);
    return closedByPeer;
}

void SendAll(int fd, const std::string &bytes)
{
    ASSERT_EQ(send(fd, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
}

std::string FileContents(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class PrinterSim : public testing::Test
{
protected:
    void SetUp() override
    {
        char dir[] = "/tmp/printersim-test-XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        m_dir = dir;
        m_outPath = m_dir + "/received.bin";
    }
    void TearDown() override
    {
        std::remove(m_outPath.c_str());
        rmdir(m_dir.c_str());
    }

    std::string m_dir;
    std::string m_outPath;
};

TEST_F(PrinterSim, RecordsEveryByteOfConsecutiveConnectionsAndAnswersStatus)
{
    CPrinterSimProcess sim({"--port", "0", "--out", m_outPath});
    const int port = sim.ReadPort();
    ASSERT_GT(port, 0);

    std::string expected;
    const int first = ConnectLoopback(port);
    ASSERT_GE(first, 0);
    std::string allBytes;
    for (int i = 0; i < 256; ++i)
        allBytes += static_cast<char>(i);
    SendAll(first, allBytes);
    SendAll(first, "\x10\x04");
    SendAll(first, "\x01");
    EXPECT_EQ(ReceiveExactly(first, 1), "\x12");
    EXPECT_TRUE(FinishConnection(first));
    expected += allBytes + "\x10\x04\x01";

    const int second = ConnectLoopback(port);
    ASSERT_GE(second, 0);
    const std::string large(300000, 'Z');
    SendAll(second, large);
    SendAll(second, "\x1D\x72\x01");
    EXPECT_EQ(ReceiveExactly(second, 1), std::string(1, '\0'));
    EXPECT_TRUE(FinishConnection(second));
    expected += large + "\x1D\x72\x01";

    EXPECT_EQ(FileContents(m_outPath), expected);
    EXPECT_EQ(sim.StopWith(SIGTERM), 0);
}

TEST_F(PrinterSim, EndsCleanlyOnSigintDuringConnection)
{
    CPrinterSimProcess sim({"--port", "0", "--out", m_outPath});
    const int port = sim.ReadPort();
    ASSERT_GT(port, 0);
    const int client = ConnectLoopback(port);
    ASSERT_GE(client, 0);
    SendAll(client, "\x10\x04\x01");
    EXPECT_EQ(ReceiveExactly(client, 1), "\x12");
    EXPECT_EQ(sim.StopWith(SIGINT), 0);
    close(client);
}

TEST_F(PrinterSim, RefusesBadArguments)
{
    EXPECT_EQ(CPrinterSimProcess({"--port", "70000"}).Wait(), 2);
    EXPECT_EQ(CPrinterSimProcess({"--frobnicate"}).Wait(), 2);
    EXPECT_EQ(CPrinterSimProcess({"--out", m_dir + "/missing/dir/file"}).Wait(), 1);
}

} // namespace
