// Tests of the INI engine on real files in a private temporary folder.
#include "inifile-private.h"
#include "inifile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string Escaped(std::string_view bytes)
{
    std::ostringstream out;
    for (unsigned char ch : bytes) {
        if (ch >= 0x20 && ch < 0x7F && ch != '\\') {
            out << ch;
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", ch);
            out << hex;
        }
    }
    return out.str();
}

// On a mismatch, names the first differing offset and shows both sides
// from a little before it.
::testing::AssertionResult SameBytes(std::string_view actual, std::string_view expected)
{
    if (actual == expected)
        return ::testing::AssertionSuccess();
    std::size_t offset = 0;
    while (offset < actual.size() && offset < expected.size() && actual[offset] == expected[offset])
        ++offset;
    const std::size_t from = offset < 16 ? 0 : offset - 16;
    return ::testing::AssertionFailure()
           << "first difference at offset " << offset << " (sizes " << actual.size() << " and "
           << expected.size() << ")\n  actual   from " << from << ": "
           << Escaped(actual.substr(std::min(from, actual.size()), 64)) << "\n  expected from "
           << from << ": " << Escaped(expected.substr(std::min(from, expected.size()), 64));
}

std::string ReadBytes(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path &path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

class IniFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "tarvik-ini-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        file = dir / "rvcfg.ini";
    }
    void TearDown() override
    {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }
    // Names in the folder besides the file itself: leftovers of a save.
    std::vector<std::string> Leftovers() const
    {
        std::vector<std::string> names;
        for (const auto &item : fs::directory_iterator(dir)) {
            if (item.path() != file)
                names.push_back(item.path().filename().string());
        }
        return names;
    }

    fs::path dir;
    fs::path file;
};

// The first save of a fresh installation, in the order the settings are
// written, and a later save that only changes values.
TEST_F(IniFileTest, SettingsSectionOfAFreshInstallationAndALaterSave)
{
    const std::string comment = "# \xCF\xC2\xC3\xE6\xCA\xC7Tarvik\xB5\xC4\xB2\xCE\xCA\xFD\xC5\xE4"
                                "\xD6\xC3\xA3\xAC\xC7\xEB\xB2\xBB\xD2\xAA\xD0\xDE\xB8\xC4";
    auto save = [&](const char *data, const char *sum, const char *flag) {
        if (!WriteIniValue(file, "RVConfigs", "PortCfgData", data)) {
            ASSERT_TRUE(CreateIniFile(file));
            ASSERT_TRUE(WriteIniValue(file, "RVConfigs", "PortCfgData", data));
        }
        ASSERT_TRUE(SetIniSectionComment(file, "RVConfigs", comment));
        ASSERT_TRUE(WriteIniValue(file, "RVConfigs", "PortCfgDataCS", sum));
        for (const char *key : {"SelPort", "HexDisplay", "HexSend", "CountRecv", "CountSend"})
            ASSERT_TRUE(WriteIniValue(file, "RVConfigs", key, flag));
    };
    auto expected = [&](const char *data, const char *sum, const char *flag) {
        std::string text = comment + "\r\n [RVConfigs]\r\n";
        for (const char *key : {"CountSend", "CountRecv", "HexSend", "HexDisplay", "SelPort"})
            text += std::string(" ") + key + "=" + flag + "\r\n";
        return text + " PortCfgDataCS=" + sum + "\r\n PortCfgData=" + data + "\r\n";
    };
    save("AA,55,00", "255", "0");
    EXPECT_TRUE(SameBytes(ReadBytes(file), expected("AA,55,00", "255", "0")));
    save("01,02", "3", "1");
    EXPECT_TRUE(SameBytes(ReadBytes(file), expected("01,02", "3", "1")));
    EXPECT_EQ(ReadIniValue(file, "RVConfigs", "PortCfgData"), "01,02");
    EXPECT_TRUE(Leftovers().empty());
}

struct RewriteRow
{
    const char *name;
    std::string before;
    std::function<bool(const fs::path &)> operation;
    bool result;
    std::string after; // for a failed operation: the file must stay as it was
};

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

void CheckRows(const fs::path &file, const std::vector<RewriteRow> &rows)
{
    for (const RewriteRow &row : rows) {
        SCOPED_TRACE(row.name);
        WriteBytes(file, row.before);
        EXPECT_EQ(row.operation(file), row.result);
        EXPECT_TRUE(SameBytes(ReadBytes(file), row.result ? row.after : row.before));
    }
}

TEST_F(IniFileTest, WriteValue)
{
    CheckRows(file,
              {
                  {"new key goes first in its section", " [A]\r\n x=1\r\n [B]\r\n",
                   Write("A", "y", "2"), true, " [A]\r\n y=2\r\n x=1\r\n [B]\r\n"},
                  {"new section goes last", " [A]\r\n x=1\r\n", Write("B", "k", "v"), true,
                   " [A]\r\n x=1\r\n [B]\r\n k=v\r\n"},
                  {"first match is replaced", " [A]\r\n k=1\r\n k=2\r\n", Write("A", "k", "9"),
                   true, " [A]\r\n k=9\r\n k=2\r\n"},
                  {"same key in another section", " [A]\r\n k=1\r\n [B]\r\n k=2\r\n",
                   Write("B", "k", "3"), true, " [A]\r\n k=1\r\n [B]\r\n k=3\r\n"},
                  {"keys differ in case", " [A]\r\n Key=1\r\n", Write("A", "key", "2"), true,
                   " [A]\r\n key=2\r\n Key=1\r\n"},
                  {"value with equals signs", " [A]\r\n", Write("A", "k", "a=b=c"), true,
                   " [A]\r\n k=a=b=c\r\n"},
                  {"LF lines come back as CR LF", "[A]\nk=1\n", Write("A", "k", "2"), true,
                   " [A]\r\n k=2\r\n"},
                  {"blank lines and surrounding blanks go", "\r\n\t [A] \r\n\r\n  k=1\t\r\n\n",
                   Write("A", "k", "1"), true, " [A]\r\n k=1\r\n"},
                  {"comments stay above their line", "# top\r\n[A]\r\n; about k\r\nk=1\r\n",
                   Write("A", "k", "2"), true, "# top\r\n [A]\r\n; about k\r\n k=2\r\n"},
                  {"comments after the last line vanish", " [A]\r\n k=1\r\n# end\r\n",
                   Write("A", "k", "1"), true, " [A]\r\n k=1\r\n"},
                  {"stray line kept above the next line", "[A]\r\nnot a setting\r\nk=1\r\n",
                   Write("A", "j", "2"), true, " [A]\r\n j=2\r\nnot a setting\r\n k=1\r\n"},
                  {"stray line after a comment", "# c\r\nstray\r\n[A]\r\n", Write("A", "k", "1"),
                   true, "# c\r\nstray\r\n [A]\r\n k=1\r\n"},
                  {"header with an equals sign", "[a=b]\r\nk=1\r\n", Write("a=b", "k", "2"), true,
                   " [a=b]\r\n k=2\r\n"},
                  {"GBK character ending in a bracket byte", "[\x81]]\r\nk=1\r\n",
                   Write("\x81]", "k", "2"), true, " [\x81]]\r\n k=2\r\n"},
                  {"lone lead byte before the bracket", "[\xB0]\r\nk=1\r\n",
                   Write("\xB0", "k", "2"), true, " [\xB0]\r\n k=2\r\n"},
                  {"value with brackets", "[A]\r\nname=Print [1]\r\n", Write("A", "x", "1"), true,
                   " [A]\r\n x=1\r\n name=Print [1]\r\n"},
                  {"value with a GBK bracket byte", "[A]\r\nn=\x81[\r\n", Write("A", "x", "1"),
                   true, " [A]\r\n x=1\r\n n=\x81[\r\n"},
                  {"line with an empty key", "[A]\r\n=abc\r\n", Write("A", "k", "1"), true,
                   " [A]\r\n k=1\r\n =abc\r\n"},
                  {"header without closing bracket", "[A\r\nk=1\r\n", Write("A", "k", "2"), true,
                   " [A]\r\n k=2\r\n"},
                  {"text after the closing bracket", "[A] old\r\n", Write("A", "k", "1"), true,
                   " [A]\r\n k=1\r\n"},
                  {"lone CR inside a value", "[A]\r\nk=a\rb\r\n", Write("A", "j", "1"), true,
                   " [A]\r\n j=1\r\n k=a\rb\r\n"},
                  {"keys above the first header", "k=1\r\n[A]\r\n", Write("", "n", "3"), true,
                   " k=1\r\n n=3\r\n [A]\r\n"},
                  {"empty file", "", Write("A", "k", "1"), true, " [A]\r\n k=1\r\n"},
              });
}

TEST_F(IniFileTest, DeleteKeyAndSectionComment)
{
    const std::string twoHeaders = " [A]\r\n k=1\r\n [A]\r\n";
    CheckRows(
        file,
        {
            {"first match goes with its comment", " [A]\r\n# c\r\n k=1\r\n k=2\r\n",
             Delete("A", "k"), true, " [A]\r\n k=2\r\n"},
            {"no match leaves the file as it was", "[A]\n\nk=1\n# t\n", Delete("A", "j"), false,
             ""},
            {"a header is never a key", "[A]\r\n", Delete("A", ""), false, ""},
            {"empty key line", "[A]\r\n=x\r\nk=1\r\n", Delete("A", ""), true, " [A]\r\n k=1\r\n"},
            {"comment is set", " [A]\r\n k=1\r\n", Comment("A", "# about A"), true,
             "# about A\r\n [A]\r\n k=1\r\n"},
            {"comment is replaced", "# old\r\n; older\r\n[A]\r\n", Comment("A", "# new"), true,
             "# new\r\n [A]\r\n"},
            {"empty comment removes it", "# old\r\n[A]\r\n", Comment("A", ""), true, " [A]\r\n"},
            {"one-character comment", "[A]\r\n", Comment("A", "#"), true, "#\r\n [A]\r\n"},
            {"comment of several lines", "[A]\r\n", Comment("A", "# 1\n# 2"), true,
             "# 1\r\n# 2\r\n [A]\r\n"},
            {"only the first header", twoHeaders, Comment("A", "# c"), true,
             "# c\r\n" + twoHeaders},
            {"section without header", " k=1\r\n", Comment("", "# c"), false, ""},
            {"comment that is a key line", "[A]\r\n", Comment("A", "# c\nk=1"), false, ""},
            {"comment that is a header", "[A]\r\n", Comment("A", "[B]"), false, ""},
        });
}

TEST_F(IniFileTest, Sort)
{
    const std::string mixed = "k=0\r\n[B]\r\nb=1\r\n# about a\r\na=2\r\n[C]\r\nz=3\r\n"
                              "# about A\r\n[A]\r\nb=4\r\nb=5\r\n";
    CheckRows(
        file,
        {
            {"descending", mixed, Sort(false), true,
             " k=0\r\n [C]\r\n z=3\r\n [B]\r\n b=1\r\n# about a\r\n a=2\r\n"
             "# about A\r\n [A]\r\n b=4\r\n b=5\r\n"},
            {"ascending", mixed, Sort(true), true,
             " k=0\r\n# about A\r\n [A]\r\n b=4\r\n b=5\r\n [B]\r\n# about a\r\n a=2\r\n b=1\r\n"
             " [C]\r\n z=3\r\n"},
            {"bytes compare unsigned",
             "[\xB0\xA1]\r\n["
             "a]\r\n[A]\r\n",
             Sort(true), true, " [A]\r\n [a]\r\n [\xB0\xA1]\r\n"},
            {"a section with two headers", "[A]\r\nb=1\r\n[B]\r\n[A]\r\na=2\r\n", Sort(true), true,
             " [A]\r\n [A]\r\n a=2\r\n b=1\r\n [B]\r\n"},
            {"command keys descending", "[UserCmds]\r\nCmdValue1=1B\r\nCmdName1=a\r\nCmdCnt=1\r\n",
             Sort(false), true, " [UserCmds]\r\n CmdValue1=1B\r\n CmdName1=a\r\n CmdCnt=1\r\n"},
        });
}

TEST_F(IniFileTest, ReadMatchesBytesExactly)
{
    WriteBytes(file, "k=top\n[RVConfigs]\nHexSend = 1\nKey=upper\nkey=lower\nkey=second\n"
                     "v= lead and trail \t\n[B]\nbroken line\nj=2\n[x]y]\nk=z\n");
    const struct
    {
        const char *section, *key, *value;
    } rows[] = {
        {"RVConfigs", "HexSend", ""}, // spaces around "=" belong to key and value
        {"RVConfigs", "HexSend ", " 1"},
        {"RVConfigs", "Key", "upper"},
        {"RVConfigs", "key", "lower"}, // the first of two
        {"RVConfigs", "KEY", ""},
        {"rvconfigs", "key", ""},
        {"RVConfigs", "v", " lead and trail"},
        {"B", "j", "2"}, // a stray line does not end the section
        {"", "j", ""},
        {"", "k", "top"},
        {"x", "k", "z"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.section) + "/" + row.key);
        EXPECT_EQ(ReadIniValue(file, row.section, row.key), row.value);
    }
    IniStatus status = IniStatus::Ok;
    ReadIniValue(file, "B", "none", &status);
    EXPECT_EQ(status, IniStatus::NotFound);
}

TEST_F(IniFileTest, MissingOrUnreadableFileChangesNothing)
{
    for (const fs::path &path : {file, dir}) {
        SCOPED_TRACE(path.string());
        IniStatus status = IniStatus::Ok;
        EXPECT_EQ(ReadIniValue(path, "A", "k", &status), "");
        EXPECT_EQ(status, IniStatus::FileUnreadable);
        EXPECT_FALSE(WriteIniValue(path, "A", "k", "v", &status));
        EXPECT_EQ(status, IniStatus::FileUnreadable);
        EXPECT_FALSE(SetIniSectionComment(path, "A", "# c"));
        EXPECT_FALSE(DeleteIniKey(path, "A", "k"));
        EXPECT_FALSE(SortIniFile(path, true));
    }
    EXPECT_FALSE(fs::exists(file));
    EXPECT_TRUE(fs::is_directory(dir));
    EXPECT_FALSE(CreateIniFile(dir / "no-such-folder" / "rvcfg.ini"));

    WriteBytes(file, "[A]\r\nk=1\r\n");
    ASSERT_TRUE(CreateIniFile(file));
    EXPECT_TRUE(SameBytes(ReadBytes(file), ""));
}

TEST_F(IniFileTest, TooLargeFileIsLeftAlone)
{
    WriteBytes(file, "[A]\r\nk=1\r\n");
    fs::resize_file(file, kIniMaxFileSize + 1); // sparse: costs no disk space
    IniStatus status = IniStatus::Ok;
    EXPECT_EQ(ReadIniValue(file, "A", "k", &status), "");
    EXPECT_EQ(status, IniStatus::FileTooLarge);
    EXPECT_FALSE(WriteIniValue(file, "A", "k", "2", &status));
    EXPECT_EQ(status, IniStatus::FileTooLarge);
    EXPECT_EQ(fs::file_size(file), kIniMaxFileSize + 1);
}

TEST_F(IniFileTest, NamesThatWouldNotReadBackAreRefused)
{
    const std::string before = "[A]\nk=1\n";
    const struct
    {
        const char *why;
        std::string section, key, value;
    } rows[] = {
        {"equals in key", "A", "a=b", "v"},     {"comment key", "A", "#k", "v"},
        {"semicolon key", "A", ";k", "v"},      {"header key", "A", "[k", "v"},
        {"blank before key", "A", " k", "v"},   {"tab before key", "A", "\tk", "v"},
        {"line feed in key", "A", "a\nb", "v"}, {"bracket in section", "a]b", "k", "v"},
        {"CR in section", "a\rb", "k", "v"},    {"line break in value", "A", "k", "1\r\n[B]"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.why);
        WriteBytes(file, before);
        IniStatus status = IniStatus::Ok;
        EXPECT_FALSE(WriteIniValue(file, row.section, row.key, row.value, &status));
        EXPECT_EQ(status, IniStatus::InvalidArgument);
        EXPECT_TRUE(SameBytes(ReadBytes(file), before));
    }
}

TEST_F(IniFileTest, UnusualNamesAndValuesReadBack)
{
    const std::string longValue(3 * 1024 * 1024, 'x');
    const struct
    {
        std::string section, key, value;
    } rows[] = {
        {"a=b", "k", "v"},        {"", "k", "v"},
        {"A", "", "empty key"},   {"A", "trailing ", "v"},
        {"\x81]", "k", "GBK"},    {"a\x81", "k", "lone lead byte"},
        {"A", "k", "=[x];#"},     {"A", "nul", std::string("a\0b", 3)},
        {"A", "long", longValue}, {" A ", "k", "v"},
    };
    ASSERT_TRUE(CreateIniFile(file));
    for (const auto &row : rows) {
        SCOPED_TRACE(Escaped(row.section + "/" + row.key));
        ASSERT_TRUE(WriteIniValue(file, row.section, row.key, row.value));
    }
    for (const auto &row : rows) {
        SCOPED_TRACE(Escaped(row.section + "/" + row.key));
        EXPECT_EQ(ReadIniValue(file, row.section, row.key), row.value);
    }
}

TEST_F(IniFileTest, LongStrayLineSurvives)
{
    const std::string stray(5 * 1024 * 1024, 's');
    WriteBytes(file, "[A]\n" + stray + "\nk=1\n");
    ASSERT_TRUE(WriteIniValue(file, "A", "k", "2"));
    EXPECT_TRUE(SameBytes(ReadBytes(file), " [A]\r\n" + stray + "\r\n k=2\r\n"));
}

TEST_F(IniFileTest, ReplacementKeepsModeAndLinksAndLeavesNothingBehind)
{
    const fs::path real = dir / "real.ini";
    WriteBytes(real, "[A]\r\n");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("real.ini", file);
    ASSERT_TRUE(WriteIniValue(file, "A", "k", "1"));
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_TRUE(SameBytes(ReadBytes(real), " [A]\r\n k=1\r\n"));
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Leftovers(), std::vector<std::string>{"real.ini"});
}

TEST_F(IniFileTest, FailedSaveKeepsTheOldFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "folder permissions do not stop root";
    WriteBytes(file, "[A]\r\nk=1\r\n");
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    IniStatus status = IniStatus::Ok;
    EXPECT_FALSE(WriteIniValue(file, "A", "k", "2", &status));
    EXPECT_EQ(status, IniStatus::WriteFailed);
    EXPECT_FALSE(CreateIniFile(file));
    EXPECT_TRUE(SameBytes(ReadBytes(file), "[A]\r\nk=1\r\n"));
    EXPECT_TRUE(Leftovers().empty());
}

// A file size limit makes the write of the new contents fail, for root too.
TEST_F(IniFileTest, FileSizeLimitDuringSaveKeepsTheOldFile)
{
    const std::string before = "[A]\r\nk=1\r\n";
    WriteBytes(file, before);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 64;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    IniStatus status = IniStatus::Ok;
    const bool written = WriteIniValue(file, "A", "k", std::string(100, 'v'), &status);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(status, IniStatus::WriteFailed);
    EXPECT_TRUE(SameBytes(ReadBytes(file), before));
    EXPECT_TRUE(Leftovers().empty());
}

TEST_F(IniFileTest, RelativeNamesUseTheIniDirectory)
{
    SetIniDirectory(dir);
    const bool created = CreateIniFile("rvcfg.ini");
    const bool written = WriteIniValue("rvcfg.ini", "A", "k", "1");
    const std::string value = ReadIniValue("rvcfg.ini", "A", "k");
    SetIniDirectory({});
    EXPECT_TRUE(created && written);
    EXPECT_EQ(value, "1");
    EXPECT_TRUE(SameBytes(ReadBytes(file), " [A]\r\n k=1\r\n"));
}

} // namespace
