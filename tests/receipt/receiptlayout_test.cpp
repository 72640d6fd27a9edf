// Text layout checked against the rules a printer follows, measured on the
// rendered dots rather than compared with stored pictures.
#include "receipttesting.h"

#include <QTransform>

using namespace ReceiptTesting;

namespace {

const QByteArray kEsc("\x1b", 1);
const QByteArray kReverseOn = Bytes({0x1d, 'B', 1});

// Name, set-up, width and height scale.
using ScaleRow = std::tuple<const char *, QByteArray, int, int>;
using ScaleTest = testing::TestWithParam<ScaleRow>;

// A character scaled by GS ! or ESC ! covers exactly `scale` times the columns and rows.
TEST_P(ScaleTest, CoversScaledColumnsAndRows)
{
    const auto &[name, setup, widthScale, heightScale] = GetParam();
    const QRect normal = BlackBox(Render("W\n"));
    const QRect scaled = BlackBox(Render(setup + "W\n"));
    ASSERT_FALSE(normal.isNull());
    EXPECT_EQ(scaled.width(), normal.width() * widthScale);
    EXPECT_EQ(scaled.height(), normal.height() * heightScale);
    EXPECT_EQ(scaled.left(), normal.left() * widthScale);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ScaleTest,
                         testing::Values(ScaleRow{"DoubleWidth", Bytes({0x1d, '!', 0x10}), 2, 1},
                                         ScaleRow{"DoubleHeight", Bytes({0x1d, '!', 0x01}), 1, 2},
                                         ScaleRow{"Both", Bytes({0x1d, '!', 0x11}), 2, 2},
                                         ScaleRow{"Triple", Bytes({0x1d, '!', 0x22}), 3, 3},
                                         ScaleRow{"EightWide", Bytes({0x1d, '!', 0x70}), 8, 1},
                                         ScaleRow{"EightHigh", Bytes({0x1d, '!', 0x07}), 1, 8},
                                         ScaleRow{"PrintModeWide", Bytes({0x1b, '!', 0x20}), 2, 1},
                                         ScaleRow{"PrintModeHigh", Bytes({0x1b, '!', 0x10}), 1, 2}),
                         ByName);

// Name, set-up, text, paper, and the first and last dot of the print area.
using AlignRow = std::tuple<const char *, QByteArray, QByteArray, int, int, int>;
using AlignTest = testing::TestWithParam<AlignRow>;

// Reversed cells make the text's extent exact: centred text has equal free
// space on both sides within one dot, right-aligned text ends at the area's edge.
TEST_P(AlignTest, CentredAndRightAligned)
{
    const auto &[name, setup, text, paper, areaLeft, areaRight] = GetParam();
    const QRect centred =
        BlackBox(Render(setup + kReverseOn + kEsc + "a\x01" + text + "\n", paper));
    const QRect right = BlackBox(Render(setup + kReverseOn + kEsc + "a\x02" + text + "\n", paper));
    ASSERT_FALSE(centred.isNull());
    EXPECT_LE(std::abs((centred.left() - areaLeft) - (areaRight - centred.right())), 1);
    EXPECT_EQ(right.right(), areaRight);
    EXPECT_EQ(right.width(), centred.width());
}

INSTANTIATE_TEST_SUITE_P(
    Areas, AlignTest,
    testing::Values(AlignRow{"OneChar80", {}, "A", 576, 0, 575},
                    AlignRow{"Odd58", {}, "ABC", 384, 0, 383},
                    AlignRow{"FontB", QByteArray("\x1bM\x01"), "Hello", 576, 0, 575},
                    AlignRow{"Margin", QByteArray("\x1dL\x20\x00", 4), "Total", 576, 32, 575},
                    AlignRow{"MarginAndWidth", QByteArray("\x1dL\x10\x00\x1dW\xc8\x00", 8), "Sum 9",
                             576, 16, 215},
                    AlignRow{"Gbk", {}, "\xd6\xd0\xce\xc4", 384, 0, 383}),
    ByName);

// Name, set-up, and the dots from one line to the next.
using SpacingRow = std::tuple<std::string, QByteArray, int>;
using LineSpacingTest = testing::TestWithParam<SpacingRow>;

// ESC 3 n moves the next line n dots down (never less than the line's
// height); ESC 2 and the start are 30 dots.
TEST_P(LineSpacingTest, NextLineMovesBySpacing)
{
    const auto &[name, setup, step] = GetParam();
    const QImage image = Render(kReverseOn + setup + "A\nA\n");
    const QRect first = BlackBox(image, QRect(0, 0, 576, 24));
    EXPECT_EQ(BlackBox(image).bottom() - 23 - first.top(), step);
    EXPECT_EQ(image.height(), 2 * step);
}

std::vector<SpacingRow> Spacings()
{
    std::vector<SpacingRow> rows{{"Start", {}, 30},
                                 {"Esc2", Bytes({0x1b, '3', 50, 0x1b, '2'}), 30}};
    for (int n : {10, 24, 30, 50, 100, 255})
        rows.push_back({"Esc3n" + std::to_string(n), Bytes({0x1b, '3', n}), std::max(n, 24)});
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Spacings, LineSpacingTest, testing::ValuesIn(Spacings()), ByName);

// Name, set-up, text and the cells it prints.
using CellRow = std::tuple<const char *, QByteArray, QByteArray, QRect>;
using ReverseTest = testing::TestWithParam<CellRow>;

// Reverse turns exactly the character cells over and nothing else.
TEST_P(ReverseTest, InvertsExactlyTheCells)
{
    const auto &[name, setup, text, cells] = GetParam();
    const QImage normal = Render(setup + text + "\n");
    const QImage reversed = Render(setup + kReverseOn + text + "\n");
    ASSERT_EQ(normal.size(), reversed.size());
    for (int y = 0; y < normal.height(); ++y)
        for (int x = 0; x < normal.width(); ++x)
            ASSERT_EQ(Black(normal, x, y) != Black(reversed, x, y), cells.contains(x, y))
                << "dot " << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(
    Cells, ReverseTest,
    testing::Values(CellRow{"FontA", {}, "Ab", QRect(0, 0, 24, 24)},
                    CellRow{"FontB", QByteArray("\x1bM\x01"), "Abc", QRect(0, 0, 27, 17)},
                    CellRow{"Spacing", QByteArray("\x1b \x03"), "Ab", QRect(0, 0, 30, 24)},
                    CellRow{"Kanji", {}, "\xd6\xd0", QRect(0, 0, 24, 24)},
                    CellRow{"Positioned", QByteArray("\x1b$\x64\x00", 4), "A",
                            QRect(100, 0, 12, 24)}),
    ByName);

using UpsideDownTest = testing::TestWithParam<QByteArray>;

// An upside-down line is the normal line turned 180 degrees.
TEST_P(UpsideDownTest, EqualsTheLineTurned)
{
    const QByteArray text = GetParam();
    const QImage normal = Render(text + "\n").copy(0, 0, 576, 24);
    const QImage turned = Render(kEsc + "{\x01" + text + "\n").copy(0, 0, 576, 24);
    EXPECT_TRUE(SameDots(normal.transformed(QTransform().rotate(180)), turned));
}

INSTANTIATE_TEST_SUITE_P(Lines, UpsideDownTest,
                         testing::Values(QByteArray("Total 12.50"), Bytes({0x1b, 'a', 1}) + "Mid",
                                         QByteArray("\xd6\xd0\xce\xc4 x")));

using UnderlineRow = std::pair<QByteArray, int>; // set-up and thickness
using UnderlineTest = testing::TestWithParam<UnderlineRow>;

// Underline blackens the bottom rows of the cells, across their width.
TEST_P(UnderlineTest, BottomRowsOfTheCells)
{
    const auto &[setup, thickness] = GetParam();
    EXPECT_TRUE(BlackBox(Render("  \n")).isNull());
    EXPECT_EQ(BlackBox(Render(setup + "  \n")), QRect(0, 24 - thickness, 24, thickness));
}

INSTANTIATE_TEST_SUITE_P(Thickness, UnderlineTest,
                         testing::Values(UnderlineRow{QByteArray("\x1b-\x01"), 1},
                                         UnderlineRow{QByteArray("\x1b-2"), 2},
                                         UnderlineRow{QByteArray("\x1b!\x80"), 1}));

TEST(TextTest, EmphasisKeepsEveryDotAndAddsSome)
{
    const QImage normal = Render("Hello\n");
    const QImage bold = Render(kEsc + "E\x01" + "Hello\n");
    int added = 0;
    for (int y = 0; y < normal.height(); ++y)
        for (int x = 0; x < normal.width(); ++x) {
            ASSERT_FALSE(Black(normal, x, y) && !Black(bold, x, y));
            added += Black(bold, x, y) && !Black(normal, x, y);
        }
    EXPECT_GT(added, 10);
    EXPECT_TRUE(SameDots(bold, Render(kEsc + "G\x01" + "Hello\n")));
}

TEST(TextTest, TurnedCharacterIsTheGlyphRotatedClockwise)
{
    const QImage normal = Render("F\n").copy(0, 0, 12, 24);
    const QImage turned = Render(kEsc + "V\x01" + "F\n").copy(0, 0, 24, 12);
    EXPECT_TRUE(SameDots(normal.transformed(QTransform().rotate(90)), turned));
}

using PositionRow = std::tuple<const char *, QByteArray, int>; // name, bytes, left
using PositionTest = testing::TestWithParam<PositionRow>;

// The last character X is reversed, so its cell ends 12 dots after it starts.
TEST_P(PositionTest, CellStartsAt)
{
    const auto &[name, bytes, left] = GetParam();
    EXPECT_EQ(BlackBox(Render(kReverseOn + bytes + "\n")).right(), left + 11);
}

INSTANTIATE_TEST_SUITE_P(
    Moves, PositionTest,
    testing::Values(PositionRow{"Tab", QByteArray("\tX"), 96},
                    PositionRow{"SecondTab", QByteArray("A\t\tX"), 192},
                    PositionRow{"TabStops", Bytes({0x1b, 'D', 3, 5, 0}) + "\tX", 36},
                    PositionRow{"Absolute", QByteArray("\x1b$\x2c\x01X", 5), 300},
                    PositionRow{"Relative", QByteArray("\x1b$\x64\x00\x1b\\\xf6\xffX", 9), 90},
                    PositionRow{"Margin", QByteArray("\x1dL\x28\x00X", 5), 40}),
    ByName);

TEST(TextTest, FullLineWrapsToTheNext)
{
    const QImage image = Render(QByteArray(49, 'x') + "\n", 576);
    EXPECT_EQ(image.height(), 60);
    EXPECT_EQ(BlackBox(image, QRect(0, 30, 576, 30)).right(),
              BlackBox(image, QRect(0, 0, 12, 30)).right());
}

// Name, two byte strings, and whether they print the same.
using SameGlyphRow = std::tuple<const char *, QByteArray, QByteArray, bool>;
using CodeTableTest = testing::TestWithParam<SameGlyphRow>;

// Single bytes print the character of the ESC t table, once Kanji mode is off.
TEST_P(CodeTableTest, ByteMeansTheTablesCharacter)
{
    const auto &[name, first, second, same] = GetParam();
    const QImage a = Render("\x1c." + first + "\n");
    EXPECT_FALSE(BlackBox(a).isNull());
    EXPECT_EQ(bool(SameDots(a, Render("\x1c." + second + "\n"))), same);
}

const SameGlyphRow kTables[] = {
    {"EuroIn858And1252", "\x1bt\x13\xd5", "\x1bt\x10\x80", true},
    {"OslashIn850And858", "\x1bt\x02\x9b", "\x1bt\x13\x9b", true},
    {"CentIn437NotOslash", "\x9b", "\x1bt\x02\x9b", false},
    {"CyrillicIn866", "\x1bt\x11\x80", QByteArray("\x1bt\x00\x80", 4), false},
    {"UnknownTableIs437", "\x1bt\x63\x9b", "\x9b", true},
};

INSTANTIATE_TEST_SUITE_P(Tables, CodeTableTest, testing::ValuesIn(kTables), ByName);

TEST(TextTest, KanjiModeSwitchesPairsAndSingles)
{
    const QByteArray pair("\xd6\xd0");
    const QRect kanji = BlackBox(Render(kReverseOn + pair + "\n"));
    const QRect singles = BlackBox(Render(kReverseOn + "\x1c." + pair + "\n"));
    const QRect backOn = BlackBox(Render(kReverseOn + "\x1c.\x1c&" + pair + "\n"));
    EXPECT_EQ(kanji, QRect(0, 0, 24, 24));
    EXPECT_EQ(singles, QRect(0, 0, 24, 24));
    EXPECT_EQ(backOn, kanji);
    EXPECT_FALSE(SameDots(Render(pair + "\n"), Render("\x1c." + pair + "\n")));
}

} // namespace
