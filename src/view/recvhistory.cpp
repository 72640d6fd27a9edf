#include "view/recvhistory.h"

#include "convert/convert.h"

#include <algorithm>
#include <cstring>

void CRecvHistory::Append(const uint8_t *bytes, std::size_t count, qint64 arrivalMs)
{
    if (count == 0)
        return;
    if (m_arrivals.empty() || m_arrivals.back().ms != arrivalMs)
        m_arrivals.push_back({m_size, arrivalMs});
    while (count > 0) {
        const std::size_t used = m_size & (kChunkBytes - 1);
        if (used == 0 && m_size >> kChunkBits == m_chunks.size())
            m_chunks.push_back(std::make_unique_for_overwrite<uint8_t[]>(kChunkBytes));
        const std::size_t n = std::min(count, kChunkBytes - used);
        std::memcpy(m_chunks[m_size >> kChunkBits].get() + used, bytes, n);
        m_size += n;
        bytes += n;
        count -= n;
    }
}

void CRecvHistory::Clear()
{
    std::vector<std::unique_ptr<uint8_t[]>>().swap(m_chunks);
    std::vector<Arrival>().swap(m_arrivals);
    m_size = 0;
    m_lineStarts.assign(1, 0);
    m_lineStarts.shrink_to_fit();
    m_oddRunAtAnchor.assign(1, 0);
    m_oddRunAtAnchor.shrink_to_fit();
    m_indexed = 0;
}

std::span<const uint8_t> CRecvHistory::Range(std::size_t from, std::size_t to,
                                             std::vector<uint8_t> &scratch) const
{
    if (from >= to)
        return {};
    const std::size_t chunk = from >> kChunkBits;
    if ((to - 1) >> kChunkBits == chunk)
        return {m_chunks[chunk].get() + (from & (kChunkBytes - 1)), to - from};
    scratch.resize(to - from);
    for (std::size_t at = from; at < to;) {
        const std::size_t offset = at & (kChunkBytes - 1);
        const std::size_t n = std::min(to - at, kChunkBytes - offset);
        std::memcpy(scratch.data() + (at - from), m_chunks[at >> kChunkBits].get() + offset, n);
        at += n;
    }
    return scratch;
}

std::vector<std::span<const uint8_t>> CRecvHistory::Pieces() const
{
    std::vector<std::span<const uint8_t>> pieces;
    for (std::size_t at = 0; at < m_size; at += kChunkBytes)
        pieces.emplace_back(m_chunks[at >> kChunkBits].get(), std::min(kChunkBytes, m_size - at));
    return pieces;
}

void CRecvHistory::IndexLineStarts(std::size_t from, std::size_t to)
{
    while (from < to) {
        const uint8_t *chunk = m_chunks[from >> kChunkBits].get();
        const std::size_t base = from & ~(kChunkBytes - 1);
        const uint8_t *end = chunk + std::min(to - base, kChunkBytes);
        for (const uint8_t *p = chunk + (from - base);
             (p = static_cast<const uint8_t *>(std::memchr(p, '\n', std::size_t(end - p))));)
            m_lineStarts.push_back(base + std::size_t(++p - chunk));
        from = base + std::size_t(end - chunk);
    }
}

std::size_t CRecvHistory::IndexNew()
{
    const std::size_t from = m_indexed;
    IndexLineStarts(from, m_size);
    m_indexed = m_size;
    // Each anchor looks back at most one anchor spacing, so this work is
    // bounded by the bytes appended.
    for (std::size_t anchor = m_oddRunAtAnchor.size() * kAnchorBytes; anchor <= m_size;
         anchor += kAnchorBytes)
        m_oddRunAtAnchor.push_back(OddLeadRunBefore(anchor) ? 1 : 0);
    return m_size - from;
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
// characters are taken from the last byte below 0x40, which no character
// continues past.
std::size_t CRecvHistory::CharStartCovering(std::size_t offset) const
{
    if (m_rules->kind == SequenceKind::DoubleByte) {
        std::size_t p = offset;
        while (p > 0 && At(p - 1) >= 0x40)
            --p;
        while (p + CharLengthAt(p) <= offset)
            p += CharLengthAt(p);
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
    const auto after = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), offset);
    return *(after - 1);
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
    const auto next = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), start);
    const std::size_t lineEnd = next == m_lineStarts.end() ? size : *next;
    const std::size_t anchor = (start / kAnchorBytes + 1) * kAnchorBytes;
    const std::size_t anchorEnd = anchor < size ? UnitBoundaryFrom(anchor) : size;
    return std::min({lineEnd, anchorEnd, size});
}

std::vector<CRecvHistory::Arrival>::const_iterator CRecvHistory::ReadAfter(std::size_t offset) const
{
    return std::upper_bound(
        m_arrivals.begin(), m_arrivals.end(), offset,
        [](std::size_t at, const Arrival &arrival) { return at < arrival.offset; });
}

qint64 CRecvHistory::ArrivalOf(std::size_t offset) const
{
    const auto after = ReadAfter(offset);
    return after == m_arrivals.begin() ? 0 : (after - 1)->ms;
}

std::size_t CRecvHistory::ReadStartOf(std::size_t offset) const
{
    const auto after = ReadAfter(offset);
    return after == m_arrivals.begin() ? 0 : (after - 1)->offset;
}

std::size_t CRecvHistory::ReadEndOf(std::size_t offset) const
{
    const auto after = ReadAfter(offset);
    return after == m_arrivals.end() ? m_size : after->offset;
}
