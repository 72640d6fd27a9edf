// Runs the simulator as people do and talks to it over loopback TCP.
#include "receipt/receiptprinter.h"
#include "support/imagecompare.h"
#include "support/test_files.h"

#include <QGuiApplication>
#include <netinet/tcp.h>

#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace {

// The simulator as the child of a shell that names its own pid and then
// becomes the simulator, whose first output line is its port.
class CSimulator
{
public:
    explicit CSimulator(const std::string &args)
        : m_out(popen(("echo $$; exec '" TARVIK_PRINTERSIM "' " + args).c_str(), "r"))
    {
        if (!m_out || std::fscanf(m_out, "%d %d", &m_pid, &m_port) < 1)
            m_pid = -1;
    }
    ~CSimulator() { StopWith(SIGKILL); }

    // A failed connection fails the test; the calls on its socket then fail at once.
    int Connect() const
    {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<uint16_t>(m_port));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0)
            << "the simulator does not listen on " << m_port;
        return fd;
    }

    // The next line of the simulator's standard output that is not empty.
    std::string ReadLine()
    {
        char line[1024];
        std::string text;
        while (text.empty() && m_out && std::fgets(line, sizeof line, m_out))
            text.assign(line, std::strcspn(line, "\n"));
        return text;
    }

    // Sends `signal` (none: only waits) and returns the exit status, -1 if it did not exit.
    int StopWith(int signal = 0)
    {
        if (!m_out)
            return -1;
        if (signal && m_pid > 0)
            kill(m_pid, signal);
        const int status = pclose(std::exchange(m_out, nullptr));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    FILE *m_out;
    int m_pid = -1;
    int m_port = 0;
};

// What arrives until `limit` bytes did or the simulator closed, with
// "<silent>" at the end when it stopped sending without closing.
std::string Receive(int fd, std::size_t limit)
{
    std::string received;
    char buffer[256];
    for (pollfd pfd{fd, POLLIN, 0}; received.size() < limit;) {
        if (poll(&pfd, 1, 10000) <= 0)
            return received + "<silent>";
        const ssize_t n = recv(fd, buffer, std::min(sizeof buffer, limit - received.size()), 0);
        if (n <= 0)
            break;
        received.append(buffer, static_cast<std::size_t>(n));
    }
    return received;
}

std::string Exchange(int fd, const std::string &bytes, std::size_t answer)
{
    EXPECT_EQ(send(fd, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
    return Receive(fd, answer);
}

// Everything the simulator sends until it closes the connection after ours
// (once it has read all of `bytes`).
std::string RepliesUntilClosed(int fd, const std::string &bytes)
{
    EXPECT_EQ(send(fd, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
    shutdown(fd, SHUT_WR);
    const std::string received = Receive(fd, std::string::npos);
    close(fd);
    return received;
}

class PrinterSim : public test_files::TempDirTest
{
protected:
    std::string Out() const { return (dir / "received.bin").string(); }
};

TEST_F(PrinterSim, RecordsEveryByteOfEachConnectionAndEndsCleanlyOnSigint)
{
    CSimulator sim("--port 0 --out " + Out());
    std::string allBytes;
    for (int i = 0; i < 256; ++i)
        allBytes += static_cast<char>(i);
    const std::string large(300000, 'Z');
    const int first = sim.Connect();
    EXPECT_EQ(Exchange(first, allBytes + "\x10\x04", 0), "");
    EXPECT_EQ(Exchange(first, "\x01", 1), "\x12"); // a request split over two sends
    EXPECT_EQ(RepliesUntilClosed(first, ""), "");
    const int second = sim.Connect();
    EXPECT_EQ(Exchange(second, large + "\x1D\x72\x01", 1), std::string(1, '\0'));
    EXPECT_EQ(RepliesUntilClosed(second, ""), "");
    const int third = sim.Connect(); // still open when the simulator is told to end
    EXPECT_EQ(Exchange(third, "\x10\x04\x02", 1), "\x12");
    EXPECT_EQ(sim.StopWith(SIGINT), 0);
    close(third);
    EXPECT_TRUE(test_files::ReadBytes(Out()) ==
                allBytes + "\x10\x04\x01" + large + "\x1D\x72\x01" + "\x10\x04\x02");
}

TEST(PrinterSimStatus, AnswersAsTheConditionGivenOnTheCommandLine)
{
    const std::string requests("\x10\x04\x01\x10\x04\x02\x10\x04\x04\x1D\x72\x01", 12);
    const std::pair<std::string, std::string> rows[] = {
        {"", std::string("\x12\x12\x12\x00", 4)},
        {"--status cover-open", std::string("\x1A\x16\x12\x00", 4)},
        {"--status paper-end", std::string("\x1A\x32\x72\x0C", 4)},
        {"--status silent", ""},
    };
    for (const auto &[args, replies] : rows) {
        CSimulator sim("--port 0 " + args);
        const int fd = sim.Connect();
        EXPECT_EQ(RepliesUntilClosed(fd, requests), replies) << args;
        EXPECT_EQ(sim.StopWith(SIGTERM), 0) << args;
    }
}

// A receipt as the simulator's receipts start: a title, a barcode, a cut.
std::string SampleReceipt(const std::string &title, const std::string &extra)
{
    return "\x1b@\x1d!\x11" + title + "\n\x1d!" + std::string(1, '\0') + extra +
           "\x1dk\x49\x06{BR-01\n\x1dV\x42\x10";
}

TEST_F(PrinterSim, RendersEachReceiptAsTheLibraryDoes)
{
    static int argc = 1;
    static char name[] = "printersim_test";
    static char *argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication gui(argc, argv);
    const std::string status("\x10\x04\x01", 3);
    const std::string receipts[] = {SampleReceipt("One", "plain\n"),
                                    SampleReceipt("Two", "\x1b\x99odd\n"),
                                    SampleReceipt("Three", "\xd6\xd0\xce\xc4\n")};
    CSimulator sim("--port 0 --paper 58 --render " + dir.string());
    const int fd = sim.Connect();
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    EXPECT_EQ(Exchange(fd, receipts[0] + status, 1), "\x12");
    for (char byte : receipts[1])
        ASSERT_EQ(send(fd, &byte, 1, 0), 1);
    EXPECT_EQ(Exchange(fd, status, 1), "\x12");
    EXPECT_EQ(Exchange(fd, receipts[2], 0), "");
    EXPECT_EQ(RepliesUntilClosed(fd, ""), "");
    const std::string all = receipts[0] + status + receipts[1] + status + receipts[2];
    const std::vector<Receipt::Receipt> expected =
        Receipt::RenderReceipts(QByteArray::fromStdString(all), Receipt::CReceiptPrinter::kPaper58);
    ASSERT_EQ(expected.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const std::string stem = (dir / ("receipt-000" + std::to_string(i + 1))).string();
        EXPECT_EQ(sim.ReadLine().rfind(stem + ".png 384x", 0), 0u) << i;
        const QImage written = image_compare::ReadBack(QString::fromStdString(stem + ".png"));
        EXPECT_TRUE(SameDots(expected[i].image, written)) << i;
        EXPECT_EQ(test_files::ReadBytes(stem + ".txt"), Receipt::FormatReport(expected[i].report))
            << i;
    }
    EXPECT_FALSE(expected[1].report.empty());
    EXPECT_EQ(sim.StopWith(SIGTERM), 0);
}

// A report that cannot be written is named so on standard output.
TEST_F(PrinterSim, RenderNamesAReportNotWritten)
{
    std::filesystem::create_directory(dir / "receipt-0001.txt");
    CSimulator sim("--port 0 --render " + dir.string());
    const int fd = sim.Connect();
    EXPECT_EQ(Exchange(fd, "\x1b\x99odd\n", 0), "");
    EXPECT_EQ(RepliesUntilClosed(fd, ""), "");
    EXPECT_NE(sim.ReadLine().find("receipt-0001.txt (not written)"), std::string::npos);
    EXPECT_EQ(sim.StopWith(SIGTERM), 0);
}

// Standard output and error of a run that ends by itself, and its exit status.
std::pair<std::string, int> RunToEnd(const std::string &args)
{
    FILE *out = popen(("'" TARVIK_PRINTERSIM "' " + args + " 2>&1").c_str(), "r");
    std::string text;
    char buffer[4096];
    for (std::size_t n; out && (n = std::fread(buffer, 1, sizeof buffer, out)) > 0;)
        text.append(buffer, n);
    const int status = out ? pclose(out) : -1;
    return {text, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

TEST(PrinterSimStatus, NamesTheBadArgumentAndItsExitStatus)
{
    // The arguments, the exit status, a part of what is shown.
    const std::tuple<const char *, int, const char *> rows[] = {
        {"--port 0 --status jammed", 2, "bad argument '--status jammed': is not one of the"},
        {"--port 70000", 2, "bad argument '--port 70000': expects a number from 0 to 65535"},
        {"--port 0 --status", 2, "bad argument '--status': needs a value"},
        {"--color red", 2, "bad argument '--color': unknown option"},
        {"--help", 0, "2 for a bad argument"},
    };
    for (const auto &[args, exitStatus, part] : rows) {
        const auto [shown, status] = RunToEnd(args);
        EXPECT_EQ(status, exitStatus) << args;
        EXPECT_NE(shown.find(part), std::string::npos) << args << "\n" << shown;
    }
}

} // namespace
