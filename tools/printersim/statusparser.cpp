#include "statusparser.h"

namespace {

constexpr uint8_t kDle = 0x10;
constexpr uint8_t kEot = 0x04;
constexpr uint8_t kGs = 0x1D;
constexpr uint8_t kGsStatus = 'r';

struct ConditionRow
{
    const char *name;
    SimPrinterStatus status;
};

// Replies to DLE EOT 1..4, GS r 1 and GS r 2 as a printer in each condition
// sends them. 0x12 is a DLE EOT reply with nothing to report (bits 1 and 4
// are fixed); the paper and drawer sensors report "nothing wrong" as 0.
// Conditions that stop printing also set "offline" (bit 3) in DLE EOT 1.
const ConditionRow kConditions[] = {
    {"online", {{0x12, 0x12, 0x12, 0x12, 0x00, 0x00}}},
    {"offline", {{0x1A, 0x12, 0x12, 0x12, 0x00, 0x00}}},
    {"waiting-recovery", {{0x3A, 0x52, 0x52, 0x12, 0x00, 0x00}}},
    {"feed-button", {{0x52, 0x12, 0x12, 0x12, 0x00, 0x00}}},
    {"paper-feeding", {{0x5A, 0x1A, 0x12, 0x12, 0x00, 0x00}}},
    {"cover-open", {{0x1A, 0x16, 0x12, 0x12, 0x00, 0x00}}},
    {"paper-near-end", {{0x12, 0x12, 0x12, 0x1E, 0x03, 0x00}}},
    {"paper-end", {{0x1A, 0x32, 0x12, 0x72, 0x0C, 0x00}}},
    {"mechanical-error", {{0x1A, 0x52, 0x16, 0x12, 0x00, 0x00}}},
    {"cutter-error", {{0x1A, 0x52, 0x1A, 0x12, 0x00, 0x00}}},
    {"unrecoverable-error", {{0x1A, 0x52, 0x32, 0x12, 0x00, 0x00}}},
    {"recoverable-error", {{0x1A, 0x52, 0x52, 0x12, 0x00, 0x00}}},
    {"drawer-high", {{0x16, 0x12, 0x12, 0x12, 0x00, 0x01}}},
    {"silent", {{}, true}},
};

bool IsRequestStart(uint8_t first, uint8_t second)
{
    return (first == kDle && second == kEot) || (first == kGs && second == kGsStatus);
}

} // namespace

std::optional<SimPrinterStatus> SimStatusForCondition(std::string_view name)
{
    for (const ConditionRow &row : kConditions) {
        if (name == row.name)
            return row.status;
    }
    return std::nullopt;
}

std::string SimConditionNames()
{
    std::string names;
    for (const ConditionRow &row : kConditions)
        names += (names.empty() ? "" : ", ") + std::string(row.name);
    return names;
}

std::string CStatusParser::AnswerFor(uint8_t first, uint8_t second, uint8_t parameter) const
{
    int index = -1;
    if (first == kDle && second == kEot && parameter >= 1 && parameter <= 4)
        index = parameter - 1;
    else if (first == kGs && second == kGsStatus && (parameter == 1 || parameter == '1'))
        index = 4;
    else if (first == kGs && second == kGsStatus && (parameter == 2 || parameter == '2'))
        index = 5;
    if (index < 0 || m_status.silent)
        return {};
    return std::string(1, static_cast<char>(m_status.replies[std::size_t(index)]));
}

std::string CStatusParser::Feed(const uint8_t *data, std::size_t length)
{
    std::string answers;
    for (std::size_t i = 0; i < length; ++i) {
        const uint8_t byte = data[i];
        m_pending.push_back(byte);
        if (m_pending.size() == 2 && !IsRequestStart(m_pending[0], m_pending[1]))
            m_pending.erase(m_pending.begin()); // the second byte may start a request itself
        if (m_pending.size() == 1 && byte != kDle && byte != kGs)
            m_pending.clear();
        if (m_pending.size() == 3) {
            answers += AnswerFor(m_pending[0], m_pending[1], m_pending[2]);
            m_pending.clear();
        }
    }
    return answers;
}
