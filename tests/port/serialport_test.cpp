// What only the serial kind does, on a pseudo-terminal: line settings,
// bytes from the far end, refusals, and the far end going away.
#include "devicemap.h"
#include "portowner.h"
#include "realport.h"
#include "serialport.h"

#include <gtest/gtest.h>

#include <future>
#include <sys/ioctl.h>

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

// Counted in notifications: a block taken while more waits brings another
// code 1 at once, without new bytes; bytes left unread are not announced
// again, only new ones are (each report of new bytes is a fence: the monitor
// delivers in order, so a repeat would be counted before it).
TEST_F(SerialPortTest, CodeOneFollowsAFullReadAndNeverRepeatsForUnreadBytes)
{
    ASSERT_EQ(Open(), 1u);
    ASSERT_TRUE(m_pty.WriteMaster(std::string(2500, 'q')));
    ASSERT_TRUE(PollUntil([&] {
        int inQueue = 0;
        ::ioctl(m_pty.SlaveFd(), FIONREAD, &inQueue);
        return inQueue == 2500;
    }));
    ASSERT_TRUE(m_owner.WaitForCode(kPortDataArrived));
    m_owner.Sync();
    int expected = m_owner.CountOf(kPortDataArrived);
    std::string taken;
    const auto readBlock = [&] {
        std::promise<std::string> block; // hands the bytes over in a way TSan sees
        m_owner.RunOnOwnerThread([&] {
            uint8_t buffer[1000];
            uint32_t received = 0;
            m_port.Read(buffer, sizeof buffer, &received);
            block.set_value(std::string(reinterpret_cast<const char *>(buffer), received));
        });
        taken += block.get_future().get();
    };
    for (int block = 0; block < 2; ++block) {
        readBlock();
        EXPECT_TRUE(m_owner.WaitForCode(kPortDataArrived, ++expected)) << "block " << block;
    }
    readBlock(); // the last 500: nothing left to announce
    EXPECT_EQ(taken, std::string(2500, 'q'));
    for (const char *more : {"z", "y"}) {
        ASSERT_TRUE(m_pty.WriteMaster(more));
        EXPECT_TRUE(m_owner.WaitForCode(kPortDataArrived, ++expected));
        m_owner.Sync();
        EXPECT_EQ(m_owner.CountOf(kPortDataArrived), expected) << more;
    }
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
