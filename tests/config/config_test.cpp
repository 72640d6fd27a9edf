// The configuration files on real files in a private temporary folder: the
// INI engine; the settings section (the exact first save, later saves, what
// a damaged or hand-edited section applies); and which rvcfg.ini a program
// uses (the current folder's when it holds one, else the user's
// configuration folder, made on first save).
#include "config/atomicfile.h"
#include "config/configpath.h"
#include "config/inifile-private.h"
#include "config/inifile.h"
#include "config/rvconfig.h"
#include "support/bytes_diff.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

#include <stdlib.h>

namespace fs = std::filesystem;

namespace {

using namespace test_files;

using IniFileTest = TempDirTest;

auto Write(std::string section, std::string key, std::string value)
{
    return [=](const fs::path &f) { return WriteIniValue(f, section, key, value); };
}
auto Delete(std::string section, std::string key)
{
    return [=](const fs::path &f) { return DeleteIniKey(f, section, key); };
}
auto Comment(std::string section, std::string comment)
{
    return [=](const fs::path &f) { return SetIniSectionComment(f, section, comment); };
}
auto Sort(bool ascending)
{
    return [=](const fs::path &f) { return SortIniFile(f, ascending); };
}

// Every change of an existing file, each reporting its status.
std::vector<std::function<bool(IniStatus *)>> Changes(const fs::path &f, IniMissingFile missing)
{
    return {
        [=](IniStatus *s) { return WriteIniValue(f, "A", "k", "2", s); },
        [=](IniStatus *s) {
            return WriteIniSection(f, "A", "", {{{"k", "2"}}}, missing, s);
        },
        [=](IniStatus *s) { return SetIniSectionComment(f, "A", "# c", s); },
        [=](IniStatus *s) { return DeleteIniKey(f, "A", "k", s); },
        [=](IniStatus *s) { return SortIniFile(f, false, s); },
    };
}

TEST_F(IniFileTest, RewritesAreByteExact)
{
    const std::string mixed = "k=0\r\n[B]\r\nb=1\r\n# about a\r\na=2\r\n[C]\r\nz=3\r\n"
                              "# about A\r\n[A]\r\nb=4\r\nb=5\r\n";
    // Name, file before, operation, its result, and the file after (for a
    // failed operation the file must stay as it was).
    using Operation = std::function<bool(const fs::path &)>;
    const std::tuple<const char *, std::string, Operation, bool, std::string> rows[] = {
        {"new key goes first in its section", " [A]\r\n x=1\r\n [B]\r\n", Write("A", "y", "2"),
         true, " [A]\r\n y=2\r\n x=1\r\n [B]\r\n"},
        {"new section goes last", " [A]\r\n x=1\r\n", Write("B", "k", "v"), true,
         " [A]\r\n x=1\r\n [B]\r\n k=v\r\n"},
        {"first match is replaced", " [A]\r\n k=1\r\n k=2\r\n", Write("A", "k", "9"), true,
         " [A]\r\n k=9\r\n k=2\r\n"},
        {"keys differ in case", " [A]\r\n Key=1\r\n", Write("A", "key", "2"), true,
         " [A]\r\n key=2\r\n Key=1\r\n"},
        {"LF lines and blanks become CR LF lines", "\r\n\t [A] \r\n\r\n  k=1\t\n\n",
         Write("A", "k", "2"), true, " [A]\r\n k=2\r\n"},
        {"comments stay above their line", "# top\r\n[A]\r\n; about k\r\nk=1\r\n# end\r\n",
         Write("A", "k", "2"), true, "# top\r\n [A]\r\n; about k\r\n k=2\r\n"},
        {"stray line kept above the next line", "[A]\r\nnot a setting\r\nk=1\r\n",
         Write("A", "j", "2"), true, " [A]\r\n j=2\r\nnot a setting\r\n k=1\r\n"},
        {"GBK character ending in a bracket byte", "[\x81]]\r\nk=1\r\n", Write("\x81]", "k", "2"),
         true, " [\x81]]\r\n k=2\r\n"},
        {"keys above the first header", "k=1\r\n[A]\r\n", Write("", "n", "3"), true,
         " k=1\r\n n=3\r\n [A]\r\n"},
        {"empty file", "", Write("A", "k", "1"), true, " [A]\r\n k=1\r\n"},
        {"delete first match with its comment", " [A]\r\n# c\r\n k=1\r\n k=2\r\n", Delete("A", "k"),
         true, " [A]\r\n k=2\r\n"},
        {"delete without match", "[A]\n\nk=1\n# t\n", Delete("A", "j"), false, ""},
        {"comment is replaced", "# old\r\n; older\r\n[A]\r\n", Comment("A", "# 1\n# 2"), true,
         "# 1\r\n# 2\r\n [A]\r\n"},
        {"empty comment removes it", "# old\r\n[A]\r\n", Comment("A", ""), true, " [A]\r\n"},
        {"comment that is a key line", "[A]\r\n", Comment("A", "# c\nk=1"), false, ""},
        {"sort descending", mixed, Sort(false), true,
         " k=0\r\n [C]\r\n z=3\r\n [B]\r\n b=1\r\n# about a\r\n a=2\r\n"
         "# about A\r\n [A]\r\n b=4\r\n b=5\r\n"},
        {"sort ascending", mixed, Sort(true), true,
         " k=0\r\n# about A\r\n [A]\r\n b=4\r\n b=5\r\n [B]\r\n# about a\r\n a=2\r\n b=1\r\n"
         " [C]\r\n z=3\r\n"},
        {"sort compares unsigned bytes", "[\xB0\xA1]\r\n[a]\r\n[A]\r\n", Sort(true), true,
         " [A]\r\n [a]\r\n [\xB0\xA1]\r\n"},
    };
    for (const auto &[name, before, operation, result, after] : rows) {
        SCOPED_TRACE(name);
        WriteBytes(file, before);
        EXPECT_EQ(operation(file), result);
        EXPECT_TRUE(SameBytes(result ? after : before, ReadBytes(file)));
    }
}

TEST_F(IniFileTest, ReadMatchesBytesExactly)
{
    WriteBytes(file, "k=top\n[RVConfigs]\nHexSend = 1\nKey=upper\nkey=lower\nkey=second\n"
                     "v= lead and trail \t\n[B]\nbroken line\nj=2\n");
    const std::array<const char *, 3> rows[] = {
        {"RVConfigs", "HexSend", ""}, // spaces around "=" belong to key and value
        {"RVConfigs", "HexSend ", " 1"},
        {"RVConfigs", "key", "lower"},
        {"rvconfigs", "key", ""},
        {"RVConfigs", "v", " lead and trail"},
        {"B", "j", "2"}, // a stray line does not end the section
        {"", "j", ""},
        {"", "k", "top"},
    };
    for (const auto &[section, key, value] : rows)
        EXPECT_EQ(ReadIniValue(file, section, key), value) << section << "/" << key;
    IniStatus status = IniStatus::Ok;
    ReadIniValue(file, "B", "none", &status);
    EXPECT_EQ(status, IniStatus::NotFound);
}

TEST_F(IniFileTest, MissingFileChangesNothing)
{
    IniStatus status = IniStatus::Ok;
    EXPECT_EQ(ReadIniValue(file, "A", "k", &status), "");
    EXPECT_EQ(status, IniStatus::FileUnreadable);
    for (const auto &change : Changes(file, IniMissingFile::Fail)) {
        status = IniStatus::Ok;
        EXPECT_FALSE(change(&status));
        EXPECT_EQ(status, IniStatus::FileUnreadable);
    }
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(CreateIniFile(dir / "no-such-folder" / "rvcfg.ini"));
}

TEST_F(IniFileTest, NamesThatWouldNotReadBackAreRefused)
{
    const std::string before = "[A]\nk=1\n";
    const std::array<std::string, 3> rows[] = {
        {"A", "a=b", "v"}, {"A", "#k", "v"},  {"A", " k", "v"},
        {"A", "[k", "v"},  {"a]b", "k", "v"}, {"A", "k", "1\r\n[B]"},
    };
    for (const auto &[section, key, value] : rows) {
        SCOPED_TRACE(section + "/" + key);
        WriteBytes(file, before);
        IniStatus status = IniStatus::Ok;
        EXPECT_FALSE(WriteIniValue(file, section, key, value, &status));
        EXPECT_EQ(status, IniStatus::InvalidArgument);
        EXPECT_TRUE(SameBytes(before, ReadBytes(file)));
    }
}

TEST_F(IniFileTest, UnusualNamesAndLongLinesReadBack)
{
    const std::string stray(5 * 1024 * 1024, 's');
    WriteBytes(file, "[A]\n" + stray + "\nk=1\n");
    ASSERT_TRUE(WriteIniValue(file, "A", "k", "2"));
    EXPECT_TRUE(SameBytes(" [A]\r\n" + stray + "\r\n k=2\r\n", ReadBytes(file)));

    const std::array<std::string, 3> rows[] = {{"a=b", "k", "v"},
                                               {"A", "", "empty key"},
                                               {"a\x81", "k", "lone lead byte"},
                                               {"A", "k", "=[x];#"},
                                               {"A", "nul", std::string("a\0b", 3)},
                                               {"A", "long", std::string(3 << 20, 'x')}};
    for (const auto &[section, key, value] : rows)
        ASSERT_TRUE(WriteIniValue(file, section, key, value));
    for (const auto &[section, key, value] : rows)
        EXPECT_EQ(ReadIniValue(file, section, key), value) << section << "/" << key;
}

// One replacement must leave the bytes of one write per value and the
// comment's rewrite, whose reads drop spaces and tabs at a line's end.
TEST_F(IniFileTest, SectionWriteMatchesOneWriteEach)
{
    const std::vector<IniKeyValue> rows[] = {
        {{"a", "1"}, {"b", "two words"}},
        {{"a", "trailing  "}, {"b", "tab\t"}, {"c", " lead and trail \t "}},
        {{"a", "   "}, {"a", "again\t"}, {"new", "x "}},
    };
    const std::string before = "# old\r\n[S]\r\na=0\r\n[T]\r\nt=1\r\n";
    for (const auto &values : rows) {
        SCOPED_TRACE(values.front().value);
        WriteBytes(file, before);
        for (const IniKeyValue &kv : values)
            ASSERT_TRUE(WriteIniValue(file, "S", kv.key, kv.value));
        ASSERT_TRUE(SetIniSectionComment(file, "S", "# new"));
        const std::string oneByOne = ReadBytes(file);
        WriteBytes(file, before);
        ASSERT_TRUE(WriteIniSection(file, "S", "# new", values, IniMissingFile::Fail));
        EXPECT_TRUE(SameBytes(oneByOne, ReadBytes(file)));
    }
}

// Writers in several processes each read the file, change one key and
// replace it; every key each of them wrote must survive the others.
TEST_F(IniFileTest, WritersInSeveralProcessesLoseNoValue)
{
    constexpr int kWriters = 4, kKeys = 40;
    WriteBytes(file, "[A]\r\n");
    std::vector<pid_t> writers;
    for (int w = 0; w < kWriters; ++w) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            bool ok = true;
            for (int k = 0; k < kKeys; ++k) {
                const std::string key = std::to_string(w) + "." + std::to_string(k);
                ok = (w % 2 == 0
                          ? WriteIniValue(file, "A", key, "v")
                          : WriteIniSection(file, "A", "", {{{key, "v"}}}, IniMissingFile::Fail)) &&
                     ok;
            }
            ::_exit(ok ? 0 : 1);
        }
        writers.push_back(pid);
    }
    for (const pid_t pid : writers) {
        int status = -1;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_EQ(status, 0);
    }
    int lost = 0;
    for (int w = 0; w < kWriters; ++w) {
        for (int k = 0; k < kKeys; ++k)
            lost += ReadIniValue(file, "A", std::to_string(w) + "." + std::to_string(k)) != "v";
    }
    EXPECT_EQ(lost, 0);
}

// A writer that cannot take the file's lock (its name is taken by a folder
// here) must neither replace the file nor keep quiet about it.
TEST_F(IniFileTest, WriterWithoutTheLockSavesNothing)
{
    auto changes = Changes(file, IniMissingFile::Create);
    changes.push_back([&](IniStatus *s) { return CreateIniFile(file, s); });
    const std::string before = "[B]\r\n[A]\r\nk=1\r\n";
    WriteBytes(file, before);
    fs::create_directory(dir / ".rvcfg.ini.lock");
    for (std::size_t i = 0; i < changes.size(); ++i) {
        SCOPED_TRACE(i);
        IniStatus status = IniStatus::Ok;
        EXPECT_FALSE(changes[i](&status));
        EXPECT_EQ(status, IniStatus::WriteFailed);
        EXPECT_TRUE(SameBytes(before, ReadBytes(file)));
    }
}

// A holder that keeps the lock past a writer's patience sends the writer
// away without it, instead of holding it up for good.
TEST_F(IniFileTest, LockWaitEndsWhileAnotherHolds)
{
    std::optional<CReplaceLock> holder(std::in_place, file);
    ASSERT_TRUE(holder->Held());
    EXPECT_FALSE(CReplaceLock(file, std::chrono::milliseconds(20)).Held());
    holder.reset();
    EXPECT_TRUE(CReplaceLock(file, std::chrono::milliseconds(0)).Held());
}

// A file size limit makes the write of the new contents fail, for root too.
TEST_F(IniFileTest, FailedSaveKeepsTheOldFile)
{
    const std::string before = "[A]\r\nk=1\r\n";
    WriteBytes(file, before);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const rlimit small{64, saved.rlim_max};
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    IniStatus status = IniStatus::Ok;
    const bool written = WriteIniValue(file, "A", "k", std::string(100, 'v'), &status);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(status, IniStatus::WriteFailed);
    EXPECT_TRUE(SameBytes(before, ReadBytes(file)));
    // The file and its writers' lock file; no temporary file left.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
    EXPECT_TRUE(fs::exists(dir / ("." + file.filename().string() + ".lock")));
}

// A save killed after creating its temporary file leaves it behind; the next
// save removes it once its writer has ended, and leaves alone a file that a
// running process may still be writing and names that are not such files.
TEST_F(IniFileTest, SaveRemovesTemporariesOfEndedWriters)
{
    const pid_t ended = ::fork();
    if (ended == 0)
        ::_exit(0);
    ASSERT_GT(ended, 0);
    ASSERT_EQ(::waitpid(ended, nullptr, 0), ended);
    const pid_t running = ::fork();
    if (running == 0) {
        ::pause();
        ::_exit(0);
    }
    ASSERT_GT(running, 0);
    const std::string dead = std::to_string(ended), live = std::to_string(running);
    const std::pair<std::string, bool> temporaries[] = {
        {".rvcfg.ini.tmp" + dead + ".0", false},   {".rvcfg.ini.tmp" + dead + ".17", false},
        {".rvcfg.ini.tmp" + live + ".3", true},    {".rvcfg.ini.tmp" + dead + ".x", true},
        {".rvcfg.ini.tmp" + dead, true},           {".other.ini.tmp" + dead + ".0", true},
        {".rvcfg.ini.tmp" + dead + "0.1.2", true},
    };
    WriteBytes(file, "[A]\r\nk=1\r\n");
    for (const auto &[name, stays] : temporaries)
        WriteBytes(dir / name, "[A]\r\n");
    EXPECT_TRUE(WriteIniValue(file, "A", "k", "2"));
    ::kill(running, SIGKILL);
    ::waitpid(running, nullptr, 0);
    for (const auto &[name, stays] : temporaries)
        EXPECT_EQ(fs::exists(dir / name), stays) << name;
    EXPECT_EQ(ReadIniValue(file, "A", "k"), "2");
}

// A block holding only a saved serial part: COM1, 9600, 8N1, hardware flow.
tagPORT_CFG_DATA SerialDefaultsBlock()
{
    tagPORT_CFG_DATA block{};
    block.serial = {0, 9600, 0, 4, 0, 0, 1, kCfgMarkerValid};
    return block;
}

// Its text, written out independently of the code under test.
std::string SerialDefaultsText()
{
    std::string text = "00,00,00,00,80,25,00,00,00,04,00,00,01,00,00,00,AA,55,00,00";
    for (int i = 20; i < 396; ++i)
        text += ",00";
    return text;
}

std::string Section(std::string_view selPort, std::string_view data, std::string_view checksum)
{
    return " [RVConfigs]\r\n SelPort=" + std::string(selPort) +
           "\r\n HexDisplay=1\r\n HexSend=1\r\n CountRecv=1\r\n CountSend=1\r\n PortCfgDataCS=" +
           std::string(checksum) + "\r\n PortCfgData=" + std::string(data) + "\r\n";
}

// The save as the sequence of single writes it replaces: the block, the
// comment, then the other keys, each write a rewrite of the whole file.
void SaveBySingleWrites(const fs::path &ini, const RvConfigValues &values,
                        const tagPORT_CFG_DATA &block)
{
    auto write = [&](std::string_view key, const std::string &value) {
        ASSERT_TRUE(WriteIniValue(ini, kRvConfigSection, key, value));
    };
    ASSERT_TRUE(fs::exists(ini) || CreateIniFile(ini));
    write("PortCfgData", PortCfgDataToText(block));
    ASSERT_TRUE(SetIniSectionComment(ini, kRvConfigSection, kRvConfigComment));
    write("PortCfgDataCS", std::to_string(PortCfgDataChecksum(block)));
    write("SelPort", std::to_string(values.selPort));
    write("HexDisplay", std::to_string(int(values.hexDisplay)));
    write("HexSend", std::to_string(int(values.hexSend)));
    write("CountRecv", std::to_string(int(values.countRecv)));
    write("CountSend", std::to_string(int(values.countSend)));
}

// The values a settings section holds, compared as one.
auto Fields(const RvConfigValues &v)
{
    return std::tuple(v.selPort, v.hexDisplay, v.hexSend, v.countRecv, v.countSend);
}

// Counts the renames within a folder, as the kernel reports them. The kernel
// merges identical events that follow each other, so the renames are counted
// by the names they move away from, which every save makes unique.
class RenameWatch
{
public:
    explicit RenameWatch(const fs::path &folder) : m_fd(::inotify_init1(IN_NONBLOCK))
    {
        EXPECT_GE(::inotify_add_watch(m_fd, folder.c_str(), IN_MOVED_FROM), 0);
    }
    ~RenameWatch() { ::close(m_fd); }

    int Renames()
    {
        alignas(inotify_event) char buffer[4096];
        int count = 0;
        for (ssize_t n; (n = ::read(m_fd, buffer, sizeof buffer)) > 0;) {
            for (char *p = buffer; p < buffer + n; ++count)
                p += sizeof(inotify_event) + reinterpret_cast<const inotify_event *>(p)->len;
        }
        return count;
    }

private:
    int m_fd;
};

class RvConfigTest : public TempDirTest
{
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        std::memset(static_cast<void *>(&m_block), 0x5A, sizeof m_block);
        m_untouched = m_block;
    }
    bool BlockUntouched() const { return std::memcmp(&m_block, &m_untouched, sizeof m_block) == 0; }

    tagPORT_CFG_DATA m_block{};
    tagPORT_CFG_DATA m_untouched{};
};

TEST_F(RvConfigTest, FirstSaveWritesTheNineLinesWithKeysInReverse)
{
    ASSERT_EQ(SaveRvConfig(file, {}, SerialDefaultsBlock()), RvSaveResult::Saved);
    ASSERT_EQ(SerialDefaultsText().size(), kPortCfgTextLength);
    const std::string expected = std::string(kRvConfigComment) +
                                 "\r\n [RVConfigs]\r\n CountSend=0\r\n CountRecv=0\r\n"
                                 " HexSend=0\r\n HexDisplay=0\r\n SelPort=0\r\n"
                                 " PortCfgDataCS=425\r\n PortCfgData=" +
                                 SerialDefaultsText() + "\r\n";
    EXPECT_TRUE(SameBytes(expected, ReadBytes(file)));
}

// Whatever the file held, one save is one replacement of the file and
// leaves the bytes the single writes left.
TEST_F(RvConfigTest, OneRenameGivesTheBytesOfTheSingleWrites)
{
    const char *const starts[] = {
        nullptr,
        "",
        " [RVConfigs]\r\n PortCfgData=00\r\n HexSend=1\r\n CountSend=1\r\n SelPort=3\r\n",
        "CountRecv=1\nPortCfgDataCS=7\n[RVConfigs]\nHexDisplay=1\nSelPort=2\n",
        "# top\r\n[RVConfigs]\r\n; about the port\r\nSelPort=1\r\nstray line\r\n"
        "HexSend=0\r\n# left at the end\r\n",
        "# old comment\r\n; two lines\r\n [RVConfigs]\r\n SelPort=1\r\n",
        "SelPort=2\r\nHexSend=1\r\n",
        "[UserCmds]\r\nCmdName0=Reset\r\nCmdValue0=1B,40\r\n",
        "[UserCmds]\r\nCmdName0=Reset\r\n[RVConfigs]\r\nHexSend=1\r\n[Devices]\r\n"
        "COM1=/dev/pts/3\r\n[RVConfigs]\r\nSelPort=4\r\n",
    };
    const RvConfigValues values{3, true, false, true, false};
    const fs::path reference = dir / "reference.ini";
    const fs::path folder = dir / "saved", saved = folder / "rvcfg.ini";
    fs::create_directory(folder);
    for (const char *start : starts) {
        SCOPED_TRACE(start ? start : "(no file)");
        fs::remove(reference);
        fs::remove(saved);
        if (start) {
            WriteBytes(reference, start);
            WriteBytes(saved, start);
        }
        SaveBySingleWrites(reference, values, SerialDefaultsBlock());
        RenameWatch watch(folder);
        ASSERT_EQ(SaveRvConfig(saved, values, SerialDefaultsBlock()), RvSaveResult::Saved);
        EXPECT_EQ(watch.Renames(), 1);
        EXPECT_TRUE(SameBytes(ReadBytes(reference), ReadBytes(saved)));
        // The file and its writers' lock file; no temporary file left.
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
        EXPECT_TRUE(fs::exists(folder / ".rvcfg.ini.lock"));
    }
}

TEST_F(RvConfigTest, LaterSaveKeepsOrderCommentsAndOtherSections)
{
    WriteBytes(file, "; my notes\r\n [UserCmds]\r\n Cmd0=Reset,1B 40\r\n"
                     "# settings\r\n [RVConfigs]\r\n SelPort=0\r\n; hex mode\r\n"
                     " HexSend=0\r\n CountSend=0\r\n HexDisplay=0\r\n CountRecv=0\r\n"
                     " PortCfgData=00\r\n PortCfgDataCS=0\r\n");
    ASSERT_EQ(SaveRvConfig(file, {4, true, true, false, true}, SerialDefaultsBlock()),
              RvSaveResult::Saved);
    const std::string expected = "; my notes\r\n [UserCmds]\r\n Cmd0=Reset,1B 40\r\n" +
                                 std::string(kRvConfigComment) +
                                 "\r\n [RVConfigs]\r\n SelPort=4\r\n; hex mode\r\n"
                                 " HexSend=1\r\n CountSend=1\r\n HexDisplay=1\r\n CountRecv=0\r\n"
                                 " PortCfgData=" +
                                 SerialDefaultsText() + "\r\n PortCfgDataCS=425\r\n";
    EXPECT_TRUE(SameBytes(expected, ReadBytes(file)));

    RvConfigValues loaded;
    ASSERT_EQ(LoadRvConfig(file, loaded, m_block), RvLoadResult::Loaded);
    const tagPORT_CFG_DATA saved = SerialDefaultsBlock();
    EXPECT_EQ(std::memcmp(&m_block, &saved, sizeof saved), 0);
    EXPECT_EQ(Fields(loaded), std::tuple(4, true, true, false, true));
}

TEST_F(RvConfigTest, DamagedOrMissingBlockAppliesNothing)
{
    const std::string text = SerialDefaultsText();
    const std::pair<std::string, RvLoadResult> cases[] = {
        {Section("3", "01" + text.substr(2), "425"), RvLoadResult::Invalid},
        {Section("3", text.substr(0, text.size() - 3), "425"), RvLoadResult::Invalid},
        {Section("3", text, "426"), RvLoadResult::Invalid},
        {Section("3", "ZZ," + text.substr(3), "425"), RvLoadResult::Invalid},
        {Section("3", ", ,;", "0"), RvLoadResult::NoData},
        {" [RVConfigs]\r\n SelPort=3\r\n HexSend=1\r\n PortCfgDataCS=425\r\n",
         RvLoadResult::NoData},
        {"", RvLoadResult::NoData},
    };
    for (const auto &[content, result] : cases) {
        SCOPED_TRACE(content.substr(0, 140));
        if (content.empty())
            fs::remove(file);
        else
            WriteBytes(file, content);
        RvConfigValues values;
        EXPECT_EQ(LoadRvConfig(file, values, m_block), result);
        EXPECT_TRUE(BlockUntouched());
        EXPECT_EQ(Fields(values), Fields({}));
    }
}

TEST_F(RvConfigTest, HandEditedValues)
{
    const std::pair<const char *, int> cases[] = {
        {"4", 4}, {"7", 2}, {"-1", 2}, {"abc", 0}, {"3x", 3}};
    for (const auto &[text, selPort] : cases) {
        SCOPED_TRACE(text);
        WriteBytes(file, Section(text, SerialDefaultsText(), "425"));
        RvConfigValues values;
        values.selPort = 2; // what the caller had before loading
        ASSERT_EQ(LoadRvConfig(file, values, m_block), RvLoadResult::Loaded);
        EXPECT_EQ(values.selPort, selPort);
    }
    WriteBytes(file, " [RVConfigs]\r\n HexSend =1\r\n HexDisplay=2\r\n CountRecv=1abc\r\n"
                     " countsend=1\r\n PortCfgDataCS=425\r\n PortCfgData=" +
                         SerialDefaultsText() + "\r\n");
    RvConfigValues values;
    ASSERT_EQ(LoadRvConfig(file, values, m_block), RvLoadResult::Loaded);
    EXPECT_EQ(Fields(values), std::tuple(0, false, false, true, false));
}

TEST_F(RvConfigTest, SaveThatCannotCreateTheFileSavesNothing)
{
    EXPECT_EQ(SaveRvConfig(dir / "missing" / "rvcfg.ini", {}, SerialDefaultsBlock()),
              RvSaveResult::CannotCreate);
    EXPECT_FALSE(fs::exists(dir / "missing"));
    fs::create_directory(file);
    EXPECT_EQ(SaveRvConfig(file, {}, SerialDefaultsBlock()), RvSaveResult::CannotCreate);
    EXPECT_TRUE(fs::is_directory(file));
}

class ConfigPathTest : public TempDirTest
{
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        fs::create_directories(dir / "work");
    }
};

TEST_F(ConfigPathTest, ChoosesTheFileByTheRule)
{
    // Whether the current folder holds an rvcfg.ini; XDG_CONFIG_HOME below
    // dir, "" unset, or a relative value; HOME below dir, or "" unset; the
    // expected path below dir.
    const std::tuple<const char *, bool, const char *, const char *, const char *> rows[] = {
        {"local file wins over XDG", true, "/cfg", "/home", "work/rvcfg.ini"},
        {"XDG folder", false, "/cfg", "/home", "cfg/Tarvik/rvcfg.ini"},
        {"XDG unset: ~/.config", false, "", "/home", "home/.config/Tarvik/rvcfg.ini"},
        {"relative XDG is ignored", false, "rel", "/home", "home/.config/Tarvik/rvcfg.ini"},
        {"no XDG, no HOME: current folder", false, "", "", "work/rvcfg.ini"},
    };
    for (const auto &[name, localFile, xdgRow, homeRow, where] : rows) {
        SCOPED_TRACE(name);
        const fs::path work = dir / "work";
        fs::remove(work / "rvcfg.ini");
        if (localFile)
            std::ofstream(work / "rvcfg.ini") << "[RVConfigs]\n";
        const std::string xdg = *xdgRow == '/' ? dir.string() + xdgRow : xdgRow;
        const std::string home = *homeRow ? dir.string() + homeRow : "";
        EXPECT_EQ(ChooseConfigFile(work, *xdgRow ? xdg.c_str() : nullptr,
                                   *homeRow ? home.c_str() : nullptr),
                  dir / where);
    }
}

TEST_F(ConfigPathTest, ProcessRuleReadsTheEnvironmentAndCurrentFolder)
{
    const fs::path previous = fs::current_path();
    fs::current_path(dir / "work");
    ::setenv("XDG_CONFIG_HOME", (dir / "cfg").c_str(), 1);
    EXPECT_EQ(ConfigFilePath(), dir / "cfg" / "Tarvik" / "rvcfg.ini");
    std::ofstream(dir / "work" / "rvcfg.ini") << "\n";
    EXPECT_EQ(fs::weakly_canonical(ConfigFilePath()),
              fs::weakly_canonical(dir / "work" / "rvcfg.ini"));
    ::unsetenv("XDG_CONFIG_HOME");
    fs::current_path(previous);
}

TEST_F(ConfigPathTest, FolderIsMadeOnlyWhenAsked)
{
    const fs::path chosen = ChooseConfigFile(dir / "work", (dir / "cfg").c_str(), nullptr);
    EXPECT_FALSE(fs::exists(chosen.parent_path()));
    ASSERT_TRUE(MakeConfigFolder(chosen));
    EXPECT_TRUE(fs::is_directory(dir / "cfg" / "Tarvik"));
    EXPECT_TRUE(MakeConfigFolder(chosen)); // already there
    std::ofstream(dir / "blocked") << "a file, not a folder";
    EXPECT_FALSE(MakeConfigFolder(dir / "blocked" / "Tarvik" / "rvcfg.ini"));
}

} // namespace
