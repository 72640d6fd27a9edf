// The walks both box text boundaries share, GBK's (boxtext.cpp) and that of
// the other code pages (codepagetext.cpp): plain runs, line breaks, the
// placeholders of lone CR and LF, escapes, and the two passes of encoding.
// A code page adds only what its characters are. Internal to tarvik_boxtext.
#pragma once

#include "convert/boxtext.h"

#include <cstdint>
#include <cstring>
#include <string_view>

namespace boxtext_walk {

inline void AppendEscape(QString &out, uint8_t byte)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const char escape[6] = {'<', '\\', 'x', kDigits[byte >> 4], kDigits[byte & 15], '>'};
    out.append(QLatin1StringView(escape, 6));
}

inline bool IsPlainByte(uint8_t byte)
{
    return byte >= 0x08 && byte < 0x80 && byte != '\r' && byte != '\n';
}

inline std::size_t PlainRunLength(std::string_view text, std::size_t from)
{
    std::size_t end = from;
    while (end < text.size() && IsPlainByte(static_cast<uint8_t>(text[end])))
        ++end;
    return end - from;
}

// A CR LF pair, a lone CR or a lone LF at `i`; returns the bytes taken, 0
// for any other byte.
inline std::size_t AppendLineBreak(std::string_view text, std::size_t i, QString &out)
{
    const char byte = text[i];
    if (byte == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
        out.append(QChar(u'\n'));
        return 2;
    }
    if (byte == '\r' || byte == '\n') {
        out.append(QChar(byte == '\r' ? kLoneCrPlaceholder : kLoneLfPlaceholder));
        return 1;
    }
    return 0;
}

// Byte text -> box text. `appendChar(text, i, out)` appends what the byte at
// `i` starts (a byte that is neither plain nor CR or LF) and returns the
// bytes it took.
template <class AppendChar> QString BoxTextOf(std::string_view bytes, AppendChar &&appendChar)
{
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (const std::size_t run = PlainRunLength(bytes, i); run != 0) {
            out.append(QLatin1StringView(bytes.data() + i, static_cast<qsizetype>(run)));
            i += run;
        } else if (const std::size_t lineBreak = AppendLineBreak(bytes, i, out); lineBreak != 0) {
            i += lineBreak;
        } else {
            i += appendChar(bytes, i, out);
        }
    }
    return out;
}

struct EncodedChar
{
    qsizetype units = 1;   // UTF-16 units the character takes in the box text
    std::size_t count = 0; // bytes; 0 when the code page cannot encode it
    uint8_t bytes[4] = {0, 0, 0, 0};
};

// ASCII but the line feed: one byte, itself, in every code page.
inline bool IsOwnByte(char16_t unit)
{
    return unit < 0x80 && unit != u'\n';
}

// The box character at `i`. `encode(ch, bytes)` writes the bytes of a
// character from U+0080 up and returns their count, 0 when the code page
// has none for it.
template <class Encode> EncodedChar EncodeBoxChar(QStringView text, qsizetype i, Encode &encode)
{
    const char16_t unit = text[i].unicode();
    EncodedChar encoded;
    if (IsOwnByte(unit)) {
        encoded.count = 1;
        encoded.bytes[0] = static_cast<uint8_t>(unit);
    } else if (unit == u'\n' || unit == u'\u2028' || unit == u'\u2029') {
        encoded.count = 2;
        encoded.bytes[0] = '\r';
        encoded.bytes[1] = '\n';
    } else if (unit == kLoneCrPlaceholder || unit == kLoneLfPlaceholder) {
        encoded.count = 1;
        encoded.bytes[0] = unit == kLoneCrPlaceholder ? '\r' : '\n';
    } else {
        char32_t ch = unit;
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            ch = QChar::surrogateToUcs4(unit, text[i + 1].unicode());
            encoded.units = 2;
        }
        encoded.count = encode(ch, encoded.bytes);
    }
    return encoded;
}

// Box text -> byte text: a pass that sizes, or finds the first character
// the code page cannot encode, then one that writes.
template <class Encode>
ConvResult BytesOfBoxText(QStringView text, ByteString &out, Encode &&encode)
{
    std::size_t count = 0;
    for (qsizetype i = 0; i < text.size();) {
        if (IsOwnByte(text[i].unicode())) { // most characters: no call
            ++count;
            ++i;
            continue;
        }
        const EncodedChar encoded = EncodeBoxChar(text, i, encode);
        if (encoded.count == 0)
            return -static_cast<ConvResult>(count) - 1;
        count += encoded.count;
        i += encoded.units;
    }
    if (count == 0)
        return 0;
    ByteString result = ByteString::Uninitialized(count);
    uint8_t *write = result.data();
    for (qsizetype i = 0; i < text.size();) {
        if (const char16_t unit = text[i].unicode(); IsOwnByte(unit)) {
            *write++ = static_cast<uint8_t>(unit);
            ++i;
            continue;
        }
        const EncodedChar encoded = EncodeBoxChar(text, i, encode);
        std::memcpy(write, encoded.bytes, encoded.count);
        write += encoded.count;
        i += encoded.units;
    }
    out = std::move(result);
    return static_cast<ConvResult>(count);
}

// The character of `text` whose bytes cover `byteOffset`; a character the
// code page cannot encode counts one byte.
template <class Encode>
qsizetype CharPosOfByte(QStringView text, std::size_t byteOffset, Encode &&encode)
{
    std::size_t start = 0;
    for (qsizetype i = 0; i < text.size();) {
        const EncodedChar encoded = EncodeBoxChar(text, i, encode);
        start += encoded.count == 0 ? 1 : encoded.count;
        if (byteOffset < start)
            return i;
        i += encoded.units;
    }
    return text.size();
}

} // namespace boxtext_walk
