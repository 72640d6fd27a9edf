// The configuration file of tarvik-cli and what the plan takes from it.
#pragma once

#include "cliplan.h"

#include <filesystem>
#include <string>

// --config names a regular file that exists; false with the reason otherwise.
bool CheckConfigFile(const CliPlan &plan, std::string &reason);

// The one place the configuration file is looked up: --config FILE, else the
// window's own file (the current folder's "rvcfg.ini", else the user's).
std::filesystem::path CliConfigPath(const CliPlan &plan);

// Without --port: the port the window would open, from the kind and the
// settings stored in the file's settings section (serial and network kinds).
// False with the reason when the file names no such port.
bool PortFromConfig(CliPlan &plan, std::string &reason);

// Fills in the bytes of every --send-cmd from the user commands of the
// configuration file and checks that every --send-file can be read, marking
// pipes and standard input to be read as they come. False with the argument
// at fault and the reason otherwise.
bool ResolveSends(CliPlan &plan, std::string &badArgument, std::string &reason);
