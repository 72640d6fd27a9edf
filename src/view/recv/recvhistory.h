// CRecvHistory: every byte received since the last clear, the arrival time
// of each read, and an index of where the rendering of the bytes may start
// afresh, kept up to date one appended block at a time.
//
// The receive view draws rows from here without ever rendering the whole
// history: a row starts at a line start (after every LF, alone or after CR)
// or at one of the anchors placed every kAnchorBytes, moved past a double-
// byte pair or a CR LF they would split. Everything between two such
// boundaries (a segment) can be rendered on its own, so the work for any row
// is bounded by the anchor spacing, whatever came before.
//
// The bytes are kept in chunks of a fixed size, so that the history grows
// without ever being copied (a copy of tens of megabytes holds up the window).
// Each chunk carries its part of the line index (where its line feeds are)
// and of the arrival times. Beyond a memory budget the oldest finished
// chunks, with their parts of the index, move to an unlinked file
// (spillfile.h) and are read back through a mapping; a chunk moves only once
// it is indexed. When the file cannot be written (a full disk) the history
// stops moving chunks, reports that once, and from then on keeps the newest
// bytes within the budget, dropping the oldest as the keep limit does.
// Clear starts afresh, with a new file.
//
// Window thread only.
#pragma once

#include "convert/codepagerules.h"
#include "view/recv/spillfile.h"

#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <span>
#include <utility>
#include <vector>

class CRecvHistory
{
public:
    static constexpr std::size_t kAnchorBytes = 8192; // even, see OddLeadRunBefore
    static constexpr unsigned kChunkBits = 20;
    static constexpr std::size_t kChunkBytes = std::size_t(1) << kChunkBits;
    static constexpr std::size_t kDefaultBudget = std::size_t(64) << 20;

    // The budget starts from TARVIK_RECV_MEMORY_MB when it is set.
    CRecvHistory();
    ~CRecvHistory();
    CRecvHistory(const CRecvHistory &) = delete;
    CRecvHistory &operator=(const CRecvHistory &) = delete;

    void Append(const uint8_t *bytes, std::size_t count, qint64 arrivalMs);
    void Clear();
    std::size_t Size() const { return m_size; }
    uint8_t At(std::size_t offset) const
    {
        return m_chunks[offset >> kChunkBits].data[offset & (kChunkBytes - 1)];
    }
    // Bytes [from, to) in one piece: in place when they lie in one chunk,
    // else copied into `scratch`.
    std::span<const uint8_t> Range(std::size_t from, std::size_t to,
                                   std::vector<uint8_t> &scratch) const;
    // The whole history in order, one span per chunk.
    std::vector<std::span<const uint8_t>> Pieces() const;
    // The same, holding on to the bytes so that another thread may read
    // them whatever becomes of the history meanwhile.
    struct SharedPiece
    {
        std::shared_ptr<const uint8_t> owner;
        std::span<const uint8_t> bytes;
        std::shared_ptr<const CSpillRecord> record; // when in the file
    };
    std::vector<SharedPiece> SharedPieces() const;

    // Indexes the bytes appended since the last call; returns how many it
    // scanned. The queries below need an up-to-date index.
    std::size_t IndexNew();

    // The segment that holds byte `offset` (< Size()) starts here.
    std::size_t SegmentStart(std::size_t offset) const;
    // The segment that starts at `start` ends here (Size() at the latest).
    std::size_t SegmentEnd(std::size_t start) const;
    std::size_t LineStartAtOrBefore(std::size_t offset) const;
    // The smallest unit boundary at or after `offset`.
    std::size_t UnitBoundaryFrom(std::size_t offset) const;
    // Bytes of the unit that starts at `offset`: a double-byte pair or a CR
    // LF is 2, anything else 1. `offset` must be a unit boundary.
    std::size_t UnitLength(std::size_t offset) const;
    // The same rule, under `rules`, for the unit at the start of `bytes`
    // (not empty), which holds what follows it in the history.
    static std::size_t UnitLengthOf(const CodePageRules &rules, std::span<const uint8_t> bytes);

    // The code page whose characters are the units of the text notation:
    // GBK pairs until set, else the characters its rules show (1 to 4
    // bytes). The index serves every code page.
    void SetCodePage(const CodePageRules &rules) { m_rules = &rules; }

    // Milliseconds since the epoch at which the read that brought byte
    // `offset` arrived.
    qint64 ArrivalOf(std::size_t offset) const;
    // The first byte of the read that brought byte `offset`, and the first
    // byte after that read (Size() for the last). Reads within the same
    // millisecond count as one.
    std::size_t ReadStartOf(std::size_t offset) const;
    std::size_t ReadEndOf(std::size_t offset) const;

    // Bytes of chunks and their index held in memory before chunks move to
    // the file; applies from the next IndexNew.
    void SetMemoryBudget(std::size_t bytes) { m_budget = bytes; }
    std::size_t MemoryBudget() const { return m_budget; }
    // Where the file is made, from the next move on; empty: the default.
    void SetSpillFolder(const QString &folder) { m_spillFolder = folder; }
    QString SpillFolder() const;
    std::size_t MemoryInUse() const { return m_resident; }
    std::size_t SpilledBytes() const { return m_spilledChunks * kChunkBytes; }
    // Keep only about the last `bytes` (whole chunks are dropped from the
    // front once a chunk more is held); 0 keeps everything. Applies from the
    // next IndexNew, which renumbers the kept bytes from 0. After moving
    // chunks to the file failed, the memory budget limits the history too.
    void SetKeepLimit(std::size_t bytes) { m_keepLimit = bytes; }
    std::size_t KeepLimit() const { return m_keepLimit; }
    // Bytes dropped from the front since the last Clear.
    std::size_t DroppedBytes() const { return m_dropped; }

    // Called on the writing task's thread when chunks were written; the
    // next IndexNew puts them to use and moves more if need be.
    void SetSpillDone(std::function<void()> done) { m_spillDone = std::move(done); }
    // Why moving chunks to the file stopped, once: empty afterwards.
    QString TakeSpillFailure() { return std::exchange(m_spillFailure, QString()); }

private:
    struct ArrivalMark
    {
        uint32_t offset; // in the chunk
        uint32_t unused = 0;
        qint64 ms;
    };
    struct Chunk
    {
        std::shared_ptr<const uint8_t> owner; // the heap block or the spill record
        std::shared_ptr<const CSpillRecord> record;
        const uint8_t *data = nullptr;
        std::vector<uint32_t> lineFeeds; // offsets in the chunk, while in memory
        std::vector<ArrivalMark> arrivals;
        std::span<const uint32_t> spilledLineFeeds;
        std::span<const ArrivalMark> spilledArrivals;
        bool spilled = false;
        std::span<const uint32_t> LineFeeds() const
        {
            return spilled ? spilledLineFeeds : std::span<const uint32_t>(lineFeeds);
        }
        std::span<const ArrivalMark> Arrivals() const
        {
            return spilled ? spilledArrivals : std::span<const ArrivalMark>(arrivals);
        }
    };

    // Where an arrival mark is: its chunk and its place among the chunk's marks.
    struct MarkAt
    {
        std::size_t chunk;
        std::size_t index;
    };

    void AddChunk();
    void NoteArrival(std::size_t offset, qint64 ms);
    MarkAt ReadAfter(std::size_t offset) const;
    MarkAt ReadMarkOf(std::size_t offset) const;
    const ArrivalMark &Mark(MarkAt at) const { return m_chunks[at.chunk].Arrivals()[at.index]; }
    bool ContinuesRead(std::size_t chunk) const;
    bool SplitsUnit(std::size_t offset) const;
    bool OddLeadRunBefore(std::size_t offset) const;
    bool IsGbk() const { return m_rules->kind == SequenceKind::Gbk; }
    std::size_t CharLengthAt(std::size_t offset) const;
    std::size_t CharStartCovering(std::size_t offset) const;
    void IndexLineFeeds(std::size_t from, std::size_t to);
    // The last line feed before `offset`, or -1.
    int64_t LineFeedBefore(std::size_t offset) const;
    // The first line feed in [from, to), or `to`.
    std::size_t LineFeedIn(std::size_t from, std::size_t to) const;
    std::size_t ChunkMemory(const Chunk &chunk) const;
    struct SpillBatch
    {
        std::vector<std::shared_ptr<const CSpillRecord>> records;
        QString error; // why the batch ends early
    };
    static constexpr std::size_t kSpillBatch = 8;
    std::size_t LimitInForce() const;
    void DropOverLimit();
    bool SpillInFlight();
    void SpillOverBudget();
    void StartSpill(std::size_t count);
    void AdoptSpilled(SpillBatch batch);
    void Adopt(Chunk &chunk, const std::shared_ptr<const CSpillRecord> &record);
    void WaitForSpill();

    std::vector<Chunk> m_chunks;
    uint8_t *m_tail = nullptr; // the bytes of the last chunk
    std::size_t m_size = 0;
    std::vector<int64_t>
        m_lastLineFeedThrough;                // per indexed chunk: the last LF up to its end, or -1
    std::vector<uint8_t> m_oddRunAtAnchor{0}; // per anchor k: lead run before k*kAnchorBytes is odd
    std::size_t m_indexed = 0;
    std::size_t m_budget = kDefaultBudget;
    std::size_t m_keepLimit = 0;
    std::size_t m_dropped = 0;
    std::size_t m_resident = 0;      // memory of the chunks in memory
    std::size_t m_spilledChunks = 0; // the first ones
    bool m_spillStopped = false;
    QString m_spillFailure;
    QString m_spillFolder;
    std::shared_ptr<CSpillFile> m_spillFile;
    std::function<void()> m_spillDone;
    const CodePageRules *m_rules = &GbkRules();
    std::future<SpillBatch> m_pendingSpill; // last: it reads the chunks above
};
