// Byte-exact comparison for tests: on a mismatch, the message gives the first
// differing offset and a hex dump of both sides around it.
//
//     EXPECT_TRUE(SameBytes(expected, actual));
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace bytes_diff {

inline constexpr std::size_t kRowWidth = 16;
inline constexpr std::size_t kContextRows = 2;

inline std::span<const uint8_t> AsBytes(std::string_view text)
{
    return {reinterpret_cast<const uint8_t *>(text.data()), text.size()};
}

// One row: offset, hex bytes, and the printable characters.
inline std::string DumpRow(std::span<const uint8_t> bytes, std::size_t rowStart)
{
    char cell[32]; // room for a 64-bit offset
    std::snprintf(cell, sizeof cell, "  %08zx ", rowStart);
    std::string row = cell;
    std::string chars;
    for (std::size_t i = rowStart; i < rowStart + kRowWidth; ++i) {
        if (i < bytes.size()) {
            std::snprintf(cell, sizeof cell, " %02X", bytes[i]);
            row += cell;
            chars += bytes[i] >= 0x20 && bytes[i] < 0x7F ? static_cast<char>(bytes[i]) : '.';
        } else {
            row += "   ";
        }
    }
    return row + "  |" + chars + "|\n";
}

// The rows around `offset`, or "  (empty)" for no bytes.
inline std::string DumpAround(std::span<const uint8_t> bytes, std::size_t offset)
{
    if (bytes.empty())
        return "  (empty)\n";
    const std::size_t centreRow = std::min(offset, bytes.size() - 1) / kRowWidth;
    const std::size_t firstRow = centreRow > kContextRows ? centreRow - kContextRows : 0;
    const std::size_t lastRow = std::min(centreRow + kContextRows, (bytes.size() - 1) / kRowWidth);
    std::string dump;
    for (std::size_t row = firstRow; row <= lastRow; ++row)
        dump += DumpRow(bytes, row * kRowWidth);
    return dump;
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
    char head[160];
    std::snprintf(head, sizeof head,
                  "byte strings differ at offset %zu (0x%zx); expected %zu bytes, got %zu\n",
                  offset, offset, expected.size(), actual.size());
    return ::testing::AssertionFailure() << head << "expected:\n"
                                         << bytes_diff::DumpAround(expected, offset) << "actual:\n"
                                         << bytes_diff::DumpAround(actual, offset);
}

inline ::testing::AssertionResult SameBytes(std::string_view expected, std::string_view actual)
{
    return SameBytes(bytes_diff::AsBytes(expected), bytes_diff::AsBytes(actual));
}
