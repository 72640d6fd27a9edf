// The box text boundary: bytes -> engine rendering -> box text -> GBK text
// -> bytes, exhaustively for single bytes and double-byte pairs.
#include "convert/boxtext.h"
#include "convert/convert.h"
#include "support/bytes_diff.h"

#include <QByteArray>
#include <QStringDecoder>
#include <QStringEncoder>

#include <gtest/gtest.h>

#include <string>

namespace {

using bytes_diff::Escaped;
using namespace std::string_literals;

std::string GbkOf(QStringView boxText)
{
    ByteString gbk;
    const ConvResult result = GbkFromBoxText(boxText, gbk);
    EXPECT_FALSE(IsConvError(result)) << "error at byte " << ConvErrorIndex(result);
    return std::string(gbk.view());
}

std::string AsciiBytes(std::string_view text)
{
    ByteString bytes;
    AsciiToBytes(text, bytes);
    return std::string(bytes.view());
}

// The data in a box in hex or Ascii notation, read back.
std::string ThroughBox(std::string_view data, bool hex = false)
{
    ByteString rendering;
    hex ? BytesToHex(bytes_diff::AsBytes(data), rendering)
        : BytesToAscii(bytes_diff::AsBytes(data), rendering);
    const std::string gbk = GbkOf(BoxTextFromGbk(rendering.view()));
    ByteString bytes;
    hex ? HexToBytes(gbk, bytes) : AsciiToBytes(gbk, bytes);
    return std::string(bytes.view());
}

TEST(BoxText, EverySingleByteRoundTripsInEveryContext)
{
    const std::pair<std::string, std::string> contexts[] = {
        {"", ""},      {"A", "B"},           {"\r", "\n"},
        {"\n", "\r"},  {"\xB0\xA1", "\xB0"}, {"\xB0", "\xA1\x41"},
        {"<\\x", ">"}, {"\t", "\x1b"}};
    for (const auto &[before, after] : contexts) {
        for (int b = 0; b < 256; ++b) {
            const std::string data = before + char(b) + after;
            EXPECT_TRUE(SameBytes(data, ThroughBox(data))) << "byte " << b;
            EXPECT_TRUE(SameBytes(data, ThroughBox(data, true))) << "byte " << b;
        }
    }
}

// Every pair round-trips as GBK text and as data; the characters shown for
// the valid pairs, encoded by Qt's own converter, give the pairs back. Pairs
// that Qt decodes to the private-use area, which no font shows, are shown as
// escapes (the trail as itself when it is an ASCII character), and the
// private-use character itself, pasted into a box, still encodes.
TEST(BoxText, EveryDoubleBytePairRoundTrips)
{
    QString shown;
    QByteArray pairs;
    int privateUse = 0;
    QStringDecoder decoder("GBK");
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            SCOPED_TRACE(testing::Message() << std::hex << lead << " " << trail);
            const std::string pair{char(lead), char(trail)};
            const QString box = BoxTextFromGbk(pair);
            ASSERT_EQ(AsciiBytes(GbkOf(box)), pair);
            ASSERT_EQ(ThroughBox(pair), pair);
            ASSERT_EQ(ThroughBox("x" + pair + "\r\n"), "x" + pair + "\r\n");
            const QString qt = decoder.decode(QByteArrayView(pair.data(), 2));
            if (qt.size() == 1 && qt[0].unicode() >= 0xE000 && qt[0].unicode() <= 0xF8FF) {
                const std::string trailText =
                    trail < 0x80 ? std::string(1, char(trail)) : Escaped(uint8_t(trail));
                ASSERT_EQ(box.toStdString(), Escaped(uint8_t(lead)) + trailText);
                ASSERT_EQ(GbkOf(qt), pair);
                ++privateUse;
            } else if (trail != 0x7F) {
                ASSERT_EQ(box.size(), 1);
                shown += box;
                pairs.append(pair.data(), 2);
            }
        }
    }
    EXPECT_GT(privateUse, 0); // the rows above are not vacuous
    QStringEncoder encoder("GBK");
    EXPECT_TRUE(encoder.encode(shown) == pairs);
    EXPECT_FALSE(encoder.hasError());
    EXPECT_EQ(GbkOf(u"A\u4E2D\u6587B"), "A\xD6\xD0\xCE\xC4"s + "B");
}

TEST(BoxText, CharacterOutsideGbkIsAnErrorAtItsByteOffset)
{
    ByteString out = ByteString::Copy(std::string_view("kept"));
    // Thai ko kai stands after 'A', 中 (2 bytes), CR LF.
    EXPECT_EQ(GbkFromBoxText(u"A\u4E2D\n\u0E01B", out), -6);
    EXPECT_EQ(GbkFromBoxText(u"AB\U0001F600", out), -3);
    EXPECT_EQ(GbkFromBoxText(QString(QChar(u'\xD800')), out), -1);
    EXPECT_EQ(GbkFromBoxText(QString(), out), 0);
    EXPECT_EQ(out.view(), "kept");
}

TEST(BoxText, ByteOffsetsMapToTheCharacterCoveringThem)
{
    const QString text = u"A\u4E2DB\nC"_qs; // A | D6 D0 | B | CR LF | C
    const qsizetype expected[] = {0, 1, 1, 2, 3, 3, 4, 5, 5};
    for (std::size_t offset = 0; offset < std::size(expected); ++offset)
        EXPECT_EQ(ByteOffsetToCharPos(text, offset), expected[offset]) << "offset " << offset;
    EXPECT_EQ(ByteOffsetToCharPos(u"A\u4E2D\n\u0E01B", 5), 3);
    EXPECT_EQ(ByteOffsetToCharPos(u"\U0001F600X", 1), 2);
    EXPECT_EQ(ByteOffsetToCharPos(QString(), 0), 0);
}

} // namespace
