// Which rvcfg.ini a program uses: the current folder's when it holds one,
// else the user's configuration folder, and the folder made on first save.
#include "config/configpath.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <tuple>

#include <stdlib.h>

namespace fs = std::filesystem;

namespace {

class ConfigPathTest : public test_files::TempDirTest
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
