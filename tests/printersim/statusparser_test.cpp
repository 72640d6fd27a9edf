#include "statusparser.h"

#include <gtest/gtest.h>

namespace {

std::string FeedAll(CStatusParser &parser, const std::string &bytes)
{
    return parser.Feed(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
}

struct AnswerRow
{
    const char *name;
    std::string request;
    std::string answer;
};

class StatusAnswers : public testing::TestWithParam<AnswerRow>
{
};

TEST_P(StatusAnswers, AnswersWholeRequest)
{
    CStatusParser parser;
    EXPECT_EQ(FeedAll(parser, GetParam().request), GetParam().answer);
}

TEST_P(StatusAnswers, AnswersRequestSplitIntoSingleBytes)
{
    CStatusParser parser;
    std::string answers;
    for (char byte : GetParam().request)
        answers += FeedAll(parser, std::string(1, byte));
    EXPECT_EQ(answers, GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, StatusAnswers,
    testing::Values(AnswerRow{"DleEot1", "\x10\x04\x01", "\x12"},
                    AnswerRow{"DleEot4", "\x10\x04\x04", "\x12"},
                    AnswerRow{"DleEot5Unknown", "\x10\x04\x05", ""},
                    AnswerRow{"GsR1", "\x1D\x72\x01", std::string(1, '\0')},
                    AnswerRow{"GsR49", "\x1D\x72\x31", std::string(1, '\0')},
                    AnswerRow{"GsR3Unknown", "\x1D\x72\x03", ""},
                    AnswerRow{"InPrintData", "ABC\x10\x04\x02xyz\x1D\x72\x02",
                              "\x12" + std::string(1, '\0')},
                    AnswerRow{"DleDleEot", "\x10\x10\x04\x03", "\x12"},
                    AnswerRow{"GsWithOtherCommand", "\x1D\x21\x10\x04\x01", "\x12"},
                    AnswerRow{"PlainText", "Hello\r\n", ""}),
    [](const testing::TestParamInfo<AnswerRow> &row) { return row.param.name; });

TEST(StatusParser, TwoRequestsBackToBackGiveTwoAnswers)
{
    CStatusParser parser;
    EXPECT_EQ(FeedAll(parser, "\x10\x04\x01\x10\x04\x01"), "\x12\x12");
}

} // namespace
