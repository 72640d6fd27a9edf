// tarvik-cli --render as CI runs it: images equal to the library's rendering
// of the same bytes, the report on standard error and the exit status.
#include "clirunner.h"
#include "receipt/receiptprinter.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString Written(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    return path;
}

bool SameDots(const QImage &a, const QImage &b)
{
    if (a.size() != b.size() || a.isNull())
        return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if ((qGray(a.pixel(x, y)) < 128) != (qGray(b.pixel(x, y)) < 128))
                return false;
    return true;
}

struct RenderRow
{
    const char *name;
    QByteArray file;
    QStringList sendsAfterFile; // further send options
    QByteArray allBytes;        // what the printer receives in total
    QStringList extra;          // --paper ...
    int width;
    int exitCode;
    std::string errHas;
};

class CliRenderTest : public testing::TestWithParam<RenderRow>
{
};

TEST_P(CliRenderTest, ImagesEqualTheLibrarysAndStatusFollowsTheReport)
{
    const RenderRow &row = GetParam();
    QTemporaryDir dir;
    const QString out = dir.filePath("out.png");
    QStringList args{"--render", out, "--send-file", Written(dir.filePath("in.bin"), row.file)};
    const CliOutcome outcome = RunCli(args + row.sendsAfterFile + row.extra);
    ExpectOutcome(outcome, row.exitCode, row.errHas);
    const std::vector<Receipt::Receipt> expected = Receipt::RenderReceipts(row.allBytes, row.width);
    std::string names;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const QString name =
            expected.size() == 1 ? out : dir.filePath(QStringLiteral("out-%1.png").arg(i + 1));
        names += name.toStdString() + "\n";
        EXPECT_TRUE(SameDots(QImage(name), expected[i].image)) << name.toStdString();
    }
    EXPECT_EQ(outcome.out, names);
}

const QByteArray kClean("\x1b@\x1d!\x11Title\n\x1d!\x00Line\n\x1dV\x00", 22);
const QByteArray kUnknown("Hello\n\x1b\x99World\n");

INSTANTIATE_TEST_SUITE_P(
    Files, CliRenderTest,
    testing::Values(RenderRow{"Clean", kClean, {}, kClean, {}, 576, 0, ""},
                    RenderRow{"Unknown",
                              kUnknown,
                              {},
                              kUnknown,
                              {},
                              576,
                              1,
                              "out.png: offset 6: 1B 99: unknown command"},
                    RenderRow{"TwoReceipts",
                              kClean + kUnknown,
                              {},
                              kClean + kUnknown,
                              {"--paper", "58"},
                              384,
                              1,
                              "out-2.png: offset 28: 1B 99: unknown command"},
                    RenderRow{"OtherSends",
                              kUnknown,
                              {"--send-hex", "1B,61,01", "--send-text", "Mid<\\x0a>"},
                              kUnknown + "\x1b\x61\x01Mid\n",
                              {},
                              576,
                              1,
                              "offset 6"},
                    RenderRow{"Passes", kClean, {"--passes", "2"}, kClean + kClean, {}, 576, 0, ""},
                    RenderRow{"BadParameterOnly",
                              QByteArray("\x1bt\x63x\n"),
                              {},
                              QByteArray("\x1bt\x63x\n"),
                              {},
                              576,
                              0,
                              "1B 74 63: bad parameter"}),
    [](const auto &row) { return std::string(row.param.name); });

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

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
