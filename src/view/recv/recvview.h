// CRecvView: the receive box. It shows the receive history in one of the
// engine's two notations, read-only, wrapped to its width, and paints only
// the rows in sight.
//
// The bytes, their line index and the arrival time of every read live in its
// CRecvHistory. Rows are laid out on demand from the nearest segment start
// (recvhistory.h) and rendered with the engine (BytesToAscii through the GBK
// text boundary, or BytesToHex), so a row shows exactly what the whole
// rendering shows there. Rows break after a CR LF and after a lone LF, whose
// placeholder is still drawn and copied; hex rows hold as many bytes as fit.
//
// Positions (caret, selection, scrolling) are byte offsets on unit
// boundaries: a character of the code page or a CR LF is never split. The
// scroll bar runs over byte offsets (scaled beyond its int range,
// scrollmapping.h); its value stands for the first byte of the top row.
//
// Window thread only.
#pragma once

#include "convert/codepage.h"
#include "view/recv/historyfinder.h"
#include "view/recv/recvhistory.h"
#include "view/recv/scrollmapping.h"

#include <QAbstractScrollArea>
#include <QString>

#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

class CRecvView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    struct Row
    {
        std::size_t start = 0;
        std::size_t end = 0;
    };
    enum class FindResult
    {
        Found,
        FoundAfterWrap,
        NotFound
    };
    // What the last Refresh and the paints after it cost, in bytes.
    struct UpdateCost
    {
        // Bytes the index scanned for what the Refresh brought in, also where
        // a paint or a query between the read and the Refresh got there first.
        std::size_t scanned = 0;
        std::size_t rendered = 0; // bytes laid out or rendered for rows
    };

    explicit CRecvView(QWidget *parent = nullptr);

    const CRecvHistory &History() const { return m_history; }
    // A block from one read. The display follows at the next Refresh.
    void Append(const uint8_t *bytes, std::size_t count);
    // Brings the display up to the history; after a read the caret goes to
    // the end, without a selection, in sight.
    void Refresh(bool caretToEnd);
    void Clear();

    // Keep only about the last `bytes` received (0: everything).
    void SetKeepLimit(std::size_t bytes);
    // What the view says at its top about bytes dropped by that limit;
    // empty when none were.
    QString DroppedNotice() const;

    bool IsHexNotation() const { return m_bHex; }
    void SetHexNotation(bool hex);
    // The code page of the text notation (GBK until set); switching
    // renders the history again, nothing is reread.
    CodePageId CodePage() const { return m_page; }
    void SetCodePage(CodePageId page);
    bool ShowsArrivalTimes() const { return m_bShowTimes; }
    void SetShowArrivalTimes(bool show);

    bool IsEmpty() const { return m_history.Size() == 0; }
    bool HasSelection() const { return m_anchor != m_caret; }
    // The shown text of the selection, as copied.
    QString SelectedText() const;
    // A selection of more than kAskBeforeCopy bytes is copied only after
    // the user agreed: its text may take a long time and much memory.
    static constexpr std::size_t kAskBeforeCopy = std::size_t(16) << 20;
    void Copy();
    void SelectAll();
    // Starts looking for `text` in the rendering from the end of the
    // selection, wrapping once to the beginning, on a thread of its own
    // (historyfinder.h); a match becomes the selection, and FindFinished
    // tells either way. A new search, Escape and Clear cancel it.
    void Find(const QString &text, bool matchCase);
    void CancelFind();
    bool IsFinding() const;
    // The rendering of `bytes` (unit boundaries at both ends) as shown.
    static QString RenderBytes(std::span<const uint8_t> bytes, bool hex, CodePageId page);

    // The whole rendering, built only when asked (tests).
    QString WholeText() const;
    // The rendering of bytes [from, to), both on unit boundaries, as shown.
    QString TextOf(std::size_t from, std::size_t to) const { return RenderRange(from, to); }
    UpdateCost LastUpdateCost() const { return m_cost; }
    // The rows in sight, as laid out for the last paint.
    const std::vector<Row> &VisibleRows() const { return m_visible; }
    // The scroll bar's largest value, INT_MAX unless lowered (tests of the
    // scaled bar on a history of a few megabytes).
    void SetScrollBarLimit(int limit);
    // The top-left of the character at byte `offset` in viewport pixels, if
    // it is in sight.
    QPoint PointOfOffset(std::size_t offset) const;
    // The arrival time shown beside `row`; empty when times are off.
    QString ArrivalStamp(const Row &row) const;

signals:
    void SelectionChanged();
    void ContentChanged();
    // The user chose to keep only the last `megabytes` (0: everything).
    void KeepLimitChosen(int megabytes);
    void FindFinished(FindResult result);
    void FindProgress(int percent);
    // A search under way was given up (Escape, a new search, Clear, bytes
    // dropped): neither FindFinished nor more progress follows.
    void FindCancelled();
    // The history could not move chunks to its file in `folder`; once.
    void SpillFailed(const QString &folder, const QString &reason);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // ---- layout (recvview_layout.cpp) ----
    static constexpr int kPadding = 3; // between the margin, the text and the edge
    int TextWidth() const;
    int MarginWidth() const;
    int RowHeight() const;
    int VisibleRowCount() const;
    qreal UnitWidth(std::size_t offset, std::size_t length) const;
    float &LongWidth(std::size_t offset, std::size_t length) const;
    std::vector<Row> SegmentRows(std::size_t start) const;
    Row RowAt(std::size_t offset) const;
    // Up to `count` rows ending at or before the row start `offset`, in order.
    std::vector<Row> RowsBefore(std::size_t offset, int count) const;
    // Up to `count` rows from the row that holds `offset` on.
    std::vector<Row> RowsFrom(std::size_t offset, int count) const;
    int HexBytesPerRow() const;
    bool HasEmptyEndRow() const;
    std::size_t EndRowStart() const;
    void ResetMetrics();

    // ---- painting and positions (recvview.cpp) ----
    // Indexes what was appended since the last call; the work counts for the
    // next Refresh.
    void IndexArrived();
    QString RenderRange(std::size_t from, std::size_t to) const;
    QString DrawnText(const Row &row) const;
    static QString Drawable(QString text);
    static bool IsControlPicture(QChar c);
    void DrawRowText(QPainter &painter, const Row &row, int y, const QColor &text,
                     const QColor &controls) const;
    int XOfOffset(const Row &row, std::size_t offset) const;
    std::size_t OffsetAtX(const Row &row, int x) const;
    std::size_t OffsetAtPoint(const QPoint &point) const;
    void PaintRow(QPainter &painter, const Row &row, int y) const;
    void PaintSelection(QPainter &painter, const Row &row, int y) const;
    void PaintTime(QPainter &painter, const Row &row, int y) const;
    void PaintDroppedNotice(QPainter &painter) const;
    void FollowDrop(std::size_t bytes);
    void LayOutAgain();
    void AskKeepLimit();
    void UpdateScrollRange();
    void ScrollToTop(std::size_t rowStart);
    void ScrollRows(int rows);
    void EnsureCaretVisible();
    void MoveCaret(std::size_t offset, bool keepAnchor);
    std::size_t CaretMoved(int key) const;
    std::size_t PreviousUnit(std::size_t offset) const;
    void OnFindFinished(std::size_t from, std::size_t to, int pass);

    CRecvHistory m_history;
    CHistoryFinder *m_finder;
    bool m_bHex = false;
    bool m_bShowTimes = false;
    std::size_t m_top = 0; // first byte of the top row
    CScrollMapping m_scroll;
    int m_scrollBarLimit = INT_MAX;
    std::size_t m_anchor = 0;
    std::size_t m_caret = 0;
    bool m_bSyncingScrollBar = false;
    std::vector<Row> m_visible;
    mutable UpdateCost m_cost;
    std::size_t m_scannedSinceRefresh = 0;
    // Pixel widths of units, filled as they are met: one-byte units by value,
    // pairs by their two bytes; negative: not yet measured. Fractional, as
    // the text is drawn: rounded widths would add up to the wrong row length.
    mutable std::array<float, 256> m_singleWidth{};
    mutable std::vector<float> m_pairWidth;
    qreal m_charWidth = 1; // hex digits and the separator
    // Units of three and four bytes (UTF-8), by their bytes.
    mutable std::unordered_map<uint32_t, float> m_longWidth;
    CodePageId m_page = CodePageId::Gbk;
};
