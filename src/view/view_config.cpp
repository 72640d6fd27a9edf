// The view's controls to and from the saved settings (CViewSettings).
#include "view/tarvikview.h"

#include "widgets/editex.h"

#include <QCheckBox>
#include <QComboBox>

// The saved kind is selected without the kind-change handling: its panel is
// created by the start-up timer.
void CTarvikView::LoadConfig()
{
    RvConfigValues values;
    values.selPort = m_form.portKind->currentIndex();
    if (!m_settings.Load(this, values))
        return;
    m_form.portKind->setCurrentIndex(values.selPort);
    m_form.hexRecv->setChecked(values.hexDisplay);
    m_form.hexSend->setChecked(values.hexSend);
    // The check boxes' handlers follow clicks only; the boxes, still empty,
    // take the saved notation here so that they agree with their check boxes.
    m_form.sendBox->SetHexMode(values.hexSend);
    OnHexRecvClicked(values.hexDisplay);
    m_form.countRecv->setChecked(values.countRecv);
    m_form.countSend->setChecked(values.countSend);
}

// The panel stores its choices before the configuration is saved. Storing
// may ask the user (a network port that is not a number), so this runs when
// the window closes, while everything is still whole; a view destroyed
// without its window closing saves from the destructor.
void CTarvikView::SaveSettingsOnce()
{
    m_settings.SaveOnce(this, [this] {
        m_port.DestroyPanel();
        CViewSettings::Snapshot snapshot;
        snapshot.values.selPort = m_form.portKind->currentIndex();
        snapshot.values.hexDisplay = m_form.hexRecv->isChecked();
        snapshot.values.hexSend = m_form.hexSend->isChecked();
        snapshot.values.countRecv = m_form.countRecv->isChecked();
        snapshot.values.countSend = m_form.countSend->isChecked();
        snapshot.splitter1 = m_areas.Splitter1Pos();
        snapshot.splitter2 = m_areas.Splitter2Pos();
        return snapshot;
    });
}
