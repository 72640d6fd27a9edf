// The entries of the section "UserCmds" as stored: plain C++ on the INI
// engine, so that programs without widgets read the same commands as the
// button strip does.
//   CmdCnt        number N of entries, read like the C library's atoi
//   CmdName<i>    caption of entry i (1..N), GBK text
//   CmdValue<i>   bytes of entry i in hex notation ("1B,40", "1b 40", "027;064")
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view kUserCmdSection = "UserCmds";
inline constexpr int kMaxUserCommands = 200;

struct UserCmdEntry
{
    int number = 0;             // i of CmdName<i>
    std::string name;           // GBK bytes, never empty
    std::vector<uint8_t> bytes; // empty when the value gives no bytes
};

enum class UserCmdReadStatus
{
    Ok,
    TooMany // the count is above kMaxUserCommands; nothing was read
};

enum class UserCmdEmptyValues
{
    Skip, // the button strip shows no button for them and says nothing
    Keep  // with empty bytes, so that a caller looking for a name finds it
};

// Appends the entries in number order. Entries with an empty caption are
// skipped, entries with an empty value as `emptyValues` says; an entry whose
// value holds no byte (or an input error) is kept with empty bytes, so that
// the caller can offer to delete it.
UserCmdReadStatus ReadUserCmdEntries(const std::filesystem::path &iniFile,
                                     std::vector<UserCmdEntry> &entries,
                                     UserCmdEmptyValues emptyValues = UserCmdEmptyValues::Skip);
// Removes the CmdName and CmdValue keys of entry `number`; CmdCnt stays.
void DeleteUserCmdEntry(const std::filesystem::path &iniFile, int number);
