#include "view/viewsettings.h"

#include "config/configpath.h"
#include "config/regmanage.h"
#include "port/devicemap.h"
#include "stringtable.h"

#include <QMessageBox>

namespace {
const QString kSplitter1 = QStringLiteral("Splitter1Pos");
const QString kSplitter2 = QStringLiteral("Splitter2Pos");
} // namespace

bool CViewSettings::Load(QWidget *parent, RvConfigValues &values) const
{
    LoadDeviceOverrides(m_iniPath.string());
    const RvLoadResult result = LoadRvConfig(m_iniPath, values, PortCfgData());
    if (result == RvLoadResult::Invalid)
        QMessageBox::warning(parent, QString(), LoadString(IDS_BAD_CONFIG));
    return result == RvLoadResult::Loaded;
}

void CViewSettings::SaveOnce(QWidget *parent, const std::function<Snapshot()> &collect)
{
    if (m_bSettingsSaved)
        return;
    m_bSettingsSaved = true;
    Save(parent, collect());
}

// A file that cannot be written keeps the registry values unsaved as well.
void CViewSettings::Save(QWidget *parent, const Snapshot &snapshot) const
{
    MakeConfigFolder(m_iniPath); // a failure shows as the file that cannot be created
    if (SaveRvConfig(m_iniPath, snapshot.values, PortCfgData()) == RvSaveResult::CannotCreate) {
        QMessageBox::critical(parent, QString(), QStringLiteral("Can't Create Config Ini File!"));
        return;
    }
    CRegManage registry;
    registry.WriteDword(kSplitter1, static_cast<uint32_t>(snapshot.splitter1));
    registry.WriteDword(kSplitter2, static_cast<uint32_t>(snapshot.splitter2));
}

std::pair<int, int> CViewSettings::SavedSplitterTops()
{
    uint32_t value1 = 0;
    uint32_t value2 = 0;
    const CRegManage registry;
    registry.ReadDword(kSplitter1, value1);
    registry.ReadDword(kSplitter2, value2);
    return {static_cast<int>(value1), static_cast<int>(value2)};
}
