// A small block of printer dots, one byte per dot (1 = black): a glyph, a line
// of print, a bit image or a barcode before it goes onto the paper.
#pragma once

#include <cstdint>
#include <vector>

namespace Receipt {

struct DotBitmap
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> dots; // row after row

    DotBitmap() = default;
    DotBitmap(int w, int h) : width(w), height(h), dots(static_cast<std::size_t>(w) * h, 0) {}

    uint8_t At(int x, int y) const { return dots[static_cast<std::size_t>(y) * width + x]; }
    uint8_t *Row(int y) { return dots.data() + static_cast<std::size_t>(y) * width; }
    const uint8_t *Row(int y) const { return dots.data() + static_cast<std::size_t>(y) * width; }
    void Set(int x, int y) { dots[static_cast<std::size_t>(y) * width + x] = 1; }
};

// `source` turned 90 degrees clockwise.
DotBitmap RotatedClockwise(const DotBitmap &source);
// `source` turned 180 degrees.
DotBitmap RotatedHalf(const DotBitmap &source);
// Each dot also printed one dot to its right, as a printer emphasises.
DotBitmap Emboldened(const DotBitmap &source);
// Draws `source` scaled by whole factors with its top left at (x, y), clipped.
void Stamp(DotBitmap &target, const DotBitmap &source, int x, int y, int scaleX, int scaleY);
// Inverts the dots of a rectangle, clipped.
void InvertRect(DotBitmap &target, int x, int y, int w, int h);
// Blackens the dots of a rectangle, clipped.
void FillRect(DotBitmap &target, int x, int y, int w, int h);

} // namespace Receipt
