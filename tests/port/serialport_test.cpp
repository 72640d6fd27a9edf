// What only the serial kind does, on a pseudo-terminal: line settings,
// bytes from the far end, refusals, and the far end going away.
#include "faultdevice.h"
#include "port/devicemap.h"
#include "port/linux/modembits.h"
#include "port/linux/serialtermios.h"
#include "port/serialport.h"
#include "portowner.h"
#include "realport.h"
#include "support/bytes_diff.h"

#include <gtest/gtest.h>

#include <future>
#include <grp.h>
#include <optional>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
    // Waits until the port's side of the line holds `count` unread bytes.
    bool WaitQueued(int count)
    {
        return PollUntil([&] {
            int inQueue = 0;
            ::ioctl(m_pty.SlaveFd(), FIONREAD, &inQueue);
            return inQueue == count;
        });
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
    // Settings, the modem lines played (none: the pseudo-terminal answers), held.
    const std::tuple<tagSERIAL_CFG, std::optional<unsigned>, bool> rows[] = {
        {SerialCfg(0), {}, false},
        {SerialCfg(1), {}, false},
        {SerialCfg(2, 250000, 7, 2, 3), {}, false},
        {SerialCfg(1), kLineDsr | kLineCts, false},
        {SerialCfg(0, 9600), 0u, false},
        {SerialCfg(1, 115200), kLineCts | kLineDcd, true}};
    for (const auto &[cfg, lines, held] : rows) {
        SCOPED_TRACE(testing::Message() << cfg.dwFlowCtrl << " " << lines.value_or(99));
        m_owner.Clear();
        far.Clear();
        m_faults.With([&](auto &s) { s.lines = lines; });
        ASSERT_EQ(Open(cfg), 1u) << m_port.GetLastTrace();
        EXPECT_EQ(ReadOutputBaud(m_pty.SlaveFd()), cfg.dwBaudRate);
        const std::string bytes = PatternBytes(300, cfg.dwFlowCtrl);
        ASSERT_EQ(WriteBytes(m_port, bytes), 1u);
        if (held) {
            EXPECT_EQ(far.WaitQuiet(), 0u);
            EXPECT_EQ(m_owner.CountOf(kPortWriteDone), 0);
            m_faults.With([](auto &s) { s.lines = kLineDsr; });
        }
        ASSERT_TRUE(far.WaitForCount(bytes.size()));
        EXPECT_TRUE(SameBytes(bytes, far.Bytes()));
        ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone));
        m_port.ClosePort();
    }
}

// The Linux ABI's TIOCM values, written out so that a swapped row shows.
TEST(ModemBits, MapToAndFromTheIoctlBits)
{
    const std::pair<unsigned, int> rows[] = {
        {kLineDtr, 0x002}, {kLineRts, 0x004},
        {kLineCts, 0x020}, {kLineDsr, 0x100},
        {kLineDcd, 0x040}, {kLineRi, 0x080},
        {0u, 0},           {kLineDtr | kLineRi | kLineDsr, 0x182}};
    for (const auto &[lines, tiocm] : rows) {
        SCOPED_TRACE(lines);
        EXPECT_EQ(ModemLinesToTiocm(lines), tiocm);
        EXPECT_EQ(TiocmToModemLines(tiocm), lines);
        // LE, ST and SR have no ModemLine: they never show as one.
        EXPECT_EQ(TiocmToModemLines(tiocm | 0x001 | 0x008 | 0x010), lines);
    }
}

// DTR and RTS reach the device (status lines asked for are left alone), the
// status comes from it, and the port keeps working through a break.
TEST_F(SerialPortTest, ControlLinesGoThroughTheDevice)
{
    unsigned lines = 99;
    EXPECT_EQ(m_port.GetModemLines(lines), ENODEV);
    EXPECT_EQ(m_port.SetModemLines(kLineDtr, 0), ENODEV);
    EXPECT_FALSE(m_port.SendBreak(250));
    ASSERT_EQ(Open(), 1u) << m_port.GetLastTrace();
    // A pseudo-terminal has no modem lines: the port says so rather than
    // answering with lines that are all off.
    EXPECT_EQ(m_port.GetModemLines(lines), ENOTTY);
    EXPECT_NE(m_port.SetModemLines(kLineDtr, 0), 0);
    m_faults.With([](auto &s) {
        s.lines = kLineCts | kLineRi;
        s.lineChanges.clear();
    });
    ASSERT_EQ(m_port.GetModemLines(lines), 0);
    EXPECT_EQ(lines, kLineCts | kLineRi);
    EXPECT_EQ(m_port.SetModemLines(kLineDtr | kLineDsr, kLineRts | kLineCts), 0);
    ASSERT_EQ(m_port.GetModemLines(lines), 0);
    EXPECT_EQ(lines, kLineDtr | kLineCts | kLineRi);
    EXPECT_TRUE(m_port.SendBreak(250));
    CFarEnd far(m_pty.MasterFd());
    ASSERT_EQ(WriteBytes(m_port, "after"), 1u);
    ASSERT_TRUE(far.WaitForCount(5));
    m_port.ClosePort(); // ends with the break
    m_faults.With([](auto &s) {
        EXPECT_EQ(s.lineChanges,
                  (std::vector<std::pair<unsigned, unsigned>>{{kLineDtr, kLineRts}}));
        EXPECT_EQ(s.breaks, std::vector<int>{250});
    });
    EXPECT_FALSE(m_port.SendBreak(250));
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
    ASSERT_TRUE(WaitQueued(11));
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
    ASSERT_TRUE(WaitQueued(2500));
    ASSERT_TRUE(m_owner.WaitForCode(kPortDataArrived));
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
    EXPECT_EQ(m_owner.CountOf(kPortDataArrived), 0); // dropped, not delivered late
}

namespace {

// Opens `port` in a child process that runs as the unprivileged user 65534
// and returns "last error|refusal|device|group" as the child saw it.
std::string OpenAsNobody(CPortEx &port, QObject *owner)
{
    constexpr std::size_t kSize = 512; // zeroed: what the child copies in ends there
    void *shared =
        ::mmap(nullptr, kSize, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED)
        return "no shared memory";
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        const uint32_t opened = port.OpenPort(owner, 1, 0, 0);
        const PortOpenFailure failure = port.GetOpenFailure();
        (std::to_string(opened ? 0 : port.GetLastError()) + "|" +
         std::to_string(int(failure.refusal)) + "|" + failure.device + "|" + failure.group)
            .copy(static_cast<char *>(shared), kSize - 1);
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    const std::string seen = static_cast<const char *>(shared);
    ::munmap(shared, kSize);
    return seen;
}

} // namespace

// The tests run as root, whom no file mode stops: the open runs as another
// user against a device of mode 0600 that belongs to root and "dialout".
// A device that another port holds is in use.
TEST(OpenRefused, RefusedOpensNameTheDeviceAndWhy)
{
    const group *dialout = ::getgrnam("dialout");
    ASSERT_NE(dialout, nullptr);
    CTestPortOwner owner;
    for (const RealKind kind : {RealKind::SerialPty, RealKind::ParallelFifo}) {
        CRealDevice device(kind);
        ASSERT_TRUE(device.IsValid());
        const std::string &path = device.Path();
        SCOPED_TRACE(path);
        ASSERT_EQ(::chown(path.c_str(), 0, dialout->gr_gid), 0);
        ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
        const auto port = device.NewPort();
        EXPECT_EQ(OpenAsNobody(*port, owner.Object()), "5|2|" + path + "|dialout");
        ASSERT_EQ(port->OpenPort(owner.Object(), 1, 0, 0), 1u);
        const auto second = device.NewPort();
        EXPECT_EQ(second->OpenPort(owner.Object(), 1, 0, 0), 0u);
        EXPECT_EQ(second->GetLastError(), kPortErrSharingViolation);
        EXPECT_EQ(second->GetOpenFailure().refusal, OpenRefusal::InUse);
        EXPECT_EQ(second->GetOpenFailure().device, path);
    }
    ClearDeviceOverrides();
}
