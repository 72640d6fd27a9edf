// The port part on its own: which port the panel of each kind makes, and
// when the user is asked to choose a row.
#include "fakeport.h"
#include "view/parts/viewport.h"

#include <QTableWidget>
#include <QTest>

class TestViewPort : public QObject
{
    Q_OBJECT

private slots:
    void configuredFromThePanel_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("panel");
        QTest::addColumn<bool>("noRowChosen");
        QTest::addColumn<bool>("made");
        QTest::newRow("serial before its panel") << 0 << false << false << false;
        QTest::newRow("serial") << 0 << true << false << true;
        QTest::newRow("parallel needs no panel") << 1 << false << false << true;
        QTest::newRow("usb") << 2 << true << false << true;
        QTest::newRow("usb, no row chosen") << 2 << true << true << false;
        QTest::newRow("network") << 3 << true << false << true;
        QTest::newRow("printer, no row chosen") << 4 << true << true << false;
        QTest::newRow("printer") << 4 << true << false << true;
    }
    void configuredFromThePanel()
    {
        QFETCH(int, kind);
        QFETCH(bool, panel);
        QFETCH(bool, noRowChosen);
        QFETCH(bool, made);
        PortCfgData() = {};
        CFakePortLog log;
        QList<PortKind> madeKinds;
        int reports = 0;
        CViewPort port;
        port.SetProviders({[] {
                               return std::vector<int>{4, 7};
                           },
                           [] { return QStringList{"lp"}; }, [](const QString &n) { return n; }});
        port.SetFactory([&](PortKind madeKind) {
            madeKinds << madeKind;
            return std::make_unique<CFakePort>(log, int(madeKind) + 1, true);
        });
        port.SetNoRowReport([&] { ++reports; });
        QWidget view;
        if (panel && port.CreatePanel(kind, &view) && noRowChosen)
            port.Panel()->findChild<QTableWidget *>()->clearSelection();
        QCOMPARE(port.CreateConfigured(kind) != nullptr, made);
        QCOMPARE(madeKinds, made ? QList{PortKind(kind)} : QList<PortKind>{});
        QCOMPARE(reports, noRowChosen ? 1 : 0);
    }
};

QTEST_MAIN(TestViewPort)
#include "tst_viewport.moc"
