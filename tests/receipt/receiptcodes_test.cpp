// Barcodes and 2D codes read back with ZXing-C++ from the rendered receipt:
// the decoded symbology and contents are what was sent.
#include "receipttesting.h"

#include <QPainter>
#include <ZXing/ReadBarcode.h>
#include <numeric>

using namespace ReceiptTesting;

namespace {

using ZXing::BarcodeFormat;

constexpr int kQuiet = 40; // white dots added around the paper for the reader

ZXing::Result Decode(const QImage &receipt, BarcodeFormat format)
{
    QImage page(receipt.width() + 2 * kQuiet, receipt.height() + 2 * kQuiet,
                QImage::Format_Grayscale8);
    page.fill(255);
    QPainter(&page).drawImage(kQuiet, kQuiet, receipt);
    const ZXing::ImageView view(page.constBits(), page.width(), page.height(),
                                ZXing::ImageFormat::Lum, static_cast<int>(page.bytesPerLine()));
    return ZXing::ReadBarcode(view, ZXing::DecodeHints().setFormats(format).setTryHarder(true));
}

// Short data: six-dot modules must still fit the 576 dots of the paper.
struct BarcodeRow
{
    const char *name;
    int formA; // GS k m with NUL-ended data; -1 when the type has no such form
    int formB; // GS k m with a length byte
    std::string data;
    BarcodeFormat format;
    std::string text; // as the reader gives it back
};

const BarcodeRow kBarcodes[] = {
    {"UpcA", 0, 65, "01234567890", BarcodeFormat::UPCA, "012345678905"},
    {"UpcAWithCheck", 0, 65, "012345678905", BarcodeFormat::UPCA, "012345678905"},
    {"UpcE", 1, 66, "0123456", BarcodeFormat::UPCE, "01234565"},
    {"Ean13", 2, 67, "590123412345", BarcodeFormat::EAN13, "5901234123457"},
    {"Ean8", 3, 68, "9638507", BarcodeFormat::EAN8, "96385074"},
    {"Code39", 4, 69, "T-3 $", BarcodeFormat::Code39, "T-3 $"},
    {"Itf", 5, 70, "12345678", BarcodeFormat::ITF, "12345678"},
    {"Codabar", 6, 71, "A40156B", BarcodeFormat::Codabar, "40156"},
    {"Code93", -1, 72, "C93 X", BarcodeFormat::Code93, "C93 X"},
    {"Code128", -1, 73, "{BTk{C1234", BarcodeFormat::Code128, "Tk1234"},
    {"Code128Brace", -1, 73, "{Ba{{b", BarcodeFormat::Code128, "a{b"},
};

// The row, the m of GS k m (below 65 the NUL-ended form) and the module width.
using BarcodeCase = std::tuple<BarcodeRow, int, int>;
using BarcodeTest = testing::TestWithParam<BarcodeCase>;

TEST_P(BarcodeTest, ReadsBack)
{
    const auto &[row, m, module] = GetParam();
    const QByteArray data = QByteArray::fromStdString(row.data);
    const QByteArray bytes = Bytes({0x1d, 'w', module, 0x1d, 'h', 60, 0x1b, 'a', 1, 0x1d, 'k', m}) +
                             (m < 65 ? data + '\0' : char(data.size()) + data);
    const Receipt::Receipt receipt = RenderOne(bytes);
    EXPECT_TRUE(receipt.report.empty()) << Report(receipt);
    const ZXing::Result result = Decode(receipt.image, row.format);
    ASSERT_TRUE(result.isValid()) << ZXing::ToString(row.format);
    EXPECT_EQ(result.text(), row.text);
    EXPECT_EQ(receipt.image.height(), 60);
}

std::vector<BarcodeCase> AllBarcodes()
{
    std::vector<BarcodeCase> cases;
    for (const BarcodeRow &row : kBarcodes)
        for (int module = 2; module <= 6; ++module) {
            if (row.formA >= 0)
                cases.push_back({row, row.formA, module});
            cases.push_back({row, row.formB, module});
        }
    return cases;
}

std::string CaseName(const testing::TestParamInfo<BarcodeCase> &info)
{
    const auto &[row, m, module] = info.param;
    return std::string(row.name) + (m < 65 ? "A" : "B") + std::to_string(module);
}

INSTANTIATE_TEST_SUITE_P(Types, BarcodeTest, testing::ValuesIn(AllBarcodes()), CaseName);

using HriTest = testing::TestWithParam<int>;

// The human-readable text prints above, below or both, and the bars still read.
TEST_P(HriTest, TextBesideBars)
{
    const int position = GetParam();
    const QByteArray bars = Bytes({0x1d, 'h', 50, 0x1d, 'k', 73, 7, '{', 'B'}) + "HRI-1";
    const QImage image = Render(Bytes({0x1d, 'H', position}) + bars);
    const int text = position == 0 ? 0 : position == 3 ? 48 : 24;
    EXPECT_EQ(image.height(), 50 + text);
    const int barsTop = position & 1 ? 24 : 0;
    EXPECT_TRUE(SameDots(Render(bars), image.copy(0, barsTop, 576, 50)));
    EXPECT_EQ(!BlackBox(image, QRect(0, 0, 576, barsTop)).isNull(), (position & 1) != 0);
    EXPECT_EQ(!BlackBox(image, QRect(0, barsTop + 50, 576, 24)).isNull(), (position & 2) != 0);
    EXPECT_EQ(Decode(image, BarcodeFormat::Code128).text(), "HRI-1");
}

INSTANTIATE_TEST_SUITE_P(Positions, HriTest, testing::Values(0, 1, 2, 3, '2'));

// GS ( k for 2D code `kind` ('1' QR, '0' PDF417), function `fn`.
QByteArray CodeFn(char kind, char fn, const QByteArray &parameters)
{
    const int length = static_cast<int>(parameters.size()) + 2;
    return Bytes({0x1d, '(', 'k', length & 0xff, length >> 8, kind, fn}) + parameters;
}

QByteArray QrBytes(const QByteArray &data, int level, int module)
{
    return CodeFn('1', 'C', Bytes({module})) + CodeFn('1', 'E', Bytes({'0' + level})) +
           CodeFn('1', 'P', "0" + data) + CodeFn('1', 'Q', "0");
}

using QrCase = std::tuple<int, int, QByteArray>; // level, module, data
using QrTest = testing::TestWithParam<QrCase>;

// Text, GBK and binary data come back byte for byte at every level and size.
TEST_P(QrTest, ReadsBack)
{
    const auto &[level, module, data] = GetParam();
    const Receipt::Receipt receipt = RenderOne(QrBytes(data, level, module));
    EXPECT_TRUE(receipt.report.empty()) << Report(receipt);
    const ZXing::Result result = Decode(receipt.image, BarcodeFormat::QRCode);
    ASSERT_TRUE(result.isValid());
    const ZXing::ByteArray &bytes = result.bytes();
    EXPECT_EQ(
        QByteArray(reinterpret_cast<const char *>(bytes.data()), static_cast<int>(bytes.size())),
        data);
    EXPECT_EQ(result.ecLevel(), std::string(1, "LMQH"[level]));
    EXPECT_EQ(receipt.image.height() % module, 0);
}

std::vector<QrCase> AllQr()
{
    QByteArray allBytes(256, 0);
    std::iota(allBytes.begin(), allBytes.end(), 0);
    std::vector<QrCase> cases{{1, 4, "\xd6\xd0\xce\xc4\xca\xd5\xbe\xdd 12.50"}, {1, 4, allBytes}};
    for (int level = 0; level < 4; ++level)
        for (int module = 3; module <= 8; ++module)
            cases.push_back({level, module, "https://tarvik.example/receipt?id=0042&total=12.50"});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(LevelsAndSizes, QrTest, testing::ValuesIn(AllQr()));

TEST(Pdf417Test, ReadsBack)
{
    const QByteArray data("Tarvik PDF417 0123456789");
    const QByteArray bytes = CodeFn('0', 'A', Bytes({4})) + CodeFn('0', 'C', Bytes({3})) +
                             CodeFn('0', 'E', "03") + CodeFn('0', 'P', "0" + data) +
                             CodeFn('0', 'Q', "0");
    const Receipt::Receipt receipt = RenderOne(bytes);
    EXPECT_TRUE(receipt.report.empty()) << Report(receipt);
    const ZXing::Result result = Decode(receipt.image, BarcodeFormat::PDF417);
    ASSERT_TRUE(result.isValid());
    EXPECT_EQ(result.text(), data.toStdString());
}

TEST(BarcodeWidthTest, WiderThanThePaperIsReportedNotPrinted)
{
    const Receipt::Receipt receipt =
        RenderOne(Bytes({0x1d, 'w', 6, 0x1d, 'k', 73, 20, '{', 'B'}) + "ABCDEFGHIJKLMNOPQR", 384);
    EXPECT_EQ(Report(receipt), "offset 3: 1D 6B 49 14 7B 42 41 42 43 44 45 46 47 48 49 4A: bad "
                               "parameter: wider than the print area\n");
    EXPECT_TRUE(BlackBox(receipt.image).isNull());
}

} // namespace
