#include "port/writetap.h"

#include <utility>

CWriteTap::Segment &CWriteTap::OpenSegment()
{
    if (m_segments.empty() || m_segments.back().mark != 0)
        m_segments.emplace_back();
    return m_segments.back();
}

// The reader is woken only when the queue turns non-empty: it takes
// everything at once, so one wake per batch is enough and a busy writer
// makes no system call per write.
void CWriteTap::Queued(std::unique_lock<std::mutex> &lock, bool wasEmpty)
{
    lock.unlock();
    if (wasEmpty)
        m_ready.notify_one();
}

void CWriteTap::Put(const uint8_t *bytes, std::size_t length)
{
    if (length == 0)
        return;
    std::unique_lock lock(m_mutex);
    if (m_closed)
        return;
    const bool wasEmpty = m_segments.empty();
    if (m_queuedBytes + length > m_capacity) {
        Segment &last = OpenSegment();
        if (!last.bytes.empty())
            m_segments.emplace_back(); // the skip comes after the bytes kept
        m_segments.back().skipped += length;
    } else {
        Segment &last = OpenSegment();
        last.bytes.insert(last.bytes.end(), bytes, bytes + length);
        m_queuedBytes += length;
    }
    Queued(lock, wasEmpty);
}

void CWriteTap::Mark(int mark)
{
    std::unique_lock lock(m_mutex);
    const bool wasEmpty = m_segments.empty();
    m_segments.push_back({0, {}, mark});
    Queued(lock, wasEmpty);
}

std::deque<CWriteTap::Segment> CWriteTap::Take(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    m_ready.wait_for(lock, timeout, [this] { return m_closed || !m_segments.empty(); });
    m_queuedBytes = 0;
    return std::exchange(m_segments, {});
}

void CWriteTap::Close()
{
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
    }
    m_ready.notify_all();
}

bool CWriteTap::IsClosed() const
{
    std::lock_guard lock(m_mutex);
    return m_closed;
}
