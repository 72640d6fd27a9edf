// The send button as the view's write lock, driven through a port whose
// write results and notifications the test decides.
#include "fakeport.h"
#include "viewsandbox.h"

#include "editex.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>

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
    // A transfer that runs until the test finishes it.
    uint32_t SendFile(const char * /*path*/, int32_t /*passes*/, uint32_t /*interval*/) override
    {
        return 1;
    }
    void RaiseWriteDone() { PostPortMsg(kPortWriteDone, UserValue()); }
    void RaiseShortWrite() { PostPortMsg(kPortUsbWriteShort, UserValue()); }
    void RaiseFileDone() { PostPortMsg(kPortFileDone, UserValue()); }

private:
    QList<QByteArray> &m_writes;
    bool m_acceptWrites;
};
} // namespace

class TestSendLock : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_sandbox = std::make_unique<CViewSandbox>();
        m_log = {};
        m_writes.clear();
    }
    void cleanup()
    {
        m_framed.reset();
        m_sandbox.reset();
    }

    void sendLocksUntilWriteDoneAndCountsThen()
    {
        Open(true);
        Send()->click();
        QCOMPARE(m_writes, QList<QByteArray>{"abc"});
        QVERIFY(!Send()->isEnabled());
        QVERIFY(!m_framed->Frame().CommandAction(CMainFrame::ID_OPERATION_SEND)->isEnabled());
        QCOMPARE(SendCount(), QStringLiteral("0"));
        // Ctrl+S still reaches the send operation; the port decides about a second write.
        m_framed->Frame().CommandAction(CMainFrame::IDC_SEND_BUTTON)->trigger();
        QCOMPARE(m_writes.size(), 2);

        m_port->RaiseWriteDone();
        QTRY_VERIFY(Send()->isEnabled());
        QVERIFY(Send()->hasFocus());
        QTRY_COMPARE(SendCount(), QStringLiteral("3"));
        // The command strip's bytes go out as given.
        QCOMPARE(m_framed->View()->OnSendData(QByteArray("\x00\xFF", 2)), 1);
        QCOMPARE(m_writes.last(), QByteArray("\x00\xFF", 2));
        QCOMPARE(m_framed->View()->OnSendData("again"), 0); // locked until write done
    }

    void refusedWriteReportsUnlocksAndDropsTheCount()
    {
        Open(false);
        Send()->click();
        QCOMPARE(m_writes.size(), 1);
        QCOMPARE(m_framed->StatusText(), QStringLiteral("数据发送失败！"));
        QVERIFY(m_framed->StatusIsError());
        QVERIFY(Send()->isEnabled());
        m_port->RaiseWriteDone(); // a stray report counts nothing
        QTest::qWait(20);
        QCOMPARE(SendCount(), QStringLiteral("0"));
    }

    // A write that completes while a file is being sent leaves the send
    // button to the end of the transfer.
    void writeDoneDuringAFileTransferKeepsSendLocked()
    {
        Open(true);
        Send()->click();
        QVERIFY(!Send()->isEnabled());
        const QString file = m_sandbox->WorkDir() + QStringLiteral("/job.prn");
        QFile job(file);
        QVERIFY(job.open(QIODevice::WriteOnly) && job.write("job") == 3);
        job.close();
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

    void shortUsbWriteShowsAMessageBox()
    {
        Open(true);
        MessageBoxWatcher catcher;
        m_port->RaiseShortWrite();
        QTRY_COMPARE(catcher.Texts(), QStringList{QStringLiteral("发送错误!")});
    }

private:
    void Open(bool acceptWrites)
    {
        auto factory = [this, acceptWrites](PortKind) {
            auto port = std::make_unique<CScriptedPort>(m_log, m_writes, acceptWrites);
            m_port = port.get();
            return port;
        };
        m_framed = std::make_unique<CFramedView>(factory);
        QVERIFY(m_framed->WaitForStartup());
        m_framed->Button(ViewId::kOpenClose)->click();
        QVERIFY(m_port);
        m_port->RaiseOpenResult(0);
        QTRY_VERIFY(Send()->isEnabled());
        m_framed->Find<CEditEx>(ViewId::kSendBox)->setPlainText(QStringLiteral("abc"));
        m_framed->Find<QCheckBox>(ViewId::kCountSend)->setChecked(true);
    }
    QPushButton *Send() const { return m_framed->Button(ViewId::kSend); }
    QString SendCount() const { return m_framed->Find<QLineEdit>(ViewId::kSendCount)->text(); }

    std::unique_ptr<CViewSandbox> m_sandbox;
    std::unique_ptr<CFramedView> m_framed;
    CFakePortLog m_log;
    QList<QByteArray> m_writes;
    CScriptedPort *m_port = nullptr;
};

QTEST_MAIN(TestSendLock)
#include "tst_sendlock.moc"
