// Byte-exact comparison for tests: a mismatch names the first differing
// offset and shows 16 bytes of both sides from there.
//
//     EXPECT_TRUE(SameBytes(expected, actual));
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace bytes_diff {

inline std::span<const uint8_t> AsBytes(std::string_view text)
{
    return {reinterpret_cast<const uint8_t *>(text.data()), text.size()};
}

// A byte as the Ascii notation escapes it: "<\\x1B>".
inline std::string Escaped(uint8_t byte)
{
    char text[7];
    std::snprintf(text, sizeof text, "<\\x%02X>", byte);
    return text;
}

} // namespace bytes_diff

inline ::testing::AssertionResult SameBytes(std::span<const uint8_t> expected,
                                            std::span<const uint8_t> actual)
{
    const auto [e, a] =
        std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
    if (e == expected.end() && a == actual.end())
        return ::testing::AssertionSuccess();
    const auto offset = static_cast<std::size_t>(e - expected.begin());
    auto dump = [offset](std::span<const uint8_t> bytes) {
        std::string text;
        char cell[4];
        for (std::size_t i = offset; i < std::min(bytes.size(), offset + 16); ++i)
            text.append(cell, static_cast<std::size_t>(std::snprintf(cell, 4, " %02X", bytes[i])));
        return text.empty() ? std::string(" (end)") : text;
    };
    return ::testing::AssertionFailure()
           << "byte strings differ at offset " << offset << "; expected " << expected.size()
           << " bytes, got " << actual.size() << "\nexpected:" << dump(expected)
           << "\nactual:  " << dump(actual);
}

inline ::testing::AssertionResult SameBytes(std::string_view expected, std::string_view actual)
{
    return SameBytes(bytes_diff::AsBytes(expected), bytes_diff::AsBytes(actual));
}
