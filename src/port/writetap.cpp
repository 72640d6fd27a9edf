#include "port/writetap.h"

#include <algorithm>
#include <utility>

// Bytes go into blocks of kBlockBytes reserved at once: a block never moves
// while it fills, and blocks of that size come back from the heap's free
// lists rather than as fresh pages.
CWriteTap::Segment &CWriteTap::OpenSegment(std::size_t length)
{
    if (m_segments.empty() || m_segments.back().mark != 0 ||
        m_segments.back().bytes.size() + length > kBlockBytes) {
        m_segments.emplace_back();
        m_segments.back().bytes.reserve(std::max(length, kBlockBytes));
    }
    return m_segments.back();
}

// Only a reader that asked for it is woken, once.
void CWriteTap::Queued(std::unique_lock<std::mutex> &lock)
{
    const bool wake = std::exchange(m_wakeOnPut, false);
    lock.unlock();
    if (wake)
        m_ready.notify_one();
}

void CWriteTap::Put(const uint8_t *bytes, std::size_t length)
{
    if (length == 0)
        return;
    std::unique_lock lock(m_mutex);
    if (m_closed)
        return;
    if (m_queuedBytes + length > m_capacity) {
        if (m_segments.empty() || m_segments.back().mark != 0 || !m_segments.back().bytes.empty())
            m_segments.emplace_back(); // the skip comes after the bytes kept
        m_segments.back().skipped += length;
    } else {
        Segment &last = OpenSegment(length);
        last.bytes.insert(last.bytes.end(), bytes, bytes + length);
        m_queuedBytes += length;
    }
    Queued(lock);
}

// Marks come from the window and are rare: the reader always hears of them.
void CWriteTap::Mark(int mark)
{
    {
        std::lock_guard lock(m_mutex);
        m_segments.push_back({0, {}, mark});
        m_marked = true;
    }
    m_ready.notify_one();
}

std::deque<CWriteTap::Segment> CWriteTap::Take(std::chrono::milliseconds timeout, bool wakeOnPut)
{
    std::unique_lock lock(m_mutex);
    m_wakeOnPut = wakeOnPut && m_segments.empty();
    m_ready.wait_for(lock, timeout, [this, wakeOnPut] {
        return m_closed || m_marked || (wakeOnPut && !m_segments.empty());
    });
    m_wakeOnPut = false;
    m_marked = false;
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
