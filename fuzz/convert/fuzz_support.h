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

// A handle that already holds a result, to see whether a call replaced it.
struct HeldHandle
{
    ByteString handle = ByteString::Copy(std::string_view("held"));
    const uint8_t *buffer = handle.data();

    bool Untouched() const { return handle.data() == buffer && handle.view() == "held"; }
};
