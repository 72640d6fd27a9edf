// The settings section on real files: the exact first save, later saves,
// and what a damaged or hand-edited section applies.
#include "config/rvconfig.h"

#include "config/inifile.h"
#include "support/bytes_diff.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <sys/inotify.h>
#include <tuple>

namespace fs = std::filesystem;

namespace {

using namespace test_files;

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

} // namespace
