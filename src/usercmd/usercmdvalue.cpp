#include "usercmd/usercmdvalue.h"

#include <QByteArray>

QString UserCmdValueFromBytes(std::span<const uint8_t> bytes)
{
    ByteString text;
    if (BytesToHex(bytes, text, ',') <= 0)
        return {};
    return QString::fromLatin1(text.view());
}

ConvResult UserCmdBytesFromValue(std::string_view value, ByteString &out)
{
    return HexToBytes(value, out);
}

ConvResult UserCmdBytesFromValue(QStringView value, ByteString &out)
{
    const QByteArray utf8 = value.toUtf8();
    return HexToBytes(std::string_view(utf8.constData(), std::size_t(utf8.size())), out);
}
