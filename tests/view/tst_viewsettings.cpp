// The view's settings on their own: one save per view, read back after a
// restart, and the messages for a damaged or unwritable file.
#include "config/rvconfig.h"
#include "view/parts/viewsettings.h"
#include "viewsandbox.h"

class TestViewSettings : public CViewTestCase
{
    Q_OBJECT

private slots:
    // A second save (the destructor after the window closed) writes nothing.
    void savedOnceAndReadBack()
    {
        CViewSettings settings(m_sandbox->IniPath().toStdString());
        settings.SaveOnce(nullptr, [] { return Snapshot(3, 210, 330); });
        settings.SaveOnce(nullptr, [] { return Snapshot(1, 99, 199); });
        RvConfigValues values;
        QVERIFY(CViewSettings(m_sandbox->IniPath().toStdString()).Load(nullptr, values));
        QCOMPARE(values.selPort, 3);
        QVERIFY(values.hexDisplay && !values.hexSend);
        QCOMPARE(CViewSettings::SavedSplitterTops(), std::make_pair(210, 330));
    }

    // The registry values are not saved apart from the file; a damaged
    // section is reported and changes nothing.
    void faultyFilesAreReported()
    {
        QVERIFY(WriteFileBytes(m_sandbox->Path("notAFolder"), "x"));
        CViewSettings unwritable(m_sandbox->Path("notAFolder/rvcfg.ini").toStdString());
        const MessageBoxWatcher watcher;
        unwritable.SaveOnce(nullptr, [] { return Snapshot(2, 210, 330); });
        QCOMPARE(CViewSettings::SavedSplitterTops(), std::make_pair(0, 0));

        QVERIFY(WriteFileBytes(m_sandbox->IniPath(),
                               "[RVConfigs]\nPortCfgData=12zz\nPortCfgDataCS=1\nSelPort=3\n"));
        RvConfigValues values;
        values.selPort = 1;
        QVERIFY(!CViewSettings(m_sandbox->IniPath().toStdString()).Load(nullptr, values));
        QCOMPARE(values.selPort, 1);
        QCOMPARE(watcher.Texts().size(), 2);
        QCOMPARE(watcher.Texts().first(), QStringLiteral("Can't Create Config Ini File!"));
    }

    // The user's other choices are registry values under the names other
    // builds read; none is set in a fresh registry.
    void userChoicesAreRegistryValues()
    {
        QVERIFY(!CViewSettings::ShowArrivalTimes() && !CViewSettings::AutoReconnect());
        QVERIFY(!CViewSettings::KeepRecentMb() && !CViewSettings::TextCodePage());
        CViewSettings::SetShowArrivalTimes(true);
        QVERIFY(CViewSettings::ShowArrivalTimes());
        CViewSettings::SetShowArrivalTimes(false);
        QVERIFY(!CViewSettings::ShowArrivalTimes());
        CViewSettings::SetAutoReconnect(true);
        QVERIFY(CViewSettings::AutoReconnect());
        CViewSettings::SetKeepRecentMb(0); // chosen "off" is not "never chosen"
        QCOMPARE(CViewSettings::KeepRecentMb(), std::optional<uint32_t>(0));
        CViewSettings::SetKeepRecentMb(512);
        QCOMPARE(CViewSettings::KeepRecentMb(), std::optional<uint32_t>(512));
        CViewSettings::SetTextCodePage(CodePageId::Utf8);
        QCOMPARE(CViewSettings::TextCodePage(), std::optional<CodePageId>(CodePageId::Utf8));
        CRegManage reg;
        uint32_t arrival = 1, reconnect = 0, keep = 0;
        QByteArray page;
        QVERIFY(reg.ReadDword("ShowArrivalTimes", arrival) &&
                reg.ReadDword("AutoReconnect", reconnect) && reg.ReadDword("KeepRecentMB", keep) &&
                reg.ReadBinary("TextCodePage", page));
        QCOMPARE(std::tuple(arrival, reconnect, keep, page),
                 std::tuple(0u, 1u, 512u, QByteArray(NameOfCodePage(CodePageId::Utf8))));
        reg.WriteBinary("TextCodePage", "no such page");
        QVERIFY(!CViewSettings::TextCodePage());
    }

private:
    static CViewSettings::Snapshot Snapshot(int kind, int splitter1, int splitter2)
    {
        RvConfigValues values;
        values.selPort = kind;
        values.hexDisplay = true;
        return {values, splitter1, splitter2};
    }
};

QTEST_MAIN(TestViewSettings)
#include "tst_viewsettings.moc"
