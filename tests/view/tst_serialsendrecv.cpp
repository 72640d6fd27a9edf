// The serial kind through the window on a pseudo-terminal: the port opens the
// slave, the test plays the far end on the master. Open, close, loss, the
// status bar's return to idle, and a burst longer than one read.
#include "viewsandbox.h"

#include "devicemap.h"
#include "editex.h"
#include "ptypair.h"
#include "serialcfgdlg.h"

using namespace ViewText;

namespace {
// Only a bound on hangs: the port threads may be slow on a loaded machine.
constexpr int kPortWaitMs = 20000;
} // namespace

class TestSerialSendRecv : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_sandbox = std::make_unique<CViewSandbox>();
        m_pty = std::make_unique<CPtyPair>();
        QVERIFY(m_pty->IsValid());
        SetDeviceOverride("COM1", m_pty->SlavePath());
    }
    void cleanup()
    {
        m_framed.reset();
        m_pty.reset();
        ClearDeviceOverrides();
        m_sandbox.reset();
    }

    // The opened message stays longer than a plain hint such as the closed
    // one; both give way to the idle text. Each timer is cut short once its
    // interval is checked.
    void openCloseAndHintsReturnToReady()
    {
        OpenSerialOnPty();
        QCOMPARE(m_framed->StatusText(), kOpened);
        QVERIFY(m_framed->StatusIsHint());
        QVERIFY(m_framed->OpenButton()->isEnabled());
        QVERIFY(m_framed->Button(ViewId::kSend)->isEnabled());
        QVERIFY(m_framed->ClearTimer()->isActive());
        QCOMPARE(m_framed->ClearTimer()->interval(), 8000);
        m_framed->ClearTimer()->start(1);
        QTRY_COMPARE(m_framed->StatusText(), kReady);
        QVERIFY(m_framed->StatusIsHint());
        QVERIFY(!m_framed->ClearTimer()->isActive());
        QVERIFY(m_framed->View()->HasPort()); // only the message goes

        m_framed->ClickOpenClose();
        QVERIFY(!m_framed->View()->HasPort());
        QCOMPARE(m_framed->StatusText(), kClosed);
        QVERIFY(m_framed->StatusIsHint());
        QCOMPARE(m_framed->OpenButton()->text(), kOpenCaption);
        QVERIFY(!m_framed->Button(ViewId::kSend)->isEnabled());
        QVERIFY(m_framed->ClearTimer()->isActive());
        QCOMPARE(m_framed->ClearTimer()->interval(), 3900);
        m_framed->ClearTimer()->start(1);
        QTRY_COMPARE(m_framed->StatusText(), kReady);
        QVERIFY(m_framed->StatusIsHint());
    }

    void openFailureReturnsToReadyAfterItsTime()
    {
        SetDeviceOverride("COM1", m_sandbox->WorkDir().toStdString() + "/no-such-tty");
        Start();
        m_framed->ClickOpenClose();
        QTRY_COMPARE_WITH_TIMEOUT(m_framed->StatusText(), kOpenFailed, kPortWaitMs);
        QVERIFY(m_framed->StatusIsError());
        QVERIFY(!m_framed->View()->HasPort());
        QVERIFY(m_framed->ClearTimer()->isActive());
        QCOMPARE(m_framed->ClearTimer()->interval(), 5000);
        m_framed->ClearTimer()->start(1);
        QTRY_COMPARE(m_framed->StatusText(), kReady);
        QVERIFY(m_framed->StatusIsHint());
    }

    void lostWhenTheFarEndHangsUp()
    {
        OpenSerialOnPty();
        m_pty->CloseMaster();
        QTRY_VERIFY_WITH_TIMEOUT(!m_framed->View()->HasPort(), kPortWaitMs);
        QCOMPARE(m_framed->StatusText(), kClosed);
        QVERIFY(m_framed->StatusIsError());
        QVERIFY(!m_framed->Frame().Messenger()->IsClearPending()); // the loss stays in view
        QCOMPARE(m_framed->OpenButton()->text(), kOpenCaption);
        QVERIFY(m_framed->OpenButton()->isEnabled());
    }

    // A new serial setting applies at the next open, so the open port closes.
    void settingChangeClosesThePort()
    {
        OpenSerialOnPty();
        auto *parity = FindPanelControl<QComboBox>(m_framed->Panel(), kSerialParityId);
        QVERIFY(parity);
        QTest::keyClick(parity, Qt::Key_Down); // the user picks another parity
        QVERIFY(!m_framed->View()->HasPort());
        QCOMPARE(m_framed->StatusText(), kClosed);
        QVERIFY(m_framed->StatusIsHint());
        QCOMPARE(m_framed->OpenButton()->text(), kOpenCaption);

        m_framed->ClickOpenClose();
        QTRY_COMPARE_WITH_TIMEOUT(m_framed->OpenButton()->text(), kCloseCaption, kPortWaitMs);
        QCOMPARE(m_framed->StatusText(), kOpened);
    }

    // A serial port announces data only when more arrives; the view must
    // still fetch what is left after a full 1000-byte read.
    void burstLongerThanOneReadArrivesWhole()
    {
        OpenSerialOnPty();
        std::string burst;
        for (int i = 0; i < 2500; ++i)
            burst += char('a' + i % 26);
        QVERIFY(m_pty->WriteMaster(burst));
        QTRY_COMPARE(m_framed->Find<CEditEx>(ViewId::kRecvBox)->toPlainText(),
                     QString::fromStdString(burst));
    }

private:
    // No injection: the view makes the port library's ports.
    void Start()
    {
        m_framed = std::make_unique<CFramedView>(CTarvikView::PortFactory{}, std::nullopt);
        QVERIFY(m_framed->WaitForStartup());
    }
    // The serial panel starts on COM1, which the device map points at the pty.
    void OpenSerialOnPty()
    {
        Start();
        QVERIFY(qobject_cast<CSerialCfgDlg *>(m_framed->Panel()));
        m_framed->ClickOpenClose();
        QTRY_COMPARE_WITH_TIMEOUT(m_framed->OpenButton()->text(), kCloseCaption, kPortWaitMs);
        QVERIFY(m_framed->View()->HasPort());
    }

    std::unique_ptr<CViewSandbox> m_sandbox;
    std::unique_ptr<CPtyPair> m_pty;
    std::unique_ptr<CFramedView> m_framed;
};

QTEST_MAIN(TestSerialSendRecv)
#include "tst_serialsendrecv.moc"
