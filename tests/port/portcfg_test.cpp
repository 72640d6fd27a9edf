// The stored settings block: its text form, its checksum and reading it back.
#include "port/portcfg.h"

#include "support/bytes_diff.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// A fresh start after the serial panel saved its defaults: COM1 (index 0),
// 9600 baud, no parity, 8 data bits (index 4), one stop bit, hardware flow.
tagPORT_CFG_DATA SavedSerialDefaults()
{
    tagPORT_CFG_DATA block;
    block.serial = {
        .dwBaudRate = 9600, .byDataBits = 4, .dwFlowCtrl = 1, .dwMarker = kCfgMarkerValid};
    return block;
}

tagPORT_CFG_DATA FilledBlock()
{
    tagPORT_CFG_DATA block = SavedSerialDefaults();
    block.ethernet = {
        .szHost = "192.168.1.250", .wPort = 9100, .dwConnKind = 1, .dwMarker = kCfgMarkerValid};
    block.parallel.dwReserved = 0xFFFFFFFF;
    return block;
}

bool SameBlock(const tagPORT_CFG_DATA &a, const tagPORT_CFG_DATA &b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::string Replace(std::string text, char from, char to)
{
    std::replace(text.begin(), text.end(), from, to);
    return text;
}

const tagPORT_CFG_DATA kFilled = FilledBlock();
const std::string kText = PortCfgDataToText(kFilled);
const std::string kSum = std::to_string(PortCfgDataChecksum(kFilled));

} // namespace

TEST(PortCfgData, WrittenAndHandEditedTextsAreReadBack)
{
    std::string lower = kText;
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    for (const std::string &text : {kText, lower, Replace(kText, ',', ' '),
                                    Replace(kText, ',', ';'), "\t" + kText + "\r\n"}) {
        tagPORT_CFG_DATA loaded;
        ASSERT_EQ(PortCfgDataFromText(text, kSum, loaded), PortCfgParse::Accepted)
            << text.substr(0, 40);
        EXPECT_TRUE(SameBlock(kFilled, loaded));
    }
    tagPORT_CFG_DATA block = kFilled;
    EXPECT_EQ(PortCfgDataFromText("", "", block), PortCfgParse::Empty);
    EXPECT_EQ(PortCfgDataFromText("", "425", block), PortCfgParse::Empty);
    EXPECT_TRUE(SameBlock(block, kFilled));
}

TEST(PortCfgData, RejectedTextsLeaveTheBlockAsItWas)
{
    std::string changed = kText;
    changed[4] = changed[4] == '0' ? '1' : '0'; // second byte, checksum kept
    std::string badHex = kText;
    badHex[10] = 'G';
    const std::string serial = PortCfgDataToText(SavedSerialDefaults()); // sums to 425
    // The checksum must be plainly a decimal number, not one that wraps or starts like 425.
    // clang-format off
    const std::pair<std::string, std::string> rows[] = {
        {changed, kSum}, {kText.substr(0, kText.size() - 3), kSum}, {kText + ",00", kSum},
        {" ,; ", "0"}, {badHex, kSum}, {Replace(kText, ',', '-'), kSum},
        {serial, ""}, {serial, "425abc"}, {serial, " 425"}, {serial, "425 "}, {serial, "+425"},
        {serial, "-425"}, {serial, "0x1A9"}, {serial, "4294967721"}, {serial, "99999999999999999999"}};
    // clang-format on
    tagPORT_CFG_DATA probe;
    ASSERT_EQ(PortCfgDataFromText(serial, "425", probe), PortCfgParse::Accepted);
    for (const auto &[text, sum] : rows) {
        tagPORT_CFG_DATA block = SavedSerialDefaults();
        EXPECT_EQ(PortCfgDataFromText(text, sum, block), PortCfgParse::Invalid)
            << text.substr(0, 20) << " / '" << sum << "'";
        EXPECT_TRUE(SameBlock(block, SavedSerialDefaults()));
    }
}
