// The real-time status replies of ESC/POS printers: which request a sent byte
// string ends with, whether a received byte can be its reply, and the named
// conditions of that reply.
//
// A printer answers DLE EOT n (10 04 n, n = 1..4) and GS r n (1D 72 n,
// n = 1, 2, 49, 50) with one byte. Replies to DLE EOT always have bit 1 and
// bit 4 set and bit 0 and bit 7 clear, which tells them apart from other
// data; replies to GS r have bit 4 clear.
//
// Plain functions without state, and the tracker that pairs replies with
// requests; the conditions carry English names for the command line, and the
// window gives them its own captions by enum value.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace EscPos {

enum class StatusRequest
{
    PrinterStatus, // DLE EOT 1
    OfflineCause,  // DLE EOT 2
    ErrorCause,    // DLE EOT 3
    RollPaper,     // DLE EOT 4
    PaperSensor,   // GS r 1
    DrawerSensor,  // GS r 2
};

enum class StatusCondition
{
    DrawerPinHigh,
    Offline,
    WaitingOnlineRecovery,
    FeedButtonPressed,
    CoverOpen,
    FeedingByButton,
    PaperEndStop,
    ErrorOccurred,
    MechanicalError,
    AutoCutterError,
    UnrecoverableError,
    AutoRecoverableError,
    PaperNearEnd,
    PaperEnd,
};

// One condition a reply reports, and whether it holds.
struct StatusBit
{
    StatusCondition condition;
    bool set;
};

// The request the three bytes form, if any.
std::optional<StatusRequest> RequestOf(uint8_t first, uint8_t second, uint8_t parameter);
// Every request inside `sent`, in order.
std::vector<StatusRequest> RequestsIn(std::span<const uint8_t> sent);
// The three bytes of the request (GS r with n = 1 or 2).
std::vector<uint8_t> RequestBytes(StatusRequest request);

// True when `reply` has the fixed bits of a reply to `request`.
bool IsReplyTo(StatusRequest request, uint8_t reply);
// The conditions the reply to `request` reports, in bit order.
std::vector<StatusBit> DecodeStatus(StatusRequest request, uint8_t reply);

// "DLE EOT 1", "GS r 2".
const char *RequestName(StatusRequest request);
// The name of the condition or of its absence: "cover open" / "cover closed".
const char *ConditionName(StatusCondition condition, bool set);
// "DLE EOT 2 -> 16: cover open, paper not being fed ..." (names of DecodeStatus).
std::string DescribeStatus(StatusRequest request, uint8_t reply);

// A status byte received, with the request it answers.
struct StatusReply
{
    StatusRequest request;
    uint8_t reply;
};

// Pairs status bytes received with the requests sent before them. A request
// split across two sends counts once the rest of it is sent. A received byte
// answers the oldest request still open when it has the fixed bits of such a
// reply; any other byte is data and ends that request, since a printer
// answers a status request before anything else. A request expires
// kReplyWindow after it was sent, so that a late, unrelated byte is not taken
// for its reply, and at most kMaxOpen requests stay open (beyond that the
// oldest is forgotten). Times come from the caller so that the rules can be
// tried without waiting.
class CStatusReplyTracker
{
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::size_t kMaxOpen = 16;
    static constexpr Clock::duration kReplyWindow = std::chrono::seconds(1);

    void NoteSent(std::span<const uint8_t> bytes, Clock::time_point now = Clock::now());
    // The status bytes among `bytes`, in order.
    std::vector<StatusReply> NoteReceived(std::span<const uint8_t> bytes,
                                          Clock::time_point now = Clock::now());
    // Forgets the open requests (a new connection owes no answers).
    void Clear();

private:
    struct OpenRequest
    {
        StatusRequest request;
        Clock::time_point sent;
    };

    void DropExpired(Clock::time_point now);

    std::deque<OpenRequest> m_open;
    std::vector<uint8_t> m_tail; // the last sent bytes, which may begin a request
};

} // namespace EscPos
