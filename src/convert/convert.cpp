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

// How the Ascii rendering treats each byte value.
enum AsciiClass : uint8_t
{
    kRaw,
    kEscaped,
    kLeadOrTrail
};

constexpr Table MakeAsciiClasses()
{
    Table classes{};
    for (int b = 0; b < 256; ++b) {
        if (b <= 0x07 || b == 0xFF)
            classes[b] = kEscaped;
        else if (b >= 0x81)
            classes[b] = kLeadOrTrail;
        else
            classes[b] = kRaw;
    }
    return classes;
}

constexpr Table kHexValues = MakeHexValues();
constexpr Table kSeparators = MakeSeparators();
constexpr auto kHexPairs = MakeHexPairs();
constexpr auto kEscapes = MakeEscapes();
constexpr Table kAsciiClasses = MakeAsciiClasses();

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
// or the error result.
template <bool kCheck, class Sink> ConvResult WalkHexText(std::string_view text, Sink &sink)
{
    const uint8_t *chars = BytesOf(text);
    const std::size_t n = text.size();
    std::size_t count = 0;
    std::size_t i = 0;
    while (i < n) {
        while (i < n && kSeparators[chars[i]])
            ++i;
        const std::size_t start = i;
        while (i < n && !kSeparators[chars[i]])
            ++i;
        const std::size_t length = i - start;
        if (length == 0)
            break;
        if constexpr (kCheck) {
            const std::size_t bad = FindTokenError(chars + start, length);
            if (bad != length)
                return ErrorAt(start + bad);
        }
        DecodeToken(chars + start, length, sink);
        count += length == 3 ? 1 : (length + 1) / 2;
    }
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

// Counts the rendered length. A run of 0x81..0xFE bytes shows as pairs; an
// odd run's last byte becomes an escape (5 more than its raw byte).
struct AsciiSizer
{
    std::size_t size = 0;
    std::size_t run = 0;

    void operator()(uint8_t b)
    {
        const uint8_t cls = kAsciiClasses[b];
        if (cls == kLeadOrTrail) {
            ++size;
            ++run;
            return;
        }
        EndRun();
        size += cls == kEscaped ? kEscapeLength : 1;
    }
    void EndRun()
    {
        if (run & 1)
            size += kEscapeLength - 1;
        run = 0;
    }
};

// Writes what AsciiSizer measured. Run bytes go out raw at once; when a run
// ends odd, its last byte (the last one written) is rewritten as an escape.
struct AsciiWriter
{
    uint8_t *out;
    std::size_t run = 0;

    void operator()(uint8_t b)
    {
        const uint8_t cls = kAsciiClasses[b];
        if (cls == kLeadOrTrail) {
            *out++ = b;
            ++run;
            return;
        }
        EndRun();
        if (cls == kEscaped) {
            std::memcpy(out, kEscapes[b].data(), kEscapeLength);
            out += kEscapeLength;
        } else {
            *out++ = b;
        }
    }
    void EndRun()
    {
        if (run & 1) {
            const uint8_t lone = out[-1];
            std::memcpy(out - 1, kEscapes[lone].data(), kEscapeLength);
            out += kEscapeLength - 1;
        }
        run = 0;
    }
};

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
template <class Sink> void WalkAsciiText(std::string_view text, Sink &sink)
{
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

// Writes each byte as its pair followed by the separator; the caller's buffer
// has room for that last separator because of the trailing 0 byte, which is
// written again afterwards.
struct HexPairWriter
{
    uint8_t *out;
    char separator;
    void operator()(uint8_t b)
    {
        out[0] = static_cast<uint8_t>(kHexPairs[b][0]);
        out[1] = static_cast<uint8_t>(kHexPairs[b][1]);
        out[2] = static_cast<uint8_t>(separator);
        out += 3;
    }
    void Literal(const uint8_t *chars, std::size_t length)
    {
        for (std::size_t k = 0; k < length; ++k)
            (*this)(chars[k]);
    }
};

// Allocates the hex text for `count` (at least 1) bytes and lets `feed` write
// the pairs.
template <class Feed>
ConvResult FillHexText(std::size_t count, char separator, ByteString &out, Feed feed)
{
    ByteString text = ByteString::Uninitialized(3 * count - 1);
    HexPairWriter writer{text.data(), separator};
    feed(writer);
    text.data()[text.size()] = 0;
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
    AsciiWriter writer{text.data()};
    WalkHexText<false>(hexText, writer);
    writer.EndRun();
    out = std::move(text);
    return static_cast<ConvResult>(out.size());
}

ConvResult BytesToAscii(std::span<const uint8_t> bytes, ByteString &out)
{
    if (bytes.empty())
        return 0;
    AsciiSizer sizer;
    for (uint8_t b : bytes)
        sizer(b);
    sizer.EndRun();
    ByteString text = ByteString::Uninitialized(sizer.size);
    AsciiWriter writer{text.data()};
    for (uint8_t b : bytes)
        writer(b);
    writer.EndRun();
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
