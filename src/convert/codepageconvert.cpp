#include "convert/blockclass.h"
#include "convert/codepagerules.h"
#include "convert/escapewriter.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

// The code-page rendering decides from the left, one character at a time:
// a byte that starts a shown character takes the whole character raw, any
// other byte is escaped and the next byte starts afresh. For GBK this is the
// same as pairing runs of 0x81..0xFE from their start, which the GBK
// operations do with block masks; GbkRules() keeps them.

namespace {

constexpr std::size_t kBlock = kClassBlock;

bool TestBit(const std::vector<uint64_t> &bits, uint32_t index)
{
    return (bits[index >> 6] >> (index & 63) & 1) != 0;
}

// The smallest code point each length may carry; a smaller one is an
// overlong form.
constexpr uint32_t kUtf8Minimum[5] = {0, 0, 0x80, 0x800, 0x10000};

std::size_t Utf8CharLength(const CodePageRules &rules, const uint8_t *bytes, std::size_t length)
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

// ShownCharLength on `available` bytes from `bytes`.
inline std::size_t CharLength(const CodePageRules &rules, const uint8_t *bytes,
                              std::size_t available)
{
    const std::size_t length = rules.lengths[bytes[0]];
    if (length <= 1)
        return length;
    if (available < length)
        return 0;
    if (rules.kind == SequenceKind::Utf8)
        return Utf8CharLength(rules, bytes, length);
    return TestBit(rules.shownPairs, static_cast<uint32_t>(bytes[0] << 8 | bytes[1])) ? 2 : 0;
}

// One bit per input byte that is escaped, 64 bytes to a word.
struct EscapeMap
{
    std::vector<uint64_t> places;
    std::size_t count = 0;
};

// A one-byte page decides each byte alone: no branch per byte.
uint64_t SingleByteEscapes(const CodePageRules &rules, const uint8_t *block, std::size_t length)
{
    uint64_t places = 0;
    for (std::size_t k = 0; k < length; ++k)
        places |= static_cast<uint64_t>(rules.lengths[block[k]] == 0) << k;
    return places;
}

// Bytes outside 0x08..0x7F, the only ones that may be escaped or start a
// character of more than one byte; every byte of a block shorter than
// kBlock, which the data ends in.
uint64_t SpecialBytes(const uint8_t *block, std::size_t length)
{
    if (length < kBlock)
        return (uint64_t{1} << length) - 1;
    const ByteClasses classes = ClassifyBlock(block);
    return classes.inRun | classes.escaped | MatchBlock(block, 0x80);
}

// The escaped places of the block at `at`, whose first `skip` bytes end a
// character of the block before; `skip` becomes the bytes the last
// character of this block reaches into the next. Only the special bytes are
// looked at: plain ones are shown, or are the trail of a character before.
uint64_t CharEscapes(const CodePageRules &rules, std::span<const uint8_t> bytes, std::size_t at,
                     uint64_t special, std::size_t &skip)
{
    const std::size_t length = std::min(kBlock, bytes.size() - at);
    uint64_t places = 0;
    std::size_t next = skip;
    for (; special != 0; special &= special - 1) {
        const auto k = static_cast<std::size_t>(std::countr_zero(special));
        if (k < next)
            continue;
        const std::size_t i = at + k;
        const std::size_t shown = CharLength(rules, bytes.data() + i, bytes.size() - i);
        places |= static_cast<uint64_t>(shown == 0) << k;
        next = k + (shown == 0 ? 1 : shown);
    }
    skip = next > length ? next - length : 0;
    return places;
}

// A block of a double-byte page, at least one byte away from the end of the
// data. Whether a pair could start at each place is decided for all places
// at once; which of them do start one follows from runs of such places, as
// in GBK: a pair is taken at the start of a run and at every second place
// after it. `skip` is 1 when the block's first byte ends a pair of the block
// before, and becomes 1 when its last byte starts one. A shown pair's first
// byte has length 2 (codepagerules.h), so the pair bits need no mask.
uint64_t PairEscapes(const CodePageRules &rules, const uint8_t *block, std::size_t &skip)
{
    constexpr uint64_t kEvenPlaces = 0x5555555555555555u;
    uint64_t singles = 0;
    uint64_t pairs = 0;
    for (std::size_t k = 0; k < kBlock; ++k) {
        const uint8_t lead = block[k];
        const auto pair = static_cast<uint32_t>(lead << 8 | block[k + 1]);
        singles |= static_cast<uint64_t>(rules.lengths[lead] == 1) << k;
        pairs |= static_cast<uint64_t>(TestBit(rules.shownPairs, pair)) << k;
    }
    const uint64_t carriedTrail = skip;
    pairs &= ~carriedTrail;
    const uint64_t evenStarts = pairs & ~(pairs << 1 | carriedTrail) & kEvenPlaces;
    const uint64_t inEvenRuns = pairs & ~(pairs + evenStarts);
    const uint64_t taken = (inEvenRuns & kEvenPlaces) | (pairs & ~inEvenRuns & ~kEvenPlaces);
    skip = taken >> 63;
    const uint64_t shown = taken | taken << 1 | carriedTrail | singles;
    return ~shown;
}

// A block of UTF-8, at least three bytes away from the end of the data. A
// character starts with a byte that no other continues, so the characters
// are independent of each other: only a lead byte followed by a
// continuation byte can start one, and those are few in any data. `carried`
// holds the bytes a character of the block before reaches into this one,
// and becomes those of this block's last character in the next.
uint64_t Utf8Escapes(const CodePageRules &rules, const uint8_t *block, uint64_t &carried)
{
    const Utf8ByteClasses classes = ClassifyUtf8Block(block);
    const uint64_t nextIsContinuation =
        classes.continuation >> 1 | static_cast<uint64_t>((block[kBlock] & 0xC0) == 0x80) << 63;
    uint64_t shown = carried;
    carried = 0;
    for (uint64_t starts = classes.leads & nextIsContinuation; starts != 0; starts &= starts - 1) {
        const auto k = static_cast<std::size_t>(std::countr_zero(starts));
        const std::size_t length = CharLength(rules, block + k, kBlock + 3 - k);
        const uint64_t bytes = (uint64_t{1} << length) - 1;
        shown |= bytes << k;
        if (k + length > kBlock)
            carried = bytes >> (kBlock - k);
    }
    return classes.special & ~shown;
}

// The last blocks, byte by byte; a UTF-8 character from the block before
// is skipped like a double-byte one.
uint64_t TailEscapes(const CodePageRules &rules, std::span<const uint8_t> bytes, std::size_t at,
                     uint64_t special, std::size_t &skip, uint64_t &carried)
{
    skip += CountBits(carried);
    carried = 0;
    return CharEscapes(rules, bytes, at, special, skip);
}

// UTF-8 blocks are decided by their lead bytes. Double-byte blocks with few
// special bytes are decided a special byte at a time (text), others as a
// whole (binary data). A block without special bytes is shown whole.
constexpr std::size_t kFewSpecialBytes = 12;

uint64_t MixedEscapes(const CodePageRules &rules, std::span<const uint8_t> bytes, std::size_t at,
                      std::size_t &skip, uint64_t &carried)
{
    const std::size_t rest = bytes.size() - at;
    const uint8_t *data = bytes.data() + at;
    if (rules.kind == SequenceKind::Utf8 && rest >= kBlock + 3) {
        carried |= (uint64_t{1} << skip) - 1;
        skip = 0;
        return Utf8Escapes(rules, data, carried);
    }
    const uint64_t special = SpecialBytes(data, rest);
    if (special == 0 && skip == 0 && carried == 0)
        return 0;
    if (rules.kind == SequenceKind::DoubleByte && CountBits(special) > kFewSpecialBytes &&
        rest >= kBlock + 1)
        return PairEscapes(rules, data, skip);
    return TailEscapes(rules, bytes, at, special, skip, carried);
}

EscapeMap FindEscapes(const CodePageRules &rules, std::span<const uint8_t> bytes)
{
    EscapeMap map;
    map.places.resize((bytes.size() + kBlock - 1) / kBlock);
    std::size_t skip = 0; // bytes of a character of the block before
    uint64_t carried = 0; // the same as bits, for UTF-8 blocks
    for (std::size_t block = 0; block < map.places.size(); ++block) {
        const std::size_t at = block * kBlock;
        const std::size_t rest = bytes.size() - at;
        const uint8_t *data = bytes.data() + at;
        uint64_t places = 0;
        if (rules.kind != SequenceKind::SingleByte)
            places = MixedEscapes(rules, bytes, at, skip, carried);
        else if (SpecialBytes(data, rest) != 0)
            places = SingleByteEscapes(rules, data, std::min(kBlock, rest));
        map.places[block] = places;
        map.count += CountBits(places);
    }
    return map;
}

// Any block, writing exactly its bytes.
uint8_t *WriteBlockExact(uint8_t *out, const uint8_t *from, std::size_t length, uint64_t escapes)
{
    for (std::size_t k = 0; k < length; ++k) {
        if ((escapes >> k & 1) == 0) {
            *out++ = from[k];
            continue;
        }
        std::memcpy(out, kEscapeWords[from[k]].data(), kEscapeLength);
        out += kEscapeLength;
    }
    return out;
}

constexpr std::size_t kFastReadMargin = kBlock + kCopyPiece;
constexpr std::size_t kFastWriteRoom = kBlock * kEscapeLength + kEscapeWord + kCopyPiece;

ConvResult RenderByRules(std::span<const uint8_t> bytes, ByteString &out,
                         const CodePageRules &rules)
{
    const EscapeMap map = FindEscapes(rules, bytes);
    ByteString text = ByteString::Uninitialized(bytes.size() + (kEscapeLength - 1) * map.count);
    uint8_t *write = text.data();
    const uint8_t *writeEnd = text.data() + text.size();
    for (std::size_t k = 0; k < map.places.size(); ++k) {
        const std::size_t at = k * kBlock;
        const std::size_t rest = bytes.size() - at;
        if (rest >= kFastReadMargin && static_cast<std::size_t>(writeEnd - write) >= kFastWriteRoom)
            write = WriteEscapedBlock(write, bytes.data() + at, map.places[k]);
        else
            write =
                WriteBlockExact(write, bytes.data() + at, std::min(kBlock, rest), map.places[k]);
    }
    text.data()[text.size()] = 0;
    out = std::move(text);
    return static_cast<ConvResult>(out.size());
}

CodePageRules MakeGbkRules()
{
    CodePageRules rules;
    rules.kind = SequenceKind::Gbk;
    for (int b = 0; b < 256; ++b)
        rules.lengths[b] = b <= 0x07 || b == 0xFF                   ? 0
                           : IsGbkLeadByte(static_cast<uint8_t>(b)) ? 2
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
    return CharLength(rules, bytes.data(), bytes.size());
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
