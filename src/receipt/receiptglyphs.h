// Characters as printer dots: each glyph is drawn once from an installed font
// into its character cell (font A 12x24, font B 9x17, double-byte 24x24) and
// kept. Single bytes 80..FF are read through the code table of ESC t, pairs
// in Kanji mode as GBK.
//
// Needs a QGuiApplication (any platform, "offscreen" will do) for the fonts.
#pragma once

#include "receipt/dotbitmap.h"

#include <QFont>
#include <QStringDecoder>
#include <array>
#include <map>
#include <optional>
#include <unordered_map>

namespace Receipt {

enum class GlyphFont : uint8_t
{
    A,
    B,
    Kanji,
};

struct CellSize
{
    int width;
    int height;
};

CellSize CellOf(GlyphFont font);

class CReceiptGlyphs
{
public:
    CReceiptGlyphs();

    // The dots of `code` in `font`, emphasised and turned 90 degrees as asked.
    const DotBitmap &Glyph(char32_t code, GlyphFont font, bool bold, bool turned);

    // Whether ESC t `table` selects a table this printer holds.
    static bool KnownTable(int table);
    // The character a single byte prints in code table `table` (PC437 for a
    // table it does not hold).
    char32_t DecodeSingle(uint8_t byte, int table);
    // The character of a GBK pair; U+FFFD for a pair GBK does not define.
    char32_t DecodeGbk(uint8_t lead, uint8_t trail);

private:
    DotBitmap Draw(char32_t code, GlyphFont font) const;
    const std::array<char32_t, 128> &Table(int table);

    QFont m_fonts[3];
    std::unordered_map<uint64_t, DotBitmap> m_glyphs;
    std::map<int, std::array<char32_t, 128>> m_tables;
    QStringDecoder m_gbk;
};

} // namespace Receipt
