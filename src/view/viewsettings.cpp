#include "view/viewsettings.h"

#include "config/configpath.h"
#include "config/regmanage.h"
#include "port/devicemap.h"
#include "stringtable.h"

#include <QMessageBox>

namespace {
const QString kSplitter1 = QStringLiteral("Splitter1Pos");
const QString kSplitter2 = QStringLiteral("Splitter2Pos");
const QString kShowTimes = QStringLiteral("ShowArrivalTimes");
const QString kAutoReconnect = QStringLiteral("AutoReconnect");
const QString kKeepRecent = QStringLiteral("KeepRecentMB");
const QString kCodePage = QStringLiteral("TextCodePage");

bool ReadSwitch(const QString &name)
{
    uint32_t stored = 0;
    return CRegManage().ReadDword(name, stored) && stored != 0;
}
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

bool CViewSettings::ShowArrivalTimes()
{
    return ReadSwitch(kShowTimes);
}

void CViewSettings::SetShowArrivalTimes(bool show)
{
    CRegManage().WriteDword(kShowTimes, show ? 1 : 0);
}

bool CViewSettings::AutoReconnect()
{
    return ReadSwitch(kAutoReconnect);
}

void CViewSettings::SetAutoReconnect(bool on)
{
    CRegManage().WriteDword(kAutoReconnect, on ? 1 : 0);
}

std::optional<uint32_t> CViewSettings::KeepRecentMb()
{
    uint32_t megabytes = 0;
    if (!CRegManage().ReadDword(kKeepRecent, megabytes))
        return std::nullopt;
    return megabytes;
}

void CViewSettings::SetKeepRecentMb(uint32_t megabytes)
{
    CRegManage().WriteDword(kKeepRecent, megabytes);
}

std::optional<CodePageId> CViewSettings::TextCodePage()
{
    QByteArray name;
    if (!CRegManage().ReadBinary(kCodePage, name))
        return std::nullopt;
    return CodePageFromName(name.toStdString());
}

void CViewSettings::SetTextCodePage(CodePageId page)
{
    CRegManage().WriteBinary(kCodePage, QByteArray(NameOfCodePage(page)));
}
