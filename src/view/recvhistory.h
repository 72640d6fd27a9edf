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
//
// Window thread only.
#pragma once

#include "convert/codepagerules.h"

#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class CRecvHistory
{
public:
    static constexpr std::size_t kAnchorBytes = 8192; // even, see OddLeadRunBefore
    static constexpr unsigned kChunkBits = 20;

    void Append(const uint8_t *bytes, std::size_t count, qint64 arrivalMs);
    void Clear();
    std::size_t Size() const { return m_size; }
    uint8_t At(std::size_t offset) const
    {
        return m_chunks[offset >> kChunkBits][offset & (kChunkBytes - 1)];
    }
    // Bytes [from, to) in one piece: in place when they lie in one chunk,
    // else copied into `scratch`.
    std::span<const uint8_t> Range(std::size_t from, std::size_t to,
                                   std::vector<uint8_t> &scratch) const;
    // The whole history in order, one span per chunk.
    std::vector<std::span<const uint8_t>> Pieces() const;

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

private:
    struct Arrival
    {
        std::size_t offset;
        qint64 ms;
    };

    static constexpr std::size_t kChunkBytes = std::size_t(1) << kChunkBits;

    std::vector<Arrival>::const_iterator ReadAfter(std::size_t offset) const;
    bool SplitsUnit(std::size_t offset) const;
    bool OddLeadRunBefore(std::size_t offset) const;
    void IndexLineStarts(std::size_t from, std::size_t to);
    bool IsGbk() const { return m_rules->kind == SequenceKind::Gbk; }
    std::size_t CharLengthAt(std::size_t offset) const;
    std::size_t CharStartCovering(std::size_t offset) const;

    std::vector<std::unique_ptr<uint8_t[]>> m_chunks;
    std::size_t m_size = 0;
    std::vector<std::size_t> m_lineStarts{0}; // ascending; a start after every LF
    std::vector<uint8_t> m_oddRunAtAnchor{0}; // per anchor k: lead run before k*kAnchorBytes is odd
    std::vector<Arrival> m_arrivals;
    std::size_t m_indexed = 0;
    const CodePageRules *m_rules = &GbkRules();
};
