#include "view/parts/sendcontrols.h"

#include "port/portex.h"
#include "stringtable.h"
#include "view/form/viewform.h"
#include "view/parts/filesendstate.h"
#include "view/parts/portextras.h"
#include "view/parts/receivedisplay.h"
#include "view/parts/viewcounters.h"
#include "view/parts/viewport.h"
#include "view/parts/viewstatus.h"
#include "viewmessages.h"
#include "widgets/editex.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QPushButton>

namespace {
constexpr int kSendFailedDuration = 5000;
const char *const kSendFailed = QT_TRANSLATE_NOOP("CTarvikView", "数据发送失败！");
} // namespace

CSendControls::CSendControls(const CViewForm &form, Parts parts) : m_form(form), m_parts(parts) {}

void CSendControls::Connect()
{
    connect(m_form.send, &QPushButton::clicked, this, &CSendControls::OnSendCommand);
    connect(m_form.hexSend, &QCheckBox::clicked, this, &CSendControls::OnHexClicked);
    connect(m_form.clearSend, &QPushButton::clicked, this, [this] {
        m_form.sendBox->ClearText(); // undoable
        m_form.sendBox->setFocus();
    });
    connect(m_form.clearSendCount, &QPushButton::clicked, this, [this] {
        m_parts.counters.ClearSent();
        m_parts.display.Schedule();
    });
}

void CSendControls::OnSendCommand()
{
    m_parts.counters.SetFocusAfterWrite(true);
    Send(nullptr, 0);
}

// Bytes from the command strip go out only through an open port whose
// previous write has completed.
int CSendControls::OnSendData(const QByteArray &bytes)
{
    m_parts.counters.SetFocusAfterWrite(false);
    if (!m_parts.port.Port() || !m_form.send->isEnabled())
        return 0;
    if (bytes.isEmpty())
        return Send(nullptr, 0);
    return Send(reinterpret_cast<const uint8_t *>(bytes.constData()), uint32_t(bytes.size()));
}

// Without `bytes` the send box is sent, read in its notation. 1 when the
// bytes went to the port.
int CSendControls::Send(const uint8_t *bytes, uint32_t count)
{
    CViewStatus &status = m_parts.status;
    if (!m_parts.port.Port()) {
        status.ShowMessage(kStatusError, IDS_PORT_NOT_OPEN, kStatusDefaultTime);
        return 0;
    }
    ByteString boxBytes; // must outlive the Write below
    if (!bytes) {
        const ConvResult result = m_form.sendBox->GetData(boxBytes);
        if (result == 0)
            return 0; // nothing to send is not worth a message
        if (IsConvError(result)) {
            status.ShowMessage(kStatusError, IDS_HEX_INPUT_ERROR, kStatusDefaultTime);
            m_form.sendBox->HighlightInputError(result);
            return 0;
        }
        bytes = boxBytes.data();
        count = uint32_t(result);
    }
    m_form.send->setEnabled(false);
    m_parts.counters.BeginWrite(count, m_form.countSend->isChecked());
    m_parts.extras.LogSent(bytes, count); // before: the port may report it done inside Write
    if (m_parts.port.Port()->Write(bytes, count, nullptr, 1) != 0) {
        status.NoteSent(bytes, count);
        return 1;
    }
    m_parts.extras.LogSendDone(false);
    status.ShowText(tr(kSendFailed) + m_parts.port.SpoolerFailureText(), kStatusError,
                    kSendFailedDuration);
    m_form.send->setEnabled(true);
    m_parts.counters.WriteRefused();
    return 0;
}

// A printer job that the spooler failed after it took it ends with code 2
// carrying the error.
void CSendControls::OnWriteDone(int error)
{
    const QString spoolerFailure = error != 0 ? m_parts.port.SpoolerFailureText() : QString();
    if (!spoolerFailure.isEmpty())
        m_parts.status.ShowText(tr(kSendFailed) + spoolerFailure, kStatusError,
                                kSendFailedDuration);
    // A job the spooler failed was not sent.
    m_parts.counters.EndWrite(m_form.countSend->isChecked(), spoolerFailure.isEmpty());
    m_parts.extras.LogSendDone(error == 0);
    m_parts.display.Schedule();
    // A write that ends during a file transfer leaves the button to the end
    // of the transfer, which enables it again.
    if (!m_parts.fileSend.IsSending())
        m_form.send->setEnabled(true);
    if (m_parts.counters.TakeFocusAfterWrite())
        m_form.send->setFocus();
}

// With Control held the click only declares the notation of the text as it
// stands: text typed in the wrong mode is taken as the other notation.
void CSendControls::OnHexClicked(bool checked)
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
    m_parts.status.ShowMessage(kStatusError, IDS_HEX_INPUT_ERROR, kStatusDefaultTime);
}
