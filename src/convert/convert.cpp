#include "convert.h"

#include <array>
#include <cstring>

// Every conversion runs twice over its input: a measuring pass that validates
// and sizes the result, then, with the one buffer of that size allocated, a
// filling pass that no longer checks anything. The passes share the decoding
// code through small "sink" objects that either count or write.

namespace {

using Table = std::array<uint8_t, 256>;

constexpr Table MakeHexValues()
{
    Table values{};
    for (int ch = 0; ch < 256; ++ch) {
        values[ch] = kNotHexDigit;
        if (ch >= '0' && ch <= '9')
            values[ch] = static_cast<uint8_t>(ch - '0');
        else if (ch >= 'A' && ch <= 'F')
            values[ch] = static_cast<uint8_t>(ch - 'A' + 10);
        else if (ch >= 'a' && ch <= 'f')
            values[ch] = static_cast<uint8_t>(ch - 'a' + 10);
    }
    return values;
}

constexpr Table MakeSeparators()
{
    Table separators{};
    for (char ch : {' ', '\t', '\n', '\r', ',', ';'})
        separators[static_cast<uint8_t>(ch)] = 1;
    return separators;
}

constexpr char kUpperDigits[] = "0123456789ABCDEF";

constexpr std::array<std::array<char, 2>, 256> MakeHexPairs()
{
    std::array<std::array<char, 2>, 256> pairs{};
    for (int b = 0; b < 256; ++b)
        pairs[b] = {kUpperDigits[b >> 4], kUpperDigits[b & 15]};
    return pairs;
}

constexpr std::size_t kEscapeLength = 6;

constexpr std::array<std::array<char, kEscapeLength>, 256> MakeEscapes()
{
    std::array<std::array<char, kEscapeLength>, 256> escapes{};
    for (int b = 0; b < 256; ++b)
        escapes[b] = {'<', '\\', 'x', kUpperDigits[b >> 4], kUpperDigits[b & 15], '>'};
    return escapes;
}

// The Ascii rendering of each byte outside the pairing rule: its escape for
// 0x00..0x07 and 0xFF, the raw byte otherwise, padded to one 8-byte block.
constexpr std::ptrdiff_t kRenderedBlock = 8;

// Bytes 0x08..0x80 render as themselves; blocks of this many are copied whole.
constexpr std::size_t kPlainBlock = 8;

constexpr bool NeedsEscape(int b)
{
    return b <= 0x07 || b == 0xFF;
}

constexpr std::array<std::array<uint8_t, kRenderedBlock>, 256> MakeRendered()
{
    const auto escapes = MakeEscapes();
    std::array<std::array<uint8_t, kRenderedBlock>, 256> rendered{};
    for (int b = 0; b < 256; ++b) {
        if (NeedsEscape(b)) {
            for (std::size_t k = 0; k < kEscapeLength; ++k)
                rendered[b][k] = static_cast<uint8_t>(escapes[b][k]);
        } else {
            rendered[b][0] = static_cast<uint8_t>(b);
        }
    }
    return rendered;
}

constexpr Table MakeRenderedLengths()
{
    Table lengths{};
    for (int b = 0; b < 256; ++b)
        lengths[b] = NeedsEscape(b) ? kEscapeLength : 1;
    return lengths;
}

// 1 for the bytes that pair up as double-byte characters.
constexpr Table MakeDoubleByteRange()
{
    Table range{};
    for (int b = 0x81; b <= 0xFE; ++b)
        range[b] = 1;
    return range;
}

constexpr Table kHexValues = MakeHexValues();
constexpr Table kSeparators = MakeSeparators();
constexpr auto kHexPairs = MakeHexPairs();
constexpr auto kEscapes = MakeEscapes();
constexpr auto kRendered = MakeRendered();
constexpr Table kRenderedLength = MakeRenderedLengths();
constexpr Table kInDoubleByteRun = MakeDoubleByteRange();

const uint8_t *BytesOf(std::string_view text)
{
    return reinterpret_cast<const uint8_t *>(text.data());
}

ConvResult ErrorAt(std::size_t index)
{
    return -static_cast<ConvResult>(index) - 1;
}

bool IsDecimalDigit(uint8_t ch)
{
    return ch >= '0' && ch <= '9';
}

// ---- Hex notation reader ----------------------------------------------------

// Index inside the token of its first bad character, or `length` when the
// token is well formed.
std::size_t FindTokenError(const uint8_t *token, std::size_t length)
{
    if (length == 3) {
        for (std::size_t k = 0; k < 3; ++k) {
            if (!IsDecimalDigit(token[k]))
                return k;
        }
        const int value = (token[0] - '0') * 100 + (token[1] - '0') * 10 + (token[2] - '0');
        return value > 255 ? 0 : length;
    }
    for (std::size_t k = 0; k < length; ++k) {
        if (kHexValues[token[k]] == kNotHexDigit)
            return k;
    }
    return length;
}

// Feeds the bytes of a well-formed token to `sink`.
template <class Sink> void DecodeToken(const uint8_t *token, std::size_t length, Sink &sink)
{
    if (length == 3) {
        sink(static_cast<uint8_t>((token[0] - '0') * 100 + (token[1] - '0') * 10 +
                                  (token[2] - '0')));
        return;
    }
    std::size_t k = 0;
    for (; k + 1 < length; k += 2)
        sink(static_cast<uint8_t>(kHexValues[token[k]] << 4 | kHexValues[token[k + 1]]));
    if (k < length)
        sink(kHexValues[token[k]]);
}

// Walks the tokens of a hex text from the left and feeds their bytes to
// `sink`. With kCheck, stops at the first bad token; returns the byte count
// or the error result. The sink is worked on as a local copy: its output
// pointer then lives in a register instead of being reloaded after every
// byte stored through it.
template <bool kCheck, class Sink> ConvResult WalkHexText(std::string_view text, Sink &sinkRef)
{
    Sink sink = sinkRef;
    const uint8_t *chars = BytesOf(text);
    const std::size_t n = text.size();
    std::size_t count = 0;
    std::size_t i = 0;
    while (i < n) {
        if (kSeparators[chars[i]]) {
            ++i;
            continue;
        }
        // Most tokens are one pair and a separator: take them without the
        // general token scan.
        if (i + 2 < n && kSeparators[chars[i + 2]]) {
            const uint8_t high = kHexValues[chars[i]];
            const uint8_t low = kHexValues[chars[i + 1]];
            if ((high | low) < 16) {
                sink(static_cast<uint8_t>(high << 4 | low));
                ++count;
                i += 3;
                continue;
            }
        }
        const std::size_t start = i;
        while (i < n && !kSeparators[chars[i]])
            ++i;
        const std::size_t length = i - start;
        if constexpr (kCheck) {
            const std::size_t bad = FindTokenError(chars + start, length);
            if (bad != length)
                return ErrorAt(start + bad);
        }
        DecodeToken(chars + start, length, sink);
        count += length == 3 ? 1 : (length + 1) / 2;
    }
    sinkRef = sink;
    return static_cast<ConvResult>(count);
}

struct DiscardSink
{
    void operator()(uint8_t) {}
};

struct ByteWriter
{
    uint8_t *out;
    void operator()(uint8_t b) { *out++ = b; }
};

// ---- Ascii notation writer --------------------------------------------------

// A run of 0x81..0xFE bytes shows as pairs; when a run ends with an odd
// count, its last byte is escaped. Both the sizer and the writer keep only the
// parity of the current run and update it without branching: on random data
// a branch on the byte class would mispredict on almost every byte.

struct AsciiSizer
{
    std::size_t size = 0;
    unsigned oddRun = 0;

    void operator()(uint8_t b)
    {
        const unsigned inRun = kInDoubleByteRun[b];
        size += kRenderedLength[b] + (kEscapeLength - 1) * (oddRun & (inRun ^ 1));
        oddRun = (oddRun ^ inRun) & inRun;
    }
    void PlainBlock(const uint8_t *)
    {
        EndRun();
        size += kPlainBlock;
    }
    void EndRun()
    {
        size += (kEscapeLength - 1) * oddRun;
        oddRun = 0;
    }
};

// Writes what AsciiSizer measured. Run bytes go out raw at once; when a run
// ends odd, its last byte (the last one written) is rewritten as an escape.
// Away from the end of the buffer every byte is stored as one 8-byte block.
struct AsciiWriter
{
    uint8_t *out;
    const uint8_t *end; // one past the trailing 0 byte
    unsigned oddRun = 0;

    void operator()(uint8_t b)
    {
        const unsigned inRun = kInDoubleByteRun[b];
        if (oddRun & (inRun ^ 1))
            EscapeLoneByte();
        oddRun = (oddRun ^ inRun) & inRun;
        const std::size_t length = kRenderedLength[b];
        if (end - out >= kRenderedBlock) // constant sizes: no library call
            std::memcpy(out, kRendered[b].data(), kRenderedBlock);
        else
            std::memcpy(out, kRendered[b].data(), length);
        out += length;
    }
    void PlainBlock(const uint8_t *block)
    {
        EndRun();
        std::memcpy(out, block, kPlainBlock);
        out += kPlainBlock;
    }
    void EndRun()
    {
        if (oddRun)
            EscapeLoneByte();
        oddRun = 0;
    }
    void EscapeLoneByte()
    {
        const uint8_t lone = out[-1];
        std::memcpy(out - 1, kEscapes[lone].data(), kEscapeLength);
        out += kEscapeLength - 1;
    }
};

// True when all 8 bytes of the word render as themselves (0x08..0x80) and
// end any double-byte run. Bytes >= 0x81 have the high bit and some low bit
// set; bytes < 0x08 have none of the bits 0x78 or 0x80.
bool IsPlainBlock(uint64_t word)
{
    constexpr uint64_t kHigh = 0x8080808080808080u;
    constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Fu;
    constexpr uint64_t kMid = 0x7878787878787878u;
    const uint64_t aboveRange = word & ((word & kLow7) + kLow7) & kHigh;
    const uint64_t belowRange = ~word & ~((word & kMid) + kMid) & kHigh;
    return (aboveRange | belowRange) == 0;
}

// Feeds bytes to an Ascii sizer or writer, whole 8-byte blocks at once where
// they hold plain text only (most of a printer's text output).
template <class Renderer> void RenderBytes(std::span<const uint8_t> bytes, Renderer &renderer)
{
    Renderer local = renderer; // see WalkHexText
    const uint8_t *p = bytes.data();
    const uint8_t *const end = p + bytes.size();
    while (end - p >= static_cast<std::ptrdiff_t>(kPlainBlock)) {
        uint64_t word;
        std::memcpy(&word, p, kPlainBlock);
        if (IsPlainBlock(word)) {
            local.PlainBlock(p);
        } else {
            for (std::size_t k = 0; k < kPlainBlock; ++k)
                local(p[k]);
        }
        p += kPlainBlock;
    }
    for (; p != end; ++p)
        local(*p);
    local.EndRun();
    renderer = local;
}

// ---- Ascii notation reader --------------------------------------------------

bool IsEscapeAt(const uint8_t *chars, std::size_t n, std::size_t i)
{
    return i + 5 < n && chars[i] == '<' && chars[i + 1] == '\\' && chars[i + 2] == 'x' &&
           chars[i + 5] == '>' && kHexValues[chars[i + 3]] != kNotHexDigit &&
           kHexValues[chars[i + 4]] != kNotHexDigit;
}

uint8_t EscapedByte(const uint8_t *escape)
{
    return static_cast<uint8_t>(kHexValues[escape[3]] << 4 | kHexValues[escape[4]]);
}

// Walks an Ascii text, handing literal stretches to sink.Literal(ptr, len)
// and escaped bytes to sink(b). Only '<' can start an escape, so the
// stretches between two '<' are found with memchr.
template <class Sink> void WalkAsciiText(std::string_view text, Sink &sinkRef)
{
    Sink sink = sinkRef; // see WalkHexText
    const uint8_t *chars = BytesOf(text);
    const std::size_t n = text.size();
    std::size_t literalStart = 0;
    std::size_t i = 0;
    while (i < n) {
        const void *found = std::memchr(chars + i, '<', n - i);
        if (!found)
            break;
        i = static_cast<std::size_t>(static_cast<const uint8_t *>(found) - chars);
        if (!IsEscapeAt(chars, n, i)) {
            ++i;
            continue;
        }
        sink.Literal(chars + literalStart, i - literalStart);
        sink(EscapedByte(chars + i));
        i += kEscapeLength;
        literalStart = i;
    }
    sink.Literal(chars + literalStart, n - literalStart);
    sinkRef = sink;
}

struct AsciiByteCounter
{
    std::size_t count = 0;
    void operator()(uint8_t) { ++count; }
    void Literal(const uint8_t *, std::size_t length) { count += length; }
};

struct AsciiByteWriter
{
    uint8_t *out;
    void operator()(uint8_t b) { *out++ = b; }
    void Literal(const uint8_t *chars, std::size_t length)
    {
        if (length != 0)
            std::memcpy(out, chars, length);
        out += length;
    }
};

// Writes each byte as its pair followed by the separator, as one 4-byte store
// while there is room. The last separator lands on the trailing 0 byte, which
// is written again afterwards.
struct HexPairWriter
{
    uint8_t *out;
    const uint8_t *end; // one past the trailing 0 byte
    uint32_t separator;

    void operator()(uint8_t b)
    {
        const uint32_t pairAndSeparator = kHexPairs[b][0] | kHexPairs[b][1] << 8 | separator << 16;
        if (end - out >= 4)
            std::memcpy(out, &pairAndSeparator, 4);
        else
            std::memcpy(out, &pairAndSeparator, 3);
        out += 3;
    }
    void Literal(const uint8_t *chars, std::size_t length)
    {
        for (std::size_t k = 0; k < length; ++k)
            (*this)(chars[k]);
    }
};

uint8_t *EndOf(ByteString &text)
{
    return text.data() + text.size() + 1;
}

// The fast writers may leave other bytes on the trailing 0.
void Terminate(ByteString &text)
{
    text.data()[text.size()] = 0;
}

// Allocates the hex text for `count` (at least 1) bytes and lets `feed` write
// the pairs.
template <class Feed>
ConvResult FillHexText(std::size_t count, char separator, ByteString &out, Feed feed)
{
    ByteString text = ByteString::Uninitialized(3 * count - 1);
    HexPairWriter writer{text.data(), EndOf(text), static_cast<uint8_t>(separator)};
    feed(writer);
    Terminate(text);
    out = std::move(text);
    return static_cast<ConvResult>(out.size());
}

} // namespace

uint8_t HexDigitValue(uint8_t ch) noexcept
{
    return kHexValues[ch];
}

ConvResult HexToBytes(std::string_view hexText, ByteString &out)
{
    if (hexText.empty())
        return 0;
    DiscardSink discard;
    const ConvResult count = WalkHexText<true>(hexText, discard);
    if (IsConvError(count))
        return count;
    ByteString bytes = ByteString::Uninitialized(static_cast<std::size_t>(count));
    ByteWriter writer{bytes.data()};
    WalkHexText<false>(hexText, writer);
    out = std::move(bytes);
    return count;
}

ConvResult AsciiToBytes(std::string_view asciiText, ByteString &out)
{
    if (asciiText.empty())
        return 0;
    AsciiByteCounter counter;
    WalkAsciiText(asciiText, counter);
    ByteString bytes = ByteString::Uninitialized(counter.count);
    AsciiByteWriter writer{bytes.data()};
    WalkAsciiText(asciiText, writer);
    out = std::move(bytes);
    return static_cast<ConvResult>(counter.count);
}

ConvResult BytesToHex(std::span<const uint8_t> bytes, ByteString &out, char separator)
{
    if (bytes.empty())
        return 0;
    return FillHexText(bytes.size(), separator, out,
                       [&](HexPairWriter &writer) { writer.Literal(bytes.data(), bytes.size()); });
}

ConvResult HexToAscii(std::string_view hexText, ByteString &out)
{
    if (hexText.empty())
        return 0;
    AsciiSizer sizer;
    const ConvResult count = WalkHexText<true>(hexText, sizer);
    if (IsConvError(count))
        return count;
    sizer.EndRun();
    ByteString text = ByteString::Uninitialized(sizer.size);
    AsciiWriter writer{text.data(), EndOf(text)};
    WalkHexText<false>(hexText, writer);
    writer.EndRun();
    Terminate(text);
    out = std::move(text);
    return static_cast<ConvResult>(out.size());
}

ConvResult BytesToAscii(std::span<const uint8_t> bytes, ByteString &out)
{
    if (bytes.empty())
        return 0;
    AsciiSizer sizer;
    RenderBytes(bytes, sizer);
    ByteString text = ByteString::Uninitialized(sizer.size);
    AsciiWriter writer{text.data(), EndOf(text)};
    RenderBytes(bytes, writer);
    Terminate(text);
    out = std::move(text);
    return static_cast<ConvResult>(out.size());
}

ConvResult AsciiToHex(std::string_view asciiText, ByteString &out)
{
    if (asciiText.empty())
        return 0;
    AsciiByteCounter counter;
    WalkAsciiText(asciiText, counter);
    return FillHexText(counter.count, ' ', out,
                       [&](HexPairWriter &writer) { WalkAsciiText(asciiText, writer); });
}
