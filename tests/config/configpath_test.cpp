// Which rvcfg.ini a program uses: the current folder's when it holds one,
// else the user's configuration folder, and the folder made on first save.
#include "configpath.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include <stdlib.h>

namespace fs = std::filesystem;

namespace {

class ConfigPathTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "tarvik-cfgpath-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
        fs::create_directories(root / "work");
    }
    void TearDown() override { fs::remove_all(root); }

    fs::path root;
};

struct ChoiceRow
{
    const char *name;
    bool localFile;    // the current folder holds an rvcfg.ini
    const char *xdg;   // XDG_CONFIG_HOME below root, "" unset, or a relative value
    const char *home;  // HOME below root, or "" unset
    const char *where; // expected path below root
};

TEST_F(ConfigPathTest, ChoosesTheFileByTheRule)
{
    const ChoiceRow rows[] = {
        {"local file wins over XDG", true, "/cfg", "/home", "work/rvcfg.ini"},
        {"XDG folder", false, "/cfg", "/home", "cfg/Tarvik/rvcfg.ini"},
        {"XDG unset: ~/.config", false, "", "/home", "home/.config/Tarvik/rvcfg.ini"},
        {"relative XDG is ignored", false, "rel", "/home", "home/.config/Tarvik/rvcfg.ini"},
        {"no XDG, no HOME: current folder", false, "", "", "work/rvcfg.ini"},
    };
    for (const ChoiceRow &row : rows) {
        SCOPED_TRACE(row.name);
        const fs::path work = root / "work";
        fs::remove(work / "rvcfg.ini");
        if (row.localFile)
            std::ofstream(work / "rvcfg.ini") << "[RVConfigs]\n";
        const std::string xdg = *row.xdg == '/' ? root.string() + row.xdg : row.xdg;
        const std::string home = *row.home ? root.string() + row.home : "";
        EXPECT_EQ(ChooseConfigFile(work, *row.xdg ? xdg.c_str() : nullptr,
                                   *row.home ? home.c_str() : nullptr),
                  root / row.where);
    }
}

TEST_F(ConfigPathTest, ProcessRuleReadsTheEnvironmentAndCurrentFolder)
{
    const fs::path previous = fs::current_path();
    fs::current_path(root / "work");
    ::setenv("XDG_CONFIG_HOME", (root / "cfg").c_str(), 1);
    EXPECT_EQ(ConfigFilePath(), root / "cfg" / "Tarvik" / "rvcfg.ini");
    std::ofstream(root / "work" / "rvcfg.ini") << "\n";
    EXPECT_EQ(fs::weakly_canonical(ConfigFilePath()),
              fs::weakly_canonical(root / "work" / "rvcfg.ini"));
    ::unsetenv("XDG_CONFIG_HOME");
    fs::current_path(previous);
}

TEST_F(ConfigPathTest, FolderIsMadeOnlyWhenAsked)
{
    const fs::path file = ChooseConfigFile(root / "work", (root / "cfg").c_str(), nullptr);
    EXPECT_FALSE(fs::exists(file.parent_path()));
    ASSERT_TRUE(MakeConfigFolder(file));
    EXPECT_TRUE(fs::is_directory(root / "cfg" / "Tarvik"));
    EXPECT_TRUE(MakeConfigFolder(file)); // already there
    std::ofstream(root / "blocked") << "a file, not a folder";
    EXPECT_FALSE(MakeConfigFolder(root / "blocked" / "Tarvik" / "rvcfg.ini"));
}

} // namespace
