// Text notation in every code page and the box text boundary: known
// renderings, the round trip of any bytes through the engine and a box, input
// errors, GBK unchanged, and bytes -> engine rendering -> box text -> GBK text
// -> bytes, exhaustively for single bytes and double-byte pairs.
#include "convert/boxtext.h"
#include "convert/codepagetext.h"
#include "convert/convert.h"
#include "support/bytes_diff.h"

#include <QByteArray>
#include <QStringDecoder>
#include <QStringEncoder>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>

namespace {

using bytes_diff::AsBytes;
using bytes_diff::Escaped;
using namespace std::string_literals;

std::string Rendering(CodePageId page, std::string_view data)
{
    ByteString text;
    BytesToAscii(AsBytes(data), text, RulesOf(page));
    return std::string(text.view());
}

TEST(CodePage, KnownRenderings)
{
    // The page, the bytes, and the text shown (in UTF-8).
    const std::tuple<const char *, std::string, const char *> rows[] = {
        {"PC858", "Caf\x82 5 \xD5", "Café 5 €"},
        {"Windows-1252", "Caf\xE9 \x80", "Café €"},
        {"UTF-8", "Gr\xC3\xBC\xC3\x9F\x65", "Grüße"},
        {"Shift-JIS", "\x93\xFA\x96\x7B", "日本"},
        {"Shift-JIS", "\xB1\xB2", "ｱｲ"},
        {"Big5", "\xA5\x78\xC6\x57", "台灣"},
        {"PC866", "\x8F\xE0\xA8\xA2\xA5\xE2", "Привет"},
        {"EUC-KR", "\xC7\xD1", "한"},
        {"ISO-8859-15", "\xA4", "€"},
        {"ISO-8859-1", "\xA4\x85", "¤<\\x85>"},
        {"UTF-8", "A\xFF\x42", "A<\\xFF>B"},
        {"UTF-8", "\xC0\x80", "<\\xC0><\\x80>"},
        {"UTF-8", "\xE0\x85\xA0", "<\\xE0><\\x85><\\xA0>"},
        {"UTF-8", "\xED\xA0\x80", "<\\xED><\\xA0><\\x80>"},
        {"UTF-8", "x\xE6\x97", "x<\\xE6><\\x97>"},
        {"UTF-8", "\xF0\x9F\x98\x80", "😀"},
        {"UTF-8", std::string("\x00\x07\x08", 3), "<\\x00><\\x07>\x08"},
        {"Shift-JIS", "\x93 ", "<\\x93> "},
        {"Shift-JIS", "\x93<\\x41>", "<\\x93><\\x41>"},
        {"PC437", "\xFF", "<\\xFF>"},
    };
    for (const auto &[name, bytes, shown] : rows) {
        SCOPED_TRACE(std::string(name) + " " + shown);
        const auto page = CodePageFromName(name);
        ASSERT_TRUE(page.has_value());
        ASSERT_TRUE(CodePageAvailable(*page));
        EXPECT_EQ(BoxTextFromBytes(*page, Rendering(*page, bytes)), QString::fromUtf8(shown));
    }
}

// Data a page's rules must take apart: its characters whole and truncated,
// random bytes, and malformed UTF-8 (overlong, surrogate, beyond U+10FFFF).
std::string MakeData(CodePageId page, std::mt19937 &random, std::size_t pieces)
{
    static const char *const kMalformed[] = {"\xC0\x80", "\xE0\x85\xA0", "\xED\xA0\x80",
                                             "\xF4\x90\x80\x80", "\xF0\x8F\xBF\xBF"};
    std::string data;
    for (std::size_t k = 0; k < pieces; ++k) {
        std::string character = "A";
        for (int tries = 0; tries < 64; ++tries) {
            const char32_t ch = random() % (random() % 2 ? 0x800 : 0x30000);
            uint8_t bytes[4];
            if (const std::size_t count = EncodeChar(page, ch, bytes); count != 0) {
                character.assign(reinterpret_cast<const char *>(bytes), count);
                break;
            }
        }
        const unsigned kind = random() % 5;
        data += kind == 0   ? std::string(1, static_cast<char>(random()))
                : kind == 1 ? character.substr(0, character.size() - 1)
                : kind == 2 ? kMalformed[random() % std::size(kMalformed)]
                            : character;
    }
    return data;
}

std::string AsciiBytes(std::string_view text)
{
    ByteString bytes;
    AsciiToBytes(text, bytes);
    return std::string(bytes.view());
}

// The rendering as the rules define it, one character at a time.
std::string CharByCharRendering(CodePageId page, std::string_view data)
{
    std::string text;
    for (std::size_t i = 0; i < data.size();) {
        const std::size_t length = ShownCharLength(RulesOf(page), AsBytes(data.substr(i)));
        if (length != 0) {
            text += data.substr(i, length);
            i += length;
            continue;
        }
        text += bytes_diff::Escaped(static_cast<uint8_t>(data[i++]));
    }
    return text;
}

// Rendered from the bytes and from their hex text as the rules define it;
// through a box unchanged (GBK's box may escape a pair more, which reads
// back the same); read back as the data itself reads.
void ExpectRoundTrip(CodePageId page, const std::string &data)
{
    const std::string rendering = Rendering(page, data);
    ASSERT_TRUE(SameBytes(CharByCharRendering(page, data), rendering));
    ByteString hex;
    BytesToHex(AsBytes(data), hex);
    ByteString viaHex;
    HexToAscii(hex.view(), viaHex, RulesOf(page));
    ASSERT_TRUE(SameBytes(rendering, viaHex.view()));
    ByteString typed;
    BytesFromBoxText(page, BoxTextFromBytes(page, rendering), typed);
    if (page != CodePageId::Gbk) {
        ASSERT_TRUE(SameBytes(rendering, typed.view()));
    }
    ASSERT_TRUE(SameBytes(AsciiBytes(data), AsciiBytes(typed.view())));
}

TEST(CodePage, AnyBytesComeBackThroughTheBox)
{
    for (const CodePageName &name : CodePageNames()) {
        for (unsigned seed = 1; seed <= 200; ++seed) {
            SCOPED_TRACE(std::string(name.name) + " seed " + std::to_string(seed));
            std::mt19937 random(seed);
            ASSERT_NO_FATAL_FAILURE(
                ExpectRoundTrip(name.id, MakeData(name.id, random, 1 + seed % 40)));
        }
    }
}

// Long data in which text and binary stretches alternate, so that blocks
// decided either way follow each other with characters across them.
TEST(CodePage, LongMixedDataComesBack)
{
    for (const CodePageName &name : CodePageNames()) {
        for (unsigned seed = 1; seed <= 12; ++seed) {
            SCOPED_TRACE(std::string(name.name) + " seed " + std::to_string(seed));
            std::mt19937 random(seed);
            std::string data;
            while (data.size() < 8192) {
                data += MakeData(name.id, random, 1 + random() % 60);
                data += std::string(random() % 150, static_cast<char>('a' + random() % 26));
            }
            ASSERT_NO_FATAL_FAILURE(ExpectRoundTrip(name.id, data));
        }
    }
}

TEST(CodePage, UnencodableCharacterIsAnErrorAtItsByte)
{
    // The page, the text, and the byte offset and character of the error.
    const std::tuple<CodePageId, const char *, std::size_t, qsizetype> rows[] = {
        {CodePageId::Pc437, "ab€", 2, 2},
        {CodePageId::Pc858, "€\n日", 3, 2},
        {CodePageId::ShiftJis, "日本€x", 4, 2},
        {CodePageId::Windows1252, "\u00A0", 0, 0},
    };
    for (const auto &[page, utf8, byte, character] : rows) {
        SCOPED_TRACE(utf8);
        ByteString out = ByteString::Copy(std::string_view("kept"));
        const QString text = QString::fromUtf8(utf8);
        const ConvResult result = BytesFromBoxText(page, text, out);
        ASSERT_TRUE(IsConvError(result)) << result;
        EXPECT_EQ(ConvErrorIndex(result), byte);
        EXPECT_EQ(out.view(), "kept");
        EXPECT_EQ(ByteOffsetToCharPos(page, text, byte), character);
    }
}

TEST(CodePage, NamesAndSingleByteCharacters)
{
    EXPECT_EQ(CodePageFromName("shift_jis"), CodePageId::ShiftJis);
    EXPECT_EQ(CodePageFromName("ibm00858"), CodePageId::Pc858);
    EXPECT_EQ(CodePageFromName("utf8"), CodePageId::Utf8);
    EXPECT_FALSE(CodePageFromName("klingon").has_value());
    const std::tuple<CodePageId, uint8_t, char32_t> rows[] = {
        {CodePageId::Pc437, 0x82, U'é'}, {CodePageId::Pc437, 0xDB, U'█'},
        {CodePageId::Pc850, 0xD5, U'ı'}, {CodePageId::Pc858, 0xD5, U'€'},
        {CodePageId::Pc866, 0x80, U'А'}, {CodePageId::Windows1252, 0x80, U'€'},
        {CodePageId::Utf8, 0x41, 0},     {CodePageId::ShiftJis, 0xB1, 0},
    };
    for (const auto &[page, byte, ch] : rows)
        EXPECT_EQ(CharOfSingleByte(page, byte), ch) << NameOfCodePage(page) << " " << int(byte);
}

// GBK through the rules' own path (not the GBK block code) gives the GBK
// rendering byte for byte, and choosing GBK gives the GBK operation.
TEST(CodePage, GbkChosenIsTheGbkRendering)
{
    std::mt19937 random(22);
    std::string data(1u << 20, '\0');
    for (char &b : data)
        b = static_cast<char>(random());
    ByteString gbk;
    BytesToAscii(AsBytes(data), gbk);
    CodePageRules byRules = GbkRules();
    byRules.kind = SequenceKind::DoubleByte;
    ByteString generic;
    BytesToAscii(AsBytes(data), generic, byRules);
    EXPECT_TRUE(SameBytes(gbk.view(), generic.view()));
    EXPECT_TRUE(SameBytes(gbk.view(), Rendering(CodePageId::Gbk, data)));
}

std::string GbkOf(QStringView boxText)
{
    ByteString gbk;
    const ConvResult result = GbkFromBoxText(boxText, gbk);
    EXPECT_FALSE(IsConvError(result)) << "error at byte " << ConvErrorIndex(result);
    return std::string(gbk.view());
}

// The data in a box in hex or Ascii notation, read back.
std::string ThroughBox(std::string_view data, bool hex = false)
{
    ByteString rendering;
    hex ? BytesToHex(AsBytes(data), rendering) : BytesToAscii(AsBytes(data), rendering);
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
