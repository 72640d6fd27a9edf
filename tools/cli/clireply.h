// What tarvik-cli makes of the reply: the comparison with --expect-hex, the
// forms it prints the reply in, and the decoding of printer status bytes.
#pragma once

#include "cliplan.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct ExpectVerdict
{
    enum class State
    {
        Pending, // the reply so far is a proper prefix of the expected bytes
        Matched, // the reply starts with the expected bytes
        Differs  // a byte differs at `offset`
    };
    State state = State::Pending;
    std::size_t offset = 0;
};

ExpectVerdict MatchReply(std::span<const uint8_t> expected, std::span<const uint8_t> reply);

// The reply on standard output: hex pairs or the escaped text notation, each
// ended by a line break; raw is the bytes themselves. No bytes print nothing.
// With a code page, the text notation follows its characters and is written
// in the terminal's encoding; without, its bytes are GBK.
std::string FormatReply(std::span<const uint8_t> reply, CliOutputForm form,
                        std::optional<CodePageId> page = std::nullopt);
// "12 34" (empty text for no bytes).
std::string HexText(std::span<const uint8_t> bytes);
// The lines for standard error when the reply differs at `offset`.
std::string DescribeMismatch(std::span<const uint8_t> expected, std::span<const uint8_t> reply,
                             std::size_t offset);
// The lines for standard error when the time ran out before the whole reply.
std::string DescribeShortReply(std::span<const uint8_t> expected, std::span<const uint8_t> reply,
                               uint32_t timeoutMs);
