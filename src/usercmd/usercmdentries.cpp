#include "usercmd/usercmdentries.h"

#include "config/inifile.h"
#include "convert/bytestring.h"
#include "convert/convert.h"

namespace {
std::string EntryKey(const char *prefix, int number)
{
    return prefix + std::to_string(number);
}

// The bytes of a value text; empty for an input error or a text of separators.
std::vector<uint8_t> ValueBytes(const std::string &text)
{
    ByteString bytes;
    const ConvResult count = HexToBytes(text, bytes);
    if (count <= 0)
        return {};
    return {bytes.data(), bytes.data() + count};
}
} // namespace

UserCmdReadStatus ReadUserCmdEntries(const std::filesystem::path &iniFile,
                                     std::vector<UserCmdEntry> &entries,
                                     UserCmdEmptyValues emptyValues)
{
    const int count = LeadingDecimalValue(ReadIniValue(iniFile, kUserCmdSection, "CmdCnt"));
    if (count > kMaxUserCommands)
        return UserCmdReadStatus::TooMany;
    for (int i = 1; i <= count; ++i) {
        std::string name = ReadIniValue(iniFile, kUserCmdSection, EntryKey("CmdName", i));
        if (name.empty())
            continue;
        const std::string value = ReadIniValue(iniFile, kUserCmdSection, EntryKey("CmdValue", i));
        if (!value.empty() || emptyValues == UserCmdEmptyValues::Keep)
            entries.push_back({i, std::move(name), ValueBytes(value)});
    }
    return UserCmdReadStatus::Ok;
}

void DeleteUserCmdEntry(const std::filesystem::path &iniFile, int number)
{
    DeleteIniKey(iniFile, kUserCmdSection, EntryKey("CmdName", number));
    DeleteIniKey(iniFile, kUserCmdSection, EntryKey("CmdValue", number));
}
