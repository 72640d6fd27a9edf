// Byte classes with SSE2, which every x86-64 processor has: sixteen bytes
// per compare, and movemask gives the bits directly. Included by
// blockclass.h on x86-64.
#pragma once

#include <emmintrin.h>

inline ByteClasses ClassifyBlock(const uint8_t *block) noexcept
{
    // Moving the ranges makes each a single compare: byte - 1 puts
    // 0x81..0xFE at -128..-3 as signed numbers and nothing else below -2;
    // byte + 1 puts 0xFF and 0x00..0x07 at 0..8 as unsigned numbers, and
    // nothing else.
    const __m128i one = _mm_set1_epi8(1);
    const __m128i runLimit = _mm_set1_epi8(-2);
    const __m128i escapedLimit = _mm_set1_epi8(8);
    ByteClasses classes{0, 0};
    for (std::size_t k = 0; k < kClassBlock / 16; ++k) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(block + 16 * k));
        const __m128i inRun = _mm_cmpgt_epi8(runLimit, _mm_sub_epi8(bytes, one));
        const __m128i shifted = _mm_add_epi8(bytes, one);
        const __m128i escaped = _mm_cmpeq_epi8(_mm_min_epu8(shifted, escapedLimit), shifted);
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

inline Utf8ByteClasses ClassifyUtf8Block(const uint8_t *block) noexcept
{
    // As signed numbers: continuation bytes are -128..-65, leads -64..-1,
    // and the special bytes are exactly those below 8.
    const __m128i leadFloor = _mm_set1_epi8(-65);
    const __m128i zero = _mm_setzero_si128();
    const __m128i eight = _mm_set1_epi8(8);
    Utf8ByteClasses classes{0, 0, 0};
    for (std::size_t k = 0; k < kClassBlock / 16; ++k) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(block + 16 * k));
        const __m128i negative = _mm_cmplt_epi8(bytes, zero);
        const __m128i lead = _mm_and_si128(negative, _mm_cmpgt_epi8(bytes, leadFloor));
        const __m128i continuation = _mm_andnot_si128(lead, negative);
        const auto bits = [k](__m128i mask) {
            return static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(mask)))
                   << (16 * k);
        };
        classes.continuation |= bits(continuation);
        classes.leads |= bits(lead);
        classes.special |= bits(_mm_cmplt_epi8(bytes, eight));
    }
    return classes;
}
