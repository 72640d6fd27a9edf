// The stored settings block: its text form, its checksum and reading it back.
#include "portcfg.h"

#include "support/bytes_diff.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <string>

namespace {

// The block of a fresh start after the serial panel saved its defaults:
// COM1 (list index 0), 9600 baud, no parity, 8 data bits (list index 4), one
// stop bit, hardware flow control.
tagPORT_CFG_DATA SavedSerialDefaults()
{
    tagPORT_CFG_DATA block;
    block.serial.dwPort = 0;
    block.serial.dwBaudRate = 9600;
    block.serial.byParity = 0;
    block.serial.byDataBits = 4;
    block.serial.byStopBits = 0;
    block.serial.dwFlowCtrl = 1;
    block.serial.dwMarker = kCfgMarkerValid;
    return block;
}

tagPORT_CFG_DATA FilledBlock()
{
    tagPORT_CFG_DATA block = SavedSerialDefaults();
    std::strcpy(block.ethernet.szHost, "192.168.1.250");
    block.ethernet.wPort = 9100;
    block.ethernet.dwConnKind = 1;
    block.ethernet.dwMarker = kCfgMarkerValid;
    block.parallel.dwReserved = 0xFFFFFFFF;
    return block;
}

tagPORT_CFG_DATA BlockOfBytes(uint8_t value)
{
    std::array<uint8_t, kPortCfgDataSize> bytes;
    bytes.fill(value);
    return std::bit_cast<tagPORT_CFG_DATA>(bytes);
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

TEST(PortCfgDataBlock, ProcessWideAndZeroAtStart)
{
    tagPORT_CFG_DATA &block = PortCfgData();
    EXPECT_EQ(&block, &PortCfgData());
    EXPECT_TRUE(SameBlock(block, tagPORT_CFG_DATA{}));
    EXPECT_EQ(PortCfgDataChecksum(block), 0u);
}

TEST(PortCfgDataText, WorkedExampleOfASavedSerialPart)
{
    const tagPORT_CFG_DATA block = SavedSerialDefaults();
    const std::string text = PortCfgDataToText(block);
    const std::string serialPart = "00,00,00,00,80,25,00,00,00,04,00,00,01,00,00,00,AA,55,00,00";
    std::string expected = serialPart;
    for (std::size_t i = 20; i < kPortCfgDataSize; ++i)
        expected += ",00";
    ASSERT_EQ(text.size(), kPortCfgTextLength);
    EXPECT_EQ(text.size(), 1187u);
    EXPECT_TRUE(SameBytes(expected, text));
    EXPECT_EQ(PortCfgDataChecksum(block), 425u);
}

TEST(PortCfgDataText, UpperCaseDigitsAndLargestSum)
{
    EXPECT_EQ(PortCfgDataToText(BlockOfBytes(0xAB)).substr(0, 9), "AB,AB,AB,");
    EXPECT_EQ(PortCfgDataChecksum(BlockOfBytes(0xFF)), 100980u);
}

TEST(PortCfgDataRead, TextWrittenIsReadBack)
{
    const tagPORT_CFG_DATA saved = FilledBlock();
    tagPORT_CFG_DATA loaded;
    ASSERT_EQ(PortCfgDataFromText(PortCfgDataToText(saved),
                                  std::to_string(PortCfgDataChecksum(saved)), loaded),
              PortCfgParse::Accepted);
    EXPECT_TRUE(SameBlock(saved, loaded));
}

// Hand-edited texts follow the general hex rules.
TEST(PortCfgDataRead, LowerCaseAndOtherSeparatorsAccepted)
{
    const tagPORT_CFG_DATA saved = FilledBlock();
    const std::string text = PortCfgDataToText(saved);
    const std::string checksum = std::to_string(PortCfgDataChecksum(saved));
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    for (const std::string &edited :
         {lower, Replace(text, ',', ' '), Replace(text, ',', ';'), "\t" + text + "\r\n"}) {
        tagPORT_CFG_DATA loaded;
        ASSERT_EQ(PortCfgDataFromText(edited, checksum, loaded), PortCfgParse::Accepted)
            << edited.substr(0, 40);
        EXPECT_TRUE(SameBlock(saved, loaded));
    }
}

// A rejected text leaves the block exactly as it was.
class PortCfgDataRejected : public ::testing::Test
{
protected:
    void ExpectRejected(const std::string &data, const std::string &checksum)
    {
        EXPECT_EQ(PortCfgDataFromText(data, checksum, m_block), PortCfgParse::Invalid)
            << "checksum text '" << checksum << "'";
        EXPECT_TRUE(SameBlock(m_block, m_before));
    }

    const tagPORT_CFG_DATA m_saved = FilledBlock();
    const std::string m_text = PortCfgDataToText(m_saved);
    const std::string m_checksum = std::to_string(PortCfgDataChecksum(m_saved));
    const tagPORT_CFG_DATA m_before = SavedSerialDefaults();
    tagPORT_CFG_DATA m_block = m_before;
};

TEST_F(PortCfgDataRejected, OneByteChangedChecksumKept)
{
    std::string changed = m_text;
    changed[4] = changed[4] == '0' ? '1' : '0'; // second byte
    ExpectRejected(changed, m_checksum);
}

TEST_F(PortCfgDataRejected, WrongByteCount)
{
    const std::string lastByte = m_text.substr(m_text.size() - 2);
    ExpectRejected(m_text.substr(0, m_text.size() - 3), m_checksum); // 395 bytes
    ExpectRejected(m_text + ",00", m_checksum);                      // 397 bytes
    ExpectRejected(" ,; ", "0");                                     // separators only: no bytes
}

TEST_F(PortCfgDataRejected, BadHex)
{
    std::string bad = m_text;
    bad[10] = 'G';
    ExpectRejected(bad, m_checksum);
    ExpectRejected(Replace(m_text, ',', '-'), m_checksum);
}

// A checksum that is not plainly a decimal number must not pass as some
// other number: "425abc" or "4294967721" (425 + 2^32) would match a sum of 425.
TEST_F(PortCfgDataRejected, ChecksumNotACleanNumber)
{
    const tagPORT_CFG_DATA serial = SavedSerialDefaults();
    const std::string serialText = PortCfgDataToText(serial);
    tagPORT_CFG_DATA probe;
    ASSERT_EQ(PortCfgDataFromText(serialText, "425", probe), PortCfgParse::Accepted);
    for (const char *checksum : {"", "425abc", " 425", "425 ", "+425", "-425", "0x1A9",
                                 "4294967721", "99999999999999999999"})
        ExpectRejected(serialText, checksum);
}

TEST(PortCfgDataRead, EmptyTextLeavesBlockWithoutComplaint)
{
    tagPORT_CFG_DATA block = FilledBlock();
    EXPECT_EQ(PortCfgDataFromText("", "", block), PortCfgParse::Empty);
    EXPECT_EQ(PortCfgDataFromText("", "425", block), PortCfgParse::Empty);
    EXPECT_TRUE(SameBlock(block, FilledBlock()));
}

} // namespace
