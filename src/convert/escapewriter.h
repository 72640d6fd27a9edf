// How the Ascii renderings write their output, shared by the GBK rendering
// (convert.cpp) and that of the other code pages (codepageconvert.cpp): once
// a block's escaped places are known, the raw stretches between them are
// copied whole and every escape is stored as one word. Engine-internal.
#pragma once

#include "convert/blockclass.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

inline constexpr char kUpperDigits[] = "0123456789ABCDEF";
inline constexpr std::size_t kEscapeLength = 6; // "<\xHH>"

// Every byte's escape padded to one 8-byte word: a writer stores an escape
// as one word where the bytes after it are written over anyway.
inline constexpr std::size_t kEscapeWord = 8;

constexpr std::array<std::array<uint8_t, kEscapeWord>, 256> MakeEscapeWords()
{
    std::array<std::array<uint8_t, kEscapeWord>, 256> words{};
    for (int b = 0; b < 256; ++b) {
        const char escape[kEscapeLength] = {
            '<', '\\', 'x', kUpperDigits[b >> 4], kUpperDigits[b & 15], '>'};
        for (std::size_t k = 0; k < kEscapeLength; ++k)
            words[b][k] = static_cast<uint8_t>(escape[k]);
    }
    return words;
}

inline constexpr auto kEscapeWords = MakeEscapeWords();

// Copies `length` bytes in 16-byte pieces, reading and writing up to 15
// bytes more (and 16 when `length` is 0).
inline constexpr std::size_t kCopyPiece = 16;

inline void CopyInPieces(uint8_t *to, const uint8_t *from, std::size_t length)
{
    std::memcpy(to, from, kCopyPiece);
    for (std::size_t k = kCopyPiece; k < length; k += kCopyPiece)
        std::memcpy(to + k, from + k, kCopyPiece);
}

// Writes the kClassBlock bytes of `block`, those at the bits of `escapes` as
// their escapes, and returns the end of what it wrote. It reads up to
// kCopyPiece bytes past the block and writes up to kCopyPiece bytes past its
// output.
inline uint8_t *WriteEscapedBlock(uint8_t *out, const uint8_t *block, uint64_t escapes)
{
    std::size_t place = 0;
    for (; escapes != 0; escapes &= escapes - 1) {
        const auto escaped = static_cast<std::size_t>(std::countr_zero(escapes));
        CopyInPieces(out, block + place, escaped - place);
        out += escaped - place;
        std::memcpy(out, kEscapeWords[block[escaped]].data(), kEscapeWord);
        out += kEscapeLength;
        place = escaped + 1;
    }
    CopyInPieces(out, block + place, kClassBlock - place);
    return out + (kClassBlock - place);
}

// Without a processor-specific build, std::popcount is a library call.
inline std::size_t CountBits(uint64_t bits)
{
    bits -= (bits >> 1) & 0x5555555555555555u;
    bits = (bits & 0x3333333333333333u) + ((bits >> 2) & 0x3333333333333333u);
    bits = (bits + (bits >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return static_cast<std::size_t>((bits * 0x0101010101010101u) >> 56);
}
