// Writes a confirmed list of user commands to the section "UserCmds" of the
// configuration file: "CmdCnt", the section comment, "CmdName<n>" and
// "CmdValue<n>" for n from 1, then sorts the file in descending order. Keys
// numbered above the new count stay in the file; loading stops at "CmdCnt".
//
// Texts go to the file in its GBK encoding; a character GBK cannot encode is
// written as "?".
//
// Window thread only, like the INI engine.
#pragma once

#include "usercmd/usercmdcfgdlg.h"
#include "usercmd/usercmdstore.h" // kUserCmdSection

#include <QList>

#include <filesystem>

class QWidget;

// True when every entry was written. Otherwise the user has been told with a
// message box on `parent`, and the caller keeps the list it had: the file
// then holds no or only part of the new list.
//
// A missing file is created. An existing file that cannot be read is never
// replaced by an empty one, since its other sections would be lost.
bool SaveUserCommandRows(QWidget *parent, const std::filesystem::path &ini,
                         const QList<CUserCmdCfgDlg::tagUSER_CMD_STR> &rows);
