// The network panel: radio groups, remembered choices, the port number
// check and the record it builds.
#include "ethportcfgdlg.h"
#include "messageboxwatcher.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include <cstring>
#include <memory>

namespace {

QRadioButton *Radio(const QWidget *panel, int id)
{
    return FindPanelControl<QRadioButton>(panel, id);
}

void TypeInto(QLineEdit *edit, const QString &text)
{
    edit->clear();
    QTest::keyClicks(edit, text);
}

// Clicks on the indicator: a radio button reacts only to clicks on its
// indicator and text, not anywhere in its (stretched) cell.
void ClickRadio(const QWidget *panel, int id)
{
    QRadioButton *radio = Radio(panel, id);
    QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
}

void TypePort(const QWidget *panel, const QString &text)
{
    TypeInto(FindPanelControl<QLineEdit>(panel, kEthPortId), text);
}

void TypeHost(const QWidget *panel, const QString &text)
{
    TypeInto(FindPanelControl<QComboBox>(panel, kEthHostId)->lineEdit(), text);
}

std::unique_ptr<CEthPortCfgDlg> Recreate(std::unique_ptr<CEthPortCfgDlg> panel)
{
    panel->StoreToBlock();
    panel.reset();
    auto fresh = std::make_unique<CEthPortCfgDlg>();
    fresh->show();
    return fresh;
}

std::unique_ptr<CEthPortCfgDlg> ShownPanel()
{
    auto panel = std::make_unique<CEthPortCfgDlg>();
    panel->show();
    return panel;
}

} // namespace

class TestEthPortCfgDlg : public QObject
{
    Q_OBJECT

private slots:
    void init() { PortCfgData() = {}; }

    void freshStartShowsTcpIpWithTcp()
    {
        auto panel = ShownPanel();
        QVERIFY(Radio(panel.get(), kEthTcpIpId)->isChecked());
        QVERIFY(Radio(panel.get(), kEthTcpId)->isChecked());
        QVERIFY(Radio(panel.get(), kEthTcpId)->isVisible());
        QVERIFY(!Radio(panel.get(), kEthUdpId)->isEnabled());
        QCOMPARE(FindPanelControl<QLineEdit>(panel.get(), kEthPortId)->text(), "0");
        QCOMPARE(FindPanelControl<QComboBox>(panel.get(), kEthHostId)->currentText(), "");
    }

    void ipxSurvivesRecreateWithProtocolsHidden()
    {
        auto panel = ShownPanel();
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
        TypeHost(panel.get(), "printer.example");
        TypePort(panel.get(), "9100");
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

    void storedUdpKindTicksUdp()
    {
        PortCfgData().ethernet.dwConnKind = 1;
        PortCfgData().ethernet.dwMarker = kCfgMarkerValid;
        auto panel = ShownPanel();
        QVERIFY(Radio(panel.get(), kEthTcpIpId)->isChecked());
        QVERIFY(Radio(panel.get(), kEthUdpId)->isChecked());
        QCOMPARE(panel->BuildRecord().dwConnKind, 0u);
    }

    void badPortShowsMessageAndKeepsPreviousValues_data()
    {
        QTest::addColumn<QString>("portText");
        QTest::addColumn<QString>("message");
        const QString notPositive = "Please enter a positive integer.";
        QTest::newRow("letters") << "abc" << notPositive;
        QTest::newRow("empty") << "" << notPositive;
        QTest::newRow("negative") << "-1" << notPositive;
        QTest::newRow("trailing junk") << "91x" << notPositive;
        QTest::newRow("above 65535") << "70000"
                                     << "Please enter an integer between 0 and 65535.";
    }

    void badPortShowsMessageAndKeepsPreviousValues()
    {
        QFETCH(QString, portText);
        QFETCH(QString, message);
        auto panel = ShownPanel();
        TypeHost(panel.get(), "first");
        TypePort(panel.get(), "9100");
        QCOMPARE(panel->BuildRecord().wPort, 9100);

        TypeHost(panel.get(), "second");
        TypePort(panel.get(), portText);
        MessageBoxWatcher boxes;
        const tagETHERNET_CFG record = panel->BuildRecord();
        QCOMPARE(boxes.Texts(), QStringList{message});
        QCOMPARE(record.wPort, 9100);
        QCOMPARE(QByteArray(record.szHost), "first");

        panel->StoreToBlock();
        QCOMPARE(boxes.Texts().size(), 2);
        QCOMPARE(PortCfgData().ethernet.wPort, 9100);
        QCOMPARE(QByteArray(PortCfgData().ethernet.szHost), "first");
    }

    void hostIsLimitedTo50Characters()
    {
        auto panel = ShownPanel();
        TypeHost(panel.get(), QString(60, 'h'));
        QCOMPARE(FindPanelControl<QComboBox>(panel.get(), kEthHostId)->currentText(),
                 QString(50, 'h'));

        // The record keeps a terminator; the block keeps all 50.
        const tagETHERNET_CFG record = panel->BuildRecord();
        QCOMPARE(std::strlen(record.szHost), 49u);
        panel = Recreate(std::move(panel));
        QCOMPARE(FindPanelControl<QComboBox>(panel.get(), kEthHostId)->currentText(),
                 QString(50, 'h'));
    }
};

QTEST_MAIN(TestEthPortCfgDlg)
#include "tst_ethportcfgdlg.moc"
