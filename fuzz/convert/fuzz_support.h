// Shared checks of the conversion fuzz targets: a failed invariant aborts so
// that libFuzzer keeps the input.
#pragma once

#include "convert/convert.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string_view>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

inline bool SameContent(const ByteString &a, const ByteString &b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size()) == 0);
}

// A result handle must hold exactly `result` bytes followed by the 0 byte.
inline void CheckResultBuffer(ConvResult result, const ByteString &out)
{
    FUZZ_CHECK(result >= 0);
    FUZZ_CHECK(out.size() == static_cast<std::size_t>(result));
    FUZZ_CHECK(out.data() != nullptr);
    FUZZ_CHECK(out.data()[out.size()] == 0);
}

// Whether data holds the six characters of an escape, so that it reads as
// Ascii notation to other bytes than its own.
inline bool SpellsAnEscape(std::span<const uint8_t> bytes)
{
    for (std::size_t i = 0; i + 5 < bytes.size(); ++i) {
        if (bytes[i] == '<' && bytes[i + 1] == '\\' && bytes[i + 2] == 'x' &&
            HexDigitValue(bytes[i + 3]) != kNotHexDigit &&
            HexDigitValue(bytes[i + 4]) != kNotHexDigit && bytes[i + 5] == '>')
            return true;
    }
    return false;
}

// A handle that already holds a result, to see whether a call replaced it.
struct HeldHandle
{
    ByteString handle = ByteString::Copy(std::string_view("held"));
    const uint8_t *buffer = handle.data();

    bool Untouched() const { return handle.data() == buffer && handle.view() == "held"; }
};
