#include "convert/boxtext.h"

#include "convert/convert.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringDecoder>
#include <QStringEncoder>

#include <array>
#include <cstring>
#include <vector>

namespace {

constexpr int kFirstLead = 0x81;
constexpr int kLeadCount = 0xFE - kFirstLead + 1;
constexpr int kFirstTrail = 0x40;
constexpr int kTrailCount = 0xFE - kFirstTrail + 1;

// Characters a box would not give back as they were put in: the text
// document turns a no-break space into a space and the separators into line
// breaks, drops its frame markers, and U+FFFD is what a failed decode gives.
// A pair decoding to one of them is shown escaped instead.
bool BoxKeepsChar(char16_t ch)
{
    switch (ch) {
    case u'\u00A0':
    case u'\u2028':
    case u'\u2029':
    case u'\uFDD0':
    case u'\uFDD1':
    case u'\uFEFF':
    case u'\uFFFD':
    case kLoneCrPlaceholder:
    case kLoneLfPlaceholder:
        return false;
    default:
        return ch >= 0x80 && !QChar::isSurrogate(ch);
    }
}

// Lookup tables taken once from Qt's GBK converter, so that a megabyte
// rendering does not call the converter per character.
struct GbkTables
{
    bool available = false;
    char16_t byte80 = 0; // the character of the single byte 0x80, 0 if none
    std::array<char16_t, kLeadCount * kTrailCount> pairChar{}; // 0: undecodable
    // Encoding of each character from 0x80 up: 0 none, below 0x100 one byte,
    // otherwise lead << 8 | trail.
    std::vector<uint16_t> charBytes = std::vector<uint16_t>(0x10000, 0);
};

int PairIndex(int lead, int trail)
{
    return (lead - kFirstLead) * kTrailCount + (trail - kFirstTrail);
}

char16_t DecodeOne(QStringDecoder &decoder, QByteArrayView bytes)
{
    decoder.resetState();
    const QString text = decoder.decode(bytes);
    return text.size() == 1 && BoxKeepsChar(text[0].unicode()) ? text[0].unicode() : 0;
}

void AddSingleByte(GbkTables &tables, QStringDecoder &decoder, uint8_t byte)
{
    const char raw = static_cast<char>(byte);
    const char16_t ch = DecodeOne(decoder, QByteArrayView(&raw, 1));
    if (ch != 0 && tables.charBytes[ch] == 0)
        tables.charBytes[ch] = byte;
    if (byte == 0x80 && ch != 0)
        tables.byte80 = ch;
}

// The private-use area is where GBK puts its user-defined pairs; no font has
// them, so a box would show empty boxes. Such a pair is shown escaped, but
// the character still encodes, so a pasted one is not an input error.
bool IsShownChar(char16_t ch)
{
    return ch < 0xE000 || ch > 0xF8FF;
}

template <typename Visit> void ForEachPair(Visit &&visit)
{
    for (int lead = kFirstLead; lead < kFirstLead + kLeadCount; ++lead) {
        for (int trail = kFirstTrail; trail < kFirstTrail + kTrailCount; ++trail)
            visit(lead, trail);
    }
}

// A character two pairs decode to could not be encoded back to both of them:
// neither is shown as that character then.
void AddPairs(GbkTables &tables, QStringDecoder &decoder)
{
    std::vector<uint16_t> claims(0x10000, 0);
    std::vector<char16_t> decoded(tables.pairChar.size(), 0);
    ForEachPair([&](int lead, int trail) {
        const char raw[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        const char16_t ch = DecodeOne(decoder, QByteArrayView(raw, 2));
        if (ch != 0 && tables.charBytes[ch] == 0) {
            ++claims[ch];
            decoded[PairIndex(lead, trail)] = ch;
        }
    });
    ForEachPair([&](int lead, int trail) {
        const char16_t ch = decoded[PairIndex(lead, trail)];
        if (ch == 0 || claims[ch] > 1)
            return;
        tables.charBytes[ch] = static_cast<uint16_t>(lead << 8 | trail);
        if (IsShownChar(ch))
            tables.pairChar[PairIndex(lead, trail)] = ch;
    });
}

// Qt's decoder and encoder are inverse on every pair (checked by the tests),
// so the encoding table is the decoding table read backwards (including the
// pairs shown escaped).
GbkTables BuildTables()
{
    GbkTables tables;
    QStringDecoder decoder("GBK");
    if (!decoder.isValid())
        return tables;
    tables.available = true;
    AddSingleByte(tables, decoder, 0x80);
    AddSingleByte(tables, decoder, 0xFF);
    AddPairs(tables, decoder);
    return tables;
}

const GbkTables &Tables()
{
    static const GbkTables tables = BuildTables();
    return tables;
}

void AppendEscape(QString &out, uint8_t byte)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const char escape[6] = {'<', '\\', 'x', kDigits[byte >> 4], kDigits[byte & 15], '>'};
    out.append(QLatin1StringView(escape, 6));
}

bool IsPlainByte(uint8_t byte)
{
    return byte >= 0x08 && byte < 0x80 && byte != '\r' && byte != '\n';
}

std::size_t PlainRunLength(std::string_view gbk, std::size_t from)
{
    std::size_t end = from;
    while (end < gbk.size() && IsPlainByte(static_cast<uint8_t>(gbk[end])))
        ++end;
    return end - from;
}

// A byte from 0x81..0xFE and what follows it; returns the bytes consumed.
std::size_t AppendLeadByte(const GbkTables &tables, std::string_view gbk, std::size_t i,
                           QString &out)
{
    const auto lead = static_cast<uint8_t>(gbk[i]);
    if (i + 1 == gbk.size()) {
        AppendEscape(out, lead);
        return 1;
    }
    const auto trail = static_cast<uint8_t>(gbk[i + 1]);
    const char16_t ch = trail >= kFirstTrail && trail < kFirstTrail + kTrailCount
                            ? tables.pairChar[PairIndex(lead, trail)]
                            : 0;
    if (ch != 0) {
        out.append(QChar(ch));
        return 2;
    }
    AppendEscape(out, lead);
    if (trail < 0x80)
        return 1; // the trail is a character of its own
    AppendEscape(out, trail);
    return 2;
}

// Any byte that is not plain; returns the bytes consumed.
std::size_t AppendSpecialByte(const GbkTables &tables, std::string_view gbk, std::size_t i,
                              QString &out)
{
    const auto byte = static_cast<uint8_t>(gbk[i]);
    if (byte == '\r' && i + 1 < gbk.size() && gbk[i + 1] == '\n') {
        out.append(QChar(u'\n'));
        return 2;
    }
    if (byte == '\r' || byte == '\n') {
        out.append(QChar(byte == '\r' ? kLoneCrPlaceholder : kLoneLfPlaceholder));
        return 1;
    }
    if (byte == 0x80 && tables.byte80 != 0) {
        out.append(QChar(tables.byte80));
        return 1;
    }
    if (IsGbkLeadByte(byte))
        return AppendLeadByte(tables, gbk, i, out);
    AppendEscape(out, byte);
    return 1;
}

struct EncodedChar
{
    qsizetype units = 1; // UTF-16 units the character takes in the box text
    int count = 0;       // GBK bytes; 0 when GBK cannot encode it
    uint8_t bytes[2] = {0, 0};
};

EncodedChar EncodeSpecialChar(const GbkTables &tables, QStringView text, qsizetype i)
{
    const char16_t ch = text[i].unicode();
    EncodedChar encoded;
    if (QChar::isHighSurrogate(ch) && i + 1 < text.size() &&
        QChar::isLowSurrogate(text[i + 1].unicode())) {
        encoded.units = 2; // outside the BMP, so outside GBK
        return encoded;
    }
    if (ch == u'\u2028' || ch == u'\u2029') {
        encoded = {1, 2, {'\r', '\n'}};
    } else if (ch == kLoneCrPlaceholder || ch == kLoneLfPlaceholder) {
        encoded = {1, 1, {static_cast<uint8_t>(ch == kLoneCrPlaceholder ? '\r' : '\n'), 0}};
    } else if (const uint16_t bytes = tables.charBytes[ch]; bytes >= 0x100) {
        encoded = {1, 2, {static_cast<uint8_t>(bytes >> 8), static_cast<uint8_t>(bytes)}};
    } else if (bytes != 0) {
        encoded = {1, 1, {static_cast<uint8_t>(bytes), 0}};
    }
    return encoded;
}

EncodedChar EncodeChar(const GbkTables &tables, QStringView text, qsizetype i)
{
    const char16_t ch = text[i].unicode();
    if (ch == u'\n')
        return {1, 2, {'\r', '\n'}};
    if (ch < 0x80)
        return {1, 1, {static_cast<uint8_t>(ch), 0}};
    return EncodeSpecialChar(tables, text, i);
}

} // namespace

bool GbkCodecAvailable()
{
    return Tables().available;
}

QString BoxTextFromGbk(std::string_view gbk)
{
    const GbkTables &tables = Tables();
    QString out;
    out.reserve(static_cast<qsizetype>(gbk.size()));
    std::size_t i = 0;
    while (i < gbk.size()) {
        if (const std::size_t run = PlainRunLength(gbk, i); run != 0) {
            out.append(QLatin1StringView(gbk.data() + i, static_cast<qsizetype>(run)));
            i += run;
        } else {
            i += AppendSpecialByte(tables, gbk, i, out);
        }
    }
    return out;
}

ConvResult GbkFromBoxText(QStringView text, ByteString &out)
{
    const GbkTables &tables = Tables();
    std::size_t count = 0;
    for (qsizetype i = 0; i < text.size();) {
        const EncodedChar encoded = EncodeChar(tables, text, i);
        if (encoded.count == 0)
            return -static_cast<ConvResult>(count) - 1;
        count += static_cast<std::size_t>(encoded.count);
        i += encoded.units;
    }
    if (count == 0)
        return 0;
    ByteString result = ByteString::Uninitialized(count);
    uint8_t *write = result.data();
    for (qsizetype i = 0; i < text.size();) {
        const EncodedChar encoded = EncodeChar(tables, text, i);
        std::memcpy(write, encoded.bytes, static_cast<std::size_t>(encoded.count));
        write += encoded.count;
        i += encoded.units;
    }
    out = std::move(result);
    return static_cast<ConvResult>(count);
}

qsizetype ByteOffsetToCharPos(QStringView text, std::size_t byteOffset)
{
    const GbkTables &tables = Tables();
    std::size_t start = 0;
    for (qsizetype i = 0; i < text.size();) {
        const EncodedChar encoded = EncodeChar(tables, text, i);
        start += static_cast<std::size_t>(encoded.count == 0 ? 1 : encoded.count);
        if (byteOffset < start)
            return i;
        i += encoded.units;
    }
    return text.size();
}
