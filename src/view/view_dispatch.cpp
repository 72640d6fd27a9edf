// Port notifications and the two request entry points of other windows.
#include "port/portex.h"
#include "port/portnotify.h"
#include "view/tarvikview.h"

#include <QMessageBox>
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
void CTarvikView::OnPortMessage(int code, int error, uint32_t lParam)
{
    QMutexLocker lock(&m_port.Lock());
    switch (code) {
    case kPortOpened:
        OnOpenResult(error);
        break;
    case kPortLost:
        OnPortLost();
        break;
    case kPortDataArrived:
        if (m_recvDisplay.ReadNowOrDefer())
            ReadReceived(); // else the data waits in the port
        break;
    case kPortWriteDone:
        OnWriteDone(error);
        break;
    case kPortUsbWriteShort:
        QMessageBox::warning(this, QString(), tr("发送错误!"));
        break;
    case kPortFileDone:
        OnFileSendEnded(false);
        break;
    case kPortFileFailed:
        OnFileSendEnded(true);
        break;
    case kPortFileProgress:
        OnFileProgress(int(lParam));
        break;
    case kPortFilePassDone:
        OnFilePassDone();
        break;
    default:
        break; // not a port code
    }
}

int CTarvikView::OnViewRequest(int code, int flag, const QString &text)
{
    switch (code) {
    case kRequestClosePort:
        if (m_port.Port())
            OnOpenClose();
        break;
    case kRequestSelectFile:
        SetSelectedFile(text);
        break;
    case kRequestFind:
        FindText(text, flag == 1);
        break;
    default:
        break;
    }
    return 1;
}
