// tarvik-cli --render as CI runs it: images equal to the library's rendering
// of the same bytes, the report on standard error and the exit status.
#include "clirunner.h"
#include "receipt/receipttesting.h"
#include "support/imagecompare.h"
#include "support/test_files.h"

#include <QProcess>
#include <QTemporaryDir>

namespace {

// Name, the file, the options after --send-file (sends, --passes, --paper
// 58), what the printer receives in total, the exit status and the report.
using RenderRow = std::tuple<const char *, QByteArray, QStringList, QByteArray, int, std::string>;
using CliRenderTest = testing::TestWithParam<RenderRow>;

TEST_P(CliRenderTest, ImagesEqualTheLibrarysAndStatusFollowsTheReport)
{
    const auto &[rowName, file, more, allBytes, exitCode, errHas] = GetParam();
    QTemporaryDir dir;
    const QString out = dir.filePath("out.png");
    const QString in = dir.filePath("in.bin");
    test_files::WriteBytes(in.toStdString(), file.toStdString());
    const CliOutcome outcome = RunCli(QStringList{"--render", out, "--send-file", in} + more);
    ExpectOutcome(outcome, exitCode, errHas);
    const std::vector<Receipt::Receipt> expected =
        Receipt::RenderReceipts(allBytes, more.contains("58") ? 384 : 576);
    std::string names;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const QString name =
            expected.size() == 1 ? out : dir.filePath(QStringLiteral("out-%1.png").arg(i + 1));
        names += name.toStdString() + "\n";
        EXPECT_TRUE(SameDots(expected[i].image, image_compare::ReadBack(name)))
            << name.toStdString();
    }
    EXPECT_EQ(outcome.out, names);
}

const QByteArray kClean("\x1b@\x1d!\x11Title\n\x1d!\x00Line\n\x1dV\x00", 22);
const QByteArray kUnknown("Hello\n\x1b\x99World\n");
const QByteArray kBadTable("\x1bt\x63x\n");
const QByteArray kBoth = kClean + kUnknown;
const QStringList kPaper58{"--paper", "58"};
const QStringList kMid{"--send-hex", "1B,61,01", "--send-text", "Mid<\\x0a>"};

const RenderRow kRenderRows[] = {
    {"Clean", kClean, {}, kClean, 0, ""},
    {"Unknown", kUnknown, {}, kUnknown, 1, "out.png: offset 6: 1B 99: unknown command"},
    {"TwoReceipts", kBoth, kPaper58, kBoth, 1, "out-2.png: offset 28: 1B 99: unknown command"},
    {"OtherSends", kUnknown, kMid, kUnknown + "\x1b\x61\x01Mid\n", 1, "offset 6"},
    {"Passes", kClean, {"--passes", "2"}, kClean + kClean, 0, ""},
    {"BadParameterOnly", kBadTable, {}, kBadTable, 0, "1B 74 63: bad parameter"},
};

INSTANTIATE_TEST_SUITE_P(Files, CliRenderTest, testing::ValuesIn(kRenderRows),
                         ReceiptTesting::ByName);

// The demo folder's sample receipt prints as one clean receipt: nothing in
// it is reported, and its title, text, barcode and QR code fill the paper.
TEST(CliRenderDemo, SampleReceiptIsClean)
{
    QTemporaryDir dir;
    QProcess democfg;
    democfg.start(QStringLiteral(TARVIK_DEMOCFG), {dir.filePath("demo"), "127.0.0.1", "9100"});
    ASSERT_TRUE(democfg.waitForFinished() && democfg.exitCode() == 0);
    const QString out = dir.filePath("sample.png");
    const CliOutcome outcome = RunCli({"--config", dir.filePath("demo/rvcfg.ini"), "--render", out,
                                       "--send-cmd", "打印示例小票"});
    ExpectOutcome(outcome, 0, "");
    EXPECT_EQ(outcome.err, "");
    EXPECT_GT(QImage(out).height(), 400);
}

TEST(CliRenderArgs, RefusesAnUnknownPaper)
{
    ExpectOutcome(RunCli({"--render", "x.png", "--paper", "57", "--send-text", "a"}), 4,
                  "expects 58 or 80");
}

} // namespace
