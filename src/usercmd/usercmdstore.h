// Loading the user commands from the section "UserCmds" of the configuration
// file:
//   CmdCnt        number N of entries, read like the C library's atoi
//   CmdName<i>    caption of entry i (1..N), GBK text
//   CmdValue<i>   bytes of entry i in hex notation ("1B,40", "1b 40", "027;064")
// More than kMaxUserCommands entries reject the whole section. Entries with an
// empty caption or value are skipped; an entry whose value gives no bytes is
// offered for deletion.
//
// Window thread only, like the INI engine.
#pragma once

#include "usercmd/usercmdentries.h"
#include "usercmd/usercommandview.h"

#include <filesystem>
#include <functional>
#include <string_view>

class QWidget;

// The two ways loading talks to the user.
struct UserCmdPrompts
{
    // The count is above the limit; nothing is loaded.
    std::function<void()> tooManyCommands;
    // Entry `number` has a value without bytes: true to delete its two keys.
    std::function<bool(int number)> askDeleteBadEntry;

    // Message boxes over `parent`: "Too Many User Commands!" with OK, and
    // string 2321 with Yes and No.
    static UserCmdPrompts MessageBoxes(QWidget *parent);
};

// Appends the commands of `iniFile` to `records`, in entry order. A deleted
// entry loses only its CmdName and CmdValue keys; CmdCnt stays, leaving a gap
// that the next save closes.
void LoadUserCommandRecords(const std::filesystem::path &iniFile,
                            QList<CUserCommandView::tagUSER_CMD_DATA> &records,
                            const UserCmdPrompts &prompts);
