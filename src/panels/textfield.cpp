#include "panels/textfield.h"

#include <QByteArray>

#include <algorithm>
#include <cstring>

namespace {

bool IsUtf8Continuation(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

} // namespace

void CopyToTextField(const QString &text, char *field, std::size_t maxBytes)
{
    const QByteArray bytes = text.toUtf8();
    std::size_t length = std::min(static_cast<std::size_t>(bytes.size()), maxBytes);
    // Back off to the start of a character if the cut falls inside one.
    while (length > 0 && length < static_cast<std::size_t>(bytes.size()) &&
           IsUtf8Continuation(bytes[static_cast<qsizetype>(length)]))
        --length;
    std::memset(field, 0, maxBytes);
    std::memcpy(field, bytes.constData(), length);
}

QString TextOfField(const char *field, std::size_t size)
{
    const auto *end = static_cast<const char *>(std::memchr(field, 0, size));
    const std::size_t length = end ? static_cast<std::size_t>(end - field) : size;
    return QString::fromUtf8(field, static_cast<qsizetype>(length));
}
