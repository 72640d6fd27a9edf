#include "escpos/escposstatus.h"
#include "statusparser.h"

#include <gtest/gtest.h>

#include <set>

namespace {

std::string Feed(CStatusParser &parser, const std::string &bytes)
{
    return parser.Feed(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
}

TEST(StatusParser, AnswerRowsWholeAndSplitIntoSingleBytes)
{
    const std::string zero(1, '\0');
    const std::pair<std::string, std::string> rows[] = {
        {"\x10\x04\x01", "\x12"},
        {"\x10\x04\x05", ""}, // unknown
        {"\x1D\x72\x01", zero},
        {"\x1D\x72\x03", ""}, // unknown
        {"ABC\x10\x04\x02xyz\x1D\x72\x02", "\x12" + zero},
        {"\x10\x10\x04\x03", "\x12"},
        {"\x1D\x21\x10\x04\x01", "\x12"},
        {"\x10\x04\x01\x10\x04\x01", "\x12\x12"},
    };
    for (const auto &[request, answer] : rows) {
        CStatusParser whole;
        EXPECT_EQ(Feed(whole, request), answer) << testing::PrintToString(request);
        CStatusParser split;
        std::string answers;
        for (char byte : request)
            answers += Feed(split, std::string(1, byte));
        EXPECT_EQ(answers, answer) << testing::PrintToString(request);
    }
}

// What the window and the command line make of each simulated condition: the
// names of the conditions that are set in any of its six replies.
TEST(StatusParser, EachConditionDecodesToItsNames)
{
    const std::pair<const char *, std::set<std::string>> rows[] = {
        {"online", {}},
        {"offline", {"offline"}},
        {"waiting-recovery",
         {"offline", "waiting for online recovery", "an error occurred",
          "automatically recoverable error"}},
        {"feed-button", {"feed button pressed"}},
        {"paper-feeding", {"offline", "feed button pressed", "paper being fed by the feed button"}},
        {"cover-open", {"offline", "cover open"}},
        {"paper-near-end", {"paper near end"}},
        {"paper-end", {"offline", "printing stopped by paper end", "paper end"}},
        {"mechanical-error", {"offline", "an error occurred", "mechanical error"}},
        {"cutter-error", {"offline", "an error occurred", "auto-cutter error"}},
        {"unrecoverable-error", {"offline", "an error occurred", "unrecoverable error"}},
        {"recoverable-error", {"offline", "an error occurred", "automatically recoverable error"}},
        {"drawer-high", {"drawer kick-out pin 3 high"}},
    };
    std::set<std::string> named;
    for (const auto &[condition, expected] : rows) {
        const auto status = SimStatusForCondition(condition);
        ASSERT_TRUE(status) << condition;
        CStatusParser parser(*status);
        std::set<std::string> set;
        for (int n = 0; n <= static_cast<int>(EscPos::StatusRequest::DrawerSensor); ++n) {
            const auto request = static_cast<EscPos::StatusRequest>(n);
            const std::vector<uint8_t> bytes = EscPos::RequestBytes(request);
            const std::string reply = parser.Feed(bytes.data(), bytes.size());
            ASSERT_EQ(reply.size(), 1u) << condition;
            EXPECT_TRUE(EscPos::IsReplyTo(request, uint8_t(reply[0]))) << condition << " " << n;
            for (const EscPos::StatusBit &bit : EscPos::DecodeStatus(request, uint8_t(reply[0]))) {
                if (bit.set)
                    set.insert(EscPos::ConditionName(bit.condition, true));
            }
        }
        EXPECT_EQ(set, expected) << condition;
        named.insert(set.begin(), set.end());
    }
    EXPECT_EQ(named.size(), 14u) << "a condition of the decoder no simulated printer reports";
}

TEST(StatusParser, SilentAnswersNothingAndUnknownNamesAreRefused)
{
    const auto silent = SimStatusForCondition("silent");
    ASSERT_TRUE(silent);
    CStatusParser parser(*silent);
    EXPECT_EQ(Feed(parser, "\x10\x04\x01\x1D\x72\x01"), "");
    EXPECT_FALSE(SimStatusForCondition("paper"));
}

} // namespace
