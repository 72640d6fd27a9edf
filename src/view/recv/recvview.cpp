#include "view/recv/recvview.h"

#include "convert/codepagetext.h"
#include "convert/convert.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QMessageBox>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <utility>

CRecvView::CRecvView(QWidget *parent)
    : QAbstractScrollArea(parent), m_finder(new CHistoryFinder(this))
{
    connect(m_finder, &CHistoryFinder::Finished, this, &CRecvView::OnFindFinished);
    connect(m_finder, &CHistoryFinder::Progress, this, &CRecvView::FindProgress);
    m_history.SetSpillDone([this] {
        QMetaObject::invokeMethod(
            this, [this] { IndexArrived(); }, Qt::QueuedConnection);
    });
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (parent)
        fixed.setPixelSize(std::max(1, parent->fontInfo().pixelSize()));
    setFont(fixed);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setCursor(Qt::IBeamCursor);
    ResetMetrics();
}

void CRecvView::Append(const uint8_t *bytes, std::size_t count)
{
    m_history.Append(bytes, count, QDateTime::currentMSecsSinceEpoch());
}

void CRecvView::IndexArrived()
{
    const std::size_t dropped = m_history.DroppedBytes();
    m_scannedSinceRefresh += m_history.IndexNew();
    if (m_history.DroppedBytes() != dropped)
        FollowDrop(m_history.DroppedBytes() - dropped);
    const QString failure = m_history.TakeSpillFailure();
    if (!failure.isEmpty())
        emit SpillFailed(m_history.SpillFolder(), failure);
}

void CRecvView::Refresh(bool caretToEnd)
{
    m_cost = {};
    IndexArrived();
    m_cost.scanned = std::exchange(m_scannedSinceRefresh, 0);
    if (caretToEnd) {
        const bool hadSelection = HasSelection();
        m_anchor = m_caret = m_history.Size();
        if (hadSelection)
            emit SelectionChanged();
    }
    UpdateScrollRange();
    if (caretToEnd)
        EnsureCaretVisible();
    viewport()->update();
    emit ContentChanged();
}

void CRecvView::Clear()
{
    CancelFind();
    const bool hadSelection = HasSelection();
    m_history.Clear();
    m_scannedSinceRefresh = 0;
    m_top = m_anchor = m_caret = 0;
    m_visible.clear();
    UpdateScrollRange();
    viewport()->update();
    if (hadSelection)
        emit SelectionChanged();
    emit ContentChanged();
}

void CRecvView::SetKeepLimit(std::size_t bytes)
{
    m_history.SetKeepLimit(bytes);
    LayOutAgain();
}

// Positions move with the renumbered bytes; those in the dropped part go
// to the first byte kept. A search under way planned with the old numbers.
void CRecvView::FollowDrop(std::size_t bytes)
{
    CancelFind();
    const auto follow = [&](std::size_t offset) {
        return offset < bytes ? 0 : m_history.UnitBoundaryFrom(offset - bytes);
    };
    m_top = follow(m_top);
    m_anchor = follow(m_anchor);
    m_caret = follow(m_caret);
    m_visible.clear();
}

QString CRecvView::DroppedNotice() const
{
    const std::size_t dropped = m_history.DroppedBytes();
    if (dropped == 0)
        return {};
    return tr("已丢弃较早的 %1 MB").arg(double(dropped) / (1 << 20), 0, 'f', 1);
}

void CRecvView::SetHexNotation(bool hex)
{
    if (m_bHex == hex)
        return;
    m_bHex = hex;
    LayOutAgain();
}

// After the units or the kept bytes changed: positions go to unit
// boundaries, the rows are laid out again.
void CRecvView::LayOutAgain()
{
    IndexArrived();
    m_anchor = m_history.UnitBoundaryFrom(m_anchor);
    m_caret = m_history.UnitBoundaryFrom(m_caret);
    m_top = RowAt(m_top).start;
    UpdateScrollRange();
    ScrollToTop(m_top);
}

void CRecvView::SetCodePage(CodePageId page)
{
    if (m_page == page)
        return;
    m_page = page;
    m_history.SetCodePage(RulesOf(page));
    ResetMetrics();
    LayOutAgain();
    emit ContentChanged();
}

void CRecvView::SetShowArrivalTimes(bool show)
{
    m_bShowTimes = show;
    UpdateScrollRange();
    ScrollToTop(RowAt(m_top).start);
    viewport()->update();
}

QString CRecvView::RenderRange(std::size_t from, std::size_t to) const
{
    if (from >= to)
        return {};
    std::vector<uint8_t> scratch;
    return RenderBytes(m_history.Range(from, to, scratch), m_bHex, m_page);
}

QString CRecvView::RenderBytes(std::span<const uint8_t> bytes, bool hex, CodePageId page)
{
    ByteString text;
    if (hex) {
        BytesToHex(bytes, text);
        return QString::fromLatin1(text.c_str(), qsizetype(text.size()));
    }
    BytesToAscii(bytes, text, RulesOf(page));
    return BoxTextFromBytes(page, text.view());
}

QString CRecvView::WholeText() const
{
    return RenderRange(0, m_history.Size());
}

QString CRecvView::SelectedText() const
{
    return RenderRange(std::min(m_anchor, m_caret), std::max(m_anchor, m_caret));
}

void CRecvView::Copy()
{
    if (!HasSelection())
        return;
    const std::size_t bytes = std::max(m_anchor, m_caret) - std::min(m_anchor, m_caret);
    if (bytes > kAskBeforeCopy &&
        QMessageBox::question(
            this, QString(),
            tr("所选内容有 %1 MB，复制到剪贴板要花较长时间和较多内存。仍要复制吗？")
                .arg(double(bytes) / (1 << 20), 0, 'f', 1)) != QMessageBox::Yes)
        return;
    QApplication::clipboard()->setText(SelectedText());
}

void CRecvView::SelectAll()
{
    IndexArrived();
    m_anchor = 0;
    m_caret = m_history.Size();
    EnsureCaretVisible();
    viewport()->update();
    emit SelectionChanged();
}

// ---- positions ----

std::size_t CRecvView::PreviousUnit(std::size_t offset) const
{
    if (offset == 0)
        return 0;
    if (m_bHex)
        return offset - 1;
    std::size_t p = offset - 1; // units are up to four bytes
    while (p > 0 && m_history.UnitBoundaryFrom(p) != p)
        --p;
    return p;
}

int CRecvView::XOfOffset(const Row &row, std::size_t offset) const
{
    if (m_bHex)
        return int(qreal(offset - row.start) * 3 * m_charWidth);
    qreal x = 0;
    for (std::size_t p = row.start; p < offset && p < row.end;) {
        const std::size_t length = m_history.UnitLength(p);
        x += UnitWidth(p, length);
        p += length;
    }
    return int(x);
}

// The unit boundary nearest to `x` (text pixels from the row's left edge).
std::size_t CRecvView::OffsetAtX(const Row &row, int x) const
{
    if (m_bHex) {
        const int column = int((x + m_charWidth) / (3 * m_charWidth));
        return std::min(row.end, row.start + std::size_t(std::max(0, column)));
    }
    qreal left = 0;
    for (std::size_t p = row.start; p < row.end;) {
        const std::size_t length = m_history.UnitLength(p);
        const qreal width = UnitWidth(p, length);
        const bool lineBreak = width == 0 || (length == 1 && m_history.At(p) == '\n');
        if (lineBreak || x < left + width / 2)
            return p;
        left += width;
        p += length;
    }
    return row.end;
}

std::size_t CRecvView::OffsetAtPoint(const QPoint &point) const
{
    if (m_visible.empty())
        return 0;
    const int index = std::clamp(point.y() / RowHeight(), 0, int(m_visible.size()) - 1);
    if (point.y() < 0 && index == 0)
        return m_visible.front().start;
    return OffsetAtX(m_visible[std::size_t(index)], point.x() - MarginWidth() - kPadding);
}

QPoint CRecvView::PointOfOffset(std::size_t offset) const
{
    for (std::size_t i = 0; i < m_visible.size(); ++i) {
        const Row &row = m_visible[i];
        if (offset >= row.start && (offset < row.end || i + 1 == m_visible.size()))
            return {MarginWidth() + kPadding + XOfOffset(row, offset), int(i) * RowHeight()};
    }
    return {-1, -1};
}

// ---- scrolling ----

void CRecvView::SetScrollBarLimit(int limit)
{
    m_scrollBarLimit = limit;
    UpdateScrollRange();
    ScrollToTop(m_top);
}

void CRecvView::ScrollToTop(std::size_t rowStart)
{
    m_top = std::min<std::size_t>(rowStart, m_scroll.Last());
    m_top = RowAt(m_top).start;
    m_visible = RowsFrom(m_top, VisibleRowCount() + 1);
    m_bSyncingScrollBar = true;
    verticalScrollBar()->setValue(m_scroll.ToBar(m_top));
    m_bSyncingScrollBar = false;
    viewport()->update();
}

void CRecvView::scrollContentsBy(int, int)
{
    if (m_bSyncingScrollBar)
        return;
    m_top = RowAt(m_scroll.FromBar(verticalScrollBar()->value())).start;
    m_visible = RowsFrom(m_top, VisibleRowCount() + 1);
    viewport()->update();
}

void CRecvView::ScrollRows(int rows)
{
    if (rows < 0) {
        const std::vector<Row> above = RowsBefore(m_top, -rows);
        if (!above.empty())
            ScrollToTop(above.front().start);
        return;
    }
    const std::vector<Row> below = RowsFrom(m_top, rows + 1);
    ScrollToTop(below.back().start);
}

void CRecvView::EnsureCaretVisible()
{
    const Row caretRow = RowAt(m_caret);
    if (caretRow.start < m_top) {
        ScrollToTop(caretRow.start);
        return;
    }
    const int count = VisibleRowCount();
    const std::vector<Row> shown = RowsFrom(m_top, count);
    if (std::any_of(shown.begin(), shown.end(),
                    [&](const Row &r) { return r.start == caretRow.start; }))
        return;
    const std::vector<Row> above = RowsBefore(caretRow.start, count - 1);
    ScrollToTop(above.empty() ? caretRow.start : above.front().start);
}

void CRecvView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    IndexArrived();
    UpdateScrollRange();
    ScrollToTop(RowAt(m_top).start);
}

void CRecvView::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        ResetMetrics();
        UpdateScrollRange();
        viewport()->update();
    }
}

// ---- painting ----

QString CRecvView::DrawnText(const Row &row) const
{
    m_cost.rendered += row.end - row.start;
    QString text = RenderRange(row.start, row.end);
    if (text.endsWith(u'\n'))
        text.chop(1);
    return Drawable(std::move(text));
}

// Control pictures, also the placeholders of a lone CR or LF, are drawn in
// the dim colour so they do not pass for received text.
void CRecvView::DrawRowText(QPainter &painter, const Row &row, int y, const QColor &text,
                            const QColor &controls) const
{
    const QString drawn = DrawnText(row);
    const QFontMetricsF metrics(font());
    const int left = MarginWidth() + kPadding;
    qreal x = left;
    for (qsizetype at = 0; at < drawn.size();) {
        const bool picture = IsControlPicture(drawn[at]);
        qsizetype end = at + 1;
        while (end < drawn.size() && IsControlPicture(drawn[end]) == picture)
            ++end;
        const QString run = drawn.mid(at, end - at);
        painter.setPen(picture ? controls : text);
        painter.drawText(QRectF(x, y, left + TextWidth() + kPadding - x, RowHeight()),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, run);
        x += metrics.horizontalAdvance(run);
        at = end;
    }
}

void CRecvView::paintEvent(QPaintEvent *)
{
    IndexArrived();
    QPainter painter(viewport());
    m_visible = RowsFrom(m_top, VisibleRowCount() + 1);
    const int height = RowHeight();
    int y = 0;
    for (const Row &row : m_visible) {
        PaintRow(painter, row, y);
        PaintSelection(painter, row, y);
        PaintTime(painter, row, y);
        y += height;
    }
    PaintDroppedNotice(painter);
    if (hasFocus()) {
        const QPoint caret = PointOfOffset(m_caret);
        if (caret.x() >= 0)
            painter.fillRect(caret.x(), caret.y(), 1, height, palette().text());
    }
}

void CRecvView::PaintRow(QPainter &painter, const Row &row, int y) const
{
    DrawRowText(painter, row, y, palette().color(QPalette::Text),
                palette().color(QPalette::PlaceholderText));
}

// The selection stays shown when the view loses the focus.
void CRecvView::PaintSelection(QPainter &painter, const Row &row, int y) const
{
    const std::size_t from = std::max(std::min(m_anchor, m_caret), row.start);
    const std::size_t to = std::min(std::max(m_anchor, m_caret), row.end);
    if (from >= to)
        return;
    const int left = MarginWidth() + kPadding;
    const int x1 = XOfOffset(row, from);
    const int x2 = XOfOffset(row, to);
    const QRect area(left + x1, y, std::max(x2 - x1, int(m_charWidth / 2)), RowHeight());
    painter.fillRect(area, palette().brush(QPalette::Active, QPalette::Highlight));
    painter.save();
    painter.setClipRect(area);
    const QColor highlighted = palette().color(QPalette::Active, QPalette::HighlightedText);
    DrawRowText(painter, row, y, highlighted, highlighted);
    painter.restore();
}

// Every row carries the time of its own first byte: a long reply without
// line breaks would otherwise sit under the time of its first read.
QString CRecvView::ArrivalStamp(const Row &row) const
{
    if (!m_bShowTimes || row.start >= m_history.Size())
        return {};
    return QDateTime::fromMSecsSinceEpoch(m_history.ArrivalOf(row.start)).toString(u"hh:mm:ss.zzz");
}

void CRecvView::PaintTime(QPainter &painter, const Row &row, int y) const
{
    const QString time = ArrivalStamp(row);
    if (time.isEmpty())
        return;
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(QRect(kPadding, y, MarginWidth(), RowHeight()),
                     Qt::AlignLeft | Qt::AlignVCenter, time);
}

// Above the first row kept, at the right, while the top is in sight.
void CRecvView::PaintDroppedNotice(QPainter &painter) const
{
    const QString notice = DroppedNotice();
    if (notice.isEmpty() || m_top != 0)
        return;
    const int width = fontMetrics().horizontalAdvance(notice) + 2 * kPadding;
    const QRect area(viewport()->width() - width, 0, width, RowHeight());
    painter.fillRect(area, palette().toolTipBase());
    painter.setPen(palette().color(QPalette::ToolTipText));
    painter.drawText(area, Qt::AlignCenter, notice);
}
