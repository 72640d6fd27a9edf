// Notation rules of the conversion engine as rows, the rules for the caller's
// result handle, random round trips and error positions checked against small
// reference rules, and block-boundary sweeps for the block-wise code paths.
#include "convert/convert.h"
#include "support/bytes_diff.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

using bytes_diff::AsBytes;
using namespace std::string_literals;
using bytes_diff::Escaped;
using Bytes = std::vector<uint8_t>;

// Both hex readers: the bytes (as such or rendered in Ascii notation), or
// the same error at the same index.
TEST(HexNotation, Rows)
{
    const std::pair<std::string, std::string> rows[] = {
        {"A", "\x0A"},
        {"0A", "\x0A"},
        {"100", "\x64"},
        {"255", "\xFF"},
        {"000", "\0"s},
        {"12345", "\x12\x34\x05"},
        {"1,2;3\t4\r\n5 6", "\1\2\3\4\5\6"},
        {"1 255 abcde 00", "\x01\xFF\xAB\xCD\x0E\0"s},
    };
    for (const auto &[text, expected] : rows) {
        SCOPED_TRACE(text);
        ByteString bytes;
        ASSERT_EQ(HexToBytes(text, bytes), static_cast<ConvResult>(expected.size()));
        EXPECT_TRUE(SameBytes(expected, bytes.view()));
        ByteString rendered;
        BytesToAscii(AsBytes(expected), rendered);
        ByteString ascii;
        ASSERT_EQ(HexToAscii(text, ascii), static_cast<ConvResult>(rendered.size()));
        EXPECT_TRUE(SameBytes(rendered.view(), ascii.view()));
    }
    const std::pair<std::string, int> errors[] = {
        {"00a", 2},          {"256", 0},    {"1 256", 2},        {"0FF", 1},
        {"0x41", 1},         {"12345G", 5}, {"12 4G 9999 X", 4}, {"41\xA3\xAC"s + "42", 2},
        {"41\0"s + "42", 2}, {"41\f42", 2},
    };
    for (const auto &[text, at] : errors) {
        ByteString out;
        EXPECT_EQ(HexToBytes(text, out), -at - 1) << text;
        EXPECT_EQ(HexToAscii(text, out), -at - 1) << text;
    }
}

TEST(HexNotation, SeparatorsOnlyGiveAnEmptyBufferInPlaceOfTheOldOne)
{
    for (auto convert : {HexToBytes, HexToAscii}) {
        ByteString out = ByteString::Copy(std::string_view("old"));
        EXPECT_EQ(convert(",,;; \t\r\n", out), 0);
        ASSERT_NE(out.data(), nullptr);
        EXPECT_EQ(out.size(), 0u);
        EXPECT_EQ(out.data()[0], 0);
    }
}

// Each row also read from hex text with a comma between every byte: runs of
// double-byte bytes ignore the separators.
TEST(AsciiRendering, Rows)
{
    const std::pair<std::string, std::string> rows[] = {
        {"\x00\x01\x07\x08\x09\x0A\x0D\x1B\x7F\x80\xFF"s,
         "<\\x00><\\x01><\\x07>\b\t\n\r\x1B\x7F\x80<\\xFF>"},
        {"\xB0\xA1\xB0", "\xB0\xA1<\\xB0>"},
        {"\xB0\x41", "<\\xB0>A"},
        {"\x81\x41", "<\\x81>A"},
        {"\xB0\xFF", "<\\xB0><\\xFF>"},
        {"\xB0\x80", "<\\xB0>\x80"},
        {"\x81\xFE\xFE\x81", "\x81\xFE\xFE\x81"},
        {"\xB0\0\xB0\xA1"s, "<\\xB0><\\x00>\xB0\xA1"},
        {"<\\x41>", "<\\x41>"},
    };
    for (const auto &[bytes, ascii] : rows) {
        SCOPED_TRACE(ascii);
        ByteString out;
        ASSERT_EQ(BytesToAscii(AsBytes(bytes), out), static_cast<ConvResult>(ascii.size()));
        EXPECT_TRUE(SameBytes(ascii, out.view()));
        ByteString hex;
        ASSERT_GT(BytesToHex(AsBytes(bytes), hex, ','), 0);
        ASSERT_EQ(HexToAscii(hex.view(), out), static_cast<ConvResult>(ascii.size()));
        EXPECT_TRUE(SameBytes(ascii, out.view()));
    }
}

// AsciiToHex must give the hex text of exactly the bytes AsciiToBytes reads.
TEST(AsciiNotation, EscapesAndMalformedEscapes)
{
    const std::pair<std::string, std::string> rows[] = {
        {"<\\x41>", "A"},
        {"a<\\xff>b", "a\xFF"s + "b"},
        {"<\\X41>", "<\\X41>"},
        {"<\\x4G>", "<\\x4G>"},
        {"<\\x41", "<\\x41"},
        {"<\\x41)", "<\\x41)"},
        {"<<\\x41>", "<A"},
        {"<\\x41>>", "A>"},
        {"<\\x3C>\\x41>", "<\\x41>"},
        {"\xC4\xE3\xB0\r\n\0"s, "\xC4\xE3\xB0\r\n\0"s},
    };
    for (const auto &[text, bytes] : rows) {
        SCOPED_TRACE(text);
        ByteString out;
        ASSERT_EQ(AsciiToBytes(text, out), static_cast<ConvResult>(bytes.size()));
        EXPECT_TRUE(SameBytes(bytes, out.view()));
        ByteString expectedHex;
        BytesToHex(AsBytes(bytes), expectedHex);
        ASSERT_EQ(AsciiToHex(text, out), static_cast<ConvResult>(expectedHex.size()));
        EXPECT_TRUE(SameBytes(expectedHex.view(), out.view()));
    }
}

TEST(ResultHandle, UntouchedOnInputErrorAndOnEmptyInput)
{
    ByteString held = ByteString::Copy(std::string_view("earlier"));
    const uint8_t *buffer = held.data();
    EXPECT_EQ(HexToBytes("01 0x41", held), -5);
    EXPECT_EQ(HexToAscii("01 256", held), -4);
    EXPECT_EQ(HexToBytes("", held), 0);
    EXPECT_EQ(HexToAscii(std::string_view(), held), 0);
    EXPECT_EQ(AsciiToBytes("", held), 0);
    EXPECT_EQ(AsciiToHex("", held), 0);
    EXPECT_EQ(BytesToHex({}, held), 0);
    EXPECT_EQ(BytesToAscii({}, held), 0);
    EXPECT_EQ(held.data(), buffer);
    EXPECT_EQ(held.view(), "earlier");
}

long MinorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// Results of tens of MiB come from memory that earlier results gave back,
// with whatever those left in it: every render must still be exact. From the
// third render into a handle on, the memory is the first one's again and
// needs no fresh pages (a fresh mapping of 36 MiB costs at least 18 faults,
// one per 2 MiB huge page).
TEST(ResultHandle, LargeResultsRenderedAgainAreExact)
{
    constexpr std::size_t kBytes = 12u << 20; // a hex text of 36 MiB
    std::string data(kBytes, '\0');
    std::string expected(3 * kBytes - 1, ' ');
    ByteString held;
    for (unsigned round = 0; round < 3; ++round) {
        for (std::size_t i = 0; i < kBytes; ++i) {
            data[i] = static_cast<char>((i * 7 + round * 101 + (i >> 9)) & 0xFF);
            static constexpr char kDigits[] = "0123456789ABCDEF";
            expected[3 * i] = kDigits[static_cast<uint8_t>(data[i]) >> 4];
            expected[3 * i + 1] = kDigits[static_cast<uint8_t>(data[i]) & 15];
        }
        const long faultsBefore = MinorFaults();
        ASSERT_EQ(BytesToHex(AsBytes(data), held), static_cast<ConvResult>(expected.size()));
        const long faults = MinorFaults() - faultsBefore;
        ASSERT_TRUE(SameBytes(expected, held.view())) << "round " << round;
        ASSERT_EQ(held.data()[held.size()], 0);
        if (round == 2) {
            EXPECT_LT(faults, 9);
        }
    }
}

constexpr int kRounds = 300;
constexpr std::string_view kSeparators = " \t\n\r,;";

struct Random
{
    std::mt19937 engine;
    int Below(int limit) { return std::uniform_int_distribution<int>(0, limit - 1)(engine); }
    // Uniform bytes, or (tricky) mostly escape characters, controls, 0xFF
    // and double-byte bytes.
    Bytes Data(int maxLength, bool tricky = false)
    {
        static constexpr uint8_t kPool[] = {'<',  '\\', 'x',  '>',  'A',  '4',  0x00,
                                            0x07, 0x08, 0x0D, 0x0A, 0x7F, 0x80, 0x81,
                                            0xB0, 0xA1, 0xC4, 0xFE, 0xFF, ' ',  'G'};
        Bytes bytes(1 + static_cast<std::size_t>(Below(maxLength)));
        for (auto &b : bytes)
            b = tricky && Below(4) ? kPool[Below(sizeof kPool)] : static_cast<uint8_t>(Below(256));
        return bytes;
    }
    std::string Separators()
    {
        std::string run(1 + static_cast<std::size_t>(Below(3)), ' ');
        for (auto &ch : run)
            ch = kSeparators[static_cast<std::size_t>(Below(kSeparators.size()))];
        return run;
    }
};

// Reference rendering: each run of 81..FE bytes is kept, an odd run's last
// byte escaped; outside runs 00..07 and FF are escaped.
std::string ReferenceAscii(const Bytes &bytes)
{
    std::string text;
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t end = i;
        while (end < bytes.size() && bytes[end] >= 0x81 && bytes[end] <= 0xFE)
            ++end;
        for (std::size_t k = i; k < end; ++k)
            text +=
                (end - i) % 2 && k == end - 1 ? Escaped(bytes[k]) : std::string(1, char(bytes[k]));
        if (end == i) {
            const uint8_t b = bytes[end++];
            text += b <= 0x07 || b == 0xFF ? Escaped(b) : std::string(1, char(b));
        }
        i = end;
    }
    return text;
}

bool EscapeAt(std::string_view text, std::size_t i)
{
    return i + 5 < text.size() && text.substr(i, 3) == "<\\x" &&
           std::isxdigit(static_cast<unsigned char>(text[i + 3])) &&
           std::isxdigit(static_cast<unsigned char>(text[i + 4])) && text[i + 5] == '>';
}

Bytes ReferenceAsciiBytes(std::string_view text)
{
    Bytes bytes;
    for (std::size_t i = 0; i < text.size();) {
        if (EscapeAt(text, i)) {
            bytes.push_back(
                static_cast<uint8_t>(std::stoi(std::string(text.substr(i + 3, 2)), nullptr, 16)));
            i += 6;
        } else {
            bytes.push_back(static_cast<uint8_t>(text[i++]));
        }
    }
    return bytes;
}

std::string_view View(const Bytes &bytes)
{
    return {reinterpret_cast<const char *>(bytes.data()), bytes.size()};
}

// `bytes` in a random mix of hex spellings: glued pairs (with an odd tail
// digit from five characters on), lone digits and three-digit decimals.
std::string RandomHexSpelling(const Bytes &bytes, Random &random)
{
    std::string text = random.Below(2) ? random.Separators() : "";
    char cell[4];
    for (std::size_t i = 0; i < bytes.size();) {
        const int form = random.Below(4);
        if (form == 0 && bytes[i] < 16) {
            text += "0123456789abcdef"[bytes[i++]];
        } else if (form == 1) {
            std::snprintf(cell, sizeof cell, "%03u", bytes[i++]);
            text += cell;
        } else {
            const std::size_t pairs = std::min<std::size_t>(1 + random.Below(5), bytes.size() - i);
            for (std::size_t k = 0; k < pairs; ++k, ++i) {
                std::snprintf(cell, sizeof cell, random.Below(2) ? "%02X" : "%02x", bytes[i]);
                text += cell;
            }
            if (pairs >= 2 && i < bytes.size() && bytes[i] < 16)
                text += "0123456789ABCDEF"[bytes[i++]];
        }
        text += random.Separators();
    }
    return text;
}

// The results land in handles that hold the previous round's result.
TEST(RoundTrip, BytesHexBytesWithEitherSeparator)
{
    Random random{std::mt19937(1)};
    ByteString hex;
    ByteString back;
    for (int round = 0; round < kRounds; ++round) {
        const Bytes bytes = random.Data(600);
        for (char separator : {' ', ','}) {
            ASSERT_EQ(BytesToHex(bytes, hex, separator), ConvResult(3 * bytes.size() - 1));
            ASSERT_EQ(HexToBytes(hex.view(), back), ConvResult(bytes.size()));
            ASSERT_TRUE(SameBytes(bytes, back.bytes())) << "round " << round;
        }
        const std::string text = RandomHexSpelling(bytes, random);
        ASSERT_EQ(HexToBytes(text, back), ConvResult(bytes.size())) << text;
        ASSERT_TRUE(SameBytes(bytes, back.bytes())) << text;
        ASSERT_EQ(back.data()[back.size()], 0);
    }
}

// Data that already spells an escape reads back as the escaped byte, just as
// the data itself read as Ascii notation would.
TEST(RoundTrip, BytesAsciiBytes)
{
    Random random{std::mt19937(3)};
    for (int round = 0; round < kRounds; ++round) {
        const Bytes bytes = random.Data(round % 2 ? 600 : 200, round % 2 == 0);
        ByteString ascii;
        ASSERT_GT(BytesToAscii(bytes, ascii), 0);
        ASSERT_TRUE(SameBytes(ReferenceAscii(bytes), ascii.view())) << "round " << round;
        ByteString back;
        ASSERT_GT(AsciiToBytes(ascii.view(), back), 0);
        ASSERT_TRUE(SameBytes(ReferenceAsciiBytes(View(bytes)), back.bytes())) << "round " << round;
    }
}

// Double-byte runs of short and block-filling lengths starting on either side
// of a 64-byte block boundary, rendered from bytes and from hex text.
TEST(BlockBoundaries, RunsAcrossBlocks)
{
    for (uint8_t filler : {uint8_t{'a'}, uint8_t{0x00}, uint8_t{0xFF}}) {
        for (std::size_t boundary : {64, 128, 256, 512}) {
            for (std::size_t start = boundary - 4; start <= boundary + 2; ++start) {
                for (std::size_t length : {1, 2, 3, 4, 5, 6, 63, 64, 65, 127, 128, 129}) {
                    Bytes bytes(800, filler);
                    for (std::size_t k = 0; k < length; ++k)
                        bytes[start + k] = static_cast<uint8_t>(0x81 + k % 0x7E);
                    bytes[boundary + 200] = 0xC4;
                    const std::string expected = ReferenceAscii(bytes);
                    ByteString ascii;
                    BytesToAscii(bytes, ascii);
                    ASSERT_TRUE(SameBytes(expected, ascii.view())) << length << " at " << start;
                    ByteString hex;
                    BytesToHex(bytes, hex);
                    HexToAscii(hex.view(), ascii);
                    ASSERT_TRUE(SameBytes(expected, ascii.view())) << length << " at " << start;
                }
            }
        }
    }
}

// The Ascii readers look for '<' a word or a block at a time.
TEST(BlockBoundaries, EscapesAtEveryPlace)
{
    for (std::string piece :
         {"<\\x4F>", "<\\xa0>", "<\\x4G>", "<", "<<\\x41>", "<\\X41>", "<\\x41"}) {
        for (std::size_t length : {40, 70, 140}) {
            for (std::size_t place = 0; place <= length; ++place) {
                std::string text(length, 'm');
                text.insert(place, piece);
                const Bytes expected = ReferenceAsciiBytes(text);
                ByteString bytes;
                ASSERT_EQ(AsciiToBytes(text, bytes), ConvResult(expected.size())) << text;
                ASSERT_TRUE(SameBytes(expected, bytes.bytes())) << text;
                ByteString hex;
                ByteString canonical;
                BytesToHex(expected, canonical);
                ASSERT_EQ(AsciiToHex(text, hex), ConvResult(canonical.size())) << text;
                ASSERT_TRUE(SameBytes(canonical.view(), hex.view())) << text;
            }
        }
    }
}

// One bad character planted in a valid spelling is reported at its index by
// both hex readers, and the handle keeps what it held.
TEST(ErrorPosition, PlantedBadCharacterIsReportedExactly)
{
    static constexpr char kBad[] = {'G', 'x', 'z', '-', '.', '\0', '\f', static_cast<char>(0xA3)};
    Random random{std::mt19937(5)};
    for (int round = 0; round < kRounds; ++round) {
        std::string text = RandomHexSpelling(random.Data(40), random);
        auto at = static_cast<std::size_t>(random.Below(static_cast<int>(text.size())));
        while (kSeparators.find(text[at]) != std::string_view::npos)
            at = (at + 1) % text.size();
        text[at] = kBad[random.Below(sizeof kBad)];
        ByteString held = ByteString::Copy(std::string_view("held"));
        ASSERT_EQ(ConvErrorIndex(HexToBytes(text, held)), at) << text;
        ASSERT_EQ(ConvErrorIndex(HexToAscii(text, held)), at) << text;
        ASSERT_EQ(held.view(), "held");
    }
}

// Hex as it is mostly written, two digits and one separator per byte, is
// read many characters at a time: a bad character at any place of it, and
// separators of every kind in it, read as in any other spelling.
TEST(ErrorPosition, BadCharacterAtEveryPlaceOfRegularPairs)
{
    Random random{std::mt19937(7)};
    ByteString hex;
    Bytes data(45);
    for (auto &b : data)
        b = static_cast<uint8_t>(random.Below(256));
    ASSERT_GT(BytesToHex(data, hex), 0);
    std::string text(hex.view());
    for (std::size_t k = 2; k < text.size(); k += 3)
        text[k] = kSeparators[static_cast<std::size_t>(random.Below(kSeparators.size()))];
    ByteString back;
    ASSERT_EQ(HexToBytes(text, back), ConvResult(data.size()));
    ASSERT_TRUE(SameBytes(data, back.bytes()));
    for (std::size_t at = 0; at < text.size(); ++at) {
        for (char bad : {'G', 'g', '/', ':', '@', '`', '\0', static_cast<char>(0xC1)}) {
            std::string planted = text;
            planted[at] = bad;
            ByteString held = ByteString::Copy(std::string_view("held"));
            ASSERT_EQ(ConvErrorIndex(HexToBytes(planted, held)), at) << planted;
            ASSERT_EQ(ConvErrorIndex(HexToAscii(planted, held)), at) << planted;
            ASSERT_EQ(held.view(), "held");
        }
    }
}

} // namespace
