// Helpers of the receipt tests: rendering and black-dot boxes.
#pragma once

#include "receipt/receiptprinter.h"
#include "support/imagecompare.h"

#include <QImage>
#include <QRect>
#include <gtest/gtest.h>
#include <string>
#include <tuple>

namespace ReceiptTesting {

// Names the cases of a table after their first field.
inline constexpr auto ByName = [](const auto &info) {
    return std::string(std::get<0>(info.param));
};

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

using image_compare::Black;

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

inline std::string Report(const Receipt::Receipt &receipt)
{
    return Receipt::FormatReport(receipt.report);
}

} // namespace ReceiptTesting
