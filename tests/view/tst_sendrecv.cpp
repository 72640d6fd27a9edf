// The network kind through the window against a loopback server of the
// test: a refused and a lost connection; the bytes on the wire, the receive box's
// rendering of the history, the counters, pause and continue.
#include "viewsandbox.h"

#include "boxtext.h"
#include "editex.h"
#include "ethportcfgdlg.h"
#include "stringtable.h"
#include "usercommandview.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>

using namespace ViewText;

namespace {
QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int value : values)
        bytes.append(char(value));
    return bytes;
}

// Types text the way an input method delivers it, which also covers
// characters QTest's key table does not know.
void TypeText(QWidget *box, const QString &text)
{
    for (QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(box, &press);
    }
}

std::span<const uint8_t> ViewOf(const QByteArray &bytes)
{
    return {reinterpret_cast<const uint8_t *>(bytes.constData()), std::size_t(bytes.size())};
}

QString AsciiRendering(const QByteArray &bytes)
{
    ByteString text;
    BytesToAscii(ViewOf(bytes), text);
    return BoxTextFromGbk(text.view());
}

QString HexRendering(const QByteArray &bytes)
{
    ByteString text;
    BytesToHex(ViewOf(bytes), text);
    return QString::fromLatin1(text.c_str());
}

QByteArray BoxBytes(const CEditEx *box)
{
    ByteString bytes;
    const ConvResult result = box->GetData(bytes);
    if (result <= 0)
        return {};
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), result);
}
} // namespace

class TestSendRecv : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_sandbox = std::make_unique<CViewSandbox>();
        m_server = std::make_unique<QTcpServer>();
        QVERIFY(m_server->listen(QHostAddress::LocalHost, 0));
    }
    void cleanup()
    {
        m_framed.reset();
        m_server.reset();
        m_sandbox.reset();
    }

    // opening
    void refusedConnectionFails()
    {
        const quint16 freePort = m_server->serverPort();
        m_server->close(); // nobody listens there any more
        StartAndOpen(freePort);
        QTRY_COMPARE(m_framed->StatusText(), kOpenFailed);
        QVERIFY(m_framed->StatusIsError());
        QVERIFY(!m_framed->View()->HasPort());
        QVERIFY(m_framed->OpenButton()->isEnabled());
        QCOMPARE(m_framed->OpenButton()->text(), kOpenCaption);
    }

    void peerClosingLosesThePort()
    {
        OpenAgainstPeer();
        m_peer->close();
        QTRY_COMPARE(m_framed->StatusText(), kClosed);
        QVERIFY(m_framed->StatusIsError());
        QVERIFY(!m_framed->View()->HasPort());
        QCOMPARE(m_framed->OpenButton()->text(), kOpenCaption);
        QVERIFY(!m_framed->Button(ViewId::kSend)->isEnabled());
    }

    // sending
    void typedAsciiReachesThePeerByteForByte()
    {
        OpenAgainstPeer();
        Find<QCheckBox>(ViewId::kCountSend)->setChecked(true);
        SendBox()->setFocus();
        TypeText(SendBox(), QStringLiteral("A中"));
        QTest::keyClick(SendBox(), Qt::Key_Return);
        QTest::keyClicks(SendBox(), QStringLiteral("<\\xFF><\\x00>z"));
        ClickSend();
        const QByteArray expected = Bytes({'A', 0xD6, 0xD0, 0x0D, 0x0A, 0xFF, 0x00, 'z'});
        QCOMPARE(PeerReceives(expected.size()), expected);
        QTRY_VERIFY(m_framed->Button(ViewId::kSend)->isEnabled()); // write done
        QTRY_COMPARE(Find<QLineEdit>(ViewId::kSendCount)->text(), QString::number(expected.size()));
        QTRY_VERIFY(m_framed->Button(ViewId::kSend)->hasFocus());

        Find<QCheckBox>(ViewId::kCountSend)->setChecked(false);
        ClickSend();
        QCOMPARE(PeerReceives(expected.size()), expected);
        QTRY_VERIFY(m_framed->Button(ViewId::kSend)->isEnabled());
        QCOMPARE(Find<QLineEdit>(ViewId::kSendCount)->text(), QString::number(expected.size()));
        m_framed->Button(ViewId::kClearSendCount)->click();
        QTRY_COMPARE(Find<QLineEdit>(ViewId::kSendCount)->text(), QStringLiteral("0"));
    }

    void hexWithDecimalTokensSendsItsBytes()
    {
        OpenAgainstPeer();
        Find<QCheckBox>(ViewId::kHexSend)->click();
        QVERIFY(SendBox()->m_bHex);
        QTest::keyClicks(SendBox(), QStringLiteral("41 255 7 0a"));
        QCOMPARE(SendBox()->toPlainText(), QStringLiteral("41 255 7 0A"));
        m_framed->Frame().CommandAction(CMainFrame::IDC_SEND_BUTTON)->trigger(); // Ctrl+S
        QCOMPARE(PeerReceives(4), Bytes({0x41, 0xFF, 0x07, 0x0A}));
    }

    void hexInputErrorSelectsTheBadCharacter()
    {
        OpenAgainstPeer();
        Find<QCheckBox>(ViewId::kHexSend)->click();
        SendBox()->setPlainText(QStringLiteral("12 G4")); // pasted: the key filter is not asked
        ClickSend();
        QCOMPARE(m_framed->StatusText(), LoadString(IDS_HEX_INPUT_ERROR));
        QVERIFY(m_framed->StatusIsHint());
        const QTextCursor cursor = SendBox()->textCursor();
        QCOMPARE(cursor.selectionStart(), 3);
        QCOMPARE(cursor.selectedText(), QStringLiteral("G"));
        QVERIFY(SendBox()->hasFocus());
        QVERIFY(m_framed->Button(ViewId::kSend)->isEnabled());
        QCOMPARE(PeerReceives(1), QByteArray());
    }

    void emptyBoxSendsNothingAndSaysNothing()
    {
        OpenAgainstPeer();
        const QString status = m_framed->StatusText();
        ClickSend();
        Find<QCheckBox>(ViewId::kHexSend)->click();
        SendBox()->setPlainText(QStringLiteral("  ,; \n"));
        ClickSend();
        QCOMPARE(PeerReceives(1), QByteArray());
        QCOMPARE(m_framed->StatusText(), status);
        QVERIFY(m_framed->Button(ViewId::kSend)->isEnabled());
    }

    // receiving: the box is built from rendered tails; after every read it
    // must still be exactly what rendering the whole history gives, also
    // where a double-byte pair or a CR LF is split between two reads.
    void everyByteValueInRandomChunksRendersAsTheWholeHistory()
    {
        OpenAgainstPeer();
        QByteArray stream;
        for (int value = 0; value < 256; ++value)
            stream.append(char(value));
        stream += Bytes({0xB0, 0xA1, 0x0D, 0x0A, 0x81, 0x81, 0x81, 0x0D, 0x41, 0xFE, 0xFE, 0x0D});
        QRandomGenerator random(20261206);
        for (int i = 0; i < 3000; ++i)
            stream.append(char(random.bounded(256)));

        QByteArray history;
        for (int at = 0; at < stream.size();) {
            const int size = std::min<int>(1 + random.bounded(300), int(stream.size()) - at);
            history += stream.mid(at, size);
            at += size;
            PeerSends(history.right(size));
            if (at > stream.size() / 2 && !RecvBox()->m_bHex)
                Find<QCheckBox>(ViewId::kHexRecv)->click();
            if (RecvBox()->m_bHex)
                QTRY_COMPARE(RecvBox()->toPlainText().replace(u'\n', u' '), HexRendering(history));
            else
                QTRY_COMPARE(RecvBox()->toPlainText(), AsciiRendering(history));
        }
        QCOMPARE(BoxBytes(RecvBox()), history);
        Find<QCheckBox>(ViewId::kHexRecv)->click();
        QCOMPARE(RecvBox()->toPlainText(), AsciiRendering(history));
        QCOMPARE(BoxBytes(RecvBox()), history);
    }

    void copyToSendReturnsTheHistoryToThePeer()
    {
        OpenAgainstPeer();
        QByteArray history;
        for (int value = 255; value >= 0; --value)
            history.append(char(value));
        PeerSends(history);
        QTRY_COMPARE(RecvBox()->toPlainText(), AsciiRendering(history));
        m_framed->Button(ViewId::kCopyToSend)->click();
        QVERIFY(!Find<QCheckBox>(ViewId::kHexSend)->isChecked());
        ClickSend();
        QCOMPARE(PeerReceives(history.size()), history);

        Find<QCheckBox>(ViewId::kHexRecv)->click();
        m_framed->Button(ViewId::kCopyToSend)->click();
        QVERIFY(Find<QCheckBox>(ViewId::kHexSend)->isChecked());
        QCOMPARE(SendBox()->toPlainText(), HexRendering(history));
        QTRY_VERIFY(m_framed->Button(ViewId::kSend)->isEnabled());
        ClickSend();
        QCOMPARE(PeerReceives(history.size()), history);
    }

    void receiveCounterCountsOnlyWhenTicked()
    {
        OpenAgainstPeer();
        auto *counter = Find<QLineEdit>(ViewId::kRecvCount);
        PeerSends("abc");
        QTRY_COMPARE(RecvBox()->toPlainText(), QStringLiteral("abc"));
        QCOMPARE(counter->text(), QStringLiteral("0"));
        Find<QCheckBox>(ViewId::kCountRecv)->setChecked(true);
        PeerSends("defg");
        QTRY_COMPARE(RecvBox()->toPlainText(), QStringLiteral("abcdefg"));
        QCOMPARE(counter->text(), QStringLiteral("4"));
        m_framed->Button(ViewId::kClearRecvCount)->click();
        QTRY_COMPARE(counter->text(), QStringLiteral("0"));
        QCOMPARE(RecvBox()->toPlainText(), QStringLiteral("abcdefg"));
    }

    void pauseHoldsTheDataAndContinueShowsIt()
    {
        OpenAgainstPeer();
        auto *pause = m_framed->Button(ViewId::kPauseRecv);
        pause->click();
        QCOMPARE(pause->text(), LoadString(IDS_CONTINUE_RECEIVE));
        const QByteArray held(300, 'x');
        PeerSends(held);
        QTest::qWait(200);
        QCOMPARE(RecvBox()->toPlainText(), QString());
        pause->click();
        QCOMPARE(pause->text(), LoadString(IDS_PAUSE_RECEIVE));
        QTRY_COMPARE(RecvBox()->toPlainText(), QString::fromLatin1(held));

        // More than one block waiting: all of it arrives, not only the first 1000.
        pause->click();
        const QByteArray more(2500, 'y');
        PeerSends(more);
        QTest::qWait(200);
        pause->click();
        QTRY_COMPARE(RecvBox()->toPlainText(), QString::fromLatin1(held + more));
    }

    // Only the tail of the box is re-rendered after a read; after megabytes
    // of history the box must still hold the whole history.
    void longHistoryStaysExactAfterLaterBursts_data()
    {
        QTest::addColumn<bool>("hex");
        QTest::newRow("hex") << true;
        QTest::newRow("ascii") << false;
    }
    void longHistoryStaysExactAfterLaterBursts()
    {
        QFETCH(bool, hex);
        OpenAgainstPeer();
        QRandomGenerator random(7);
        QByteArray history;
        const auto receive = [&](int size) {
            QByteArray bytes(size, Qt::Uninitialized);
            for (char &byte : bytes)
                byte = char(random.bounded(256));
            history += bytes;
            PeerSends(bytes);
            // The counter is shown with the text, once the window thread is idle.
            QTRY_COMPARE_WITH_TIMEOUT(Find<QLineEdit>(ViewId::kRecvCount)->text(),
                                      QString::number(history.size()), 60000);
        };
        if (hex)
            Find<QCheckBox>(ViewId::kHexRecv)->click();
        Find<QCheckBox>(ViewId::kCountRecv)->setChecked(true);
        receive(100000);
        receive(4000000);
        receive(100000);
        QCOMPARE(BoxBytes(RecvBox()), history);
    }

    // A command button sends its bytes only through an open port: the click
    // before the open leaves nothing queued for later.
    void commandButtonsSendTheirBytes()
    {
        QFile ini(m_sandbox->IniPath());
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[UserCmds]\r\nCmdCnt=2\r\nCmdName1=Init\r\nCmdValue1=1B,40\r\n"
                  "CmdName2=Hello\r\nCmdValue2=48,65,6C,6C,6F,0D,0A\r\n");
        ini.close();
        m_framed = std::make_unique<CFramedView>();
        QVERIFY(m_framed->WaitForStartup());
        CUserCommandView *strip = m_framed->View()->CommandStrip();
        QCOMPARE(strip->Buttons().size(), 2);
        QPushButton *init = strip->findChild<QPushButton *>(QStringLiteral("2700"));
        QPushButton *hello = strip->findChild<QPushButton *>(QStringLiteral("2701"));
        QCOMPARE(init->text(), QStringLiteral("Init"));
        QTest::mouseClick(hello, Qt::LeftButton);
        QCOMPARE(m_framed->StatusText(), kReady); // nothing said either

        OpenAgainstPeer(true);
        QTest::mouseClick(hello, Qt::LeftButton);
        QCOMPARE(PeerReceives(7), QByteArray("Hello\r\n"));
        QTRY_VERIFY(m_framed->Button(ViewId::kSend)->isEnabled());
        QTest::mouseClick(init, Qt::LeftButton);
        QCOMPARE(PeerReceives(2), QByteArray("\x1B\x40"));
    }

private:
    // Types the target into the network panel as a user would and opens.
    void StartAndOpen(quint16 port)
    {
        m_framed = std::make_unique<CFramedView>();
        QVERIFY(m_framed->WaitForStartup());
        OpenNetwork(port);
    }
    void OpenNetwork(quint16 port)
    {
        m_framed->SelectKind(PortKind::Network);
        auto *host = FindPanelControl<QComboBox>(m_framed->Panel(), kEthHostId);
        auto *portEdit = FindPanelControl<QLineEdit>(m_framed->Panel(), kEthPortId);
        QVERIFY(host && portEdit);
        host->lineEdit()->clear();
        QTest::keyClicks(host->lineEdit(), QStringLiteral("127.0.0.1"));
        portEdit->clear();
        QTest::keyClicks(portEdit, QString::number(port));
        m_framed->ClickOpenClose();
    }
    void OpenAgainstPeer(bool started = false)
    {
        if (started)
            OpenNetwork(m_server->serverPort());
        else
            StartAndOpen(m_server->serverPort());
        QTRY_VERIFY(m_server->hasPendingConnections());
        m_peer = m_server->nextPendingConnection();
        QTRY_VERIFY(m_framed->Button(ViewId::kSend)->isEnabled());
    }
    void PeerSends(const QByteArray &bytes)
    {
        m_peer->write(bytes);
        m_peer->flush();
    }
    QByteArray PeerReceives(int count)
    {
        QByteArray got;
        (void)QTest::qWaitFor( // a short result is what the caller compares
            [&] {
                got += m_peer->readAll();
                return got.size() >= count;
            },
            5000);
        QTest::qWait(50); // anything beyond `count` would show up too
        return got + m_peer->readAll();
    }
    void ClickSend() { m_framed->Button(ViewId::kSend)->click(); }
    template <typename Control> Control *Find(int id) const { return m_framed->Find<Control>(id); }
    CEditEx *SendBox() const { return Find<CEditEx>(ViewId::kSendBox); }
    CEditEx *RecvBox() const { return Find<CEditEx>(ViewId::kRecvBox); }

    std::unique_ptr<CViewSandbox> m_sandbox;
    std::unique_ptr<CFramedView> m_framed;
    std::unique_ptr<QTcpServer> m_server;
    QTcpSocket *m_peer = nullptr;
};

QTEST_MAIN(TestSendRecv)
#include "tst_sendrecv.moc"
