#include "cliconfig.h"

#include "boxtext.h"
#include "configpath.h"
#include "usercmdentries.h"

#include <QString>

#include <fstream>

namespace {

// Names are stored in GBK; the argument comes in the locale's encoding.
const UserCmdEntry *FindCommand(const std::vector<UserCmdEntry> &entries, const std::string &name)
{
    const QString wanted = QString::fromLocal8Bit(name.data(), qsizetype(name.size()));
    for (const UserCmdEntry &entry : entries) {
        if (BoxTextFromGbk(entry.name) == wanted)
            return &entry;
    }
    return nullptr;
}

bool ResolveCommand(const std::filesystem::path &config, CliSendStep &step, std::string &reason)
{
    std::vector<UserCmdEntry> entries;
    if (!std::filesystem::exists(config)) {
        reason = "there is no configuration file " + config.string();
        return false;
    }
    if (ReadUserCmdEntries(config, entries) == UserCmdReadStatus::TooMany) {
        reason = config.string() + " holds too many user commands";
        return false;
    }
    const UserCmdEntry *entry = FindCommand(entries, step.text);
    if (!entry)
        reason = "no user command of that name in " + config.string();
    else if (entry->bytes.empty())
        reason = "the user command's value holds no bytes";
    else
        step.bytes = entry->bytes;
    return entry && !entry->bytes.empty();
}

bool CheckFile(const CliSendStep &step, std::string &reason)
{
    std::ifstream file(step.text, std::ios::binary | std::ios::ate);
    if (!file)
        reason = "cannot be read";
    else if (file.tellg() <= 0)
        reason = "is empty";
    return reason.empty();
}

} // namespace

std::filesystem::path CliConfigPath(const CliPlan &plan)
{
    if (!plan.configFile.empty())
        return plan.configFile;
    return ConfigFilePath();
}

bool ResolveSends(CliPlan &plan, std::string &badArgument, std::string &reason)
{
    for (CliSendStep &step : plan.sends) {
        const bool ok = step.kind == CliSendKind::Command
                            ? ResolveCommand(CliConfigPath(plan), step, reason)
                        : step.kind == CliSendKind::File ? CheckFile(step, reason)
                                                         : true;
        if (!ok) {
            badArgument =
                (step.kind == CliSendKind::File ? "--send-file " : "--send-cmd ") + step.text;
            return false;
        }
    }
    return true;
}
