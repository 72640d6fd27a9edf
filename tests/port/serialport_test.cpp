// What only the serial kind does, on a pseudo-terminal: line settings,
// bytes from the far end, refusals, and the far end going away.
#include "devicemap.h"
#include "portowner.h"
#include "realport.h"
#include "serialport.h"
#include "serialtermios.h"
#include "support/bytes_diff.h"

#include <gtest/gtest.h>

#include <future>
#include <sys/ioctl.h>
#include <termios.h>

using namespace std::chrono_literals;

namespace {

class SerialPortTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_pty.IsValid());
        SetDeviceOverride("COM1", m_pty.SlavePath());
    }
    void TearDown() override { m_port.ClosePort(); }

    uint32_t Open(const tagSERIAL_CFG &cfg = SerialCfg())
    {
        EXPECT_EQ(m_port.SetPortSettings(&cfg), 1u);
        const uint32_t opened = m_port.OpenPort(m_owner.Object(), 1, 42, 0);
        EXPECT_TRUE(!opened || m_owner.WaitForCode(kPortOpened));
        return opened;
    }

    CPtyPair m_pty;
    CTestPortOwner m_owner;
    CSerialPort m_port;
};

} // namespace

TEST_F(SerialPortTest, EachFlowControlAndArbitraryRateOpenAndWritesGoThrough)
{
    CFarEnd far(m_pty.MasterFd());
    for (const tagSERIAL_CFG &cfg : {SerialCfg(0), SerialCfg(1), SerialCfg(2, 250000, 7, 2, 3)}) {
        SCOPED_TRACE(cfg.dwFlowCtrl);
        m_owner.Clear();
        far.Clear();
        ASSERT_EQ(Open(cfg), 1u) << m_port.GetLastTrace();
        // A pseudo-terminal has no DSR: hardware flow must not hold the output.
        const std::string bytes = PatternBytes(300, cfg.dwFlowCtrl);
        ASSERT_EQ(WriteBytes(m_port, bytes), 1u);
        ASSERT_TRUE(far.WaitForCount(bytes.size()));
        EXPECT_TRUE(SameBytes(bytes, far.Bytes()));
        ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone));
        EXPECT_EQ(ReadOutputBaud(m_pty.SlaveFd()), cfg.dwBaudRate);
        termios tio{};
        ASSERT_EQ(::tcgetattr(m_pty.SlaveFd(), &tio), 0);
        // The pseudo-terminal driver forces CS8 and drops PARENB; the other bits stay.
        EXPECT_EQ(tio.c_cflag & (PARODD | CMSPAR | CSTOPB),
                  cfg.byParity == 3 ? tcflag_t(PARODD | CMSPAR | CSTOPB) : 0u);
        m_port.ClosePort();
    }
}

TEST_F(SerialPortTest, FarEndBytesRaiseCodeOneAndAreReadInThousands)
{
    std::mutex mutex;
    std::string readInHandler;
    m_owner.SetHandler([&](const PortMsg &msg) {
        uint8_t buffer[1000];
        uint32_t got = 0;
        if (msg.code == kPortDataArrived && m_port.Read(buffer, sizeof buffer, &got)) {
            std::lock_guard lock(mutex); // as the view does, once per code 1
            readInHandler.append(reinterpret_cast<const char *>(buffer), got);
        }
    });
    ASSERT_EQ(Open(), 1u);
    const std::string burst = PatternBytes(700, 1);
    ASSERT_TRUE(m_pty.WriteMaster(burst));
    ASSERT_TRUE(m_owner.WaitUntil([&](const std::vector<PortMsg> &) {
        std::lock_guard lock(mutex);
        return readInHandler == burst;
    }));
    m_owner.SetHandler({});

    // More than one read's worth: the rest stays queued and Read takes it.
    const std::string many = PatternBytes(2500, 2);
    const int before = m_owner.CountOf(kPortDataArrived);
    ASSERT_TRUE(m_pty.WriteMaster(many));
    ASSERT_TRUE(m_owner.WaitForCode(kPortDataArrived, before + 1));
    int calls = 0;
    EXPECT_TRUE(SameBytes(many, ReadBack(m_port, many.size(), &calls)));
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
    ASSERT_EQ(Open(), 1u);
    ASSERT_TRUE(m_pty.WriteMaster("first"));
    ASSERT_EQ(firstSeen.get_future().wait_for(CTestPortOwner::kWait), std::future_status::ready);
    ASSERT_TRUE(m_pty.WriteMaster("second"));
    ASSERT_TRUE(PollUntil([&] {
        int inQueue = 0;
        ::ioctl(m_pty.SlaveFd(), FIONREAD, &inQueue);
        return inQueue == 11;
    }));
    secondQueued.set_value();
    EXPECT_TRUE(m_owner.WaitForCode(kPortDataArrived, 2));
    EXPECT_EQ(ReadBack(m_port, 11), "firstsecond");
}

TEST_F(SerialPortTest, ClosingWhileCodeOneWaitsOnABusyOwnerDoesNotDeadlock)
{
    ASSERT_EQ(Open(), 1u);
    m_owner.Block();
    ASSERT_TRUE(m_pty.WriteMaster("wake"));
    ASSERT_TRUE(WaitForPendingSends(1)); // the monitor waits in its code 1 delivery
    // Write takes the port lock: the monitor must not hold it while it delivers.
    EXPECT_EQ(WriteBytes(m_port, "w"), 1u);
    ASSERT_TRUE(ReturnsWithin([&] { m_port.ClosePort(); }));
    m_owner.Unblock();
    m_owner.Sync();
    EXPECT_EQ(m_owner.CountOf(kPortDataArrived), 0); // dropped, not delivered late
}

TEST_F(SerialPortTest, RefusedSettingsOpensAndSecondOpeners)
{
    tagSERIAL_CFG unset = SerialCfg();
    unset.dwMarker = kCfgMarkerUnset;
    EXPECT_EQ(m_port.SetPortSettings(&unset), 0u);
    EXPECT_EQ(m_port.OpenPort(m_owner.Object(), 1, 0, 0), 0u);
    EXPECT_EQ(m_port.GetLastTrace(), "CSerialPort::OpenPort - Port hasn't setup!");
    for (const tagSERIAL_CFG &bad : {SerialCfg(0, 9600, 4), SerialCfg(0, 9600, 8, 1)}) {
        EXPECT_EQ(Open(bad), 0u);
        EXPECT_EQ(m_port.GetLastTrace(), "Setup DCB error!");
    }
    ASSERT_EQ(Open(), 1u); // the failed opens left nothing locked
    CTestPortOwner other;
    EXPECT_EQ(m_port.OpenPort(other.Object(), 1, 7, 0), 1u); // already open: changes nothing
    CSerialPort second;
    const tagSERIAL_CFG cfg = SerialCfg();
    second.SetPortSettings(&cfg);
    EXPECT_EQ(second.OpenPort(m_owner.Object(), 1, 0, 0), 0u);
    EXPECT_EQ(second.GetLastError(), 32u);
    ASSERT_EQ(WriteBytes(m_port, "ab"), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone));
    EXPECT_EQ(m_owner.Messages().back().lParam, 42u); // still the first owner's
    other.Sync();
    EXPECT_TRUE(other.Codes().empty());
}

using FarEndClosing = testing::TestWithParam<RealKind>;

TEST_P(FarEndClosing, RaisesPortLostOnce)
{
    CRealDevice device(GetParam());
    ASSERT_TRUE(device.IsValid());
    CTestPortOwner owner;
    const auto port = device.NewPort();
    ASSERT_EQ(port->OpenPort(owner.Object(), 1, 42, 0), 1u);
    device.CloseFarEnd();
    ASSERT_TRUE(owner.WaitForCode(kPortLost));
    EXPECT_EQ(owner.Messages().back().lParam, 42u);
    if (GetParam() == RealKind::SerialPty) {
        EXPECT_EQ(WriteBytes(*port, "gone"), 0u); // failure reported, not swallowed
    }
    std::this_thread::sleep_for(100ms); // a spinning monitor would report again
    owner.Sync();
    EXPECT_EQ(owner.CountOf(kPortLost), 1);
    EXPECT_TRUE(ReturnsWithin([&] { port->ClosePort(); }));
}

INSTANTIATE_TEST_SUITE_P(Kinds, FarEndClosing,
                         testing::Values(RealKind::SerialPty, RealKind::ParallelPty),
                         RealKindTestName);
