// Opening a user's file on real files, FIFOs, folders and devices: only a
// regular file opens, and nothing waits for a FIFO's writer.
#include "convert/userfile.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

using UserFileTest = test_files::TempDirTest;

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
    std::ofstream(dir / "plain.bin", std::ios::binary) << content;
    std::ofstream(dir / "empty.bin");
    fs::create_symlink(dir / "plain.bin", dir / "link.bin");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    fs::create_directory(dir / "folder");
    fs::create_symlink(dir / "fifo", dir / "fifolink");
    const std::pair<fs::path, const char *> rows[] = {
        {dir / "plain.bin", "data"}, {dir / "link.bin", "data"},  {dir / "empty.bin", ""},
        {dir / "fifo", nullptr},     {dir / "fifolink", nullptr}, {dir / "folder", nullptr},
        {dir / "missing", nullptr},  {"/dev/null", nullptr},      {"/dev/zero", nullptr},
    };
    for (const auto &[path, start] : rows) {
        SCOPED_TRACE(path);
        UniqueFile opened = OpenRegularFile(path.c_str());
        ASSERT_EQ(opened != nullptr, start != nullptr);
        if (opened) {
            EXPECT_EQ(ReadAll(opened.get()), *start ? content : "");
        }
    }
}

} // namespace
