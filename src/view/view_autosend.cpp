// The view's wiring of auto-send (autosend.h): check box 1042 and the
// message when its interval is too short.
#include "stringtable.h"
#include "view/tarvikview.h"

#include <QCheckBox>

void CTarvikView::ConnectAutoSend()
{
    m_autoSend.Attach(m_form.autoSend, m_form.autoInterval, m_form.send,
                      [this] { OnSendCommand(); });
    connect(m_form.autoSend, &QCheckBox::clicked, this, [this](bool checked) {
        if (!m_autoSend.OnClicked(checked))
            ShowStatusMessage(kStatusHint, IDS_INTERVAL_TOO_SHORT, kStatusDefaultTime);
    });
}
