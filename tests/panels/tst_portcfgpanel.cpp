// The number reading of list texts and the two list panels: USB devices and
// printer queues.
#include "panels/portcfgpanel.h"
#include "panels/printercfgdlg.h"
#include "panels/usbcfgdlg.h"

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
} // namespace

class TestPortCfgPanel : public QObject
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
};

QTEST_MAIN(TestPortCfgPanel)
#include "tst_portcfgpanel.moc"
