// What the receive area shows and when: the receive view and the two
// counters are brought up to date on a short single-shot timer, so a burst of
// reads costs one update and the display is exact soon after the window
// thread goes idle; and receiving paused, with bytes left waiting in the port.
//
// Window thread only.
#pragma once

#include <QElapsedTimer>
#include <QTimer>

class CRecvView;
class CViewCounters;
class QLineEdit;

class CReceiveDisplay
{
public:
    explicit CReceiveDisplay(const CViewCounters &counters);

    // The controls it keeps up to date; before the first Schedule.
    void Attach(CRecvView *box, QLineEdit *recvCount, QLineEdit *sendCount);
    void Schedule();
    // Bytes were appended to the box: the next update shows the end.
    void NoteRead();
    void Update();

    bool IsPaused() const { return m_bRecvPaused; }
    // Pausing and continuing both forget bytes noted as waiting.
    void SetPaused(bool paused);
    // Bytes have arrived: true when they are to be read now. While paused
    // they stay in the port and are noted as waiting.
    bool ReadNowOrDefer();
    bool HasWaitingBytes() const { return m_bRecvPending; }

private:
    const CViewCounters &m_counters;
    CRecvView *m_box = nullptr;
    QLineEdit *m_recvCount = nullptr;
    QLineEdit *m_sendCount = nullptr;
    bool m_bRecvPaused = false;
    bool m_bRecvPending = false;
    bool m_bScrollRecvToEnd = false; // a read came since the last update
    QTimer m_displayTimer;
    QElapsedTimer m_sinceDisplay; // since the last update
};
