// Recognises the real-time status requests in a byte stream that a printer
// answers at once, whatever else it is doing. Requests may be split across
// reads, so the parser keeps the bytes of an unfinished request between calls.
//
// The replies come from a printer condition chosen on the simulator's command
// line ("paper-end", "cover-open" ...); "silent" answers nothing.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The six replies of one printer condition: DLE EOT 1..4, GS r 1, GS r 2.
struct SimPrinterStatus
{
    std::array<uint8_t, 6> replies{0x12, 0x12, 0x12, 0x12, 0x00, 0x00};
    bool silent = false;
};

// The condition named `name`; nothing for an unknown name.
std::optional<SimPrinterStatus> SimStatusForCondition(std::string_view name);
// The names SimStatusForCondition knows, separated by ", ".
std::string SimConditionNames();

class CStatusParser
{
public:
    explicit CStatusParser(const SimPrinterStatus &status = {}) : m_status(status) {}

    // Feeds received bytes; returns the answer bytes owed for the requests that
    // were completed by them, in order.
    std::string Feed(const uint8_t *data, std::size_t length);

    // Answer of the status request given by its three bytes, or an empty text
    // when the bytes are not a request this printer answers.
    std::string AnswerFor(uint8_t first, uint8_t second, uint8_t parameter) const;

private:
    SimPrinterStatus m_status;
    std::vector<uint8_t> m_pending; // prefix of a request seen so far (0 to 2 bytes)
};
