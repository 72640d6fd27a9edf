// Byte classes with plain 64-bit word operations, eight bytes at a time.
// Included by blockclass.h on processors without a file of their own.
#pragma once

#include <cstring>

namespace blockclass_detail {

// One bit per byte of a word (bit k for byte k) from a word holding 0x80 or
// 0 in each byte. The multiplier moves bit 7 of byte k to bit 56 + k; no two
// partial products meet, so nothing carries.
inline uint64_t GatherHighBits(uint64_t highBits)
{
    return ((highBits >> 7) * 0x0102040810204080u) >> 56;
}

} // namespace blockclass_detail

inline ByteClasses ClassifyBlock(const uint8_t *block) noexcept
{
    using blockclass_detail::GatherHighBits;
    constexpr uint64_t kHigh = 0x8080808080808080u;
    constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Fu;
    constexpr uint64_t kOnes = 0x0101010101010101u;
    constexpr uint64_t kMid = 0x7878787878787878u;
    ByteClasses classes{0, 0};
    for (std::size_t k = 0; k < kClassBlock / 8; ++k) {
        uint64_t w;
        std::memcpy(&w, block + 8 * k, 8);
        const uint64_t low7 = w & kLow7;
        const uint64_t low7NotZero = (low7 + kLow7) & kHigh;
        const uint64_t low7AllOnes = (low7 + kOnes) & kHigh;
        const uint64_t inRun = w & low7NotZero & ~low7AllOnes & kHigh;
        const uint64_t isFF = w & low7AllOnes & kHigh;
        // Below 0x08: neither the high bit nor any of the bits 0x78 set.
        const uint64_t below8 = ~w & ~((w & kMid) + kMid) & kHigh;
        classes.inRun |= GatherHighBits(inRun) << (8 * k);
        classes.escaped |= GatherHighBits(isFF | below8) << (8 * k);
    }
    return classes;
}

inline uint64_t MatchBlock(const uint8_t *block, uint8_t ch) noexcept
{
    using blockclass_detail::GatherHighBits;
    constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Fu;
    constexpr uint64_t kHigh = 0x8080808080808080u;
    const uint64_t pattern = 0x0101010101010101u * ch;
    uint64_t matches = 0;
    for (std::size_t k = 0; k < kClassBlock / 8; ++k) {
        uint64_t w;
        std::memcpy(&w, block + 8 * k, 8);
        // Exact for every byte (no borrow between bytes): a byte of x is 0
        // exactly when neither its low seven bits nor its high bit are set.
        const uint64_t x = w ^ pattern;
        const uint64_t zero = ~(((x & kLow7) + kLow7) | x) & kHigh;
        matches |= GatherHighBits(zero) << (8 * k);
    }
    return matches;
}

inline Utf8ByteClasses ClassifyUtf8Block(const uint8_t *block) noexcept
{
    Utf8ByteClasses classes{0, 0, 0};
    for (std::size_t k = 0; k < kClassBlock; ++k) {
        const uint8_t b = block[k];
        classes.continuation |= static_cast<uint64_t>((b & 0xC0) == 0x80) << k;
        classes.leads |= static_cast<uint64_t>(b >= 0xC0) << k;
        classes.special |= static_cast<uint64_t>(b < 0x08 || b >= 0x80) << k;
    }
    return classes;
}
