#include "escpos/escposstatus.h"
#include "support/bytes_diff.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

using bytes_diff::AsBytes;
using EscPos::StatusRequest;
using enum StatusRequest;

// Each condition set alone, the healthy replies, and the replies of an open
// cover and of paper end as printers send them.
const std::tuple<StatusRequest, uint8_t, const char *> kDecodeRows[] = {
    {PrinterStatus, 0x12,
     "DLE EOT 1 -> 12: drawer kick-out pin 3 low, online, not waiting for "
     "online recovery, feed button not pressed"},
    {PrinterStatus, 0x16,
     "DLE EOT 1 -> 16: drawer kick-out pin 3 high, online, not waiting for "
     "online recovery, feed button not pressed"},
    {PrinterStatus, 0x1A,
     "DLE EOT 1 -> 1A: drawer kick-out pin 3 low, offline, not waiting for "
     "online recovery, feed button not pressed"},
    {PrinterStatus, 0x32,
     "DLE EOT 1 -> 32: drawer kick-out pin 3 low, online, waiting for online "
     "recovery, feed button not pressed"},
    {PrinterStatus, 0x52,
     "DLE EOT 1 -> 52: drawer kick-out pin 3 low, online, not waiting for "
     "online recovery, feed button pressed"},
    {OfflineCause, 0x12,
     "DLE EOT 2 -> 12: cover closed, paper not being fed by the feed button, "
     "no paper-end stop, no error"},
    {OfflineCause, 0x16,
     "DLE EOT 2 -> 16: cover open, paper not being fed by the feed button, no "
     "paper-end stop, no error"},
    {OfflineCause, 0x1A,
     "DLE EOT 2 -> 1A: cover closed, paper being fed by the feed button, no "
     "paper-end stop, no error"},
    {OfflineCause, 0x32,
     "DLE EOT 2 -> 32: cover closed, paper not being fed by the feed button, "
     "printing stopped by paper end, no error"},
    {OfflineCause, 0x52,
     "DLE EOT 2 -> 52: cover closed, paper not being fed by the feed button, "
     "no paper-end stop, an error occurred"},
    {ErrorCause, 0x12,
     "DLE EOT 3 -> 12: no mechanical error, no auto-cutter error, no "
     "unrecoverable error, no automatically recoverable error"},
    {ErrorCause, 0x16,
     "DLE EOT 3 -> 16: mechanical error, no auto-cutter error, no unrecoverable "
     "error, no automatically recoverable error"},
    {ErrorCause, 0x1A,
     "DLE EOT 3 -> 1A: no mechanical error, auto-cutter error, no unrecoverable "
     "error, no automatically recoverable error"},
    {ErrorCause, 0x32,
     "DLE EOT 3 -> 32: no mechanical error, no auto-cutter error, unrecoverable "
     "error, no automatically recoverable error"},
    {ErrorCause, 0x52,
     "DLE EOT 3 -> 52: no mechanical error, no auto-cutter error, no "
     "unrecoverable error, automatically recoverable error"},
    {RollPaper, 0x12, "DLE EOT 4 -> 12: paper adequate, paper present"},
    {RollPaper, 0x1E, "DLE EOT 4 -> 1E: paper near end, paper present"},
    {RollPaper, 0x72, "DLE EOT 4 -> 72: paper adequate, paper end"},
    {RollPaper, 0x7E, "DLE EOT 4 -> 7E: paper near end, paper end"},
    // One bit of a pair is not the condition.
    {RollPaper, 0x16, "DLE EOT 4 -> 16: paper adequate, paper present"},
    {RollPaper, 0x1A, "DLE EOT 4 -> 1A: paper adequate, paper present"},
    {RollPaper, 0x32, "DLE EOT 4 -> 32: paper adequate, paper present"},
    {RollPaper, 0x52, "DLE EOT 4 -> 52: paper adequate, paper present"},
    {PaperSensor, 0x01, "GS r 1 -> 01: paper adequate, paper present"},
    {PaperSensor, 0x08, "GS r 1 -> 08: paper adequate, paper present"},
    {PaperSensor, 0x00, "GS r 1 -> 00: paper adequate, paper present"},
    {PaperSensor, 0x03, "GS r 1 -> 03: paper near end, paper present"},
    {PaperSensor, 0x0C, "GS r 1 -> 0C: paper adequate, paper end"},
    {PaperSensor, 0x0F, "GS r 1 -> 0F: paper near end, paper end"},
    {DrawerSensor, 0x00, "GS r 2 -> 00: drawer kick-out pin 3 low"},
    {DrawerSensor, 0x01, "GS r 2 -> 01: drawer kick-out pin 3 high"},
};

TEST(EscPosStatus, DescribesEveryConditionOfEveryReply)
{
    for (const auto &[request, reply, expected] : kDecodeRows)
        EXPECT_EQ(EscPos::DescribeStatus(request, reply), expected);
}

TEST(EscPosStatus, TellsRepliesFromOtherData)
{
    const std::tuple<StatusRequest, uint8_t, bool> rows[] = {
        {PrinterStatus, 0x12, true}, {RollPaper, 0x7E, true},    {PrinterStatus, 0x00, false},
        {OfflineCause, 0x13, false}, {ErrorCause, 0x92, false},  {RollPaper, 0x10, false},
        {PaperSensor, 0x00, true},   {PaperSensor, 0x12, false}, {DrawerSensor, 0x01, true},
        {DrawerSensor, 0x10, false},
    };
    for (const auto &[request, reply, isReply] : rows)
        EXPECT_EQ(EscPos::IsReplyTo(request, reply), isReply)
            << EscPos::RequestName(request) << " " << int(reply);
}

TEST(EscPosStatus, FindsRequestsInSentBytesAndWritesThemBack)
{
    const std::string sent = std::string("\x1B\x40\x10\x04\x01", 5) + "text" +
                             std::string("\x1D\x72\x31\x10\x04\x05\x10\x10\x04\x04\x1D\x72", 12);
    EXPECT_EQ(EscPos::RequestsIn(AsBytes(sent)),
              std::vector<StatusRequest>({PrinterStatus, PaperSensor, RollPaper}));
    for (int n = 0; n <= static_cast<int>(DrawerSensor); ++n) {
        const auto request = static_cast<StatusRequest>(n);
        const std::vector<uint8_t> bytes = EscPos::RequestBytes(request);
        ASSERT_EQ(bytes.size(), 3u);
        EXPECT_EQ(EscPos::RequestOf(bytes[0], bytes[1], bytes[2]), request);
    }
}

// "request reply;" for each reply found.
std::string Found(const std::vector<EscPos::StatusReply> &replies)
{
    std::string text;
    for (const EscPos::StatusReply &reply : replies)
        text += std::string(EscPos::RequestName(reply.request)) + " " +
                std::to_string(reply.reply) + ";";
    return text;
}

TEST(EscPosStatus, PairsStatusBytesWithTheRequestsTheyAnswer)
{
    using Clock = EscPos::CStatusReplyTracker::Clock;
    using std::chrono::milliseconds;
    constexpr auto kWindow = EscPos::CStatusReplyTracker::kReplyWindow;
    const std::string dle1("\x10\x04\x01", 3);
    const std::string gs1("\x1D\x72\x01", 3);
    const struct
    {
        const char *what;
        std::string first, second, received; // first sent at 0, received at `receivedAt`
        const char *found;
        Clock::duration secondAt{}, receivedAt{};
    } rows[] = {
        {"two requests", "\x1B\x40\x10\x04\x02", gs1, "\x16\x0C", "DLE EOT 2 22;GS r 1 12;"},
        {"a byte that is no reply ends the oldest request", dle1 + gs1, "", std::string("A\0", 2),
         "GS r 1 0;"},
        {"split across sends", "\x10", std::string("\x04\x01", 2), "\x12", "DLE EOT 1 18;"},
        {"split after two bytes", dle1 + "\x10\x04", "\x04", "\x12\x12",
         "DLE EOT 1 18;DLE EOT 4 18;"},
        {"a late reply", dle1, "", "\x12", "", {}, kWindow + milliseconds(1)},
        {"a reply in time", dle1, "", "\x12", "DLE EOT 1 18;", {}, kWindow},
        {"only the expired request is dropped", dle1, gs1, std::string(1, '\0'), "GS r 1 0;",
         milliseconds(600), kWindow + milliseconds(100)},
    };
    const Clock::time_point start = Clock::now();
    for (const auto &row : rows) {
        EscPos::CStatusReplyTracker tracker;
        tracker.NoteSent(AsBytes(row.first), start);
        tracker.NoteSent(AsBytes(row.second), start + row.secondAt);
        EXPECT_EQ(Found(tracker.NoteReceived(AsBytes(row.received), start + row.receivedAt)),
                  row.found)
            << row.what;
    }
}

TEST(EscPosStatus, ForgetsRequestsBeyondTheLimitAndOnClear)
{
    EscPos::CStatusReplyTracker tracker;
    tracker.NoteSent(AsBytes("\x10\x04\x01"));
    tracker.Clear();
    EXPECT_TRUE(tracker.NoteReceived(AsBytes("\x12")).empty());
    tracker.NoteSent(AsBytes("\x10"));
    tracker.Clear(); // the start of a request is forgotten too
    tracker.NoteSent(AsBytes(std::string("\x04\x01", 2)));
    EXPECT_TRUE(tracker.NoteReceived(AsBytes("\x12")).empty());

    // A GS r 1 beyond kMaxOpen later requests is forgotten.
    tracker.NoteSent(AsBytes(std::string("\x1D\x72\x01", 3)));
    for (std::size_t i = 0; i < EscPos::CStatusReplyTracker::kMaxOpen; ++i)
        tracker.NoteSent(AsBytes("\x10\x04\x02"));
    const auto afterCap = tracker.NoteReceived(AsBytes("\x12"));
    ASSERT_EQ(afterCap.size(), 1u);
    EXPECT_EQ(afterCap[0].request, OfflineCause);
}

} // namespace
