// Port notifications and the two request entry points of other windows.
#include "portex.h"
#include "portnotify.h"
#include "tarvikview.h"

#include <QMutexLocker>
#include <QPushButton>

bool CTarvikView::event(QEvent *event)
{
    if (event->type() == PortDefaultMessage()) {
        const auto *message = static_cast<const CPortMsgEvent *>(event);
        OnPortMessage(message->Code(), message->Error(), message->LParam());
        return true;
    }
    return QWidget::event(event);
}

// The lock is recursive: a handler may close the port, and a port may send
// a notification on this thread while it closes.
void CTarvikView::OnPortMessage(int code, int error, uint32_t /*lParam*/)
{
    QMutexLocker lock(&m_cs);
    switch (code) {
    case kPortOpened:
        OnOpenResult(error);
        break;
    case kPortLost:
        OnPortLost();
        break;
    case kPortDataArrived:   // receiving
    case kPortWriteDone:     // sending
    case kPortUsbWriteShort: // sending, USB kind
    case kPortFileDone:      // file sending, codes 5 to 8
    case kPortFileFailed:
    case kPortFileProgress:
    case kPortFilePassDone:
        break; // handled once those features are wired up
    default:
        break; // not a port code
    }
}

int CTarvikView::OnViewRequest(int code, int flag, const QString &text)
{
    switch (code) {
    case kRequestClosePort:
        if (m_pPort)
            OnOpenClose();
        break;
    case kRequestSelectFile:
        break; // file sending is not wired up yet
    case kRequestFind:
        FindInSendBox(text, flag == 1);
        break;
    default:
        break;
    }
    return 1;
}

// Bytes from the command strip go out only through an open port whose
// previous write has completed (the send button is the write lock).
int CTarvikView::OnSendData(const QByteArray & /*bytes*/)
{
    m_bFocusAfterWrite = false;
    if (!m_pPort || !m_form.send->isEnabled())
        return 0;
    return 0; // sending is not wired up yet: nothing went out
}
