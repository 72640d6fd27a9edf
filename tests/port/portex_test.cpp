// The base class: its default operations, the percent arithmetic and the
// common file-sending thread, driven through a kind that writes to memory.
#include "portex.h"
#include "portowner.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fstream>
#include <future>

using namespace std::chrono_literals;

namespace {

// A kind whose chunks go to memory; a test may hold a chunk write at a gate
// or make a chunk come out short.
class CMemoryPort : public CPortEx
{
public:
    explicit CMemoryPort(const FileTransferRules &rules = {}) { SetFileTransferRules(rules); }
    ~CMemoryPort() override { ClosePort(); }

    uint32_t OpenPort(QObject *owner, uint8_t async, uint32_t value, uint32_t message) override
    {
        AttachOwner(owner, message, value, async != 0);
        return 1;
    }
    void ClosePort() override
    {
        StopSendFile();
        DetachOwner();
    }
    uint32_t SendFile(const char *path, int32_t passes, uint32_t interval) override
    {
        return StartFileTransfer(path, passes, interval);
    }
    uint32_t PauseSendFile() override { return PauseFileTransfer(); }
    uint32_t StopSendFile() override { return StopFileTransfer(); }

    // Everything posted before this marker has reached the owner once it arrives.
    void PostMarker() { PostPortMsg(kMarker, 0); }
    static constexpr uint16_t kMarker = 99;

    std::string Written() const
    {
        std::lock_guard lock(m_mutex);
        return m_written;
    }
    // Chunk number `chunk` (from 1) waits until ReleaseChunk or a stop.
    void HoldChunk(int chunk)
    {
        std::lock_guard lock(m_mutex);
        m_holdAt = chunk;
    }
    bool WaitUntilHeld()
    {
        std::unique_lock lock(m_mutex);
        return m_cv.wait_for(lock, CTestPortOwner::kWait, [this] { return m_held; });
    }
    void ReleaseChunk()
    {
        {
            std::lock_guard lock(m_mutex);
            m_holdAt = 0;
        }
        m_cv.notify_all();
    }
    bool WaitWritten(std::size_t size)
    {
        const auto deadline = std::chrono::steady_clock::now() + CTestPortOwner::kWait;
        while (Written().size() < size && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(1ms);
        return Written().size() == size;
    }
    void ShortAt(int chunk) { m_shortAt = chunk; }
    void DelayEachChunk(std::chrono::milliseconds delay) { m_delay = delay; }
    bool StopWaitTimedOut() const { return m_stopTimedOut; }
    int Chunks() const { return m_chunks; }

protected:
    ChunkResult WriteFileChunk(const uint8_t *chunk, uint32_t length, uint32_t *written) override
    {
        const int number = ++m_chunks;
        std::unique_lock lock(m_mutex);
        if (m_holdAt == number) {
            m_held = true;
            m_cv.notify_all();
            m_cv.wait(lock, [&] { return m_holdAt != number || m_woken; });
            m_held = false;
            if (m_woken)
                return ChunkResult::Abandoned;
        }
        m_written.append(reinterpret_cast<const char *>(chunk), length);
        lock.unlock();
        std::this_thread::sleep_for(m_delay.load());
        *written = number == m_shortAt ? length - 1 : length;
        return ChunkResult::Written;
    }
    void WakeFileChunkWait() override
    {
        if (!m_wakeOnStop)
            return;
        {
            std::lock_guard lock(m_mutex);
            m_woken = true;
        }
        m_cv.notify_all();
    }
    void OnStopWaitTimedOut() override
    {
        m_stopTimedOut = true;
        ReleaseChunk();
    }

public:
    std::atomic<bool> m_wakeOnStop{true};

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::string m_written;
    int m_holdAt = 0;
    bool m_held = false;
    bool m_woken = false;
    std::atomic<int> m_chunks{0};
    std::atomic<int> m_shortAt{0};
    std::atomic<std::chrono::milliseconds> m_delay{0ms};
    std::atomic<bool> m_stopTimedOut{false};
};

class FileSending : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_port.OpenPort(m_owner.Object(), 1, 0, 0);
    }

    std::string MakeFile(std::size_t size, const char *name = "data.bin")
    {
        const std::string path = m_dir.filePath(name).toStdString();
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i)
            bytes[i] = char(i * 7 + i / 256);
        std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(size));
        m_content += bytes;
        return path;
    }

    // All notifications of the transfer, once the file thread is gone.
    std::vector<PortMsg> SettledMessages()
    {
        m_port.PostMarker();
        EXPECT_TRUE(m_owner.WaitForCode(CMemoryPort::kMarker));
        auto messages = m_owner.Messages();
        messages.pop_back();
        return messages;
    }

    static std::vector<uint16_t> CodesOf(const std::vector<PortMsg> &messages)
    {
        std::vector<uint16_t> codes;
        for (const PortMsg &msg : messages)
            codes.push_back(msg.code);
        return codes;
    }

    QTemporaryDir m_dir;
    std::string m_content;
    CTestPortOwner m_owner;
    CMemoryPort m_port;
};

} // namespace

TEST(PortBase, DefaultOperationsRefuse)
{
    CPortEx port;
    uint8_t buffer[4] = {};
    uint32_t count = 5;
    EXPECT_EQ(port.OpenPort(nullptr, 1, 0, 0), 0u);
    EXPECT_EQ(port.SetPortSettings(buffer), 0u);
    EXPECT_EQ(port.GetLastTrace(), "Base class function SetPortSettings excuted!\n");
    EXPECT_EQ(port.Read(buffer, 4, &count), 0u);
    EXPECT_EQ(port.Write(buffer, 4, &count, 1), 0u);
    EXPECT_EQ(port.GetLastTrace(), "Warning: Base function \"Write\" executed!\n");
    EXPECT_EQ(port.SendFile("abc", 1, 0), 0u);
    EXPECT_EQ(port.PauseSendFile(), 0u);
    EXPECT_EQ(port.StopSendFile(), 0u);
    EXPECT_EQ(port.GetPortType(), -1);
    port.ClosePort();
    EXPECT_STREQ(CPortEx::GetVersionText(), "V1.000.1087");
}

TEST(FileProgressArithmetic, DivisorAndPercentRows)
{
    struct Row
    {
        uint32_t size, done, divisor, percent;
    } rows[] = {
        {2'000'000, 1'000'000, 20'000, 50}, // large: size / 100
        {2'000'000, 2'000'000, 20'000, 100},
        {1, 1, 1, 100},
        {3000, 1024, 3000, 34},
        {0x100000, 0x80000, 0x100000, 50}, // exactly 1 MiB is still small
        {0x100001, 0x100001, 10485, 100},
        {4'000'000'000u, 4'000'000'000u, 40'000'000, 100}, // done * 100 would overflow
        {4'000'000'000u, 1'000'000'000u, 40'000'000, 25},
    };
    for (const Row &row : rows) {
        const CFileProgress progress(row.size);
        EXPECT_EQ(progress.divisor, row.divisor) << row.size;
        EXPECT_EQ(progress.Percent(row.done), row.percent) << row.size << " " << row.done;
    }
}

TEST_F(FileSending, OnePassSendsTheFileWithProgressPassAndDone)
{
    const std::string path = MakeFile(3000);
    ASSERT_EQ(m_port.SendFile(path.c_str(), 1, 0), 1u);
    EXPECT_EQ(m_port.GetFilePath(), path);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileDone));
    const auto messages = SettledMessages();
    EXPECT_EQ(CodesOf(messages), (std::vector<uint16_t>{7, 7, 7, 8, 5}));
    EXPECT_EQ(messages[0].lParam, 34u);
    EXPECT_EQ(messages[1].lParam, 68u);
    EXPECT_EQ(messages[2].lParam, 100u);
    EXPECT_EQ(m_port.Written(), m_content);
    EXPECT_EQ(m_port.IsSendingFile(), 0u);
    EXPECT_EQ(m_port.GetPercentDone(), 100);
}

TEST_F(FileSending, ZeroPassesWriteNothingAndFinish)
{
    const std::string path = MakeFile(10);
    ASSERT_EQ(m_port.SendFile(path.c_str(), 0, 0), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileDone));
    EXPECT_EQ(CodesOf(SettledMessages()), std::vector<uint16_t>{5});
    EXPECT_TRUE(m_port.Written().empty());
}

TEST_F(FileSending, ThreePassesRestartThePercent)
{
    const std::string path = MakeFile(2048);
    ASSERT_EQ(m_port.SendFile(path.c_str(), 3, 1), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileDone));
    const auto messages = SettledMessages();
    EXPECT_EQ(CodesOf(messages), (std::vector<uint16_t>{7, 7, 8, 7, 7, 8, 7, 7, 8, 5}));
    EXPECT_EQ(messages[3].lParam, 50u); // pass 2 starts low again after 100
    EXPECT_EQ(m_port.Written(), m_content + m_content + m_content);
}

TEST_F(FileSending, OneByteFile)
{
    const std::string path = MakeFile(1);
    ASSERT_EQ(m_port.SendFile(path.c_str(), 1, 0), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileDone));
    const auto messages = SettledMessages();
    EXPECT_EQ(CodesOf(messages), (std::vector<uint16_t>{7, 8, 5}));
    EXPECT_EQ(messages[0].lParam, 100u);
}

TEST_F(FileSending, EndlessPassesRunUntilStoppedWithoutCodeFive)
{
    const std::string path = MakeFile(1500);
    ASSERT_EQ(m_port.SendFile(path.c_str(), -1, 3'600'000), 1u); // no interval when endless
    ASSERT_TRUE(m_owner.WaitForCode(kPortFilePassDone, 3));
    EXPECT_EQ(m_port.StopSendFile(), 1u);
    EXPECT_EQ(m_port.IsSendingFile(), 0u);
    const auto codes = CodesOf(SettledMessages());
    EXPECT_EQ(std::count(codes.begin(), codes.end(), kPortFileDone), 0);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), kPortFileFailed), 0);
    EXPECT_EQ(m_port.StopSendFile(), 0u);
}

TEST_F(FileSending, RefusedFilesStartNothing)
{
    const std::string empty = MakeFile(0, "empty.bin");
    const std::string missing = m_dir.filePath("missing.bin").toStdString();
    for (const std::string &path : {std::string("a"), empty, missing}) {
        EXPECT_EQ(m_port.SendFile(path.c_str(), 1, 0), 0u) << path;
        EXPECT_EQ(m_port.GetLastTrace(), "Can't Open File!");
        EXPECT_EQ(m_port.GetFilePath(), "");
        EXPECT_EQ(m_port.IsSendingFile(), 0u);
    }
    EXPECT_TRUE(SettledMessages().empty());
}

TEST_F(FileSending, PauseAndStopWithoutTransferReturnZero)
{
    EXPECT_EQ(m_port.PauseSendFile(), 0u);
    EXPECT_EQ(m_port.IsSendFilePaused(), 0u);
    EXPECT_EQ(m_port.StopSendFile(), 0u);
}

TEST_F(FileSending, PausedTransferWritesNothingUntilContinued)
{
    const std::string path = MakeFile(4096);
    m_port.HoldChunk(2);
    ASSERT_EQ(m_port.SendFile(path.c_str(), 1, 0), 1u);
    ASSERT_TRUE(m_port.WaitUntilHeld());
    EXPECT_EQ(m_port.PauseSendFile(), 1u);
    EXPECT_EQ(m_port.IsSendFilePaused(), 1u);
    m_port.ReleaseChunk(); // chunk 2 finishes, chunk 3 must wait
    ASSERT_TRUE(m_port.WaitWritten(2048));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(m_port.Written().size(), 2048u);
    EXPECT_EQ(m_owner.CountOf(kPortFileDone), 0);
    EXPECT_EQ(m_port.PauseSendFile(), 1u); // continue
    EXPECT_EQ(m_port.IsSendFilePaused(), 0u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileDone));
    EXPECT_EQ(m_port.Written(), m_content);
}

TEST_F(FileSending, StopEndsAPausedTransfer)
{
    const std::string path = MakeFile(4096);
    m_port.HoldChunk(2);
    ASSERT_EQ(m_port.SendFile(path.c_str(), 1, 0), 1u);
    ASSERT_TRUE(m_port.WaitUntilHeld());
    m_port.PauseSendFile();
    m_port.ReleaseChunk();
    ASSERT_TRUE(m_port.WaitWritten(2048)); // chunk 2 is out, the thread is at the pause
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileProgress, 2));
    auto stopped = std::async(std::launch::async, [&] { return m_port.StopSendFile(); });
    ASSERT_EQ(stopped.wait_for(CTestPortOwner::kWait), std::future_status::ready);
    EXPECT_EQ(stopped.get(), 1u);
    EXPECT_EQ(m_port.IsSendFilePaused(), 0u);
    EXPECT_EQ(m_port.Written().size(), 2048u);
    EXPECT_EQ(CodesOf(SettledMessages()), (std::vector<uint16_t>{7, 7}));
}

TEST_F(FileSending, StopDuringTheIntervalReturnsAtOnce)
{
    const std::string path = MakeFile(100);
    ASSERT_EQ(m_port.SendFile(path.c_str(), 2, 3'600'000), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFilePassDone));
    auto stopped = std::async(std::launch::async, [&] { return m_port.StopSendFile(); });
    ASSERT_EQ(stopped.wait_for(CTestPortOwner::kWait), std::future_status::ready);
    EXPECT_EQ(stopped.get(), 1u);
    EXPECT_EQ(m_port.Written(), m_content); // the second pass never started
    EXPECT_EQ(CodesOf(SettledMessages()), (std::vector<uint16_t>{7, 8}));
}

TEST_F(FileSending, ShortChunkFailsTheTransfer)
{
    const std::string path = MakeFile(3000);
    m_port.ShortAt(2);
    ASSERT_EQ(m_port.SendFile(path.c_str(), 2, 0), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileFailed));
    EXPECT_EQ(CodesOf(SettledMessages()), (std::vector<uint16_t>{7, 6}));
    EXPECT_EQ(m_port.IsSendingFile(), 0u);
    EXPECT_EQ(m_port.StopSendFile(), 0u);
}

TEST_F(FileSending, SpeedIsBytesPerMillisecond)
{
    const std::string path = MakeFile(20 * 1024);
    m_port.DelayEachChunk(2ms); // at least 2 ms per 1024 bytes
    ASSERT_EQ(m_port.SendFile(path.c_str(), 1, 0), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileDone));
    EXPECT_GT(m_port.GetSendSpeed(), 0u);
    EXPECT_LE(m_port.GetSendSpeed(), 512u);
}

TEST_F(FileSending, SecondTransferWhileRunningIsRefused)
{
    const std::string path = MakeFile(2048);
    m_port.HoldChunk(1);
    ASSERT_EQ(m_port.SendFile(path.c_str(), 1, 0), 1u);
    ASSERT_TRUE(m_port.WaitUntilHeld());
    EXPECT_EQ(m_port.SendFile(path.c_str(), 1, 0), 0u);
    m_port.ReleaseChunk();
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileDone));
    EXPECT_EQ(m_port.Written(), m_content);
}

TEST(FileSendingRules, BoundedStopWaitCallsTheKindThenWaitsOn)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("f").toStdString();
    std::ofstream(path) << std::string(3000, 'x');
    CTestPortOwner owner;
    CMemoryPort port({true, true, 50ms}); // a chunk write that hangs until the kind resets it
    port.m_wakeOnStop = false;
    port.OpenPort(owner.Object(), 1, 0, 0);
    port.HoldChunk(1);
    ASSERT_EQ(port.SendFile(path.c_str(), 1, 0), 1u);
    ASSERT_TRUE(port.WaitUntilHeld());
    EXPECT_EQ(port.StopSendFile(), 1u);
    EXPECT_TRUE(port.StopWaitTimedOut());
}
