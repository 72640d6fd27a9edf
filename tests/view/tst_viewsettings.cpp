// The view's settings on their own: one save per view, read back after a
// restart, and the messages for a damaged or unwritable file.
#include "config/rvconfig.h"
#include "messageboxwatcher.h"
#include "view/viewsettings.h"
#include "viewsandbox.h"

#include <QTest>

namespace {
CViewSettings::Snapshot Snapshot(int kind, int splitter1, int splitter2)
{
    CViewSettings::Snapshot snapshot;
    snapshot.values.selPort = kind;
    snapshot.values.hexDisplay = true;
    snapshot.values.countSend = true;
    snapshot.splitter1 = splitter1;
    snapshot.splitter2 = splitter2;
    return snapshot;
}
} // namespace

class TestViewSettings : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_sandbox = std::make_unique<CViewSandbox>(); }
    void cleanup() { m_sandbox.reset(); }

    // A second save (the destructor after the window closed) writes nothing.
    void savedOnceAndReadBack()
    {
        CViewSettings settings(m_sandbox->IniPath().toStdString());
        int collected = 0;
        settings.SaveOnce(nullptr, [&] {
            ++collected;
            return Snapshot(3, 210, 330);
        });
        settings.SaveOnce(nullptr, [&] {
            ++collected;
            return Snapshot(1, 99, 199);
        });
        QCOMPARE(collected, 1);

        const CViewSettings restarted(m_sandbox->IniPath().toStdString());
        RvConfigValues values;
        QVERIFY(restarted.Load(nullptr, values));
        QCOMPARE(values.selPort, 3);
        QVERIFY(values.hexDisplay && values.countSend && !values.hexSend && !values.countRecv);
        QCOMPARE(CViewSettings::SavedSplitterTops(), std::make_pair(210, 330));
    }

    // The registry values are not saved apart from the file.
    void unwritableFileSavesNothing()
    {
        QVERIFY(WriteFileBytes(m_sandbox->Path("notAFolder"), "x"));
        CViewSettings settings(m_sandbox->Path("notAFolder/rvcfg.ini").toStdString());
        const MessageBoxWatcher watcher;
        settings.SaveOnce(nullptr, [] { return Snapshot(2, 210, 330); });
        QCOMPARE(watcher.Texts(), QStringList{"Can't Create Config Ini File!"});
        QCOMPARE(CViewSettings::SavedSplitterTops(), std::make_pair(0, 0));
    }

    void damagedSectionIsReportedAndIgnored()
    {
        QVERIFY(WriteFileBytes(m_sandbox->IniPath(),
                               "[RVConfigs]\nPortCfgData=12zz\nPortCfgDataCS=1\nSelPort=3\n"));
        const CViewSettings settings(m_sandbox->IniPath().toStdString());
        RvConfigValues values;
        values.selPort = 1;
        const MessageBoxWatcher watcher;
        QVERIFY(!settings.Load(nullptr, values));
        QCOMPARE(watcher.Texts().size(), 1);
        QCOMPARE(values.selPort, 1);
    }

private:
    std::unique_ptr<CViewSandbox> m_sandbox;
};

QTEST_MAIN(TestViewSettings)
#include "tst_viewsettings.moc"
