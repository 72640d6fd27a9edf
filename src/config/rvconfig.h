// The settings section "RVConfigs" of the configuration file: the stored
// port settings block, the chosen port kind and the main view's four
// switches. Plain C++ on the INI engine, so that the rules can be tested
// without windows; the main view shows the messages and sets its controls.
//
// Window thread only, like the INI engine.
#pragma once

#include "port/portcfg.h"

#include <filesystem>
#include <string_view>

inline constexpr std::string_view kRvConfigSection = "RVConfigs";

// The comment above the section header, in the file's GBK encoding:
// "# 下面是Tarvik的参数配置，请不要修改" (below are Tarvik's settings,
// please do not change them).
inline constexpr std::string_view kRvConfigComment =
    "# \xCF\xC2\xC3\xE6\xCA\xC7Tarvik\xB5\xC4\xB2\xCE\xCA\xFD\xC5\xE4\xD6\xC3"
    "\xA3\xAC\xC7\xEB\xB2\xBB\xD2\xAA\xD0\xDE\xB8\xC4";

// What the main view keeps in the section besides the block.
struct RvConfigValues
{
    int selPort = 0;         // index in the port kind list; -1 when none is chosen
    bool hexDisplay = false; // receive box shows hex (check box 1009)
    bool hexSend = false;    // send box edits hex (check box 1005)
    bool countRecv = false;  // count received bytes (check box 1054)
    bool countSend = false;  // count sent bytes (check box 1057)
};

enum class RvLoadResult
{
    Loaded, // block replaced; the values the file holds in usable form applied
    NoData, // no "PortCfgData", or one without a byte: nothing applied, no message
    Invalid // "PortCfgData" damaged (length, hex or checksum): nothing applied;
            // the caller tells the user that defaults are used
};

// Reads the section of `iniPath`. Only after the block has been accepted
// are the other keys read: "SelPort" applies when it reads as 0..4, each
// switch when it reads as 1; other values leave the caller's values as
// they were. Numbers read like the C library's atoi (leading digits; text
// without them reads as 0). Key names match exactly, so a hand-edited
// " HexSend =1" (key "HexSend ") is not the switch.
RvLoadResult LoadRvConfig(const std::filesystem::path &iniPath, RvConfigValues &values,
                          tagPORT_CFG_DATA &block);

enum class RvSaveResult
{
    Saved,
    CannotCreate // the file could not be created, read or written; it is
                 // left as it was and the caller shows "Can't Create Config
                 // Ini File!"
};

// Writes "PortCfgData", "PortCfgDataCS", "SelPort", "HexDisplay", "HexSend",
// "CountRecv" and "CountSend" (decimal numbers) and the section comment, in
// one replacement of the file, so that the block and its checksum are never
// written apart. Keys new to the file go directly below the header, in that
// order, so a first save lists them in reverse; a later save keeps the file's
// order and comments and replaces only the values. A missing file is
// created; an existing file that cannot be read is never replaced: its other
// sections (the user commands) would be lost.
RvSaveResult SaveRvConfig(const std::filesystem::path &iniPath, const RvConfigValues &values,
                          const tagPORT_CFG_DATA &block);
