// ByteString buffers of every size class: small ones from the heap, large
// ones (tens of MB) from the system's large result allocator. Each must
// hold exactly size() writable bytes plus the trailing 0, and be given back
// whole, whatever the order of release.
#include "bytestring.h"
#include "convert.h"

#include "support/bytes_diff.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kMiB = std::size_t{1} << 20;

// Sizes around the places where a large buffer could be cut wrong: the small
// page, the 2 MiB huge page and multiples of it, below and above the size
// from which results stop coming from the heap (32 MiB on Linux).
const std::vector<std::size_t> &BoundarySizes()
{
    static const std::vector<std::size_t> sizes = [] {
        std::vector<std::size_t> result = {1, 4095, 4096, 4097};
        for (std::size_t base : {2 * kMiB, 32 * kMiB, 34 * kMiB, 34 * kMiB + 4096}) {
            for (std::size_t size = base - 2; size <= base + 2; ++size)
                result.push_back(size);
        }
        return result;
    }();
    return sizes;
}

uint8_t Pattern(std::size_t index, std::size_t size)
{
    return static_cast<uint8_t>(index ^ index >> 9 ^ size);
}

// The bytes a test writes and checks: all of the first and last 64 KiB, where
// a buffer cut wrong at either end would show, and one byte in every small
// page between (an unmapped page faults on it).
template <class Visit> void ForTestedBytes(std::size_t size, Visit visit)
{
    constexpr std::size_t kEdge = 64 * 1024;
    for (std::size_t k = 0; k < size;) {
        visit(k);
        k += k < kEdge || size - k <= kEdge ? 1 : 4096;
    }
}

void Fill(ByteString &text)
{
    ForTestedBytes(text.size(), [&](std::size_t k) { text.data()[k] = Pattern(k, text.size()); });
}

bool HoldsPattern(const ByteString &text)
{
    bool same = true;
    ForTestedBytes(text.size(), [&](std::size_t k) {
        same = same && text.data()[k] == Pattern(k, text.size());
    });
    return same;
}

TEST(ByteStringBuffer, EverySizeIsWritableAndTerminated)
{
    for (std::size_t size : BoundarySizes()) {
        ByteString text = ByteString::Uninitialized(size);
        ASSERT_EQ(text.size(), size);
        ASSERT_EQ(text.data()[size], 0) << size;
        Fill(text);
        ASSERT_EQ(text.data()[size], 0) << size;
        ASSERT_TRUE(HoldsPattern(text)) << size;
    }
}

// All sizes alive at once, released in an order unlike the allocation order:
// a buffer given back with a wrong length would take a neighbour's pages (or
// leave its own), and the neighbour would fault or change.
TEST(ByteStringBuffer, BuffersAliveTogetherStayIntact)
{
    std::vector<ByteString> texts;
    for (std::size_t size : BoundarySizes()) {
        texts.push_back(ByteString::Uninitialized(size));
        Fill(texts.back());
    }
    for (std::size_t k = 0; k < texts.size(); k += 2)
        texts[k].reset();
    for (std::size_t size : BoundarySizes()) {
        texts.push_back(ByteString::Uninitialized(size + 3));
        Fill(texts.back());
    }
    for (const ByteString &text : texts) {
        if (text.data() == nullptr)
            continue;
        ASSERT_TRUE(HoldsPattern(text)) << text.size();
        ASSERT_EQ(text.data()[text.size()], 0) << text.size();
    }
}

TEST(ByteStringBuffer, MoveHandsOverALargeBufferOnce)
{
    ByteString first = ByteString::Uninitialized(33 * kMiB + 7);
    Fill(first);
    const uint8_t *buffer = first.data();
    ByteString second = std::move(first);
    EXPECT_EQ(first.data(), nullptr);
    EXPECT_EQ(first.size(), 0u);
    EXPECT_EQ(second.data(), buffer);
    ByteString third = ByteString::Uninitialized(10);
    third = std::move(second);
    EXPECT_EQ(third.data(), buffer);
    EXPECT_TRUE(HoldsPattern(third));
    third = ByteString::Uninitialized(40 * kMiB);
    EXPECT_EQ(third.data()[40 * kMiB], 0);
}

// Conversion results whose buffers end just before, on and just after a huge
// page boundary have exactly the expected text and the trailing 0.
TEST(ByteStringBuffer, LargeHexResultsAcrossThePageSize)
{
    for (std::size_t textSize :
         {2 * kMiB - 1, 32 * kMiB - 2, 32 * kMiB - 1, 32 * kMiB + 1, 34 * kMiB + 2}) {
        // A text of 3n - 1 characters: the buffer is 3n bytes.
        const std::size_t count = (textSize + 1) / 3;
        std::vector<uint8_t> bytes(count);
        for (std::size_t k = 0; k < count; ++k)
            bytes[k] = static_cast<uint8_t>(k * 7 + k / 256);
        ByteString hex;
        ASSERT_EQ(BytesToHex(bytes, hex, ','), static_cast<ConvResult>(3 * count - 1));
        ASSERT_EQ(hex.data()[hex.size()], 0);
        static constexpr char kDigits[] = "0123456789ABCDEF";
        std::string expected(3 * count - 1, ',');
        for (std::size_t k = 0; k < count; ++k) {
            expected[3 * k] = kDigits[bytes[k] >> 4];
            expected[3 * k + 1] = kDigits[bytes[k] & 15];
        }
        ASSERT_TRUE(SameBytes(expected, hex.view())) << count;

        ByteString back;
        ASSERT_EQ(HexToBytes(hex.view(), back), static_cast<ConvResult>(count));
        ASSERT_TRUE(SameBytes(bytes, back.bytes())) << count;
    }
}

} // namespace
