// The serial panel: defaults, remembered choices, the record it builds and
// the close request on a user's choice.
#include "panels/serialcfgdlg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {
const QStringList kDefaults = {"COM1", "9600", "8", "1", "None", "Hardware"};

QComboBox *List(const QWidget *panel, int id)
{
    return FindPanelControl<QComboBox>(panel, id);
}

QStringList ShownTexts(const QWidget *panel)
{
    QStringList texts;
    for (int id = kSerialPortId; id <= kSerialFlowId; ++id)
        texts << List(panel, id)->currentText();
    return texts;
}

// Stores the panel's choices and builds a new panel from them, as a switch
// to another port kind and back does.
std::unique_ptr<CSerialCfgDlg> Recreate(std::unique_ptr<CSerialCfgDlg> panel)
{
    panel->StoreToBlock();
    panel.reset();
    return std::make_unique<CSerialCfgDlg>(PanelProviders{});
}
} // namespace

class TestSerialCfgDlg : public QObject
{
    Q_OBJECT

private slots:
    void init() { PortCfgData() = {}; }

    void storingDefaultsGivesTheKnownBlockBytes()
    {
        PortCfgData().serial.byAlign = 0x7E; // never written by the panel
        CSerialCfgDlg panel({});
        panel.StoreToBlock();
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(&PortCfgData().serial), 20).toHex(' '),
                 "00 00 00 00 80 25 00 00 00 04 00 7e 01 00 00 00 aa 55 00 00");
    }

    void typedBaudComesBackAfterRecreate()
    {
        auto panel = std::make_unique<CSerialCfgDlg>(PanelProviders{});
        QComboBox *baud = List(panel.get(), kSerialBaudId);
        baud->lineEdit()->clear();
        QTest::keyClicks(baud->lineEdit(), "250000");
        QCOMPARE(panel->BuildRecord().dwBaudRate, 250000u);

        panel = Recreate(std::move(panel));
        QCOMPARE(List(panel.get(), kSerialBaudId)->currentText(), "250000");
        QCOMPARE(List(panel.get(), kSerialBaudId)->count(), 8);
        QCOMPARE(panel->BuildRecord().dwBaudRate, 250000u);
        List(panel.get(), kSerialBaudId)->setEditText("fast");
        QCOMPARE(panel->BuildRecord().dwBaudRate, 0u);
    }

    void blockWithoutMarkerOrWithBadIndexesKeepsDefaults()
    {
        tagSERIAL_CFG &stored = PortCfgData().serial;
        stored = {5, 4800, 1, 1, 1, 0, 0, kCfgMarkerUnset};
        QCOMPARE(ShownTexts(std::make_unique<CSerialCfgDlg>(PanelProviders{}).get()), kDefaults);
        // Indexes no list has, with a valid marker: the rest still applies.
        stored = {12, 4800, 9, 7, 5, 0, 7, kCfgMarkerValid};
        QCOMPARE(ShownTexts(std::make_unique<CSerialCfgDlg>(PanelProviders{}).get()),
                 QStringList({"COM1", "4800", "8", "1", "None", "None"}));
    }

    void userChoiceRequestsClose_data()
    {
        QTest::addColumn<int>("id");
        for (int id = kSerialPortId; id <= kSerialFlowId; ++id)
            QTest::addRow("%d", id) << id;
    }
    void userChoiceRequestsClose()
    {
        QFETCH(int, id);
        CSerialCfgDlg panel({});
        panel.show();
        QSignalSpy changed(&panel, &CSerialCfgDlg::settingChanged);
        QComboBox *list = List(&panel, id);
        const int before = list->currentIndex();
        list->setFocus();
        QTest::keyClick(list, before + 1 < list->count() ? Qt::Key_Down : Qt::Key_Up);
        QVERIFY(list->currentIndex() != before);
        QCOMPARE(changed.count(), 1);
    }

    void typingOrCodeChangesDoNotRequestClose()
    {
        CSerialCfgDlg panel({});
        panel.show();
        QSignalSpy changed(&panel, &CSerialCfgDlg::settingChanged);
        QComboBox *baud = List(&panel, kSerialBaudId);
        baud->lineEdit()->selectAll();
        QTest::keyClicks(baud->lineEdit(), "14400");
        QCOMPARE(baud->currentText(), "14400");
        List(&panel, kSerialParityId)->setCurrentIndex(3);
        QCOMPARE(changed.count(), 0);
    }
};

QTEST_MAIN(TestSerialCfgDlg)
#include "tst_serialcfgdlg.moc"
