#include "view/parts/autosend.h"

#include "stringtable.h"
#include "view/parts/viewstatus.h"
#include "viewmessages.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <climits>
#include <cstdlib>

CAutoSend::CAutoSend()
{
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { Tick(); });
}

void CAutoSend::Attach(QCheckBox *box, QLineEdit *interval, QPushButton *send,
                       std::function<void()> sendBox)
{
    m_box = box;
    m_interval = interval;
    m_send = send;
    m_sendBox = std::move(sendBox);
}

void CAutoSend::ConnectBox(CViewStatus &status)
{
    QObject::connect(m_box, &QCheckBox::clicked, &m_timer, [this, &status](bool checked) {
        if (!OnClicked(checked))
            status.ShowMessage(kStatusHint, IDS_INTERVAL_TOO_SHORT, kStatusDefaultTime);
    });
}

// Values beyond the timer's range saturate instead of wrapping into a short
// or negative interval.
int CAutoSend::ReadInterval(const QString &text)
{
    const QByteArray latin = text.toLatin1();
    const long value = std::strtol(latin.constData(), nullptr, 10);
    return int(std::clamp<long>(value, INT_MIN, INT_MAX));
}

bool CAutoSend::OnClicked(bool checked)
{
    if (!checked) {
        m_timer.stop();
        m_interval->setEnabled(true);
        return true;
    }
    const int interval = ReadInterval(m_interval->text());
    if (interval >= kMinIntervalMs) {
        m_timer.start(interval);
        m_interval->setEnabled(false);
        return true;
    }
    m_interval->selectAll();
    m_interval->setFocus();
    m_box->setChecked(false);
    return false;
}

void CAutoSend::Tick()
{
    if (m_send->isEnabled())
        m_sendBox();
}
