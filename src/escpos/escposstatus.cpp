#include "escpos/escposstatus.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace EscPos {
namespace {

constexpr uint8_t kDle = 0x10;
constexpr uint8_t kEot = 0x04;
constexpr uint8_t kGs = 0x1D;
constexpr uint8_t kGsStatus = 'r';

// Bits 1 and 4 set, bits 0 and 7 clear in every reply to DLE EOT.
constexpr uint8_t kDleEotFixedMask = 0x93;
constexpr uint8_t kDleEotFixedBits = 0x12;
constexpr uint8_t kGsReplyClearBit = 0x10;

// One condition of a reply: the bits that report it. A field of two bits
// holds only when both are set: printers set the pair together, and one bit
// alone is not the condition.
struct BitRow
{
    StatusRequest request;
    uint8_t mask;
    StatusCondition condition;
};

constexpr std::array kBitRows{
    BitRow{StatusRequest::PrinterStatus, 0x04, StatusCondition::DrawerPinHigh},
    BitRow{StatusRequest::PrinterStatus, 0x08, StatusCondition::Offline},
    BitRow{StatusRequest::PrinterStatus, 0x20, StatusCondition::WaitingOnlineRecovery},
    BitRow{StatusRequest::PrinterStatus, 0x40, StatusCondition::FeedButtonPressed},
    BitRow{StatusRequest::OfflineCause, 0x04, StatusCondition::CoverOpen},
    BitRow{StatusRequest::OfflineCause, 0x08, StatusCondition::FeedingByButton},
    BitRow{StatusRequest::OfflineCause, 0x20, StatusCondition::PaperEndStop},
    BitRow{StatusRequest::OfflineCause, 0x40, StatusCondition::ErrorOccurred},
    BitRow{StatusRequest::ErrorCause, 0x04, StatusCondition::MechanicalError},
    BitRow{StatusRequest::ErrorCause, 0x08, StatusCondition::AutoCutterError},
    BitRow{StatusRequest::ErrorCause, 0x20, StatusCondition::UnrecoverableError},
    BitRow{StatusRequest::ErrorCause, 0x40, StatusCondition::AutoRecoverableError},
    BitRow{StatusRequest::RollPaper, 0x0C, StatusCondition::PaperNearEnd},
    BitRow{StatusRequest::RollPaper, 0x60, StatusCondition::PaperEnd},
    BitRow{StatusRequest::PaperSensor, 0x03, StatusCondition::PaperNearEnd},
    BitRow{StatusRequest::PaperSensor, 0x0C, StatusCondition::PaperEnd},
    BitRow{StatusRequest::DrawerSensor, 0x01, StatusCondition::DrawerPinHigh},
};

struct ConditionNames
{
    const char *clear;
    const char *set;
};

// In the order of StatusCondition.
constexpr std::array<ConditionNames, 14> kConditionNames{{
    {"drawer kick-out pin 3 low", "drawer kick-out pin 3 high"},
    {"online", "offline"},
    {"not waiting for online recovery", "waiting for online recovery"},
    {"feed button not pressed", "feed button pressed"},
    {"cover closed", "cover open"},
    {"paper not being fed by the feed button", "paper being fed by the feed button"},
    {"no paper-end stop", "printing stopped by paper end"},
    {"no error", "an error occurred"},
    {"no mechanical error", "mechanical error"},
    {"no auto-cutter error", "auto-cutter error"},
    {"no unrecoverable error", "unrecoverable error"},
    {"no automatically recoverable error", "automatically recoverable error"},
    {"paper adequate", "paper near end"},
    {"paper present", "paper end"},
}};

bool IsDleEotRequest(StatusRequest request)
{
    return request != StatusRequest::PaperSensor && request != StatusRequest::DrawerSensor;
}

} // namespace

std::optional<StatusRequest> RequestOf(uint8_t first, uint8_t second, uint8_t parameter)
{
    if (first == kDle && second == kEot && parameter >= 1 && parameter <= 4)
        return static_cast<StatusRequest>(parameter - 1);
    if (first != kGs || second != kGsStatus)
        return std::nullopt;
    // GS r takes the parameter as a number or as its digit.
    if (parameter == 1 || parameter == '1')
        return StatusRequest::PaperSensor;
    if (parameter == 2 || parameter == '2')
        return StatusRequest::DrawerSensor;
    return std::nullopt;
}

std::vector<StatusRequest> RequestsIn(std::span<const uint8_t> sent)
{
    std::vector<StatusRequest> requests;
    for (std::size_t i = 0; i + 2 < sent.size(); ++i) {
        if (const auto request = RequestOf(sent[i], sent[i + 1], sent[i + 2])) {
            requests.push_back(*request);
            i += 2;
        }
    }
    return requests;
}

std::vector<uint8_t> RequestBytes(StatusRequest request)
{
    if (IsDleEotRequest(request))
        return {kDle, kEot, static_cast<uint8_t>(static_cast<int>(request) + 1)};
    return {kGs, kGsStatus, static_cast<uint8_t>(request == StatusRequest::PaperSensor ? 1 : 2)};
}

bool IsReplyTo(StatusRequest request, uint8_t reply)
{
    if (IsDleEotRequest(request))
        return (reply & kDleEotFixedMask) == kDleEotFixedBits;
    return (reply & kGsReplyClearBit) == 0;
}

std::vector<StatusBit> DecodeStatus(StatusRequest request, uint8_t reply)
{
    std::vector<StatusBit> bits;
    for (const BitRow &row : kBitRows) {
        if (row.request == request)
            bits.push_back({row.condition, (reply & row.mask) == row.mask});
    }
    return bits;
}

const char *RequestName(StatusRequest request)
{
    constexpr std::array kNames{"DLE EOT 1", "DLE EOT 2", "DLE EOT 3",
                                "DLE EOT 4", "GS r 1",    "GS r 2"};
    return kNames[static_cast<std::size_t>(request)];
}

const char *ConditionName(StatusCondition condition, bool set)
{
    const ConditionNames &names = kConditionNames[static_cast<std::size_t>(condition)];
    return set ? names.set : names.clear;
}

std::string DescribeStatus(StatusRequest request, uint8_t reply)
{
    char head[32];
    std::snprintf(head, sizeof head, "%s -> %02X:", RequestName(request), reply);
    std::string text = head;
    const char *separator = " ";
    for (const StatusBit &bit : DecodeStatus(request, reply)) {
        text += separator;
        text += ConditionName(bit.condition, bit.set);
        separator = ", ";
    }
    return text;
}

void CStatusReplyTracker::NoteSent(std::span<const uint8_t> bytes, Clock::time_point now)
{
    // A request is three bytes, and none begins inside another one, so the
    // last two bytes sent are all that a later send can complete.
    constexpr std::size_t kKeptTail = 2;
    std::vector<uint8_t> joined = std::move(m_tail);
    joined.insert(joined.end(), bytes.begin(), bytes.end());
    for (const StatusRequest request : RequestsIn(joined))
        m_open.push_back({request, now});
    while (m_open.size() > kMaxOpen)
        m_open.pop_front();
    m_tail.assign(joined.end() - std::ptrdiff_t(std::min(joined.size(), kKeptTail)), joined.end());
}

std::vector<StatusReply> CStatusReplyTracker::NoteReceived(std::span<const uint8_t> bytes,
                                                           Clock::time_point now)
{
    DropExpired(now);
    std::vector<StatusReply> replies;
    for (const uint8_t byte : bytes) {
        if (m_open.empty())
            break;
        const StatusRequest oldest = m_open.front().request;
        m_open.pop_front();
        if (IsReplyTo(oldest, byte))
            replies.push_back({oldest, byte});
    }
    return replies;
}

void CStatusReplyTracker::Clear()
{
    m_open.clear();
    m_tail.clear();
}

void CStatusReplyTracker::DropExpired(Clock::time_point now)
{
    while (!m_open.empty() && now - m_open.front().sent > kReplyWindow)
        m_open.pop_front();
}

} // namespace EscPos
