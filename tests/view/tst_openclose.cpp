// Open and close, the open result, a lost port and the send button as the
// view's write lock, driven through the real frame and view with a port that
// answers on command.
#include "fakeport.h"
#include "viewsandbox.h"

#include <QAction>
#include <QCheckBox>

using namespace ViewText;

class TestOpenClose : public CViewTestCase
{
    Q_OBJECT

private slots:
    void init()
    {
        CViewTestCase::init();
        m_log = {};
        m_port = nullptr;
        m_acceptOpen = true;
    }

    void openFails_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<int>("closed");
        QTest::newRow("refused by the port") << false << 0;
        QTest::newRow("result with an error") << true << 1;
    }
    void openFails()
    {
        QFETCH(bool, accept);
        m_acceptOpen = accept;
        StartFake();
        m_framed->ClickOpenClose();
        QCOMPARE(m_log.created, 1);
        if (accept)
            m_port->RaiseOpenResult(10061);
        QTRY_VERIFY(Open()->isEnabled());
        QVERIFY(!m_framed->View()->HasPort());
        QTEST(m_log.closed, "closed");
        QCOMPARE(Open()->text(), kOpenCaption);
        QVERIFY(!Send()->isEnabled());
        QCOMPARE(m_framed->StatusText(), kOpenFailed);
        QVERIFY(m_framed->StatusIsError());
        QCOMPARE(m_framed->View()->OnSendData(QByteArray("\x1b@", 2)), 0);
    }

    // The view forgets its port before closing it: a loss the close itself
    // reports on this thread must not close the port a second time.
    void lossReportedWhileClosingIsIgnored()
    {
        StartFake();
        OpenWithResult(0);
        m_port->SetLostOnClose();
        m_framed->ClickOpenClose();
        QCOMPARE(m_log.closed, 1);
        QVERIFY(!m_framed->View()->HasPort());
        QCOMPARE(m_framed->StatusText(), kClosed);
        QVERIFY(m_framed->StatusIsHint());
    }

    // A port closed before its open result arrives leaves the view closed and
    // usable; a late result for the port that is gone changes nothing.
    void closeRequestWhileOpening()
    {
        StartFake();
        m_framed->ClickOpenClose();
        QVERIFY(!Open()->isEnabled());
        QCOMPARE(m_framed->View()->OnViewRequest(CTarvikView::kRequestClosePort, 1, {}), 1);
        QVERIFY(!m_framed->View()->HasPort());
        QVERIFY(Open()->isEnabled());
        QCOMPARE(m_framed->StatusText(), kClosed);

        CFakePortLog lateLog;
        CFakePort late(lateLog, 1, true);
        late.OpenPort(m_framed->View(), 1, 0, 0);
        late.RaiseOpenResult(0);
        QTest::qWait(20);
        QCOMPARE(Open()->text(), kOpenCaption);
        QVERIFY(!Send()->isEnabled());
        QCOMPARE(m_framed->StatusText(), kClosed);
    }

    void sendLocksUntilWriteDoneAndCountsThen()
    {
        OpenForWrites();
        Send()->click();
        QCOMPARE(m_log.writes, QList<QByteArray>{"abc"});
        QVERIFY(!Send()->isEnabled());
        QVERIFY(!m_framed->Frame().CommandAction(CMainFrame::ID_OPERATION_SEND)->isEnabled());
        QCOMPARE(SendCount(), QStringLiteral("0"));
        // Ctrl+S still reaches the send operation; the port decides about a second write.
        m_framed->Frame().CommandAction(CMainFrame::IDC_SEND_BUTTON)->trigger();
        QCOMPARE(m_log.writes.size(), 2);

        m_port->RaiseWriteDone();
        QTRY_VERIFY(Send()->isEnabled());
        QVERIFY(Send()->hasFocus());
        QTRY_COMPARE(SendCount(), QStringLiteral("3"));
        // The command strip's bytes go out as given.
        QCOMPARE(m_framed->View()->OnSendData(QByteArray("\x00\xFF", 2)), 1);
        QCOMPARE(m_log.writes.last(), QByteArray("\x00\xFF", 2));
        QCOMPARE(m_framed->View()->OnSendData("again"), 0); // locked until write done
    }

    // A write that completes while a file is being sent leaves the send
    // button to the end of the transfer.
    void writeDoneDuringAFileTransferKeepsSendLocked()
    {
        OpenForWrites();
        Send()->click();
        const QString file = m_sandbox->WorkDir() + QStringLiteral("/job.prn");
        QVERIFY(WriteFileBytes(file, "job"));
        m_framed->View()->SetOpenFileChooser([file](const QString &) { return file; });
        m_framed->Button(ViewId::kSelectFile)->click();
        m_framed->Button(ViewId::kSendFile)->click();
        QCOMPARE(m_framed->Button(ViewId::kSendFile)->text(), QStringLiteral("暂停"));

        m_port->RaiseWriteDone();
        QTRY_COMPARE(SendCount(), QStringLiteral("3")); // the write itself is done
        QVERIFY(!Send()->isEnabled());
        m_port->RaiseFileDone();
        QTRY_VERIFY(Send()->isEnabled());
        QCOMPARE(m_framed->Button(ViewId::kSendFile)->text(), QStringLiteral("发送"));
    }

private:
    void StartFake()
    {
        auto factory = [this](PortKind kind) {
            auto port = std::make_unique<CFakePort>(m_log, int(kind) + 1, m_acceptOpen);
            m_port = port.get();
            return port;
        };
        Start(factory);
    }
    // Serial, open, "abc" in the send box, sent bytes counted.
    void OpenForWrites()
    {
        StartFake();
        OpenWithResult(0);
        m_framed->SendBox()->setPlainText(QStringLiteral("abc"));
        m_framed->Find<QCheckBox>(ViewId::kCountSend)->setChecked(true);
    }
    QString SendCount() const { return m_framed->Find<QLineEdit>(ViewId::kSendCount)->text(); }
    void OpenWithResult(uint16_t error)
    {
        m_framed->ClickOpenClose();
        QVERIFY(m_port);
        m_port->RaiseOpenResult(error);
        QTRY_VERIFY(Open()->isEnabled());
    }
    QPushButton *Open() const { return m_framed->OpenButton(); }
    QPushButton *Send() const { return m_framed->Button(ViewId::kSend); }

    CFakePortLog m_log;
    CFakePort *m_port = nullptr; // the last port made; owned by the view
    bool m_acceptOpen = true;
};

QTEST_MAIN(TestOpenClose)
#include "tst_openclose.moc"
