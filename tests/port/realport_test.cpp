// The serial kind on a pseudo-terminal and the parallel kind on a FIFO,
// checked at the far end: writes, file transfers, closing and reopening.
#include "portowner.h"
#include "realport.h"
#include "support/bytes_diff.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace std::chrono_literals;

namespace {

constexpr auto kLongWait = std::chrono::seconds(120); // big files under the sanitizers

std::string Repeated(const std::string &bytes, std::size_t times)
{
    std::string all;
    for (std::size_t i = 0; i < times; ++i)
        all += bytes;
    return all;
}

// The progress values of each pass, split at code 8.
std::vector<std::vector<uint32_t>> ProgressByPass(const std::vector<PortMsg> &messages)
{
    std::vector<std::vector<uint32_t>> passes(1);
    for (const PortMsg &msg : messages) {
        if (msg.code == kPortFileProgress)
            passes.back().push_back(msg.lParam);
        else if (msg.code == kPortFilePassDone)
            passes.emplace_back();
    }
    return passes;
}

std::size_t Entries(const char *dir)
{
    const std::filesystem::directory_iterator it(dir);
    return std::size_t(std::distance(begin(it), end(it)));
}

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
        m_owner.Sync();
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
    std::unique_ptr<CPortEx> m_port = m_device.NewPort();
};

} // namespace

TEST_P(RealPort, WrittenBytesArriveUnchangedEachWithOneWriteDone)
{
    const std::string first = PatternBytes(1024);
    const std::string second("\r\n\x11\x13\x00\xFF\x1B end", 11);
    ASSERT_EQ(WriteBytes(*m_port, first), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone));
    EXPECT_EQ(m_port->Write(nullptr, 0, nullptr, 1), 1u); // no code 2 for nothing
    ASSERT_EQ(WriteBytes(*m_port, second), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone, 2));
    ASSERT_TRUE(Far().WaitForCount(first.size() + second.size()));
    m_port->ClosePort();
    m_owner.Sync();
    EXPECT_EQ(m_owner.Codes(), (std::vector<uint16_t>{kPortWriteDone, kPortWriteDone}));
    EXPECT_EQ(m_owner.Messages()[0].lParam, 7u);
    EXPECT_TRUE(SameBytes(first + second, Far().Bytes()));
}

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
    m_owner.Sync();
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

TEST_P(RealPort, ManyOpenWriteCloseCyclesLeaveNoThreadOrDescriptor)
{
    constexpr int kCycles = 200;
    m_port->ClosePort();
    std::string expected;
    auto cycle = [&](int i) {
        const auto port = m_device.NewPort();
        ASSERT_EQ(port->OpenPort(m_owner.Object(), 1, uint32_t(i), 0), 1u) << i;
        const std::string bytes = "cycle " + std::to_string(i) + ";";
        ASSERT_EQ(WriteBytes(*port, bytes), 1u) << i;
        expected += bytes;
        ASSERT_TRUE(Far().WaitForCount(expected.size())) << i;
        if (i % 2 == 0) { // the others close while their code 2 may be on the way
            ASSERT_TRUE(m_owner.WaitUntil([&](const std::vector<PortMsg> &messages) {
                return std::any_of(messages.begin(), messages.end(), [&](const PortMsg &m) {
                    return m.code == kPortWriteDone && m.lParam == uint32_t(i);
                });
            })) << i;
        }
        if (i < kCycles - 10) // the last ones leave the close to the destructor
            port->ClosePort();
    };
    cycle(-2); // first use sets up what lives for the whole process
    const std::size_t fdsBefore = Entries("/proc/self/fd");
    const std::size_t threadsBefore = Entries("/proc/self/task");
    for (int i = 0; i < kCycles && !HasFatalFailure(); ++i)
        cycle(i);
    // Joined threads may take a moment to leave the task list.
    EXPECT_TRUE(PollUntil([&] { return Entries("/proc/self/task") == threadsBefore; }));
    EXPECT_EQ(Entries("/proc/self/fd"), fdsBefore);
    EXPECT_EQ(Far().WaitQuiet(), expected.size());
    EXPECT_TRUE(SameBytes(expected, Far().Bytes()));
}

TEST_P(RealPort, FilePassesDeliverTheFileThatManyTimesWithAProgressCodePerStep)
{
    const struct
    {
        std::size_t size;
        int passes;
    } rows[] = {{1, 1}, {5000, 3}, {5000, 0}, {3 * 1024 * 1024, 2}};
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.size << " x " << row.passes);
        m_owner.Clear();
        Far().Clear();
        const std::string content = PatternBytes(row.size, unsigned(row.passes));
        ASSERT_EQ(Send(content, row.passes, 20), 1u);
        ASSERT_TRUE(m_owner.WaitForCode(kPortFileDone, 1, kLongWait));
        EXPECT_EQ(m_port->IsSendingFile(), 0u);
        const std::string expected = Repeated(content, std::size_t(row.passes));
        ASSERT_TRUE(Far().WaitForCount(expected.size(), kLongWait));
        EXPECT_EQ(Far().WaitQuiet(), expected.size()); // and nothing after
        EXPECT_TRUE(SameBytes(expected, Far().Bytes()));
        const auto messages = m_owner.Messages();
        EXPECT_EQ(CountCode(messages, kPortFilePassDone), row.passes);
        EXPECT_EQ(CountCode(messages, kPortFileDone), 1);
        EXPECT_EQ(CountCode(messages, kPortFileFailed), 0);
        EXPECT_EQ(CountCode(messages, kPortWriteDone), 0); // the file thread raises no code 2
        EXPECT_EQ(messages.back().code, kPortFileDone);
        const auto progress = ProgressByPass(messages);
        ASSERT_EQ(progress.size(), std::size_t(row.passes) + 1);
        EXPECT_TRUE(progress.back().empty()); // no progress after the last 8
        // One code per chunk that moved the percent: at most 101, and never a repeat.
        const std::size_t chunks = (row.size + 1023) / 1024;
        for (int pass = 0; pass < row.passes; ++pass) {
            const auto &values = progress[pass];
            EXPECT_LE(values.size(), std::min<std::size_t>(chunks, 101)) << pass;
            EXPECT_GE(values.size(), std::min<std::size_t>(chunks, 50)) << pass;
            EXPECT_TRUE(std::is_sorted(values.begin(), values.end())) << pass;
            EXPECT_EQ(std::adjacent_find(values.begin(), values.end()), values.end()) << pass;
            EXPECT_EQ(values.empty() ? 0u : values.back(), 100u) << pass;
        }
    }
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
    EXPECT_TRUE(SameBytes(Repeated(content, received / content.size() + 1).substr(0, received),
                          Far().Bytes()));
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
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(Send(pass, 2, 1500), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFilePassDone));
    ASSERT_TRUE(Far().WaitForCount(pass.size()));
    std::this_thread::sleep_for(200ms); // well inside the interval, which began before code 8
    EXPECT_EQ(Far().Count(), pass.size());
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileDone));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 1500ms); // a lower bound only
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

TEST_P(RealPort, PauseHoldsTheBytesAndContinueSendsTheRest)
{
    // 100 KB: one percent is one chunk of 1024 bytes, so the percent counts chunks.
    const std::string content = PatternBytes(102'400, 13);
    Far().Hold(true); // the transfer is still under way when paused
    ASSERT_EQ(Send(content, 1, 0), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileProgress));
    ASSERT_EQ(m_port->PauseSendFile(), 1u);
    EXPECT_EQ(m_port->IsSendFilePaused(), 1u);
    const int32_t percentAtPause = m_port->GetPercentDone();
    Far().Hold(false);
    ASSERT_TRUE(Far().WaitForCount(std::size_t(percentAtPause) * 1024));
    const std::size_t held = Far().WaitQuiet(700ms);
    const int32_t percentHeld = m_port->GetPercentDone();
    EXPECT_LE(percentHeld, percentAtPause + 1) << "more than the chunk in flight went out";
    EXPECT_EQ(held, std::size_t(percentHeld) * 1024);
    EXPECT_LT(held, content.size());
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(Far().Count(), held);
    EXPECT_EQ(m_port->IsSendingFile(), 1u);
    m_owner.Sync();
    EXPECT_EQ(m_owner.CountOf(kPortFilePassDone), 0);

    ASSERT_EQ(m_port->PauseSendFile(), 1u); // continue
    EXPECT_EQ(m_port->IsSendFilePaused(), 0u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileDone));
    ASSERT_TRUE(Far().WaitForCount(content.size()));
    EXPECT_EQ(Far().WaitQuiet(), content.size());
    EXPECT_TRUE(SameBytes(content, Far().Bytes()));
    const auto progress = ProgressByPass(m_owner.Messages());
    EXPECT_EQ(progress[0].size(), 100u); // one per chunk, none repeated around the pause
    EXPECT_EQ(progress[0].back(), 100u);

    // Closing ends a paused transfer, with no code 5.
    m_owner.Clear();
    Far().Hold(true);
    ASSERT_EQ(Send(content, 1, 0), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileProgress));
    ASSERT_EQ(m_port->PauseSendFile(), 1u);
    Far().Hold(false);
    EXPECT_TRUE(ReturnsWithin([&] { m_port->ClosePort(); }));
    EXPECT_EQ(m_port->IsSendingFile(), 0u);
    ExpectNoFileEnd();
}

INSTANTIATE_TEST_SUITE_P(Kinds, RealPort,
                         testing::Values(RealKind::SerialPty, RealKind::ParallelFifo),
                         RealKindTestName);

TEST(FileProgressArithmetic, DivisorAndPercentRows)
{
    struct Row
    {
        uint32_t size, done, divisor, percent;
    };
    // clang-format off
    const Row rows[] = {
        {2'000'000, 1'000'000, 20'000, 50}, {2'000'000, 2'000'000, 20'000, 100}, // size / 100
        {1, 1, 1, 100}, {3000, 1024, 3000, 34},
        {0x100000, 0x80000, 0x100000, 50}, {0x100001, 0x100001, 10485, 100}, // 1 MiB is small
        {4'000'000'000u, 4'000'000'000u, 40'000'000, 100}, // done * 100 would overflow
        {4'000'000'000u, 1'000'000'000u, 40'000'000, 25}};
    // clang-format on
    for (const Row &row : rows) {
        const CFileProgress progress(row.size);
        EXPECT_EQ(progress.divisor, row.divisor) << row.size;
        EXPECT_EQ(progress.Percent(row.done), row.percent) << row.size << " " << row.done;
    }
}
