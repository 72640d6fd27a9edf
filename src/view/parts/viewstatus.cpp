#include "view/parts/viewstatus.h"

#include "shell/statusmessenger.h"
#include "viewmessages.h"

#include <QWidget>

void CViewStatus::SetMessenger(CStatusMessenger *messenger)
{
    m_messenger = messenger;
}

CStatusMessenger *CViewStatus::Messenger()
{
    if (!m_messenger && m_owner->window() != m_owner)
        m_messenger = m_owner->window()->findChild<CStatusMessenger *>();
    return m_messenger;
}

void CViewStatus::ShowText(const QString &text, StatusKind kind, int durationMs)
{
    if (CStatusMessenger *messenger = Messenger())
        messenger->ShowStatusText(text, kind, durationMs);
}

void CViewStatus::ShowMessage(StatusKind kind, unsigned stringId, int durationMs)
{
    if (CStatusMessenger *messenger = Messenger())
        messenger->ShowStatusMessage(kind, stringId, durationMs);
}

void CViewStatus::NoteReceived(const uint8_t *bytes, uint32_t count, QWidget &replyBox)
{
    const QString caption = m_statusByteHint.NoteReceived(bytes, count);
    if (caption.isEmpty())
        return;
    ShowText(caption, kStatusHint, kStatusDefaultTime);
    replyBox.setToolTip(caption);
}
