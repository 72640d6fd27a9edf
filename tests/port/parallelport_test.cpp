// CParallelPort against a FIFO standing in for the printer.
#include "devicemap.h"
#include "parallelport.h"
#include "portowner.h"
#include "ptypair.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <future>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

class ParallelPortTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_fifoPath = m_dir.filePath("lp").toStdString();
        ASSERT_EQ(::mkfifo(m_fifoPath.c_str(), 0600), 0);
        m_reader = ::open(m_fifoPath.c_str(), O_RDONLY | O_NONBLOCK);
        ASSERT_GE(m_reader, 0);
        SetDeviceOverride("LPT1", m_fifoPath);
        m_cfg.dwPort = 1;
        m_cfg.dwMarker = kCfgMarkerValid;
    }
    void TearDown() override
    {
        m_port.ClosePort();
        ::close(m_reader);
    }

    void Open()
    {
        ASSERT_EQ(m_port.SetPortSettings(&m_cfg), 1u);
        ASSERT_EQ(m_port.OpenPort(m_owner.Object(), 1, 5, 0), 1u) << m_port.GetLastTrace();
        ASSERT_TRUE(m_owner.WaitForCode(kPortOpened));
    }

    uint32_t WriteBytes(const std::string &bytes)
    {
        return m_port.Write(reinterpret_cast<const uint8_t *>(bytes.data()), uint32_t(bytes.size()),
                            nullptr, 1);
    }

    std::string ReadPrinter(std::size_t count)
    {
        std::string bytes;
        const auto deadline = std::chrono::steady_clock::now() + CTestPortOwner::kWait;
        char buffer[65536];
        while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
            pollfd fd{m_reader, POLLIN, 0};
            if (::poll(&fd, 1, 50) <= 0)
                continue;
            const ssize_t n =
                ::read(m_reader, buffer, std::min(sizeof buffer, count - bytes.size()));
            if (n > 0)
                bytes.append(buffer, std::size_t(n));
        }
        return bytes;
    }

    QTemporaryDir m_dir;
    std::string m_fifoPath;
    int m_reader = -1;
    tagPARALLEL_CFG m_cfg;
    CTestPortOwner m_owner;
    CParallelPort m_port;
};

} // namespace

TEST(ParallelPortName, LptAndOneCharacter)
{
    EXPECT_EQ(CParallelPort::DeviceName(1), "LPT1");
    EXPECT_EQ(CParallelPort::DeviceName(0x101), "LPT1"); // only the low byte counts
    EXPECT_EQ(CParallelPort::DeviceName(10), "LPT:");
    CParallelPort port;
    EXPECT_EQ(port.GetPortType(), 2);
}

TEST_F(ParallelPortTest, WritesAreReportedByWriteDoneAndReadGivesNothing)
{
    Open();
    EXPECT_EQ(m_owner.Messages()[0].lParam, 5u);
    const std::string bytes = PatternBytes(3000);
    ASSERT_EQ(WriteBytes(bytes), 1u);
    EXPECT_TRUE(SameBytes(bytes, ReadPrinter(bytes.size())));
    ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone));
    EXPECT_EQ(m_port.Write(nullptr, 0, nullptr, 1), 1u);
    uint8_t buffer[16];
    uint32_t got = 99;
    EXPECT_EQ(m_port.Read(buffer, sizeof buffer, &got), 0u);
    EXPECT_EQ(got, 0u);
    m_port.ClosePort();
    m_owner.RunOnOwnerThread([] {});
    EXPECT_EQ(m_owner.Codes(), (std::vector<uint16_t>{3, 2}));
}

TEST_F(ParallelPortTest, CompletionWhileTheMonitorDeliversIsStillReported)
{
    Open();
    m_owner.Block(); // the monitor's code 2 for the first write waits
    ASSERT_EQ(WriteBytes("one"), 1u);
    const auto deadline = std::chrono::steady_clock::now() + CTestPortOwner::kWait;
    while (CPortNotifier::PendingSends() != 1 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    ASSERT_EQ(CPortNotifier::PendingSends(), 1);
    ASSERT_EQ(WriteBytes("two"), 1u); // completes while the monitor is not waiting
    m_owner.Unblock();
    ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone, 2));
    EXPECT_EQ(ReadPrinter(6), "onetwo");
}

TEST_F(ParallelPortTest, PendingWriteIsRefusedUntilItHasGoneOut)
{
    Open();
    const std::string big = PatternBytes(1 << 20, 4); // far beyond the pipe's buffer
    ASSERT_EQ(WriteBytes(big), 1u);
    EXPECT_EQ(WriteBytes("x"), 0u);
    EXPECT_EQ(m_port.GetLastError(), 997u);
    EXPECT_TRUE(SameBytes(big, ReadPrinter(big.size())));
    ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone));
    const auto deadline = std::chrono::steady_clock::now() + CTestPortOwner::kWait;
    uint32_t accepted = 0;
    while (!(accepted = WriteBytes("x")) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms); // pending clears right after the owner's handler
    EXPECT_EQ(accepted, 1u);
    EXPECT_EQ(ReadPrinter(1), "x");
}

TEST_F(ParallelPortTest, OpenTwiceAndSecondOpener)
{
    Open();
    EXPECT_EQ(m_port.OpenPort(m_owner.Object(), 1, 0, 0), 1u);
    EXPECT_EQ(m_port.GetLastError(), 1247u);
    CParallelPort second;
    second.SetPortSettings(&m_cfg);
    EXPECT_EQ(second.OpenPort(m_owner.Object(), 1, 0, 0), 0u);
    EXPECT_EQ(second.GetLastError(), 32u);
    m_port.ClosePort();
    EXPECT_EQ(second.OpenPort(m_owner.Object(), 1, 0, 0), 1u);
}

TEST_F(ParallelPortTest, WithoutSettingsTheOpenAsksForLptZeroAndFails)
{
    CParallelPort port;
    EXPECT_EQ(port.OpenPort(m_owner.Object(), 1, 0, 0), 0u);
    EXPECT_EQ(port.GetLastError(), 2u);
    uint8_t byte = 0;
    EXPECT_EQ(port.Write(&byte, 1, nullptr, 1), 0u);
    EXPECT_EQ(port.GetLastError(), 6u);
}

TEST_F(ParallelPortTest, SynchronousModeHasNoThreadAndNoNotifications)
{
    ASSERT_EQ(m_port.SetPortSettings(&m_cfg), 1u);
    ASSERT_EQ(m_port.OpenPort(m_owner.Object(), 0, 0, 0), 1u);
    uint32_t written = 0;
    EXPECT_EQ(m_port.Write(reinterpret_cast<const uint8_t *>("sync"), 4, &written, 0), 1u);
    EXPECT_EQ(written, 4u);
    EXPECT_EQ(ReadPrinter(4), "sync");
    m_port.ClosePort();
    m_owner.RunOnOwnerThread([] {});
    EXPECT_TRUE(m_owner.Codes().empty());
}

TEST_F(ParallelPortTest, FileIsSentInFull)
{
    const std::string path = m_dir.filePath("job.prn").toStdString();
    const std::string content = PatternBytes(3000, 8);
    std::ofstream(path, std::ios::binary) << content;
    Open();
    ASSERT_EQ(m_port.SendFile(path.c_str(), 1, 0), 1u);
    EXPECT_TRUE(SameBytes(content, ReadPrinter(content.size())));
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileDone));
    EXPECT_EQ(m_owner.Codes(), (std::vector<uint16_t>{3, 7, 7, 7, 8, 5}));
}

TEST_F(ParallelPortTest, ClosingWhileWriteDoneWaitsDoesNotDeadlock)
{
    Open();
    m_owner.Block();
    ASSERT_EQ(WriteBytes("abc"), 1u);
    const auto deadline = std::chrono::steady_clock::now() + CTestPortOwner::kWait;
    while (CPortNotifier::PendingSends() != 1 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    ASSERT_EQ(CPortNotifier::PendingSends(), 1);
    auto closed = std::async(std::launch::async, [&] { m_port.ClosePort(); });
    ASSERT_EQ(closed.wait_for(CTestPortOwner::kWait), std::future_status::ready);
    m_owner.Unblock();
    m_owner.RunOnOwnerThread([] {});
    EXPECT_EQ(m_owner.CountOf(kPortWriteDone), 0);
}

TEST(ParallelPortLost, FarEndOfAPseudoTerminalClosingRaisesPortLostOnce)
{
    CPtyPair pty;
    ASSERT_TRUE(pty.IsValid());
    SetDeviceOverride("LPT1", pty.SlavePath());
    tagPARALLEL_CFG cfg;
    cfg.dwPort = 1;
    cfg.dwMarker = kCfgMarkerValid;
    CTestPortOwner owner;
    CParallelPort port;
    port.SetPortSettings(&cfg);
    ASSERT_EQ(port.OpenPort(owner.Object(), 1, 0, 0), 1u);
    pty.CloseMaster();
    ASSERT_TRUE(owner.WaitForCode(kPortLost));
    std::this_thread::sleep_for(100ms); // a spinning monitor would report again
    owner.RunOnOwnerThread([] {});
    EXPECT_EQ(owner.CountOf(kPortLost), 1);
    port.ClosePort();
}
