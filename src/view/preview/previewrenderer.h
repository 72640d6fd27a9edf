// CPreviewRenderer: renders a byte stream into receipts on a thread of its
// own, for the preview window.
//
// The stream comes through a CWriteTap: a port puts the bytes it writes
// (SetWriteTap), or the window puts the bytes it wants to see. The thread
// takes what the tap holds, feeds it to a CReceiptPrinter and hands each
// finished receipt, and now and then the receipt still on the paper, to the
// window thread as a PreviewBatch (a queued call that emits `rendered` there).
// Nothing on the writers' side waits for it: when the thread falls behind by
// more than the tap holds, the tap drops bytes and the next receipt carries a
// row saying how many were skipped; rendering starts afresh after the gap.
//
// The window thread calls every public function; the thread only touches the
// tap, its own printer and the stop flag.
#pragma once

#include "port/writetap.h"
#include "receipt/receiptprinter.h"

#include <QObject>
#include <QThread>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// One row of a receipt's report: a command the printer did not print, or a
// gap of bytes the preview had no time for (issue empty, `skipped` > 0).
struct PreviewRow
{
    uint64_t offset = 0; // from the start of the roll
    std::vector<uint8_t> bytes;
    std::optional<Receipt::Issue> issue;
    uint64_t skipped = 0;
};

struct PreviewReceipt
{
    QImage image; // null for a report with nothing printed yet
    std::vector<PreviewRow> rows;
};

struct PreviewBatch
{
    int generation = 0; // of the roll it belongs to (Clear starts a new one)
    std::vector<PreviewReceipt> finished;
    bool openChanged = false;
    PreviewReceipt open; // the receipt on the paper now; a null image when none
};

class CPreviewRenderer : public QObject
{
    Q_OBJECT

public:
    static constexpr std::size_t kLiveCapacity = 8u << 20;
    static constexpr auto kOpenReceiptInterval = std::chrono::milliseconds(100);

    explicit CPreviewRenderer(int paperWidth, std::size_t capacity = kLiveCapacity);
    ~CPreviewRenderer() override; // stops the thread

    // Where the bytes to render go; a port may hold it beyond this object.
    const std::shared_ptr<CWriteTap> &Tap() const { return m_tap; }

    void Start(QThread::Priority priority);
    // A new roll: what was put before is dropped, also batches on their way.
    void Clear();
    int Generation() const { return m_generation; }
    // The receipt on the paper ends; later bytes go on paper of `width` dots.
    void SetPaperWidth(int width);
    // The stream ends: an unfinished command is reported, the receipt ends.
    void EndOfInput();

signals:
    void rendered(const PreviewBatch &batch);

private:
    enum Mark : int
    {
        kMarkClear = -1,
        kMarkEnd = -2, // other marks are paper widths
    };
    struct Worker;

    void Run();

    std::shared_ptr<CWriteTap> m_tap;
    int m_paperWidth;
    int m_generation = 0; // window thread
    std::atomic<bool> m_stop{false};
    QThread *m_thread = nullptr; // owned; joined by the destructor
};
