#include "port/portcfg.h"

#include "convert/convert.h"

#include <array>
#include <bit>
#include <charconv>
#include <cstring>
#include <numeric>
#include <type_traits>

namespace {

using BlockBytes = std::array<uint8_t, kPortCfgDataSize>;

static_assert(std::is_trivially_copyable_v<tagPORT_CFG_DATA>);

BlockBytes BytesOf(const tagPORT_CFG_DATA &block)
{
    return std::bit_cast<BlockBytes>(block);
}

// Accepts only a plain run of decimal digits: a sign, blanks, trailing text or
// a value that does not fit would otherwise be read as some other number.
bool ParseChecksum(std::string_view text, uint32_t &value)
{
    if (text.empty())
        return false;
    const char *end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end;
}

} // namespace

tagPORT_CFG_DATA &PortCfgData()
{
    static tagPORT_CFG_DATA block;
    return block;
}

std::string PortCfgDataToText(const tagPORT_CFG_DATA &block)
{
    const BlockBytes bytes = BytesOf(block);
    ByteString text;
    BytesToHex(bytes, text, ',');
    return std::string(text.view());
}

uint32_t PortCfgDataChecksum(const tagPORT_CFG_DATA &block)
{
    const BlockBytes bytes = BytesOf(block);
    return std::accumulate(bytes.begin(), bytes.end(), uint32_t{0});
}

PortCfgParse PortCfgDataFromText(std::string_view dataText, std::string_view checksumText,
                                 tagPORT_CFG_DATA &block)
{
    if (dataText.empty())
        return PortCfgParse::Empty;
    uint32_t expectedSum = 0;
    if (!ParseChecksum(checksumText, expectedSum))
        return PortCfgParse::Invalid;
    ByteString bytes;
    if (HexToBytes(dataText, bytes) != static_cast<ConvResult>(kPortCfgDataSize))
        return PortCfgParse::Invalid;
    BlockBytes raw;
    std::memcpy(raw.data(), bytes.data(), raw.size());
    const auto parsed = std::bit_cast<tagPORT_CFG_DATA>(raw);
    if (PortCfgDataChecksum(parsed) != expectedSum)
        return PortCfgParse::Invalid;
    block = parsed;
    return PortCfgParse::Accepted;
}
