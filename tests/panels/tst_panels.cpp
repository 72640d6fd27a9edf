// The settings panels driven as a user drives them: the number reading of
// list texts, the USB and printer lists, the serial panel (defaults,
// remembered choices, the record it builds, the close request on a user's
// choice) and the network panel (the port number check and its record).
#include "messageboxwatcher.h"
#include "panels/ethportcfgdlg.h"
#include "panels/portcfgpanel.h"
#include "panels/printercfgdlg.h"
#include "panels/serialcfgdlg.h"
#include "panels/usbcfgdlg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include <climits>
#include <cstring>
#include <memory>

namespace {
QStringList Rows(const QWidget *panel, int listId)
{
    auto *list = FindPanelControl<QTableWidget>(panel, listId);
    QStringList rows;
    for (int row = 0; row < list->rowCount(); ++row)
        rows << list->item(row, 0)->text();
    return rows;
}

// Providers whose device table the test changes while the panel runs.
PanelProviders DevicesFrom(const std::shared_ptr<std::vector<int>> &devices)
{
    PanelProviders providers;
    providers.usbDevices = [devices] { return *devices; };
    return providers;
}

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

void TypeInto(QLineEdit *edit, const QString &text)
{
    edit->clear();
    QTest::keyClicks(edit, text);
}

void TypeTarget(const QWidget *panel, const QString &host, const QString &port)
{
    TypeInto(List(panel, kEthHostId)->lineEdit(), host);
    TypeInto(FindPanelControl<QLineEdit>(panel, kEthPortId), port);
}

std::unique_ptr<CEthPortCfgDlg> ShownNetworkPanel()
{
    auto panel = std::make_unique<CEthPortCfgDlg>();
    panel->show();
    return panel;
}

std::unique_ptr<CEthPortCfgDlg> Recreate(std::unique_ptr<CEthPortCfgDlg> panel)
{
    panel->StoreToBlock();
    panel.reset();
    return ShownNetworkPanel();
}
} // namespace

class TestPanels : public QObject
{
    Q_OBJECT

private slots:
    void init() { PortCfgData() = {}; }

    void leadingDecimalReadsLikeAtoi_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("port after COM") << "1 (/dev/ttyUSB0)" << 1;
        QTest::newRow("blanks and sign") << "  -42abc" << -42;
        QTest::newRow("too large") << "99999999999" << INT_MAX;
        QTest::newRow("too small") << "-99999999999" << INT_MIN;
    }
    void leadingDecimalReadsLikeAtoi()
    {
        QFETCH(QString, text);
        QTEST(LeadingDecimal(text), "value");
    }

    void usbTableEndsAtFirstNegativeOrAfter32()
    {
        auto devices = std::make_shared<std::vector<int>>(std::vector<int>{3, -1, 4});
        CUsbCfgDlg panel(DevicesFrom(devices));
        QCOMPARE(Rows(&panel, kUsbListId), QStringList{"QX-USB-Port 3"});
        devices->assign(40, 7);
        panel.RefreshDevices();
        QCOMPARE(Rows(&panel, kUsbListId).size(), 32);
        devices->clear();
        panel.RefreshDevices();
        QCOMPARE(panel.SelectedRow().state, RowChoice::EmptyList);
    }

    // A panel replaced before the event loop ran must not disable the open
    // button of the kind chosen after it.
    void deletedPrinterPanelDoesNotSignal()
    {
        int emitted = 0;
        auto *panel = new CPrinterCfgDlg({});
        connect(panel, &CPrinterCfgDlg::noPrinterFound, this, [&emitted] { ++emitted; });
        delete panel;
        QCoreApplication::processEvents();
        QCOMPARE(emitted, 0);
    }

    // 298 ASCII bytes and a three-byte character: the character does not fit
    // before the terminator and is left out whole.
    void printerRecordCutsTheNameAtACharacter()
    {
        tagPRINTER_CFG record = CPrinterCfgDlg::BuildRecord("Office");
        QCOMPARE(QByteArray(record.szPrinter), "Office");
        QCOMPARE(record.dwMarker, kCfgMarkerValid);
        record = CPrinterCfgDlg::BuildRecord(QString(298, 'p') + QString::fromUtf8("打印"));
        QCOMPARE(std::strlen(record.szPrinter), 298u);
        QCOMPARE(record.szPrinter[299], '\0');
    }

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
        TypeInto(List(panel.get(), kSerialBaudId)->lineEdit(), "250000");
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

    void hostAndPortComeBackAndBuildTheRecord()
    {
        auto panel = ShownNetworkPanel();
        TypeTarget(panel.get(), "printer.example", "9100");
        panel = Recreate(std::move(panel));

        const tagETHERNET_CFG stored = PortCfgData().ethernet;
        QCOMPARE(FindPanelControl<QLineEdit>(panel.get(), kEthPortId)->text(), "9100");
        const tagETHERNET_CFG record = panel->BuildRecord();
        QCOMPARE(record.dwConnKind, 0u);
        for (const tagETHERNET_CFG *cfg : {&stored, &record}) {
            QCOMPARE(QByteArray(cfg->szHost), "printer.example");
            QCOMPARE(cfg->wPort, 9100);
            QCOMPARE(cfg->dwMarker, kCfgMarkerValid);
        }
    }

    // A panel nobody typed into has no port yet: it asks nothing when it
    // goes, so changing the kind never brings up a message.
    void anUntouchedPanelStoresWithoutAMessage()
    {
        auto panel = ShownNetworkPanel();
        QCOMPARE(FindPanelControl<QLineEdit>(panel.get(), kEthPortId)->text(), QString());
        MessageBoxWatcher boxes;
        panel->StoreToBlock();
        QCOMPARE(boxes.Texts(), QStringList());
        QCOMPARE(PortCfgData().ethernet.wPort, 0);
    }

    void badPortShowsMessageAndKeepsPreviousValues_data()
    {
        QTest::addColumn<QString>("portText");
        for (const char *text : {"abc", "91x", "70000", "0", "000"})
            QTest::newRow(text) << QString::fromLatin1(text);
    }
    // One rule and one message, in the interface's language.
    void badPortShowsMessageAndKeepsPreviousValues()
    {
        QFETCH(QString, portText);
        const QString invalid = "端口号无效：请输入 1 到 65535 之间的整数。";
        auto panel = ShownNetworkPanel();
        TypeTarget(panel.get(), "first", "9100");
        QCOMPARE(panel->BuildRecord().wPort, 9100);

        TypeTarget(panel.get(), "second", portText);
        MessageBoxWatcher boxes;
        const tagETHERNET_CFG record = panel->BuildRecord();
        QCOMPARE(boxes.Texts(), QStringList{invalid});
        QCOMPARE(record.wPort, 9100);
        QCOMPARE(QByteArray(record.szHost), "first");

        panel->StoreToBlock();
        QCOMPARE(boxes.Texts(), QStringList(2, invalid));
        QCOMPARE(PortCfgData().ethernet.wPort, 9100);
        QCOMPARE(QByteArray(PortCfgData().ethernet.szHost), "first");
    }
};

QTEST_MAIN(TestPanels)
#include "tst_panels.moc"
