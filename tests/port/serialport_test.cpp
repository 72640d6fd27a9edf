// What only the serial kind does, on a pseudo-terminal: line settings,
// bytes from the far end, refusals, and the far end going away.
#include "devicemap.h"
#include "faultdevice.h"
#include "portowner.h"
#include "realport.h"
#include "serialport.h"
#include "serialtermios.h"
#include "support/bytes_diff.h"

#include <gtest/gtest.h>

#include <future>
#include <optional>
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
    CFaultDevices m_faults; // the pseudo-terminal, with modem lines played on demand
    CSerialPort m_port{m_faults};
};

} // namespace

// Hardware flow holds the output while DSR is low and lets it go when DSR
// rises; a line without modem status (the pseudo-terminal's own answer) is
// never held, nor is any other mode.
TEST_F(SerialPortTest, FlowControlModesHoldOutputOnlyWhileDsrIsLow)
{
    CFarEnd far(m_pty.MasterFd());
    const struct
    {
        tagSERIAL_CFG cfg;
        std::optional<unsigned> lines; // none: the pseudo-terminal answers
        bool held;
    } rows[] = {{SerialCfg(0), {}, false},
                {SerialCfg(1), {}, false},
                {SerialCfg(2, 250000, 7, 2, 3), {}, false},
                {SerialCfg(1), kLineDsr | kLineCts, false},
                {SerialCfg(0, 9600), 0u, false},
                {SerialCfg(1, 115200), kLineCts | kLineDcd, true}};
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.cfg.dwFlowCtrl << " " << row.lines.value_or(99));
        m_owner.Clear();
        far.Clear();
        m_faults.With([&](auto &s) { s.lines = row.lines; });
        ASSERT_EQ(Open(row.cfg), 1u) << m_port.GetLastTrace();
        EXPECT_EQ(ReadOutputBaud(m_pty.SlaveFd()), row.cfg.dwBaudRate);
        const std::string bytes = PatternBytes(300, row.cfg.dwFlowCtrl);
        ASSERT_EQ(WriteBytes(m_port, bytes), 1u);
        if (row.held) {
            EXPECT_EQ(far.WaitQuiet(), 0u);
            m_owner.Sync();
            EXPECT_EQ(m_owner.CountOf(kPortWriteDone), 0);
            m_faults.With([](auto &s) { s.lines = kLineDsr; });
        }
        ASSERT_TRUE(far.WaitForCount(bytes.size()));
        EXPECT_TRUE(SameBytes(bytes, far.Bytes()));
        ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone));
        m_port.ClosePort();
    }
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
