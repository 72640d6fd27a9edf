// The box text boundary: every byte string survives the trip bytes -> engine
// rendering -> box text -> GBK text -> bytes, checked exhaustively for single
// bytes and double-byte pairs.
#include "boxtext.h"
#include "convert.h"
#include "support/bytes_diff.h"

#include <QByteArray>
#include <QStringEncoder>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

std::string Str(std::initializer_list<int> bytes)
{
    std::string text;
    for (int b : bytes)
        text.push_back(static_cast<char>(b));
    return text;
}

// GBK text of a box text; fails the test on an encoding error.
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

// Data bytes as the box shows them in Ascii notation, and read back.
std::string ThroughAsciiBox(std::string_view data)
{
    ByteString rendering;
    BytesToAscii(bytes_diff::AsBytes(data), rendering);
    return AsciiBytes(GbkOf(BoxTextFromGbk(rendering.view())));
}

std::string ThroughHexBox(std::string_view data)
{
    ByteString rendering;
    BytesToHex(bytes_diff::AsBytes(data), rendering);
    ByteString bytes;
    HexToBytes(GbkOf(BoxTextFromGbk(rendering.view())), bytes);
    return std::string(bytes.view());
}

TEST(BoxText, GbkCodecIsAvailable)
{
    ASSERT_TRUE(GbkCodecAvailable()) << "Qt offers no GBK converter (ICU missing?)";
}

TEST(BoxText, EverySingleByteRoundTripsInEveryContext)
{
    const std::vector<std::string> contexts[] = {{"", ""},
                                                 {"A", "B"},
                                                 {"\r", "\n"},
                                                 {"\n", "\r"},
                                                 {Str({0xB0, 0xA1}), Str({0xB0})},
                                                 {Str({0xB0}), Str({0xA1, 0x41})},
                                                 {"<\\x", ">"},
                                                 {"\t", "\x1b"}};
    for (const auto &context : contexts) {
        for (int b = 0; b < 256; ++b) {
            const std::string data = context[0] + Str({b}) + context[1];
            EXPECT_TRUE(SameBytes(data, ThroughAsciiBox(data))) << "byte " << b;
            EXPECT_TRUE(SameBytes(data, ThroughHexBox(data))) << "byte " << b;
        }
    }
}

TEST(BoxText, EveryDoubleBytePairRoundTrips)
{
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            const std::string pair = Str({lead, trail});
            // Raw as GBK text (a file, or a pasted text) and as data bytes.
            const std::string gbk = GbkOf(BoxTextFromGbk(pair));
            ASSERT_EQ(AsciiBytes(gbk), pair) << std::hex << lead << " " << trail;
            ASSERT_EQ(ThroughAsciiBox(pair), pair) << std::hex << lead << " " << trail;
            ASSERT_EQ(ThroughAsciiBox("x" + pair + "\r\n"), "x" + pair + "\r\n");
        }
    }
}

// The boundary's own tables must agree with Qt's converter: the characters
// shown for all valid pairs, encoded by Qt in one go, give the pairs back.
TEST(BoxText, PairsShowAsTheCharactersQtEncodesBack)
{
    QString shown;
    QByteArray pairs;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F)
                continue; // not a trail byte in GBK
            const QString box = BoxTextFromGbk(Str({lead, trail}));
            ASSERT_EQ(box.size(), 1) << std::hex << lead << " " << trail;
            shown += box;
            pairs.append(static_cast<char>(lead)).append(static_cast<char>(trail));
        }
    }
    QStringEncoder encoder("GBK");
    const QByteArray encoded = encoder.encode(shown);
    EXPECT_FALSE(encoder.hasError());
    EXPECT_TRUE(encoded == pairs);
    EXPECT_EQ(GbkOf(shown), pairs.toStdString());
}

TEST(BoxText, BytesTheBoxCannotShowAreEscapes)
{
    EXPECT_EQ(BoxTextFromGbk(Str({0x41, 0x00, 0x07, 0xFF})), u"A<\\x00><\\x07><\\xFF>");
    // A lead byte with a trail GBK does not pair with: the lead is escaped,
    // the other byte is a character of its own.
    EXPECT_EQ(BoxTextFromGbk(Str({0xB0, 0x7F})), u"<\\xB0>\x7F");
    EXPECT_EQ(BoxTextFromGbk(Str({0xB0, 0x0D, 0x0A})), u"<\\xB0>\n");
    EXPECT_EQ(BoxTextFromGbk(Str({0xB0})), u"<\\xB0>");
    // 0x80 is the euro sign in this code page and a character of its own.
    EXPECT_EQ(BoxTextFromGbk(Str({0x80})), u"\u20AC");
    EXPECT_EQ(GbkOf(u"\u20AC"), Str({0x80}));
}

TEST(BoxText, ControlCharactersPassUnchanged)
{
    const std::string gbk = Str({0x08, 0x09, 0x0B, 0x0C, 0x1B, 0x1F, 0x20, 0x7F});
    EXPECT_EQ(BoxTextFromGbk(gbk), QString::fromLatin1(gbk));
    EXPECT_EQ(GbkOf(BoxTextFromGbk(gbk)), gbk);
}

TEST(BoxText, LineBreaksAndLoneCrLf)
{
    EXPECT_EQ(BoxTextFromGbk("a\r\nb"), u"a\nb");
    EXPECT_EQ(BoxTextFromGbk("a\rb\nc"), u"a\u240Db\u240Ac");
    EXPECT_EQ(BoxTextFromGbk("\r\r\n\n\r"), u"\u240D\n\u240A\u240D");
    EXPECT_EQ(GbkOf(u"\u240D\n\u240A\u240D"), "\r\r\n\n\r");
    // Enter in a box, and the document's own separators, are CR LF.
    EXPECT_EQ(GbkOf(u"a\nb\u2028c\u2029"), "a\r\nb\r\nc\r\n");
}

TEST(BoxText, ChineseTextEncodesToGbk)
{
    // "中文" is D6 D0 CE C4 in GBK.
    EXPECT_EQ(GbkOf(u"A\u4E2D\u6587B"), Str({'A', 0xD6, 0xD0, 0xCE, 0xC4, 'B'}));
    EXPECT_EQ(BoxTextFromGbk(Str({0xD6, 0xD0, 0xCE, 0xC4})), u"\u4E2D\u6587");
}

TEST(BoxText, CharacterOutsideGbkIsAnErrorAtItsByteOffset)
{
    ByteString out = ByteString::Copy(std::string_view("kept"));
    // Thai ko kai: no GBK encoding; it stands after 'A', 中 (2 bytes), CR LF.
    const ConvResult result = GbkFromBoxText(u"A\u4E2D\n\u0E01B", out);
    ASSERT_TRUE(IsConvError(result));
    EXPECT_EQ(ConvErrorIndex(result), 5u);
    EXPECT_EQ(out.view(), "kept");
    EXPECT_EQ(ByteOffsetToCharPos(u"A\u4E2D\n\u0E01B", 5), 3);

    // A character outside the BMP (a surrogate pair), and a lone surrogate.
    EXPECT_EQ(GbkFromBoxText(u"AB\U0001F600", out), -3);
    EXPECT_EQ(GbkFromBoxText(QString(QChar(u'\xD800')), out), -1);
    EXPECT_EQ(GbkFromBoxText(QString(), out), 0);
    EXPECT_EQ(out.view(), "kept");
}

TEST(BoxText, ByteOffsetsMapToTheCharacterCoveringThem)
{
    // Bytes: A | D6 D0 | B | CR LF | C
    const QString text = u"A\u4E2DB\nC"_qs;
    const qsizetype expected[] = {0, 1, 1, 2, 3, 3, 4, 5, 5};
    for (std::size_t offset = 0; offset < std::size(expected); ++offset)
        EXPECT_EQ(ByteOffsetToCharPos(text, offset), expected[offset]) << "offset " << offset;
    // After a character outside GBK (counted as one byte, surrogate pair
    // as one character).
    EXPECT_EQ(ByteOffsetToCharPos(u"\U0001F600X", 1), 2);
    EXPECT_EQ(ByteOffsetToCharPos(QString(), 0), 0);
}

TEST(BoxText, EngineErrorInHexTextSelectsTheBadCharacter)
{
    // A full-width comma is reported by the engine at its first byte.
    const QString box = u"41 \uFF0C42"_qs;
    ByteString bytes;
    const ConvResult result = HexToBytes(GbkOf(box), bytes);
    ASSERT_TRUE(IsConvError(result));
    EXPECT_EQ(ConvErrorIndex(result), 3u);
    EXPECT_EQ(ByteOffsetToCharPos(box, ConvErrorIndex(result)), 3);
}

TEST(BoxText, RandomDataRoundTrips)
{
    std::mt19937 random(20261206);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(1, 400);
    for (int round = 0; round < 2000; ++round) {
        std::string data(static_cast<std::size_t>(length(random)), '\0');
        for (char &ch : data)
            ch = static_cast<char>(byte(random));
        ASSERT_TRUE(SameBytes(data, ThroughAsciiBox(data))) << "round " << round;
        ASSERT_TRUE(SameBytes(data, ThroughHexBox(data))) << "round " << round;
        // Raw text (not an engine rendering) keeps its Ascii reading.
        ASSERT_TRUE(SameBytes(AsciiBytes(data), AsciiBytes(GbkOf(BoxTextFromGbk(data)))));
    }
}

} // namespace
