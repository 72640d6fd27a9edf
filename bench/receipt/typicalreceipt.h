// The typical 80 mm receipt of the benchmarks: 40 text lines in mixed
// styles, a 576x200 raster logo, a CODE128 barcode, a QR code of 100
// characters and a cut.
#pragma once

#include <QByteArray>

#include <initializer_list>

namespace BenchReceipt {

inline QByteArray Command(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int value : values)
        bytes.append(static_cast<char>(value));
    return bytes;
}

inline QByteArray TextLines()
{
    static const QByteArray kStyles[] = {
        Command({0x1b, '!', 0}),    Command({0x1b, 'E', 1}), Command({0x1b, '!', 0x01}),
        Command({0x1d, '!', 0x11}), Command({0x1b, '-', 1}), Command({0x1d, 'B', 1}),
        Command({0x1b, 'a', 1}),    Command({0x1b, 'a', 2}),
    };
    QByteArray bytes;
    for (int line = 0; line < 40; ++line) {
        bytes += Command({0x1b, '@'}) + kStyles[line % 8];
        bytes += line % 5 == 0 ? QByteArray("\xc9\xcc\xc6\xb7 ") : QByteArray("Item ");
        bytes +=
            QByteArray::number(line) + "  x2   " + QByteArray::number(line * 1.25, 'f', 2) + "\n";
    }
    return bytes;
}

inline QByteArray Logo()
{
    QByteArray bytes = Command({0x1d, 'v', '0', 0, 72, 0, 200, 0});
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 72; ++x)
            bytes.append(static_cast<char>((x * 7 + y * 3) % 5 == 0 ? 0xff : (x ^ y) & 0x5a));
    return bytes;
}

inline QByteArray Codes()
{
    QByteArray bytes =
        Command({0x1b, '@', 0x1b, 'a', 1, 0x1d, 'h', 80, 0x1d, 'H', 2, 0x1d, 'k', 73, 14});
    bytes += "{BINV-2026{C1207";
    bytes.chop(2); // 14 bytes: {B INV-2026 {C 12
    QByteArray qr(100, 'q');
    for (int i = 0; i < qr.size(); ++i)
        qr[i] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"[i * 7 % 62];
    bytes +=
        Command({0x1d, '(', 'k', 3, 0, '1', 'C', 5, 0x1d, '(', 'k', 103, 0, '1', 'P', '0'}) + qr;
    bytes += Command({0x1d, '(', 'k', 3, 0, '1', 'Q', '0', '\n', 0x1d, 'V', 66, 40});
    return bytes;
}

inline QByteArray TypicalReceipt()
{
    return Command({0x1b, '@', 0x1b, 'a', 1}) + Logo() + TextLines() + Codes();
}

} // namespace BenchReceipt
