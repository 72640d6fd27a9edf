#include "view/recv/recvhistory.h"

#include "convert/convert.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <sys/resource.h>
#include <unistd.h>

namespace {
std::size_t BudgetFromEnvironment()
{
    bool ok = false;
    const qint64 megabytes = qEnvironmentVariableIntValue("TARVIK_RECV_MEMORY_MB", &ok);
    return ok && megabytes > 0 ? std::size_t(megabytes) << 20 : CRecvHistory::kDefaultBudget;
}

// Writing chunks out is background work: on a busy machine the window
// thread, which reads the port and draws, goes first. The budget absorbs a
// writer that falls behind for a while.
void YieldToTheWindow()
{
    constexpr int kBackgroundNice = 10;
    constexpr int kLowest = 19;
    const auto thread = id_t(::gettid());
    const int nice = ::getpriority(PRIO_PROCESS, thread);
    ::setpriority(PRIO_PROCESS, thread, std::min(kLowest, nice + kBackgroundNice));
}

template <typename T> std::span<const uint8_t> BytesOf(const std::vector<T> &items)
{
    return {reinterpret_cast<const uint8_t *>(items.data()), items.size() * sizeof(T)};
}
} // namespace

CRecvHistory::CRecvHistory() : m_budget(BudgetFromEnvironment()) {}

void CRecvHistory::AddChunk()
{
    auto block = std::shared_ptr<uint8_t[]>(new uint8_t[kChunkBytes]);
    Chunk chunk;
    chunk.data = m_tail = block.get();
    chunk.owner = std::shared_ptr<const uint8_t>(block, block.get());
    m_chunks.push_back(std::move(chunk));
    m_resident += kChunkBytes;
}

// Reads within one millisecond share a mark; every chunk starts with one.
void CRecvHistory::NoteArrival(std::size_t offset, qint64 ms)
{
    Chunk &chunk = m_chunks[offset >> kChunkBits];
    const uint32_t inChunk = uint32_t(offset & (kChunkBytes - 1));
    if (inChunk != 0 && !chunk.arrivals.empty() && chunk.arrivals.back().ms == ms)
        return;
    chunk.arrivals.push_back({inChunk, 0, ms});
    m_resident += sizeof(ArrivalMark);
}

void CRecvHistory::Append(const uint8_t *bytes, std::size_t count, qint64 arrivalMs)
{
    if (count == 0)
        return;
    while (count > 0) {
        const std::size_t used = m_size & (kChunkBytes - 1);
        if (used == 0 && m_size >> kChunkBits == m_chunks.size())
            AddChunk();
        NoteArrival(m_size, arrivalMs);
        const std::size_t n = std::min(count, kChunkBytes - used);
        std::memcpy(m_tail + used, bytes, n);
        m_size += n;
        bytes += n;
        count -= n;
    }
}

CRecvHistory::~CRecvHistory()
{
    WaitForSpill();
}

// The task reads the chunks it writes.
void CRecvHistory::WaitForSpill()
{
    if (m_pendingSpill.valid())
        m_pendingSpill.wait();
}

void CRecvHistory::Clear()
{
    WaitForSpill();
    m_pendingSpill = {};
    std::vector<Chunk>().swap(m_chunks);
    m_tail = nullptr;
    std::vector<int64_t>().swap(m_lastLineFeedThrough);
    m_spillFile.reset();
    m_size = 0;
    m_oddRunAtAnchor.assign(1, 0);
    m_oddRunAtAnchor.shrink_to_fit();
    m_indexed = 0;
    m_resident = 0;
    m_spilledChunks = 0;
    m_spillStopped = false;
    m_dropped = 0;
}

std::span<const uint8_t> CRecvHistory::Range(std::size_t from, std::size_t to,
                                             std::vector<uint8_t> &scratch) const
{
    if (from >= to)
        return {};
    const std::size_t chunk = from >> kChunkBits;
    if ((to - 1) >> kChunkBits == chunk)
        return {m_chunks[chunk].data + (from & (kChunkBytes - 1)), to - from};
    scratch.resize(to - from);
    for (std::size_t at = from; at < to;) {
        const std::size_t offset = at & (kChunkBytes - 1);
        const std::size_t n = std::min(to - at, kChunkBytes - offset);
        std::memcpy(scratch.data() + (at - from), m_chunks[at >> kChunkBits].data + offset, n);
        at += n;
    }
    return scratch;
}

std::vector<std::span<const uint8_t>> CRecvHistory::Pieces() const
{
    std::vector<std::span<const uint8_t>> pieces;
    for (std::size_t at = 0; at < m_size; at += kChunkBytes)
        pieces.emplace_back(m_chunks[at >> kChunkBits].data, std::min(kChunkBytes, m_size - at));
    return pieces;
}

std::vector<CRecvHistory::SharedPiece> CRecvHistory::SharedPieces() const
{
    std::vector<SharedPiece> pieces;
    for (std::size_t at = 0; at < m_size; at += kChunkBytes) {
        const Chunk &chunk = m_chunks[at >> kChunkBits];
        pieces.push_back(
            {chunk.owner, {chunk.data, std::min(kChunkBytes, m_size - at)}, chunk.record});
    }
    return pieces;
}

void CRecvHistory::IndexLineFeeds(std::size_t from, std::size_t to)
{
    while (from < to) {
        Chunk &chunk = m_chunks[from >> kChunkBits];
        const std::size_t base = from & ~(kChunkBytes - 1);
        const uint8_t *end = chunk.data + std::min(to - base, kChunkBytes);
        const std::size_t before = chunk.lineFeeds.size();
        for (const uint8_t *p = chunk.data + (from - base);
             (p = static_cast<const uint8_t *>(std::memchr(p, '\n', std::size_t(end - p)))); ++p)
            chunk.lineFeeds.push_back(uint32_t(p - chunk.data));
        m_resident += (chunk.lineFeeds.size() - before) * sizeof(uint32_t);
        from = base + std::size_t(end - chunk.data);
        if (from == base + kChunkBytes) {
            const int64_t previous =
                m_lastLineFeedThrough.empty() ? -1 : m_lastLineFeedThrough.back();
            m_lastLineFeedThrough.push_back(
                chunk.lineFeeds.empty() ? previous : int64_t(base + chunk.lineFeeds.back()));
        }
    }
}

std::size_t CRecvHistory::IndexNew()
{
    const std::size_t from = m_indexed;
    IndexLineFeeds(from, m_size);
    m_indexed = m_size;
    // Each anchor looks back at most one anchor spacing, so this work is
    // bounded by the bytes appended.
    for (std::size_t anchor = m_oddRunAtAnchor.size() * kAnchorBytes; anchor <= m_size;
         anchor += kAnchorBytes)
        m_oddRunAtAnchor.push_back(OddLeadRunBefore(anchor) ? 1 : 0);
    const std::size_t scanned = m_size - from;
    DropOverLimit();
    SpillOverBudget();
    return scanned;
}

// Once chunks can no longer move to the file, the memory budget limits
// the history as the user's limit does: a logger left running over a full
// disk keeps its newest bytes in bounded memory instead of growing until
// the system runs out, and dropping the oldest chunks (those in the file
// first) gives their space on the disk back.
std::size_t CRecvHistory::LimitInForce() const
{
    if (!m_spillStopped)
        return m_keepLimit;
    return m_keepLimit == 0 ? m_budget : std::min(m_keepLimit, m_budget);
}

// Whole chunks go from the front, the chunk being filled never; offsets
// then count from the first byte kept.
void CRecvHistory::DropOverLimit()
{
    const std::size_t limit = LimitInForce();
    if (limit == 0 || m_size <= limit + kChunkBytes)
        return;
    const std::size_t count = std::min((m_size - limit) / kChunkBytes, m_chunks.size() - 1);
    if (count == 0)
        return;
    if (SpillInFlight())
        return; // the task reads chunks by their places; drop once it is done
    for (std::size_t i = 0; i < count; ++i)
        if (!m_chunks[i].spilled)
            m_resident -= ChunkMemory(m_chunks[i]);
    m_chunks.erase(m_chunks.begin(), m_chunks.begin() + std::ptrdiff_t(count));
    m_spilledChunks -= std::min(m_spilledChunks, count);
    const std::size_t bytes = count * kChunkBytes;
    m_lastLineFeedThrough.erase(m_lastLineFeedThrough.begin(),
                                m_lastLineFeedThrough.begin() + std::ptrdiff_t(count));
    for (int64_t &feed : m_lastLineFeedThrough)
        feed = feed < int64_t(bytes) ? -1 : feed - int64_t(bytes);
    m_size -= bytes;
    m_indexed -= bytes;
    m_dropped += bytes;
    const std::size_t anchors = bytes / kAnchorBytes;
    m_oddRunAtAnchor.erase(m_oddRunAtAnchor.begin(),
                           m_oddRunAtAnchor.begin() + std::ptrdiff_t(anchors));
    // The kept bytes now render from their first byte: a run of lead bytes
    // that reached back past it has a new parity as far as it goes.
    m_oddRunAtAnchor[0] = 0;
    for (std::size_t k = 1; k < m_oddRunAtAnchor.size(); ++k) {
        const uint8_t odd = OddLeadRunBefore(k * kAnchorBytes) ? 1 : 0;
        if (odd == m_oddRunAtAnchor[k])
            break;
        m_oddRunAtAnchor[k] = odd;
    }
}

// Whether the run of bytes 0x81..0xFE that ends just before `offset` is of
// odd length, so that its last byte pairs with a lead byte at `offset`. The
// walk stops at the anchor below; a run reaching it continues with the
// parity stored there (the spacing is even).
bool CRecvHistory::OddLeadRunBefore(std::size_t offset) const
{
    if (offset == 0)
        return false;
    const std::size_t floor = (offset - 1) / kAnchorBytes * kAnchorBytes;
    std::size_t p = offset;
    while (p > floor && IsGbkLeadByte(At(p - 1)))
        --p;
    const bool odd = ((offset - p) & 1) != 0;
    if (p > floor)
        return odd;
    return odd != (m_oddRunAtAnchor[floor / kAnchorBytes] != 0);
}

bool CRecvHistory::SplitsUnit(std::size_t offset) const
{
    if (offset == 0 || offset >= m_size)
        return false;
    const uint8_t before = At(offset - 1);
    const uint8_t at = At(offset);
    if (before == '\r' && at == '\n')
        return true;
    if (!IsGbk())
        return CharStartCovering(offset) != offset;
    return IsGbkLeadByte(at) && IsGbkLeadByte(before) && OddLeadRunBefore(offset);
}

std::size_t CRecvHistory::UnitBoundaryFrom(std::size_t offset) const
{
    if (!SplitsUnit(offset))
        return offset;
    if (IsGbk())
        return offset + 1;
    const std::size_t start = CharStartCovering(offset);
    return start == offset ? offset + 1 : start + CharLengthAt(start); // offset + 1: a CR LF
}

std::size_t CRecvHistory::UnitLength(std::size_t offset) const
{
    if (offset + 1 >= m_size)
        return 1;
    const uint8_t at = At(offset);
    const uint8_t next = At(offset + 1);
    if (at == '\r')
        return next == '\n' ? 2 : 1;
    if (!IsGbk())
        return CharLengthAt(offset);
    return IsGbkLeadByte(at) && IsGbkLeadByte(next) ? 2 : 1;
}

// The rule of UnitLength on bytes at hand, for a thread that has no history.
std::size_t CRecvHistory::UnitLengthOf(const CodePageRules &rules, std::span<const uint8_t> bytes)
{
    if (bytes.size() < 2)
        return 1;
    if (bytes[0] == '\r')
        return bytes[1] == '\n' ? 2 : 1;
    if (rules.kind != SequenceKind::Gbk)
        return std::max<std::size_t>(
            1, ShownCharLength(rules, bytes.first(std::min<std::size_t>(4, bytes.size()))));
    return IsGbkLeadByte(bytes[0]) && IsGbkLeadByte(bytes[1]) ? 2 : 1;
}

int64_t CRecvHistory::LineFeedBefore(std::size_t offset) const
{
    if (offset == 0)
        return -1;
    const std::size_t chunk = (offset - 1) >> kChunkBits;
    const std::size_t base = chunk << kChunkBits;
    const std::span<const uint32_t> feeds = m_chunks[chunk].LineFeeds();
    const auto after = std::upper_bound(feeds.begin(), feeds.end(), uint32_t(offset - 1 - base));
    if (after != feeds.begin())
        return int64_t(base + *(after - 1));
    return chunk == 0 ? -1 : m_lastLineFeedThrough[chunk - 1];
}

std::size_t CRecvHistory::LineFeedIn(std::size_t from, std::size_t to) const
{
    for (std::size_t at = from; at < to;) {
        const std::size_t base = at & ~(kChunkBytes - 1);
        const std::span<const uint32_t> feeds = m_chunks[at >> kChunkBits].LineFeeds();
        const auto found = std::lower_bound(feeds.begin(), feeds.end(), uint32_t(at - base));
        if (found != feeds.end())
            return std::min(to, base + *found);
        at = base + kChunkBytes;
    }
    return to;
}

// The bytes of the character at `offset` as the code page shows it, 1 for
// a byte shown on its own or escaped. A character may lie across chunks.
std::size_t CRecvHistory::CharLengthAt(std::size_t offset) const
{
    uint8_t bytes[4];
    const std::size_t count = std::min<std::size_t>(4, m_size - offset);
    for (std::size_t k = 0; k < count; ++k)
        bytes[k] = At(offset + k);
    return std::max<std::size_t>(1, ShownCharLength(*m_rules, {bytes, count}));
}

// The start of the character that holds byte `offset`. A UTF-8 character
// starts with a byte no other continues, so a look at the three bytes before
// suffices. A double-byte page's trail bytes may be lead bytes too, so the
// characters are counted from just after the last byte that starts no pair:
// alone or as a trail, it ends a character. Text without lead bytes (a long
// run of letters) is then not walked back to its start.
std::size_t CRecvHistory::CharStartCovering(std::size_t offset) const
{
    if (m_rules->kind == SequenceKind::DoubleByte) {
        std::size_t p = offset;
        while (p > 0 && m_rules->lengths[At(p - 1)] == 2)
            --p;
        for (std::size_t length; p + (length = CharLengthAt(p)) <= offset;)
            p += length;
        return p;
    }
    for (std::size_t back = 1; back <= 3 && back <= offset; ++back) {
        if (CharLengthAt(offset - back) > back)
            return offset - back;
    }
    return offset;
}

std::size_t CRecvHistory::LineStartAtOrBefore(std::size_t offset) const
{
    return std::size_t(LineFeedBefore(offset) + 1);
}

std::size_t CRecvHistory::SegmentStart(std::size_t offset) const
{
    const std::size_t line = LineStartAtOrBefore(offset);
    std::size_t anchor = offset - offset % kAnchorBytes;
    std::size_t start = UnitBoundaryFrom(anchor);
    if (start > offset)
        start = anchor >= kAnchorBytes ? UnitBoundaryFrom(anchor - kAnchorBytes) : 0;
    return std::max(line, start);
}

std::size_t CRecvHistory::SegmentEnd(std::size_t start) const
{
    const std::size_t size = m_size;
    const std::size_t anchor = (start / kAnchorBytes + 1) * kAnchorBytes;
    const std::size_t anchorEnd = anchor < size ? UnitBoundaryFrom(anchor) : size;
    const std::size_t lineFeed = LineFeedIn(start, anchorEnd);
    return lineFeed < anchorEnd ? lineFeed + 1 : anchorEnd;
}

// ---- arrival marks ----
//
// Every chunk starts with a mark; one that repeats the time of the mark
// before it continues that read into the chunk.

bool CRecvHistory::ContinuesRead(std::size_t chunk) const
{
    return chunk > 0 && chunk < m_chunks.size() &&
           m_chunks[chunk].Arrivals().front().ms == m_chunks[chunk - 1].Arrivals().back().ms;
}

// The first mark of the read that brought byte `offset` (< Size()).
CRecvHistory::MarkAt CRecvHistory::ReadMarkOf(std::size_t offset) const
{
    MarkAt at{offset >> kChunkBits, 0};
    const std::span<const ArrivalMark> marks = m_chunks[at.chunk].Arrivals();
    const auto after =
        std::upper_bound(marks.begin(), marks.end(), uint32_t(offset & (kChunkBytes - 1)),
                         [](uint32_t in, const ArrivalMark &mark) { return in < mark.offset; });
    at.index = std::size_t(after - marks.begin()) - 1;
    while (at.index == 0 && ContinuesRead(at.chunk)) {
        --at.chunk;
        at.index = m_chunks[at.chunk].Arrivals().size() - 1;
    }
    return at;
}

// The first mark after the read that brought byte `offset` (< Size()); its
// chunk is the number of chunks when that read is the last.
CRecvHistory::MarkAt CRecvHistory::ReadAfter(std::size_t offset) const
{
    MarkAt at{offset >> kChunkBits, 0};
    const std::span<const ArrivalMark> marks = m_chunks[at.chunk].Arrivals();
    at.index = std::size_t(
        std::upper_bound(marks.begin(), marks.end(), uint32_t(offset & (kChunkBytes - 1)),
                         [](uint32_t in, const ArrivalMark &mark) { return in < mark.offset; }) -
        marks.begin());
    while (at.index == m_chunks[at.chunk].Arrivals().size()) {
        if (++at.chunk == m_chunks.size())
            return {at.chunk, 0};
        at.index = ContinuesRead(at.chunk) ? 1 : 0;
    }
    return at;
}

qint64 CRecvHistory::ArrivalOf(std::size_t offset) const
{
    return offset >= m_size ? 0 : Mark(ReadMarkOf(offset)).ms;
}

std::size_t CRecvHistory::ReadStartOf(std::size_t offset) const
{
    if (m_size == 0)
        return 0;
    const MarkAt at = ReadMarkOf(std::min(offset, m_size - 1));
    return (at.chunk << kChunkBits) + Mark(at).offset;
}

std::size_t CRecvHistory::ReadEndOf(std::size_t offset) const
{
    if (offset >= m_size)
        return m_size;
    const MarkAt at = ReadAfter(offset);
    return at.chunk == m_chunks.size() ? m_size : (at.chunk << kChunkBits) + Mark(at).offset;
}

// ---- moving chunks to the file ----

QString CRecvHistory::SpillFolder() const
{
    return m_spillFolder.isEmpty() ? CSpillFile::DefaultFolder() : m_spillFolder;
}

std::size_t CRecvHistory::ChunkMemory(const Chunk &chunk) const
{
    return kChunkBytes + chunk.lineFeeds.size() * sizeof(uint32_t) +
           chunk.arrivals.size() * sizeof(ArrivalMark);
}

// The chunk being filled stays, and so does one not yet indexed. Chunks are
// written a few at a time by a task of their own (a write may wait for the
// disk); they change over to their records when it is done.
void CRecvHistory::SpillOverBudget()
{
    if (SpillInFlight())
        return;
    std::size_t count = 0;
    for (std::size_t resident = m_resident;
         !m_spillStopped && resident > m_budget && count < kSpillBatch &&
         m_spilledChunks + count + 1 < m_chunks.size() &&
         (m_spilledChunks + count + 1) * kChunkBytes <= m_indexed;
         ++count)
        resident -= ChunkMemory(m_chunks[m_spilledChunks + count]);
    if (count > 0)
        StartSpill(count);
}

// The window thread never waits for the task (its write may wait for the
// disk): a finished batch is adopted, one still running is left for a later
// call.
bool CRecvHistory::SpillInFlight()
{
    if (!m_pendingSpill.valid())
        return false;
    if (m_pendingSpill.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return true;
    AdoptSpilled(m_pendingSpill.get());
    return false;
}

// The record holds the bytes, the arrival marks, then the line feeds, each
// aligned for its type. The chunks stay as they are until adopted.
void CRecvHistory::StartSpill(std::size_t count)
{
    QString error;
    if (!m_spillFile)
        m_spillFile = CSpillFile::Create(SpillFolder(), error);
    if (!m_spillFile) {
        m_spillFailure = error;
        m_spillStopped = true;
        return;
    }
    std::vector<std::array<std::span<const uint8_t>, 3>> records;
    for (std::size_t i = 0; i < count; ++i) {
        const Chunk &chunk = m_chunks[m_spilledChunks + i];
        records.push_back(
            {{{chunk.data, kChunkBytes}, BytesOf(chunk.arrivals), BytesOf(chunk.lineFeeds)}});
    }
    m_pendingSpill = std::async(
        std::launch::async, [file = m_spillFile, records = std::move(records), done = m_spillDone] {
            YieldToTheWindow();
            SpillBatch batch;
            for (const auto &parts : records) {
                auto record = file->Append(parts, batch.error);
                if (!record)
                    break;
                batch.records.push_back(std::move(record));
            }
            if (done)
                done();
            return batch;
        });
}

void CRecvHistory::AdoptSpilled(SpillBatch batch)
{
    for (const std::shared_ptr<const CSpillRecord> &record : batch.records)
        Adopt(m_chunks[m_spilledChunks++], record);
    if (!batch.error.isEmpty()) {
        m_spillFailure = batch.error;
        m_spillStopped = true;
    }
}

void CRecvHistory::Adopt(Chunk &chunk, const std::shared_ptr<const CSpillRecord> &record)
{
    const uint8_t *arrivals = record->Data() + kChunkBytes;
    const uint8_t *feeds = arrivals + chunk.arrivals.size() * sizeof(ArrivalMark);
    chunk.spilledArrivals = {reinterpret_cast<const ArrivalMark *>(arrivals),
                             chunk.arrivals.size()};
    chunk.spilledLineFeeds = {reinterpret_cast<const uint32_t *>(feeds), chunk.lineFeeds.size()};
    m_resident -= ChunkMemory(chunk);
    std::vector<ArrivalMark>().swap(chunk.arrivals);
    std::vector<uint32_t>().swap(chunk.lineFeeds);
    chunk.owner = std::shared_ptr<const uint8_t>(record, record->Data());
    chunk.record = record;
    chunk.data = record->Data();
    chunk.spilled = true;
}
