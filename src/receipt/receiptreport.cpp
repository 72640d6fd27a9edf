#include "receipt/receiptreport.h"

#include <algorithm>
#include <cstdio>

namespace Receipt {

const char *IssueName(Issue issue)
{
    switch (issue) {
    case Issue::Unknown:
        return "unknown command";
    case Issue::BadParameter:
        return "bad parameter";
    case Issue::NvImageNotHeld:
        return "NV image not held";
    case Issue::DataCutShort:
        return "data cut short";
    case Issue::BeyondCap:
        return "beyond the cap";
    case Issue::CashDrawerPulse:
        return "cash drawer pulse";
    }
    return "unknown command";
}

std::string FormatEntry(const ReportEntry &entry)
{
    std::string text = "offset " + std::to_string(entry.offset) + ":";
    char hex[4];
    for (uint8_t byte : entry.bytes) {
        std::snprintf(hex, sizeof hex, " %02X", byte);
        text += hex;
    }
    text += ": ";
    text += IssueName(entry.issue);
    if (!entry.detail.empty())
        text += ": " + entry.detail;
    return text;
}

std::string FormatReport(const std::vector<ReportEntry> &entries)
{
    std::string text;
    for (const ReportEntry &entry : entries)
        text += FormatEntry(entry) + "\n";
    return text;
}

bool HasUnknown(const std::vector<ReportEntry> &entries)
{
    return std::any_of(entries.begin(), entries.end(),
                       [](const ReportEntry &entry) { return entry.issue == Issue::Unknown; });
}

} // namespace Receipt
