// The send button as the view's write lock, driven through a port whose
// write results and notifications the test decides.
#include "fakeport.h"
#include "viewids.h"
#include "viewsandbox.h"

#include "editex.h"
#include "serialcfgdlg.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

namespace {
class CScriptedPort : public CFakePort
{
public:
    CScriptedPort(CFakePortLog &log, QList<QByteArray> &writes, bool acceptWrites)
        : CFakePort(log, 1, true), m_writes(writes), m_acceptWrites(acceptWrites)
    {
    }
    uint32_t Write(const uint8_t *bytes, uint32_t length, uint32_t * /*written*/,
                   uint8_t /*async*/) override
    {
        m_writes << QByteArray(reinterpret_cast<const char *>(bytes), length);
        return m_acceptWrites ? 1 : 0;
    }
    void RaiseWriteDone() { PostPortMsg(kPortWriteDone, UserValue()); }
    void RaiseShortWrite() { PostPortMsg(kPortUsbWriteShort, UserValue()); }

private:
    QList<QByteArray> &m_writes;
    bool m_acceptWrites;
};
} // namespace

class TestSendLock : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void sendLocksUntilWriteDoneAndCountsThen();
    void refusedWriteReportsUnlocksAndDropsTheCount();
    void shortUsbWriteShowsAMessageBox();

private:
    void Open(bool acceptWrites);
    QPushButton *SendButton() const { return m_framed->Find<QPushButton>(ViewId::kSend); }

    std::unique_ptr<CViewSandbox> m_sandbox;
    std::unique_ptr<CFramedView> m_framed;
    CFakePortLog m_log;
    QList<QByteArray> m_writes;
    CScriptedPort *m_port = nullptr;
};

void TestSendLock::init()
{
    PortCfgData() = {};
    m_sandbox = std::make_unique<CViewSandbox>();
    m_log = {};
    m_writes.clear();
}

void TestSendLock::cleanup()
{
    m_framed.reset();
    m_sandbox.reset();
}

void TestSendLock::Open(bool acceptWrites)
{
    auto factory = [this, acceptWrites](PortKind) {
        auto port = std::make_unique<CScriptedPort>(m_log, m_writes, acceptWrites);
        m_port = port.get();
        return port;
    };
    m_framed = std::make_unique<CFramedView>(factory);
    QVERIFY(m_framed->WaitForStartup());
    m_framed->Find<QPushButton>(ViewId::kOpenClose)->click();
    QVERIFY(m_port);
    m_port->RaiseOpenResult(0);
    QTRY_VERIFY(SendButton()->isEnabled());
    m_framed->Find<CEditEx>(ViewId::kSendBox)->setPlainText(QStringLiteral("abc"));
    m_framed->Find<QCheckBox>(ViewId::kCountSend)->setChecked(true);
}

void TestSendLock::sendLocksUntilWriteDoneAndCountsThen()
{
    Open(true);
    SendButton()->click();
    QCOMPARE(m_writes, QList<QByteArray>{"abc"});
    QVERIFY(!SendButton()->isEnabled());
    QVERIFY(!m_framed->Frame().CommandAction(CMainFrame::ID_OPERATION_SEND)->isEnabled());
    QCOMPARE(m_framed->Find<QLineEdit>(ViewId::kSendCount)->text(), QStringLiteral("0"));
    // Ctrl+S still reaches the send operation; the port decides about a second write.
    m_framed->Frame().CommandAction(CMainFrame::IDC_SEND_BUTTON)->trigger();
    QCOMPARE(m_writes.size(), 2);

    m_port->RaiseWriteDone();
    QTRY_VERIFY(SendButton()->isEnabled());
    QVERIFY(SendButton()->hasFocus());
    QTRY_COMPARE(m_framed->Find<QLineEdit>(ViewId::kSendCount)->text(), QStringLiteral("3"));
    // The command strip's bytes go out as given.
    QCOMPARE(m_framed->View()->OnSendData(QByteArray("\x00\xFF", 2)), 1);
    QCOMPARE(m_writes.last(), QByteArray("\x00\xFF", 2));
    QCOMPARE(m_framed->View()->OnSendData("again"), 0); // locked until write done
}

void TestSendLock::refusedWriteReportsUnlocksAndDropsTheCount()
{
    Open(false);
    SendButton()->click();
    QCOMPARE(m_writes.size(), 1);
    QCOMPARE(m_framed->StatusText(), QStringLiteral("数据发送失败！"));
    QVERIFY(m_framed->StatusIsError());
    QVERIFY(SendButton()->isEnabled());
    m_port->RaiseWriteDone(); // a stray report counts nothing
    QTest::qWait(20);
    QCOMPARE(m_framed->Find<QLineEdit>(ViewId::kSendCount)->text(), QStringLiteral("0"));
}

void TestSendLock::shortUsbWriteShowsAMessageBox()
{
    Open(true);
    CMessageBoxCatcher catcher;
    m_port->RaiseShortWrite();
    QTRY_COMPARE(catcher.Texts(), QStringList{QStringLiteral("发送错误!")});
}

QTEST_MAIN(TestSendLock)
#include "tst_sendlock.moc"
