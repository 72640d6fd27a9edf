// --port TARGET: the kind prefixes and the device names of the window.
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

std::optional<CliPortTarget> WindowName(const std::string &text, std::string &reason)
{
    const std::string upper = Upper(text);
    CliPortTarget target;
    target.device = upper;
    if (IsNumberedName(upper, "COM", 1))
        target.kind = CliPortKind::Serial;
    else if (IsNumberedName(upper, "LPT", 1))
        target.kind = CliPortKind::Parallel;
    else if (IsNumberedName(upper, "\\\\.\\QXUSB-", 0))
        target.kind = CliPortKind::Usb;
    else {
        reason = "is neither KIND:... nor a device name such as COM1, LPT1 or \\\\.\\QXUSB-0";
        return std::nullopt;
    }
    return target;
}

// A device is a path or the window's name of a device of the kind.
bool CheckDevice(CliPortTarget &target, std::string &reason)
{
    if (target.device.find('/') != std::string::npos)
        return true;
    std::string nameReason;
    const auto named = WindowName(target.device, nameReason);
    if (named && named->kind == target.kind) {
        target.device = named->device;
        return true;
    }
    reason = "names '" + target.device + "', neither a device path nor a " +
             (target.kind == CliPortKind::Serial     ? "COMn"
              : target.kind == CliPortKind::Parallel ? "LPTn"
                                                     : "\\\\.\\QXUSB-n") +
             " name";
    return false;
}

// "8N1": data bits 5 to 8, parity N/O/E/M/S, stop bits 1, 1.5 or 2.
bool ParseFrame(const std::string &frame, CliPortTarget &target)
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
    target.dataBits = static_cast<uint8_t>(frame[0] - '0');
    target.parity = static_cast<uint8_t>(parity);
    target.stopBits = static_cast<uint8_t>(stopIt - kStops.begin());
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

std::optional<CliPortTarget> SerialTarget(const std::vector<std::string> &fields,
                                          std::string &reason)
{
    CliPortTarget target;
    target.device = fields[1];
    if (fields.size() > 5 || target.device.empty())
        reason = "expects serial:DEVICE[:BAUD[:8N1[:FLOW]]]";
    else if (!CheckDevice(target, reason))
        return std::nullopt;
    else if (fields.size() > 2 && !ParseBaud(fields[2], target.baud))
        reason = "has a bad baud rate '" + fields[2] + "'";
    else if (fields.size() > 3 && !ParseFrame(fields[3], target))
        reason = "has a bad frame '" + fields[3] + "' (data bits 5-8, parity NOEMS, stop 1/1.5/2)";
    else if (fields.size() > 4 && !ParseFlow(fields[4], target.flow))
        reason = "has a bad flow control '" + fields[4] + "' (none, rtscts, xonxoff, dtrdsr)";
    if (!reason.empty())
        return std::nullopt;
    return target;
}

// HOST:PORT or [IPv6]:PORT.
std::optional<CliPortTarget> NetworkTarget(const std::string &rest, std::string &reason)
{
    std::string host;
    std::string port;
    if (rest.starts_with('[')) {
        const auto close = rest.find("]:");
        if (close != std::string::npos) {
            host = rest.substr(1, close - 1);
            port = rest.substr(close + 2);
        }
    } else if (const auto colon = rest.find(':'); colon == rest.rfind(':')) {
        host = rest.substr(0, colon);
        port = colon == std::string::npos ? "" : rest.substr(colon + 1);
    }
    CliPortTarget target;
    target.kind = CliPortKind::Network;
    uint32_t number = 0;
    if (host.empty() || !ParseBaud(port, number) || number > 65535) {
        reason = "expects tcp:HOST:PORT or tcp:[IPv6 address]:PORT";
        return std::nullopt;
    }
    target.host = host;
    target.tcpPort = static_cast<uint16_t>(number);
    return target;
}

// parallel:DEVICE, usb:DEVICE, printer:QUEUE: the rest of the text whole.
std::optional<CliPortTarget> OneFieldTarget(CliPortKind kind, const std::string &rest,
                                            std::string &reason)
{
    if (rest.empty()) {
        reason = "names no device";
        return std::nullopt;
    }
    CliPortTarget target;
    target.kind = kind;
    (kind == CliPortKind::Printer ? target.queue : target.device) = rest;
    if (kind != CliPortKind::Printer && !CheckDevice(target, reason))
        return std::nullopt;
    return target;
}

} // namespace

std::optional<CliPortTarget> ParsePortTarget(const std::string &text, std::string &reason)
{
    const auto colon = text.find(':');
    if (colon == std::string::npos)
        return WindowName(text, reason);
    const std::string kind = text.substr(0, colon);
    const std::string rest = text.substr(colon + 1);
    if (kind == "serial")
        return SerialTarget(SplitAtColons(text), reason);
    if (kind == "tcp")
        return NetworkTarget(rest, reason);
    if (kind == "parallel")
        return OneFieldTarget(CliPortKind::Parallel, rest, reason);
    if (kind == "usb")
        return OneFieldTarget(CliPortKind::Usb, rest, reason);
    if (kind == "printer")
        return OneFieldTarget(CliPortKind::Printer, rest, reason);
    reason = "has an unknown kind '" + kind + "' (serial, parallel, usb, tcp, printer)";
    return std::nullopt;
}
