// The receive and send counters and the write in progress.
//
// A write's bytes are counted when the port reports it done, and only when
// counting was on both at its start and at its end and the bytes reached the
// printer; a write that is refused or ends leaves nothing behind for the next.
#pragma once

#include <cstdint>

class CViewCounters
{
public:
    // 64 bits: a history of days passes 2 GiB.
    int64_t Received() const { return m_nRecvCount; }
    int32_t Sent() const { return m_nSendCount; }

    void NoteReceived(uint32_t count, bool counting);
    void BeginWrite(uint32_t count, bool counting);
    void WriteRefused() { m_nPendingSendCount = 0; }
    void EndWrite(bool counting, bool delivered);
    void ClearReceived() { m_nRecvCount = 0; }
    void ClearSent() { m_nSendCount = 0; }

    // The send button takes the focus back once the write it started is done.
    void SetFocusAfterWrite(bool focus) { m_bFocusAfterWrite = focus; }
    // Whether it does for the write just done; asked once per write.
    bool TakeFocusAfterWrite();

private:
    int64_t m_nRecvCount = 0;
    int32_t m_nSendCount = 0;
    int32_t m_nPendingSendCount = 0; // bytes of the write in progress, when counted
    bool m_bFocusAfterWrite = false;
};
