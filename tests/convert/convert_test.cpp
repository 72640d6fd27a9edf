// Notation rules of the conversion engine, one table of rows per conversion,
// and the rules for the caller's result handle.
#include "convert.h"

#include "support/bytes_diff.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// Expected outcome of a conversion that may fail: bytes/text, or an error at
// a text index.
struct Outcome
{
    std::string output;
    ConvResult error = 0; // 0: success; otherwise -(p + 1)
};

Outcome Ok(std::string output)
{
    return {std::move(output), 0};
}
Outcome ErrorAtIndex(std::size_t p)
{
    return {{}, -static_cast<ConvResult>(p) - 1};
}

std::string Raw(std::initializer_list<int> bytes)
{
    std::string raw;
    for (int b : bytes)
        raw += static_cast<char>(b);
    return raw;
}

void ExpectOutcome(ConvResult result, const ByteString &out, const Outcome &expected)
{
    if (expected.error != 0) {
        EXPECT_EQ(result, expected.error) << "error index " << ConvErrorIndex(expected.error);
        return;
    }
    ASSERT_EQ(result, static_cast<ConvResult>(expected.output.size()));
    EXPECT_TRUE(SameBytes(expected.output, out.view()));
}

// ---- hex notation reader ---------------------------------------------------

struct HexRow
{
    const char *name;
    std::string text;
    Outcome expected;
};

void PrintTo(const HexRow &row, std::ostream *os)
{
    *os << row.name;
}

class HexToBytesRows : public ::testing::TestWithParam<HexRow>
{
};

TEST_P(HexToBytesRows, ReadsTokens)
{
    ByteString out;
    ExpectOutcome(HexToBytes(GetParam().text, out), out, GetParam().expected);
}

const HexRow kHexRows[] = {
    {"one_digit_upper", "A", Ok(Raw({0x0A}))},
    {"one_digit_lower", "a", Ok(Raw({0x0A}))},
    {"one_pair", "0A", Ok(Raw({0x0A}))},
    {"pair_is_hex_not_decimal", "10", Ok(Raw({0x10}))},
    {"three_digits_are_decimal", "100", Ok(Raw({0x64}))},
    {"decimal_255", "255", Ok(Raw({0xFF}))},
    {"decimal_leading_zeros", "007", Ok(Raw({0x07}))},
    {"decimal_000", "000", Ok(Raw({0x00}))},
    {"four_digits_two_pairs", "ABCD", Ok(Raw({0xAB, 0xCD}))},
    {"odd_length_last_digit_alone", "12345", Ok(Raw({0x12, 0x34, 0x05}))},
    {"seven_digits", "1234567", Ok(Raw({0x12, 0x34, 0x56, 0x07}))},
    {"mixed_case_pairs", "aBcDeF", Ok(Raw({0xAB, 0xCD, 0xEF}))},
    {"every_separator", "1,2;3\t4\r\n5 6", Ok(Raw({1, 2, 3, 4, 5, 6}))},
    {"separator_runs_and_ends", " ,01;;\t02\r\n", Ok(Raw({1, 2}))},
    {"mixed_forms", "1 255 abcde 00", Ok(Raw({0x01, 0xFF, 0xAB, 0xCD, 0x0E, 0x00}))},
    {"decimal_with_hex_letter", "00a", ErrorAtIndex(2)},
    {"decimal_256", "256", ErrorAtIndex(0)},
    {"decimal_300", "300", ErrorAtIndex(0)},
    {"decimal_999", "999", ErrorAtIndex(0)},
    {"decimal_too_big_after_token", "1 256", ErrorAtIndex(2)},
    {"decimal_0FF_second_char", "0FF", ErrorAtIndex(1)},
    {"decimal_ABC_first_char", "ABC", ErrorAtIndex(0)},
    {"c_prefix", "0x41", ErrorAtIndex(1)},
    {"not_a_digit", "GG", ErrorAtIndex(0)},
    {"single_bad_char", "Z", ErrorAtIndex(0)},
    {"bad_last_odd_digit", "12345G", ErrorAtIndex(5)},
    {"leftmost_bad_token_wins", "12 4G 9999 X", ErrorAtIndex(4)},
    {"leftmost_char_in_token", "1x2y", ErrorAtIndex(1)},
    {"decimal_error_before_range", "9a9", ErrorAtIndex(1)},
    {"full_width_comma_is_token", "41" + Raw({0xA3, 0xAC}) + "42", ErrorAtIndex(2)},
    {"full_width_comma_alone", "41 " + Raw({0xA3, 0xAC}) + " 42", ErrorAtIndex(3)},
    {"nul_is_not_separator",
     std::string("41\0"
                 "42",
                 5),
     ErrorAtIndex(2)},
    {"form_feed_is_not_separator", "41\f42", ErrorAtIndex(2)},
};

INSTANTIATE_TEST_SUITE_P(Notation, HexToBytesRows, ::testing::ValuesIn(kHexRows),
                         [](const auto &row) { return std::string(row.param.name); });

TEST(HexToBytes, SeparatorsOnlyGiveAnEmptyBufferInPlaceOfTheOldOne)
{
    for (auto convert : {HexToBytes, HexToAscii}) {
        ByteString out = ByteString::Copy(std::string_view("old"));
        EXPECT_EQ(convert(",,;; \t\r\n", out), 0);
        ASSERT_NE(out.data(), nullptr);
        EXPECT_EQ(out.size(), 0u);
        EXPECT_EQ(out.data()[0], 0);
    }
}

// The ascii rendering of a hex text reports the same errors at the same
// place, and otherwise renders the bytes the text stands for.
TEST_P(HexToBytesRows, HexToAsciiReadsAlike)
{
    ByteString out;
    const ConvResult result = HexToAscii(GetParam().text, out);
    if (GetParam().expected.error != 0) {
        EXPECT_EQ(result, GetParam().expected.error);
        return;
    }
    ByteString rendered;
    BytesToAscii(bytes_diff::AsBytes(GetParam().expected.output), rendered);
    EXPECT_EQ(result, static_cast<ConvResult>(rendered.size()));
    EXPECT_TRUE(SameBytes(rendered.view(), out.view()));
}

// ---- ascii rendering ---------------------------------------------------------

struct RenderRow
{
    const char *name;
    std::string bytes;
    std::string ascii;
};

void PrintTo(const RenderRow &row, std::ostream *os)
{
    *os << row.name;
}

class RenderRows : public ::testing::TestWithParam<RenderRow>
{
};

TEST_P(RenderRows, BytesToAscii)
{
    ByteString out;
    const std::string &bytes = GetParam().bytes;
    ASSERT_EQ(BytesToAscii(bytes_diff::AsBytes(bytes), out),
              static_cast<ConvResult>(GetParam().ascii.size()));
    EXPECT_TRUE(SameBytes(GetParam().ascii, out.view()));
}

// The same bytes written as hex text, with separators between every byte,
// render the same: runs of double-byte bytes ignore the input's separators.
TEST_P(RenderRows, HexToAsciiAcrossSeparators)
{
    ByteString hex;
    ASSERT_GT(BytesToHex(bytes_diff::AsBytes(GetParam().bytes), hex, ','), 0);
    ByteString out;
    ASSERT_EQ(HexToAscii(hex.view(), out), static_cast<ConvResult>(GetParam().ascii.size()));
    EXPECT_TRUE(SameBytes(GetParam().ascii, out.view()));
}

const RenderRow kRenderRows[] = {
    {"nul_between_letters", Raw({0x41, 0x00, 0x42}), "A<\\x00>B"},
    {"bell_escaped_backspace_raw", Raw({0x07, 0x08}), "<\\x07>\b"},
    {"controls_and_top", Raw({0x00, 0x01, 0x07, 0x08, 0x09, 0x0A, 0x0D, 0x1B, 0x7F, 0x80, 0xFF}),
     "<\\x00><\\x01><\\x07>\b\t\n\r\x1B\x7F\x80<\\xFF>"},
    {"one_character", Raw({0xC4, 0xE3}), Raw({0xC4, 0xE3})},
    {"lone_lead_before_letter", Raw({0xC4, 0x41}), "<\\xC4>A"},
    {"character_then_lone_lead", Raw({0xC4, 0xE3, 0xC4}), Raw({0xC4, 0xE3}) + "<\\xC4>"},
    {"lead_81_with_letter", Raw({0x81, 0x41}), "<\\x81>A"},
    {"ff_alone", Raw({0xFF}), "<\\xFF>"},
    {"80_raw", Raw({0x80}), Raw({0x80})},
    {"gbk_b0a1_b0", Raw({0xB0, 0xA1, 0xB0}), Raw({0xB0, 0xA1}) + "<\\xB0>"},
    {"gbk_b0_letter", Raw({0xB0, 0x41}), "<\\xB0>A"},
    {"ff_ends_an_odd_run", Raw({0xB0, 0xFF}), "<\\xB0><\\xFF>"},
    {"80_ends_an_odd_run", Raw({0xB0, 0x80}), "<\\xB0>" + Raw({0x80})},
    {"even_run_of_four", Raw({0x81, 0xFE, 0xFE, 0x81}), Raw({0x81, 0xFE, 0xFE, 0x81})},
    {"odd_then_even_run", Raw({0xB0, 0x00, 0xB0, 0xA1}), "<\\xB0><\\x00>" + Raw({0xB0, 0xA1})},
    {"escape_lookalike_kept", "<\\x41>", "<\\x41>"},
    {"crlf_raw", "a\r\nb", "a\r\nb"},
};

INSTANTIATE_TEST_SUITE_P(Notation, RenderRows, ::testing::ValuesIn(kRenderRows),
                         [](const auto &row) { return std::string(row.param.name); });

TEST(HexToAscii, CharacterKeptAcrossAComma)
{
    ByteString out;
    ASSERT_EQ(HexToAscii("B0,A1", out), 2);
    EXPECT_TRUE(SameBytes(Raw({0xB0, 0xA1}), out.view()));
    ASSERT_EQ(HexToAscii("B0A1 B0", out), 8);
    EXPECT_TRUE(SameBytes(Raw({0xB0, 0xA1}) + "<\\xB0>", out.view()));
}

// ---- ascii notation reader ---------------------------------------------------

struct AsciiRow
{
    const char *name;
    std::string text;
    std::string bytes;
};

void PrintTo(const AsciiRow &row, std::ostream *os)
{
    *os << row.name;
}

class AsciiToBytesRows : public ::testing::TestWithParam<AsciiRow>
{
};

TEST_P(AsciiToBytesRows, ReadsEscapes)
{
    ByteString out;
    ASSERT_EQ(AsciiToBytes(GetParam().text, out), static_cast<ConvResult>(GetParam().bytes.size()));
    EXPECT_TRUE(SameBytes(GetParam().bytes, out.view()));
}

// AsciiToHex is the hex text of exactly those bytes.
TEST_P(AsciiToBytesRows, AsciiToHexWritesTheSameBytes)
{
    const std::string &bytes = GetParam().bytes;
    std::string expected;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char pair[4];
        std::snprintf(pair, sizeof pair, i ? " %02X" : "%02X", static_cast<uint8_t>(bytes[i]));
        expected += pair;
    }
    ByteString out;
    ASSERT_EQ(AsciiToHex(GetParam().text, out), static_cast<ConvResult>(expected.size()));
    EXPECT_TRUE(SameBytes(expected, out.view()));
}

const AsciiRow kAsciiRows[] = {
    {"plain_text", "Hello", "Hello"},
    {"one_escape", "<\\x41>", "A"},
    {"lower_and_upper_digits", "<\\x0d><\\x0A>", "\r\n"},
    {"escape_between_text", "a<\\xff>b", Raw({'a', 0xFF, 'b'})},
    {"upper_x_is_literal", "<\\X41>", "<\\X41>"},
    {"bad_digit_is_literal", "<\\x4G>", "<\\x4G>"},
    {"cut_escape_at_end", "<\\x4", "<\\x4"},
    {"five_chars_at_end", "<\\x41", "<\\x41"},
    {"missing_close", "<\\x41)", "<\\x41)"},
    {"doubled_open", "<<\\x41>", "<A"},
    {"escape_then_close", "<\\x41>>", "A>"},
    {"escaped_open_is_not_reread", "<\\x3C>\\x41>", "<\\x41>"},
    {"crlf_copied", "a\r\nb", "a\r\nb"},
    {"double_byte_copied", Raw({0xC4, 0xE3, 0xB0}), Raw({0xC4, 0xE3, 0xB0})},
    {"nul_copied", std::string("a\0b", 3), std::string("a\0b", 3)},
};

INSTANTIATE_TEST_SUITE_P(Notation, AsciiToBytesRows, ::testing::ValuesIn(kAsciiRows),
                         [](const auto &row) { return std::string(row.param.name); });

// ---- hex notation writer -----------------------------------------------------

TEST(BytesToHex, UpperCasePairsJoinedBySeparator)
{
    const Bytes bytes = {0x00, 0x0A, 0xFF};
    ByteString out;
    ASSERT_EQ(BytesToHex(bytes, out), 8);
    EXPECT_TRUE(SameBytes("00 0A FF", out.view()));
    ASSERT_EQ(BytesToHex(bytes, out, ','), 8);
    EXPECT_TRUE(SameBytes("00,0A,FF", out.view()));
    ASSERT_EQ(BytesToHex(Bytes{0xab}, out, ','), 2);
    EXPECT_TRUE(SameBytes("AB", out.view()));
}

TEST(BytesToHex, EveryByteValueFromTheTable)
{
    Bytes all(256);
    for (int b = 0; b < 256; ++b)
        all[b] = static_cast<uint8_t>(b);
    ByteString out;
    ASSERT_EQ(BytesToHex(all, out), 3 * 256 - 1);
    for (int b = 0; b < 256; ++b) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", b);
        ASSERT_EQ(out.view().substr(3 * b, 2), pair);
    }
}

TEST(HexDigitValue, DigitsAndEverythingElse)
{
    for (int ch = 0; ch < 256; ++ch) {
        const uint8_t value = HexDigitValue(static_cast<uint8_t>(ch));
        if (std::isxdigit(ch))
            EXPECT_EQ(value, std::stoi(std::string(1, static_cast<char>(ch)), nullptr, 16)) << ch;
        else
            EXPECT_EQ(value, kNotHexDigit) << ch;
    }
}

// ---- result handle -----------------------------------------------------------

// A handle holding an earlier result, to see whether a call replaced it.
struct HeldResult
{
    ByteString handle = ByteString::Copy(std::string_view("earlier"));
    const uint8_t *buffer = handle.data();

    void ExpectUntouched() const
    {
        EXPECT_EQ(handle.data(), buffer);
        EXPECT_EQ(handle.view(), "earlier");
    }
};

TEST(ResultHandle, UntouchedOnInputError)
{
    HeldResult held;
    EXPECT_EQ(HexToBytes("01 0x41", held.handle), -5);
    held.ExpectUntouched();
    EXPECT_EQ(HexToAscii("01 256", held.handle), -4);
    held.ExpectUntouched();
}

TEST(ResultHandle, UntouchedOnEmptyInput)
{
    HeldResult held;
    EXPECT_EQ(HexToBytes("", held.handle), 0);
    EXPECT_EQ(HexToAscii(std::string_view(), held.handle), 0);
    EXPECT_EQ(AsciiToBytes("", held.handle), 0);
    EXPECT_EQ(AsciiToHex("", held.handle), 0);
    EXPECT_EQ(BytesToHex({}, held.handle), 0);
    EXPECT_EQ(BytesToAscii({}, held.handle), 0);
    held.ExpectUntouched();
}

TEST(ResultHandle, OutputReplacesWithExactSizeAndTrailingZero)
{
    ByteString out = ByteString::Copy(std::string_view("a much longer earlier result"));
    ASSERT_EQ(HexToBytes("41 42", out), 2);
    EXPECT_EQ(out.size(), 2u);
    EXPECT_EQ(out.data()[2], 0);
    EXPECT_STREQ(out.c_str(), "AB");
    ASSERT_EQ(AsciiToBytes("x", out), 1);
    EXPECT_STREQ(out.c_str(), "x");
    ASSERT_EQ(BytesToAscii(Bytes{0x00}, out), 6);
    EXPECT_STREQ(out.c_str(), "<\\x00>");
}

TEST(ByteStringType, MoveLeavesSourceEmpty)
{
    ByteString first = ByteString::Copy(std::string_view("abc"));
    const uint8_t *buffer = first.data();
    ByteString second = std::move(first);
    EXPECT_EQ(second.data(), buffer);
    EXPECT_EQ(second.view(), "abc");
    EXPECT_EQ(first.data(), nullptr); // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(first.size(), 0u);
    EXPECT_STREQ(first.c_str(), "");
    ByteString &alias = second;
    second = std::move(alias);
    EXPECT_EQ(second.view(), "abc");
}

} // namespace
