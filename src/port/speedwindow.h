// The speed a file transfer shows: bytes per millisecond over the last one
// to two seconds of wall time.
//
// The port's writes finish when the system has taken the bytes, not when
// the peer has them: the first writes of a transfer fill the socket's or the
// driver's buffers at memory speed (megabytes in milliseconds on a
// loopback connection). The first second, which holds that burst, is left
// out: the speed is known from the end of the second second on. A pass that
// ends before then shows the average since the start (Average).
//
// Plain value type; the file thread owns it.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

class CSpeedWindow
{
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kWindow{1000};

    void Start(Clock::time_point now)
    {
        m_start = m_next = {now, 0};
        m_first = now;
        m_windows = 0;
    }

    // `total`: the bytes written since Start. The speed over the last one to
    // two windows, or nothing before two windows have passed since Start.
    std::optional<uint32_t> Update(Clock::time_point now, uint64_t total)
    {
        if (now - m_next.at >= kWindow) {
            m_start = m_next;
            m_next = {now, total};
            ++m_windows;
        }
        if (m_windows < 2)
            return std::nullopt; // the window still starts at the burst
        const auto span = std::chrono::duration_cast<std::chrono::milliseconds>(now - m_start.at);
        return uint32_t((total - m_start.bytes) / uint64_t(span.count()));
    }

    // The average since Start, burst included (0 within the first millisecond).
    uint32_t Average(Clock::time_point now, uint64_t total) const
    {
        const auto span = std::chrono::duration_cast<std::chrono::milliseconds>(now - m_first);
        return span.count() > 0 ? uint32_t(total / uint64_t(span.count())) : 0;
    }

private:
    struct Sample
    {
        Clock::time_point at;
        uint64_t bytes = 0;
    };
    Sample m_start, m_next;
    Clock::time_point m_first; // of Start
    int m_windows = 0;         // windows begun since Start
};
