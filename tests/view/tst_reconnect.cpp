// "自动重连" in the real window: a serial port mapped through [Devices] whose
// far end goes away and comes back at the same path, and a loopback peer
// that stops and starts again; both reopen by themselves and carry bytes.
// A click or a change of kind stops the attempts and leaves no timer.
#include "../support/recvtesting.h"
#include "viewsandbox.h"

#include "port/usbport.h"
#include "ptypair.h"
#include "support/fakeusbdevice.h"

#include <QRegularExpression>

#include <cstdio>

using namespace ViewText;

namespace {
const QString kReconnected = QStringLiteral("自动重连成功");
const QString kStopCaption = QStringLiteral("停止重连");
const QString kCutOff = QStringLiteral("文件发送已中断");

QString AttemptHint(int attempt)
{
    return QStringLiteral("正在自动重连（第 %1 次）…").arg(attempt);
}

// The USB fake, with the names of the devices opened through it.
class CNamedUsbDevices : public CFakeUsbDevices
{
public:
    using CFakeUsbDevices::CFakeUsbDevices;
    std::unique_ptr<CUsbDevice> Open(const std::string &name, uint32_t &error) override
    {
        opened.push_back(name);
        return CFakeUsbDevices::Open(name, error);
    }

    std::vector<std::string> opened;
};
} // namespace

class TestReconnect : public CViewTestCase
{
    Q_OBJECT

private slots:
    void optionIsTheUsersAndOffByDefault()
    {
        Start();
        QVERIFY(!Option()->isChecked());
        QTest::mouseClick(Option(), Qt::LeftButton);
        m_framed->Frame().close();
        Start();
        QVERIFY(Option()->isChecked());
        QVERIFY(QFile::exists(m_sandbox->UserIniPath()));
        QVERIFY(!FileBytes(m_sandbox->UserIniPath()).contains("Reconnect"));
    }

    void serialReopensWhenTheMappedPathIsBack()
    {
        const QString link = m_sandbox->Path(QStringLiteral("printer-tty"));
        auto first = std::make_unique<CPtyPair>();
        QVERIFY(PointLink(link, *first));
        QVERIFY(
            WriteFileBytes(m_sandbox->IniPath(), "[Devices]\r\nCOM1=" + link.toUtf8() + "\r\n"));
        QVERIFY(LoadDeviceOverrides(m_sandbox->IniPath().toStdString()));
        StartWithSystemPorts();
        QTest::mouseClick(Option(), Qt::LeftButton);
        m_framed->ClickOpenClose();
        QTRY_COMPARE_WITH_TIMEOUT(m_framed->OpenButton()->text(), kCloseCaption, kPortWaitMs);
        first->CloseMaster();
        QTRY_COMPARE_WITH_TIMEOUT(StatusText(), AttemptHint(2), kPortWaitMs);
        QCOMPARE(m_framed->OpenButton()->text(), kStopCaption);
        CPtyPair second;
        QVERIFY(PointLink(link, second));
        first.reset();
        QTRY_COMPARE_WITH_TIMEOUT(m_framed->OpenButton()->text(), kCloseCaption, kPortWaitMs);
        QVERIFY(StatusText().startsWith(kReconnected));
        QVERIFY(!Timer()->isActive());
        QCOMPARE(SendAndCollect("again", [&] { return ReadAvailable(second.MasterFd()); }),
                 QByteArray("again"));
    }

    // The transfer that ran when the peer went is not resumed, and the user
    // hears so while the port is tried and once it is back.
    void networkReconnectsToARestartedPeer()
    {
        OpenReconnectingPeer();
        const quint16 port = m_server->serverPort();
        StartFileSend(QByteArray(4096, 'j'), 1000, 60000);
        m_server->close();
        m_peer->abort();
        QTRY_COMPARE_WITH_TIMEOUT(
            StatusText(), kCutOff + QStringLiteral("，不会续传。") + AttemptHint(2), kPortWaitMs);
        QVERIFY(m_server->listen(QHostAddress::LocalHost, port));
        QTRY_COMPARE_WITH_TIMEOUT(m_framed->OpenButton()->text(), kCloseCaption, kPortWaitMs);
        QVERIFY(StatusText().startsWith(kReconnected));
        QVERIFY(StatusText().contains(QStringLiteral("中断的文件发送没有继续")));
        QCOMPARE(Button(ViewId::kSendFile)->text(), QStringLiteral("发送"));
        QVERIFY(QTest::qWaitFor([&] { return m_server->hasPendingConnections(); }, kPortWaitMs));
        QTcpSocket *again = m_server->nextPendingConnection();
        QCOMPARE(SendAndCollect("back", [again] { return again->readAll(); }), QByteArray("back"));
    }

    // Printer 3 goes while printer 0 stays listed first: the attempts wait
    // for number 3 instead of opening 0.
    void usbWaitsForTheSameDeviceNumber()
    {
        // Members: the view's port uses them until the cleanup drops the view.
        m_usb = std::make_unique<CNamedUsbDevices>(std::set<int>{0, 3});
        m_listed = {0, 3};
        PanelProviders providers;
        providers.usbDevices = [this] { return m_listed; };
        Start([this](PortKind) { return std::make_unique<CUsbPort>(*m_usb); }, providers);
        QTest::mouseClick(Option(), Qt::LeftButton);
        m_framed->SelectKind(PortKind::Usb);
        auto *list = FindPanelControl<QTableWidget>(m_framed->Panel(), kUsbListId);
        QVERIFY(list);
        const auto rows = list->findItems(QStringLiteral("QX-USB-Port 3"), Qt::MatchExactly);
        QCOMPARE(rows.size(), 1);
        list->selectRow(rows[0]->row());
        m_framed->ClickOpenClose();
        QTRY_COMPARE_WITH_TIMEOUT(m_framed->OpenButton()->text(), kCloseCaption, kPortWaitMs);
        m_usb->With([](auto &s) { s.statusFails = true; });
        m_listed = {0};
        SendText(QStringLiteral("lost"));
        QTRY_COMPARE_WITH_TIMEOUT(StatusText(), AttemptHint(2), kPortWaitMs);
        QCOMPARE(m_usb->opened, std::vector<std::string>{UsbDeviceName(3)});
        m_usb->With([](auto &s) { s.statusFails = false; });
        m_listed = {0, 3};
        QTRY_COMPARE_WITH_TIMEOUT(m_framed->OpenButton()->text(), kCloseCaption, kPortWaitMs);
        QCOMPARE(m_usb->opened, std::vector<std::string>(2, UsbDeviceName(3)));
        SendText(QStringLiteral("after"));
        QVERIFY(m_usb->WaitFor([](const auto &s) { return s.written.ends_with("after"); }));
    }

    // A peer that accepts and drops at once: the count goes on, and the
    // user hears that the connection does not hold.
    void connectionThatNeverHoldsIsCounted()
    {
        OpenReconnectingPeer();
        connect(m_server.get(), &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *accepted = m_server->nextPendingConnection())
                accepted->abort();
        });
        m_peer->abort();
        const QRegularExpression told(
            QStringLiteral("^连接刚打开就断开（已 (\\d+) 次），继续自动重连…$"));
        QRegularExpressionMatch match;
        QTRY_VERIFY_WITH_TIMEOUT((match = told.match(StatusText())).hasMatch(), 30000);
        QVERIFY(match.captured(1).toInt() >= 3);
        QVERIFY(m_framed->StatusIsError());
    }

    void stoppingLeavesNoTimer_data() { AddFlagRows("byKindChange", "click", "kind change"); }
    void stoppingLeavesNoTimer()
    {
        QFETCH(bool, byKindChange);
        OpenReconnectingPeer();
        m_server->close();
        m_peer->abort();
        QTRY_COMPARE_WITH_TIMEOUT(StatusText(), AttemptHint(1), kPortWaitMs);
        if (byKindChange)
            m_framed->SelectKind(PortKind::Serial);
        else
            m_framed->ClickOpenClose();
        QVERIFY(!Timer()->isActive());
        QVERIFY(!m_framed->View()->HasPort());
        QCOMPARE(m_framed->OpenButton()->text(), kOpenCaption);
    }

private:
    QCheckBox *Option() const { return m_framed->View()->findChild<QCheckBox *>("autoReconnect"); }
    QTimer *Timer() const { return m_framed->View()->findChild<QTimer *>("reconnectTimer"); }
    // Re-points the link in one step, as udev does for a stable device name.
    static bool PointLink(const QString &link, const CPtyPair &pty)
    {
        const QString fresh = link + QStringLiteral(".new");
        QFile::remove(fresh);
        return pty.IsValid() && QFile::link(QString::fromStdString(pty.SlavePath()), fresh) &&
               std::rename(fresh.toUtf8().constData(), link.toUtf8().constData()) == 0;
    }
    void OpenReconnectingPeer()
    {
        Start();
        QTest::mouseClick(Option(), Qt::LeftButton);
        OpenAgainstPeer();
    }
    // Sends `bytes` and collects what `read` gets until they all came.
    QByteArray SendAndCollect(const QByteArray &bytes, const std::function<QByteArray()> &read)
    {
        SendText(QString::fromLatin1(bytes));
        QByteArray got;
        (void)QTest::qWaitFor([&] { return (got += read()).size() >= bytes.size(); }, kPortWaitMs);
        return got;
    }
    std::unique_ptr<CNamedUsbDevices> m_usb;
    std::vector<int> m_listed;
};

QTEST_MAIN(TestReconnect)
#include "tst_reconnect.moc"
