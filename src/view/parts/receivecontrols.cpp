#include "view/parts/receivecontrols.h"

#include "convert/userfileqt.h"
#include "port/portex.h"
#include "stringtable.h"
#include "view/form/viewform.h"
#include "view/parts/portextras.h"
#include "view/parts/receivedisplay.h"
#include "view/parts/viewcounters.h"
#include "view/parts/viewport.h"
#include "view/parts/viewsettings.h"
#include "view/parts/viewstatus.h"
#include "view/recv/recvview.h"
#include "viewmessages.h"
#include "widgets/editex.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QMutexLocker>
#include <QPushButton>

#include <algorithm>

namespace {
// The time one notification may spend reading.
constexpr qint64 kReadSliceMs = 4;
} // namespace

CReceiveControls::CReceiveControls(const CViewForm &form, Parts parts)
    : m_form(form), m_parts(parts)
{
}

void CReceiveControls::Connect(QWidget *view)
{
    m_view = view;
    CRecvView *box = m_form.recvBox;
    connect(m_form.pauseRecv, &QPushButton::clicked, this, &CReceiveControls::OnPause);
    connect(m_form.hexRecv, &QCheckBox::clicked, box, &CRecvView::SetHexNotation);
    connect(m_form.clearRecv, &QPushButton::clicked, box, &CRecvView::Clear);
    connect(m_form.copyToSend, &QPushButton::clicked, this, &CReceiveControls::OnCopyToSend);
    connect(m_form.clearRecvCount, &QPushButton::clicked, this, [this] {
        m_parts.counters.ClearReceived();
        m_parts.display.Schedule();
    });
    // Queued: the history notices while it indexes, which a paint may do.
    connect(
        box, &CRecvView::SpillFailed, this,
        [this](const QString &folder, const QString &reason) {
            const std::size_t budgetMb = m_form.recvBox->History().MemoryBudget() >> 20;
            m_parts.status.ShowText(
                tr("接收历史无法写入缓存文件夹 %1（%2），此后只在内存中保留最近收到的 %3 MB")
                    .arg(folder, reason)
                    .arg(budgetMb),
                kStatusError, kStatusUntilReplaced);
        },
        Qt::QueuedConnection);
    ConnectHistoryChoices();
}

// The limit is off unless the user chose one; both choices are the user's
// registry values.
void CReceiveControls::ConnectHistoryChoices()
{
    CRecvView *box = m_form.recvBox;
    if (const std::optional<uint32_t> keepMb = CViewSettings::KeepRecentMb())
        box->SetKeepLimit(std::size_t(*keepMb) << 20);
    connect(box, &CRecvView::KeepLimitChosen, this,
            [](int megabytes) { CViewSettings::SetKeepRecentMb(uint32_t(megabytes)); });
    const bool showTimes = CViewSettings::ShowArrivalTimes();
    m_form.recvTimes->setChecked(showTimes);
    box->SetShowArrivalTimes(showTimes);
    connect(m_form.recvTimes, &QCheckBox::clicked, this, [box](bool checked) {
        box->SetShowArrivalTimes(checked);
        CViewSettings::SetShowArrivalTimes(checked);
    });
}

void CReceiveControls::OnDataArrived()
{
    if (m_parts.display.ReadNowOrDefer())
        Read(); // else the data waits in the port
}

bool CReceiveControls::IsPaused() const
{
    return m_parts.display.IsPaused();
}

void CReceiveControls::SetPaused(bool paused)
{
    SetStringText(m_form.pauseRecv, paused ? IDS_CONTINUE_RECEIVE : IDS_PAUSE_RECEIVE);
    m_parts.display.SetPaused(paused);
}

void CReceiveControls::Read()
{
    CPortEx *port = m_parts.port.Port();
    if (!port)
        return;
    // Blocks are taken until a Read finds nothing or the slice is used, so
    // one notification moves many bytes (more may come in while a short
    // block is read) and the window still gets its turn.
    QElapsedTimer slice;
    slice.start();
    bool readAny = false;
    uint32_t received = 0;
    const uint32_t block = std::min(port->ReadBlockSize(), CPortEx::kMaxReadBlock);
    do {
        uint8_t buffer[CPortEx::kMaxReadBlock];
        received = 0;
        port->Read(buffer, block, &received);
        if (received == 0)
            break;
        readAny = true;
        m_form.recvBox->Append(buffer, received);
        m_parts.status.NoteReceived(buffer, received, *m_form.recvBox);
        m_parts.extras.LogReceived(buffer, received);
        m_parts.counters.NoteReceived(received, m_form.countRecv->isChecked());
    } while (slice.elapsed() < kReadSliceMs);
    if (!readAny)
        return;
    m_parts.display.NoteRead();
    // The slice ended before a Read found nothing: bytes may be left in the
    // port that no further notification announces (a terminal's short read
    // does not mean it is drained), so come back for them once the window
    // has had its turn.
    if (received > 0)
        QMetaObject::invokeMethod(
            this, [this] { ReadFollowUp(); }, Qt::QueuedConnection);
}

void CReceiveControls::ReadFollowUp()
{
    QMutexLocker lock(&m_parts.port.Lock());
    OnDataArrived();
}

void CReceiveControls::OnPause()
{
    if (!m_parts.port.Port())
        return;
    QMutexLocker lock(&m_parts.port.Lock());
    if (IsPaused()) {
        const bool pending = m_parts.display.HasWaitingBytes();
        SetPaused(false);
        if (pending)
            Read();
    } else {
        SetPaused(true);
    }
    // The USB kind reads its device only while its receive switch is on.
    if (CPortEx *port = m_parts.port.Port())
        port->SetReceiveEnabled(!IsPaused());
}

void CReceiveControls::OnCopyToSend()
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
bool CReceiveControls::ConfirmLargeCopyToSend()
{
    QMessageBox question(QMessageBox::Question, LoadString(IDR_MAINFRAME),
                         tr("接收区的数据太大（大于200K），您仍要把它全部复制到发送区吗？"),
                         QMessageBox::Ok | QMessageBox::Cancel, m_view);
    question.setDefaultButton(QMessageBox::Cancel);
    return question.exec() == QMessageBox::Ok;
}
