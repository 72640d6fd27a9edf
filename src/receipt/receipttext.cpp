// Characters, lines and the settings that shape them.
#include "receipt/receiptprinter.h"

#include <algorithm>

namespace Receipt {

int CReceiptPrinter::AreaWidth() const
{
    const int room = m_paper.Width() - m_state.leftMargin;
    const int width = m_state.areaWidth > 0 ? std::min(m_state.areaWidth, room) : room;
    return std::max(width, 1);
}

int CReceiptPrinter::AlignOffset(int width) const
{
    const int free = std::max(0, AreaWidth() - width);
    switch (m_state.align) {
    case Align::Centre:
        return free / 2;
    case Align::Right:
        return free;
    case Align::Left:
        break;
    }
    return 0;
}

void CReceiptPrinter::PutBand(const DotBitmap &band, int x)
{
    ReportIfCut(m_paper.Put(band, x));
}

void CReceiptPrinter::FeedPaper(int dots)
{
    ReportIfCut(m_paper.Feed(dots));
}

void CReceiptPrinter::ReportIfCut(bool fitted)
{
    if (!fitted && !m_capReported) {
        m_capReported = true;
        ReportCommand(Issue::BeyondCap, "receipt longer than 100000 dots");
    }
}

void CReceiptPrinter::PrintChar(char32_t code, GlyphFont font)
{
    const bool kanji = font == GlyphFont::Kanji;
    const CellSize cell = CellOf(font);
    LineItem item;
    item.bitmap = &m_glyphs.Glyph(code, font, m_state.Bold(), m_state.turned);
    item.scaleX = kanji && m_state.kanjiWide ? std::max(2, m_state.widthScale) : m_state.widthScale;
    item.scaleY =
        kanji && m_state.kanjiHigh ? std::max(2, m_state.heightScale) : m_state.heightScale;
    const int left = kanji ? m_state.kanjiLeftSpacing : 0;
    const int right = kanji ? m_state.kanjiRightSpacing : m_state.spacing;
    const int cellWidth = m_state.turned ? cell.height : cell.width;
    item.offsetX = left * item.scaleX;
    item.advance = (left + cellWidth + right) * item.scaleX;
    item.underline = kanji ? m_state.kanjiUnderline : m_state.underline;
    item.reverse = m_state.reverse;
    AddItem(std::move(item));
}

void CReceiptPrinter::AddItem(LineItem item)
{
    if (m_line.x + item.advance > AreaWidth() && !m_line.items.empty())
        PrintLine(m_state.lineSpacing);
    item.x = m_line.x;
    m_line.x += item.advance;
    m_line.items.push_back(std::move(item));
}

// The line's dots from `start` on within the print area, `width` dots wide.
DotBitmap CReceiptPrinter::LineBand(int height, int start, int width) const
{
    DotBitmap band(width, height);
    for (const LineItem &item : m_line.items) {
        const int x = start + item.x;
        const int top = height - item.Height();
        Stamp(band, *item.bitmap, x + item.offsetX, top, item.scaleX, item.scaleY);
        if (item.reverse)
            InvertRect(band, x, top, item.advance, item.Height());
        else if (item.underline > 0)
            FillRect(band, x, height - item.underline, item.advance, item.underline);
    }
    return band;
}

void CReceiptPrinter::PrintLine(int feed)
{
    int height = 0;
    int right = m_line.x;
    for (const LineItem &item : m_line.items) {
        height = std::max(height, item.Height());
        right = std::max(right, item.x + item.advance);
    }
    const int offset = AlignOffset(m_line.x);
    if (height > 0 && m_state.upsideDown) {
        // Turned over the whole print area, so the alignment turns with it.
        PutBand(RotatedHalf(LineBand(height, offset, AreaWidth())), m_state.leftMargin);
    } else if (height > 0) {
        const int width = std::min(right, AreaWidth() - offset);
        PutBand(LineBand(height, 0, width), m_state.leftMargin + offset);
    }
    FeedPaper(std::max(feed, height));
    m_line = LineState{};
}

void CReceiptPrinter::Cut(int feed)
{
    if (!m_line.items.empty())
        PrintLine(m_state.lineSpacing);
    FeedPaper(feed);
    EndReceipt();
}

void CReceiptPrinter::OnLineFeed(const uint8_t *, std::size_t)
{
    PrintLine(m_state.lineSpacing);
}

void CReceiptPrinter::OnTab(const uint8_t *, std::size_t)
{
    const CellSize cell = CellOf(m_state.fontB ? GlyphFont::B : GlyphFont::A);
    const int column = (cell.width + m_state.spacing) * m_state.widthScale;
    for (int stop : m_state.tabStops) {
        const int x = stop * column;
        if (x > m_line.x) {
            if (x <= AreaWidth())
                m_line.x = x;
            return;
        }
    }
}

void CReceiptPrinter::OnInitialise(const uint8_t *, std::size_t)
{
    m_state = PrintState{};
    m_line = LineState{};
    m_graphics = StoredGraphics{};
}

void CReceiptPrinter::OnPrintMode(const uint8_t *p, std::size_t)
{
    const uint8_t n = p[2];
    m_state.fontB = n & 0x01;
    m_state.emphasis = n & 0x08;
    m_state.heightScale = n & 0x10 ? 2 : 1;
    m_state.widthScale = n & 0x20 ? 2 : 1;
    m_state.underline = n & 0x80 ? 1 : 0;
}

void CReceiptPrinter::OnEmphasis(const uint8_t *p, std::size_t)
{
    m_state.emphasis = p[2] & 1;
}

void CReceiptPrinter::OnDoubleStrike(const uint8_t *p, std::size_t)
{
    m_state.doubleStrike = p[2] & 1;
}

bool CReceiptPrinter::ParamUpTo(const uint8_t *p, std::size_t n, int max, int &value)
{
    const int given = DigitOrValue(p[2]);
    if (given > max) {
        Report(Issue::BadParameter, p, n);
        return false;
    }
    value = given;
    return true;
}

bool CReceiptPrinter::FontBParam(const uint8_t *p, std::size_t n)
{
    const int value = DigitOrValue(p[2]);
    if (value > 1)
        Report(Issue::BadParameter, p, n, "only fonts A and B");
    return value >= 1;
}

void CReceiptPrinter::OnUnderline(const uint8_t *p, std::size_t n)
{
    ParamUpTo(p, n, 2, m_state.underline);
}

void CReceiptPrinter::OnFont(const uint8_t *p, std::size_t n)
{
    m_state.fontB = FontBParam(p, n);
}

void CReceiptPrinter::OnSize(const uint8_t *p, std::size_t n)
{
    const int width = (p[2] >> 4) + 1;
    const int height = (p[2] & 0x0F) + 1;
    if (width > 8 || height > 8)
        return Report(Issue::BadParameter, p, n);
    m_state.widthScale = width;
    m_state.heightScale = height;
}

void CReceiptPrinter::OnReverse(const uint8_t *p, std::size_t)
{
    m_state.reverse = p[2] & 1;
}

void CReceiptPrinter::OnUpsideDown(const uint8_t *p, std::size_t)
{
    m_state.upsideDown = p[2] & 1;
}

void CReceiptPrinter::OnTurn(const uint8_t *p, std::size_t)
{
    m_state.turned = DigitOrValue(p[2]) == 1;
}

void CReceiptPrinter::OnSpacing(const uint8_t *p, std::size_t)
{
    m_state.spacing = p[2];
}

void CReceiptPrinter::OnAlign(const uint8_t *p, std::size_t n)
{
    if (int value = 0; ParamUpTo(p, n, 2, value))
        m_state.align = static_cast<Align>(value);
}

void CReceiptPrinter::OnDefaultLineSpacing(const uint8_t *, std::size_t)
{
    m_state.lineSpacing = PrintState::kDefaultLineSpacing;
}

void CReceiptPrinter::OnLineSpacing(const uint8_t *p, std::size_t)
{
    m_state.lineSpacing = p[2];
}

void CReceiptPrinter::OnFeedDots(const uint8_t *p, std::size_t)
{
    PrintLine(p[2]);
}

void CReceiptPrinter::OnFeedLines(const uint8_t *p, std::size_t)
{
    PrintLine(p[2] * m_state.lineSpacing);
}

void CReceiptPrinter::OnTabStops(const uint8_t *p, std::size_t n)
{
    m_state.tabStops.clear();
    for (std::size_t i = 2; i < n && p[i] != 0; ++i) {
        if (!m_state.tabStops.empty() && p[i] <= m_state.tabStops.back())
            return Report(Issue::BadParameter, p, n, "tab stops not ascending");
        m_state.tabStops.push_back(p[i]);
    }
}

void CReceiptPrinter::OnAbsolutePosition(const uint8_t *p, std::size_t)
{
    const int x = Word(p + 2);
    if (x < AreaWidth())
        m_line.x = x;
}

void CReceiptPrinter::OnRelativePosition(const uint8_t *p, std::size_t)
{
    const int x = m_line.x + static_cast<int16_t>(Word(p + 2));
    if (x >= 0 && x < AreaWidth())
        m_line.x = x;
}

void CReceiptPrinter::OnLeftMargin(const uint8_t *p, std::size_t n)
{
    const int margin = Word(p + 2);
    if (margin >= m_paper.Width())
        return Report(Issue::BadParameter, p, n, "margin beyond the paper");
    m_state.leftMargin = margin;
}

void CReceiptPrinter::OnAreaWidth(const uint8_t *p, std::size_t)
{
    m_state.areaWidth = Word(p + 2);
}

void CReceiptPrinter::OnCodeTable(const uint8_t *p, std::size_t n)
{
    if (!CReceiptGlyphs::KnownTable(p[2])) {
        Report(Issue::BadParameter, p, n, "code table not held, PC437 printed");
        m_state.codeTable = 0;
        return;
    }
    m_state.codeTable = p[2];
}

void CReceiptPrinter::OnCharacterSet(const uint8_t *p, std::size_t n)
{
    if (p[2] != 0)
        Report(Issue::BadParameter, p, n, "international set not held, USA printed");
}

void CReceiptPrinter::OnKanjiOn(const uint8_t *, std::size_t)
{
    m_state.kanji = true;
}

void CReceiptPrinter::OnKanjiOff(const uint8_t *, std::size_t)
{
    m_state.kanji = false;
}

void CReceiptPrinter::OnKanjiMode(const uint8_t *p, std::size_t)
{
    m_state.kanjiWide = p[2] & 0x04;
    m_state.kanjiHigh = p[2] & 0x08;
    m_state.kanjiUnderline = p[2] & 0x80 ? 1 : 0;
}

void CReceiptPrinter::OnKanjiUnderline(const uint8_t *p, std::size_t n)
{
    ParamUpTo(p, n, 2, m_state.kanjiUnderline);
}

void CReceiptPrinter::OnKanjiSpacing(const uint8_t *p, std::size_t)
{
    m_state.kanjiLeftSpacing = p[2];
    m_state.kanjiRightSpacing = p[3];
}

void CReceiptPrinter::OnCut(const uint8_t *p, std::size_t n)
{
    const uint8_t m = p[2];
    const bool plain = m == 0 || m == 1 || m == '0' || m == '1';
    if (!plain && n < 4)
        Report(Issue::BadParameter, p, n);
    Cut(n == 4 ? p[3] : 0);
}

void CReceiptPrinter::OnCutOld(const uint8_t *, std::size_t)
{
    Cut(0);
}

void CReceiptPrinter::OnDrawerPulse(const uint8_t *p, std::size_t n)
{
    Report(Issue::CashDrawerPulse, p, n, p[2] == 0 || p[2] == '0' ? "pin 2" : "pin 5");
}

} // namespace Receipt
