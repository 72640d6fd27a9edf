#include "view/recv/scrollmapping.h"

#include <algorithm>

// Products of a position and a bar value need 95 bits.
__extension__ typedef unsigned __int128 Wide;

CScrollMapping::CScrollMapping(uint64_t last, int barLimit)
    : m_last(last), m_barMaximum(int(std::min<uint64_t>(last, uint64_t(std::max(1, barLimit)))))
{
}

// Rounded up, and FromBar down: FromBar(v) * max / last lies in (v - 1, v],
// so ToBar(FromBar(v)) == v.
int CScrollMapping::ToBar(uint64_t position) const
{
    position = std::min(position, m_last);
    if (m_last == uint64_t(m_barMaximum))
        return int(position);
    const Wide scaled = Wide(position) * uint64_t(m_barMaximum);
    return int((scaled + m_last - 1) / m_last);
}

uint64_t CScrollMapping::FromBar(int value) const
{
    value = std::clamp(value, 0, m_barMaximum);
    if (m_last == uint64_t(m_barMaximum))
        return uint64_t(value);
    return uint64_t(Wide(value) * m_last / uint64_t(m_barMaximum));
}
