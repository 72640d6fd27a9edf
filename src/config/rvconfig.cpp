#include "config/rvconfig.h"

#include "config/inifile.h"
#include "convert/convert.h"
#include "port/portkind.h"

#include <string>

namespace {

constexpr std::string_view kDataKey = "PortCfgData";
constexpr std::string_view kChecksumKey = "PortCfgDataCS";
constexpr std::string_view kSelPortKey = "SelPort";
constexpr std::string_view kHexDisplayKey = "HexDisplay";
constexpr std::string_view kHexSendKey = "HexSend";
constexpr std::string_view kCountRecvKey = "CountRecv";
constexpr std::string_view kCountSendKey = "CountSend";

std::string ReadSetting(const std::filesystem::path &iniPath, std::string_view key)
{
    return ReadIniValue(iniPath, kRvConfigSection, key);
}

// A hex text of separators only is no data, like a missing key; any other
// text, even a malformed one, is data that must pass the checks.
bool HoldsNoByte(std::string_view dataText)
{
    ByteString bytes;
    return dataText.empty() || HexToBytes(dataText, bytes) == 0;
}

void ApplySwitch(const std::filesystem::path &iniPath, std::string_view key, bool &value)
{
    if (LeadingDecimalValue(ReadSetting(iniPath, key)) == 1)
        value = true;
}

void ApplyValues(const std::filesystem::path &iniPath, RvConfigValues &values)
{
    const std::string selPort = ReadSetting(iniPath, kSelPortKey);
    const int kind = LeadingDecimalValue(selPort);
    if (!selPort.empty() && kind >= 0 && kind < kPortKindCount)
        values.selPort = kind;
    ApplySwitch(iniPath, kHexDisplayKey, values.hexDisplay);
    ApplySwitch(iniPath, kHexSendKey, values.hexSend);
    ApplySwitch(iniPath, kCountRecvKey, values.countRecv);
    ApplySwitch(iniPath, kCountSendKey, values.countSend);
}

} // namespace

RvLoadResult LoadRvConfig(const std::filesystem::path &iniPath, RvConfigValues &values,
                          tagPORT_CFG_DATA &block)
{
    const std::string dataText = ReadSetting(iniPath, kDataKey);
    if (HoldsNoByte(dataText))
        return RvLoadResult::NoData;
    const std::string checksumText = ReadSetting(iniPath, kChecksumKey);
    if (PortCfgDataFromText(dataText, checksumText, block) != PortCfgParse::Accepted)
        return RvLoadResult::Invalid;
    ApplyValues(iniPath, values);
    return RvLoadResult::Loaded;
}

RvSaveResult SaveRvConfig(const std::filesystem::path &iniPath, const RvConfigValues &values,
                          const tagPORT_CFG_DATA &block)
{
    // The block and its checksum must reach the file together: a save cut
    // between them would leave a checksum that fails at the next start.
    const IniKeyValue keys[] = {
        {kDataKey, PortCfgDataToText(block)},
        {kChecksumKey, std::to_string(PortCfgDataChecksum(block))},
        {kSelPortKey, std::to_string(values.selPort)},
        {kHexDisplayKey, std::to_string(int(values.hexDisplay))},
        {kHexSendKey, std::to_string(int(values.hexSend))},
        {kCountRecvKey, std::to_string(int(values.countRecv))},
        {kCountSendKey, std::to_string(int(values.countSend))},
    };
    const bool written =
        WriteIniSection(iniPath, kRvConfigSection, kRvConfigComment, keys, IniMissingFile::Create);
    return written ? RvSaveResult::Saved : RvSaveResult::CannotCreate;
}
