#include "cliconfig.h"

#include "config/configpath.h"
#include "config/rvconfig.h"
#include "convert/boxtext.h"
#include "port/porterror.h"
#include "usercmd/usercmdentries.h"

#include <QString>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

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
    if (ReadUserCmdEntries(config, entries, UserCmdEmptyValues::Keep) ==
        UserCmdReadStatus::TooMany) {
        reason = config.string() + " holds too many user commands";
        return false;
    }
    const UserCmdEntry *entry = FindCommand(entries, step.text);
    if (!entry)
        reason = "no user command of that name in " + config.string();
    else if (entry->bytes.empty())
        reason = "the user command's value is empty or holds no bytes";
    else
        step.bytes = entry->bytes;
    return entry && !entry->bytes.empty();
}

// The port's file transfer counts in 32 bits.
constexpr uint64_t kMaxFileSize = UINT32_MAX;

// Why the file at `st` cannot be sent whole by the port; empty when it can.
std::string RegularFileFault(const std::string &path, const struct stat &st)
{
    if (st.st_size == 0)
        return "is empty";
    if (uint64_t(st.st_size) > kMaxFileSize)
        return "is larger than 4 GiB, the most a file transfer takes (a pipe has no limit: "
               "--send-file - < FILE)";
    if (::access(path.c_str(), R_OK) != 0)
        return "cannot be read: " + SystemErrorWords(errno);
    return {};
}

// A regular file goes whole to the port; "-" and pipes are read as they come.
bool CheckFile(CliSendStep &step, std::string &reason)
{
    struct stat st
    {
    };
    if (step.text == "-" || (::stat(step.text.c_str(), &st) == 0 && S_ISFIFO(st.st_mode)))
        step.streamed = true;
    else if (st.st_mode == 0)
        reason = "cannot be read: " + SystemErrorWords(errno);
    else if (S_ISDIR(st.st_mode))
        reason = "is a folder";
    else if (!S_ISREG(st.st_mode))
        reason = "is a device, not a file or a pipe";
    else
        reason = RegularFileFault(step.text, st);
    if (reason.empty() && step.streamed && step.passes > 1)
        reason = "is a pipe, which can be sent only once";
    return reason.empty();
}

} // namespace

bool CheckConfigFile(const CliPlan &plan, std::string &reason)
{
    struct stat st
    {
    };
    if (plan.configFile.empty())
        return true;
    if (::stat(plan.configFile.c_str(), &st) != 0)
        reason = "cannot be read: " + SystemErrorWords(errno);
    else if (S_ISDIR(st.st_mode))
        reason = "is a folder";
    else if (!S_ISREG(st.st_mode))
        reason = "is not a regular file";
    return reason.empty();
}

std::filesystem::path CliConfigPath(const CliPlan &plan)
{
    if (!plan.configFile.empty())
        return plan.configFile;
    return ConfigFilePath();
}

namespace {
// The serial panel stores list indexes for the port and the data bits.
constexpr uint8_t kLeastDataBits = 4;
constexpr int kSelSerial = 0;
constexpr int kSelNetwork = 3;

CliPortTarget SerialFromBlock(const tagSERIAL_CFG &stored)
{
    CliPortTarget target;
    target.kind = CliPortKind::Serial;
    target.device = "COM" + std::to_string(stored.dwPort + 1);
    target.baud = stored.dwBaudRate;
    target.dataBits = uint8_t(kLeastDataBits + stored.byDataBits);
    target.parity = stored.byParity;
    target.stopBits = stored.byStopBits;
    target.flow = stored.dwFlowCtrl == 1   ? CliFlow::DtrDsr
                  : stored.dwFlowCtrl == 2 ? CliFlow::XonXoff
                                           : CliFlow::None;
    return target;
}

CliPortTarget NetworkFromBlock(const tagETHERNET_CFG &stored)
{
    CliPortTarget target;
    target.kind = CliPortKind::Network;
    target.host.assign(stored.szHost, strnlen(stored.szHost, sizeof(stored.szHost)));
    target.tcpPort = stored.wPort;
    return target;
}
} // namespace

bool PortFromConfig(CliPlan &plan, std::string &reason)
{
    const std::filesystem::path ini = CliConfigPath(plan);
    RvConfigValues values;
    tagPORT_CFG_DATA block{};
    if (LoadRvConfig(ini, values, block) != RvLoadResult::Loaded) {
        reason = "is required (" + ini.string() + " holds no usable port settings)";
        return false;
    }
    if (values.selPort == kSelSerial && block.serial.dwMarker == kCfgMarkerValid)
        plan.port = SerialFromBlock(block.serial);
    else if (values.selPort == kSelNetwork && block.ethernet.dwMarker == kCfgMarkerValid &&
             block.ethernet.szHost[0] != 0)
        plan.port = NetworkFromBlock(block.ethernet);
    else
        reason = "is required (the port chosen in " + ini.string() +
                 " is not a serial or network port with stored settings)";
    return plan.port.has_value();
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
