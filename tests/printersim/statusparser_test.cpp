#include "statusparser.h"

#include <gtest/gtest.h>

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

} // namespace
