#include "view/recv/historyfinder.h"

#include "view/recv/recvview.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

QString FoldAsciiCase(QString text)
{
    for (QChar &c : text)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    return text;
}

namespace {
std::span<const uint8_t> BytesIn(const std::vector<CRecvHistory::SharedPiece> &chunks,
                                 std::size_t from, std::size_t to, std::vector<uint8_t> &scratch)
{
    constexpr std::size_t kChunk = CRecvHistory::kChunkBytes;
    if ((to - 1) / kChunk == from / kChunk)
        return chunks[from / kChunk].bytes.subspan(from % kChunk, to - from);
    scratch.resize(to - from);
    for (std::size_t at = from; at < to;) {
        const std::span<const uint8_t> chunk = chunks[at / kChunk].bytes.subspan(at % kChunk);
        const std::size_t n = std::min(to - at, chunk.size());
        std::memcpy(scratch.data() + (at - from), chunk.data(), n);
        at += n;
    }
    return scratch;
}

// The chunks of `piece` that the piece after it does not start in go back
// to the system: a search through gigabytes of the file keeps about one
// chunk resident.
void DropPassedChunks(const CHistoryFinder::Request &request, std::size_t index)
{
    constexpr std::size_t kChunk = CRecvHistory::kChunkBytes;
    const CHistoryFinder::Piece &piece = request.plan[index];
    const bool last = index + 1 == request.plan.size();
    const std::size_t next = last ? SIZE_MAX : request.plan[index + 1].from / kChunk;
    const std::size_t end = (piece.to - 1) / kChunk + 1;
    for (std::size_t chunk = piece.from / kChunk; chunk < end; ++chunk) {
        const auto &record = request.bytes[chunk].record;
        if (record && (chunk < next || request.plan[index + 1].pass != piece.pass))
            record->DropPages();
    }
}
} // namespace

CHistoryFinder::~CHistoryFinder()
{
    ++m_generation;
    Join();
}

void CHistoryFinder::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void CHistoryFinder::Cancel()
{
    ++m_generation;
    m_busy = false;
}

void CHistoryFinder::Start(Request request)
{
    const unsigned generation = ++m_generation;
    Join(); // the previous search ends at its next piece
    m_busy = true;
    m_thread =
        std::thread([this, generation, request = std::move(request)] { Run(request, generation); });
}

// Results go through the event loop and are dropped there when the search
// was cancelled meanwhile.
void CHistoryFinder::Run(const Request &request, unsigned generation)
{
    std::vector<uint8_t> scratch;
    const auto deliver = [this, generation](std::size_t from, std::size_t to, int pass) {
        QMetaObject::invokeMethod(this, [this, generation, from, to, pass] {
            if (generation != m_generation)
                return;
            m_busy = false;
            emit Finished(from, to, pass);
        });
    };
    int shown = -1;
    for (std::size_t i = 0; i < request.plan.size(); ++i) {
        if (generation != m_generation)
            return;
        std::size_t from = 0;
        std::size_t to = 0;
        if (Search(request, request.plan[i], scratch, from, to))
            return deliver(from, to, request.plan[i].pass);
        DropPassedChunks(request, i);
        const int percent = int((i + 1) * 100 / request.plan.size());
        if (percent != shown)
            QMetaObject::invokeMethod(this, [this, generation, percent] {
                if (generation == m_generation)
                    emit Progress(percent);
            });
        shown = percent;
    }
    deliver(0, 0, -1);
}

bool CHistoryFinder::Search(const Request &request, const Piece &piece,
                            std::vector<uint8_t> &scratch, std::size_t &from, std::size_t &to) const
{
    const std::span<const uint8_t> bytes = BytesIn(request.bytes, piece.from, piece.to, scratch);
    const QString rendered = CRecvView::RenderBytes(bytes, request.hex, request.page);
    const QString needle = request.matchCase ? request.text : FoldAsciiCase(request.text);
    const qsizetype at = (request.matchCase ? rendered : FoldAsciiCase(rendered)).indexOf(needle);
    if (at < 0)
        return false;
    // The unit that holds the first character, and the one after the last.
    const CodePageRules &rules = RulesOf(request.page);
    qsizetype chars = 0;
    from = to = piece.from;
    for (std::size_t p = 0; p < bytes.size();) {
        // A hex byte is its two digits and the separator.
        const std::size_t length =
            request.hex ? 1 : CRecvHistory::UnitLengthOf(rules, bytes.subspan(p));
        const qsizetype count =
            request.hex
                ? 3
                : CRecvView::RenderBytes(bytes.subspan(p, length), false, request.page).size();
        if (chars + count <= at)
            from = piece.from + p + length;
        chars += count;
        p += length;
        to = piece.from + p;
        if (chars >= at + needle.size())
            break;
    }
    return true;
}
