// The configuration file of tarvik-cli and what the plan takes from it.
#pragma once

#include "cliplan.h"

#include <filesystem>
#include <string>

// The one place the configuration file is looked up: --config FILE, else
// "rvcfg.ini" in the current folder.
std::filesystem::path CliConfigPath(const CliPlan &plan);

// Fills in the bytes of every --send-cmd from the user commands of the
// configuration file and checks that every --send-file can be read. False
// with the argument at fault and the reason otherwise.
bool ResolveSends(CliPlan &plan, std::string &badArgument, std::string &reason);
