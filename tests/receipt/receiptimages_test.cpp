// Images print dot for dot: the black dots of the receipt are the pattern's,
// scaled and placed by the justification and the left margin.
#include "receipttesting.h"

using namespace ReceiptTesting;

namespace {

constexpr int kPaper = 576;

// Five rows of two bytes; the last row's low bits test the right edge.
const QByteArray kPattern = Bytes({0xF0, 0x0F, 0xAA, 0x55, 0x81, 0x18, 0xFF, 0x00, 0x3C, 0xC3});
const int kPatternBytes = static_cast<int>(kPattern.size());
constexpr int kRowBytes = 2;
constexpr int kRows = 5;

// Bit `bit` of kPattern's byte `index`, the most significant bit first.
bool PatternBit(int index, int bit)
{
    return (static_cast<uint8_t>(kPattern[index]) << bit) & 0x80;
}

bool PatternDot(int x, int y)
{
    return PatternBit(y * kRowBytes + x / 8, x % 8);
}

// A receipt of `height` rows with `dot(x, y)` (width x rows) scaled and put at x0.
template <typename Dot>
QImage Expected(int height, int x0, int width, int rows, int sx, int sy, Dot dot)
{
    QImage image(kPaper, height, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    image.fill(0);
    for (int y = 0; y < rows * sy; ++y)
        for (int x = 0; x < width * sx; ++x)
            if (dot(x / sx, y / sy))
                image.setPixel(x0 + x, y, 1);
    return image;
}

int Offset(int align, int margin, int width)
{
    const int free = kPaper - margin - width;
    return margin + (align == 1 ? free / 2 : align == 2 ? free : 0);
}

struct PlaceRow
{
    int scaling; // GS v 0 m, bit 0 double width, bit 1 double height
    int align;
    int margin;
    int longForm = 0; // 1: graphics stored by GS 8 L

    int Sx() const { return scaling & 1 ? 2 : 1; }
    int Sy() const { return scaling & 2 ? 2 : 1; }
};

using RasterTest = testing::TestWithParam<PlaceRow>;

TEST_P(RasterTest, DotsArePatternPlaced)
{
    const PlaceRow &row = GetParam();
    const int sx = row.Sx(), sy = row.Sy();
    const QByteArray bytes = Bytes({0x1d, 'L', row.margin, 0, 0x1b, 'a', row.align, 0x1d, 'v', '0',
                                    row.scaling, kRowBytes, 0, kRows, 0}) +
                             kPattern;
    const Receipt::Receipt receipt = RenderOne(bytes);
    const int x0 = Offset(row.align, row.margin, kRowBytes * 8 * sx);
    EXPECT_TRUE(SameDots(Expected(kRows * sy, x0, 16, kRows, sx, sy, PatternDot), receipt.image));
    EXPECT_TRUE(receipt.report.empty()) << Report(receipt);
}

std::vector<PlaceRow> AllPlacements()
{
    std::vector<PlaceRow> rows;
    for (int scaling = 0; scaling < 4; ++scaling)
        for (int align = 0; align < 3; ++align)
            for (int margin : {0, 40})
                rows.push_back({scaling, align, margin});
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Placements, RasterTest, testing::ValuesIn(AllPlacements()));

// ESC * m, the horizontal scale, the band height and the justification.
using BitImageRow = std::tuple<int, int, int, int>;
using BitImageTest = testing::TestWithParam<BitImageRow>;

TEST_P(BitImageTest, ColumnsArePatternPlaced)
{
    const auto [mode, sx, bandHeight, align] = GetParam();
    const int bytesPerColumn = bandHeight / 8;
    const int columns = kPatternBytes / bytesPerColumn;
    const QByteArray data = kPattern.left(columns * bytesPerColumn);
    const QImage image =
        Render(Bytes({0x1b, 'a', align, 0x1b, '*', mode, columns, 0}) + data + "\n");
    auto dot = [&](int x, int y) { return PatternBit(x * bytesPerColumn + y / 8, y % 8); };
    const int height = std::max(30, bandHeight);
    const int x0 = Offset(align, 0, columns * sx);
    EXPECT_TRUE(SameDots(Expected(height, x0, columns, bandHeight, sx, 1, dot), image));
}

INSTANTIATE_TEST_SUITE_P(Modes, BitImageTest,
                         testing::Values(BitImageRow{0, 2, 8, 0}, BitImageRow{1, 1, 8, 0},
                                         BitImageRow{32, 2, 24, 0}, BitImageRow{33, 1, 24, 0},
                                         BitImageRow{33, 1, 24, 1}, BitImageRow{1, 1, 8, 2}));

using GraphicsTest = testing::TestWithParam<PlaceRow>;

// GS ( L and GS 8 L store 12 dots wide (the bits past 12 never print), and
// GS ( L prints on request.
TEST_P(GraphicsTest, StoredThenPrinted)
{
    const PlaceRow &row = GetParam();
    const int sx = row.Sx(), sy = row.Sy();
    const int length = 10 + kPatternBytes;
    const QByteArray store = (row.longForm ? Bytes({0x1d, '8', 'L', length, 0, 0, 0})
                                           : Bytes({0x1d, '(', 'L', length, 0})) +
                             Bytes({'0', 0x70, '0', sx, sy, '1', 12, 0, kRows, 0}) + kPattern;
    const QByteArray print = Bytes({0x1d, '(', 'L', 2, 0, '0', '2'});
    const QByteArray setup = Bytes({0x1d, 'L', row.margin, 0, 0x1b, 'a', row.align});
    const Receipt::Receipt receipt = RenderOne(setup + store + "\n" + print);
    const int x0 = Offset(row.align, row.margin, 12 * sx);
    EXPECT_TRUE(SameDots(Expected(kRows * sy, x0, 12, kRows, sx, sy, PatternDot),
                         receipt.image.copy(0, 30, kPaper, kRows * sy)));
    EXPECT_TRUE(receipt.report.empty()) << Report(receipt);
}

INSTANTIATE_TEST_SUITE_P(Placements, GraphicsTest,
                         testing::Values(PlaceRow{0, 0, 0}, PlaceRow{1, 1, 0}, PlaceRow{2, 2, 8},
                                         PlaceRow{3, 0, 40}, PlaceRow{0, 0, 0, 1},
                                         PlaceRow{3, 2, 8, 1}));

TEST(NvImageTest, PlaceholderDrawnAndReported)
{
    const Receipt::Receipt receipt = RenderOne(QByteArray("ab") + Bytes({0x1c, 'p', 1, 0}));
    EXPECT_EQ(Report(receipt), "offset 2: 1C 70 01 00: NV image not held: image 1\n");
    EXPECT_FALSE(BlackBox(receipt.image, QRect(0, 24, 576, 64)).isNull());
}

} // namespace
