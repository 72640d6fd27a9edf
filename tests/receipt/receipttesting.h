// Helpers of the receipt tests: rendering, black-dot boxes and image diffs.
#pragma once

#include "receipt/receiptprinter.h"

#include <QImage>
#include <QRect>
#include <gtest/gtest.h>
#include <string>

namespace ReceiptTesting {

// Names the cases of a table after their `name` field.
inline constexpr auto ByName = [](const auto &info) { return std::string(info.param.name); };

inline QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int value : values)
        bytes.append(static_cast<char>(value));
    return bytes;
}

inline std::vector<Receipt::Receipt> RenderAll(const QByteArray &bytes, int paper = 576)
{
    return Receipt::RenderReceipts(bytes, paper);
}

// The one receipt `bytes` print; fails the test if there is not exactly one.
inline Receipt::Receipt RenderOne(const QByteArray &bytes, int paper = 576)
{
    std::vector<Receipt::Receipt> receipts = RenderAll(bytes, paper);
    EXPECT_EQ(receipts.size(), 1u);
    return receipts.empty() ? Receipt::Receipt{} : std::move(receipts.front());
}

inline QImage Render(const QByteArray &bytes, int paper = 576)
{
    return RenderOne(bytes, paper).image;
}

inline bool Black(const QImage &image, int x, int y)
{
    return image.pixelIndex(x, y) == 1;
}

// The smallest rectangle holding every black dot of `area`; null if none.
inline QRect BlackBox(const QImage &image, QRect area = {})
{
    if (area.isNull())
        area = image.rect();
    area &= image.rect();
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (Black(image, x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}

// "" when equal, else the size or the first differing dot.
inline std::string ImageDiff(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return "sizes " + std::to_string(a.width()) + "x" + std::to_string(a.height()) + " and " +
               std::to_string(b.width()) + "x" + std::to_string(b.height());
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (Black(a, x, y) != Black(b, x, y))
                return "first differing dot at " + std::to_string(x) + "," + std::to_string(y);
    return {};
}

// A receipt read back from an image file, in the format ImageDiff compares.
inline QImage ReadBack(const QString &path)
{
    return QImage(path).convertToFormat(QImage::Format_Mono, {qRgb(255, 255, 255), qRgb(0, 0, 0)},
                                        Qt::ThresholdDither);
}

inline std::string Report(const Receipt::Receipt &receipt)
{
    return Receipt::FormatReport(receipt.report);
}

} // namespace ReceiptTesting
