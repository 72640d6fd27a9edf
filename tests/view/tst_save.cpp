// Saving through the window: the receive history as received from a loopback
// peer, the send box's bytes in both notations or its displayed text, the
// number in the suggested name, and the refusals.
#include "viewsandbox.h"

#include "editex.h"
#include "ethportcfgdlg.h"
#include "stringtable.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QTcpServer>
#include <QTcpSocket>

namespace {
QByteArray EveryByteValue()
{
    QByteArray bytes;
    for (int value = 0; value < 256; ++value)
        bytes.append(char(value));
    return bytes;
}

QByteArray FileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
} // namespace

class TestSave : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_sandbox = std::make_unique<CViewSandbox>();
        m_framed = std::make_unique<CFramedView>();
        QVERIFY(m_framed->WaitForStartup());
        m_suggested.clear();
        m_answers.clear();
        m_framed->View()->SetSaveFileChooser([this](const QString &suggestedName) {
            m_suggested << suggestedName;
            return m_answers.isEmpty() ? QString() : m_answers.takeFirst();
        });
    }
    void cleanup()
    {
        m_framed.reset();
        m_server.reset();
        m_sandbox.reset();
    }

    void receivedBytesAreSavedExactly()
    {
        ClickSave(ViewId::kSaveRecv);
        QCOMPARE(m_framed->StatusText(), LoadString(IDS_NOTHING_TO_SAVE));
        QVERIFY(m_framed->StatusIsHint());
        QVERIFY(m_suggested.isEmpty()); // no dialog

        QTcpSocket *peer = OpenAgainstPeer();
        QVERIFY(peer);
        const QByteArray history = EveryByteValue() + "\r\n\x81" + EveryByteValue();
        peer->write(history);
        QTRY_COMPARE(m_framed->Find<QLineEdit>(ViewId::kRecvCount)->text(),
                     QString::number(history.size()));
        ClickSave(ViewId::kSaveRecv); // cancelled
        QCOMPARE(m_suggested, QStringList{QStringLiteral("recved.dat")});
        QVERIFY(!QFile::exists(Path("recved.dat")));
        m_answers << Path("recved.dat");
        ClickSave(ViewId::kSaveRecv);
        QCOMPARE(FileBytes(Path("recved.dat")), history);

        m_framed->Button(ViewId::kClearRecv)->click();
        ClickSave(ViewId::kSaveRecv);
        QCOMPARE(m_suggested.size(), 2);
        QCOMPARE(m_framed->StatusText(), LoadString(IDS_NOTHING_TO_SAVE));
    }

    // The number advances when a name is confirmed, also when the file
    // cannot be written, but not when the dialog is cancelled.
    void sendBoxBytesInBothNotationsAndTheNumbering()
    {
        ClickSave(ViewId::kSaveSend);
        QCOMPARE(m_framed->StatusText(), LoadString(IDS_NOTHING_TO_SAVE));
        QVERIFY(m_suggested.isEmpty());

        SendBox()->setPlainText(QStringLiteral("A中<\\xFF><\\x00>\nz"));
        m_answers << Path("ascii.dat");
        ClickSave(ViewId::kSaveSend);
        QCOMPARE(FileBytes(Path("ascii.dat")), QByteArray("A\xD6\xD0\xFF\x00\r\nz", 8));

        ClickSave(ViewId::kSaveSend); // cancelled
        m_framed->Find<QCheckBox>(ViewId::kHexSend)->click();
        SendBox()->setPlainText(QStringLiteral("41 255 0a,00"));
        m_answers << Path("hex.dat");
        ClickSave(ViewId::kSaveSend);
        QCOMPARE(FileBytes(Path("hex.dat")), QByteArray("\x41\xFF\x0A\x00", 4));

        MessageBoxWatcher watcher;
        m_answers << Path("no-such-folder/x.dat");
        ClickSave(ViewId::kSaveSend);
        QTRY_COMPARE(watcher.Texts().size(), 1);
        QVERIFY(watcher.Texts().first().contains(Path("no-such-folder/x.dat")));
        ClickSave(ViewId::kSaveSend);
        QCOMPARE(m_suggested, QStringList({"senddata0.dat", "senddata1.dat", "senddata1.dat",
                                           "senddata2.dat", "senddata3.dat"}));
    }

    // Text the conversion refuses: after OK the displayed characters are
    // written, in GBK; a character GBK lacks keeps the text in UTF-8.
    void inputErrorAsksAndSavesTheDisplayedText()
    {
        m_framed->Find<QCheckBox>(ViewId::kHexSend)->click();
        SendBox()->setPlainText(QStringLiteral("12 G4\n中"));
        {
            MessageBoxWatcher cancel(QMessageBox::Cancel);
            m_answers << Path("cancelled.dat");
            ClickSave(ViewId::kSaveSend);
            QCOMPARE(cancel.Texts(), QStringList{LoadString(IDS_SAVE_DISPLAYED_ONLY)});
            QVERIFY(!QFile::exists(Path("cancelled.dat")));
        }
        MessageBoxWatcher ok(QMessageBox::Ok);
        m_answers << Path("hex.txt");
        ClickSave(ViewId::kSaveSend);
        QCOMPARE(FileBytes(Path("hex.txt")), QByteArray("12 G4\r\n\xD6\xD0"));

        SendBox()->clear();
        m_framed->Find<QCheckBox>(ViewId::kHexSend)->click();
        QVERIFY(!SendBox()->m_bHex);
        SendBox()->setPlainText(QStringLiteral("a€😀\nb"));
        m_answers << Path("ascii.txt");
        ClickSave(ViewId::kSaveSend);
        QCOMPARE(FileBytes(Path("ascii.txt")), QStringLiteral("a€😀\r\nb").toUtf8());
        QCOMPARE(ok.Texts().size(), 2);
    }

private:
    void ClickSave(int id) { QTest::mouseClick(m_framed->Button(id), Qt::LeftButton); }
    QString Path(const char *name) const
    {
        return m_sandbox->WorkDir() + u'/' + QString::fromUtf8(name);
    }
    CEditEx *SendBox() const { return m_framed->Find<CEditEx>(ViewId::kSendBox); }

    // The network kind opened on a loopback server; the accepted peer.
    QTcpSocket *OpenAgainstPeer()
    {
        m_server = std::make_unique<QTcpServer>();
        if (!m_server->listen(QHostAddress::LocalHost, 0))
            return nullptr;
        m_framed->SelectKind(PortKind::Network);
        auto *host = FindPanelControl<QComboBox>(m_framed->Panel(), kEthHostId);
        auto *port = FindPanelControl<QLineEdit>(m_framed->Panel(), kEthPortId);
        if (!host || !port)
            return nullptr;
        host->lineEdit()->setText(QStringLiteral("127.0.0.1"));
        port->setText(QString::number(m_server->serverPort()));
        m_framed->ClickOpenClose();
        if (!QTest::qWaitFor([this] { return m_server->hasPendingConnections(); }, 5000))
            return nullptr;
        m_framed->Find<QCheckBox>(ViewId::kCountRecv)->setChecked(true);
        return m_server->nextPendingConnection();
    }

    std::unique_ptr<CViewSandbox> m_sandbox;
    std::unique_ptr<CFramedView> m_framed;
    std::unique_ptr<QTcpServer> m_server;
    QStringList m_suggested;
    QStringList m_answers; // the dialog's results, in order; none left means cancelled
};

QTEST_MAIN(TestSave)
#include "tst_save.moc"
