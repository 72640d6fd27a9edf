// Laying out the rows of the receive view: only the segments around what is
// asked for are walked, unit by unit, with the widths of units measured once.
#include "view/recv/recvview.h"

#include "convert/boxtext.h"

#include <QFontMetricsF>
#include <QScrollBar>

#include <algorithm>
#include <climits>

namespace {
const char kTimeSample[] = "00:00:00.000 ";
constexpr char16_t kControlPictures = u'\u2400';
} // namespace

// A control byte the engine passes through would draw as nothing, so a reply
// of one status byte would look empty: it is drawn as its control picture.
// A tab stays blank space. Measuring the same text keeps the widths and the
// drawing in step.
QString CRecvView::Drawable(QString text)
{
    for (QChar &c : text)
        if (c == u'\t')
            c = u' ';
        else if (c.unicode() < 0x20)
            c = QChar(char16_t(kControlPictures + c.unicode()));
    return text;
}

bool CRecvView::IsControlPicture(QChar c)
{
    return c.unicode() >= kControlPictures && c.unicode() < kControlPictures + 0x20;
}

void CRecvView::ResetMetrics()
{
    m_singleWidth.fill(-1);
    m_pairWidth.assign(65536, -1);
    m_longWidth.clear();
    m_charWidth = std::max<qreal>(1, QFontMetricsF(font()).horizontalAdvance(u'0'));
}

int CRecvView::MarginWidth() const
{
    return m_bShowTimes ? fontMetrics().horizontalAdvance(QLatin1String(kTimeSample)) : 0;
}

int CRecvView::TextWidth() const
{
    return std::max(1, viewport()->width() - MarginWidth() - 2 * kPadding);
}

int CRecvView::RowHeight() const
{
    return std::max(1, fontMetrics().lineSpacing());
}

int CRecvView::VisibleRowCount() const
{
    return std::max(1, viewport()->height() / RowHeight());
}

int CRecvView::HexBytesPerRow() const
{
    return std::max(1, int((TextWidth() + m_charWidth) / (3 * m_charWidth)));
}

// After a final line break the caret sits on a row of its own.
bool CRecvView::HasEmptyEndRow() const
{
    const std::size_t size = m_history.Size();
    return size == 0 || (!m_bHex && m_history.At(size - 1) == '\n');
}

// The cached width of a unit of three or four bytes (negative: not yet
// measured).
float &CRecvView::LongWidth(std::size_t offset, std::size_t length) const
{
    uint32_t key = 0;
    for (std::size_t k = 0; k < length; ++k)
        key = key << 8 | m_history.At(offset + k);
    return m_longWidth.try_emplace(key, -1.0F).first->second;
}

qreal CRecvView::UnitWidth(std::size_t offset, std::size_t length) const
{
    const uint8_t first = m_history.At(offset);
    if (length == 2 && first == '\r')
        return 0; // the line break
    float &width = length == 1   ? m_singleWidth[first]
                   : length == 2 ? m_pairWidth[std::size_t(first) << 8 | m_history.At(offset + 1)]
                                 : LongWidth(offset, length);
    if (width < 0)
        width = float(QFontMetricsF(font()).horizontalAdvance(
            Drawable(RenderRange(offset, offset + length))));
    return width;
}

// The rows of the segment that starts at `start` (text notation), or the
// hex row that holds it.
std::vector<CRecvView::Row> CRecvView::SegmentRows(std::size_t start) const
{
    const std::size_t size = m_history.Size();
    if (m_bHex) {
        // With times shown each read starts a row, so every byte of a row
        // arrived at the row's time, and a narrower view does not move a
        // read's first byte away from its stamp.
        const std::size_t base = m_bShowTimes ? m_history.ReadStartOf(start) : 0;
        const std::size_t end = m_bShowTimes ? m_history.ReadEndOf(start) : size;
        const std::size_t perRow = std::size_t(HexBytesPerRow());
        const std::size_t rowStart = base + (start - base) / perRow * perRow;
        return {{rowStart, std::min(rowStart + perRow, end)}};
    }
    if (start >= size)
        return {{size, size}};
    const std::size_t end = m_history.SegmentEnd(start);
    m_cost.rendered += end - start;
    const int available = TextWidth();
    std::vector<Row> rows{{start, start}};
    qreal x = 0;
    for (std::size_t p = start; p < end;) {
        const std::size_t length = m_history.UnitLength(p);
        const qreal width = UnitWidth(p, length);
        if (x + width > available && rows.back().end > rows.back().start) {
            rows.push_back({p, p});
            x = 0;
        }
        x += width;
        p += length;
        rows.back().end = p;
    }
    return rows;
}

CRecvView::Row CRecvView::RowAt(std::size_t offset) const
{
    const std::size_t size = m_history.Size();
    if (offset >= size) {
        if (HasEmptyEndRow())
            return {size, size};
        offset = size - 1;
    }
    const std::size_t start = m_bHex ? offset : m_history.SegmentStart(offset);
    for (const Row &row : SegmentRows(start))
        if (offset < row.end)
            return row;
    return {size, size};
}

std::vector<CRecvView::Row> CRecvView::RowsFrom(std::size_t offset, int count) const
{
    std::vector<Row> rows;
    const std::size_t size = m_history.Size();
    std::size_t pos = RowAt(offset).start;
    while (int(rows.size()) < count) {
        if (pos >= size) {
            if (HasEmptyEndRow() && (rows.empty() || rows.back().start != size))
                rows.push_back({size, size});
            break;
        }
        const std::size_t start = m_bHex ? pos : m_history.SegmentStart(pos);
        const std::size_t before = rows.size();
        for (const Row &row : SegmentRows(start))
            if (row.start >= pos && int(rows.size()) < count)
                rows.push_back(row);
        if (rows.size() == before)
            break; // `pos` was no row start: nothing sound follows
        pos = rows.back().end;
    }
    return rows;
}

std::vector<CRecvView::Row> CRecvView::RowsBefore(std::size_t offset, int count) const
{
    std::vector<Row> reversed;
    for (std::size_t pos = offset; pos > 0 && int(reversed.size()) < count;) {
        const std::size_t start = m_bHex ? pos - 1 : m_history.SegmentStart(pos - 1);
        const std::vector<Row> rows = SegmentRows(start);
        for (auto row = rows.rbegin(); row != rows.rend() && int(reversed.size()) < count; ++row)
            if (row->end <= pos)
                reversed.push_back(*row);
        pos = rows.front().start;
    }
    return {reversed.rbegin(), reversed.rend()};
}

std::size_t CRecvView::EndRowStart() const
{
    return RowAt(m_history.Size()).start;
}

// The scroll bar runs over byte offsets: its maximum is the top row that
// shows the last row at the bottom.
void CRecvView::UpdateScrollRange()
{
    const std::size_t endRow = EndRowStart();
    const std::vector<Row> above = RowsBefore(endRow, VisibleRowCount() - 1);
    const std::size_t maxTop = above.empty() ? endRow : above.front().start;
    m_scroll = CScrollMapping(maxTop, m_scrollBarLimit);
    m_bSyncingScrollBar = true;
    verticalScrollBar()->setRange(0, m_scroll.BarMaximum());
    const std::size_t page = m_visible.empty() ? 1 : m_visible.back().end - m_visible.front().start;
    verticalScrollBar()->setPageStep(std::max(1, m_scroll.ToBar(page)));
    m_bSyncingScrollBar = false;
}
