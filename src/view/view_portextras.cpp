// The parts of the port column below the file group that the view owns:
// the serial control lines, the reconnect option and the capture log.
#include "controllines.h"
#include "reconnect.h"
#include "tarvikview.h"

#include <QComboBox>

namespace {
// Two rows: DTR, RTS and break; then the four status indicators.
const QRect kControlLinesRect(5, 320, 145, 40);
} // namespace

void CTarvikView::CreatePortExtras()
{
    m_pLines = new CControlLinesBox(this);
    m_pLines->setGeometry(kControlLinesRect);
    const auto showForKind = [this](int kind) {
        m_pLines->setVisible(kind == int(PortKind::Serial));
    };
    showForKind(m_form.portKind->currentIndex());
    connect(m_form.portKind, &QComboBox::currentIndexChanged, this, showForKind);
    CreateReconnect();
    CreateCaptureLog();
}

void CTarvikView::PortExtrasOpened()
{
    m_pLines->Follow(m_pPort.get());
    m_pReconnect->NoteTransferEnded(false); // none has run on this port
    RememberReopenTarget();
    ReconnectSucceeded();
    CaptureLogOpened();
}

void CTarvikView::PortExtrasClosing()
{
    m_pLines->Forget();
    CaptureLogClosing();
}
