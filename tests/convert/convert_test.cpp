// Notation rules of the conversion engine as rows, and the rules for the
// caller's result handle.
#include "convert/convert.h"

#include "support/bytes_diff.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/resource.h>

namespace {

using bytes_diff::AsBytes;
using namespace std::string_literals;

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

} // namespace
