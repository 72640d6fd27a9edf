// File transfers of the serial and parallel kinds on real stand-in devices,
// checked at the far end: what arrives, when nothing may arrive, and which
// notifications the owner gets.
#include "portowner.h"
#include "realport.h"
#include "support/bytes_diff.h"

#include <gtest/gtest.h>

#include <future>
#include <string_view>

using namespace std::chrono_literals;

namespace {

constexpr auto kLongWait = std::chrono::seconds(120); // big files under the sanitizers

std::string Repeated(const std::string &bytes, std::size_t times)
{
    std::string all;
    all.reserve(bytes.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        all += bytes;
    return all;
}

::testing::AssertionResult SameFarBytes(const std::string &expected, const std::string &actual)
{
    return SameBytes(std::string_view(expected), std::string_view(actual));
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

class RealFileSend : public testing::TestWithParam<RealKind>
{
protected:
    void SetUp() override
    {
        m_device = std::make_unique<CRealDevice>(GetParam());
        ASSERT_TRUE(m_device->IsValid());
        m_port = m_device->NewPort();
        ASSERT_EQ(m_port->OpenPort(m_owner.Object(), 1, 7, 0), 1u) << m_port->GetLastTrace();
        ASSERT_TRUE(m_owner.WaitForCode(kPortOpened));
        m_owner.Clear();
    }
    void TearDown() override
    {
        if (m_port)
            m_port->ClosePort();
        m_port.reset();
        m_device.reset();
    }

    CFarEnd &Far() { return m_device->FarEnd(); }

    // Stops on another thread, so that a stop that hangs fails the test
    // instead of blocking it.
    uint32_t StopWithin(std::chrono::milliseconds timeout)
    {
        auto stopped = std::async(std::launch::async, [&] { return m_port->StopSendFile(); });
        if (stopped.wait_for(timeout) != std::future_status::ready) {
            ADD_FAILURE() << "StopSendFile did not return";
            stopped.wait();
        }
        return stopped.get();
    }

    // Lets posted notifications that are already queued reach the owner.
    void Flush()
    {
        m_owner.RunOnOwnerThread([] {});
    }

    CTestPortOwner m_owner;
    std::unique_ptr<CRealDevice> m_device;
    std::unique_ptr<CPortEx> m_port;
};

} // namespace

TEST_P(RealFileSend, OneAndThreePassesDeliverTheFileThatManyTimes)
{
    for (int passes : {1, 3}) {
        SCOPED_TRACE(passes);
        m_owner.Clear();
        Far().Clear();
        const std::string content = PatternBytes(5000, unsigned(passes));
        const std::string path = m_device->WriteFile("file.bin", content);
        ASSERT_EQ(m_port->SendFile(path.c_str(), passes, 20), 1u);
        ASSERT_TRUE(m_owner.WaitForCode(kPortFileDone));
        EXPECT_EQ(m_port->IsSendingFile(), 0u);
        const std::string expected = Repeated(content, std::size_t(passes));
        ASSERT_TRUE(Far().WaitForCount(expected.size()));
        EXPECT_EQ(Far().WaitQuiet(200ms), expected.size()); // and nothing after
        EXPECT_TRUE(SameFarBytes(expected, Far().Bytes()));
        const auto messages = m_owner.Messages();
        EXPECT_EQ(m_owner.CountOf(kPortFilePassDone), passes);
        EXPECT_EQ(m_owner.CountOf(kPortFileDone), 1);
        EXPECT_EQ(m_owner.CountOf(kPortFileFailed), 0);
        EXPECT_EQ(m_owner.CountOf(kPortWriteDone), 0); // the file thread raises no code 2
        EXPECT_EQ(messages.back().code, kPortFileDone);
        const auto progress = ProgressByPass(messages);
        ASSERT_EQ(progress.size(), std::size_t(passes) + 1); // the part after the last 8 is empty
        for (int pass = 0; pass < passes; ++pass) {
            ASSERT_FALSE(progress[pass].empty()) << pass;
            EXPECT_EQ(progress[pass].back(), 100u) << pass;
        }
    }
}

TEST_P(RealFileSend, ZeroPassesWriteNothingAndFinishAfterTheDelay)
{
    const std::string path = m_device->WriteFile("file.bin", PatternBytes(3000));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(m_port->SendFile(path.c_str(), 0, 0), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileDone));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 200ms);
    EXPECT_EQ(m_owner.Codes(), (std::vector<uint16_t>{kPortFileDone}));
    EXPECT_EQ(m_owner.Messages()[0].lParam, 0u);
    EXPECT_EQ(Far().WaitQuiet(200ms), 0u);
    EXPECT_EQ(m_port->IsSendingFile(), 0u);
}

TEST_P(RealFileSend, EndlessPassesIgnoreTheIntervalAndRunUntilStopped)
{
    const std::string content = PatternBytes(4000, 5);
    const std::string path = m_device->WriteFile("file.bin", content);
    // An hour's interval: an endless transfer that waited it would stall here.
    ASSERT_EQ(m_port->SendFile(path.c_str(), -1, 3'600'000), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFilePassDone, 3));
    EXPECT_EQ(StopWithin(CTestPortOwner::kWait), 1u);
    EXPECT_EQ(m_port->IsSendingFile(), 0u);
    const std::size_t received = Far().WaitQuiet(300ms);
    EXPECT_GE(received, 3 * content.size());
    // Whole passes, then the part of the pass that the stop cut short.
    const std::string expected =
        Repeated(content, received / content.size() + 1).substr(0, received);
    EXPECT_TRUE(SameFarBytes(expected, Far().Bytes()));
    std::this_thread::sleep_for(400ms); // past the 200 ms before a code 5
    Flush();
    EXPECT_LE(std::size_t(m_owner.CountOf(kPortFilePassDone)), received / content.size());
    EXPECT_EQ(m_owner.CountOf(kPortFileDone), 0);
    EXPECT_EQ(m_owner.CountOf(kPortFileFailed), 0);
    EXPECT_EQ(Far().Count(), received);
}

TEST_P(RealFileSend, IntervalKeepsTheLineQuietBetweenPasses)
{
    const std::string content = PatternBytes(3000, 9);
    const std::string path = m_device->WriteFile("file.bin", content);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(m_port->SendFile(path.c_str(), 2, 1500), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFilePassDone));
    ASSERT_TRUE(Far().WaitForCount(content.size()));
    std::this_thread::sleep_for(200ms); // well inside the interval, which began before code 8
    EXPECT_EQ(Far().Count(), content.size());
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileDone));
    // Lower bounds only: a loaded machine makes this longer, never shorter.
    EXPECT_GE(std::chrono::steady_clock::now() - start, 1500ms + 200ms);
    ASSERT_TRUE(Far().WaitForCount(2 * content.size()));
    EXPECT_TRUE(SameFarBytes(content + content, Far().Bytes()));
}

TEST_P(RealFileSend, StopCutsTheIntervalShort)
{
    const std::string content = PatternBytes(3000, 11);
    const std::string path = m_device->WriteFile("file.bin", content);
    ASSERT_EQ(m_port->SendFile(path.c_str(), 2, 3'600'000), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFilePassDone));
    ASSERT_TRUE(Far().WaitForCount(content.size()));
    EXPECT_EQ(StopWithin(CTestPortOwner::kWait), 1u); // not after an hour
    EXPECT_EQ(m_port->IsSendingFile(), 0u);
    std::this_thread::sleep_for(400ms);
    Flush();
    EXPECT_EQ(m_owner.CountOf(kPortFilePassDone), 1);
    EXPECT_EQ(m_owner.CountOf(kPortFileDone), 0);
    EXPECT_EQ(Far().Count(), content.size());
    EXPECT_TRUE(SameFarBytes(content, Far().Bytes()));
    EXPECT_EQ(m_port->StopSendFile(), 0u);
}

TEST_P(RealFileSend, AStopLeavesNoWakeUpForTheIntervalOfTheNextTransfer)
{
    // A stop during a pass signals the interval wait that nobody waits on;
    // the next transfer must not take that as the end of its interval.
    const std::string big = PatternBytes(200'000, 21);
    const std::string bigPath = m_device->WriteFile("big.bin", big);
    Far().Hold(true);
    ASSERT_EQ(m_port->SendFile(bigPath.c_str(), 1, 0), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileProgress));
    EXPECT_EQ(StopWithin(CTestPortOwner::kWait), 1u);
    Far().Hold(false);
    Far().WaitQuiet(300ms);
    Far().Clear();
    m_owner.Clear();

    const std::string content = PatternBytes(3000, 23);
    const std::string path = m_device->WriteFile("file.bin", content);
    ASSERT_EQ(m_port->SendFile(path.c_str(), 2, 3'600'000), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFilePassDone));
    ASSERT_TRUE(Far().WaitForCount(content.size()));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(Far().Count(), content.size());
    EXPECT_EQ(m_owner.CountOf(kPortFilePassDone), 1);
    EXPECT_EQ(StopWithin(CTestPortOwner::kWait), 1u);
}

TEST_P(RealFileSend, PauseHoldsTheBytesAndContinueSendsTheRest)
{
    // 100 KB: one percent is exactly one chunk of 1024 bytes, so the percent
    // done counts the chunks written.
    const std::string content = PatternBytes(102'400, 13);
    const std::string path = m_device->WriteFile("file.bin", content);
    // A far end that takes nothing fills the device buffers, so the transfer
    // is still under way when it is paused.
    Far().Hold(true);
    ASSERT_EQ(m_port->SendFile(path.c_str(), 1, 0), 1u);
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
    EXPECT_EQ(m_port->GetPercentDone(), percentHeld);
    EXPECT_EQ(m_port->IsSendingFile(), 1u);
    Flush();
    EXPECT_EQ(m_owner.CountOf(kPortFilePassDone), 0);

    ASSERT_EQ(m_port->PauseSendFile(), 1u); // continue
    EXPECT_EQ(m_port->IsSendFilePaused(), 0u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileDone));
    ASSERT_TRUE(Far().WaitForCount(content.size()));
    EXPECT_EQ(Far().WaitQuiet(200ms), content.size());
    EXPECT_TRUE(SameFarBytes(content, Far().Bytes()));
    const auto progress = ProgressByPass(m_owner.Messages());
    ASSERT_FALSE(progress[0].empty());
    EXPECT_EQ(progress[0].size(), 100u); // one per chunk, none repeated around the pause
    EXPECT_EQ(progress[0].back(), 100u);
}

TEST_P(RealFileSend, StopEndsAPausedTransfer)
{
    const std::string content = PatternBytes(102'400, 17);
    const std::string path = m_device->WriteFile("file.bin", content);
    Far().Hold(true);
    ASSERT_EQ(m_port->SendFile(path.c_str(), 1, 0), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileProgress));
    ASSERT_EQ(m_port->PauseSendFile(), 1u);
    Far().Hold(false);
    EXPECT_EQ(StopWithin(CTestPortOwner::kWait), 1u);
    EXPECT_EQ(m_port->IsSendingFile(), 0u);
    EXPECT_EQ(m_port->IsSendFilePaused(), 0u);
    const std::size_t received = Far().WaitQuiet(300ms);
    EXPECT_LT(received, content.size());
    EXPECT_TRUE(SameFarBytes(content.substr(0, received), Far().Bytes()));
    std::this_thread::sleep_for(400ms);
    Flush();
    EXPECT_EQ(m_owner.CountOf(kPortFileDone), 0);
    EXPECT_EQ(m_owner.CountOf(kPortFilePassDone), 0);
}

TEST_P(RealFileSend, OneByteFileGivesOneProgressOfHundred)
{
    const std::string path = m_device->WriteFile("one.bin", "\x5A");
    ASSERT_EQ(m_port->SendFile(path.c_str(), 1, 0), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileDone));
    EXPECT_EQ(m_owner.Codes(),
              (std::vector<uint16_t>{kPortFileProgress, kPortFilePassDone, kPortFileDone}));
    EXPECT_EQ(m_owner.Messages()[0].lParam, 100u);
    ASSERT_TRUE(Far().WaitForCount(1));
    EXPECT_EQ(Far().WaitQuiet(200ms), 1u);
    EXPECT_EQ(Far().Bytes(), "\x5A");
}

TEST_P(RealFileSend, LargeFileArrivesWholeWithAtMost101ProgressCodesPerPass)
{
    const std::string content = PatternBytes(3 * 1024 * 1024, 19);
    const std::string path = m_device->WriteFile("large.bin", content);
    ASSERT_EQ(m_port->SendFile(path.c_str(), 2, 0), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileDone, 1, kLongWait));
    ASSERT_TRUE(Far().WaitForCount(2 * content.size(), kLongWait));
    EXPECT_EQ(Far().WaitQuiet(200ms), 2 * content.size());
    EXPECT_TRUE(SameFarBytes(content + content, Far().Bytes()));
    const auto progress = ProgressByPass(m_owner.Messages());
    ASSERT_EQ(progress.size(), 3u);
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        EXPECT_LE(progress[pass].size(), 101u);
        EXPECT_GE(progress[pass].size(), 50u); // the percent does move in steps
        EXPECT_TRUE(std::is_sorted(progress[pass].begin(), progress[pass].end()));
        EXPECT_EQ(std::adjacent_find(progress[pass].begin(), progress[pass].end()),
                  progress[pass].end()); // never the same value twice in a row
        ASSERT_FALSE(progress[pass].empty());
        EXPECT_EQ(progress[pass].back(), 100u);
    }
    EXPECT_EQ(m_owner.CountOf(kPortFileFailed), 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, RealFileSend,
                         testing::Values(RealKind::SerialPty, RealKind::ParallelFifo,
                                         RealKind::ParallelPty),
                         RealKindTestName);
