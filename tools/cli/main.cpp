// tarvik-cli: the port library behind a command line, for scripted printer
// tests. Exit statuses are in cliplan.h; tarvik-cli(1) describes the options.
#include "cliconfig.h"
#include "cliplan.h"
#include "cliport.h"
#include "clirender.h"
#include "clireply.h"
#include "clisession.h"
#include "port/devicemap.h"
#include "port/portex.h"

#include <QCoreApplication>

#include <cstdio>
#include <unistd.h>

namespace {

int BadArguments(const std::string &argument, const std::string &reason)
{
    std::fprintf(stderr, "tarvik-cli: bad argument '%s': %s\n\n%s", argument.c_str(),
                 reason.c_str(), CliUsage());
    return kExitBadArgs;
}

int ListCodePages()
{
    for (const CodePageName &page : CodePageNames())
        std::printf("%s%s\n", page.name, page.id == CodePageId::Gbk ? " (default)" : "");
    return kExitDone;
}

int ListPorts()
{
    for (const std::string &target : ListCliPorts())
        std::printf("%s\n", target.c_str());
    return kExitDone;
}

void PrintResult(const CCliSession &session, const CliPlan &plan)
{
    const std::string reply = FormatReply(session.Reply(), plan.output, plan.codePage);
    std::fwrite(reply.data(), 1, reply.size(), stdout);
    for (const std::string &line : session.StatusLines())
        std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    if (!session.Message().empty()) {
        const std::string &message = session.Message();
        std::fprintf(stderr, "tarvik-cli: %s%s", message.c_str(),
                     message.ends_with('\n') ? "" : "\n");
    }
}

int RunPlan(const CliPlan &plan)
{
    CliPortResult created = CreateCliPort(*plan.port);
    if (!created.port) {
        std::fprintf(stderr, "tarvik-cli: cannot open the port: %s\n", created.error.c_str());
        return kExitPortFailed;
    }
    CCliSession session(plan, *created.port, isatty(STDERR_FILENO) != 0);
    const int status = session.Run();
    created.port->ClosePort();
    PrintResult(session, plan);
    return status;
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    CliParseResult parsed = ParseCliArguments(args);
    const bool render = parsed.plan && !parsed.plan->renderPath.empty();
    const std::unique_ptr<QCoreApplication> app = CreateCliApplication(argc, argv, render);
    if (!parsed.plan)
        return BadArguments(parsed.badArgument, parsed.reason);
    CliPlan &plan = *parsed.plan;
    if (plan.help) {
        std::fputs(CliUsage(), stdout);
        return kExitDone;
    }
    if (plan.codePageHelp)
        return ListCodePages();
    CPortEx::SetTraceOutput(plan.verbose ? TraceOutput::StandardError : TraceOutput::Nowhere);
    if (std::string reason; !CheckConfigFile(plan, reason))
        return BadArguments("--config " + plan.configFile, reason);
    LoadDeviceOverrides(CliConfigPath(plan).string()); // names like COM1 follow [Devices]
    if (plan.list)
        return ListPorts();
    std::string badArgument;
    std::string reason;
    if (!render && !plan.port && !PortFromConfig(plan, reason))
        return BadArguments("--port", reason);
    if (!ResolveSends(plan, badArgument, reason))
        return BadArguments(badArgument, reason);
    return render ? RenderPlan(plan) : RunPlan(plan);
}
