// Auto-send: while check box 1042 is ticked the send box is sent every
// interval of edit 1044, as a click on the send button would send it.
//
// A tick does nothing while the send button is disabled (no port, or the
// previous write still outstanding), so a slow port is written to less often
// than asked and never has two writes outstanding; the ticks go on, and
// sending resumes by itself once a port is open and idle again.
#include "stringtable.h"
#include "view/tarvikview.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {
constexpr int kMinIntervalMs = 51;
constexpr int kDefaultDuration = 0;

// Decimal digits after optional blanks and sign, up to the first other
// character; no digits reads as 0. Values beyond the timer's range saturate
// instead of wrapping into a short or negative interval.
int ReadInterval(const QString &text)
{
    const QByteArray latin = text.toLatin1();
    const long value = std::strtol(latin.constData(), nullptr, 10);
    return int(std::clamp<long>(value, INT_MIN, INT_MAX));
}
} // namespace

void CTarvikView::ConnectAutoSend()
{
    connect(m_form.autoSend, &QCheckBox::clicked, this, &CTarvikView::OnAutoSendClicked);
}

void CTarvikView::OnAutoSendClicked(bool checked)
{
    if (!checked) {
        m_autoSendTimer.stop();
        m_form.autoInterval->setEnabled(true);
        return;
    }
    const int interval = ReadInterval(m_form.autoInterval->text());
    if (interval >= kMinIntervalMs) {
        m_autoSendTimer.start(interval, this);
        m_form.autoInterval->setEnabled(false);
        return;
    }
    m_form.autoInterval->selectAll();
    m_form.autoInterval->setFocus();
    m_form.autoSend->setChecked(false);
    ShowStatusMessage(kStatusHint, IDS_INTERVAL_TOO_SHORT, kDefaultDuration);
}

void CTarvikView::OnAutoSendTimer()
{
    if (m_form.send->isEnabled())
        OnSendCommand();
}
