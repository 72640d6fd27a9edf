// Round trips and error positions over random byte strings and random hex
// spellings, checked against small reference models written for the tests.
#include "convert.h"

#include "support/bytes_diff.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kRounds = 300;
constexpr char kSeparators[] = {' ', '\t', '\n', '\r', ',', ';'};

class Random
{
public:
    explicit Random(uint32_t seed) : m_engine(seed) {}

    int Below(int limit) { return std::uniform_int_distribution<int>(0, limit - 1)(m_engine); }

    // Uniform bytes: escape lookalikes practically never occur.
    Bytes UniformBytes(std::size_t maxLength)
    {
        Bytes bytes(1 + static_cast<std::size_t>(Below(static_cast<int>(maxLength))));
        for (auto &b : bytes)
            b = static_cast<uint8_t>(Below(256));
        return bytes;
    }

    // Bytes drawn mostly from the interesting classes: escape characters,
    // controls, 0xFF, double-byte range, hex digits.
    Bytes TrickyBytes(std::size_t maxLength)
    {
        static constexpr uint8_t kPool[] = {'<',  '\\', 'x',  '>',  'A',  '4',  'f',  0x00,
                                            0x07, 0x08, 0x0D, 0x0A, 0x7F, 0x80, 0x81, 0xB0,
                                            0xA1, 0xC4, 0xFE, 0xFF, ' ',  'G'};
        Bytes bytes(1 + static_cast<std::size_t>(Below(static_cast<int>(maxLength))));
        for (auto &b : bytes)
            b = Below(4) == 0 ? static_cast<uint8_t>(Below(256)) : kPool[Below(sizeof kPool)];
        return bytes;
    }

    std::string Separators()
    {
        std::string run(1 + static_cast<std::size_t>(Below(3)), ' ');
        for (auto &ch : run)
            ch = kSeparators[Below(sizeof kSeparators)];
        return run;
    }

private:
    std::mt19937 m_engine;
};

std::string_view View(const Bytes &bytes)
{
    return {reinterpret_cast<const char *>(bytes.data()), bytes.size()};
}

bool IsDoubleByte(uint8_t b)
{
    return b >= 0x81 && b <= 0xFE;
}

std::string Escape(uint8_t b)
{
    char escape[7];
    std::snprintf(escape, sizeof escape, "<\\x%02X>", b);
    return escape;
}

// Reference rendering: find each run of double-byte bytes first, then write
// it with an odd last byte escaped.
std::string ReferenceAscii(const Bytes &bytes)
{
    std::string text;
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t end = i;
        while (end < bytes.size() && IsDoubleByte(bytes[end]))
            ++end;
        if (end > i) {
            for (std::size_t k = i; k < end; ++k)
                text += (end - i) % 2 && k == end - 1 ? Escape(bytes[k])
                                                      : std::string(1, static_cast<char>(bytes[k]));
            i = end;
            continue;
        }
        const uint8_t b = bytes[i++];
        text += b <= 0x07 || b == 0xFF ? Escape(b) : std::string(1, static_cast<char>(b));
    }
    return text;
}

// Reference reading of the data itself as Ascii notation: the only way the
// rendering can fail to read back is data that already spells an escape.
bool HasEscapeLookalike(const Bytes &bytes)
{
    for (std::size_t i = 0; i + 5 < bytes.size(); ++i) {
        if (bytes[i] == '<' && bytes[i + 1] == '\\' && bytes[i + 2] == 'x' &&
            std::isxdigit(bytes[i + 3]) && std::isxdigit(bytes[i + 4]) && bytes[i + 5] == '>')
            return true;
    }
    return false;
}

// Writes `bytes` in a random mix of the hex spellings: pairs glued into long
// tokens (odd tail digit allowed from five characters on), lone digits and
// three-digit decimals, with random separator runs between tokens.
std::string RandomHexSpelling(const Bytes &bytes, Random &random)
{
    std::string text = random.Below(2) ? random.Separators() : "";
    for (std::size_t i = 0; i < bytes.size();) {
        const uint8_t b = bytes[i];
        const int form = random.Below(4);
        if (form == 0 && b < 16) {
            text += "0123456789abcdef"[b];
            ++i;
        } else if (form == 1) {
            char decimal[4];
            std::snprintf(decimal, sizeof decimal, "%03u", b);
            text += decimal;
            ++i;
        } else {
            std::size_t pairs = 1 + static_cast<std::size_t>(random.Below(5));
            pairs = std::min(pairs, bytes.size() - i);
            char pair[3];
            for (std::size_t k = 0; k < pairs; ++k, ++i) {
                std::snprintf(pair, sizeof pair, random.Below(2) ? "%02X" : "%02x", bytes[i]);
                text += pair;
            }
            if (pairs >= 2 && i < bytes.size() && bytes[i] < 16)
                text += "0123456789ABCDEF"[bytes[i++]];
        }
        text += random.Separators();
    }
    return text;
}

TEST(RoundTrip, BytesHexBytesWithEitherSeparator)
{
    Random random(1);
    for (int round = 0; round < kRounds; ++round) {
        const Bytes bytes = random.UniformBytes(600);
        for (char separator : {' ', ','}) {
            ByteString hex;
            ASSERT_EQ(BytesToHex(bytes, hex, separator),
                      static_cast<ConvResult>(3 * bytes.size() - 1));
            ByteString back;
            ASSERT_EQ(HexToBytes(hex.view(), back), static_cast<ConvResult>(bytes.size()));
            ASSERT_TRUE(SameBytes(bytes, back.bytes())) << "round " << round;
        }
    }
}

TEST(RoundTrip, RandomHexSpellingsReadBack)
{
    Random random(2);
    for (int round = 0; round < kRounds; ++round) {
        const Bytes bytes = random.UniformBytes(300);
        const std::string text = RandomHexSpelling(bytes, random);
        ByteString back;
        ASSERT_EQ(HexToBytes(text, back), static_cast<ConvResult>(bytes.size())) << text;
        ASSERT_TRUE(SameBytes(bytes, back.bytes())) << text;
    }
}

TEST(RoundTrip, BytesAsciiBytes)
{
    Random random(3);
    for (int round = 0; round < kRounds; ++round) {
        const Bytes bytes = round % 2 ? random.UniformBytes(600) : random.TrickyBytes(200);
        ByteString ascii;
        ASSERT_GT(BytesToAscii(bytes, ascii), 0);
        ASSERT_TRUE(SameBytes(ReferenceAscii(bytes), ascii.view())) << "round " << round;
        ByteString back;
        ASSERT_GT(AsciiToBytes(ascii.view(), back), 0);
        if (HasEscapeLookalike(bytes)) {
            // Data spelling an escape reads back as the escaped byte, exactly
            // as the data itself would when read as Ascii notation.
            ByteString literal;
            AsciiToBytes(View(bytes), literal);
            ASSERT_TRUE(SameBytes(literal.bytes(), back.bytes())) << "round " << round;
        } else {
            ASSERT_TRUE(SameBytes(bytes, back.bytes())) << "round " << round;
        }
    }
}

// Plain text is rendered eight bytes at a time: every byte value at every
// place of such a block, after an open double-byte run and before another,
// must still be rendered byte by byte.
TEST(Rendering, EveryByteInsideATextBlock)
{
    for (int value = 0; value < 256; ++value) {
        for (std::size_t place = 0; place < 8; ++place) {
            Bytes bytes = {0xB0, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 0xC4, 'i'};
            bytes[1 + place] = static_cast<uint8_t>(value);
            ByteString ascii;
            BytesToAscii(bytes, ascii);
            ASSERT_TRUE(SameBytes(ReferenceAscii(bytes), ascii.view()))
                << "byte " << value << " at " << place;
        }
    }
}

// Long inputs are rendered 64 bytes at a time (and a hex text's bytes are
// collected 256 at a time first): double-byte runs of every short length that
// start or end on either side of such a boundary, or fill the space between
// two, must come out as byte by byte.
TEST(Rendering, RunsAcrossBlockBoundaries)
{
    for (uint8_t filler : {uint8_t{'a'}, uint8_t{0x00}, uint8_t{0xFF}}) {
        for (std::size_t boundary = 64; boundary <= 512; boundary += 64) {
            for (std::size_t start = boundary - 4; start <= boundary + 2; ++start) {
                for (std::size_t length = 1; length <= 6; ++length) {
                    Bytes bytes(700, filler);
                    for (std::size_t k = 0; k < length; ++k)
                        bytes[start + k] = static_cast<uint8_t>(0xB0 + k);
                    // A second run right after the next boundary, so that the
                    // state carried over a boundary meets another run.
                    bytes[boundary + 64] = 0xC4;
                    ByteString ascii;
                    BytesToAscii(bytes, ascii);
                    ASSERT_TRUE(SameBytes(ReferenceAscii(bytes), ascii.view()))
                        << "run of " << length << " at " << start << ", filler " << int{filler};
                    ByteString hex;
                    BytesToHex(bytes, hex);
                    ByteString viaHex;
                    HexToAscii(hex.view(), viaHex);
                    ASSERT_TRUE(SameBytes(ReferenceAscii(bytes), viaHex.view()))
                        << "run of " << length << " at " << start << ", filler " << int{filler};
                }
            }
        }
    }
}

// A run spanning whole blocks: every length from one block to two and a bit,
// after a lead-in that puts its start at each place of a block.
TEST(Rendering, LongRunsOverWholeBlocks)
{
    for (std::size_t leadIn = 0; leadIn < 70; leadIn += 3) {
        for (std::size_t length = 60; length <= 140; ++length) {
            Bytes bytes(leadIn, 'x');
            for (std::size_t k = 0; k < length; ++k)
                bytes.push_back(static_cast<uint8_t>(0x81 + k % 0x7E));
            bytes.insert(bytes.end(), 100, 0x07);
            ByteString ascii;
            BytesToAscii(bytes, ascii);
            ASSERT_TRUE(SameBytes(ReferenceAscii(bytes), ascii.view()))
                << "run of " << length << " after " << leadIn;
        }
    }
}

// Every byte value at the places of a block where the block code could slip:
// both ends, both sides of the middle, and next to an open odd run.
TEST(Rendering, EveryByteAtEveryBlockEdge)
{
    for (int value = 0; value < 256; ++value) {
        for (std::size_t place : {0, 1, 31, 32, 62, 63, 64, 65, 127, 128}) {
            Bytes bytes(200, 'q');
            bytes[place + 5] = 0xB0; // an odd run just before the value
            bytes[place + 6] = static_cast<uint8_t>(value);
            ByteString ascii;
            BytesToAscii(bytes, ascii);
            ASSERT_TRUE(SameBytes(ReferenceAscii(bytes), ascii.view()))
                << "byte " << value << " at " << place + 6;
        }
    }
}

TEST(RoundTrip, HexAsciiHex)
{
    Random random(4);
    for (int round = 0; round < kRounds; ++round) {
        Bytes bytes = random.TrickyBytes(200);
        if (HasEscapeLookalike(bytes))
            continue;
        const std::string hexText = RandomHexSpelling(bytes, random);
        ByteString ascii;
        ASSERT_GT(HexToAscii(hexText, ascii), 0) << hexText;
        ASSERT_TRUE(SameBytes(ReferenceAscii(bytes), ascii.view())) << hexText;
        ByteString hexAgain;
        ASSERT_EQ(AsciiToHex(ascii.view(), hexAgain),
                  static_cast<ConvResult>(3 * bytes.size() - 1));
        ByteString canonical;
        BytesToHex(bytes, canonical);
        ASSERT_TRUE(SameBytes(canonical.view(), hexAgain.view())) << hexText;
    }
}

// Reference reading of Ascii notation, character by character.
Bytes ReferenceAsciiBytes(const std::string &text)
{
    Bytes bytes;
    for (std::size_t i = 0; i < text.size();) {
        if (i + 5 < text.size() && text[i] == '<' && text[i + 1] == '\\' && text[i + 2] == 'x' &&
            std::isxdigit(static_cast<unsigned char>(text[i + 3])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 4])) && text[i + 5] == '>') {
            bytes.push_back(static_cast<uint8_t>(std::stoi(text.substr(i + 3, 2), nullptr, 16)));
            i += 6;
        } else {
            bytes.push_back(static_cast<uint8_t>(text[i++]));
        }
    }
    return bytes;
}

// The Ascii readers look for '<' a word or a block at a time: an escape, a
// broken one and a lone '<' at every place around those boundaries, and
// escapes cut by the end of the text, must read as character by character.
TEST(AsciiReading, EscapesAtEveryPlaceAroundBlocks)
{
    const std::string pieces[] = {"<\\x4F>",  "<\\xa0>", "<\\x4G>", "<",
                                  "<<\\x41>", "<\\X41>", "<\\x41",  "<\\x0d><\\x0A>"};
    for (const std::string &piece : pieces) {
        for (std::size_t length : {40, 70, 140}) {
            for (std::size_t place = 0; place <= length; ++place) {
                std::string text(length, 'm');
                text.insert(place, piece);
                const Bytes expected = ReferenceAsciiBytes(text);
                ByteString bytes;
                ASSERT_EQ(AsciiToBytes(text, bytes), static_cast<ConvResult>(expected.size()))
                    << text;
                ASSERT_TRUE(SameBytes(expected, bytes.bytes())) << text;
                ByteString hex;
                ASSERT_EQ(AsciiToHex(text, hex), static_cast<ConvResult>(3 * expected.size() - 1))
                    << text;
                ByteString canonical;
                BytesToHex(expected, canonical);
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
    Random random(5);
    for (int round = 0; round < kRounds; ++round) {
        std::string text = RandomHexSpelling(random.UniformBytes(40), random);
        std::size_t at = static_cast<std::size_t>(random.Below(static_cast<int>(text.size())));
        while (std::string_view(kSeparators, sizeof kSeparators).find(text[at]) !=
               std::string_view::npos)
            at = (at + 1) % text.size();
        text[at] = kBad[random.Below(sizeof kBad)];
        ByteString held = ByteString::Copy(std::string_view("held"));
        ASSERT_EQ(ConvErrorIndex(HexToBytes(text, held)), at) << text;
        ASSERT_EQ(ConvErrorIndex(HexToAscii(text, held)), at) << text;
        ASSERT_EQ(held.view(), "held");
    }
}

TEST(Sizes, ResultSizesFollowTheInput)
{
    Random random(6);
    for (int round = 0; round < kRounds; ++round) {
        const Bytes bytes = random.TrickyBytes(300);
        ByteString ascii;
        const ConvResult length = BytesToAscii(bytes, ascii);
        ASSERT_EQ(length, static_cast<ConvResult>(ascii.size()));
        ASSERT_GE(ascii.size(), bytes.size());
        ASSERT_LE(ascii.size(), 6 * bytes.size());
        ASSERT_EQ(ascii.data()[ascii.size()], 0);
        ByteString back;
        ASSERT_LE(AsciiToBytes(ascii.view(), back), static_cast<ConvResult>(ascii.size()));
        ASSERT_EQ(back.data()[back.size()], 0);
    }
}

} // namespace
