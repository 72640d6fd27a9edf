// The printer-driver kind through the window against a private cupsd: what
// the user reads when the spooler will not print, and a spooler frozen with
// SIGSTOP that must never hold the window.
#include "viewsandbox.h"

#include "panels/printercfgdlg.h"
#include "privatecupsd.h"

using namespace ViewText;

namespace {
const QString kSendFailed = QStringLiteral("数据发送失败！");
constexpr char kFine[] = "tv_fine";
constexpr char kFailing[] = "tv_failing";
constexpr char kDisabled[] = "tv_disabled";
constexpr char kDeleted[] = "tv_deleted";
// Longer than the view ever waits before it shows a changed counter (1 s).
constexpr int kDisplayTickMs = 1100;
} // namespace

class TestPrinterSend : public CViewTestCase
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        std::string whyNot;
        QVERIFY2(m_cupsd.Start(whyNot) && m_cupsd.AddRawQueue(kFine, whyNot) &&
                     m_cupsd.AddFailingQueue(kFailing, whyNot) &&
                     m_cupsd.AddRawQueue(kDisabled, whyNot) &&
                     m_cupsd.AddRawQueue(kDeleted, whyNot),
                 whyNot.c_str());
    }
    void cleanup()
    {
        m_cupsd.Thaw(); // also when a check failed while it was frozen
        CViewTestCase::cleanup();
    }

    void sendThatWillNotPrintSaysWhy_data()
    {
        QTest::addColumn<QString>("queue");
        QTest::addColumn<QString>("expected"); // the start of the status text
        QTest::newRow("stopped queue")
            << QString(kDisabled) << kSendFailed + QStringLiteral("打印队列已停止：out of paper");
        QTest::newRow("backend fails")
            << QString(kFailing)
            << kSendFailed + QStringLiteral("打印任务被中止：") + kFailingBackendMessage;
        QTest::newRow("deleted queue")
            << QString(kDeleted) << kSendFailed + QStringLiteral("打印队列不存在：");
    }
    void sendThatWillNotPrintSaysWhy()
    {
        QFETCH(QString, queue);
        QFETCH(QString, expected);
        OpenPrinter(queue);
        auto *countSend = Find<QCheckBox>(ViewId::kCountSend);
        if (!countSend->isChecked())
            QTest::mouseClick(countSend, Qt::LeftButton, {}, QPoint(2, countSend->height() / 2));
        QVERIFY(countSend->isChecked());
        if (queue == kDisabled)
            QVERIFY(m_cupsd.DisableQueue(kDisabled, "out of paper"));
        if (queue == kDeleted)
            QVERIFY(m_cupsd.DeleteQueue(kDeleted));
        SendText(QStringLiteral("printer test"));
        QTRY_VERIFY_WITH_TIMEOUT(StatusText().startsWith(expected), kPortWaitMs);
        QVERIFY(m_framed->StatusIsError());
        QTRY_VERIFY_WITH_TIMEOUT(Button(ViewId::kSend)->isEnabled(), kPortWaitMs);
        QTest::qWait(kDisplayTickMs);
        QCOMPARE(Find<QLineEdit>(ViewId::kSendCount)->text(), QStringLiteral("0"));
    }

    void filePassThatDoesNotPrintIsAFailedTransfer()
    {
        OpenPrinter(kFailing);
        StartFileSend(QByteArray(5000, 'F'), 1);
        QTRY_COMPARE_WITH_TIMEOUT(StatusText(),
                                  LoadString(IDS_FILE_SEND_ERROR) +
                                      QStringLiteral("打印任务被中止：") + kFailingBackendMessage,
                                  kPortWaitMs);
        QVERIFY(m_framed->StatusIsError());
        QVERIFY(Button(ViewId::kSend)->isEnabled());
        QVERIFY(!Button(ViewId::kStopFile)->isEnabled());
    }

    // Send, stop, close the port and close the window, each while the
    // scheduler stays stopped; a hang is caught by the test's time-out.
    void frozenSpoolerNeverHoldsTheWindow()
    {
        OpenPrinter(kFine);
        m_cupsd.Freeze();
        SendText(QStringLiteral("printer test"));
        QVERIFY(!StatusText().startsWith(kSendFailed)); // the click did not wait
        QTRY_COMPARE_WITH_TIMEOUT(
            StatusText(), kSendFailed + QStringLiteral("打印服务 CUPS 没有响应"), kSpoolerWaitMs);
        QVERIFY(m_framed->StatusIsError());
        QVERIFY(Button(ViewId::kSend)->isEnabled());

        StartFileSend(QByteArray(5000, 'F'), 100);
        QTest::mouseClick(Button(ViewId::kStopFile), Qt::LeftButton);
        QCOMPARE(StatusText(), LoadString(IDS_FILE_SEND_STOPPED));
        QVERIFY(m_cupsd.IsFrozen());

        m_cupsd.Thaw();
        SendText(QStringLiteral("printer test"));
        m_cupsd.Freeze(); // the job is under way
        m_framed->ClickOpenClose();
        QVERIFY(!m_framed->View()->HasPort());
        QVERIFY(m_cupsd.IsFrozen());

        m_cupsd.Thaw();
        OpenPrinter(kFine);
        SendText(QStringLiteral("printer test"));
        m_cupsd.Freeze();
        m_framed.reset(); // the window closes
        QVERIFY(m_cupsd.IsFrozen());
    }

    // The open asks the spooler off the window thread and says why it failed.
    void openWithFrozenSpoolerSaysItDoesNotAnswer()
    {
        OpenPrinter(kFine);
        m_framed->ClickOpenClose();
        m_cupsd.Freeze();
        m_framed->ClickOpenClose();
        QVERIFY(!StatusText().startsWith(kOpenFailed)); // the click did not wait
        QTRY_COMPARE_WITH_TIMEOUT(
            StatusText(), kOpenFailed + QStringLiteral("打印服务 CUPS 没有响应"), kSpoolerWaitMs);
        QVERIFY(!m_framed->View()->HasPort());
        QCOMPARE(m_framed->OpenButton()->text(), kOpenCaption);
        // The list is built again without waiting: the queues last listed.
        m_framed->SelectKind(PortKind::Network);
        m_framed->SelectKind(PortKind::Printer);
        auto *list = FindPanelControl<QTableWidget>(m_framed->Panel(), kPrinterListId);
        QVERIFY(list && !list->findItems(kFine, Qt::MatchExactly).isEmpty());
        QVERIFY(m_cupsd.IsFrozen());
    }

private:
    static constexpr int kSpoolerWaitMs = 30000; // a frozen spooler: calls give up after 5 s
    void OpenPrinter(const QString &queue)
    {
        if (!m_framed)
            StartWithSystemPorts();
        m_framed->SelectKind(PortKind::Printer);
        auto *list = FindPanelControl<QTableWidget>(m_framed->Panel(), kPrinterListId);
        QVERIFY(list);
        const QList<QTableWidgetItem *> rows = list->findItems(queue, Qt::MatchExactly);
        QCOMPARE(rows.size(), 1);
        list->setCurrentItem(rows.first());
        m_framed->ClickOpenClose();
        QTRY_COMPARE_WITH_TIMEOUT(StatusText(), kOpened, kPortWaitMs);
        QVERIFY(Button(ViewId::kSend)->isEnabled());
    }

    CPrivateCupsd m_cupsd;
};

QTEST_MAIN(TestPrinterSend)
#include "tst_printersend.moc"
