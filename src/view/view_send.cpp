// Sending: the send operation, the write-done notification and the controls
// of the send area.
//
// Button 1000 is the view's write lock: it is disabled from the start of a
// write until the port reports the write done (or refuses the write), so at
// most one write is outstanding.
#include "port/portex.h"
#include "port/spooler.h"
#include "stringtable.h"
#include "view/tarvikview.h"
#include "widgets/editex.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QPushButton>

namespace {
constexpr int kSendFailedDuration = 5000;
const char *const kSendFailed = QT_TRANSLATE_NOOP("CTarvikView", "数据发送失败！");

// Null for no failure and for a job cut on purpose.
const char *SpoolFaultCaption(SpoolFault fault)
{
    switch (fault) {
    case SpoolFault::NotAnswering:
        return QT_TRANSLATE_NOOP("CTarvikView", "打印服务 CUPS 没有响应");
    case SpoolFault::UnknownQueue:
        return QT_TRANSLATE_NOOP("CTarvikView", "打印队列不存在");
    case SpoolFault::QueueStopped:
        return QT_TRANSLATE_NOOP("CTarvikView", "打印队列已停止");
    case SpoolFault::NotAccepting:
        return QT_TRANSLATE_NOOP("CTarvikView", "打印队列不接受任务");
    case SpoolFault::JobAborted:
        return QT_TRANSLATE_NOOP("CTarvikView", "打印任务被中止");
    case SpoolFault::JobCanceled:
        return QT_TRANSLATE_NOOP("CTarvikView", "打印任务被取消");
    case SpoolFault::Refused:
        return QT_TRANSLATE_NOOP("CTarvikView", "打印服务 CUPS 拒绝了任务");
    case SpoolFault::None:
    case SpoolFault::Cut:
        break;
    }
    return nullptr;
}
} // namespace

void CTarvikView::ConnectSendControls()
{
    connect(m_form.send, &QPushButton::clicked, this, &CTarvikView::OnSendCommand);
    connect(m_form.hexSend, &QCheckBox::clicked, this, &CTarvikView::OnHexSendClicked);
    connect(m_form.clearSend, &QPushButton::clicked, this, &CTarvikView::OnClearSend);
    connect(m_form.clearSendCount, &QPushButton::clicked, this, &CTarvikView::OnClearSendCount);
    m_form.send->installEventFilter(this); // the menu's send command follows its state
}

void CTarvikView::OnSendCommand()
{
    m_counters.SetFocusAfterWrite(true);
    SendData(nullptr, 0);
}

// Bytes from the command strip go out only through an open port whose
// previous write has completed. An empty command stands for the send box.
int CTarvikView::OnSendData(const QByteArray &bytes)
{
    m_counters.SetFocusAfterWrite(false);
    if (!m_port.Port() || !m_form.send->isEnabled())
        return 0;
    if (bytes.isEmpty())
        return SendData(nullptr, 0);
    return SendData(reinterpret_cast<const uint8_t *>(bytes.constData()), uint32_t(bytes.size()));
}

// Without `bytes` the send box is sent, read in its notation. 1 when the
// bytes went to the port.
int CTarvikView::SendData(const uint8_t *bytes, uint32_t count)
{
    if (!m_port.Port()) {
        ShowStatusMessage(kStatusError, IDS_PORT_NOT_OPEN, kStatusDefaultTime);
        return 0;
    }
    ByteString boxBytes; // must outlive the Write below
    if (!bytes) {
        const ConvResult result = m_form.sendBox->GetData(boxBytes);
        if (result == 0)
            return 0; // nothing to send is not worth a message
        if (IsConvError(result)) {
            ShowStatusMessage(kStatusError, IDS_HEX_INPUT_ERROR, kStatusDefaultTime);
            m_form.sendBox->HighlightInputError(result);
            return 0;
        }
        bytes = boxBytes.data();
        count = uint32_t(result);
    }
    m_form.send->setEnabled(false);
    m_counters.BeginWrite(count, m_form.countSend->isChecked());
    m_extras.LogSent(bytes, count); // before: the port may report it done inside Write
    if (m_port.Port()->Write(bytes, count, nullptr, 1) != 0) {
        m_status.NoteSent(bytes, count);
        return 1;
    }
    m_extras.LogSendDone(false);
    ShowStatusText(tr(kSendFailed) + SpoolerFailureText(), kStatusError, kSendFailedDuration);
    m_form.send->setEnabled(true);
    m_counters.WriteRefused();
    return 0;
}

// A printer job that the spooler failed after it took it ends with code 2
// carrying the error.
void CTarvikView::OnWriteDone(int error)
{
    const QString spoolerFailure = error != 0 ? SpoolerFailureText() : QString();
    if (!spoolerFailure.isEmpty())
        ShowStatusText(tr(kSendFailed) + spoolerFailure, kStatusError, kSendFailedDuration);
    // A job the spooler failed was not sent.
    m_counters.EndWrite(m_form.countSend->isChecked(), spoolerFailure.isEmpty());
    m_extras.LogSendDone(error == 0);
    ScheduleDisplay();
    // A write that ends during a file transfer leaves the button to the end
    // of the transfer, which enables it again.
    if (!m_fileSend.IsSending())
        m_form.send->setEnabled(true);
    if (m_counters.TakeFocusAfterWrite())
        m_form.send->setFocus();
}

QString CTarvikView::SpoolerFailureText() const
{
    const CPortEx *port = m_port.Port();
    const SpoolFailure failure = port ? port->GetSpoolFailure() : SpoolFailure{};
    const char *caption = SpoolFaultCaption(failure.fault);
    if (!caption)
        return {};
    QString text = tr(caption);
    if (!failure.reason.empty())
        text += tr("：") + QString::fromStdString(failure.reason);
    return text;
}

// With Control held the click only declares the notation of the text as it
// stands: text typed in the wrong mode is taken as the other notation.
void CTarvikView::OnHexSendClicked(bool checked)
{
    CEditEx *box = m_form.sendBox;
    if (QGuiApplication::keyboardModifiers() & Qt::ControlModifier) {
        box->m_bHex = checked;
        box->setFocus();
        return;
    }
    if (box->SetHexMode(checked)) {
        box->setFocus();
        return;
    }
    m_form.hexSend->setChecked(true); // the box stays in hex, bad character selected
    ShowStatusMessage(kStatusError, IDS_HEX_INPUT_ERROR, kStatusDefaultTime);
}

void CTarvikView::OnClearSend()
{
    m_form.sendBox->ClearText(); // undoable
    m_form.sendBox->setFocus();
}

void CTarvikView::OnClearSendCount()
{
    m_counters.ClearSent();
    ScheduleDisplay();
}
