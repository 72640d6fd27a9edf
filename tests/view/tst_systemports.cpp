// The port library's own ports opened through the window as a user does it:
// the serial kind on a pseudo-terminal, the USB kind with no device, and the
// status bar going back to idle after the answers.
#include "viewids.h"
#include "viewsandbox.h"

#include "devicemap.h"
#include "ptypair.h"
#include "serialcfgdlg.h"
#include "usbcfgdlg.h"

#include <QComboBox>
#include <QPushButton>

namespace {
const QString kOpenCaption = QStringLiteral("打开端口");
const QString kCloseCaption = QStringLiteral("关闭端口");
const QString kOpened = QStringLiteral("打开端口成功！");
const QString kOpenFailed = QStringLiteral("打开端口失败，请检查参数是否正确！");
const QString kClosed = QStringLiteral("端口已关闭");
const QString kReady = QStringLiteral("就绪");
// Only a bound on hangs: the port threads may be slow on a loaded machine.
constexpr int kPortWaitMs = 20000;
} // namespace

class TestSystemPorts : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void serialOpensAndCloses();
    void serialLostWhenTheFarEndHangsUp();
    void serialSettingChangeClosesThePort();
    void usbWithoutDevicesDoesNothing();
    void hintsReturnToReadyAfterTheirTime();
    void errorReturnsToReadyAfterItsTime();

private:
    void Start();
    void SelectKind(PortKind kind);
    void ClickOpenClose();
    void OpenSerialOnPty();
    QPushButton *OpenButton() const { return m_framed->Find<QPushButton>(ViewId::kOpenClose); }
    QTimer *ClearTimer() const { return m_framed->Frame().Messenger()->ClearTimer(); }

    std::unique_ptr<CViewSandbox> m_sandbox;
    std::unique_ptr<CPtyPair> m_pty;
    std::unique_ptr<CFramedView> m_framed;
};

void TestSystemPorts::init()
{
    PortCfgData() = {};
    m_sandbox = std::make_unique<CViewSandbox>();
    m_pty = std::make_unique<CPtyPair>();
    QVERIFY(m_pty->IsValid());
    SetDeviceOverride("COM1", m_pty->SlavePath());
}

void TestSystemPorts::cleanup()
{
    m_framed.reset();
    m_pty.reset();
    ClearDeviceOverrides();
    m_sandbox.reset();
}

// No injection: the view makes the port library's ports and the panels see
// the system's devices.
void TestSystemPorts::Start()
{
    m_framed = std::make_unique<CFramedView>(CTarvikView::PortFactory{}, std::nullopt);
    QVERIFY(m_framed->WaitForStartup());
}

void TestSystemPorts::SelectKind(PortKind kind)
{
    m_framed->Find<QComboBox>(ViewId::kPortKind)->setCurrentIndex(int(kind));
}

void TestSystemPorts::ClickOpenClose()
{
    QTest::mouseClick(OpenButton(), Qt::LeftButton);
}

// The serial panel starts on COM1, which the device map points at the pty.
void TestSystemPorts::OpenSerialOnPty()
{
    Start();
    QVERIFY(qobject_cast<CSerialCfgDlg *>(m_framed->View()->PortPanel()));
    ClickOpenClose();
    QTRY_COMPARE_WITH_TIMEOUT(OpenButton()->text(), kCloseCaption, kPortWaitMs);
    QVERIFY(m_framed->View()->HasPort());
}

void TestSystemPorts::serialOpensAndCloses()
{
    OpenSerialOnPty();
    QCOMPARE(m_framed->StatusText(), kOpened);
    QVERIFY(m_framed->StatusIsHint());
    QVERIFY(OpenButton()->isEnabled());
    QVERIFY(m_framed->Find<QPushButton>(ViewId::kSend)->isEnabled());

    ClickOpenClose();
    QVERIFY(!m_framed->View()->HasPort());
    QCOMPARE(m_framed->StatusText(), kClosed);
    QVERIFY(m_framed->StatusIsHint());
    QCOMPARE(OpenButton()->text(), kOpenCaption);
    QVERIFY(!m_framed->Find<QPushButton>(ViewId::kSend)->isEnabled());
}

void TestSystemPorts::serialLostWhenTheFarEndHangsUp()
{
    OpenSerialOnPty();
    m_pty->CloseMaster();
    QTRY_VERIFY_WITH_TIMEOUT(!m_framed->View()->HasPort(), kPortWaitMs);
    QCOMPARE(m_framed->StatusText(), kClosed);
    QVERIFY(m_framed->StatusIsError());
    QVERIFY(!m_framed->Frame().Messenger()->IsClearPending()); // the loss stays in view
    QCOMPARE(OpenButton()->text(), kOpenCaption);
    QVERIFY(OpenButton()->isEnabled());
}

void TestSystemPorts::serialSettingChangeClosesThePort()
{
    OpenSerialOnPty();
    auto *parity = FindPanelControl<QComboBox>(m_framed->View()->PortPanel(), kSerialParityId);
    QVERIFY(parity);
    QTest::keyClick(parity, Qt::Key_Down); // the user picks another parity
    QVERIFY(!m_framed->View()->HasPort());
    QCOMPARE(m_framed->StatusText(), kClosed);
    QVERIFY(m_framed->StatusIsHint());
    QCOMPARE(OpenButton()->text(), kOpenCaption);

    // The same device opens again with the new setting.
    ClickOpenClose();
    QTRY_COMPARE_WITH_TIMEOUT(OpenButton()->text(), kCloseCaption, kPortWaitMs);
    QCOMPARE(m_framed->StatusText(), kOpened);
}

void TestSystemPorts::usbWithoutDevicesDoesNothing()
{
    Start();
    SelectKind(PortKind::Usb);
    auto *panel = qobject_cast<CUsbCfgDlg *>(m_framed->View()->PortPanel());
    QVERIFY(panel);
    if (panel->SelectedRow().state != RowChoice::EmptyList)
        QSKIP("this machine has USB printer devices");
    const QString before = m_framed->StatusText();
    ClickOpenClose();
    QTest::qWait(50); // an answer posted by a port would arrive by now
    QVERIFY(!m_framed->View()->HasPort());
    QCOMPARE(m_framed->StatusText(), before);
    QVERIFY(OpenButton()->isEnabled());
    QCOMPARE(OpenButton()->text(), kOpenCaption);
}

// The opened message stays longer than a plain hint such as the closed one;
// both give way to the idle text. The timer is cut short once its interval
// is checked.
void TestSystemPorts::hintsReturnToReadyAfterTheirTime()
{
    OpenSerialOnPty();
    QCOMPARE(m_framed->StatusText(), kOpened);
    QVERIFY(ClearTimer()->isActive());
    QCOMPARE(ClearTimer()->interval(), 8000);
    ClearTimer()->start(1);
    QTRY_COMPARE(m_framed->StatusText(), kReady);
    QVERIFY(m_framed->StatusIsHint());
    QVERIFY(!ClearTimer()->isActive());
    QVERIFY(m_framed->View()->HasPort()); // only the message goes

    ClickOpenClose();
    QCOMPARE(m_framed->StatusText(), kClosed);
    QVERIFY(ClearTimer()->isActive());
    QCOMPARE(ClearTimer()->interval(), 3900);
    ClearTimer()->start(1);
    QTRY_COMPARE(m_framed->StatusText(), kReady);
    QVERIFY(m_framed->StatusIsHint());
}

void TestSystemPorts::errorReturnsToReadyAfterItsTime()
{
    SetDeviceOverride("COM1", m_sandbox->WorkDir().toStdString() + "/no-such-tty");
    Start();
    ClickOpenClose();
    QTRY_COMPARE_WITH_TIMEOUT(m_framed->StatusText(), kOpenFailed, kPortWaitMs);
    QVERIFY(m_framed->StatusIsError());
    QVERIFY(!m_framed->View()->HasPort());
    QVERIFY(ClearTimer()->isActive());
    QCOMPARE(ClearTimer()->interval(), 5000);
    ClearTimer()->start(1);
    QTRY_COMPARE(m_framed->StatusText(), kReady);
    QVERIFY(m_framed->StatusIsHint());
}

QTEST_MAIN(TestSystemPorts)
#include "tst_systemports.moc"
