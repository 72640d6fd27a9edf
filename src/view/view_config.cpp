// The settings section "RVConfigs" of the INI file and the splitter values
// of the registry.
#include "config/configpath.h"
#include "config/regmanage.h"
#include "config/rvconfig.h"
#include "port/devicemap.h"
#include "stringtable.h"
#include "view/tarvikview.h"

#include "convert/editex.h"

#include <QCheckBox>
#include <QComboBox>
#include <QMessageBox>

namespace {
const QString kSplitter1 = QStringLiteral("Splitter1Pos");
const QString kSplitter2 = QStringLiteral("Splitter2Pos");
} // namespace

// The [Devices] map comes from the same file. The saved kind is selected without the kind-change
// handling: its panel is created by the start-up timer.
void CTarvikView::LoadConfig()
{
    LoadDeviceOverrides(IniPath().string());
    RvConfigValues values;
    values.selPort = m_form.portKind->currentIndex();
    const RvLoadResult result = LoadRvConfig(IniPath(), values, PortCfgData());
    if (result == RvLoadResult::Invalid)
        QMessageBox::warning(this, QString(), LoadString(IDS_BAD_CONFIG));
    if (result != RvLoadResult::Loaded)
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

// Runs after the panel has stored its choices into the settings block. A
// file that cannot be written keeps the registry values unsaved as well.
void CTarvikView::SaveConfig()
{
    RvConfigValues values;
    values.selPort = m_form.portKind->currentIndex();
    values.hexDisplay = m_form.hexRecv->isChecked();
    values.hexSend = m_form.hexSend->isChecked();
    values.countRecv = m_form.countRecv->isChecked();
    values.countSend = m_form.countSend->isChecked();
    MakeConfigFolder(IniPath()); // a failure shows as the file that cannot be created
    if (SaveRvConfig(IniPath(), values, PortCfgData()) == RvSaveResult::CannotCreate) {
        QMessageBox::critical(this, QString(), QStringLiteral("Can't Create Config Ini File!"));
        return;
    }
    CRegManage registry;
    registry.WriteDword(kSplitter1, static_cast<uint32_t>(m_nSplitter1Pos));
    registry.WriteDword(kSplitter2, static_cast<uint32_t>(m_nSplitter2Pos));
}

void CTarvikView::ReadSavedSplitterTops(int &top1, int &top2) const
{
    uint32_t value1 = 0;
    uint32_t value2 = 0;
    const CRegManage registry;
    registry.ReadDword(kSplitter1, value1);
    registry.ReadDword(kSplitter2, value2);
    top1 = static_cast<int>(value1);
    top2 = static_cast<int>(value2);
}
