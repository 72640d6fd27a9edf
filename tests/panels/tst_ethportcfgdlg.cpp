// The network panel: radio groups, remembered choices, the port number
// check and the record it builds.
#include "ethportcfgdlg.h"
#include "messageboxwatcher.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include <memory>

namespace {
QRadioButton *Radio(const QWidget *panel, int id)
{
    return FindPanelControl<QRadioButton>(panel, id);
}

// Clicks on the indicator: a radio button reacts only to clicks on its
// indicator and text, not anywhere in its (stretched) cell.
void ClickRadio(const QWidget *panel, int id)
{
    QRadioButton *radio = Radio(panel, id);
    QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
}

void TypeInto(QLineEdit *edit, const QString &text)
{
    edit->clear();
    QTest::keyClicks(edit, text);
}

void TypeTarget(const QWidget *panel, const QString &host, const QString &port)
{
    TypeInto(FindPanelControl<QComboBox>(panel, kEthHostId)->lineEdit(), host);
    TypeInto(FindPanelControl<QLineEdit>(panel, kEthPortId), port);
}

std::unique_ptr<CEthPortCfgDlg> ShownPanel()
{
    auto panel = std::make_unique<CEthPortCfgDlg>();
    panel->show();
    return panel;
}

std::unique_ptr<CEthPortCfgDlg> Recreate(std::unique_ptr<CEthPortCfgDlg> panel)
{
    panel->StoreToBlock();
    panel.reset();
    return ShownPanel();
}
} // namespace

class TestEthPortCfgDlg : public QObject
{
    Q_OBJECT

private slots:
    void init() { PortCfgData() = {}; }

    void ipxSurvivesRecreateWithProtocolsHidden()
    {
        auto panel = ShownPanel();
        QVERIFY(Radio(panel.get(), kEthTcpIpId)->isChecked());
        QVERIFY(Radio(panel.get(), kEthTcpId)->isChecked());
        ClickRadio(panel.get(), kEthIpxId);
        QVERIFY(Radio(panel.get(), kEthIpxId)->isChecked());
        QVERIFY(!Radio(panel.get(), kEthTcpId)->isVisible());

        panel = Recreate(std::move(panel));
        QCOMPARE(PortCfgData().ethernet.dwConnKind, 2u);
        QVERIFY(Radio(panel.get(), kEthIpxId)->isChecked());
        QVERIFY(!Radio(panel.get(), kEthTcpId)->isVisible());
        QVERIFY(!Radio(panel.get(), kEthUdpId)->isVisible());

        ClickRadio(panel.get(), kEthTcpIpId);
        QVERIFY(Radio(panel.get(), kEthTcpId)->isVisible());
        QVERIFY(Radio(panel.get(), kEthUdpId)->isVisible());
        panel->StoreToBlock();
        QCOMPARE(PortCfgData().ethernet.dwConnKind, 0u);
    }

    void hostAndPortComeBackAndBuildTheRecord()
    {
        auto panel = ShownPanel();
        TypeTarget(panel.get(), "printer.example", "9100");
        panel = Recreate(std::move(panel));

        const tagETHERNET_CFG &stored = PortCfgData().ethernet;
        QCOMPARE(QByteArray(stored.szHost), "printer.example");
        QCOMPARE(stored.wPort, 9100);
        QCOMPARE(stored.dwMarker, kCfgMarkerValid);
        QCOMPARE(FindPanelControl<QLineEdit>(panel.get(), kEthPortId)->text(), "9100");

        const tagETHERNET_CFG record = panel->BuildRecord();
        QCOMPARE(QByteArray(record.szHost), "printer.example");
        QCOMPARE(record.wPort, 9100);
        QCOMPARE(record.dwConnKind, 0u);
        QCOMPARE(record.dwMarker, kCfgMarkerValid);
    }

    void badPortShowsMessageAndKeepsPreviousValues_data()
    {
        QTest::addColumn<QString>("portText");
        QTest::addColumn<QString>("message");
        const QString notPositive = "Please enter a positive integer.";
        QTest::newRow("letters") << "abc" << notPositive;
        QTest::newRow("trailing junk") << "91x" << notPositive;
        QTest::newRow("above 65535") << "70000"
                                     << "Please enter an integer between 0 and 65535.";
    }
    void badPortShowsMessageAndKeepsPreviousValues()
    {
        QFETCH(QString, portText);
        auto panel = ShownPanel();
        TypeTarget(panel.get(), "first", "9100");
        QCOMPARE(panel->BuildRecord().wPort, 9100);

        TypeTarget(panel.get(), "second", portText);
        MessageBoxWatcher boxes;
        const tagETHERNET_CFG record = panel->BuildRecord();
        QTEST(boxes.Texts().value(0), "message");
        QCOMPARE(boxes.Texts().size(), 1);
        QCOMPARE(record.wPort, 9100);
        QCOMPARE(QByteArray(record.szHost), "first");

        panel->StoreToBlock();
        QCOMPARE(boxes.Texts().size(), 2);
        QCOMPARE(PortCfgData().ethernet.wPort, 9100);
        QCOMPARE(QByteArray(PortCfgData().ethernet.szHost), "first");
    }
};

QTEST_MAIN(TestEthPortCfgDlg)
#include "tst_ethportcfgdlg.moc"
