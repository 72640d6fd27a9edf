// CWriteTap: a copy of the bytes a port writes, for a reader on another
// thread (the receipt preview's renderer).
//
// Writers (the window thread's Write, the file thread's chunks) only append
// to a buffer under a short lock and never wait for the reader. The buffer is
// bounded: bytes that would take it past its capacity are not kept but
// counted, and the reader learns how many were skipped at that point of the
// stream. The reader may also put marks into the stream (a cleared roll, a
// new paper width); marks are never dropped.
//
// Any thread may Put; one reader thread calls Take; Close from any thread
// wakes the reader for good.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

class CWriteTap
{
public:
    // One stretch of the stream: `skipped` bytes that were not kept, then
    // `bytes`; or a mark (mark != 0, no bytes).
    struct Segment
    {
        uint64_t skipped = 0;
        std::vector<uint8_t> bytes;
        int mark = 0;
    };

    explicit CWriteTap(std::size_t capacity) : m_capacity(capacity) {}

    // Any thread; never waits for the reader.
    void Put(const uint8_t *bytes, std::size_t length);
    // A mark after everything put so far; `mark` must not be 0.
    void Mark(int mark);
    // Waits until `timeout` passed or the tap closed (or, with `wakeOnPut`,
    // until something is queued), then hands over everything queued, oldest
    // first. A reader that polls while bytes flow asks not to be woken: a
    // wake per write would cost a writer a system call per write.
    std::deque<Segment> Take(std::chrono::milliseconds timeout, bool wakeOnPut);
    void Close();

private:
    static constexpr std::size_t kBlockBytes = 64 * 1024;

    // The last segment when it takes `length` more bytes, else a new one.
    Segment &OpenSegment(std::size_t length);
    void Queued(std::unique_lock<std::mutex> &lock);

    const std::size_t m_capacity;
    std::mutex m_mutex; // guards everything below
    std::condition_variable m_ready;
    std::deque<Segment> m_segments;
    std::size_t m_queuedBytes = 0;
    bool m_closed = false;
    bool m_wakeOnPut = false; // the reader waits for the next write
    bool m_marked = false;    // a mark came since the last Take
};
