// Recognises the real-time status requests in a byte stream that a printer
// answers at once, whatever else it is doing. Requests may be split across
// reads, so the parser keeps the bytes of an unfinished request between calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CStatusParser
{
public:
    // Feeds received bytes; returns the answer bytes owed for the requests that
    // were completed by them, in order.
    std::string Feed(const uint8_t *data, std::size_t length);

    // Answer of the status request given by its three bytes, or an empty text
    // when the bytes are not a request this printer answers.
    static std::string AnswerFor(uint8_t first, uint8_t second, uint8_t parameter);

private:
    std::vector<uint8_t> m_pending; // prefix of a request seen so far (0 to 2 bytes)
};
