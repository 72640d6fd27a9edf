#include "convert/convert.h"

#include "convert/blockclass.h"
#include "convert/escapewriter.h"
#include "convert/hexpairs.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstring>
#include <memory>

// The writers assemble output in 64-bit words whose first byte in memory is
// the low byte.
static_assert(std::endian::native == std::endian::little);

// Every conversion runs twice over its input: a measuring pass that validates
// and sizes the result, then, with the one buffer of that size allocated, a
// filling pass that no longer checks anything. The passes share the decoding
// code through small "sink" objects that either count or write. The hex
// readers are the exception: they walk the text once, into a buffer as large
// as the text could need, and copy or render the bytes from there.

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

constexpr std::array<std::array<char, 2>, 256> MakeHexPairs()
{
    std::array<std::array<char, 2>, 256> pairs{};
    for (int b = 0; b < 256; ++b)
        pairs[b] = {kUpperDigits[b >> 4], kUpperDigits[b & 15]};
    return pairs;
}

// The same pairs as 16-bit values, first character in the low byte, ready to
// be shifted into place in a word stored to memory.
constexpr std::array<uint16_t, 256> MakeHexPairWords()
{
    const auto pairs = MakeHexPairs();
    std::array<uint16_t, 256> words{};
    for (int b = 0; b < 256; ++b)
        words[b] = static_cast<uint16_t>(static_cast<uint8_t>(pairs[b][0]) |
                                         static_cast<uint8_t>(pairs[b][1]) << 8);
    return words;
}

// The Ascii rendering of each byte outside the pairing rule: its escape for
// 0x00..0x07 and 0xFF, the raw byte otherwise, padded to one 8-byte block.
constexpr std::ptrdiff_t kRenderedBlock = 8;

constexpr bool NeedsEscape(int b)
{
    return b <= 0x07 || b == 0xFF;
}

constexpr std::array<std::array<uint8_t, kRenderedBlock>, 256> MakeRendered()
{
    std::array<std::array<uint8_t, kRenderedBlock>, 256> rendered{};
    for (int b = 0; b < 256; ++b) {
        if (NeedsEscape(b))
            rendered[b] = kEscapeWords[b];
        else
            rendered[b][0] = static_cast<uint8_t>(b);
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
constexpr auto kHexPairWords = MakeHexPairWords();
constexpr auto kRendered = MakeRendered();
constexpr Table kRenderedLength = MakeRenderedLengths();
constexpr Table kInDoubleByteRun = MakeDoubleByteRange();

// The input of a conversion is read once from start to end, but the hardware
// alone does not fetch it early enough on every machine (on the virtual
// machines we build on, a pass over 16 MiB ran twice as fast with this): ask
// for the data ahead of its use. On those machines 2 KiB ahead did better
// than 512 bytes or 1 KiB and about as well as 4 KiB.
constexpr std::size_t kPrefetchDistance = 2048;

inline void PrefetchAhead(const uint8_t *p)
{
    __builtin_prefetch(p + kPrefetchDistance);
}

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

struct ByteWriter
{
    uint8_t *out;
    void operator()(uint8_t b) { *out++ = b; }
};

// Walks the tokens of a hex text from the left and writes their bytes to
// `out`, stopping at the first bad token; returns the byte count or the
// error result. The writer is a local: its output pointer then lives in a
// register instead of being reloaded after every byte stored through it.
ConvResult WalkHexText(std::string_view text, uint8_t *out)
{
    ByteWriter sink{out};
    const uint8_t *chars = BytesOf(text);
    const std::size_t n = text.size();
    std::size_t count = 0;
    std::size_t i = 0;
    while (i < n) {
        if (kSeparators[chars[i]]) {
            ++i;
            continue;
        }
        PrefetchAhead(chars + i);
        // Most tokens are one pair and a separator: take five at once where
        // they come in a row, or one without the general token scan.
        if (n - i >= kFivePairsReach && FivePairs(chars + i, sink.out)) {
            sink.out += 5;
            count += 5;
            i += kFivePairsLength;
            continue;
        }
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
        const std::size_t bad = FindTokenError(chars + start, length);
        if (bad != length)
            return ErrorAt(start + bad);
        DecodeToken(chars + start, length, sink);
        count += length == 3 ? 1 : (length + 1) / 2;
    }
    return static_cast<ConvResult>(count);
}

// A token of length L gives at most (L + 1) / 2 bytes, and tokens stand
// apart by at least one separator, so a text of n characters gives at most
// (n + 1) / 2 bytes.
std::size_t MaxBytesOfHexText(std::size_t length)
{
    return (length + 1) / 2;
}

// The bytes of a hex text, or the error result. `bytes` gets a buffer of
// MaxBytesOfHexText, of which the result's count are used. The text is
// walked once: a walk costs far more than copying the bytes it gives, so
// sizing the result by a walk of its own first would cost more than it saves.
ConvResult DecodeHexText(std::string_view text, ByteString &bytes)
{
    bytes = ByteString::Uninitialized(MaxBytesOfHexText(text.size()));
    return WalkHexText(text, bytes.data());
}

// ---- Ascii notation writer --------------------------------------------------

// A run of 0x81..0xFE bytes shows as pairs; when a run ends with an odd
// count, its last byte is escaped. Bytes are taken 64 at a time where the
// input allows: one bit per byte says whether it is in such a run, and
// whether its value needs an escape, and the escaped places of the block come
// out of a few word operations instead of a decision per byte. The rest
// (short inputs and the last bytes) goes byte by byte, keeping only the parity
// of the current run, updated without branching: on random data a branch on
// the byte class would mispredict on almost every byte.

constexpr std::size_t kBlock = kClassBlock;

// A block is copied in 16-byte pieces that may read and write past the bytes
// they need: these are the margins that must be readable after a block and
// writable after the output of one.
constexpr std::size_t kBlockReadMargin = kCopyPiece;
constexpr std::size_t kBlockWriteRoom = kBlock * kEscapeLength + kEscapeLength + kCopyPiece;

struct BlockEscapes
{
    uint64_t places;   // bytes of this block to escape
    bool previousByte; // the last byte of the previous block ends an odd run
};

// The escaped places of one block. `oddRun` says whether the bytes before the
// block end in a run of odd length so far, and is updated for the next block.
//
// Runs are found with carries: adding a run's start bit to the run carries
// out to the first byte after it. Split by whether the run starts at an even
// or odd place, a run that ends at a place of the other parity has odd length;
// that first byte after it marks its last byte for escaping. A run open from
// the previous block is treated as starting one place earlier when its length
// so far is odd.
inline BlockEscapes FindEscapes(const uint8_t *block, unsigned &oddRun)
{
    constexpr uint64_t kEvenPlaces = 0x5555555555555555u;
    const ByteClasses classes = ClassifyBlock(block);
    const uint64_t run = classes.inRun;
    const uint64_t carriedOdd = oddRun;
    const uint64_t starts = run & ~(run << 1);
    const uint64_t evenStartPlaces = kEvenPlaces ^ carriedOdd;
    const uint64_t evenStarts = starts & evenStartPlaces;
    const uint64_t oddStarts = starts & ~evenStartPlaces;
    const uint64_t evenCarries = run + evenStarts;
    const uint64_t oddSum = run + oddStarts;
    // A run of odd start reaching the last place carries out of the word: it
    // stays open with odd length.
    oddRun = oddSum < run ? 1 : 0;
    const uint64_t oddCarries = oddSum | carriedOdd;
    const uint64_t afterOddRuns =
        (evenCarries & ~run & ~kEvenPlaces) | (oddCarries & ~run & kEvenPlaces);
    return {classes.escaped | afterOddRuns >> 1, (afterOddRuns & 1) != 0};
}

// What the measuring pass found in each block, in order, so that the filling
// pass need not classify the blocks again: the escaped places, and two flags.
constexpr uint8_t kPreviousByteFlag = 1; // BlockEscapes::previousByte
constexpr uint8_t kOddRunFlag = 2;       // the run state after the block

struct BlockRecords
{
    std::unique_ptr<uint64_t[]> places;
    std::unique_ptr<uint8_t[]> flags;

    explicit BlockRecords(std::size_t inputSize)
        : places(new uint64_t[inputSize / kBlock]), flags(new uint8_t[inputSize / kBlock])
    {
    }
};

struct AsciiSizer
{
    std::size_t size = 0;
    unsigned oddRun = 0;
    uint64_t *places; // the next block's record
    uint8_t *flags;

    void operator()(uint8_t b)
    {
        const unsigned inRun = kInDoubleByteRun[b];
        size += kRenderedLength[b] + (kEscapeLength - 1) * (oddRun & (inRun ^ 1));
        oddRun = (oddRun ^ inRun) & inRun;
    }
    bool HasBlockRoom() const { return true; }
    void Block(const uint8_t *block)
    {
        const BlockEscapes escapes = FindEscapes(block, oddRun);
        size += kBlock + (kEscapeLength - 1) * (CountBits(escapes.places) + escapes.previousByte);
        *places++ = escapes.places;
        *flags++ = static_cast<uint8_t>((escapes.previousByte ? kPreviousByteFlag : 0) |
                                        (oddRun ? kOddRunFlag : 0));
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
    const uint8_t *end;     // one past the trailing 0 byte
    const uint64_t *places; // the next block's record, from AsciiSizer
    const uint8_t *flags;
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
    bool HasBlockRoom() const { return static_cast<std::size_t>(end - out) >= kBlockWriteRoom; }
    // The raw stretches between escapes are copied whole.
    void Block(const uint8_t *block)
    {
        const BlockEscapes escapes{*places++, (*flags & kPreviousByteFlag) != 0};
        oddRun = (*flags++ & kOddRunFlag) != 0;
        uint8_t *o = out;
        if (escapes.previousByte) {
            std::memcpy(o - 1, kEscapeWords[o[-1]].data(), kEscapeWord);
            o += kEscapeLength - 1;
        }
        out = WriteEscapedBlock(o, block, escapes.places);
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
        std::memcpy(out - 1, kEscapeWords[lone].data(), kEscapeLength);
        out += kEscapeLength - 1;
    }
};

// Feeds the bytes [p, end) to an Ascii sizer or writer, whole blocks where the
// input (readable up to `readableEnd`) and the output allow, and the rest byte
// by byte. The run state carries over to the next call.
template <class Renderer>
void FeedRenderer(Renderer &renderer, const uint8_t *p, const uint8_t *end,
                  const uint8_t *readableEnd)
{
    while (static_cast<std::size_t>(end - p) >= kBlock &&
           static_cast<std::size_t>(readableEnd - p) >= kBlock + kBlockReadMargin &&
           renderer.HasBlockRoom()) {
        PrefetchAhead(p);
        renderer.Block(p);
        p += kBlock;
    }
    for (; p != end; ++p)
        renderer(*p);
}

template <class Renderer> void RenderBytes(std::span<const uint8_t> bytes, Renderer &renderer)
{
    Renderer local = renderer; // a local stays in registers, see WalkHexText
    const uint8_t *end = bytes.data() + bytes.size();
    FeedRenderer(local, bytes.data(), end, end);
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

// The number of escapes in an Ascii text. An escape holds no '<' after its
// first character, so escapes never overlap and each '<' can be tested on its
// own; the '<' are found 64 characters at a time.
std::size_t CountEscapes(std::string_view text)
{
    const uint8_t *chars = BytesOf(text);
    const std::size_t n = text.size();
    std::size_t escapes = 0;
    std::size_t i = 0;
    for (; n - i >= kBlock; i += kBlock) {
        PrefetchAhead(chars + i);
        for (uint64_t rest = MatchBlock(chars + i, '<'); rest != 0; rest &= rest - 1)
            escapes += IsEscapeAt(chars, n, i + static_cast<std::size_t>(std::countr_zero(rest)));
    }
    for (; i < n; ++i)
        escapes += chars[i] == '<' && IsEscapeAt(chars, n, i);
    return escapes;
}

// Bytes read from an Ascii text: one per character, five fewer per escape.
std::size_t AsciiByteCount(std::string_view text)
{
    return text.size() - (kEscapeLength - 1) * CountEscapes(text);
}

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
    // Eight bytes make 24 characters, stored as three words: the pairs come
    // from the table as 16-bit values and the separators sit at fixed places
    // of each word.
    void Eight(const uint8_t *bytes)
    {
        const uint64_t s = separator;
        const auto pair = [bytes](int place) -> uint64_t { return kHexPairWords[bytes[place]]; };
        const uint64_t p5 = pair(5);
        const uint64_t w0 = pair(0) | pair(1) << 24 | pair(2) << 48 | (s << 16 | s << 40);
        const uint64_t w1 = pair(3) << 8 | pair(4) << 32 | p5 << 56 | (s | s << 24 | s << 48);
        const uint64_t w2 = p5 >> 8 | pair(6) << 16 | pair(7) << 40 | (s << 8 | s << 32 | s << 56);
        std::memcpy(out, &w0, 8);
        std::memcpy(out + 8, &w1, 8);
        std::memcpy(out + 16, &w2, 8);
        out += 24;
    }
    void Literal(const uint8_t *chars, std::size_t length)
    {
        std::size_t k = 0;
        for (; length - k >= 8; k += 8) {
            PrefetchAhead(chars + k);
            Eight(chars + k);
        }
        for (; k < length; ++k)
            (*this)(chars[k]);
    }
};

// Bit 7 of the first byte of `word` equal to `ch`, and maybe of some later
// bytes that are not (a borrow runs on from the match), or 0 when there is
// none.
inline uint64_t FirstByteMatch(uint64_t word, uint8_t ch)
{
    constexpr uint64_t kOnes = 0x0101010101010101u;
    constexpr uint64_t kHigh = 0x8080808080808080u;
    const uint64_t x = word ^ (kOnes * ch);
    return (x - kOnes) & ~x & kHigh;
}

// True when one of the places `match` marks (bit 7 of each byte, as from
// FirstByteMatch, which may mark a few bytes that are not '<') in the word at
// `i` starts an escape. A '<' in text is mostly just a '<'.
bool StartsEscape(const uint8_t *chars, std::size_t n, std::size_t i, uint64_t match)
{
    for (; match != 0; match &= match - 1) {
        if (IsEscapeAt(chars, n, i + static_cast<std::size_t>(std::countr_zero(match)) / 8))
            return true;
    }
    return false;
}

// The filling pass of AsciiToHex. Text without '<' (the only character that
// can start an escape) is written eight characters at a time; the scan for
// '<' rides on the same word, instead of a separate search before it.
void WriteAsciiTextAsHex(std::string_view text, HexPairWriter &writerRef)
{
    HexPairWriter writer = writerRef; // see WalkHexText
    const uint8_t *chars = BytesOf(text);
    const std::size_t n = text.size();
    std::size_t i = 0;
    const auto character = [&] {
        if (chars[i] == '<' && IsEscapeAt(chars, n, i)) {
            writer(EscapedByte(chars + i));
            i += kEscapeLength;
        } else {
            writer(chars[i]);
            ++i;
        }
    };
    while (n - i >= 8) {
        PrefetchAhead(chars + i);
        uint64_t word;
        std::memcpy(&word, chars + i, 8);
        const uint64_t match = FirstByteMatch(word, '<');
        if (match == 0 || !StartsEscape(chars, n, i, match)) {
            writer.Eight(chars + i);
            i += 8;
            continue;
        }
        const std::size_t end = i + static_cast<std::size_t>(std::countr_zero(match)) / 8;
        while (i < end)
            writer(chars[i++]);
        character();
    }
    while (i < n)
        character();
    writerRef = writer;
}

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

int LeadingDecimalValue(std::string_view text) noexcept
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min<long long>(value * 10 + (text[i] - '0'), 1LL + INT_MAX);
    return static_cast<int>(std::clamp<long long>(negative ? -value : value, INT_MIN, INT_MAX));
}

ConvResult HexToBytes(std::string_view hexText, ByteString &out)
{
    if (hexText.empty())
        return 0;
    ByteString bytes;
    const ConvResult count = DecodeHexText(hexText, bytes);
    if (!IsConvError(count))
        out = ByteString::Copy(bytes.bytes().first(static_cast<std::size_t>(count)));
    return count;
}

ConvResult AsciiToBytes(std::string_view asciiText, ByteString &out)
{
    if (asciiText.empty())
        return 0;
    const std::size_t count = AsciiByteCount(asciiText);
    ByteString bytes = ByteString::Uninitialized(count);
    AsciiByteWriter writer{bytes.data()};
    WalkAsciiText(asciiText, writer);
    out = std::move(bytes);
    return static_cast<ConvResult>(count);
}

ConvResult BytesToHex(std::span<const uint8_t> bytes, ByteString &out, char separator)
{
    if (bytes.empty())
        return 0;
    return FillHexText(bytes.size(), separator, out,
                       [&](HexPairWriter &writer) { writer.Literal(bytes.data(), bytes.size()); });
}

// The rendering measures and fills fastest from whole blocks of bytes.
ConvResult HexToAscii(std::string_view hexText, ByteString &out)
{
    if (hexText.empty())
        return 0;
    ByteString bytes;
    const ConvResult count = DecodeHexText(hexText, bytes);
    if (IsConvError(count))
        return count;
    if (count == 0) {
        out = ByteString::Uninitialized(0);
        return 0;
    }
    return BytesToAscii(bytes.bytes().first(static_cast<std::size_t>(count)), out);
}

ConvResult BytesToAscii(std::span<const uint8_t> bytes, ByteString &out)
{
    if (bytes.empty())
        return 0;
    BlockRecords records(bytes.size());
    AsciiSizer sizer{0, 0, records.places.get(), records.flags.get()};
    RenderBytes(bytes, sizer);
    ByteString text = ByteString::Uninitialized(sizer.size);
    AsciiWriter writer{text.data(), EndOf(text), records.places.get(), records.flags.get()};
    RenderBytes(bytes, writer);
    Terminate(text);
    out = std::move(text);
    return static_cast<ConvResult>(out.size());
}

ConvResult AsciiToHex(std::string_view asciiText, ByteString &out)
{
    if (asciiText.empty())
        return 0;
    return FillHexText(AsciiByteCount(asciiText), ' ', out,
                       [&](HexPairWriter &writer) { WriteAsciiTextAsHex(asciiText, writer); });
}
