// Where the configuration file "rvcfg.ini" lives. Every program and every
// reader of the file (the settings section, the user commands, the device
// map) takes the path from here, so they all read and write the same file.
//
// The rule: "rvcfg.ini" in the current folder when that folder holds one, so
// a prepared folder (the demo, an existing setup) keeps its own settings;
// otherwise "$XDG_CONFIG_HOME/Tarvik/rvcfg.ini", with "~/.config" when
// XDG_CONFIG_HOME is unset, empty or not an absolute path. With neither
// variable set the current folder is used. The file and its folder are made
// by the first save, not by looking the path up.
#pragma once

#include <filesystem>

inline constexpr char kConfigFileName[] = "rvcfg.ini";

// The rule above for a given current folder and environment values (either
// may be null).
std::filesystem::path ChooseConfigFile(const std::filesystem::path &currentDir,
                                       const char *xdgConfigHome, const char *home);

// The rule for this process now: its current folder and environment. Callers
// capture the result once at start, so a later change of the current folder
// does not move the file.
std::filesystem::path ConfigFilePath();

// Creates the folders above `file` that are missing. False when they cannot
// be made.
bool MakeConfigFolder(const std::filesystem::path &file);
