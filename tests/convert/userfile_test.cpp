// Opening and loading a user's file on real files, FIFOs, folders and
// devices: only a regular file opens, nothing waits for a FIFO's writer, and
// the size limit of a box is decided on the bytes read, from regular files and
// from a FIFO that delivers in pieces.
#include "convert/userfile.h"
#include "convert/userfileqt.h"
#include "support/test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <thread>

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

QByteArray Pattern(qint64 size)
{
    QByteArray bytes(size, '\0');
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = char(i * 7 % 251);
    return bytes;
}

void ExpectOutcome(const LoadedBytes &loaded, const QByteArray &content)
{
    const bool fits = content.size() <= kMaxLoadSize;
    EXPECT_EQ(loaded.outcome, fits ? LoadedBytes::Loaded : LoadedBytes::TooLarge);
    if (fits) {
        EXPECT_EQ(loaded.bytes, content);
    }
}

// A pipe hands over at most its buffer per read, and reports no size.
TEST(LoadFile, FilesAndFifosLoadUpToTheLimit)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const qint64 size :
         {0ll, kMaxLoadSize - 1, kMaxLoadSize, kMaxLoadSize + 1, 3 * kMaxLoadSize}) {
        SCOPED_TRACE(size);
        const QByteArray content = Pattern(size);
        QFile file(dir.filePath(QString::number(size)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(content) == size);
        file.close();
        ASSERT_TRUE(OpenRegularFile(file, file.fileName()));
        ExpectOutcome(ReadLoadable(file), content);
        if (size > kMaxLoadSize + 1)
            continue; // a writer left with bytes nobody reads would block
        std::thread writer([&] {
            QFile out(fifo);
            if (!out.open(QIODevice::WriteOnly))
                return;
            for (qint64 at = 0; at < size && out.write(content.mid(at, 1000)) > 0; at += 1000)
                out.flush();
        });
        QFile in(fifo);
        const bool opened = in.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        if (opened)
            ExpectOutcome(ReadLoadable(in), content);
        in.close();
        writer.join();
        ASSERT_TRUE(opened);
    }
}

TEST(LoadFile, ReadErrorIsReported)
{
    QTemporaryDir dir;
    QFile writeOnly(dir.filePath(QStringLiteral("w")));
    ASSERT_TRUE(writeOnly.open(QIODevice::WriteOnly));
    EXPECT_EQ(ReadLoadable(writeOnly).outcome, LoadedBytes::ReadFailed);
}

} // namespace
