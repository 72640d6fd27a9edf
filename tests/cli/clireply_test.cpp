#include "clireply.h"
#include "support/bytes_diff.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

using bytes_diff::AsBytes;
using namespace std::string_literals;

TEST(CliReply, MatchesTheStartOfTheReply)
{
    using State = ExpectVerdict::State;
    // Expected bytes, the reply, and the verdict with its offset.
    const std::tuple<std::string, std::string, State, std::size_t> rows[] = {
        {"\x12", "", State::Pending, 0},
        {"\x12", "\x12", State::Matched, 1},
        {"\x12", "\x12\x34", State::Matched, 1},
        {"\x12", "\x13", State::Differs, 0},
        {"\x12\x34\x56", "\x12\x34", State::Pending, 2},
        {"\x12\x34\x56", "\x12\x35", State::Differs, 1},
        {"\x12\x34\x56", "\x12\x34\x57\x00"s, State::Differs, 2},
        {"\x00\x12"s, "\x00\x13"s, State::Differs, 1},
        {"\x12\x00"s, "\x12\x00\x00"s, State::Matched, 2},
    };
    for (const auto &[expected, reply, state, offset] : rows) {
        const ExpectVerdict verdict = MatchReply(AsBytes(expected), AsBytes(reply));
        EXPECT_EQ(verdict.state, state) << testing::PrintToString(reply);
        if (state != State::Matched) {
            EXPECT_EQ(verdict.offset, offset) << testing::PrintToString(reply);
        }
    }
}

TEST(CliReply, PrintsTheReplyInEachForm)
{
    const std::string reply("\x06OK\r\n\xFF\x00", 7);
    EXPECT_EQ(FormatReply(AsBytes(reply), CliOutputForm::Hex), "06 4F 4B 0D 0A FF 00\n");
    EXPECT_EQ(FormatReply(AsBytes(reply), CliOutputForm::Text), "<\\x06>OK\r\n<\\xFF><\\x00>\n");
    EXPECT_EQ(FormatReply(AsBytes(reply), CliOutputForm::Raw), reply);
    EXPECT_EQ(FormatReply(AsBytes("line\r\n"), CliOutputForm::Text), "line\r\n");
    for (CliOutputForm form : {CliOutputForm::Hex, CliOutputForm::Text, CliOutputForm::Raw})
        EXPECT_EQ(FormatReply({}, form), "");
}

TEST(CliReply, TextInACodePageIsWrittenForTheTerminal)
{
    const std::tuple<CodePageId, std::string, const char *> rows[] = {
        {CodePageId::Pc858, "Caf\x82 5 \xD5\r\n", "Café 5 €\r\n"},
        {CodePageId::Utf8,
         "Gr\xC3\xBC\xC3\x9F"
         "e\xC3",
         "Grüße<\\xC3>\n"},
        {CodePageId::Big5, "\xA5\x78\xC6\x57\x07", "台灣<\\x07>\n"},
    };
    for (const auto &[page, reply, printed] : rows)
        EXPECT_EQ(FormatReply(AsBytes(reply), CliOutputForm::Text, page), printed) << printed;
}

TEST(CliReply, NamesTheDifferenceAndWhatIsMissing)
{
    EXPECT_EQ(DescribeMismatch(AsBytes("\x12\x34"), AsBytes("\x12\x35"), 1),
              "the reply differs from the expected bytes at offset 1\n"
              "  expected: 12 34\n  received: 12 35\n");
    EXPECT_EQ(DescribeShortReply(AsBytes("\x12\x34"), AsBytes("\x12"), 2000),
              "timed out after 2000 ms: received 1 of 2 expected bytes\n"
              "  expected: 12 34\n  received: 12\n");
    EXPECT_EQ(DescribeShortReply(AsBytes("\x12"), {}, 500),
              "timed out after 500 ms: no reply\n  expected: 12\n");
}

} // namespace
