#include "convert/codepagetext.h"

#include <cstring>

namespace {

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

std::size_t PlainRunLength(std::string_view text, std::size_t from)
{
    std::size_t end = from;
    while (end < text.size() && IsPlainByte(static_cast<uint8_t>(text[end])))
        ++end;
    return end - from;
}

// A byte that is not plain and what it starts; returns the bytes consumed.
std::size_t AppendSpecial(CodePageId page, std::string_view text, std::size_t i, QString &out)
{
    const auto byte = static_cast<uint8_t>(text[i]);
    if (byte == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
        out.append(QChar(u'\n'));
        return 2;
    }
    if (byte == '\r' || byte == '\n') {
        out.append(QChar(byte == '\r' ? kLoneCrPlaceholder : kLoneLfPlaceholder));
        return 1;
    }
    const std::span<const uint8_t> rest(reinterpret_cast<const uint8_t *>(text.data()) + i,
                                        text.size() - i);
    const std::size_t length = ShownCharLength(RulesOf(page), rest);
    const char32_t ch = length == 0 ? 0 : ShownCharAt(page, rest);
    if (ch == 0) {
        AppendEscape(out, byte);
        return 1;
    }
    out.append(QString::fromUcs4(&ch, 1));
    return length;
}

struct EncodedChar
{
    qsizetype units = 1;   // UTF-16 units the character takes in the box text
    std::size_t count = 0; // bytes; 0 when the code page cannot encode it
    uint8_t bytes[4] = {0, 0, 0, 0};
};

EncodedChar EncodeBoxChar(CodePageId page, QStringView text, qsizetype i)
{
    const char16_t unit = text[i].unicode();
    EncodedChar encoded;
    if (unit == u'\n' || unit == u'\u2028' || unit == u'\u2029') {
        encoded.count = 2;
        encoded.bytes[0] = '\r';
        encoded.bytes[1] = '\n';
        return encoded;
    }
    if (unit == kLoneCrPlaceholder || unit == kLoneLfPlaceholder) {
        encoded.count = 1;
        encoded.bytes[0] = unit == kLoneCrPlaceholder ? '\r' : '\n';
        return encoded;
    }
    char32_t ch = unit;
    if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
        QChar::isLowSurrogate(text[i + 1].unicode())) {
        ch = QChar::surrogateToUcs4(unit, text[i + 1].unicode());
        encoded.units = 2;
    }
    encoded.count = EncodeChar(page, ch, encoded.bytes);
    return encoded;
}

} // namespace

QString BoxTextFromBytes(CodePageId page, std::string_view bytes)
{
    if (page == CodePageId::Gbk)
        return BoxTextFromGbk(bytes);
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (const std::size_t run = PlainRunLength(bytes, i); run != 0) {
            out.append(QLatin1StringView(bytes.data() + i, static_cast<qsizetype>(run)));
            i += run;
        } else {
            i += AppendSpecial(page, bytes, i, out);
        }
    }
    return out;
}

ConvResult BytesFromBoxText(CodePageId page, QStringView text, ByteString &out)
{
    if (page == CodePageId::Gbk)
        return GbkFromBoxText(text, out);
    std::size_t count = 0;
    for (qsizetype i = 0; i < text.size();) {
        const EncodedChar encoded = EncodeBoxChar(page, text, i);
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
        const EncodedChar encoded = EncodeBoxChar(page, text, i);
        std::memcpy(write, encoded.bytes, encoded.count);
        write += encoded.count;
        i += encoded.units;
    }
    out = std::move(result);
    return static_cast<ConvResult>(count);
}

qsizetype ByteOffsetToCharPos(CodePageId page, QStringView text, std::size_t byteOffset)
{
    if (page == CodePageId::Gbk)
        return ByteOffsetToCharPos(text, byteOffset);
    std::size_t start = 0;
    for (qsizetype i = 0; i < text.size();) {
        const EncodedChar encoded = EncodeBoxChar(page, text, i);
        start += encoded.count == 0 ? 1 : encoded.count;
        if (byteOffset < start)
            return i;
        i += encoded.units;
    }
    return text.size();
}
