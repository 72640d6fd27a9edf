// Port kind, open and close, the open result and a lost port, driven through
// the real frame and view with a port that answers on command.
#include "fakeport.h"
#include "viewids.h"
#include "viewsandbox.h"

#include "ethportcfgdlg.h"
#include "serialcfgdlg.h"
#include "usbcfgdlg.h"

#include <QComboBox>
#include <QPushButton>
#include <QTableWidget>

#include <cstring>

namespace {
const QString kOpenCaption = QStringLiteral("打开端口");
const QString kCloseCaption = QStringLiteral("关闭端口");
const QString kOpened = QStringLiteral("打开端口成功！");
const QString kOpenFailed = QStringLiteral("打开端口失败，请检查参数是否正确！");
const QString kClosed = QStringLiteral("端口已关闭");
const QString kChooseFirst = QStringLiteral("请先从列表中选择一个端口！");

template <typename Record> Record RecordOf(const QByteArray &bytes)
{
    Record record{};
    std::memcpy(&record, bytes.constData(), std::min<size_t>(sizeof record, bytes.size()));
    return record;
}
} // namespace

class TestOpenClose : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void openAndCloseSerial();
    void openRefusedByThePort();
    void openResultWithError();
    void portLostStaysUntilReplaced();
    void lossReportedWhileClosingIsIgnored();
    void kindChangeWhileOpenCloses();
    void serialSettingChangeClosesPort();
    void closeRequestWhileOpening();
    void closeRequestWithoutPortDoesNothing();
    void usbEmptyListOpensNothing();
    void usbWithoutSelectionAsksForOne();
    void usbOpensPausedAndReopenResumes();
    void printerOpensTheChosenQueue();
    void noPrinterDisablesOpenUntilKindChange();
    void sendDataNeedsAnOpenPort();

private:
    void Start(const PanelProviders &providers = {});
    void SelectKind(PortKind kind);
    void ClickOpenClose();
    void OpenWithResult(uint16_t error);
    QPushButton *OpenButton() const { return m_framed->Find<QPushButton>(ViewId::kOpenClose); }
    QPushButton *SendButton() const { return m_framed->Find<QPushButton>(ViewId::kSend); }
    QPushButton *PauseButton() const { return m_framed->Find<QPushButton>(ViewId::kPauseRecv); }

    std::unique_ptr<CViewSandbox> m_sandbox;
    std::unique_ptr<CFramedView> m_framed;
    CFakePortLog m_log;
    CFakePort *m_port = nullptr; // the last port made; owned by the view
    bool m_acceptOpen = true;
};

void TestOpenClose::init()
{
    PortCfgData() = {};
    m_sandbox = std::make_unique<CViewSandbox>();
    m_log = {};
    m_port = nullptr;
    m_acceptOpen = true;
}

void TestOpenClose::cleanup()
{
    m_framed.reset();
    m_sandbox.reset();
}

void TestOpenClose::Start(const PanelProviders &providers)
{
    auto factory = [this](PortKind kind) {
        auto port = std::make_unique<CFakePort>(m_log, int(kind) + 1, m_acceptOpen);
        m_port = port.get();
        return port;
    };
    m_framed = std::make_unique<CFramedView>(factory, providers);
    QVERIFY(m_framed->WaitForStartup());
}

void TestOpenClose::SelectKind(PortKind kind)
{
    m_framed->Find<QComboBox>(ViewId::kPortKind)->setCurrentIndex(int(kind));
}

void TestOpenClose::ClickOpenClose()
{
    QTest::mouseClick(OpenButton(), Qt::LeftButton);
}

void TestOpenClose::OpenWithResult(uint16_t error)
{
    ClickOpenClose();
    QVERIFY(m_port);
    m_port->RaiseOpenResult(error);
    QTRY_VERIFY(OpenButton()->isEnabled());
}

// closed -> opening -> open -> closed, with the captions, states and texts.
void TestOpenClose::openAndCloseSerial()
{
    Start();
    ClickOpenClose();
    QCOMPARE(m_log.created, 1);
    const auto record = RecordOf<tagSERIAL_CFG>(m_log.lastSettings);
    QCOMPARE(record.dwPort, 1u);
    QCOMPARE(record.dwBaudRate, 9600u);
    QCOMPARE(record.byDataBits, 8);
    QCOMPARE(record.dwFlowCtrl, 1u);
    QCOMPARE(record.dwMarker, kCfgMarkerValid);
    QCOMPARE(m_log.owner, m_framed->View());
    // Opening: nothing may touch the port until its result arrives.
    QVERIFY(!OpenButton()->isEnabled());
    QCOMPARE(OpenButton()->text(), kOpenCaption);
    QVERIFY(!SendButton()->isEnabled());

    m_port->RaiseOpenResult(0);
    QTRY_COMPARE(OpenButton()->text(), kCloseCaption);
    QVERIFY(OpenButton()->isEnabled());
    QVERIFY(SendButton()->isEnabled());
    QVERIFY(!m_framed->Find<QPushButton>(ViewId::kSendFile)->isEnabled()); // no file chosen
    QCOMPARE(m_framed->StatusText(), kOpened);
    QVERIFY(m_framed->StatusIsHint());
    QVERIFY(m_framed->Frame().Messenger()->IsClearPending()); // goes back to idle later

    ClickOpenClose();
    QVERIFY(!m_framed->View()->HasPort());
    QCOMPARE(m_log.closed, 1);
    QCOMPARE(OpenButton()->text(), kOpenCaption);
    QVERIFY(!SendButton()->isEnabled());
    QCOMPARE(m_framed->StatusText(), kClosed);
    QVERIFY(m_framed->StatusIsHint());
}

void TestOpenClose::openRefusedByThePort()
{
    m_acceptOpen = false;
    Start();
    ClickOpenClose();
    QCOMPARE(m_log.created, 1);
    QVERIFY(!m_framed->View()->HasPort());
    QCOMPARE(m_framed->StatusText(), kOpenFailed);
    QVERIFY(m_framed->StatusIsError());
    QVERIFY(OpenButton()->isEnabled());
    QCOMPARE(OpenButton()->text(), kOpenCaption);
}

void TestOpenClose::openResultWithError()
{
    Start();
    OpenWithResult(10061);
    QVERIFY(!m_framed->View()->HasPort());
    QCOMPARE(m_log.closed, 1);
    QCOMPARE(OpenButton()->text(), kOpenCaption);
    QVERIFY(!SendButton()->isEnabled());
    QCOMPARE(m_framed->StatusText(), kOpenFailed);
    QVERIFY(m_framed->StatusIsError());
}

void TestOpenClose::portLostStaysUntilReplaced()
{
    Start();
    OpenWithResult(0);
    m_port->RaiseLost();
    QTRY_VERIFY(!m_framed->View()->HasPort());
    QCOMPARE(OpenButton()->text(), kOpenCaption);
    QVERIFY(OpenButton()->isEnabled());
    QVERIFY(!SendButton()->isEnabled());
    QCOMPARE(m_framed->StatusText(), kClosed);
    QVERIFY(m_framed->StatusIsError());
    QVERIFY(!m_framed->Frame().Messenger()->IsClearPending());
}

// The view forgets its port before closing it: a loss the close itself
// reports on this thread must not close the port a second time.
void TestOpenClose::lossReportedWhileClosingIsIgnored()
{
    Start();
    OpenWithResult(0);
    m_port->SetLostOnClose();
    ClickOpenClose();
    QCOMPARE(m_log.closed, 1);
    QVERIFY(!m_framed->View()->HasPort());
    QCOMPARE(m_framed->StatusText(), kClosed);
    QVERIFY(m_framed->StatusIsHint());
}

void TestOpenClose::kindChangeWhileOpenCloses()
{
    Start();
    OpenWithResult(0);
    SelectKind(PortKind::Network);
    QVERIFY(!m_framed->View()->HasPort());
    QCOMPARE(m_log.closed, 1);
    QCOMPARE(m_framed->StatusText(), kClosed);
    QVERIFY(m_framed->StatusIsHint());
    QVERIFY(qobject_cast<CEthPortCfgDlg *>(m_framed->View()->PortPanel()));
    QCOMPARE(m_framed->View()->findChildren<CPortCfgPanel *>().size(), 1);
    QCOMPARE(OpenButton()->text(), kOpenCaption);
}

// A new serial setting applies at the next open, so the open port closes.
void TestOpenClose::serialSettingChangeClosesPort()
{
    Start();
    OpenWithResult(0);
    auto *parity = FindPanelControl<QComboBox>(m_framed->View()->PortPanel(), kSerialParityId);
    QVERIFY(parity);
    QTest::keyClick(parity, Qt::Key_Down); // the user picks "Odd"
    QVERIFY(!m_framed->View()->HasPort());
    QCOMPARE(m_framed->StatusText(), kClosed);

    // The port number follows the list text: "COM9" opens port 9.
    auto *port = FindPanelControl<QComboBox>(m_framed->View()->PortPanel(), kSerialPortId);
    QTest::keyClick(port, Qt::Key_End);
    QCOMPARE(port->currentText().left(4), QStringLiteral("COM9"));
    ClickOpenClose();
    QCOMPARE(RecordOf<tagSERIAL_CFG>(m_log.lastSettings).dwPort, 9u);
    QCOMPARE(RecordOf<tagSERIAL_CFG>(m_log.lastSettings).byParity, 1);
}

// A port closed before its open result arrives leaves the view closed and
// usable; the late result changes nothing.
void TestOpenClose::closeRequestWhileOpening()
{
    Start();
    ClickOpenClose();
    QVERIFY(!OpenButton()->isEnabled());
    QCOMPARE(m_framed->View()->OnViewRequest(CTarvikView::kRequestClosePort, 1, {}), 1);
    QVERIFY(!m_framed->View()->HasPort());
    QVERIFY(OpenButton()->isEnabled());
    QCOMPARE(m_framed->StatusText(), kClosed);

    // A result still on its way for the port that is gone.
    CFakePortLog lateLog;
    CFakePort late(lateLog, 1, true);
    late.OpenPort(m_framed->View(), 1, 0, 0);
    late.RaiseOpenResult(0);
    QTest::qWait(20);
    QCOMPARE(OpenButton()->text(), kOpenCaption);
    QVERIFY(!SendButton()->isEnabled());
    QCOMPARE(m_framed->StatusText(), kClosed);
}

void TestOpenClose::closeRequestWithoutPortDoesNothing()
{
    Start();
    const QString before = m_framed->StatusText();
    QCOMPARE(m_framed->View()->OnViewRequest(CTarvikView::kRequestClosePort, 0, {}), 1);
    QCOMPARE(m_framed->StatusText(), before);
    QCOMPARE(m_framed->View()->OnViewRequest(77, 0, {}), 1);
    QCOMPARE(m_log.created, 0);
}

void TestOpenClose::usbEmptyListOpensNothing()
{
    Start();
    SelectKind(PortKind::Usb);
    const QString before = m_framed->StatusText();
    ClickOpenClose();
    QCOMPARE(m_log.created, 0);
    QCOMPARE(m_framed->StatusText(), before);
    QVERIFY(OpenButton()->isEnabled());
}

void TestOpenClose::usbWithoutSelectionAsksForOne()
{
    PanelProviders providers;
    providers.usbDevices = [] { return std::vector<int>{0, 1}; };
    Start(providers);
    SelectKind(PortKind::Usb);
    auto *list = FindPanelControl<QTableWidget>(m_framed->View()->PortPanel(), kUsbListId);
    QVERIFY(list);
    list->clearSelection();
    ClickOpenClose();
    QCOMPARE(m_log.created, 0);
    QCOMPARE(m_framed->StatusText(), kChooseFirst);
    QVERIFY(m_framed->StatusIsError());
    QVERIFY(!m_framed->Frame().Messenger()->IsClearPending());
}

// USB starts with receiving off; every other kind opens with it on again.
void TestOpenClose::usbOpensPausedAndReopenResumes()
{
    PanelProviders providers;
    providers.usbDevices = [] { return std::vector<int>{5}; };
    Start(providers);
    SelectKind(PortKind::Usb);
    OpenWithResult(0);
    QCOMPARE(m_log.usbPath, QByteArray("\\\\.\\QXUSB-5"));
    QCOMPARE(PauseButton()->text(), QStringLiteral("继续接收"));
    QCOMPARE(OpenButton()->text(), kCloseCaption);

    SelectKind(PortKind::Parallel);
    QCOMPARE(PauseButton()->text(), QStringLiteral("继续接收"));
    OpenWithResult(0);
    QCOMPARE(PauseButton()->text(), QStringLiteral("暂停接收"));
    const auto record = RecordOf<tagPARALLEL_CFG>(m_log.lastSettings);
    QCOMPARE(record.dwPort, 1u);
    QCOMPARE(record.dwMarker, kCfgMarkerValid);
}

void TestOpenClose::printerOpensTheChosenQueue()
{
    PanelProviders providers;
    providers.printers = [] { return QStringList{"Office", "Lab"}; };
    Start(providers);
    SelectKind(PortKind::Printer);
    OpenWithResult(0);
    const auto record = RecordOf<tagPRINTER_CFG>(m_log.lastSettings);
    QCOMPARE(QByteArray(record.szPrinter), QByteArray("Office"));
    QCOMPARE(record.dwMarker, kCfgMarkerValid);
    QCOMPARE(OpenButton()->text(), kCloseCaption);
}

void TestOpenClose::noPrinterDisablesOpenUntilKindChange()
{
    Start();
    SelectKind(PortKind::Printer);
    QTRY_VERIFY(!OpenButton()->isEnabled());
    SelectKind(PortKind::Serial);
    QVERIFY(OpenButton()->isEnabled());
}

void TestOpenClose::sendDataNeedsAnOpenPort()
{
    Start();
    QCOMPARE(m_framed->View()->OnSendData(QByteArray("\x1b@", 2)), 0);
}

QTEST_MAIN(TestOpenClose)
#include "tst_openclose.moc"
