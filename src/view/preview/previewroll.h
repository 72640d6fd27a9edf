// CPreviewRoll: one paper roll of the preview window: the receipts drawn one
// under the other at the chosen zoom with a cut line between them, and beside
// them the list of what they did not print (offset, bytes, reason).
//
// The roll keeps at most kMaxImageBytes of receipt images; older receipts go
// first and the roll says how many it let go. The report list keeps at most
// kMaxRows rows and says how many more there were.
//
// Window thread only.
#pragma once

#include "view/preview/previewrenderer.h"

#include <QImage>
#include <QWidget>

#include <deque>

class QLabel;
class QScrollArea;
class QTableWidget;

class CPreviewRoll : public QWidget
{
    Q_OBJECT

public:
    static constexpr qsizetype kMaxImageBytes = 64 << 20;
    static constexpr int kMaxRows = 5000;
    static constexpr int kCutGap = 24; // dots between two receipts

    explicit CPreviewRoll(QWidget *parent = nullptr);

    void Clear();
    // Finished receipts are added; the receipt on the paper is replaced.
    void Apply(const PreviewBatch &batch);
    void SetZoom(double zoom);
    void Retranslate();

    // Receipts shown, the one still on the paper included.
    int ReceiptCount() const;
    QImage ReceiptImage(int index) const;
    int ReportRowCount() const;
    // The whole roll as one 1-bit image (receipts separated by kCutGap).
    QImage RollImage() const;

signals:
    // A row of the report was chosen: the command at `offset`, `length` bytes.
    void rowChosen(quint64 offset, int length);

private:
    class CPaper;

    // Returns how many rows did not fit under kMaxRows.
    int AddRows(const std::vector<PreviewRow> &rows, int receipt);
    void DropOldReceipts();
    void Refresh();
    QString Reason(const PreviewRow &row) const;
    const PreviewReceipt *At(int index) const;

    std::deque<PreviewReceipt> m_receipts;
    PreviewReceipt m_open;
    int m_openRowStart = 0; // first report row of the open receipt
    int m_dropped = 0;      // receipts let go
    int m_unlisted = 0;     // report rows of finished receipts beyond kMaxRows
    int m_openUnlisted = 0; // ... of the open receipt
    qsizetype m_imageBytes = 0;
    double m_zoom = 1.0;

    CPaper *m_paper = nullptr;
    QScrollArea *m_scroll = nullptr;
    QTableWidget *m_report = nullptr;
    QLabel *m_summary = nullptr;
};
