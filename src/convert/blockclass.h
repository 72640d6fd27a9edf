// Classes of 64 bytes at once, one bit per byte (bit k for byte k): the Ascii
// rendering decides most of a block with a few word operations on these
// masks, and the Ascii reader finds the places where an escape may start.
// Each processor family has its own inline implementation, in the folder
// blockclass_<family>/ that the build puts on the include path; the generic
// one works on 8-byte words. They are inline: they run once per 64 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr std::size_t kClassBlock = 64;

struct ByteClasses
{
    uint64_t inRun;   // bytes 0x81..0xFE, which pair up as double-byte characters
    uint64_t escaped; // bytes 0x00..0x07 and 0xFF, always written as escapes
};

// The bytes of a UTF-8 block by their two top bits.
struct Utf8ByteClasses
{
    uint64_t continuation; // 10xxxxxx
    uint64_t leads;        // 11xxxxxx, which may start a character of two or more bytes
    uint64_t special;      // 0x00..0x07 and 0x80..0xFF: escaped or part of a character
};

// The implementation defines:
//   ByteClasses ClassifyBlock(const uint8_t *block) noexcept;
//   uint64_t MatchBlock(const uint8_t *block, uint8_t ch) noexcept;
//     (bit k set where byte k of the block equals `ch`)
//   Utf8ByteClasses ClassifyUtf8Block(const uint8_t *block) noexcept;
#include "blockclass_impl.h"
