// The receive view's answers to the user: caret and selection by keyboard and
// mouse, the wheel, the context menu and find.
#include "view/recv/recvview.h"

#include "convert/boxtext.h"

#include <QContextMenuEvent>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>

#include <algorithm>

namespace {
constexpr int kWheelRows = 3;
constexpr int kWheelStep = 120;
// Find renders the history in pieces of about this many bytes.
constexpr std::size_t kFindChunk = CRecvHistory::kChunkBytes;

} // namespace

void CRecvView::MoveCaret(std::size_t offset, bool keepAnchor)
{
    const bool hadSelection = HasSelection();
    m_caret = std::min(offset, m_history.Size());
    if (!keepAnchor)
        m_anchor = m_caret;
    EnsureCaretVisible();
    viewport()->update();
    if (hadSelection || HasSelection())
        emit SelectionChanged();
}

// Where a movement key takes the caret.
std::size_t CRecvView::CaretMoved(int key) const
{
    const Row row = RowAt(m_caret);
    const int x = XOfOffset(row, m_caret);
    const int page = std::max(1, VisibleRowCount() - 1);
    switch (key) {
    case Qt::Key_Left:
        return PreviousUnit(m_caret);
    case Qt::Key_Right:
        if (m_caret >= m_history.Size())
            return m_caret;
        return m_caret + (m_bHex ? 1 : m_history.UnitLength(m_caret));
    case Qt::Key_Home:
        return row.start;
    case Qt::Key_End:
        return !m_bHex && row.end > row.start && m_history.At(row.end - 1) == '\n'
                   ? PreviousUnit(row.end)
                   : row.end;
    case Qt::Key_Up:
    case Qt::Key_PageUp: {
        const std::vector<Row> above = RowsBefore(row.start, key == Qt::Key_Up ? 1 : page);
        return above.empty() ? 0 : OffsetAtX(above.front(), x);
    }
    case Qt::Key_Down:
    case Qt::Key_PageDown: {
        const std::vector<Row> below = RowsFrom(row.start, (key == Qt::Key_Down ? 1 : page) + 1);
        return below.size() < 2 ? m_history.Size() : OffsetAtX(below.back(), x);
    }
    default:
        return m_caret;
    }
}

void CRecvView::keyPressEvent(QKeyEvent *event)
{
    IndexArrived();
    if (event->key() == Qt::Key_Escape && IsFinding())
        return CancelFind();
    if (event == QKeySequence::Copy)
        return Copy();
    if (event == QKeySequence::SelectAll)
        return SelectAll();
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    const int key = event->key();
    if (control && (key == Qt::Key_Home || key == Qt::Key_End))
        return MoveCaret(key == Qt::Key_Home ? 0 : m_history.Size(), extend);
    static const int kMoves[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up,     Qt::Key_Down,
                                 Qt::Key_Home, Qt::Key_End,   Qt::Key_PageUp, Qt::Key_PageDown};
    if (std::find(std::begin(kMoves), std::end(kMoves), key) == std::end(kMoves))
        return QAbstractScrollArea::keyPressEvent(event);
    MoveCaret(CaretMoved(key), extend);
}

void CRecvView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    MoveCaret(OffsetAtPoint(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
}

void CRecvView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const QPoint point = event->position().toPoint();
    if (point.y() < 0)
        ScrollRows(-1);
    else if (point.y() >= viewport()->height())
        ScrollRows(1);
    MoveCaret(OffsetAtPoint(point), true);
}

// With nothing to scroll the wheel goes to the parent, where the view turns
// it to the command strip.
void CRecvView::wheelEvent(QWheelEvent *event)
{
    if (verticalScrollBar()->maximum() == 0)
        return event->ignore();
    const int steps = event->angleDelta().y() / kWheelStep;
    if (steps != 0)
        ScrollRows(-steps * kWheelRows);
    event->accept();
}

void CRecvView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    QAction *copy = menu.addAction(tr("复制(&C)"), this, [this] { Copy(); });
    copy->setEnabled(HasSelection());
    QAction *all = menu.addAction(tr("全选(&A)"), this, [this] { SelectAll(); });
    all->setEnabled(!IsEmpty());
    menu.addSeparator();
    menu.addAction(tr("保留最近 N MB…"), this, [this] { AskKeepLimit(); });
    menu.exec(event->globalPos());
}

void CRecvView::AskKeepLimit()
{
    bool ok = false;
    const int megabytes = QInputDialog::getInt(
        this, tr("保留最近 N MB"), tr("只保留最近收到的 N MB（0：全部保留）："),
        int(m_history.KeepLimit() >> 20), 0, 1 << 20, 1, &ok);
    if (!ok)
        return;
    SetKeepLimit(std::size_t(megabytes) << 20);
    emit KeepLimitChosen(megabytes);
}

// ---- find ----

// The pieces to search, in order: from the end of the selection to the end,
// then from the beginning to a little past where it started.
void CRecvView::Find(const QString &text, bool matchCase)
{
    IndexArrived();
    const std::size_t size = m_history.Size();
    // A character of the needle stands for up to three bytes (UTF-8).
    const std::size_t overlap = std::size_t(text.size()) * 3;
    const std::size_t start = std::max(m_anchor, m_caret);
    CHistoryFinder::Request request;
    for (int pass = 0; pass < 2; ++pass) {
        const std::size_t end = pass == 0 ? size : std::min(size, start + overlap);
        for (std::size_t from = pass == 0 ? start : 0; from < end;) {
            const std::size_t to = m_history.UnitBoundaryFrom(std::min(end, from + kFindChunk));
            request.plan.push_back({from, to, pass});
            if (to >= end)
                break;
            from = m_history.UnitBoundaryFrom(std::max(from + 1, to - std::min(to, overlap)));
        }
    }
    request.bytes = m_history.SharedPieces();
    // Planning read a page of each piece; the search reads them again.
    for (const CRecvHistory::SharedPiece &piece : request.bytes)
        if (piece.record)
            piece.record->DropPages();
    request.text = text;
    request.matchCase = matchCase;
    request.hex = m_bHex;
    request.page = m_page;
    m_finder->Start(std::move(request));
}

void CRecvView::CancelFind()
{
    if (!IsFinding())
        return;
    m_finder->Cancel();
    emit FindCancelled();
}

bool CRecvView::IsFinding() const
{
    return m_finder->IsBusy();
}

void CRecvView::OnFindFinished(std::size_t from, std::size_t to, int pass)
{
    if (pass < 0)
        return emit FindFinished(FindResult::NotFound);
    m_anchor = from;
    MoveCaret(to, true);
    emit FindFinished(pass == 0 ? FindResult::Found : FindResult::FoundAfterWrap);
}
