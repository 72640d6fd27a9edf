// What all panels share: the panel for each kind, control ids, and the
// number reading of list texts.
#include "ethportcfgdlg.h"
#include "portcfgpanel.h"
#include "printercfgdlg.h"
#include "serialcfgdlg.h"
#include "usbcfgdlg.h"

#include <QGroupBox>
#include <QTest>

#include <climits>
#include <memory>

class TestPortCfgPanel : public QObject
{
    Q_OBJECT

private slots:
    void init() { PortCfgData() = {}; }

    void createsThePanelOfEachKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("someControlId");
        QTest::newRow("serial") << 0 << "CSerialCfgDlg"
                                << "串口参数" << kSerialFlowId;
        QTest::newRow("parallel") << 1 << "CParallelCfgDlg"
                                  << "并口参数" << 0;
        QTest::newRow("usb") << 2 << "CUsbCfgDlg"
                             << "点击选择USB接口" << kUsbRefreshId;
        QTest::newRow("network") << 3 << "CEthPortCfgDlg"
                                 << "网络接口参数" << kEthIpxId;
        QTest::newRow("printer") << 4 << "CPrinterCfgDlg"
                                 << "点击选择打印驱动" << kPrinterListId;
    }

    void createsThePanelOfEachKind()
    {
        QFETCH(int, kind);
        QFETCH(QString, className);
        QFETCH(QString, title);
        QFETCH(int, someControlId);
        QWidget view;
        CPortCfgPanel *panel = CreatePortCfgPanel(kind, {}, &view);
        QVERIFY(panel);
        QCOMPARE(panel->parent(), &view);
        QCOMPARE(panel->metaObject()->className(), className);
        QCOMPARE(panel->findChild<QGroupBox *>()->title(), title);
        if (someControlId != 0)
            QVERIFY(FindPanelControl<QWidget>(panel, someControlId));
    }

    void noPanelWithoutAKind()
    {
        QWidget view;
        QVERIFY(!CreatePortCfgPanel(-1, {}, &view));
        QVERIFY(!CreatePortCfgPanel(5, {}, &view));
    }

    void leadingDecimalReadsLikeAtoi_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("port after COM") << "1 (/dev/ttyUSB0)" << 1;
        QTest::newRow("two digits then path") << "12(/dev/x)" << 12;
        QTest::newRow("blanks and sign") << "  -42abc" << -42;
        QTest::newRow("plus") << "+7" << 7;
        QTest::newRow("no digits") << "abc" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("sign only") << "-" << 0;
        QTest::newRow("too large") << "99999999999" << INT_MAX;
        QTest::newRow("too small") << "-99999999999" << INT_MIN;
    }

    void leadingDecimalReadsLikeAtoi()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(LeadingDecimal(text), value);
    }
};

QTEST_MAIN(TestPortCfgPanel)
#include "tst_portcfgpanel.moc"
