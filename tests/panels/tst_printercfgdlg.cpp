// The printer panel: row order, the empty-list signal and the record.
#include "printercfgdlg.h"

#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include <cstring>

namespace {

PanelProviders PrintersFrom(const QStringList &names)
{
    PanelProviders providers;
    providers.printers = [names] { return names; };
    return providers;
}

} // namespace

class TestPrinterCfgDlg : public QObject
{
    Q_OBJECT

private slots:
    void rowsInInsertionOrderWithFirstSelected()
    {
        CPrinterCfgDlg panel(PrintersFrom({"Office", "Label", "Raw"}));
        QSignalSpy noPrinter(&panel, &CPrinterCfgDlg::noPrinterFound);
        auto *list = FindPanelControl<QTableWidget>(&panel, kPrinterListId);
        QCOMPARE(list->rowCount(), 3);
        QCOMPARE(list->item(1, 0)->text(), "Raw");
        QCOMPARE(list->item(2, 0)->text(), "Label");
        QCOMPARE(panel.SelectedRow().state, RowChoice::Selected);
        QCOMPARE(panel.SelectedRow().text, "Office");
        QCoreApplication::processEvents();
        QCOMPARE(noPrinter.count(), 0);
    }

    void noPrinterSignalsOnceAfterCreation()
    {
        CPrinterCfgDlg panel({});
        QSignalSpy noPrinter(&panel, &CPrinterCfgDlg::noPrinterFound);
        QCOMPARE(panel.SelectedRow().state, RowChoice::EmptyList);
        QVERIFY(noPrinter.wait(1000));
        QCoreApplication::processEvents();
        QCOMPARE(noPrinter.count(), 1);
    }

    void deletedPanelDoesNotSignal()
    {
        // A panel replaced before the event loop ran must not disable the
        // open button of the kind chosen after it.
        int emitted = 0;
        auto *panel = new CPrinterCfgDlg({});
        connect(panel, &CPrinterCfgDlg::noPrinterFound, this, [&emitted] { ++emitted; });
        delete panel;
        QCoreApplication::processEvents();
        QCOMPARE(emitted, 0);
    }

    void recordHoldsTheNameCutAtACharacter()
    {
        tagPRINTER_CFG record = CPrinterCfgDlg::BuildRecord("Office");
        QCOMPARE(QByteArray(record.szPrinter), "Office");
        QCOMPARE(record.dwMarker, kCfgMarkerValid);

        // 298 ASCII bytes and a three-byte character: the character does not
        // fit before the terminator and is left out whole.
        record = CPrinterCfgDlg::BuildRecord(QString(298, 'p') + QString::fromUtf8("打印"));
        QCOMPARE(std::strlen(record.szPrinter), 298u);
        QCOMPARE(record.szPrinter[299], '\0');
    }
};

QTEST_MAIN(TestPrinterCfgDlg)
#include "tst_printercfgdlg.moc"
