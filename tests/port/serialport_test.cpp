// CSerialPort against a real pseudo-terminal pair.
#include "devicemap.h"
#include "portowner.h"
#include "ptypair.h"
#include "serialport.h"
#include "serialtermios.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <future>
#include <sys/ioctl.h>
#include <termios.h>

using namespace std::chrono_literals;
using namespace std::string_literals;

namespace {

tagSERIAL_CFG SerialCfg(uint32_t flow = 0, uint32_t baud = 9600, uint8_t dataBits = 8,
                        uint8_t stopBits = 0, uint8_t parity = 0)
{
    tagSERIAL_CFG cfg;
    cfg.dwPort = 1;
    cfg.dwBaudRate = baud;
    cfg.byParity = parity;
    cfg.byDataBits = dataBits;
    cfg.byStopBits = stopBits;
    cfg.dwFlowCtrl = flow;
    cfg.dwMarker = kCfgMarkerValid;
    return cfg;
}

bool WaitForPendingSends(int count)
{
    const auto deadline = std::chrono::steady_clock::now() + CTestPortOwner::kWait;
    while (CPortNotifier::PendingSends() != count) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

class SerialPortTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_pty.IsValid());
        SetDeviceOverride("COM1", m_pty.SlavePath());
    }
    void TearDown() override { m_port.ClosePort(); }

    void Open(uint32_t flow = 0)
    {
        const tagSERIAL_CFG cfg = SerialCfg(flow);
        ASSERT_EQ(m_port.SetPortSettings(&cfg), 1u);
        ASSERT_EQ(m_port.OpenPort(m_owner.Object(), 1, 42, 0), 1u) << m_port.GetLastTrace();
        ASSERT_TRUE(m_owner.WaitForCode(kPortOpened));
    }

    uint32_t WriteBytes(const std::string &bytes)
    {
        return m_port.Write(reinterpret_cast<const uint8_t *>(bytes.data()), uint32_t(bytes.size()),
                            nullptr, 1);
    }

    // Reads with Read(1000) until `count` bytes came; every call returns at once.
    std::string ReadBack(std::size_t count, int *calls = nullptr)
    {
        std::string bytes;
        const auto deadline = std::chrono::steady_clock::now() + CTestPortOwner::kWait;
        while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
            uint8_t buffer[1000];
            uint32_t got = 1234;
            EXPECT_EQ(m_port.Read(buffer, sizeof buffer, &got), 1u);
            EXPECT_LE(got, 1000u);
            bytes.append(reinterpret_cast<const char *>(buffer), got);
            if (calls)
                ++*calls;
            if (got == 0)
                std::this_thread::sleep_for(2ms);
        }
        return bytes;
    }

    CPtyPair m_pty;
    CTestPortOwner m_owner;
    CSerialPort m_port;
};

} // namespace

TEST(SerialPortName, OneOrTwoDigits)
{
    EXPECT_EQ(CSerialPort::DeviceName(1), "COM1");
    EXPECT_EQ(CSerialPort::DeviceName(10), "COM10");
    CSerialPort port;
    EXPECT_EQ(port.GetPortType(), 1);
}

TEST_F(SerialPortTest, OpensWithEachFlowControl)
{
    for (uint32_t flow : {0u, 1u, 2u}) {
        m_owner.Clear();
        Open(flow);
        EXPECT_EQ(m_owner.Messages()[0].lParam, 42u);
        termios tio{};
        ASSERT_EQ(::tcgetattr(m_pty.SlaveFd(), &tio), 0);
        EXPECT_EQ((tio.c_iflag & IXON) != 0, flow == 2) << flow;
        EXPECT_EQ(tio.c_iflag & IXOFF, 0u);
        EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t(CS8));
        EXPECT_EQ(cfgetospeed(&tio), speed_t(B9600));
        // A pseudo-terminal has no DSR: hardware flow must not hold the output.
        const std::string bytes = PatternBytes(300, flow);
        ASSERT_EQ(WriteBytes(bytes), 1u);
        EXPECT_TRUE(SameBytes(bytes, m_pty.ReadMaster(bytes.size())));
        ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone));
        m_port.ClosePort();
    }
}

TEST_F(SerialPortTest, WrittenBytesArriveUnchangedEachFollowedByOneWriteDone)
{
    Open();
    const std::string first = PatternBytes(1024);
    ASSERT_EQ(WriteBytes(first), 1u);
    EXPECT_TRUE(SameBytes(first, m_pty.ReadMaster(first.size())));
    ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone));
    const std::string second = "\r\n\x11\x13\x00\xFF end"s;
    ASSERT_EQ(WriteBytes(second), 1u);
    EXPECT_TRUE(SameBytes(second, m_pty.ReadMaster(second.size())));
    ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone, 2));
    m_port.ClosePort();
    m_owner.RunOnOwnerThread([] {});
    EXPECT_EQ(m_owner.Codes(), (std::vector<uint16_t>{3, 2, 2}));
}

TEST_F(SerialPortTest, ZeroByteWriteReturnsOneWithoutWriteDone)
{
    Open();
    EXPECT_EQ(m_port.Write(nullptr, 0, nullptr, 1), 1u);
    ASSERT_EQ(WriteBytes("x"), 1u);
    EXPECT_EQ(m_pty.ReadMaster(1), "x");
    ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone));
    m_port.ClosePort();
    m_owner.RunOnOwnerThread([] {});
    EXPECT_EQ(m_owner.Codes(), (std::vector<uint16_t>{3, 2}));
}

TEST_F(SerialPortTest, SecondWriteWhilePendingIsRefused)
{
    Open();
    // Far more than the pseudo-terminal buffers while nobody reads the far end.
    std::string big = PatternBytes(1 << 20, 5);
    ASSERT_EQ(WriteBytes(big), 1u);
    EXPECT_EQ(WriteBytes("late"), 0u);
    EXPECT_EQ(m_port.GetLastError(), 997u);
    EXPECT_EQ(m_port.GetLastTrace(), "CSerialPort::Write - Last Write Pending!");
    const std::string expected = big;
    big.assign(big.size(), '\0'); // the port works from its own copy
    EXPECT_TRUE(SameBytes(expected, m_pty.ReadMaster(expected.size())));
    ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone));
    ASSERT_EQ(WriteBytes("next"), 1u);
    EXPECT_EQ(m_pty.ReadMaster(4), "next");
    ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone, 2));
    m_port.ClosePort();
    m_owner.RunOnOwnerThread([] {});
    EXPECT_EQ(m_owner.CountOf(kPortWriteDone), 2);
}

TEST_F(SerialPortTest, IncomingBytesRaiseCodeOneAndAreReadInThousands)
{
    std::mutex mutex;
    std::string readInHandler;
    m_owner.SetHandler([&](const PortMsg &msg) {
        if (msg.code != kPortDataArrived)
            return;
        uint8_t buffer[1000];
        uint32_t got = 0;
        m_port.Read(buffer, sizeof buffer, &got); // as the view does, once per code 1
        std::lock_guard lock(mutex);
        readInHandler.append(reinterpret_cast<const char *>(buffer), got);
    });
    Open();
    const std::string burst = PatternBytes(700, 1);
    ASSERT_TRUE(m_pty.WriteMaster(burst));
    ASSERT_TRUE(m_owner.WaitUntil([&](const std::vector<PortMsg> &) {
        std::lock_guard lock(mutex);
        return readInHandler.size() == burst.size();
    }));
    EXPECT_GE(m_owner.CountOf(kPortDataArrived), 1);
    m_owner.SetHandler({});

    // More than one read's worth: the rest stays queued and Read takes it.
    const std::string many = PatternBytes(2500, 2);
    const int before = m_owner.CountOf(kPortDataArrived);
    ASSERT_TRUE(m_pty.WriteMaster(many));
    ASSERT_TRUE(m_owner.WaitForCode(kPortDataArrived, before + 1));
    int calls = 0;
    EXPECT_TRUE(SameBytes(many, ReadBack(many.size(), &calls)));
    EXPECT_GE(calls, 3);
    uint8_t buffer[10];
    uint32_t got = 7;
    EXPECT_EQ(m_port.Read(buffer, sizeof buffer, &got), 1u); // nothing queued: at once
    EXPECT_EQ(got, 0u);
}

TEST_F(SerialPortTest, BytesArrivingWhileTheOwnerHandlesCodeOneAreReported)
{
    std::promise<void> firstSeen;
    std::promise<void> secondQueued;
    auto queued = secondQueued.get_future().share();
    std::atomic<int> calls{0};
    m_owner.SetHandler([&](const PortMsg &msg) {
        if (msg.code == kPortDataArrived && ++calls == 1) {
            firstSeen.set_value();
            queued.wait(); // the owner is busy while more bytes come; it reads nothing
        }
    });
    Open();
    ASSERT_TRUE(m_pty.WriteMaster("first"));
    ASSERT_EQ(firstSeen.get_future().wait_for(CTestPortOwner::kWait), std::future_status::ready);
    ASSERT_TRUE(m_pty.WriteMaster("second"));
    int inQueue = 0;
    const auto deadline = std::chrono::steady_clock::now() + CTestPortOwner::kWait;
    while (inQueue < 11 && std::chrono::steady_clock::now() < deadline) {
        ::ioctl(m_pty.SlaveFd(), FIONREAD, &inQueue);
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_EQ(inQueue, 11);
    secondQueued.set_value();
    EXPECT_TRUE(m_owner.WaitForCode(kPortDataArrived, 2));
    EXPECT_EQ(ReadBack(11), "firstsecond");
}

TEST_F(SerialPortTest, OpeningAnOpenPortChangesNothing)
{
    Open();
    CTestPortOwner other;
    EXPECT_EQ(m_port.OpenPort(other.Object(), 1, 7, 0), 1u);
    EXPECT_EQ(m_port.GetLastTrace(), "CSerialPort::OpenPort - Port already opened!");
    ASSERT_EQ(WriteBytes("ab"), 1u);
    EXPECT_EQ(m_pty.ReadMaster(2), "ab");
    ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone));
    EXPECT_EQ(m_owner.Messages().back().lParam, 42u);
    other.RunOnOwnerThread([] {});
    EXPECT_TRUE(other.Codes().empty());
}

TEST_F(SerialPortTest, RefusedSettingsAndOwner)
{
    tagSERIAL_CFG unset = SerialCfg();
    unset.dwMarker = kCfgMarkerUnset;
    EXPECT_EQ(m_port.SetPortSettings(&unset), 0u);
    EXPECT_EQ(m_port.GetLastTrace(), "Configuration data not correct!");
    EXPECT_EQ(m_port.OpenPort(m_owner.Object(), 1, 0, 0), 0u);
    EXPECT_EQ(m_port.GetLastTrace(), "CSerialPort::OpenPort - Port hasn't setup!");
    const tagSERIAL_CFG cfg = SerialCfg();
    ASSERT_EQ(m_port.SetPortSettings(&cfg), 1u);
    EXPECT_EQ(m_port.OpenPort(nullptr, 1, 0, 0), 0u);
    EXPECT_EQ(m_port.GetLastTrace(), "CSerialPort::OpenPort - Parameter not correct!");
    SetDeviceOverride("COM1", "/nonexistent/tty");
    EXPECT_EQ(m_port.OpenPort(m_owner.Object(), 1, 0, 0), 0u);
    EXPECT_EQ(m_port.GetLastTrace(), "CSerialPort::OpenPort - Unable to open port!");
    EXPECT_EQ(m_port.GetLastError(), 2u);
    uint8_t byte = 0;
    EXPECT_EQ(m_port.Write(&byte, 1, nullptr, 1), 0u);
    EXPECT_EQ(m_port.Read(&byte, 1, nullptr), 0u);
}

TEST_F(SerialPortTest, UnsupportedLineSettingsFailTheOpenAndReleaseTheDevice)
{
    for (const tagSERIAL_CFG &bad : {SerialCfg(0, 9600, 4), SerialCfg(0, 9600, 8, 1)}) {
        ASSERT_EQ(m_port.SetPortSettings(&bad), 1u);
        EXPECT_EQ(m_port.OpenPort(m_owner.Object(), 1, 0, 0), 0u);
        EXPECT_EQ(m_port.GetLastTrace(), "Setup DCB error!");
    }
    Open(); // the failed opens left nothing locked
    m_owner.RunOnOwnerThread([] {});
    EXPECT_EQ(m_owner.Codes(), std::vector<uint16_t>{3});
}

TEST_F(SerialPortTest, ArbitraryRateAndMarkParityReachTheLine)
{
    const tagSERIAL_CFG cfg = SerialCfg(0, 250000, 7, 2, 3);
    ASSERT_EQ(m_port.SetPortSettings(&cfg), 1u);
    ASSERT_EQ(m_port.OpenPort(m_owner.Object(), 1, 0, 0), 1u) << m_port.GetLastTrace();
    EXPECT_EQ(ReadOutputBaud(m_pty.SlaveFd()), 250000u);
    termios tio{};
    ASSERT_EQ(::tcgetattr(m_pty.SlaveFd(), &tio), 0);
    // The pseudo-terminal driver forces CS8 and drops PARENB; the other bits stay.
    EXPECT_EQ(tio.c_cflag & (PARODD | CMSPAR | CSTOPB), tcflag_t(PARODD | CMSPAR | CSTOPB));
}

TEST_F(SerialPortTest, SecondOpenerIsRefused)
{
    Open();
    CSerialPort second;
    const tagSERIAL_CFG cfg = SerialCfg();
    second.SetPortSettings(&cfg);
    EXPECT_EQ(second.OpenPort(m_owner.Object(), 1, 0, 0), 0u);
    EXPECT_EQ(second.GetLastTrace(), "CSerialPort::OpenPort - Unable to open port!");
    EXPECT_EQ(second.GetLastError(), 32u);
}

TEST_F(SerialPortTest, SynchronousModeWritesAtOnceWithoutNotifications)
{
    const tagSERIAL_CFG cfg = SerialCfg();
    m_port.SetPortSettings(&cfg);
    ASSERT_EQ(m_port.OpenPort(m_owner.Object(), 0, 0, 0), 1u);
    const std::string bytes = PatternBytes(5000, 9);
    auto reader = std::async(std::launch::async, [&] { return m_pty.ReadMaster(bytes.size()); });
    uint32_t written = 0;
    EXPECT_EQ(m_port.Write(reinterpret_cast<const uint8_t *>(bytes.data()), 5000, &written, 0), 1u);
    EXPECT_EQ(written, 5000u);
    EXPECT_TRUE(SameBytes(bytes, reader.get()));
    m_port.ClosePort();
    m_owner.RunOnOwnerThread([] {});
    EXPECT_TRUE(m_owner.Codes().empty());
}

TEST_F(SerialPortTest, FileGoesOutInFullWithoutWriteDone)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("file.bin").toStdString();
    const std::string content = PatternBytes(5000, 3);
    std::ofstream(path, std::ios::binary) << content;
    Open();
    ASSERT_EQ(m_port.SendFile(path.c_str(), 2, 10), 1u);
    EXPECT_TRUE(SameBytes(content + content, m_pty.ReadMaster(2 * content.size())));
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileDone));
    const auto codes = m_owner.Codes();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), kPortFilePassDone), 2);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), kPortWriteDone), 0);
    EXPECT_EQ(codes.back(), kPortFileDone);
}

TEST_F(SerialPortTest, StopWhileTheFarEndTakesNothingEndsTheTransfer)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("big.bin").toStdString();
    // Far more than the pseudo-terminal buffers, with a percent step per 2 KB.
    std::ofstream(path, std::ios::binary) << PatternBytes(200'000);
    Open();
    ASSERT_EQ(m_port.SendFile(path.c_str(), 1, 0), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileProgress)); // under way, soon blocked by the pty
    auto stopped = std::async(std::launch::async, [&] { return m_port.StopSendFile(); });
    ASSERT_EQ(stopped.wait_for(CTestPortOwner::kWait), std::future_status::ready);
    EXPECT_EQ(stopped.get(), 1u);
    EXPECT_EQ(m_port.IsSendingFile(), 0u);
}

TEST_F(SerialPortTest, ClosingWhileASentNotificationWaitsDoesNotDeadlock)
{
    Open();
    m_owner.Block(); // the window thread is busy: nothing gets handled
    ASSERT_TRUE(m_pty.WriteMaster("wake"));
    ASSERT_TRUE(WaitForPendingSends(1)); // the monitor waits in its code 1 delivery
    // Write takes the port lock: the monitor must not hold it while it delivers.
    EXPECT_EQ(WriteBytes("w"), 1u);
    auto closed = std::async(std::launch::async, [&] { m_port.ClosePort(); });
    ASSERT_EQ(closed.wait_for(CTestPortOwner::kWait), std::future_status::ready);
    EXPECT_EQ(CPortNotifier::PendingSends(), 0);
    m_owner.Unblock();
    m_owner.RunOnOwnerThread([] {});
    EXPECT_EQ(m_owner.CountOf(kPortDataArrived), 0); // dropped, not delivered late
}

TEST_F(SerialPortTest, DeletedOwnerLosesNotificationsAndThePortCarriesOn)
{
    Open();
    m_owner.DeleteOwner();
    ASSERT_TRUE(m_pty.WriteMaster("abc"));
    ASSERT_EQ(WriteBytes("xyz"), 1u);
    EXPECT_EQ(m_pty.ReadMaster(3), "xyz");
    EXPECT_EQ(ReadBack(3), "abc");
    ASSERT_EQ(WriteBytes("more"), 1u);
    EXPECT_EQ(m_pty.ReadMaster(4), "more");
}

TEST_F(SerialPortTest, FarEndClosingRaisesPortLostOnce)
{
    Open();
    ASSERT_TRUE(m_pty.WriteMaster("last"));
    ASSERT_TRUE(m_owner.WaitForCode(kPortDataArrived));
    EXPECT_EQ(ReadBack(4), "last");
    m_pty.CloseMaster();
    ASSERT_TRUE(m_owner.WaitForCode(kPortLost));
    EXPECT_EQ(m_owner.Messages().back().lParam, 42u);
    EXPECT_EQ(WriteBytes("gone"), 0u); // failure reported, not swallowed
    uint8_t buffer[8];
    uint32_t got = 0;
    m_port.Read(buffer, sizeof buffer, &got);
    EXPECT_EQ(got, 0u);
    std::this_thread::sleep_for(100ms); // a spinning monitor would report again
    m_owner.RunOnOwnerThread([] {});
    EXPECT_EQ(m_owner.CountOf(kPortLost), 1);
    auto closed = std::async(std::launch::async, [&] { m_port.ClosePort(); });
    ASSERT_EQ(closed.wait_for(CTestPortOwner::kWait), std::future_status::ready);
}
