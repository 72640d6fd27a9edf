#include "view/preview/previewrenderer.h"

#include <algorithm>

namespace {

constexpr std::size_t kFeedSlice = 16 * 1024; // between looks at the stop flag
constexpr auto kIdleWait = std::chrono::milliseconds(500);
constexpr auto kPollInterval = std::chrono::milliseconds(20);

PreviewReceipt FromReceipt(Receipt::Receipt receipt, uint64_t base)
{
    PreviewReceipt out{std::move(receipt.image), {}};
    for (Receipt::ReportEntry &entry : receipt.report)
        out.rows.push_back({base + entry.offset, std::move(entry.bytes), entry.issue, 0});
    return out;
}

} // namespace

// The thread's side: the printer of the stream now and what the next batch
// carries.
struct CPreviewRenderer::Worker
{
    Worker(CPreviewRenderer &renderer, int paperWidth) : owner(renderer), width(paperWidth) {}

    CPreviewRenderer &owner;
    int width;
    std::unique_ptr<Receipt::CReceiptPrinter> printer;
    uint64_t streamOffset = 0; // bytes of this roll so far, skipped ones too
    uint64_t printerBase = 0;  // where the printer's own offsets start
    int generation = 0;
    std::vector<PreviewRow> gapRows; // go with the next receipt
    PreviewBatch batch;
    bool fed = false; // bytes went in since the last look at the open receipt
    std::chrono::steady_clock::time_point lastLook{};
    std::chrono::steady_clock::time_point lastPublish{};

    void NewPrinter()
    {
        printer = std::make_unique<Receipt::CReceiptPrinter>(width);
        printerBase = streamOffset;
    }
    void Collect(bool ended)
    {
        for (Receipt::Receipt &receipt : printer->TakeReceipts())
            batch.finished.push_back(WithGaps(FromReceipt(std::move(receipt), printerBase)));
        if (ended && !gapRows.empty())
            batch.finished.push_back(WithGaps({}));
    }
    // The gaps' rows go with the receipt that follows them; a look at the
    // receipt still on the paper shows them and leaves them for its end.
    PreviewReceipt WithGaps(PreviewReceipt receipt, bool stillPrinting = false)
    {
        receipt.rows.insert(receipt.rows.begin(), gapRows.begin(), gapRows.end());
        if (!stillPrinting)
            gapRows.clear();
        return receipt;
    }
    void Skip(uint64_t count)
    {
        printer->Finish();
        Collect(false);
        gapRows.push_back({streamOffset, {}, std::nullopt, count});
        streamOffset += count;
        NewPrinter();
    }
    bool FeedBytes(const std::vector<uint8_t> &bytes)
    {
        for (std::size_t at = 0; at < bytes.size(); at += kFeedSlice) {
            if (owner.m_stop)
                return false;
            const std::size_t n = std::min(kFeedSlice, bytes.size() - at);
            printer->Feed(bytes.data() + at, n);
            streamOffset += n;
            fed = true;
        }
        return true;
    }
    void OnMark(int mark)
    {
        if (mark == kMarkClear) {
            batch = {};
            gapRows.clear();
            streamOffset = 0;
            ++generation;
            NewPrinter();
            fed = true;
            return;
        }
        printer->Finish();
        Collect(true);
        fed = true;
        if (mark != kMarkEnd) {
            width = mark;
            NewPrinter();
        }
    }
    bool Handle(CWriteTap::Segment &segment)
    {
        if (segment.mark != 0) {
            OnMark(segment.mark);
            return true;
        }
        if (segment.skipped)
            Skip(segment.skipped);
        return FeedBytes(segment.bytes);
    }
    // Looks at the receipt on the paper when bytes went in, at most every
    // kOpenReceiptInterval unless a receipt just ended.
    std::chrono::milliseconds LookAtPaper()
    {
        const std::size_t before = batch.finished.size();
        Collect(false);
        const auto now = std::chrono::steady_clock::now();
        const auto since = now - lastLook;
        if (fed && (batch.finished.size() > before || since >= kOpenReceiptInterval)) {
            batch.open = WithGaps(FromReceipt(printer->PeekReceipt(), printerBase), true);
            batch.openChanged = true;
            fed = false;
            lastLook = now;
        }
        if (!fed)
            return kIdleWait;
        return std::chrono::duration_cast<std::chrono::milliseconds>(kOpenReceiptInterval - since);
    }
    // At most one batch per kOpenReceiptInterval: the window's work per
    // batch stays the same however fast receipts come. Returns how long the
    // thread may wait before it has something to hand over.
    std::chrono::milliseconds Publish(std::chrono::milliseconds wait)
    {
        if (batch.finished.empty() && !batch.openChanged)
            return wait;
        const auto since = std::chrono::steady_clock::now() - lastPublish;
        if (since < kOpenReceiptInterval)
            return std::min(wait, std::chrono::duration_cast<std::chrono::milliseconds>(
                                      kOpenReceiptInterval - since));
        batch.generation = generation;
        QMetaObject::invokeMethod(
            &owner, [&owner = owner, batch = std::move(batch)] { emit owner.rendered(batch); },
            Qt::QueuedConnection);
        batch = {};
        lastPublish = std::chrono::steady_clock::now();
        return wait;
    }
};

CPreviewRenderer::CPreviewRenderer(int paperWidth, std::size_t capacity)
    : m_tap(std::make_shared<CWriteTap>(capacity)), m_paperWidth(paperWidth)
{
}

CPreviewRenderer::~CPreviewRenderer()
{
    m_stop = true;
    m_tap->Close();
    if (m_thread) {
        // An idle thread on a busy machine might not run for long: it is
        // raised so that it reaches its next look at the stop flag soon.
        if (m_thread->isRunning())
            m_thread->setPriority(QThread::NormalPriority);
        m_thread->wait();
        delete m_thread;
    }
}

void CPreviewRenderer::Start(QThread::Priority priority)
{
    m_thread = QThread::create([this] { Run(); });
    m_thread->start(priority);
}

void CPreviewRenderer::Clear()
{
    ++m_generation;
    m_tap->Mark(kMarkClear);
}

void CPreviewRenderer::SetPaperWidth(int width)
{
    m_tap->Mark(width);
}

void CPreviewRenderer::EndOfInput()
{
    m_tap->Mark(kMarkEnd);
}

void CPreviewRenderer::Run()
{
    Worker worker{*this, m_paperWidth};
    worker.NewPrinter();
    std::chrono::milliseconds wait = kIdleWait;
    bool flowing = false; // the last look found bytes: poll, and let writers be
    while (!m_stop) {
        std::deque<CWriteTap::Segment> segments =
            m_tap->Take(flowing ? std::min(wait, kPollInterval) : wait, !flowing);
        flowing = !segments.empty();
        if (m_stop)
            break; // closing the tap woke us for this
        for (CWriteTap::Segment &segment : segments)
            if (!worker.Handle(segment))
                return;
        wait = worker.Publish(worker.LookAtPaper());
    }
}
