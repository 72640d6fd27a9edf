// tarvik-cli run as scripts run it, against the printer simulator, a
// pseudo-terminal, a loopback peer and the private cupsd.
#include "clirunner.h"
#include "loopbackserver.h"
#include "privatecupsd.h"
#include "ptypair.h"
#include "realport.h"
#include "support/bytes_diff.h"

#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList Args(const QString &line)
{
    return line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// Writes `bytes` to `path`; the test fails when it cannot.
QString Written(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size())
        << path.toStdString();
    return path;
}

TEST(CliRun, ExitStatusAndOutputAgainstThePrinterSimulator)
{
    // The simulator's options, the program's after --port, and what it gives.
    const std::tuple<const char *, const char *, int, std::string, const char *> rows[] = {
        {"", "--send-hex 10,04,01 --expect-hex 12 --timeout 2000", 0, "12\n", ""},
        {"", "--send-hex 10,04,01 --expect-hex 13 --timeout 2000", 1, "12\n",
         "differs from the expected bytes at offset 0\n  expected: 13\n  received: 12"},
        {"--status silent", "--send-hex 10,04,01 --expect-hex 12 --timeout 2000", 3, "",
         "timed out after 2000 ms: no reply"},
        {"", "--send-hex 10,04,01 --expect-hex 12,12 --timeout 500", 3, "12\n",
         "received 1 of 2 expected bytes"},
        {"--status paper-end", "--send-hex 10,04,04 --expect-hex 12", 1, "72\n", "offset 0"},
        {"--status paper-end", "--send-hex 10,04,04,1D,72,01 --expect-hex 72,0C --decode escpos", 0,
         "72 0C\nDLE EOT 4 -> 72: paper adequate, paper end\n"
         "GS r 1 -> 0C: paper adequate, paper end\n",
         ""},
        {"--status cover-open",
         "--send-hex 10,04,01 --send-text <\\x10><\\x04><\\x02> --read-ms 300", 0, "1A 16\n", ""},
    };
    for (const auto &[simArgs, cliArgs, exitCode, out, errHas] : rows) {
        SCOPED_TRACE(std::string(simArgs) + " | " + cliArgs);
        CPrinterSim sim(Args(simArgs));
        ASSERT_NE(sim.Port(), 0);
        const CliOutcome outcome =
            RunCli(QStringList{"--port", sim.PortArgument()} + Args(cliArgs));
        ExpectOutcome(outcome, exitCode, errHas);
        EXPECT_EQ(outcome.out, out);
    }
}

TEST(CliRun, PortsThatCannotBeOpenedAndBadArguments)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    const QString huge = Written(dir.filePath("huge.bin"), "x");
    std::filesystem::resize_file(huge.toStdString(), 5ull << 30); // sparse
    const QString ini = Written(dir.filePath("cmds.ini"),
                                "[UserCmds]\r\nCmdCnt=1\r\nCmdName1=Blank\r\nCmdValue1=\r\n");
    // Rows without --port of their own run against a port they never reach.
    const std::tuple<QStringList, int, std::string> rows[] = {
        {{"--port", QStringLiteral("tcp:127.0.0.1:%1").arg(UnusedLoopbackPort()), "--send-hex",
          "10"},
         2,
         "cannot open the port: Connection refused (ECONNREFUSED)"},
        {{"--port", "serial:" + dir.filePath("nothing"), "--send-hex", "10"},
         2,
         "cannot open the port: No such file or directory (ENOENT)"},
        {{"--port", "serial:/dev/null:9600:8N1:rtscts"}, 2, "RTS/CTS"},
        {{"--send-hex", "1Z"}, 4, "bad argument '--send-hex 1Z'"},
        {{"--send-hex", ""}, 4, "'--send-hex ': expects at least one byte"},
        {{"--send-file", dir.filePath("missing.bin")},
         4,
         "missing.bin': cannot be read: No such file or directory (ENOENT)"},
        {{"--send-file", dir.path()}, 4, "': is a folder"},
        {{"--send-file", "/dev/zero"}, 4, "': is a device, not a file or a pipe"},
        {{"--send-file", Written(dir.filePath("empty"), {})}, 4, "': is empty"},
        {{"--send-file", huge}, 4, "': is larger than 4 GiB"},
        {{"--send-file", fifo, "--passes", "2"}, 4, "can be sent only once"},
        {{"--send-cmd", "Cut", "--config", dir.filePath("none.ini")},
         4,
         "'--config " + dir.filePath("none.ini").toStdString() + "': cannot be read"},
        {{"--send-hex", "10", "--config", dir.path()}, 4, "': is a folder"},
        {{"--send-hex", "10", "--config", fifo}, 4, "': is not a regular file"},
        {{"--send-hex", "10", "--config", "/dev/zero"}, 4, "': is not a regular file"},
        {{"--send-cmd", "Blank", "--config", ini}, 4, "the user command's value is empty"},
    };
    for (const auto &[given, exitCode, errHas] : rows) {
        const QStringList args =
            given.contains("--port") ? given : QStringList{"--port", "tcp:127.0.0.1:9"} + given;
        SCOPED_TRACE(args.join(' ').toStdString());
        ExpectOutcome(RunCli(args), exitCode, errHas);
    }
}

// The port library's traces are for --verbose only, in every build.
TEST(CliRun, TracesOnlyWithVerbose)
{
    const QStringList args{"--port", "serial:/nonexistent/tty", "--send-hex", "10"};
    for (const bool verbose : {false, true}) {
        const CliOutcome outcome = RunCli(verbose ? args + QStringList{"--verbose"} : args);
        EXPECT_EQ(outcome.exitCode, 2);
        EXPECT_EQ(outcome.err.find("[port ") != std::string::npos, verbose) << outcome.err;
    }
}

QString LoopbackTarget(const CLoopbackServer &peer)
{
    return QStringLiteral("tcp:127.0.0.1:%1").arg(peer.Port());
}

// Where the bytes of --send-file come from: a file of any name, standard
// input and a FIFO, each longer than one piece the program reads at a time.
// The file goes in three passes to a peer that takes it slowly, so that the
// socket takes many writes only in part.
TEST(CliRun, FilesPipesAndStandardInputReachThePeerWhole)
{
    QTemporaryDir dir;
    const std::string piped = PatternBytes(300 * 1024, 5);
    const std::string file = PatternBytes(8 * 1024 * 1024, 7);
    Written(dir.filePath("a"), QByteArray::fromStdString(file));
    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    for (const QString &path : {QString("a"), QString("-"), QString("/dev/stdin"), fifo}) {
        SCOPED_TRACE(path.toStdString());
        const bool isFile = path == "a", isInput = !isFile && path != fifo;
        CLoopbackServer peer;
        if (isFile)
            peer.SetSmallReceiveBuffer();
        const QString passes = isFile ? "3" : "1";
        CCliRun cli({"--port", LoopbackTarget(peer), "--send-file", path, "--passes", passes,
                     "--interval", "10", "--timeout", "60000"},
                    dir.path());
        if (isInput)
            cli.FeedInput(QByteArray::fromStdString(piped));
        if (path == fifo) {
            const int writer = open(fifo.toLocal8Bit().constData(), O_WRONLY | O_CLOEXEC);
            EXPECT_EQ(write(writer, piped.data(), piped.size()), ssize_t(piped.size()));
            close(writer);
        }
        ASSERT_TRUE(peer.Accept());
        const std::string expected = isFile ? file + file + file : piped;
        EXPECT_TRUE(SameBytes(expected, peer.ReceiveFromClient(expected.size(), 60000)));
        const CliOutcome outcome = cli.Finish();
        EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    }
}

TEST(CliRun, DecodesRequestsSplitAcrossSendsAndInsideFiles)
{
    QTemporaryDir dir;
    const QByteArray request("ab\x10\x04\x04"
                             "cd");
    const QString file = Written(dir.filePath("request.bin"), request);
    const std::string eot1 = "12\nDLE EOT 1 -> 12: drawer kick-out pin 3 low, online, "
                             "not waiting for online recovery, feed button not pressed\n";
    const std::string eot4 = "12\nDLE EOT 4 -> 12: paper adequate, paper present\n";
    const std::pair<QStringList, std::string> rows[] = {
        {{"--send-hex", "10", "--send-hex", "04,01"}, eot1},
        {{"--send-text", "<\\x10><\\x04>", "--send-hex", "01"}, eot1},
        {{"--send-file", file}, eot4},
        {{"--send-file", "-"}, eot4},
    };
    for (const auto &[sends, printed] : rows) {
        SCOPED_TRACE(sends.join(' ').toStdString());
        CPrinterSim sim;
        CCliRun cli(
            QStringList{"--port", sim.PortArgument(), "--decode", "escpos", "--read-ms", "300"} +
            sends);
        cli.FeedInput(request);
        const CliOutcome outcome = cli.Finish();
        EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
        EXPECT_EQ(outcome.out, printed);
    }
}

// --read-ms ends early when the printer closes: the reply is what counts.
TEST(CliRun, APeerThatClosesEndsReadMsWithWhatItSent)
{
    const std::tuple<std::string, int, std::string> rows[] = {{"\x12", 0, "12\n"}, {"", 2, ""}};
    for (const auto &[reply, exitCode, printed] : rows) {
        SCOPED_TRACE(exitCode);
        CLoopbackServer peer;
        CCliRun cli(
            {"--port", LoopbackTarget(peer), "--send-hex", "10 04 01", "--read-ms", "60000"});
        ASSERT_TRUE(peer.Accept());
        EXPECT_EQ(peer.ReceiveFromClient(3), "\x10\x04\x01");
        EXPECT_TRUE(reply.empty() || peer.SendToClient(reply));
        peer.CloseClient();
        const CliOutcome outcome = cli.Finish();
        EXPECT_EQ(outcome.exitCode, exitCode) << outcome.err;
        EXPECT_EQ(outcome.out, printed);
    }
}

// A peer that stops taking bytes, a serial line nobody reads and a FIFO
// nobody writes: the run ends with the time-out's status, not a hang.
TEST(CliRun, SendsThatStallEndWithStatus3)
{
    QTemporaryDir dir;
    const QString big = Written(dir.filePath("big.bin"), QByteArray(16 * 1024 * 1024, 'x'));
    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    CLoopbackServer stalled;
    stalled.SetSmallReceiveBuffer();
    CPtyPair unread;
    ASSERT_TRUE(unread.IsValid());
    const std::pair<QStringList, const char *> rows[] = {
        {{"--port", LoopbackTarget(stalled), "--send-file", big}, "the port took no data"},
        {{"--port", QString::fromStdString("serial:" + unread.SlavePath()), "--send-text",
          QString(100 * 1024, 'x')},
         "the port took no data"},
        {{"--port", LoopbackTarget(stalled), "--send-file", fifo}, "no data came from"},
    };
    for (const auto &[args, errHas] : rows) {
        SCOPED_TRACE(errHas);
        const CliOutcome outcome = RunCli(args + QStringList{"--timeout", "1000"});
        ExpectOutcome(outcome, 3, std::string("timed out after 1000 ms: ") + errHas);
    }
}

TEST(CliRun, TextArrivesOnASerialLineAndTheReplyPrintsInEachForm)
{
    const std::string reply("\x06OK\r\n\xFF", 6);
    const std::pair<const char *, std::string> forms[] = {
        {"hex", "06 4F 4B 0D 0A FF\n"},
        {"text", "<\\x06>OK\r\n<\\xFF>\n"},
        {"raw", reply},
    };
    for (const auto &[form, printed] : forms) {
        CPtyPair pty;
        ASSERT_TRUE(pty.IsValid());
        CCliRun cli({"--port", QString::fromStdString("serial:" + pty.SlavePath() + ":115200:8N1"),
                     "--send-text", "Hello<\\x0D><\\x0A>", "--expect-hex", "06 4F 4B 0D 0A FF",
                     "--output", form, "--timeout", "20000"});
        CFarEnd far(pty.MasterFd()); // after the start: no fork with this thread running
        EXPECT_TRUE(far.WaitForCount(7));
        EXPECT_TRUE(SameBytes("Hello\r\n", far.Bytes())) << form;
        ASSERT_TRUE(pty.WriteMaster(reply));
        const CliOutcome outcome = cli.Finish();
        EXPECT_EQ(outcome.exitCode, 0) << form << outcome.err;
        EXPECT_TRUE(SameBytes(printed, outcome.out)) << form;
    }
}

TEST(CliRun, WindowNamesReachTheDevicesTheConfigurationMapsThemTo)
{
    CPtyPair pty;
    ASSERT_TRUE(pty.IsValid());
    QTemporaryDir dir;
    const QString ini =
        Written(dir.filePath("rvcfg.ini"),
                "[Devices]\r\nCOM1=" + QByteArray::fromStdString(pty.SlavePath()) + "\r\n");
    Written(dir.filePath("a"), "a"); // the port's file transfer takes a one-letter name
    const std::pair<QStringList, QString> runs[] = {
        {{"--port", "COM1", "--send-text", "in folder"}, dir.path()},
        {{"--port", "serial:com1:19200:8E1", "--send-text", "by option", "--config", ini}, {}},
        {{"--port", "COM1", "--send-file", "a"}, dir.path()},
    };
    for (const auto &[args, workDir] : runs) {
        CCliRun cli(args, workDir);
        CFarEnd far(pty.MasterFd());
        EXPECT_TRUE(far.WaitForCount(std::size_t(args[3].size())));
        EXPECT_EQ(far.Bytes(), args[3].toStdString());
        EXPECT_EQ(cli.Finish().exitCode, 0) << args.join(' ').toStdString();
    }
}

TEST(CliRun, APortLostWhileWaitingEndsWithStatus2)
{
    CLoopbackServer peer;
    CCliRun network({"--port", QStringLiteral("tcp:127.0.0.1:%1").arg(peer.Port()), "--send-hex",
                     "10 04 01", "--expect-hex", "12", "--timeout", "60000"});
    ASSERT_TRUE(peer.Accept());
    EXPECT_EQ(peer.ReceiveFromClient(3), "\x10\x04\x01");
    peer.CloseClient();
    ExpectOutcome(network.Finish(), 2, "the port was lost");

    CPtyPair pty;
    ASSERT_TRUE(pty.IsValid());
    // The program must not inherit the master, or closing ours would not hang up.
    fcntl(pty.MasterFd(), F_SETFD, FD_CLOEXEC);
    CCliRun serial({"--port", QString::fromStdString("serial:" + pty.SlavePath()), "--send-hex",
                    "10 04 01", "--expect-hex", "12", "--timeout", "60000"});
    {
        CFarEnd far(pty.MasterFd()); // ends before the master closes
        EXPECT_TRUE(far.WaitForCount(3));
        EXPECT_EQ(far.Bytes(), "\x10\x04\x01");
    }
    pty.CloseMaster();
    ExpectOutcome(serial.Finish(), 2, "the port was lost");
}

TEST(CliRun, ListNamesMappedDevicesInTheFormPortTakes)
{
    QTemporaryDir dir;
    const QString device = dir.filePath("parallel-printer");
    QFile(device).open(QIODevice::WriteOnly);
    const QString ini =
        Written(dir.filePath("rvcfg.ini"), "[Devices]\r\nLPT3=" + device.toUtf8() + "\r\n");
    const std::string line = "parallel:" + device.toStdString() + "\n";
    const CliOutcome inFolder = RunCli({"--list"}, dir.path());
    EXPECT_EQ(inFolder.exitCode, 0);
    EXPECT_NE(inFolder.out.find(line), std::string::npos) << inFolder.out;
    const CliOutcome byOption = RunCli({"--list", "--config", ini});
    EXPECT_NE(byOption.out.find(line), std::string::npos) << byOption.out;
    EXPECT_EQ(RunCli({"--list"}).out.find(line), std::string::npos);
}

TEST(CliRun, FileProgressGoesToStandardErrorOnlyWhenItIsATerminal)
{
    QTemporaryDir dir;
    const QString file = Written(dir.filePath("page.bin"), QByteArray(64 * 1024, 'x'));
    CPrinterSim sim;
    const QStringList args{"--port", sim.PortArgument(), "--send-file", file, "--passes", "3"};
    CPtyPair terminal;
    ASSERT_TRUE(terminal.IsValid());
    CCliRun onTerminal(args, {}, QString::fromStdString(terminal.SlavePath()));
    std::string shown;
    {
        CFarEnd far(terminal.MasterFd()); // ends before the next run starts
        EXPECT_EQ(onTerminal.Finish().exitCode, 0);
        far.WaitQuiet();
        shown = far.Bytes();
    }
    EXPECT_NE(shown.find("\rsending " + file.toStdString() + ": pass 1 of 3"), std::string::npos)
        << shown;
    EXPECT_TRUE(shown.ends_with("pass 3 of 3, 100%\n")) << shown;
    const CliOutcome onPipe = RunCli(args);
    EXPECT_EQ(onPipe.exitCode, 0);
    EXPECT_EQ(onPipe.err, "");
}

TEST(CliRun, AFileInThreePassesMakesThreeRawJobs)
{
    CPrivateCupsd cupsd;
    std::string whyNot;
    if (!cupsd.Start(whyNot) || !cupsd.AddRawQueue("tarvik_cli", whyNot))
        GTEST_SKIP() << whyNot;
    QTemporaryDir dir;
    const std::string content = PatternBytes(20 * 1024 * 1024, 3);
    const QString file = Written(dir.filePath("page.bin"), QByteArray::fromStdString(content));
    const CliOutcome outcome = RunCli({"--port", "printer:tarvik_cli", "--send-file", file,
                                       "--passes", "3", "--timeout", "30000"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_NE(RunCli({"--list"}).out.find("printer:tarvik_cli\n"), std::string::npos);
    const std::vector<CapturedJob> jobs = cupsd.WaitForJobs("tarvik_cli", 3);
    ASSERT_EQ(jobs.size(), 3u);
    for (const CapturedJob &job : jobs) {
        EXPECT_EQ(job.title, "Tarvik");
        EXPECT_TRUE(SameBytes(content, job.data));
    }
}

} // namespace
