#include "convert/blockclass.h"
#include "convert/codepagerules.h"

#include <bit>
#include <cstring>

// The code-page rendering decides from the left, one character at a time:
// a byte that starts a shown character takes the whole character raw, any
// other byte is escaped and the next byte starts afresh. For GBK this is the
// same as pairing runs of 0x81..0xFE from their start, which the GBK
// operations do with block masks; GbkRules() keeps them.

namespace {

constexpr std::size_t kEscapeLength = 6;
constexpr std::size_t kBlock = kClassBlock;
constexpr char kUpperDigits[] = "0123456789ABCDEF";

bool TestBit(const std::vector<uint64_t> &bits, uint32_t index)
{
    return (bits[index >> 6] >> (index & 63) & 1) != 0;
}

// The smallest code point each length may carry; a smaller one is an
// overlong form.
constexpr uint32_t kUtf8Minimum[5] = {0, 0, 0x80, 0x800, 0x10000};

std::size_t Utf8CharLength(const CodePageRules &rules, std::span<const uint8_t> bytes,
                           std::size_t length)
{
    uint32_t codePoint = bytes[0] & (0x7Fu >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if ((bytes[k] & 0xC0) != 0x80)
            return 0;
        codePoint = codePoint << 6 | (bytes[k] & 0x3Fu);
    }
    const bool shown = codePoint >= kUtf8Minimum[length] && codePoint <= 0x10FFFF &&
                       TestBit(rules.shownCodePoints, codePoint);
    return shown ? length : 0;
}

bool IsGbkRunByte(uint8_t byte)
{
    return IsGbkLeadByte(byte);
}

// Every byte 0x08..0x7F: shown raw under every code page.
bool IsPlainBlock(const uint8_t *block)
{
    const ByteClasses classes = ClassifyBlock(block);
    return (classes.inRun | classes.escaped | MatchBlock(block, 0x80)) == 0;
}

// One bit per input byte that is escaped, 64 bytes to a word.
struct EscapeMap
{
    std::vector<uint64_t> places;
    std::size_t count = 0;
};

EscapeMap FindEscapes(const CodePageRules &rules, std::span<const uint8_t> bytes)
{
    EscapeMap map;
    map.places.assign((bytes.size() + kBlock - 1) / kBlock, 0);
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        if (i % kBlock == 0 && n - i >= kBlock && IsPlainBlock(bytes.data() + i)) {
            i += kBlock;
            continue;
        }
        const std::size_t length = ShownCharLength(rules, bytes.subspan(i));
        if (length != 0) {
            i += length;
            continue;
        }
        map.places[i / kBlock] |= uint64_t{1} << (i % kBlock);
        ++map.count;
        ++i;
    }
    return map;
}

uint8_t *WriteEscape(uint8_t *out, uint8_t byte)
{
    const uint8_t escape[kEscapeLength] = {'<',
                                           '\\',
                                           'x',
                                           static_cast<uint8_t>(kUpperDigits[byte >> 4]),
                                           static_cast<uint8_t>(kUpperDigits[byte & 15]),
                                           '>'};
    std::memcpy(out, escape, kEscapeLength);
    return out + kEscapeLength;
}

// Copies the block [from, from + length) with the places of `escapes`
// written as escapes.
uint8_t *WriteBlock(uint8_t *out, const uint8_t *from, std::size_t length, uint64_t escapes)
{
    std::size_t place = 0;
    for (; escapes != 0; escapes &= escapes - 1) {
        const auto escaped = static_cast<std::size_t>(std::countr_zero(escapes));
        std::memcpy(out, from + place, escaped - place);
        out = WriteEscape(out + (escaped - place), from[escaped]);
        place = escaped + 1;
    }
    std::memcpy(out, from + place, length - place);
    return out + (length - place);
}

ConvResult RenderByRules(std::span<const uint8_t> bytes, ByteString &out,
                         const CodePageRules &rules)
{
    const EscapeMap map = FindEscapes(rules, bytes);
    ByteString text = ByteString::Uninitialized(bytes.size() + (kEscapeLength - 1) * map.count);
    uint8_t *write = text.data();
    for (std::size_t k = 0; k < map.places.size(); ++k) {
        const std::size_t start = k * kBlock;
        write = WriteBlock(write, bytes.data() + start, std::min(kBlock, bytes.size() - start),
                           map.places[k]);
    }
    out = std::move(text);
    return static_cast<ConvResult>(out.size());
}

CodePageRules MakeGbkRules()
{
    CodePageRules rules;
    rules.kind = SequenceKind::Gbk;
    for (int b = 0; b < 256; ++b)
        rules.lengths[b] = b <= 0x07 || b == 0xFF                  ? 0
                           : IsGbkRunByte(static_cast<uint8_t>(b)) ? 2
                                                                   : 1;
    rules.shownPairs.assign(0x10000 / 64, 0);
    for (uint32_t lead = 0x81; lead <= 0xFE; ++lead) {
        for (uint32_t trail = 0x81; trail <= 0xFE; ++trail)
            rules.shownPairs[(lead << 8 | trail) >> 6] |= uint64_t{1} << (trail & 63);
    }
    return rules;
}

} // namespace

const CodePageRules &GbkRules()
{
    static const CodePageRules rules = MakeGbkRules();
    return rules;
}

std::size_t ShownCharLength(const CodePageRules &rules, std::span<const uint8_t> bytes) noexcept
{
    const std::size_t length = rules.lengths[bytes[0]];
    if (length <= 1)
        return length;
    if (bytes.size() < length)
        return 0;
    if (rules.kind == SequenceKind::Utf8)
        return Utf8CharLength(rules, bytes, length);
    return TestBit(rules.shownPairs, static_cast<uint32_t>(bytes[0] << 8 | bytes[1])) ? 2 : 0;
}

ConvResult BytesToAscii(std::span<const uint8_t> bytes, ByteString &out, const CodePageRules &rules)
{
    if (rules.kind == SequenceKind::Gbk)
        return BytesToAscii(bytes, out);
    if (bytes.empty())
        return 0;
    return RenderByRules(bytes, out, rules);
}

ConvResult HexToAscii(std::string_view hexText, ByteString &out, const CodePageRules &rules)
{
    if (rules.kind == SequenceKind::Gbk)
        return HexToAscii(hexText, out);
    ByteString bytes;
    const ConvResult count = HexToBytes(hexText, bytes);
    if (IsConvError(count) || hexText.empty())
        return count;
    if (count == 0) {
        out = ByteString::Uninitialized(0);
        return 0;
    }
    return RenderByRules(bytes.bytes(), out, rules);
}
