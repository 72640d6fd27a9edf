// The settings a printer keeps between commands and the line it is filling;
// ESC @ brings PrintState back to these defaults.
#pragma once

#include "receipt/dotbitmap.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Receipt {

// A command's two-byte parameter, low byte first.
inline int Word(const uint8_t *p)
{
    return p[0] | p[1] << 8;
}

// n, or the ASCII digit '0'..'9' that many commands also accept for it.
inline int DigitOrValue(uint8_t n)
{
    return n >= '0' && n <= '9' ? n - '0' : n;
}

enum class Align
{
    Left,
    Centre,
    Right,
};

struct PrintState
{
    static constexpr int kDefaultLineSpacing = 30; // 1/6 inch
    static constexpr int kDefaultTabColumns = 8;
    static constexpr int kMaxTabStops = 32;

    bool fontB = false;
    bool emphasis = false;
    bool doubleStrike = false;
    int underline = 0; // dots
    int widthScale = 1;
    int heightScale = 1;
    bool reverse = false;
    bool upsideDown = false;
    bool turned = false; // 90 degrees clockwise
    int spacing = 0;     // right of each character, dots
    Align align = Align::Left;
    int lineSpacing = kDefaultLineSpacing;
    std::vector<int> tabStops = DefaultTabs(); // columns
    int leftMargin = 0;
    int areaWidth = 0; // 0 = the paper's width
    int codeTable = 0;
    bool kanji = true;
    bool kanjiWide = false;
    bool kanjiHigh = false;
    int kanjiUnderline = 0;
    int kanjiLeftSpacing = 0;
    int kanjiRightSpacing = 0;

    int barHeight = 162;
    int barModule = 3;
    int hriPosition = 0; // 0 none, 1 above, 2 below, 3 both
    bool hriFontB = false;

    int qrModule = 3;
    int qrLevel = 0; // L
    std::vector<uint8_t> qrData;
    int pdfColumns = 0;
    int pdfRows = 0;
    int pdfModule = 3;
    int pdfRowHeight = 3;
    int pdfLevel = -1;
    std::vector<uint8_t> pdfData;

    bool Bold() const { return emphasis || doubleStrike; }

    static std::vector<int> DefaultTabs()
    {
        std::vector<int> stops;
        for (int i = 1; i <= kMaxTabStops; ++i)
            stops.push_back(i * kDefaultTabColumns);
        return stops;
    }
};

// One character or bit image waiting in the line buffer.
struct LineItem
{
    const DotBitmap *bitmap = nullptr;
    std::shared_ptr<const DotBitmap> owned; // a bit image; glyphs live in the cache
    int x = 0;                              // within the print area
    int offsetX = 0;                        // of the bitmap within its advance
    int advance = 0;
    int scaleX = 1;
    int scaleY = 1;
    int underline = 0;
    bool reverse = false;

    int Height() const { return bitmap->height * scaleY; }
};

struct LineState
{
    std::vector<LineItem> items;
    int x = 0; // print position within the print area
};

// Where the data bytes of a command go while they arrive.
struct Sink
{
    enum class Kind
    {
        None,
        Raster,  // GS v 0 rows, drawn as each row completes
        Collect, // gathered (up to a limit) and handled at the end
    };
    Kind kind = Kind::None;
    uint64_t remaining = 0;
    uint64_t declared = 0;
    // Raster.
    int rowBytes = 0;
    int rowsLeft = 0;
    int scaleX = 1;
    int scaleY = 1;
    int rowFill = 0;          // bytes of the current row so far
    std::vector<uint8_t> row; // its bytes that can reach the paper
    int imageX = 0;
    // Collect.
    std::vector<uint8_t> blob;
    uint64_t limit = 0;
    bool overflow = false;
};

// Graphics kept by GS ( L / GS 8 L until printed.
struct StoredGraphics
{
    int width = 0; // dots
    int height = 0;
    int scaleX = 1;
    int scaleY = 1;
    bool black = true;
    std::vector<uint8_t> data; // rows of (width + 7) / 8 bytes, possibly fewer
};

} // namespace Receipt
