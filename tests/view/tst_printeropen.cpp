// The printer-driver kind through the window, against a private CUPS
// scheduler: the panel lists its queue, and the queue opens and closes.
#include "viewsandbox.h"

#include "printercfgdlg.h"
#include "privatecupsd.h"

#include <QTableWidget>

using namespace ViewText;

class TestPrinterOpen : public QObject
{
    Q_OBJECT

private slots:
    void panelListsTheQueueWhichOpensAndCloses()
    {
        // The scheduler points the process's CUPS clients at itself, so it
        // has to run before the view asks for the queues.
        const std::string queue = "tarvik_view_lab";
        CPrivateCupsd cupsd;
        std::string whyNot;
        QVERIFY2(cupsd.Start(whyNot), whyNot.c_str());
        QVERIFY2(cupsd.AddRawQueue(queue, whyNot), whyNot.c_str());
        CViewSandbox sandbox;
        CFramedView framed(CTarvikView::PortFactory{}, std::nullopt);
        QVERIFY(framed.WaitForStartup());
        framed.SelectKind(PortKind::Printer);
        QVERIFY(qobject_cast<CPrinterCfgDlg *>(framed.Panel()));
        auto *list = FindPanelControl<QTableWidget>(framed.Panel(), kPrinterListId);
        QVERIFY(list);
        const auto rows = list->findItems(QString::fromStdString(queue), Qt::MatchExactly);
        QCOMPARE(rows.size(), 1);
        list->selectRow(rows.first()->row());
        QVERIFY(framed.OpenButton()->isEnabled());

        framed.ClickOpenClose();
        // Only a bound on hangs: the scheduler and the port threads may be slow.
        QTRY_COMPARE_WITH_TIMEOUT(framed.StatusText(), kOpened, 20000);
        QVERIFY(framed.StatusIsHint());
        QCOMPARE(framed.OpenButton()->text(), kCloseCaption);
        QVERIFY(framed.View()->HasPort());
        QVERIFY(framed.Button(ViewId::kSend)->isEnabled());

        framed.ClickOpenClose();
        QCOMPARE(framed.StatusText(), kClosed);
        QVERIFY(framed.StatusIsHint());
        QCOMPARE(framed.OpenButton()->text(), kOpenCaption);
        QVERIFY(!framed.View()->HasPort());
    }
};

QTEST_MAIN(TestPrinterOpen)
#include "tst_printeropen.moc"
