// What a rendered receipt could not show: every command the printer did not
// understand or does not print, with where it stood in the byte stream.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Receipt {

enum class Issue
{
    Unknown,         // a command this printer does not know
    BadParameter,    // a known command with a value outside its range
    NvImageNotHeld,  // FS p: the image lives in a real printer's flash
    DataCutShort,    // the stream ended inside a command
    BeyondCap,       // more data than a receipt may hold; the rest was dropped
    CashDrawerPulse, // ESC p: nothing printed, but worth knowing
};

struct ReportEntry
{
    uint64_t offset = 0;        // of the command's first byte in the whole stream
    std::vector<uint8_t> bytes; // the command's first bytes (at most kShownBytes)
    Issue issue = Issue::Unknown;
    std::string detail; // English, for the command line and the simulator

    static constexpr std::size_t kShownBytes = 16;
};

// "unknown command", "bad parameter" ...
const char *IssueName(Issue issue);
// "offset 12: 1B 99: unknown command" (+ ": detail" when there is one).
std::string FormatEntry(const ReportEntry &entry);
// One formatted entry per line.
std::string FormatReport(const std::vector<ReportEntry> &entries);
// Whether any entry is a command the printer did not understand.
bool HasUnknown(const std::vector<ReportEntry> &entries);

} // namespace Receipt
