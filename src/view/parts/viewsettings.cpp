#include "view/parts/viewsettings.h"

#include "config/configpath.h"
#include "config/regmanage.h"
#include "port/devicemap.h"
#include "stringtable.h"
#include "view/form/viewform.h"
#include "view/parts/viewareas.h"
#include "view/recv/recvview.h"
#include "widgets/editex.h"

#include <QCheckBox>
#include <QComboBox>
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

void CViewSettings::LoadForm(QWidget *parent, const CViewForm &form) const
{
    RvConfigValues values;
    values.selPort = form.portKind->currentIndex();
    if (!Load(parent, values))
        return;
    form.portKind->setCurrentIndex(values.selPort);
    form.hexRecv->setChecked(values.hexDisplay);
    form.hexSend->setChecked(values.hexSend);
    // The check boxes' handlers follow clicks only; the boxes, still empty,
    // take the saved notation here so that they agree with their check boxes.
    form.sendBox->SetHexMode(values.hexSend);
    form.recvBox->SetHexNotation(values.hexDisplay);
    form.countRecv->setChecked(values.countRecv);
    form.countSend->setChecked(values.countSend);
}

// Storing may ask the user (a network port that is not a number), so a view
// saves when its window closes, while everything is still whole; a view
// destroyed without its window closing saves from its destructor.
void CViewSettings::SaveFormOnce(QWidget *parent, const CViewForm &form, const CViewAreas &areas,
                                 const std::function<void()> &storePanel)
{
    SaveOnce(parent, [&] {
        storePanel();
        Snapshot snapshot;
        snapshot.values.selPort = form.portKind->currentIndex();
        snapshot.values.hexDisplay = form.hexRecv->isChecked();
        snapshot.values.hexSend = form.hexSend->isChecked();
        snapshot.values.countRecv = form.countRecv->isChecked();
        snapshot.values.countSend = form.countSend->isChecked();
        snapshot.splitter1 = areas.Splitter1Pos();
        snapshot.splitter2 = areas.Splitter2Pos();
        return snapshot;
    });
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
