#include "rvconfig.h"

#include "convert.h"
#include "inifile.h"

#include <string>

namespace {

constexpr std::string_view kDataKey = "PortCfgData";
constexpr std::string_view kChecksumKey = "PortCfgDataCS";
constexpr std::string_view kSelPortKey = "SelPort";
constexpr std::string_view kHexDisplayKey = "HexDisplay";
constexpr std::string_view kHexSendKey = "HexSend";
constexpr std::string_view kCountRecvKey = "CountRecv";
constexpr std::string_view kCountSendKey = "CountSend";
constexpr int kPortKindCount = 5;

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

// Writes the block's text, creating the file only when it does not exist.
bool WriteBlockText(const std::filesystem::path &iniPath, const std::string &text)
{
    IniStatus status = IniStatus::Ok;
    if (WriteIniValue(iniPath, kRvConfigSection, kDataKey, text, &status))
        return true;
    std::error_code error;
    if (status != IniStatus::FileUnreadable ||
        std::filesystem::exists(ResolveIniPath(iniPath), error) || error)
        return false;
    return CreateIniFile(iniPath) && WriteIniValue(iniPath, kRvConfigSection, kDataKey, text);
}

bool WriteNumber(const std::filesystem::path &iniPath, std::string_view key, long long value)
{
    return WriteIniValue(iniPath, kRvConfigSection, key, std::to_string(value));
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
    if (!WriteBlockText(iniPath, PortCfgDataToText(block)))
        return RvSaveResult::CannotCreate;
    bool written = SetIniSectionComment(iniPath, kRvConfigSection, kRvConfigComment);
    // Each write replaces the whole file, so a failure from here on leaves a
    // readable file; at worst its checksum still belongs to the previous
    // block and the next start falls back to the defaults with a message.
    // The remaining values are still written, and the user is told.
    written &= WriteNumber(iniPath, kChecksumKey, PortCfgDataChecksum(block));
    written &= WriteNumber(iniPath, kSelPortKey, values.selPort);
    written &= WriteNumber(iniPath, kHexDisplayKey, values.hexDisplay);
    written &= WriteNumber(iniPath, kHexSendKey, values.hexSend);
    written &= WriteNumber(iniPath, kCountRecvKey, values.countRecv);
    written &= WriteNumber(iniPath, kCountSendKey, values.countSend);
    return written ? RvSaveResult::Saved : RvSaveResult::CannotCreate;
}
