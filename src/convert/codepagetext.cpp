#include "convert/codepagetext.h"

#include "convert/boxtextwalk.h"

namespace {

// A byte that is neither plain nor a line break; returns the bytes consumed.
std::size_t AppendChar(CodePageId page, std::string_view text, std::size_t i, QString &out)
{
    const std::span<const uint8_t> rest(reinterpret_cast<const uint8_t *>(text.data()) + i,
                                        text.size() - i);
    const std::size_t length = ShownCharLength(RulesOf(page), rest);
    const char32_t ch = length == 0 ? 0 : ShownCharAt(page, rest);
    if (ch == 0) {
        boxtext_walk::AppendEscape(out, static_cast<uint8_t>(text[i]));
        return 1;
    }
    out.append(QString::fromUcs4(&ch, 1));
    return length;
}

auto EncoderOf(CodePageId page)
{
    return [page](char32_t ch, uint8_t(&bytes)[4]) { return EncodeChar(page, ch, bytes); };
}

} // namespace

QString BoxTextFromBytes(CodePageId page, std::string_view bytes)
{
    if (page == CodePageId::Gbk)
        return BoxTextFromGbk(bytes);
    return boxtext_walk::BoxTextOf(bytes,
                                   [page](std::string_view text, std::size_t i, QString &out) {
                                       return AppendChar(page, text, i, out);
                                   });
}

ConvResult BytesFromBoxText(CodePageId page, QStringView text, ByteString &out)
{
    if (page == CodePageId::Gbk)
        return GbkFromBoxText(text, out);
    return boxtext_walk::BytesOfBoxText(text, out, EncoderOf(page));
}

qsizetype ByteOffsetToCharPos(CodePageId page, QStringView text, std::size_t byteOffset)
{
    if (page == CodePageId::Gbk)
        return ByteOffsetToCharPos(text, byteOffset);
    return boxtext_walk::CharPosOfByte(text, byteOffset, EncoderOf(page));
}
