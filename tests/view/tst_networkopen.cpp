// Opening the network kind for real, against a loopback server of the test.
#include "viewids.h"
#include "viewsandbox.h"

#include "ethportcfgdlg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>

class TestNetworkOpen : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void openShowsSuccessAndCloses();
    void refusedConnectionFails();
    void peerClosingLosesThePort();

private:
    void StartNetworkView();
    void EnterTarget(quint16 port);
    QPushButton *OpenButton() const { return m_framed->Find<QPushButton>(ViewId::kOpenClose); }

    std::unique_ptr<CViewSandbox> m_sandbox;
    std::unique_ptr<CFramedView> m_framed;
};

void TestNetworkOpen::init()
{
    PortCfgData() = {};
    m_sandbox = std::make_unique<CViewSandbox>();
}

void TestNetworkOpen::cleanup()
{
    m_framed.reset();
    m_sandbox.reset();
}

void TestNetworkOpen::StartNetworkView()
{
    m_framed = std::make_unique<CFramedView>();
    QVERIFY(m_framed->WaitForStartup());
    m_framed->Find<QComboBox>(ViewId::kPortKind)->setCurrentIndex(int(PortKind::Network));
    QVERIFY(qobject_cast<CEthPortCfgDlg *>(m_framed->View()->PortPanel()));
}

// Types the target into the network panel as a user would.
void TestNetworkOpen::EnterTarget(quint16 port)
{
    CPortCfgPanel *panel = m_framed->View()->PortPanel();
    auto *host = FindPanelControl<QComboBox>(panel, kEthHostId);
    auto *portEdit = FindPanelControl<QLineEdit>(panel, kEthPortId);
    QVERIFY(host && portEdit);
    host->lineEdit()->clear();
    QTest::keyClicks(host->lineEdit(), QStringLiteral("127.0.0.1"));
    portEdit->clear();
    QTest::keyClicks(portEdit, QString::number(port));
}

void TestNetworkOpen::openShowsSuccessAndCloses()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    StartNetworkView();
    EnterTarget(server.serverPort());
    QTest::mouseClick(OpenButton(), Qt::LeftButton);
    QTRY_COMPARE(m_framed->StatusText(), QStringLiteral("打开端口成功！"));
    QVERIFY(m_framed->StatusIsHint());
    QCOMPARE(OpenButton()->text(), QStringLiteral("关闭端口"));
    QVERIFY(OpenButton()->isEnabled());
    QVERIFY(m_framed->Find<QPushButton>(ViewId::kSend)->isEnabled());
    QTRY_VERIFY(server.hasPendingConnections());

    QTest::mouseClick(OpenButton(), Qt::LeftButton);
    QCOMPARE(m_framed->StatusText(), QStringLiteral("端口已关闭"));
    QVERIFY(m_framed->StatusIsHint());
    QCOMPARE(OpenButton()->text(), QStringLiteral("打开端口"));
}

void TestNetworkOpen::refusedConnectionFails()
{
    quint16 freePort = 0;
    {
        QTcpServer probe; // a port nobody listens on once the probe is gone
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        freePort = probe.serverPort();
    }
    StartNetworkView();
    EnterTarget(freePort);
    QTest::mouseClick(OpenButton(), Qt::LeftButton);
    QTRY_COMPARE(m_framed->StatusText(), QStringLiteral("打开端口失败，请检查参数是否正确！"));
    QVERIFY(m_framed->StatusIsError());
    QVERIFY(!m_framed->View()->HasPort());
    QVERIFY(OpenButton()->isEnabled());
    QCOMPARE(OpenButton()->text(), QStringLiteral("打开端口"));
}

void TestNetworkOpen::peerClosingLosesThePort()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    StartNetworkView();
    EnterTarget(server.serverPort());
    QTest::mouseClick(OpenButton(), Qt::LeftButton);
    QTRY_COMPARE(OpenButton()->text(), QStringLiteral("关闭端口"));
    QTRY_VERIFY(server.hasPendingConnections());
    QTcpSocket *peer = server.nextPendingConnection();
    peer->close();
    QTRY_COMPARE(m_framed->StatusText(), QStringLiteral("端口已关闭"));
    QVERIFY(m_framed->StatusIsError());
    QVERIFY(!m_framed->View()->HasPort());
    QCOMPARE(OpenButton()->text(), QStringLiteral("打开端口"));
    QVERIFY(!m_framed->Find<QPushButton>(ViewId::kSend)->isEnabled());
}

QTEST_MAIN(TestNetworkOpen)
#include "tst_networkopen.moc"
