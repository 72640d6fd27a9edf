// --port SPEC: the kind prefixes and the device names of the window.
#include "cliplan.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <string_view>

namespace {

std::vector<std::string> SplitAtColons(const std::string &text)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t colon; (colon = text.find(':', start)) != std::string::npos; start = colon + 1)
        fields.push_back(text.substr(start, colon - start));
    fields.push_back(text.substr(start));
    return fields;
}

std::string Upper(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// True when `text` is `prefix` followed by a number of at least `min`.
bool IsNumberedName(const std::string &text, std::string_view prefix, long min)
{
    if (!text.starts_with(prefix) || text.size() == prefix.size())
        return false;
    long n = 0;
    const char *end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data() + prefix.size(), end, n);
    return ec == std::errc() && ptr == end && n >= min;
}

std::optional<CliPortSpec> WindowName(const std::string &text, std::string &reason)
{
    const std::string upper = Upper(text);
    CliPortSpec spec;
    spec.device = upper;
    if (IsNumberedName(upper, "COM", 1))
        spec.kind = CliPortKind::Serial;
    else if (IsNumberedName(upper, "LPT", 1))
        spec.kind = CliPortKind::Parallel;
    else if (IsNumberedName(upper, "\\\\.\\QXUSB-", 0))
        spec.kind = CliPortKind::Usb;
    else {
        reason = "is neither KIND:... nor a device name such as COM1, LPT1 or \\\\.\\QXUSB-0";
        return std::nullopt;
    }
    return spec;
}

// A device is a path or the window's name of a device of the kind.
bool CheckDevice(CliPortSpec &spec, std::string &reason)
{
    if (spec.device.find('/') != std::string::npos)
        return true;
    std::string nameReason;
    const auto named = WindowName(spec.device, nameReason);
    if (named && named->kind == spec.kind) {
        spec.device = named->device;
        return true;
    }
    reason = "names '" + spec.device + "', neither a device path nor a " +
             (spec.kind == CliPortKind::Serial     ? "COMn"
              : spec.kind == CliPortKind::Parallel ? "LPTn"
                                                   : "\\\\.\\QXUSB-n") +
             " name";
    return false;
}

// "8N1": data bits 5 to 8, parity N/O/E/M/S, stop bits 1, 1.5 or 2.
bool ParseFrame(const std::string &frame, CliPortSpec &spec)
{
    constexpr std::string_view kParities = "NOEMS";
    if (frame.size() < 3 || frame[0] < '5' || frame[0] > '8')
        return false;
    const auto parity =
        kParities.find(static_cast<char>(std::toupper(static_cast<unsigned char>(frame[1]))));
    const std::string stop = frame.substr(2);
    const std::array<std::string_view, 3> kStops{"1", "1.5", "2"};
    const auto stopIt = std::find(kStops.begin(), kStops.end(), stop);
    if (parity == std::string_view::npos || stopIt == kStops.end())
        return false;
    spec.dataBits = static_cast<uint8_t>(frame[0] - '0');
    spec.parity = static_cast<uint8_t>(parity);
    spec.stopBits = static_cast<uint8_t>(stopIt - kStops.begin());
    return true;
}

bool ParseFlow(const std::string &text, CliFlow &flow)
{
    const std::array<std::pair<std::string_view, CliFlow>, 4> kFlows{{{"none", CliFlow::None},
                                                                      {"rtscts", CliFlow::RtsCts},
                                                                      {"xonxoff", CliFlow::XonXoff},
                                                                      {"dtrdsr", CliFlow::DtrDsr}}};
    for (const auto &[name, value] : kFlows) {
        if (text == name) {
            flow = value;
            return true;
        }
    }
    return false;
}

bool ParseBaud(const std::string &text, uint32_t &baud)
{
    const char *end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, baud);
    return !text.empty() && ec == std::errc() && ptr == end && baud > 0;
}

std::optional<CliPortSpec> SerialSpec(const std::vector<std::string> &fields, std::string &reason)
{
    CliPortSpec spec;
    spec.device = fields[1];
    if (fields.size() > 5 || spec.device.empty())
        reason = "expects serial:DEVICE[:BAUD[:8N1[:FLOW]]]";
    else if (!CheckDevice(spec, reason))
        return std::nullopt;
    else if (fields.size() > 2 && !ParseBaud(fields[2], spec.baud))
        reason = "has a bad baud rate '" + fields[2] + "'";
    else if (fields.size() > 3 && !ParseFrame(fields[3], spec))
        reason = "has a bad frame '" + fields[3] + "' (data bits 5-8, parity NOEMS, stop 1/1.5/2)";
    else if (fields.size() > 4 && !ParseFlow(fields[4], spec.flow))
        reason = "has a bad flow control '" + fields[4] + "' (none, rtscts, xonxoff, dtrdsr)";
    if (!reason.empty())
        return std::nullopt;
    return spec;
}

std::optional<CliPortSpec> NetworkSpec(const std::vector<std::string> &fields, std::string &reason)
{
    CliPortSpec spec;
    spec.kind = CliPortKind::Network;
    uint32_t port = 0;
    if (fields.size() != 3 || fields[1].empty() || !ParseBaud(fields[2], port) || port > 65535) {
        reason = "expects tcp:HOST:PORT";
        return std::nullopt;
    }
    spec.host = fields[1];
    spec.tcpPort = static_cast<uint16_t>(port);
    return spec;
}

// parallel:DEVICE, usb:DEVICE, printer:QUEUE: the rest of the text whole.
std::optional<CliPortSpec> OneFieldSpec(CliPortKind kind, const std::string &rest,
                                        std::string &reason)
{
    if (rest.empty()) {
        reason = "names no device";
        return std::nullopt;
    }
    CliPortSpec spec;
    spec.kind = kind;
    (kind == CliPortKind::Printer ? spec.queue : spec.device) = rest;
    if (kind != CliPortKind::Printer && !CheckDevice(spec, reason))
        return std::nullopt;
    return spec;
}

} // namespace

std::optional<CliPortSpec> ParsePortSpec(const std::string &text, std::string &reason)
{
    const auto colon = text.find(':');
    if (colon == std::string::npos)
        return WindowName(text, reason);
    const std::string kind = text.substr(0, colon);
    const std::string rest = text.substr(colon + 1);
    if (kind == "serial")
        return SerialSpec(SplitAtColons(text), reason);
    if (kind == "tcp")
        return NetworkSpec(SplitAtColons(text), reason);
    if (kind == "parallel")
        return OneFieldSpec(CliPortKind::Parallel, rest, reason);
    if (kind == "usb")
        return OneFieldSpec(CliPortKind::Usb, rest, reason);
    if (kind == "printer")
        return OneFieldSpec(CliPortKind::Printer, rest, reason);
    reason = "has an unknown kind '" + kind + "' (serial, parallel, usb, tcp, printer)";
    return std::nullopt;
}
