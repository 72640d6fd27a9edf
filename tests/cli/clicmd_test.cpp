// --send-cmd with commands saved by the window's own command dialog code.
#include "clirunner.h"
#include "config/rvconfig.h"
#include "support/bytes_diff.h"
#include "support/test_files.h"
#include "usercmd/usercmdsave.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(CliUserCommands, SendsTheBytesOfCommandsSavedByTheWindow)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("rvcfg.ini"));
    const QList<CUserCmdCfgDlg::tagUSER_CMD_STR> rows{
        {QStringLiteral("初始化"), QStringLiteral("1B,40")},
        {QStringLiteral("状态"), QStringLiteral("10,04,01")},
        {QStringLiteral("Cut [full]"), QStringLiteral("1D,56,00")},
    };
    ASSERT_TRUE(SaveUserCommandRows(nullptr, ini.toStdString(), rows));
    const QString out = dir.filePath(QStringLiteral("printed.bin"));
    CPrinterSim sim({"--out", out});
    ASSERT_NE(sim.Port(), 0);
    // From the folder of the file, as the window keeps it, and from elsewhere with --config.
    const CliOutcome byFolder = RunCli({"--port", sim.PortArgument(), "--send-cmd", "初始化",
                                        "--send-cmd", "状态", "--expect-hex", "12"},
                                       dir.path());
    EXPECT_EQ(byFolder.exitCode, 0) << byFolder.err;
    EXPECT_EQ(byFolder.out, "12\n");
    const CliOutcome byOption =
        RunCli({"--port", sim.PortArgument(), "--config", ini, "--send-cmd", "Cut [full]"});
    EXPECT_EQ(byOption.exitCode, 0) << byOption.err;
    const CliOutcome unknown =
        RunCli({"--port", sim.PortArgument(), "--send-cmd", "Feed"}, dir.path());
    ExpectOutcome(unknown, 4, "'--send-cmd Feed': no user command");
    ASSERT_TRUE(sim.Stop());
    EXPECT_TRUE(SameBytes(std::string("\x1B\x40\x10\x04\x01\x1D\x56\x00", 8),
                          test_files::ReadBytes(out.toStdString())));
}

// Without --port, the port the window saved: the demo's way of naming the
// simulator. A file with no usable port names --port as the bad argument.
TEST(CliUserCommands, WithoutPortTheWindowsSavedPortIsOpened)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("rvcfg.ini"));
    CPrinterSim sim;
    ASSERT_NE(sim.Port(), 0);
    tagPORT_CFG_DATA block{};
    std::strcpy(block.ethernet.szHost, "127.0.0.1");
    block.ethernet.wPort = sim.Port();
    block.ethernet.dwMarker = kCfgMarkerValid;
    RvConfigValues values;
    values.selPort = 3; // the network kind
    ASSERT_EQ(SaveRvConfig(ini.toStdString(), values, block), RvSaveResult::Saved);
    ASSERT_TRUE(SaveUserCommandRows(nullptr, ini.toStdString(),
                                    {{QStringLiteral("查询状态"), QStringLiteral("10,04,01")}}));
    const CliOutcome saved =
        RunCli({"--config", ini, "--send-cmd", "查询状态", "--expect-hex", "12"});
    EXPECT_EQ(saved.exitCode, 0) << saved.err;
    EXPECT_EQ(saved.out, "12\n");
    values.selPort = 2; // USB: nothing stored to open
    ASSERT_EQ(SaveRvConfig(ini.toStdString(), values, block), RvSaveResult::Saved);
    const CliOutcome none = RunCli({"--config", ini, "--send-hex", "10"});
    ExpectOutcome(none, 4, "bad argument '--port'");
}
} // namespace
