// Byte classes with SSE2, which every x86-64 processor has: sixteen bytes
// per compare, and movemask gives the bits directly. Included by
// blockclass.h on x86-64.
#pragma once

#include <emmintrin.h>

inline ByteClasses ClassifyBlock(const uint8_t *block) noexcept
{
    // Flipping the high bit turns the unsigned ranges into signed ones the
    // compares can test: 0x81..0xFE becomes 1..126, 0x00..0x07 becomes
    // -128..-121.
    const __m128i flip = _mm_set1_epi8(static_cast<char>(0x80));
    const __m128i zero = _mm_setzero_si128();
    const __m128i runEnd = _mm_set1_epi8(0x7F);
    const __m128i below8End = _mm_set1_epi8(-120);
    const __m128i allOnes = _mm_set1_epi8(-1);
    ByteClasses classes{0, 0};
    for (std::size_t k = 0; k < kClassBlock / 16; ++k) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(block + 16 * k));
        const __m128i flipped = _mm_xor_si128(bytes, flip);
        const __m128i inRun =
            _mm_and_si128(_mm_cmpgt_epi8(flipped, zero), _mm_cmplt_epi8(flipped, runEnd));
        const __m128i escaped =
            _mm_or_si128(_mm_cmplt_epi8(flipped, below8End), _mm_cmpeq_epi8(bytes, allOnes));
        classes.inRun |= static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(inRun)))
                         << (16 * k);
        classes.escaped |= static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(escaped)))
                           << (16 * k);
    }
    return classes;
}

inline uint64_t MatchBlock(const uint8_t *block, uint8_t ch) noexcept
{
    const __m128i wanted = _mm_set1_epi8(static_cast<char>(ch));
    uint64_t matches = 0;
    for (std::size_t k = 0; k < kClassBlock / 16; ++k) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(block + 16 * k));
        matches |= static_cast<uint64_t>(
                       static_cast<uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, wanted))))
                   << (16 * k);
    }
    return matches;
}
