// The common shape of hex text, read many characters at once: typed and
// saved hex is mostly two digits and one separator per byte ("1B 40 0A").
// Each processor family has its own inline implementation beside its byte
// classes (hexpairs_impl.h in the blockclass_<family>/ folder the build puts
// on the include path); one that has nothing faster declines every time, and
// the caller's token walk does the work.
#pragma once

#include <cstddef>
#include <cstdint>

// Characters FivePairs reads, of which it takes the first kFivePairsLength.
inline constexpr std::size_t kFivePairsReach = 16;
inline constexpr std::size_t kFivePairsLength = 15;

// The implementation defines:
//   bool FivePairs(const uint8_t *text, uint8_t *out) noexcept;
//     When the first 15 characters of `text` (16 must be readable) are five
//     tokens of two hex digits each followed by one separator, writes their
//     five bytes to `out` and returns true; otherwise writes nothing.
#include "hexpairs_impl.h"
