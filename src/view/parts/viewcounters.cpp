#include "view/parts/viewcounters.h"

#include <utility>

void CViewCounters::NoteReceived(uint32_t count, bool counting)
{
    if (counting)
        m_nRecvCount += count;
}

void CViewCounters::BeginWrite(uint32_t count, bool counting)
{
    m_nPendingSendCount = counting ? int32_t(count) : 0;
}

void CViewCounters::EndWrite(bool counting, bool delivered)
{
    if (counting && delivered)
        m_nSendCount += m_nPendingSendCount;
    m_nPendingSendCount = 0;
}

bool CViewCounters::TakeFocusAfterWrite()
{
    return std::exchange(m_bFocusAfterWrite, false);
}
