// Opening and closing the serial and parallel kinds on real stand-in devices:
// a closed port works again, and many open-write-close cycles leave no
// thread or descriptor behind (memory is left to the leak checker of the
// address-sanitizer build).
#include "portowner.h"
#include "realport.h"
#include "support/bytes_diff.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <string_view>

using namespace std::chrono_literals;

namespace {

std::size_t CountEntries(const char *dir)
{
    std::size_t count = 0;
    for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator(dir))
        ++count;
    return count;
}

std::size_t OpenDescriptors()
{
    return CountEntries("/proc/self/fd");
}

std::size_t Threads()
{
    return CountEntries("/proc/self/task");
}

uint32_t WriteBytes(CPortEx &port, const std::string &bytes)
{
    return port.Write(reinterpret_cast<const uint8_t *>(bytes.data()), uint32_t(bytes.size()),
                      nullptr, 1);
}

class RealLifecycle : public testing::TestWithParam<RealKind>
{
protected:
    void SetUp() override
    {
        m_device = std::make_unique<CRealDevice>(GetParam());
        ASSERT_TRUE(m_device->IsValid());
    }
    void TearDown() override { m_device.reset(); }

    CFarEnd &Far() { return m_device->FarEnd(); }

    CTestPortOwner m_owner;
    std::unique_ptr<CRealDevice> m_device;
};

} // namespace

TEST_P(RealLifecycle, ClosedPortOpensAndWorksAgain)
{
    const auto port = m_device->NewPort();
    const std::string file = PatternBytes(2500, 3);
    const std::string path = m_device->WriteFile("file.bin", file);
    std::string expected;
    for (int round = 1; round <= 3; ++round) {
        SCOPED_TRACE(round);
        m_owner.Clear();
        ASSERT_EQ(port->OpenPort(m_owner.Object(), 1, uint32_t(round), 0), 1u)
            << port->GetLastTrace();
        ASSERT_TRUE(m_owner.WaitForCode(kPortOpened));
        const std::string line = "round " + std::to_string(round) + "\n";
        ASSERT_EQ(WriteBytes(*port, line), 1u);
        expected += line;
        ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone));
        ASSERT_TRUE(Far().WaitForCount(expected.size()));
        ASSERT_EQ(port->SendFile(path.c_str(), 1, 0), 1u);
        expected += file;
        ASSERT_TRUE(m_owner.WaitForCode(kPortFileDone));
        ASSERT_TRUE(Far().WaitForCount(expected.size()));
        for (const PortMsg &msg : m_owner.Messages()) {
            if (msg.code == kPortOpened || msg.code == kPortWriteDone) {
                EXPECT_EQ(msg.lParam, uint32_t(round)); // this opening's user value
            }
        }
        port->ClosePort();
        EXPECT_EQ(WriteBytes(*port, "closed"), 0u);
        port->ClosePort(); // closing a closed port does no harm
    }
    EXPECT_EQ(Far().WaitQuiet(200ms), expected.size());
    EXPECT_TRUE(SameBytes(std::string_view(expected), std::string_view(Far().Bytes())));
}

TEST_P(RealLifecycle, ClosingDuringABlockedTransferStopsItAndTheReopenedPortWorks)
{
    const auto port = m_device->NewPort();
    const std::string file = PatternBytes(200'000, 7);
    const std::string path = m_device->WriteFile("big.bin", file);
    ASSERT_EQ(port->OpenPort(m_owner.Object(), 1, 0, 0), 1u) << port->GetLastTrace();
    ASSERT_TRUE(m_owner.WaitForCode(kPortOpened));
    // A far end that takes nothing: the file thread ends up waiting for the
    // device, and the close has to wake it.
    Far().Hold(true);
    ASSERT_EQ(port->SendFile(path.c_str(), -1, 0), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileProgress));
    auto closed = std::async(std::launch::async, [&] { port->ClosePort(); });
    ASSERT_EQ(closed.wait_for(CTestPortOwner::kWait), std::future_status::ready);
    EXPECT_EQ(port->IsSendingFile(), 0u);
    Far().Hold(false);
    const std::size_t sent = Far().WaitQuiet(300ms);
    EXPECT_LT(sent, file.size());
    EXPECT_TRUE(SameBytes(std::string_view(file).substr(0, sent), std::string_view(Far().Bytes())));
    std::this_thread::sleep_for(400ms); // past the 200 ms before a code 5
    m_owner.RunOnOwnerThread([] {});
    EXPECT_EQ(m_owner.CountOf(kPortFileDone), 0);

    Far().Clear();
    m_owner.Clear();
    ASSERT_EQ(port->OpenPort(m_owner.Object(), 1, 0, 0), 1u) << port->GetLastTrace();
    ASSERT_TRUE(m_owner.WaitForCode(kPortOpened));
    ASSERT_EQ(WriteBytes(*port, "again"), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone));
    ASSERT_TRUE(Far().WaitForCount(5));
    EXPECT_EQ(Far().Bytes(), "again");
    port->ClosePort();
}

TEST_P(RealLifecycle, DeletingAnOpenPortEndsItsTransferRunningOrPaused)
{
    const std::string file = PatternBytes(200'000, 9);
    const std::string path = m_device->WriteFile("big.bin", file);
    for (bool paused : {false, true}) {
        SCOPED_TRACE(paused);
        m_owner.Clear();
        Far().Hold(true);
        const std::size_t threadsBefore = Threads();
        auto port = m_device->NewPort();
        ASSERT_EQ(port->OpenPort(m_owner.Object(), 1, 0, 0), 1u) << port->GetLastTrace();
        ASSERT_EQ(port->SendFile(path.c_str(), -1, 0), 1u);
        ASSERT_TRUE(m_owner.WaitForCode(kPortFileProgress));
        if (paused) {
            ASSERT_EQ(port->PauseSendFile(), 1u);
        }
        // The view deletes its port without closing it first when it goes away.
        auto deleted = std::async(std::launch::async, [&] { port.reset(); });
        ASSERT_EQ(deleted.wait_for(CTestPortOwner::kWait), std::future_status::ready);
        deleted.get();
        Far().Hold(false);
        std::this_thread::sleep_for(400ms); // past the 200 ms before a code 5
        m_owner.RunOnOwnerThread([] {});
        EXPECT_EQ(m_owner.CountOf(kPortFileDone), 0);
        const auto deadline = std::chrono::steady_clock::now() + CTestPortOwner::kWait;
        while (Threads() != threadsBefore && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        EXPECT_EQ(Threads(), threadsBefore);
        Far().WaitQuiet(200ms);
        Far().Clear();
    }
}

TEST_P(RealLifecycle, CloseAndDeleteEndATransferOfAPortThatIsNotOpen)
{
    // SendFile does not ask whether the port is open; whatever it started
    // must still end with the port, before the kind's members go away.
    const std::string path = m_device->WriteFile("file.bin", PatternBytes(3000));
    auto port = m_device->NewPort();
    ASSERT_EQ(port->SendFile(path.c_str(), 0, 0), 1u); // runs for 200 ms
    port->ClosePort();
    EXPECT_EQ(port->IsSendingFile(), 0u);
    ASSERT_EQ(port->SendFile(path.c_str(), 0, 0), 1u);
    port.reset(); // the destructor closes: no thread may outlive the kind
}

TEST_P(RealLifecycle, ManyOpenWriteCloseCyclesLeaveNoThreadOrDescriptor)
{
    constexpr int kCycles = 200;
    std::string expected;
    auto cycle = [&](int i, bool waitForWriteDone) {
        const auto port = m_device->NewPort();
        ASSERT_EQ(port->OpenPort(m_owner.Object(), 1, uint32_t(i), 0), 1u)
            << i << ": " << port->GetLastTrace();
        const std::string bytes = "cycle " + std::to_string(i) + ";";
        ASSERT_EQ(WriteBytes(*port, bytes), 1u) << i;
        expected += bytes;
        ASSERT_TRUE(Far().WaitForCount(expected.size())) << i;
        if (waitForWriteDone) {
            ASSERT_TRUE(m_owner.WaitUntil([&](const std::vector<PortMsg> &messages) {
                return std::any_of(messages.begin(), messages.end(), [&](const PortMsg &msg) {
                    return msg.code == kPortWriteDone && msg.lParam == uint32_t(i);
                });
            })) << i;
        }
        // Every other cycle closes while its code 2 may still be on the way,
        // and the last cycles leave the close to the destructor.
        if (i < kCycles - 10)
            port->ClosePort();
    };
    cycle(-1, true); // first use sets up what lives for the whole process
    if (HasFatalFailure())
        return;
    const std::size_t fdsBefore = OpenDescriptors();
    const std::size_t threadsBefore = Threads();
    for (int i = 0; i < kCycles; ++i) {
        cycle(i, i % 2 == 0);
        if (HasFatalFailure())
            return;
    }
    // Joined threads may take a moment to leave the task list.
    const auto deadline = std::chrono::steady_clock::now() + CTestPortOwner::kWait;
    while (Threads() != threadsBefore && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(Threads(), threadsBefore);
    EXPECT_EQ(OpenDescriptors(), fdsBefore);
    EXPECT_EQ(Far().WaitQuiet(200ms), expected.size());
    EXPECT_TRUE(SameBytes(std::string_view(expected), std::string_view(Far().Bytes())));
}

INSTANTIATE_TEST_SUITE_P(Kinds, RealLifecycle,
                         testing::Values(RealKind::SerialPty, RealKind::ParallelFifo,
                                         RealKind::ParallelPty),
                         RealKindTestName);
