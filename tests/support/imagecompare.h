// Dot-exact comparison of one-bit images (a receipt as the renderer made it
// or as read back from a file): a mismatch names both sizes or the first
// differing dot.
//
//     EXPECT_TRUE(SameDots(expected, actual));
#pragma once

#include <QImage>
#include <QString>
#include <gtest/gtest.h>

namespace image_compare {

inline bool Black(const QImage &image, int x, int y)
{
    return image.pixelIndex(x, y) == 1;
}

// An image file as one-bit dots, black on white, in the form SameDots compares.
inline QImage ReadBack(const QString &path)
{
    return QImage(path).convertToFormat(QImage::Format_Mono, {qRgb(255, 255, 255), qRgb(0, 0, 0)},
                                        Qt::ThresholdDither);
}

} // namespace image_compare

inline ::testing::AssertionResult SameDots(const QImage &expected, const QImage &actual)
{
    using image_compare::Black;
    if (expected.size() != actual.size())
        return ::testing::AssertionFailure()
               << "sizes differ: expected " << expected.width() << "x" << expected.height()
               << ", got " << actual.width() << "x" << actual.height();
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            if (Black(expected, x, y) != Black(actual, x, y))
                return ::testing::AssertionFailure() << "first differing dot at " << x << "," << y;
    return ::testing::AssertionSuccess();
}
