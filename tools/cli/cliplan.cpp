#include "cliplan.h"

#include "convert/bytestring.h"
#include "convert/convert.h"

#include <QList>
#include <QString>

#include <algorithm>
#include <charconv>
#include <functional>
#include <map>

namespace {

const char kUsage[] =
    "Usage: tarvik-cli [--port TARGET] [--send-hex TEXT | --send-text TEXT |\n"
    "                  --send-file PATH [--passes N] [--interval MS] | --send-cmd NAME]...\n"
    "                  [--expect-hex TEXT] [--read-ms MS] [--timeout MS]\n"
    "                  [--output hex|text|raw] [--decode escpos] [--config FILE]\n"
    "                  [--verbose]\n"
    "                  [--codepage NAME]\n"
    "       tarvik-cli --render OUT.png [--paper 58|80] SENDS...\n"
    "       tarvik-cli --list\n"
    "       tarvik-cli --codepage help\n"
    "\n"
    "TARGET: serial:DEVICE[:BAUD[:8N1[:FLOW]]] (FLOW none, rtscts, xonxoff, dtrdsr),\n"
    "      parallel:DEVICE, usb:DEVICE, tcp:HOST:PORT, tcp:[IPv6]:PORT,\n"
    "      printer:QUEUE, or a device name of the window (COM1, LPT1,\n"
    "      \\\\.\\QXUSB-1). Without --port, the serial or network port saved by the\n"
    "      window in the configuration file.\n"
    "--send-file - reads standard input; a pipe is sent as it comes.\n"
    "Sends run in the order given. Exit status: 0 done, 1 reply differs,\n"
    "2 port not opened or lost, 3 time-out, 4 bad arguments. See tarvik-cli(1).\n"
    "--render prints the sends on a virtual printer instead of a port (OUT-1.png,\n"
    "OUT-2.png ... for several receipts); exit 1 when a command was not understood.\n";

using Handler = std::function<bool(CliPlan &, const std::string &value, std::string &reason)>;

std::optional<uint32_t> ParseNumber(const std::string &text, uint32_t min, uint32_t max)
{
    uint32_t value = 0;
    const char *end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < min || value > max)
        return std::nullopt;
    return value;
}

bool NumberInto(const std::string &text, uint32_t min, uint32_t max, uint32_t &out,
                std::string &reason)
{
    const auto value = ParseNumber(text, min, max);
    if (!value)
        reason = "expects a number from " + std::to_string(min) + " to " + std::to_string(max);
    else
        out = *value;
    return value.has_value();
}

// Bytes of a text in one of the notations; an input error is named by offset.
bool BytesInto(ConvResult (*convert)(std::string_view, ByteString &), const std::string &text,
               std::vector<uint8_t> &out, std::string &reason)
{
    ByteString bytes;
    const ConvResult result = convert(text, bytes);
    if (IsConvError(result)) {
        reason = "input error at offset " + std::to_string(ConvErrorIndex(result));
        return false;
    }
    out.assign(bytes.data(), bytes.data() + std::max<ConvResult>(result, 0));
    return true;
}

// The same rule for what is sent and what is expected: at least one byte.
bool AddBytesStep(ConvResult (*convert)(std::string_view, ByteString &), CliPlan &plan,
                  const std::string &text, std::string &reason)
{
    CliSendStep step;
    if (!BytesInto(convert, text, step.bytes, reason))
        return false;
    if (step.bytes.empty()) {
        reason = "expects at least one byte";
        return false;
    }
    plan.sends.push_back(std::move(step));
    return true;
}

// --passes and --interval belong to the --send-file just before them.
CliSendStep *LastFileStep(CliPlan &plan, std::string &reason)
{
    if (plan.sends.empty() || plan.sends.back().kind != CliSendKind::File) {
        reason = "must follow --send-file";
        return nullptr;
    }
    return &plan.sends.back();
}

bool ExpectInto(CliPlan &plan, const std::string &text, std::string &reason)
{
    std::vector<uint8_t> bytes;
    if (!BytesInto(HexToBytes, text, bytes, reason))
        return false;
    if (bytes.empty()) {
        reason = "expects at least one byte";
        return false;
    }
    plan.expect = std::move(bytes);
    return true;
}

bool OutputInto(CliPlan &plan, const std::string &text, std::string &reason)
{
    const std::map<std::string, CliOutputForm> forms{
        {"hex", CliOutputForm::Hex}, {"text", CliOutputForm::Text}, {"raw", CliOutputForm::Raw}};
    const auto it = forms.find(text);
    if (it == forms.end())
        reason = "expects hex, text or raw";
    else
        plan.output = it->second;
    return it != forms.end();
}

bool PortInto(CliPlan &plan, const std::string &text, std::string &reason)
{
    plan.port = ParsePortTarget(text, reason);
    return plan.port.has_value();
}

bool SendHexInto(CliPlan &plan, const std::string &text, std::string &reason)
{
    return AddBytesStep(HexToBytes, plan, text, reason);
}

bool SendTextInto(CliPlan &plan, const std::string &text, std::string &reason)
{
    if (!AddBytesStep(AsciiToBytes, plan, text, reason))
        return false;
    plan.sends.back().text = text;
    plan.sends.back().fromText = true;
    return true;
}

bool CodePageInto(CliPlan &plan, const std::string &name, std::string &reason)
{
    plan.codePageHelp = name == "help";
    plan.codePage = CodePageFromName(name);
    if (!plan.codePage && !plan.codePageHelp)
        reason = "unknown code page (--codepage help lists them)";
    return plan.codePage || plan.codePageHelp;
}

// A terminal's text in the chosen code page, escapes then read as bytes.
bool EncodeTextStep(CodePageId page, CliSendStep &step, std::string &reason)
{
    const QString text = QString::fromLocal8Bit(step.text);
    std::string encoded;
    for (const char32_t ch : text.toUcs4()) {
        uint8_t bytes[4];
        const std::size_t count = EncodeChar(page, ch, bytes);
        if (count == 0) {
            reason = "input error at offset " + std::to_string(encoded.size()) + ": " +
                     NameOfCodePage(page) + " has no code for '" +
                     QString::fromUcs4(&ch, 1).toLocal8Bit().toStdString() + "'";
            return false;
        }
        encoded.append(reinterpret_cast<const char *>(bytes), count);
    }
    return BytesInto(AsciiToBytes, encoded, step.bytes, reason);
}

bool SendFileInto(CliPlan &plan, const std::string &path, std::string &)
{
    plan.sends.push_back({CliSendKind::File, {}, path});
    return true;
}

bool SendCmdInto(CliPlan &plan, const std::string &name, std::string &)
{
    plan.sends.push_back({CliSendKind::Command, {}, name});
    return true;
}

bool PassesInto(CliPlan &plan, const std::string &text, std::string &reason)
{
    CliSendStep *step = LastFileStep(plan, reason);
    uint32_t passes = 0;
    if (!step || !NumberInto(text, 1, INT32_MAX, passes, reason))
        return false;
    step->passes = static_cast<int32_t>(passes);
    return true;
}

bool IntervalInto(CliPlan &plan, const std::string &text, std::string &reason)
{
    CliSendStep *step = LastFileStep(plan, reason);
    return step && NumberInto(text, 0, INT32_MAX, step->intervalMs, reason);
}

bool ReadMsInto(CliPlan &plan, const std::string &text, std::string &reason)
{
    uint32_t ms = 0;
    if (!NumberInto(text, 0, INT32_MAX, ms, reason))
        return false;
    plan.readMs = ms;
    return true;
}

bool TimeoutInto(CliPlan &plan, const std::string &text, std::string &reason)
{
    return NumberInto(text, 1, INT32_MAX, plan.timeoutMs, reason);
}

bool DecodeInto(CliPlan &plan, const std::string &text, std::string &reason)
{
    plan.decodeEscpos = text == "escpos";
    if (!plan.decodeEscpos)
        reason = "expects escpos";
    return plan.decodeEscpos;
}

bool ConfigInto(CliPlan &plan, const std::string &path, std::string &reason)
{
    plan.configFile = path;
    if (path.empty())
        reason = "expects a file name";
    return !path.empty();
}

bool RenderInto(CliPlan &plan, const std::string &path, std::string &reason)
{
    plan.renderPath = path;
    if (path.empty())
        reason = "expects a file name";
    return !path.empty();
}

bool PaperInto(CliPlan &plan, const std::string &text, std::string &reason)
{
    const bool known = text == "58" || text == "80";
    if (!known)
        reason = "expects 58 or 80";
    else
        plan.paperWidth = text == "58" ? 384 : 576;
    return known;
}

const std::map<std::string, Handler> &ValueOptions()
{
    static const std::map<std::string, Handler> options{
        {"--port", PortInto},          {"--send-hex", SendHexInto},  {"--send-text", SendTextInto},
        {"--send-file", SendFileInto}, {"--send-cmd", SendCmdInto},  {"--passes", PassesInto},
        {"--interval", IntervalInto},  {"--expect-hex", ExpectInto}, {"--read-ms", ReadMsInto},
        {"--timeout", TimeoutInto},    {"--output", OutputInto},     {"--decode", DecodeInto},
        {"--config", ConfigInto},      {"--render", RenderInto},     {"--paper", PaperInto},
        {"--codepage", CodePageInto},
    };
    return options;
}

CliParseResult Bad(const std::string &argument, const std::string &reason)
{
    return {std::nullopt, argument, reason};
}

// Without --port the port comes from the configuration file later. Texts
// are encoded here, as --codepage may follow them.
CliParseResult Finished(CliPlan plan)
{
    for (CliSendStep &step : plan.sends) {
        std::string reason;
        if (step.fromText && plan.codePage && !EncodeTextStep(*plan.codePage, step, reason))
            return Bad("--send-text " + step.text, reason);
    }
    return {std::move(plan), {}, {}};
}

} // namespace

const char *CliUsage()
{
    return kUsage;
}

CliParseResult ParseCliArguments(const std::vector<std::string> &args)
{
    CliPlan plan;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        if ((name == "--help" || name == "-h") && !value) {
            plan.help = true;
            continue;
        }
        if (name == "--list" && !value) {
            plan.list = true;
            continue;
        }
        if (name == "--verbose" && !value) {
            plan.verbose = true;
            continue;
        }
        const auto it = ValueOptions().find(name);
        if (it == ValueOptions().end())
            return Bad(args[i], "unknown option");
        if (!value && i + 1 >= args.size())
            return Bad(name, "needs a value");
        const std::string text = value ? *value : args[++i];
        if (std::string reason; !it->second(plan, text, reason))
            return Bad(name + " " + text, reason);
    }
    return Finished(std::move(plan));
}
