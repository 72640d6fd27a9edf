// Opening a user's file on real files, FIFOs, folders and devices: only a
// regular file opens, and nothing waits for a FIFO's writer.
#include "convert/userfile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class UserFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "tarvik-userfile-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    fs::path m_dir;
};

std::string ReadAll(std::FILE *file)
{
    std::string bytes;
    char chunk[256];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        bytes.append(chunk, n);
    return bytes;
}

// A FIFO without a writer would block an ordinary open; ctest's time-out
// catches that.
TEST_F(UserFileTest, OnlyRegularFilesOpen)
{
    const std::string content("data\0\xFF\r\n", 8);
    std::ofstream(m_dir / "plain.bin", std::ios::binary) << content;
    std::ofstream(m_dir / "empty.bin");
    fs::create_symlink(m_dir / "plain.bin", m_dir / "link.bin");
    ASSERT_EQ(::mkfifo((m_dir / "fifo").c_str(), 0600), 0);
    fs::create_directory(m_dir / "folder");
    fs::create_symlink(m_dir / "fifo", m_dir / "fifolink");
    const std::pair<fs::path, const char *> rows[] = {
        {m_dir / "plain.bin", "data"}, {m_dir / "link.bin", "data"},  {m_dir / "empty.bin", ""},
        {m_dir / "fifo", nullptr},     {m_dir / "fifolink", nullptr}, {m_dir / "folder", nullptr},
        {m_dir / "missing", nullptr},  {"/dev/null", nullptr},        {"/dev/zero", nullptr},
    };
    for (const auto &[path, start] : rows) {
        SCOPED_TRACE(path);
        UniqueFile file = OpenRegularFile(path.c_str());
        ASSERT_EQ(file != nullptr, start != nullptr);
        if (file) {
            EXPECT_EQ(ReadAll(file.get()), *start ? content : "");
        }
    }
}

} // namespace
