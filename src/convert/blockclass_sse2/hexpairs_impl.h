// Five hex pairs with SSE2: sixteen characters are tested at once for the
// separator places and the digits, and the digit values are combined into
// bytes in the register. Included by hexpairs.h on x86-64.
#pragma once

#include <cstring>
#include <emmintrin.h>

namespace hexpairs_detail {

// Each byte of `x` that is at most `limit`, as unsigned numbers.
inline __m128i AtMost(__m128i x, uint8_t limit)
{
    return _mm_cmpeq_epi8(_mm_min_epu8(x, _mm_set1_epi8(static_cast<char>(limit))), x);
}

inline __m128i Equals(__m128i x, char ch)
{
    return _mm_cmpeq_epi8(x, _mm_set1_epi8(ch));
}

} // namespace hexpairs_detail

inline bool FivePairs(const uint8_t *text, uint8_t *out) noexcept
{
    using namespace hexpairs_detail;
    constexpr int kSeparatorPlaces = 0x4924; // 2, 5, 8, 11, 14
    constexpr int kDigitPlaces = 0x36DB;     // the other places of the first 15
    const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text));
    const __m128i separators =
        _mm_or_si128(_mm_or_si128(Equals(chars, ' '), Equals(chars, '\t')),
                     _mm_or_si128(_mm_or_si128(Equals(chars, '\n'), Equals(chars, '\r')),
                                  _mm_or_si128(Equals(chars, ','), Equals(chars, ';'))));
    if ((_mm_movemask_epi8(separators) & 0x7FFF) != kSeparatorPlaces)
        return false;
    const __m128i decimal = _mm_sub_epi8(chars, _mm_set1_epi8('0'));
    const __m128i letter =
        _mm_sub_epi8(_mm_or_si128(chars, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
    const __m128i isDecimal = AtMost(decimal, 9);
    const __m128i isLetter = AtMost(letter, 5);
    if ((_mm_movemask_epi8(_mm_or_si128(isDecimal, isLetter)) & kDigitPlaces) != kDigitPlaces)
        return false;
    // Digit values 0..15 in every byte (the separator places hold junk
    // that the mask keeps below 16, so that shifting cannot spill it).
    const __m128i values = _mm_and_si128(
        _mm_or_si128(_mm_and_si128(isDecimal, decimal),
                     _mm_andnot_si128(isDecimal, _mm_add_epi8(letter, _mm_set1_epi8(10)))),
        _mm_set1_epi8(0x0F));
    // Byte k: value k as the high nibble, value k + 1 as the low one; the
    // bytes wanted are those at the places 0, 3, 6, 9 and 12.
    const __m128i bytes = _mm_or_si128(_mm_slli_epi16(values, 4), _mm_srli_si128(values, 1));
    const auto low = static_cast<uint64_t>(_mm_cvtsi128_si64(bytes));
    const auto high = static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_srli_si128(bytes, 8)));
    const uint32_t first4 =
        static_cast<uint32_t>((low & 0xFF) | (low >> 24 & 0xFF) << 8 | (low >> 48 & 0xFF) << 16 |
                              (high >> 8 & 0xFF) << 24);
    std::memcpy(out, &first4, 4);
    out[4] = static_cast<uint8_t>(high >> 32);
    return true;
}
