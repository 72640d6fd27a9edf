// The command line's own units: the plan from the arguments and the reply
// matcher with its output forms.
#include "cliplan.h"
#include "clireply.h"
#include "support/bytes_diff.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>

namespace {

using bytes_diff::AsBytes;
using namespace std::string_literals;

std::vector<std::string> Words(const std::string &line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

CliPlan Parsed(const std::vector<std::string> &args)
{
    CliParseResult result = ParseCliArguments(args);
    EXPECT_TRUE(result.plan) << result.badArgument << ": " << result.reason;
    return result.plan.value_or(CliPlan{});
}

TEST(CliPlan, PortTargetsOfEveryKind)
{
    struct Row
    {
        const char *text;
        CliPortKind kind;
        const char *where; // device, host or queue
        uint16_t tcpPort = 0;
        uint32_t baud = 9600;
        uint8_t dataBits = 8, parity = 0, stopBits = 0;
        CliFlow flow = CliFlow::None;
    };
    const Row rows[] = {
        {"serial:/dev/ttyUSB0", CliPortKind::Serial, "/dev/ttyUSB0"},
        {"serial:/dev/ttyS1:115200:7E2:rtscts", CliPortKind::Serial, "/dev/ttyS1", 0, 115200, 7, 2,
         2, CliFlow::RtsCts},
        {"serial:COM3:19200:8o1.5:xonxoff", CliPortKind::Serial, "COM3", 0, 19200, 8, 1, 1,
         CliFlow::XonXoff},
        {"serial:/dev/ttyACM0:250000:5S1:dtrdsr", CliPortKind::Serial, "/dev/ttyACM0", 0, 250000, 5,
         4, 0, CliFlow::DtrDsr},
        {"parallel:/dev/lp0", CliPortKind::Parallel, "/dev/lp0"},
        {"usb:/dev/usb/lp1", CliPortKind::Usb, "/dev/usb/lp1"},
        {"tcp:192.168.1.20:9100", CliPortKind::Network, "192.168.1.20", 9100},
        {"tcp:[::1]:9100", CliPortKind::Network, "::1", 9100},
        {"tcp:[fe80::1%eth0]:631", CliPortKind::Network, "fe80::1%eth0", 631},
        {"printer:Office Laser", CliPortKind::Printer, "Office Laser"},
        {"com2", CliPortKind::Serial, "COM2"},
        {"serial:com4:4800", CliPortKind::Serial, "COM4", 0, 4800},
        {"usb:\\\\.\\qxusb-2", CliPortKind::Usb, "\\\\.\\QXUSB-2"},
        {"LPT1", CliPortKind::Parallel, "LPT1"},
        {"\\\\.\\QXUSB-1", CliPortKind::Usb, "\\\\.\\QXUSB-1"},
    };
    for (const Row &row : rows) {
        std::string reason;
        const auto target = ParsePortTarget(row.text, reason);
        ASSERT_TRUE(target) << row.text << ": " << reason;
        const std::string where = target->kind == CliPortKind::Network   ? target->host
                                  : target->kind == CliPortKind::Printer ? target->queue
                                                                         : target->device;
        EXPECT_EQ(std::tie(target->kind, where, target->baud, target->dataBits, target->parity,
                           target->stopBits, target->flow, target->tcpPort),
                  std::tie(row.kind, row.where, row.baud, row.dataBits, row.parity, row.stopBits,
                           row.flow, row.tcpPort))
            << row.text;
    }
}

TEST(CliPlan, SendsKeepTheirOrderAndFileOptionsTheirFile)
{
    const CliPlan plan = Parsed(
        Words("--send-hex 1B,40 --send-file a.bin --passes 3 --interval=250 --send-text A<\\x0D> "
              "--send-cmd Status --send-file b.bin --port tcp:h:1"));
    ASSERT_EQ(plan.sends.size(), 5u);
    EXPECT_EQ(plan.sends[0].bytes, (std::vector<uint8_t>{0x1B, 0x40}));
    EXPECT_EQ(plan.sends[1].kind, CliSendKind::File);
    EXPECT_EQ(plan.sends[1].text, "a.bin");
    EXPECT_EQ(plan.sends[1].passes, 3);
    EXPECT_EQ(plan.sends[1].intervalMs, 250u);
    EXPECT_EQ(plan.sends[2].bytes, (std::vector<uint8_t>{'A', 0x0D}));
    EXPECT_EQ(plan.sends[3].kind, CliSendKind::Command);
    EXPECT_EQ(plan.sends[3].text, "Status");
    EXPECT_EQ(plan.sends[4].passes, 1);
    EXPECT_EQ(plan.sends[4].intervalMs, 0u);
}

// The terminal's text (UTF-8 here) goes out in the code page, wherever
// --codepage stands; without it the text's own bytes go out.
TEST(CliPlan, TextsAreEncodedInTheChosenCodePage)
{
    const std::pair<const char *, std::string> rows[] = {
        {"--codepage PC858 --send-text Café€", "Caf\x82\xD5"},
        {"--send-text Grüße<\\x0D> --codepage utf-8", "Gr\xC3\xBC\xC3\x9F"
                                                      "e\r"},
        {"--codepage Shift-JIS --send-text 日本", "\x93\xFA\x96\x7B"},
        {"--codepage PC866 --send-text Привет", "\x8F\xE0\xA8\xA2\xA5\xE2"},
        {"--send-text Grüße", "Gr\xC3\xBC\xC3\x9F"
                              "e"},
    };
    for (const auto &[line, bytes] : rows) {
        SCOPED_TRACE(line);
        const CliPlan plan = Parsed(Words(std::string("--port tcp:h:1 ") + line));
        ASSERT_EQ(plan.sends.size(), 1u);
        EXPECT_EQ(plan.sends[0].bytes, std::vector<uint8_t>(bytes.begin(), bytes.end()));
    }
    EXPECT_TRUE(Parsed(Words("--codepage help")).codePageHelp);
}

TEST(CliPlan, ReplyOptionsAndDefaults)
{
    const CliPlan defaults = Parsed(Words("--port COM1"));
    EXPECT_EQ(defaults.timeoutMs, 5000u);
    EXPECT_EQ(defaults.output, CliOutputForm::Hex);
    EXPECT_FALSE(defaults.expect || defaults.readMs || defaults.decodeEscpos || defaults.verbose);
    const CliPlan plan =
        Parsed(Words("--port COM1 --expect-hex 12,013 --read-ms 0 --timeout 2000 "
                     "--output raw --decode escpos --config /etc/x.ini --verbose"));
    EXPECT_EQ(plan.expect, (std::vector<uint8_t>{0x12, 13}));
    EXPECT_EQ(plan.readMs, 0u);
    EXPECT_EQ(plan.timeoutMs, 2000u);
    EXPECT_EQ(plan.output, CliOutputForm::Raw);
    EXPECT_TRUE(plan.decodeEscpos);
    EXPECT_EQ(plan.configFile, "/etc/x.ini");
    EXPECT_TRUE(plan.verbose);
    EXPECT_TRUE(Parsed(Words("--list")).list);
}

void ExpectNamed(const std::string &line, const std::string &named)
{
    const CliParseResult result = ParseCliArguments(Words(line));
    EXPECT_FALSE(result.plan) << line;
    EXPECT_EQ(result.badArgument, named) << line;
    EXPECT_FALSE(result.reason.empty()) << line;
}

// A bad target names the whole --port argument; a bad option after a good
// port names the option as given, unless the row names another argument.
TEST(CliPlan, BadArgumentsAreNamed)
{
    for (const char *target :
         {"tcp:h", "tcp:h:65536", "serial:/dev/x:fast", "serial:/dev/x:9600:9N1",
          "serial:/dev/x:9600:8X1", "serial:/dev/x:9600:8N3", "serial:/dev/x:9600:8N1:cts",
          "printer:", "COM0", "ttyS0", "serial:ttyS0", "serial:LPT1", "parallel:lp0", "usb:COM1",
          "ftp:h:1", "tcp:[::1]", "tcp:[::1]9100", "tcp:::1:9100", "tcp:[]:9100"})
        ExpectNamed("--port " + std::string(target), "--port " + std::string(target));
    const std::string port = "--port tcp:h:1 ";
    for (const char *option :
         {"--bogus", "--send-hex 1G", "--send-hex 256", "--passes 2", "--expect-hex ,",
          "--timeout 0", "--read-ms 1s", "--output bin", "--decode zpl", "--timeout", "stray",
          "--verbose=1", "--codepage klingon"})
        ExpectNamed(port + option, option);
    const std::pair<const char *, const char *> others[] = {
        {"--send-file f --passes 0", "--passes 0"},
        {"--send-file f --interval -1", "--interval -1"},
        {"--send-hex=", "--send-hex "},
        {"--send-hex=,;", "--send-hex ,;"},
        {"--send-text=", "--send-text "},
        {"--expect-hex=", "--expect-hex "},
        {"--send-text a€ --codepage PC437", "--send-text a€"},
    };
    for (const auto &[options, named] : others)
        ExpectNamed(port + options, named);
}

TEST(CliReply, MatchesTheStartOfTheReply)
{
    using State = ExpectVerdict::State;
    // Expected bytes, the reply, and the verdict with its offset.
    const std::tuple<std::string, std::string, State, std::size_t> rows[] = {
        {"\x12", "", State::Pending, 0},
        {"\x12", "\x12", State::Matched, 1},
        {"\x12", "\x12\x34", State::Matched, 1},
        {"\x12", "\x13", State::Differs, 0},
        {"\x12\x34\x56", "\x12\x34", State::Pending, 2},
        {"\x12\x34\x56", "\x12\x35", State::Differs, 1},
        {"\x12\x34\x56", "\x12\x34\x57\x00"s, State::Differs, 2},
        {"\x00\x12"s, "\x00\x13"s, State::Differs, 1},
        {"\x12\x00"s, "\x12\x00\x00"s, State::Matched, 2},
    };
    for (const auto &[expected, reply, state, offset] : rows) {
        const ExpectVerdict verdict = MatchReply(AsBytes(expected), AsBytes(reply));
        EXPECT_EQ(verdict.state, state) << testing::PrintToString(reply);
        if (state != State::Matched) {
            EXPECT_EQ(verdict.offset, offset) << testing::PrintToString(reply);
        }
    }
}

TEST(CliReply, PrintsTheReplyInEachForm)
{
    const std::string reply("\x06OK\r\n\xFF\x00", 7);
    EXPECT_EQ(FormatReply(AsBytes(reply), CliOutputForm::Hex), "06 4F 4B 0D 0A FF 00\n");
    EXPECT_EQ(FormatReply(AsBytes(reply), CliOutputForm::Text), "<\\x06>OK\r\n<\\xFF><\\x00>\n");
    EXPECT_EQ(FormatReply(AsBytes(reply), CliOutputForm::Raw), reply);
    EXPECT_EQ(FormatReply(AsBytes("line\r\n"), CliOutputForm::Text), "line\r\n");
    for (CliOutputForm form : {CliOutputForm::Hex, CliOutputForm::Text, CliOutputForm::Raw})
        EXPECT_EQ(FormatReply({}, form), "");
}

TEST(CliReply, TextInACodePageIsWrittenForTheTerminal)
{
    const std::tuple<CodePageId, std::string, const char *> rows[] = {
        {CodePageId::Pc858, "Caf\x82 5 \xD5\r\n", "Café 5 €\r\n"},
        {CodePageId::Utf8,
         "Gr\xC3\xBC\xC3\x9F"
         "e\xC3",
         "Grüße<\\xC3>\n"},
        {CodePageId::Big5, "\xA5\x78\xC6\x57\x07", "台灣<\\x07>\n"},
    };
    for (const auto &[page, reply, printed] : rows)
        EXPECT_EQ(FormatReply(AsBytes(reply), CliOutputForm::Text, page), printed) << printed;
}

TEST(CliReply, NamesTheDifferenceAndWhatIsMissing)
{
    EXPECT_EQ(DescribeMismatch(AsBytes("\x12\x34"), AsBytes("\x12\x35"), 1),
              "the reply differs from the expected bytes at offset 1\n"
              "  expected: 12 34\n  received: 12 35\n");
    EXPECT_EQ(DescribeShortReply(AsBytes("\x12\x34"), AsBytes("\x12"), 2000),
              "timed out after 2000 ms: received 1 of 2 expected bytes\n"
              "  expected: 12 34\n  received: 12\n");
    EXPECT_EQ(DescribeShortReply(AsBytes("\x12"), {}, 500),
              "timed out after 500 ms: no reply\n  expected: 12\n");
}

} // namespace
