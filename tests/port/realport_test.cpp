// The serial kind on a pseudo-terminal and the parallel kind on a FIFO,
// checked at the far end: writes, file transfers, closing and reopening.
#include "faultdevice.h"
#include "portowner.h"
#include "realport.h"
#include "support/bytes_diff.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>

using namespace std::chrono_literals;

namespace {

class RealPort : public testing::TestWithParam<RealKind>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_device.IsValid());
        Open();
    }
    void TearDown() override { m_port->ClosePort(); }

    void Open(uint32_t value = 7)
    {
        ASSERT_EQ(m_port->OpenPort(m_owner.Object(), 1, value, 0), 1u) << m_port->GetLastTrace();
        ASSERT_TRUE(m_owner.WaitForCode(kPortOpened));
        m_owner.Clear();
    }

    CFarEnd &Far() { return m_device.FarEnd(); }
    uint32_t Send(const std::string &bytes, int32_t passes, uint32_t intervalMs)
    {
        return m_port->SendFile(TestFile(bytes).c_str(), passes, intervalMs);
    }
    // Past the 200 ms a finished file thread waits before its code 5.
    void ExpectNoFileEnd()
    {
        std::this_thread::sleep_for(400ms);
        EXPECT_EQ(m_owner.CountOf(kPortFileDone), 0);
        EXPECT_EQ(m_owner.CountOf(kPortFileFailed), 0);
    }

    // A stop that hangs fails the test instead of blocking it.
    void StopWithinBound()
    {
        uint32_t result = 0;
        EXPECT_TRUE(ReturnsWithin([&] { result = m_port->StopSendFile(); }));
        EXPECT_EQ(result, 1u);
        EXPECT_EQ(m_port->IsSendingFile(), 0u);
    }

    CTestPortOwner m_owner;
    CRealDevice m_device{GetParam()};
    CFaultDevices m_faults; // passes everything through until a test scripts a fault
    std::unique_ptr<CPortEx> m_port = m_device.NewPort(&m_faults);
};

} // namespace

TEST_P(RealPort, SecondWriteWhilePendingIsRefused)
{
    Far().Hold(true); // the device buffers fill up and the write stays pending
    std::string big = PatternBytes(1 << 20, 5);
    const std::string expected = big;
    ASSERT_EQ(WriteBytes(*m_port, big), 1u);
    big.assign(big.size(), '\0'); // the port works from its own copy
    EXPECT_EQ(WriteBytes(*m_port, "late"), 0u);
    EXPECT_EQ(m_port->GetLastError(), 997u);
    Far().Hold(false);
    ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone));
    // Pending clears right after the owner's handler.
    EXPECT_TRUE(PollUntil([&] { return WriteBytes(*m_port, "next") == 1; }));
    ASSERT_TRUE(Far().WaitForCount(expected.size() + 4));
    EXPECT_TRUE(SameBytes(expected + "next", Far().Bytes()));
}

TEST_P(RealPort, ClosingWhileWriteDoneWaitsOnABusyOwnerReturnsAndReopenWorks)
{
    m_owner.Block();
    ASSERT_EQ(WriteBytes(*m_port, "abc"), 1u);
    ASSERT_TRUE(WaitForPendingSends(1));
    EXPECT_TRUE(ReturnsWithin([&] { m_port->ClosePort(); }));
    EXPECT_EQ(CPortNotifier::PendingSends(), 0);
    m_owner.Unblock();
    EXPECT_EQ(m_owner.CountOf(kPortWriteDone), 0); // dropped, not delivered late
    EXPECT_EQ(WriteBytes(*m_port, "closed"), 0u);
    // The write went out although its code 2 was dropped. Opening purges the
    // device, and on a pseudo-terminal that purge also drops what the far end
    // has not taken in yet, so the far end must have it before the reopen.
    ASSERT_TRUE(Far().WaitForCount(3)) << "far end has \"" << Far().Bytes() << "\"";
    EXPECT_EQ(Far().Bytes(), "abc");

    Open(8);
    ASSERT_EQ(WriteBytes(*m_port, "again"), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone));
    EXPECT_EQ(m_owner.Messages()[0].lParam, 8u);
    ASSERT_TRUE(Far().WaitForCount(8));
    EXPECT_EQ(Far().Bytes(), "abcagain");
}

// A write the device fails after taking part of it ends with code 2 while
// the device is still there (the owner writes nothing until then), and with
// code 4 when it is gone.
TEST_P(RealPort, BackgroundWriteThatFailsEndsWithWriteDoneOrPortLost)
{
    // The device's error, the code that ends the write, the port's last error.
    const std::tuple<int, uint16_t, uint32_t> rows[] = {
        {EINVAL, kPortWriteDone, 87}, {ENOSPC, kPortWriteDone, 31}, {EIO, kPortLost, 1167}};
    const std::string bytes = PatternBytes(3000, 3);
    std::string expected;
    for (const auto &[error, code, lastError] : rows) {
        SCOPED_TRACE(error);
        m_owner.Clear();
        m_faults.With([&](auto &s) {
            s.writeError = error;
            s.passBytes = 100;
        });
        ASSERT_EQ(WriteBytes(*m_port, bytes), 1u); // accepted: 100 bytes went at once
        ASSERT_TRUE(m_owner.WaitForCode(code));
        EXPECT_EQ(m_owner.Codes(), std::vector<uint16_t>{code});
        EXPECT_EQ(m_port->GetLastError(), lastError);
        expected += bytes.substr(0, 100);
        m_faults.With([](auto &s) { s.writeError = 0; });
        if (code == kPortWriteDone) { // the rest is dropped, the port goes on
            // Pending clears right after the owner's handler.
            ASSERT_TRUE(PollUntil([&] { return WriteBytes(*m_port, "next") == 1; }));
            ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone, 2));
            expected += "next";
        } else { // the rest is dropped with the device: nothing stays pending
            EXPECT_EQ(WriteBytes(*m_port, "after"), 1u) << m_port->GetLastError();
            ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone));
            expected += "after";
        }
    }
    EXPECT_EQ(Far().WaitQuiet(), expected.size());
    EXPECT_TRUE(SameBytes(expected, Far().Bytes()));
}

// Endless passes ignore the interval; a stop ends them and cuts an interval
// short. A stop during a pass signals the interval wait that nobody waits on:
// the next transfer must not take that as the end of its interval.
TEST_P(RealPort, IntervalsKeepTheLineQuietAndStopsEndTransfersAtOnce)
{
    const std::string content = PatternBytes(4000, 5);
    ASSERT_EQ(Send(content, -1, 3'600'000), 1u); // an hour
    ASSERT_TRUE(m_owner.WaitForCode(kPortFilePassDone, 3));
    StopWithinBound();
    const std::size_t received = Far().WaitQuiet(300ms);
    EXPECT_GE(received, 3 * content.size());
    // Whole passes, then the part of the pass that the stop cut short.
    std::string passes;
    while (passes.size() <= received)
        passes += content;
    EXPECT_TRUE(SameBytes(passes.substr(0, received), Far().Bytes()));
    ExpectNoFileEnd();

    Far().Hold(true);
    ASSERT_EQ(Send(PatternBytes(200'000, 21), 1, 0), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileProgress));
    StopWithinBound();
    Far().Hold(false);
    Far().WaitQuiet(300ms);
    Far().Clear();
    m_owner.Clear();

    const std::string pass = PatternBytes(3000, 9);
    ASSERT_EQ(Send(pass, 2, 1500), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFilePassDone));
    ASSERT_TRUE(Far().WaitForCount(pass.size()));
    // Well inside the interval, which began before code 8: the line keeps
    // one pass, early in the pause and late in it.
    for (const auto wait : {200ms, 1000ms}) {
        std::this_thread::sleep_for(wait);
        EXPECT_EQ(Far().Count(), pass.size());
    }
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileDone));
    ASSERT_TRUE(Far().WaitForCount(2 * pass.size()));
    EXPECT_TRUE(SameBytes(pass + pass, Far().Bytes()));
    Far().Clear();
    m_owner.Clear();

    ASSERT_EQ(Send(pass, 2, 3'600'000), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFilePassDone));
    StopWithinBound(); // not after an hour
    ExpectNoFileEnd();
    EXPECT_EQ(m_owner.CountOf(kPortFilePassDone), 1);
    EXPECT_EQ(Far().WaitQuiet(), pass.size());
    EXPECT_TRUE(SameBytes(pass, Far().Bytes()));
    EXPECT_EQ(m_port->StopSendFile(), 0u);
}

// A paused transfer sends nothing more until it is let go, then goes on where
// it stopped: the far end gets the file once, whole and in order.
TEST_P(RealPort, PausedTransferResumesWhereItStopped)
{
    // Large enough that the transfer is still running at its first progress.
    const std::string content = PatternBytes(32 << 20, 13);
    ASSERT_EQ(Send(content, 1, 0), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileProgress));
    ASSERT_EQ(m_port->PauseSendFile(), 1u);
    EXPECT_EQ(m_port->IsSendFilePaused(), 1u);
    const std::size_t duringPause = Far().WaitQuiet(300ms);
    EXPECT_LT(duringPause, content.size());
    EXPECT_EQ(m_owner.CountOf(kPortFileDone), 0);

    EXPECT_EQ(m_port->PauseSendFile(), 1u); // let go
    EXPECT_EQ(m_port->IsSendFilePaused(), 0u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileDone));
    ASSERT_TRUE(Far().WaitForCount(content.size()));
    EXPECT_TRUE(SameBytes(content, Far().Bytes()));
    EXPECT_EQ(m_port->PauseSendFile(), 0u); // nothing runs any more
}

// Only a regular file is sent: a FIFO without a writer would block the
// caller's thread in the open, and a device or a folder has no end to send.
TEST_P(RealPort, SendFileRefusesWhatIsNotARegularFile)
{
    const std::filesystem::path folder = std::filesystem::path(TestFile("x")).parent_path();
    const std::string fifo = (folder / ("fifo-" + std::to_string(int(GetParam())))).string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string &path : {fifo, folder.string(), std::string("/dev/zero")}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(m_port->SendFile(path.c_str(), 1, 0), 0u);
        EXPECT_EQ(m_port->GetLastTrace(), "Can't Open File!");
        EXPECT_EQ(m_port->IsSendingFile(), 0u);
    }
    ExpectNoFileEnd();
    EXPECT_EQ(Far().WaitQuiet(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Kinds, RealPort,
                         testing::Values(RealKind::SerialPty, RealKind::ParallelFifo),
                         RealKindTestName);

// A pseudo-terminal's far end can go away (the parallel kind on one too).
using FarEndClosing = RealPort;

TEST_P(FarEndClosing, RaisesPortLostOnce)
{
    m_device.CloseFarEnd();
    ASSERT_TRUE(m_owner.WaitForCode(kPortLost));
    EXPECT_EQ(m_owner.Messages().back().lParam, 7u);
    if (GetParam() == RealKind::SerialPty) {
        EXPECT_EQ(WriteBytes(*m_port, "gone"), 0u); // failure reported, not swallowed
    }
    std::this_thread::sleep_for(100ms); // a spinning monitor would report again
    EXPECT_EQ(m_owner.CountOf(kPortLost), 1);
    EXPECT_TRUE(ReturnsWithin([&] { m_port->ClosePort(); }));
}

// The rest of a write that was going out when the device went is dropped: no
// code 2 reports it, and nothing stays pending, so the next write meets the
// device's own error instead of being refused as one too many.
TEST_P(FarEndClosing, DropsTheWriteGoingOutAndLeavesNothingPending)
{
    Far().Hold(true); // the device buffers fill up and the write stays pending
    ASSERT_EQ(WriteBytes(*m_port, PatternBytes(1 << 20, 5)), 1u);
    ASSERT_EQ(WriteBytes(*m_port, "late"), 0u);
    ASSERT_EQ(m_port->GetLastError(), kPortErrIoPending);
    m_device.CloseFarEnd();
    ASSERT_TRUE(m_owner.WaitForCode(kPortLost));
    EXPECT_EQ(m_owner.CountOf(kPortWriteDone), 0);
    EXPECT_EQ(WriteBytes(*m_port, "after"), 0u);
    EXPECT_EQ(m_port->GetLastError(), kPortErrDeviceNotConnected);
    EXPECT_TRUE(ReturnsWithin([&] { m_port->ClosePort(); }));
}

INSTANTIATE_TEST_SUITE_P(Kinds, FarEndClosing,
                         testing::Values(RealKind::SerialPty, RealKind::ParallelPty),
                         RealKindTestName);
