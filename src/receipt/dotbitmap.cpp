#include "receipt/dotbitmap.h"

#include <algorithm>

namespace Receipt {

DotBitmap RotatedClockwise(const DotBitmap &source)
{
    DotBitmap turned(source.height, source.width);
    for (int y = 0; y < source.height; ++y)
        for (int x = 0; x < source.width; ++x)
            if (source.At(x, y))
                turned.Set(source.height - 1 - y, x);
    return turned;
}

DotBitmap RotatedHalf(const DotBitmap &source)
{
    DotBitmap turned = source;
    std::reverse(turned.dots.begin(), turned.dots.end());
    return turned;
}

DotBitmap Emboldened(const DotBitmap &source)
{
    DotBitmap bold = source;
    for (int y = 0; y < source.height; ++y)
        for (int x = 1; x < source.width; ++x)
            bold.Row(y)[x] |= source.At(x - 1, y);
    return bold;
}

namespace {

// One row of `from` into `row`, each dot `scaleX` dots wide, starting at x.
void StampRow(uint8_t *row, int rowWidth, const uint8_t *from, int fromWidth, int x, int scaleX)
{
    if (scaleX == 1) {
        const int first = std::max(0, -x);
        const int last = std::min(fromWidth, rowWidth - x);
        for (int sx = first; sx < last; ++sx)
            row[x + sx] |= from[sx];
        return;
    }
    for (int sx = 0; sx < fromWidth; ++sx) {
        if (!from[sx])
            continue;
        const int tx0 = std::max(0, x + sx * scaleX);
        const int tx1 = std::min(rowWidth, x + (sx + 1) * scaleX);
        for (int tx = tx0; tx < tx1; ++tx)
            row[tx] = 1;
    }
}

} // namespace

void Stamp(DotBitmap &target, const DotBitmap &source, int x, int y, int scaleX, int scaleY)
{
    for (int sy = 0; sy < source.height; ++sy) {
        for (int ry = 0; ry < scaleY; ++ry) {
            const int ty = y + sy * scaleY + ry;
            if (ty >= 0 && ty < target.height)
                StampRow(target.Row(ty), target.width, source.Row(sy), source.width, x, scaleX);
        }
    }
}

void InvertRect(DotBitmap &target, int x, int y, int w, int h)
{
    const int x1 = std::min(target.width, x + w);
    const int y1 = std::min(target.height, y + h);
    for (int ty = std::max(0, y); ty < y1; ++ty)
        for (int tx = std::max(0, x); tx < x1; ++tx)
            target.Row(ty)[tx] ^= 1;
}

void FillRect(DotBitmap &target, int x, int y, int w, int h)
{
    const int x1 = std::min(target.width, x + w);
    const int y1 = std::min(target.height, y + h);
    for (int ty = std::max(0, y); ty < y1; ++ty)
        for (int tx = std::max(0, x); tx < x1; ++tx)
            target.Row(ty)[tx] = 1;
}

} // namespace Receipt
