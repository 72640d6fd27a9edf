// Round trips and error positions over random byte strings and random hex
// spellings, checked against small reference models written for the tests.
#include "convert.h"

#include "support/bytes_diff.h"

#include <gtest/gtest.h>

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
