#include "view/parts/receivedisplay.h"

#include "view/parts/viewcounters.h"
#include "view/recv/recvview.h"

#include <QLineEdit>

#include <algorithm>

namespace {
// Updates are at least this far apart while bytes stream in; after a quiet
// spell the first one comes at once.
constexpr qint64 kDisplayGapMs = 15;
} // namespace

CReceiveDisplay::CReceiveDisplay(const CViewCounters &counters) : m_counters(counters)
{
    m_displayTimer.setSingleShot(true);
    m_sinceDisplay.start();
    QObject::connect(&m_displayTimer, &QTimer::timeout, &m_displayTimer, [this] { Update(); });
}

void CReceiveDisplay::Attach(CRecvView *box, QLineEdit *recvCount, QLineEdit *sendCount)
{
    m_box = box;
    m_recvCount = recvCount;
    m_sendCount = sendCount;
}

void CReceiveDisplay::Schedule()
{
    if (!m_displayTimer.isActive())
        m_displayTimer.start(
            int(std::clamp<qint64>(kDisplayGapMs - m_sinceDisplay.elapsed(), 0, kDisplayGapMs)));
}

void CReceiveDisplay::NoteRead()
{
    m_bScrollRecvToEnd = true;
    Schedule();
}

void CReceiveDisplay::Update()
{
    m_recvCount->setText(QString::number(m_counters.Received()));
    m_sendCount->setText(QString::number(m_counters.Sent()));
    m_box->Refresh(m_bScrollRecvToEnd);
    m_bScrollRecvToEnd = false;
    m_sinceDisplay.start();
}

void CReceiveDisplay::SetPaused(bool paused)
{
    m_bRecvPaused = paused;
    m_bRecvPending = false;
}

bool CReceiveDisplay::ReadNowOrDefer()
{
    if (m_bRecvPaused)
        m_bRecvPending = true;
    return !m_bRecvPaused;
}
