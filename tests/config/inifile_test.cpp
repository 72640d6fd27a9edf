// The INI engine on real files in a private temporary folder.
#include "config/atomicfile.h"
#include "config/inifile-private.h"
#include "config/inifile.h"
#include "support/bytes_diff.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <functional>
#include <optional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

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

} // namespace
