// The view's side of the port column's own parts (CPortExtras): what they
// ask of the view, and the room they take below the file group.
#include "view/tarvikview.h"

#include <QLabel>

#include <algorithm>

CPortExtras::Hooks CTarvikView::PortExtrasHooks()
{
    CPortExtras::Hooks hooks;
    hooks.showStatus = [this](const QString &text, StatusKind kind, int durationMs) {
        ShowStatusText(text, kind, durationMs);
    };
    hooks.chooseLogFile = [this](const QString &name) { return ChooseSaveFile(name); };
    hooks.closePort = [this] { CloseOpenPort(); };
    hooks.place = [this] { PlacePortExtras(); };
    return hooks;
}

// The view's least height grows to hold every row.
void CTarvikView::PlacePortExtras()
{
    const std::optional<int> bottom =
        m_extras.Place(m_form.panelRect.width() - 2, m_form.filePath->geometry().bottom() + 1);
    if (!bottom)
        return;
    m_form.minimumSize.setHeight(std::max(m_form.minimumSize.height(), *bottom));
    setMinimumSize(m_form.minimumSize);
}
