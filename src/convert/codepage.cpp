#include "convert/codepage.h"

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

#include <array>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace {

constexpr std::size_t kCodePageCount = 12;

constexpr std::array<CodePageName, kCodePageCount> kNames = {{
    {CodePageId::Gbk, "GBK", "GBK"},
    {CodePageId::Utf8, "UTF-8", "UTF-8"},
    {CodePageId::ShiftJis, "Shift-JIS", "Shift_JIS"},
    {CodePageId::Big5, "Big5", "Big5"},
    {CodePageId::EucKr, "EUC-KR", "EUC-KR"},
    {CodePageId::Pc437, "PC437", "IBM437"},
    {CodePageId::Pc850, "PC850", "IBM850"},
    {CodePageId::Pc858, "PC858", "IBM00858"},
    {CodePageId::Pc866, "PC866", "IBM866"},
    {CodePageId::Windows1252, "Windows-1252", "windows-1252"},
    {CodePageId::Iso8859_1, "ISO-8859-1", "ISO-8859-1"},
    {CodePageId::Iso8859_15, "ISO-8859-15", "ISO-8859-15"},
}};

constexpr char32_t kNoChar = 0;

// What a page decodes to, beside the engine's rules: the character of each
// shown byte or pair, and the bytes of each character it encodes.
struct CodePageTables
{
    bool available = false;
    CodePageRules rules;
    std::array<char32_t, 256> byteChars{};            // every byte the converter decodes alone
    std::vector<char32_t> pairChars;                  // lead << 8 | trail, shown pairs only
    std::unordered_map<char32_t, uint16_t> encodings; // < 0x100 one byte, else a pair
};

// Characters a box would not give back as they were put in (the text
// document turns a no-break space into a space and the separators into line
// breaks, U+FFFD is a failed decode, U+240A/U+240D stand for lone line
// feeds and returns): never shown, never encoded.
bool BoxKeeps(char32_t ch)
{
    switch (ch) {
    case 0x00A0:
    case 0x2028:
    case 0x2029:
    case 0xFDD0:
    case 0xFDD1:
    case 0xFEFF:
    case 0xFFFD:
    case 0x240A:
    case 0x240D:
        return false;
    default:
        return ch >= 0x80 && (ch < 0xD800 || ch > 0xDFFF) && ch <= 0x10FFFF;
    }
}

bool IsShown(char32_t ch)
{
    return BoxKeeps(ch) && QChar::isPrint(ch);
}

void SetBit(std::vector<uint64_t> &bits, uint32_t index)
{
    bits[index >> 6] |= uint64_t{1} << (index & 63);
}

// The one character `bytes` decode to, or kNoChar. A converter's error flag
// outlives resetState(), so a failed decode is known by what it gives: no
// character, several, U+FFFD or a control character in place of the bytes.
char32_t DecodeOne(QStringDecoder &decoder, QByteArrayView bytes)
{
    decoder.resetState();
    const QList<uint> chars = QString(decoder.decode(bytes)).toUcs4();
    return chars.size() == 1 && chars[0] != 0xFFFD ? chars[0] : kNoChar;
}

// A substitute the encoder writes for a character it lacks differs from the
// bytes the character was decoded from.
bool EncodesBackTo(QStringEncoder &encoder, char32_t ch, QByteArrayView bytes)
{
    encoder.resetState();
    const QByteArray back = encoder.encode(QString::fromUcs4(&ch, 1));
    return back == bytes;
}

void AddSingleBytes(CodePageTables &tables, QStringDecoder &decoder, QStringEncoder &encoder)
{
    for (int b = 0; b < 256; ++b) {
        const char raw = static_cast<char>(b);
        const char32_t ch = DecodeOne(decoder, QByteArrayView(&raw, 1));
        tables.byteChars[b] = ch;
        if (b < 0x80 || !BoxKeeps(ch) || !EncodesBackTo(encoder, ch, QByteArrayView(&raw, 1)))
            continue;
        tables.encodings.emplace(ch, static_cast<uint16_t>(b));
        tables.rules.lengths[b] = IsShown(ch) ? 1 : 0;
    }
}

// Trail bytes start at 0x40 in every double-byte page here, which keeps
// '<' (0x3C) from ever ending a character: an escape after a lone lead byte
// stays an escape.
void AddPairs(CodePageTables &tables, QStringDecoder &decoder, QStringEncoder &encoder)
{
    tables.pairChars.assign(0x10000, kNoChar);
    tables.rules.shownPairs.assign(0x10000 / 64, 0);
    for (int lead = 0x80; lead < 0x100; ++lead) {
        if (tables.encodings.count(tables.byteChars[lead]) != 0)
            continue;
        for (int trail = 0x40; trail < 0x100; ++trail) {
            const char raw[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            const char32_t ch = DecodeOne(decoder, QByteArrayView(raw, 2));
            if (!BoxKeeps(ch) || !EncodesBackTo(encoder, ch, QByteArrayView(raw, 2)))
                continue;
            const auto pair = static_cast<uint16_t>(lead << 8 | trail);
            tables.encodings.emplace(ch, pair);
            if (!IsShown(ch))
                continue;
            tables.pairChars[pair] = ch;
            SetBit(tables.rules.shownPairs, pair);
            tables.rules.lengths[lead] = 2;
        }
    }
}

// The length of the sequence each lead byte starts, as the decoder reads
// it: the shortest that decodes to one character with either the lowest or
// the highest continuation bytes.
void AddUtf8Lengths(CodePageTables &tables, QStringDecoder &decoder)
{
    for (int lead = 0x80; lead < 0x100; ++lead) {
        for (uint8_t length = 2; length <= 4 && tables.rules.lengths[lead] == 0; ++length) {
            for (const char filler : {'\x80', '\xBF'}) {
                QByteArray bytes(length, filler);
                bytes[0] = static_cast<char>(lead);
                if (DecodeOne(decoder, bytes) != kNoChar)
                    tables.rules.lengths[lead] = length;
            }
        }
    }
    tables.rules.shownCodePoints.assign((0x10FFFF + 64) / 64, 0);
    for (char32_t ch = 0x80; ch <= 0x10FFFF; ++ch) {
        if (IsShown(ch))
            SetBit(tables.rules.shownCodePoints, ch);
    }
}

void SetAsciiRule(CodePageRules &rules)
{
    for (int b = 0; b < 0x80; ++b)
        rules.lengths[b] = b <= 0x07 ? 0 : 1;
}

SequenceKind KindOf(CodePageId id)
{
    switch (id) {
    case CodePageId::Gbk:
        return SequenceKind::Gbk;
    case CodePageId::Utf8:
        return SequenceKind::Utf8;
    case CodePageId::ShiftJis:
    case CodePageId::Big5:
    case CodePageId::EucKr:
        return SequenceKind::DoubleByte;
    default:
        return SequenceKind::SingleByte;
    }
}

std::unique_ptr<CodePageTables> BuildTables(CodePageId id)
{
    auto tables = std::make_unique<CodePageTables>();
    tables->rules.kind = KindOf(id);
    SetAsciiRule(tables->rules);
    QStringDecoder decoder(kNames[static_cast<std::size_t>(id)].converter);
    QStringEncoder encoder(kNames[static_cast<std::size_t>(id)].converter);
    tables->available = decoder.isValid() && encoder.isValid();
    if (!tables->available)
        return tables;
    if (tables->rules.kind == SequenceKind::Utf8) {
        AddUtf8Lengths(*tables, decoder);
        return tables;
    }
    AddSingleBytes(*tables, decoder, encoder);
    if (tables->rules.kind != SequenceKind::SingleByte)
        AddPairs(*tables, decoder, encoder);
    return tables;
}

const CodePageTables &TablesOf(CodePageId id)
{
    static std::array<std::once_flag, kCodePageCount> built;
    static std::array<std::unique_ptr<CodePageTables>, kCodePageCount> tables;
    const auto index = static_cast<std::size_t>(id);
    std::call_once(built[index], [&] { tables[index] = BuildTables(id); });
    return *tables[index];
}

char32_t DecodeUtf8(std::span<const uint8_t> bytes, std::size_t length)
{
    char32_t ch = bytes[0] & (0x7Fu >> length);
    for (std::size_t k = 1; k < length; ++k)
        ch = ch << 6 | (bytes[k] & 0x3Fu);
    return ch;
}

std::size_t EncodeUtf8(char32_t ch, uint8_t (&bytes)[4])
{
    const std::size_t length = ch < 0x800 ? 2 : ch < 0x10000 ? 3 : 4;
    for (std::size_t k = length - 1; k > 0; --k, ch >>= 6)
        bytes[k] = static_cast<uint8_t>(0x80 | (ch & 0x3F));
    bytes[0] = static_cast<uint8_t>((0xF00u >> length) | ch);
    return length;
}

bool NormalizedEqual(std::string_view a, std::string_view b)
{
    const auto normalized = [](std::string_view text) {
        std::string out;
        for (const char ch : text) {
            if (ch != '-' && ch != '_')
                out += static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
        }
        return out;
    };
    return normalized(a) == normalized(b);
}

} // namespace

std::span<const CodePageName> CodePageNames()
{
    return kNames;
}

const char *NameOfCodePage(CodePageId id)
{
    return kNames[static_cast<std::size_t>(id)].name;
}

std::optional<CodePageId> CodePageFromName(std::string_view name)
{
    for (const CodePageName &page : kNames) {
        if (NormalizedEqual(name, page.name) || NormalizedEqual(name, page.converter))
            return page.id;
    }
    return std::nullopt;
}

bool CodePageAvailable(CodePageId id)
{
    return TablesOf(id).available;
}

const CodePageRules &RulesOf(CodePageId id)
{
    if (id == CodePageId::Gbk)
        return GbkRules();
    return TablesOf(id).rules;
}

char32_t CharOfSingleByte(CodePageId id, uint8_t byte)
{
    if (KindOf(id) != SequenceKind::SingleByte)
        return kNoChar;
    return TablesOf(id).byteChars[byte];
}

char32_t ShownCharAt(CodePageId id, std::span<const uint8_t> bytes)
{
    const CodePageTables &tables = TablesOf(id);
    const std::size_t length = ShownCharLength(RulesOf(id), bytes);
    if (length == 1)
        return bytes[0] < 0x80 ? bytes[0] : tables.byteChars[bytes[0]];
    if (length == 0)
        return kNoChar;
    if (tables.rules.kind == SequenceKind::Utf8)
        return DecodeUtf8(bytes, length);
    return tables.pairChars.empty() ? kNoChar : tables.pairChars[bytes[0] << 8 | bytes[1]];
}

std::size_t EncodeChar(CodePageId id, char32_t ch, uint8_t (&bytes)[4])
{
    if (ch < 0x80) {
        bytes[0] = static_cast<uint8_t>(ch);
        return 1;
    }
    const CodePageTables &tables = TablesOf(id);
    if (tables.rules.kind == SequenceKind::Utf8)
        return BoxKeeps(ch) && tables.available ? EncodeUtf8(ch, bytes) : 0;
    const auto found = tables.encodings.find(ch);
    if (found == tables.encodings.end())
        return 0;
    if (found->second < 0x100) {
        bytes[0] = static_cast<uint8_t>(found->second);
        return 1;
    }
    bytes[0] = static_cast<uint8_t>(found->second >> 8);
    bytes[1] = static_cast<uint8_t>(found->second);
    return 2;
}
