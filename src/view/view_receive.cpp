// Receiving: reading the port into the receive view's history, the counters,
// pause and continue, and the controls of the receive area.
//
// The history and the counters change with every read. What the window shows
// is brought up to date by UpdateDisplay on a short single-shot timer, so a
// burst of reads costs one update, and the display is exact soon after the
// window thread goes idle. An update costs what the rows in sight cost
// (recvview.h), whatever the size of the history.
#include "config/regmanage.h"
#include "convert/editex.h"
#include "port/portex.h"
#include "port/usbport.h"
#include "view/recvview.h"
#include "view/tarvikview.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMutexLocker>
#include <QPushButton>

#include <algorithm>

namespace {
// Bytes taken per Read, and the time one notification may spend reading.
constexpr uint32_t kReadBlock = 1000;
constexpr qint64 kReadSliceMs = 4;
// Updates of the display are at least this far apart while bytes stream in;
// after a quiet spell the first one comes at once.
constexpr qint64 kDisplayGapMs = 15;
// Beside the window layout in the user's settings, not in the INI file.
const QString kShowTimesValue = QStringLiteral("ShowArrivalTimes");
} // namespace

void CTarvikView::ConnectReceiveControls()
{
    m_displayTimer.setSingleShot(true);
    m_sinceDisplay.start();
    connect(&m_displayTimer, &QTimer::timeout, this, &CTarvikView::UpdateDisplay);
    connect(m_form.pauseRecv, &QPushButton::clicked, this, &CTarvikView::OnPauseReceive);
    connect(m_form.hexRecv, &QCheckBox::clicked, this, &CTarvikView::OnHexRecvClicked);
    connect(m_form.clearRecv, &QPushButton::clicked, this, &CTarvikView::OnClearRecv);
    connect(m_form.copyToSend, &QPushButton::clicked, this, &CTarvikView::OnCopyToSend);
    connect(m_form.clearRecvCount, &QPushButton::clicked, this, &CTarvikView::OnClearRecvCount);
    TrackFindTarget();
    uint32_t saved = 0;
    const bool showTimes = CRegManage().ReadDword(kShowTimesValue, saved) && saved != 0;
    m_form.recvTimes->setChecked(showTimes);
    m_form.recvBox->SetShowArrivalTimes(showTimes);
    connect(m_form.recvTimes, &QCheckBox::clicked, this, [this](bool checked) {
        m_form.recvBox->SetShowArrivalTimes(checked);
        CRegManage().WriteDword(kShowTimesValue, checked ? 1 : 0);
    });
}

void CTarvikView::ReadReceived()
{
    if (!m_pPort)
        return;
    // Blocks are taken until a Read finds nothing or the slice is used, so
    // one notification moves many bytes (more may come in while a short
    // block is read) and the window still gets its turn.
    QElapsedTimer slice;
    slice.start();
    bool readAny = false;
    uint32_t received = 0;
    do {
        uint8_t buffer[kReadBlock];
        received = 0;
        m_pPort->Read(buffer, kReadBlock, &received);
        if (received == 0)
            break;
        readAny = true;
        m_form.recvBox->Append(buffer, received);
        m_status.NoteReceived(buffer, received, *m_form.recvBox);
        LogReceived(buffer, received);
        m_counters.NoteReceived(received, m_form.countRecv->isChecked());
    } while (slice.elapsed() < kReadSliceMs);
    if (!readAny)
        return;
    m_bScrollRecvToEnd = true;
    ScheduleDisplay();
    // A full block may leave bytes in the port that no further notification
    // announces (the network kind reports again on its next read event), so
    // come back for them once the window has had its turn.
    if (received == kReadBlock)
        QMetaObject::invokeMethod(this, &CTarvikView::ReadFollowUp, Qt::QueuedConnection);
}

void CTarvikView::ReadFollowUp()
{
    QMutexLocker lock(&m_cs);
    if (m_bRecvPaused)
        m_bRecvPending = true;
    else
        ReadReceived();
}

void CTarvikView::OnPauseReceive()
{
    if (!m_pPort)
        return;
    QMutexLocker lock(&m_cs);
    if (m_bRecvPaused) {
        const bool pending = m_bRecvPending;
        SetReceivePaused(false);
        if (pending)
            ReadReceived();
    } else {
        SetReceivePaused(true);
    }
    // The USB kind reads its device only while its receive switch is on.
    if (auto *usb = dynamic_cast<CUsbPort *>(m_pPort.get()))
        usb->m_bRecvEnable = !m_bRecvPaused;
}

void CTarvikView::OnHexRecvClicked(bool checked)
{
    m_form.recvBox->SetHexNotation(checked);
}

void CTarvikView::OnClearRecv()
{
    m_form.recvBox->Clear();
}

void CTarvikView::OnCopyToSend()
{
    const CRecvHistory &history = m_form.recvBox->History();
    if (history.Size() == 0)
        return; // leaves the send box and its check box in agreement
    const bool hex = m_form.recvBox->IsHexNotation();
    std::vector<uint8_t> scratch;
    m_form.sendBox->SetData(history.Range(0, history.Size(), scratch), hex ? 1 : 0);
    m_form.hexSend->setChecked(hex);
}

void CTarvikView::OnClearRecvCount()
{
    m_counters.ClearReceived();
    ScheduleDisplay();
}

void CTarvikView::ScheduleDisplay()
{
    if (!m_displayTimer.isActive())
        m_displayTimer.start(
            int(std::clamp<qint64>(kDisplayGapMs - m_sinceDisplay.elapsed(), 0, kDisplayGapMs)));
}

void CTarvikView::UpdateDisplay()
{
    m_form.recvCount->setText(QString::number(m_counters.Received()));
    m_form.sendCount->setText(QString::number(m_counters.Sent()));
    m_form.recvBox->Refresh(m_bScrollRecvToEnd);
    m_bScrollRecvToEnd = false;
    m_sinceDisplay.start();
}
