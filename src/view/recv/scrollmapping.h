// CScrollMapping: a scroll bar's int range over positions counted in 64 bits.
// Up to the bar's limit a position is its own value; beyond it the bar is
// scaled, its ends map to the ends exactly, and every bar value maps to a
// position that maps back to that value, so a drag never jumps.
#pragma once

#include <climits>
#include <cstdint>

class CScrollMapping
{
public:
    explicit CScrollMapping(uint64_t last = 0, int barLimit = INT_MAX);

    uint64_t Last() const { return m_last; }
    int BarMaximum() const { return m_barMaximum; }
    int ToBar(uint64_t position) const;
    uint64_t FromBar(int value) const;

private:
    uint64_t m_last;
    int m_barMaximum;
};
