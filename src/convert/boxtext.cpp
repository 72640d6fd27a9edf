#include "convert/boxtext.h"

#include "convert/boxtextwalk.h"
#include "convert/convert.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringDecoder>
#include <QStringEncoder>

#include <array>
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

using boxtext_walk::AppendEscape;

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

// A byte that is neither plain nor a line break; returns the bytes consumed.
std::size_t AppendGbkChar(const GbkTables &tables, std::string_view gbk, std::size_t i,
                          QString &out)
{
    const auto byte = static_cast<uint8_t>(gbk[i]);
    if (byte == 0x80 && tables.byte80 != 0) {
        out.append(QChar(tables.byte80));
        return 1;
    }
    if (IsGbkLeadByte(byte))
        return AppendLeadByte(tables, gbk, i, out);
    AppendEscape(out, byte);
    return 1;
}

// The GBK bytes of a character from U+0080 up; none outside the BMP.
auto GbkEncoder(const GbkTables &tables)
{
    return [&tables](char32_t ch, uint8_t(&bytes)[4]) -> std::size_t {
        const uint16_t code = ch < tables.charBytes.size() ? tables.charBytes[ch] : 0;
        if (code >= 0x100) {
            bytes[0] = static_cast<uint8_t>(code >> 8);
            bytes[1] = static_cast<uint8_t>(code);
            return 2;
        }
        bytes[0] = static_cast<uint8_t>(code);
        return code != 0 ? 1 : 0;
    };
}

} // namespace

bool GbkCodecAvailable()
{
    return Tables().available;
}

QString BoxTextFromGbk(std::string_view gbk)
{
    const GbkTables &tables = Tables();
    return boxtext_walk::BoxTextOf(gbk,
                                   [&tables](std::string_view text, std::size_t i, QString &out) {
                                       return AppendGbkChar(tables, text, i, out);
                                   });
}

ConvResult GbkFromBoxText(QStringView text, ByteString &out)
{
    return boxtext_walk::BytesOfBoxText(text, out, GbkEncoder(Tables()));
}

qsizetype ByteOffsetToCharPos(QStringView text, std::size_t byteOffset)
{
    return boxtext_walk::CharPosOfByte(text, byteOffset, GbkEncoder(Tables()));
}
