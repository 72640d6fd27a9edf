// Receiving: reading the port into the receive view's history, the counters,
// pause and continue, and the controls of the receive area.
//
// The history and the counters change with every read; the display follows
// (receivedisplay.h). An update costs what the rows in sight cost
// (recvview.h), whatever the size of the history.
#include "config/regmanage.h"
#include "convert/userfileqt.h"
#include "port/portex.h"
#include "stringtable.h"
#include "view/recvview.h"
#include "view/tarvikview.h"
#include "widgets/editex.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QMutexLocker>
#include <QPushButton>

namespace {
// Bytes taken per Read, and the time one notification may spend reading.
constexpr uint32_t kReadBlock = 1000;
constexpr qint64 kReadSliceMs = 4;
// Beside the window layout in the user's settings, not in the INI file.
const QString kShowTimesValue = QStringLiteral("ShowArrivalTimes");
const QString kKeepRecentValue = QStringLiteral("KeepRecentMB");
} // namespace

void CTarvikView::ConnectReceiveControls()
{
    m_recvDisplay.Attach(m_form.recvBox, m_form.recvCount, m_form.sendCount);
    m_frameCommands.SetBoxes(m_form.sendBox, m_form.recvBox);
    ConnectRecvFind();
    connect(m_form.pauseRecv, &QPushButton::clicked, this, &CTarvikView::OnPauseReceive);
    connect(m_form.hexRecv, &QCheckBox::clicked, this, &CTarvikView::OnHexRecvClicked);
    connect(m_form.clearRecv, &QPushButton::clicked, this, &CTarvikView::OnClearRecv);
    connect(m_form.copyToSend, &QPushButton::clicked, this, &CTarvikView::OnCopyToSend);
    connect(m_form.clearRecvCount, &QPushButton::clicked, this, &CTarvikView::OnClearRecvCount);
    // Queued: the history notices while it indexes, which a paint may do.
    connect(
        m_form.recvBox, &CRecvView::SpillFailed, this,
        [this](const QString &folder, const QString &reason) {
            ShowStatusText(tr("接收历史无法写入缓存文件夹 %1（%2），此后收到的数据只保存在内存中")
                               .arg(folder, reason),
                           kStatusError, kStatusUntilReplaced);
        },
        Qt::QueuedConnection);
    // Off unless the user chose a limit; kept beside the window layout.
    uint32_t keepMb = 0;
    if (CRegManage().ReadDword(kKeepRecentValue, keepMb))
        m_form.recvBox->SetKeepLimit(std::size_t(keepMb) << 20);
    connect(m_form.recvBox, &CRecvView::KeepLimitChosen, this,
            [](int megabytes) { CRegManage().WriteDword(kKeepRecentValue, uint32_t(megabytes)); });
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
    if (!m_port.Port())
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
        m_port.Port()->Read(buffer, kReadBlock, &received);
        if (received == 0)
            break;
        readAny = true;
        m_form.recvBox->Append(buffer, received);
        m_status.NoteReceived(buffer, received, *m_form.recvBox);
        m_extras.LogReceived(buffer, received);
        m_counters.NoteReceived(received, m_form.countRecv->isChecked());
    } while (slice.elapsed() < kReadSliceMs);
    if (!readAny)
        return;
    m_recvDisplay.NoteRead();
    // A full block may leave bytes in the port that no further notification
    // announces (the network kind reports again on its next read event), so
    // come back for them once the window has had its turn.
    if (received == kReadBlock)
        QMetaObject::invokeMethod(this, &CTarvikView::ReadFollowUp, Qt::QueuedConnection);
}

void CTarvikView::ReadFollowUp()
{
    QMutexLocker lock(&m_port.Lock());
    if (m_recvDisplay.ReadNowOrDefer())
        ReadReceived();
}

void CTarvikView::OnPauseReceive()
{
    if (!m_port.Port())
        return;
    QMutexLocker lock(&m_port.Lock());
    if (m_recvDisplay.IsPaused()) {
        const bool pending = m_recvDisplay.HasWaitingBytes();
        SetReceivePaused(false);
        if (pending)
            ReadReceived();
    } else {
        SetReceivePaused(true);
    }
    // The USB kind reads its device only while its receive switch is on.
    m_port.Port()->SetReceiveEnabled(!m_recvDisplay.IsPaused());
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
    if (qint64(history.Size()) > kMaxLoadSize && !ConfirmLargeCopyToSend())
        return;
    const bool hex = m_form.recvBox->IsHexNotation();
    std::vector<uint8_t> scratch;
    m_form.sendBox->SetData(history.Range(0, history.Size(), scratch), hex ? 1 : 0);
    m_form.hexSend->setChecked(hex);
}

// More than a file may bring into the send box is copied only when the user
// agrees, as a large file is loaded only when asked.
bool CTarvikView::ConfirmLargeCopyToSend()
{
    QMessageBox question(QMessageBox::Question, LoadString(IDR_MAINFRAME),
                         tr("接收区的数据太大（大于200K），您仍要把它全部复制到发送区吗？"),
                         QMessageBox::Ok | QMessageBox::Cancel, this);
    question.setDefaultButton(QMessageBox::Cancel);
    return question.exec() == QMessageBox::Ok;
}

void CTarvikView::OnClearRecvCount()
{
    m_counters.ClearReceived();
    ScheduleDisplay();
}
