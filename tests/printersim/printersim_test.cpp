// Runs the simulator as people do and talks to it over loopback TCP.
#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

class SimulatorProcess
{
public:
    explicit SimulatorProcess(std::vector<std::string> args)
    {
        int out[2];
        if (pipe(out) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        args.insert(args.begin(), TARVIK_PRINTERSIM);
        std::vector<char *> argv;
        for (auto &arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn(&m_pid, TARVIK_PRINTERSIM, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        m_stdout = out[0];
    }
    ~SimulatorProcess()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_stdout >= 0)
            close(m_stdout);
    }

    // The first line of standard output: the port it listens on, -1 if none.
    int ReadPort()
    {
        std::string line;
        char c;
        pollfd pfd{m_stdout, POLLIN, 0};
        while (poll(&pfd, 1, 10000) > 0 && read(m_stdout, &c, 1) == 1 && c != '\n')
            line += c;
        return line.empty() ? -1 : std::atoi(line.c_str());
    }

    // Sends `signal` and returns the exit status, or -1 if it did not exit normally.
    int StopWith(int signal)
    {
        kill(m_pid, signal);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    int Wait()
    {
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t m_pid = -1;
    int m_stdout = -1;
};

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
    SimulatorProcess sim({"--port", "0", "--out", m_outPath});
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
    SimulatorProcess sim({"--port", "0", "--out", m_outPath});
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
    EXPECT_EQ(SimulatorProcess({"--port", "70000"}).Wait(), 2);
    EXPECT_EQ(SimulatorProcess({"--frobnicate"}).Wait(), 2);
    EXPECT_EQ(SimulatorProcess({"--out", m_dir + "/missing/dir/file"}).Wait(), 1);
}

} // namespace
