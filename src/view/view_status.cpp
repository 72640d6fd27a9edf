// Status bar messages: hints in blue, errors in red, through the frame's
// status message routine.
#include "shell/statusmessenger.h"
#include "view/tarvikview.h"

void CTarvikView::SetStatusMessenger(CStatusMessenger *messenger)
{
    m_messenger = messenger;
}

// A view placed in a frame finds the frame's routine by itself.
CStatusMessenger *CTarvikView::Messenger()
{
    if (!m_messenger && window() != this)
        m_messenger = window()->findChild<CStatusMessenger *>();
    return m_messenger;
}

void CTarvikView::ShowStatusText(const QString &text, int kind, int durationMs)
{
    if (CStatusMessenger *messenger = Messenger())
        messenger->ShowStatusText(text, kind, durationMs);
}

void CTarvikView::ShowStatusMessage(int kind, unsigned stringId, int durationMs)
{
    if (CStatusMessenger *messenger = Messenger())
        messenger->ShowStatusMessage(kind, stringId, durationMs);
}
