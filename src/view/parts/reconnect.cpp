#include "view/parts/reconnect.h"

#include "view/parts/viewsettings.h"

#include <QCheckBox>

CReconnect::CReconnect(QCheckBox *option, Attempt attempt, QObject *parent)
    : QObject(parent), m_option(option), m_attempt(std::move(attempt))
{
    m_option->setChecked(CViewSettings::AutoReconnect());
    connect(m_option, &QCheckBox::toggled, this, &CViewSettings::SetAutoReconnect);
    m_timer.setObjectName(QStringLiteral("reconnectTimer"));
    m_timer.setParent(this);
    m_timer.setInterval(kRetryMs);
    connect(&m_timer, &QTimer::timeout, this, &CReconnect::OnTick);
    m_hold.setSingleShot(true);
    m_hold.setInterval(kHoldMs);
    connect(&m_hold, &QTimer::timeout, this, &CReconnect::NoteData);
}

bool CReconnect::Enabled() const
{
    return m_option->isChecked();
}

void CReconnect::Start(bool transferRunning)
{
    m_hold.stop();
    if (m_held) {
        m_attempts = 0;
        m_quickLosses = 0;
    } else {
        ++m_quickLosses;
    }
    m_held = false;
    m_transferCutOff = transferRunning || m_transferFailed;
    m_transferFailed = false;
    m_timer.start();
}

void CReconnect::OnTick()
{
    if (m_attempt(m_attempts + 1))
        ++m_attempts;
}

void CReconnect::NoteOpenedByUser()
{
    m_hold.stop();
    m_held = true;
}

void CReconnect::NoteReopened()
{
    Stop();
    m_hold.start();
}

void CReconnect::NoteData()
{
    m_hold.stop();
    m_held = true;
}
