// The command line of tarvik-cli turned into a plan: which port, what to send
// in which order, what reply to expect and how to print it. Parsing checks
// everything that can be checked without the machine (numbers, notations,
// option order); naming a user command or a file is resolved later.
#pragma once

#include "convert/codepage.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Exit statuses of the program.
enum CliExit : int
{
    kExitDone = 0,       // done, and the expected reply seen when one was asked for
    kExitDiffers = 1,    // the reply differed from --expect-hex
    kExitPortFailed = 2, // the port could not be opened, or was lost
    kExitTimedOut = 3,   // --timeout passed without the whole expected reply
    kExitBadArgs = 4,    // bad arguments
};

enum class CliPortKind
{
    Serial,
    Parallel,
    Usb,
    Network,
    Printer
};

enum class CliFlow
{
    None,
    RtsCts,
    XonXoff,
    DtrDsr
};

struct CliPortTarget
{
    CliPortKind kind = CliPortKind::Serial;
    std::string device; // serial, parallel, USB: a path or a name of the window ("COM1")
    std::string host;   // network
    uint16_t tcpPort = 0;
    std::string queue; // printer
    uint32_t baud = 9600;
    uint8_t dataBits = 8;
    uint8_t parity = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    uint8_t stopBits = 0; // 0 one, 1 one and a half, 2 two
    CliFlow flow = CliFlow::None;
};

enum class CliSendKind
{
    Bytes,  // --send-hex, --send-text
    File,   // --send-file: a regular file, or a pipe or "-" (standard input) read as it comes
    Command // --send-cmd
};

struct CliSendStep
{
    CliSendKind kind = CliSendKind::Bytes;
    std::vector<uint8_t> bytes; // Bytes; Command once resolved
    std::string text;           // File: the path; Command: the name
    int32_t passes = 1;
    uint32_t intervalMs = 0;
    bool streamed = false; // File: a pipe or standard input, read as it comes
    bool fromText = false; // --send-text: `text` holds the text, encoded once parsing ends
};

enum class CliOutputForm
{
    Hex,
    Text,
    Raw
};

struct CliPlan
{
    bool help = false;
    bool list = false;
    std::optional<CliPortTarget> port;
    std::vector<CliSendStep> sends;
    std::optional<std::vector<uint8_t>> expect;
    std::optional<uint32_t> readMs;
    uint32_t timeoutMs = 5000;
    CliOutputForm output = CliOutputForm::Hex;
    bool decodeEscpos = false;
    std::string configFile; // empty: the default configuration file
    bool verbose = false;   // the port library's traces on standard error
    std::string renderPath; // --render: an image instead of a port
    int paperWidth = 576;   // dots of --paper 80 (384 for 58)
    // --codepage: texts are taken from the terminal's encoding and written in
    // it; without, text bytes pass unchanged (GBK)
    std::optional<CodePageId> codePage;
    bool codePageHelp = false; // --codepage help
};

struct CliParseResult
{
    std::optional<CliPlan> plan;
    std::string badArgument; // the argument named in the usage message
    std::string reason;      // why it is bad
};

// `args` without the program name.
CliParseResult ParseCliArguments(const std::vector<std::string> &args);
// The target given to --port ("serial:/dev/ttyUSB0:115200:8N1:rtscts", "COM1" ...).
std::optional<CliPortTarget> ParsePortTarget(const std::string &text, std::string &reason);

// The usage text, ending with a line break.
const char *CliUsage();
