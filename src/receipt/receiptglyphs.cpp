#include "receipt/receiptglyphs.h"

#include <QImage>
#include <QPainter>

namespace Receipt {

namespace {

struct CodeTable
{
    int number; // ESC t n
    const char *name;
};

// The code tables by their ESC t numbers, under names Qt's ICU converters know.
constexpr CodeTable kCodeTables[] = {
    {0, "IBM437"}, {2, "IBM850"},        {3, "IBM860"},  {4, "IBM863"},
    {5, "IBM865"}, {16, "windows-1252"}, {17, "IBM866"}, {19, "IBM00858"},
};

const char *TableName(int table)
{
    for (const CodeTable &entry : kCodeTables)
        if (entry.number == table)
            return entry.name;
    return kCodeTables[0].name;
}

QFont CellFont(const char *family, int pixelSize)
{
    QFont font(QString::fromLatin1(family));
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(pixelSize);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

uint64_t GlyphKey(char32_t code, GlyphFont font, bool bold, bool turned)
{
    return static_cast<uint64_t>(code) << 8 | static_cast<uint64_t>(font) << 2 | (bold ? 2u : 0u) |
           (turned ? 1u : 0u);
}

} // namespace

CellSize CellOf(GlyphFont font)
{
    switch (font) {
    case GlyphFont::A:
        return {12, 24};
    case GlyphFont::B:
        return {9, 17};
    case GlyphFont::Kanji:
        return {24, 24};
    }
    return {12, 24};
}

CReceiptGlyphs::CReceiptGlyphs()
    : m_fonts{CellFont("DejaVu Sans Mono", 20), CellFont("DejaVu Sans Mono", 15),
              CellFont("WenQuanYi Micro Hei Mono", 22)},
      m_gbk("GBK")
{
}

const DotBitmap &CReceiptGlyphs::Glyph(char32_t code, GlyphFont font, bool bold, bool turned)
{
    const uint64_t key = GlyphKey(code, font, bold, turned);
    auto found = m_glyphs.find(key);
    if (found != m_glyphs.end())
        return found->second;
    DotBitmap glyph = Draw(code, font);
    if (bold)
        glyph = Emboldened(glyph);
    if (turned)
        glyph = RotatedClockwise(glyph);
    return m_glyphs.emplace(key, std::move(glyph)).first->second;
}

DotBitmap CReceiptGlyphs::Draw(char32_t code, GlyphFont font) const
{
    const CellSize cell = CellOf(font);
    DotBitmap glyph(cell.width, cell.height);
    if (code == U' ')
        return glyph;
    QImage image(cell.width, cell.height, QImage::Format_Grayscale8);
    image.fill(255);
    {
        QPainter painter(&image);
        painter.setFont(m_fonts[static_cast<int>(font)]);
        painter.setPen(Qt::black);
        painter.drawText(QRect(0, 0, cell.width, cell.height), Qt::AlignCenter,
                         QString::fromUcs4(&code, 1));
    }
    for (int y = 0; y < cell.height; ++y) {
        const uchar *line = image.constScanLine(y);
        for (int x = 0; x < cell.width; ++x)
            glyph.Row(y)[x] = line[x] < 128 ? 1 : 0;
    }
    return glyph;
}

bool CReceiptGlyphs::KnownTable(int table)
{
    for (const CodeTable &entry : kCodeTables)
        if (entry.number == table)
            return true;
    return false;
}

const std::array<char32_t, 128> &CReceiptGlyphs::Table(int table)
{
    auto found = m_tables.find(table);
    if (found != m_tables.end())
        return found->second;
    std::array<char32_t, 128> codes{};
    QStringDecoder decoder(TableName(table));
    for (int i = 0; i < 128; ++i) {
        const char byte = static_cast<char>(0x80 + i);
        const QString text =
            decoder.isValid() ? decoder.decode(QByteArrayView(&byte, 1)) : QString();
        codes[i] = text.isEmpty() ? U'?' : text.toUcs4().value(0, U'?');
    }
    return m_tables.emplace(table, codes).first->second;
}

char32_t CReceiptGlyphs::DecodeSingle(uint8_t byte, int table)
{
    if (byte < 0x80)
        return byte;
    return Table(table)[byte - 0x80];
}

char32_t CReceiptGlyphs::DecodeGbk(uint8_t lead, uint8_t trail)
{
    const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    const QString text = m_gbk.decode(QByteArrayView(pair, 2));
    m_gbk.resetState();
    if (text.size() != 1)
        return U'\uFFFD';
    return text.at(0).unicode();
}

} // namespace Receipt
