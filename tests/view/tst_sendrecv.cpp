// The network kind through the window against a loopback server of the
// test: the bytes on the wire, the receive
// box's rendering of the history, the counters, pause and continue; saving
// the receive history and the send box.
#include "viewsandbox.h"

#include "stringtable.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QLabel>
#include <QProgressBar>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>

#include <sys/stat.h>

using namespace ViewText;

namespace {
constexpr qint64 kBigFile = 20 * 1024 * 1024;
constexpr qint64 kSmallFile = 5000;
constexpr qint64 kLoadLimit = 204800;
constexpr int kTransferMs = 60000;
const QString kSendCaption = QStringLiteral("发送");
const QString kPauseCaption = QStringLiteral("暂停");
const QString kContinueCaption = QStringLiteral("继续");
const QRegularExpression
    kProgressText(QStringLiteral("^文件发送进度：(\\d+) % \\( (\\d+) KB/s\\)$"));
const QRegularExpression kFinishedText(QStringLiteral("^文件发送完毕！ \\((\\d+) KB/s\\)$"));

// The far end of a file transfer. While held it reads nothing, so the socket
// buffers fill and the port's file thread has to wait for room.
class FileSink
{
public:
    explicit FileSink(QTcpSocket *socket) : m_socket(socket) {}
    void Hold(bool held)
    {
        m_held = held;
        m_socket->setReadBufferSize(held ? 1 : 0);
    }
    // What has arrived; takes what is waiting unless held.
    qint64 Received()
    {
        if (!m_held) {
            const QByteArray bytes = m_socket->readAll();
            m_hash.addData(bytes);
            m_received += bytes.size();
        }
        return m_received;
    }
    // Reads until nothing more comes: what was in flight has arrived.
    qint64 Settle()
    {
        for (qint64 before = -1; before != Received(); QTest::qWait(300))
            before = m_received;
        return m_received;
    }
    QByteArray Sha1() { return m_hash.result(); }

private:
    QTcpSocket *m_socket;
    bool m_held = false;
    qint64 m_received = 0;
    QCryptographicHash m_hash{QCryptographicHash::Sha1};
};
} // namespace

class TestSendRecv : public CViewTestCase
{
    Q_OBJECT

private slots:
    // receiving: the box is built from rendered tails; after every read it
    // must still be exactly what rendering the whole history gives, also
    // where a double-byte pair or a CR LF is split between two reads.
    void everyByteValueInRandomChunksRendersAsTheWholeHistory()
    {
        OpenAgainstPeer();
        QByteArray stream = EveryByteValue();
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
            if (at > stream.size() / 2 && !RecvBox()->IsHexNotation())
                Find<QCheckBox>(ViewId::kHexRecv)->click();
            if (RecvBox()->IsHexNotation())
                QTRY_COMPARE(RecvBox()->WholeText(), HexRendering(history));
            else
                QTRY_COMPARE(RecvBox()->WholeText(), AsciiRendering(history));
        }
        QCOMPARE(ShownBytes(RecvBox()), history);
        Find<QCheckBox>(ViewId::kHexRecv)->click();
        QCOMPARE(RecvBox()->WholeText(), AsciiRendering(history));
        QCOMPARE(ShownBytes(RecvBox()), history);
    }

    void copyToSendReturnsTheHistoryToThePeer()
    {
        OpenAgainstPeer();
        QByteArray history = EveryByteValue();
        std::reverse(history.begin(), history.end());
        PeerSends(history);
        QTRY_COMPARE(RecvBox()->WholeText(), AsciiRendering(history));
        Click(ViewId::kCopyToSend);
        QVERIFY(!Find<QCheckBox>(ViewId::kHexSend)->isChecked());
        Click(ViewId::kSend);
        QCOMPARE(PeerReceives(history.size()), history);

        Find<QCheckBox>(ViewId::kHexRecv)->click();
        Click(ViewId::kCopyToSend);
        QVERIFY(Find<QCheckBox>(ViewId::kHexSend)->isChecked());
        QCOMPARE(SendBox()->toPlainText(), HexRendering(history));
        QTRY_VERIFY(Button(ViewId::kSend)->isEnabled());
        Click(ViewId::kSend);
        QCOMPARE(PeerReceives(history.size()), history);
    }

    // The second time more than one block waits: all of it arrives, not
    // only the first 1000 bytes.
    void pauseHoldsTheDataAndContinueShowsIt()
    {
        OpenAgainstPeer();
        auto *pause = Button(ViewId::kPauseRecv);
        QString shown;
        for (const QByteArray &held : {QByteArray(300, 'x'), QByteArray(2500, 'y')}) {
            pause->click();
            QCOMPARE(pause->text(), LoadString(IDS_CONTINUE_RECEIVE));
            PeerSends(held);
            QTest::qWait(200);
            QCOMPARE(RecvBox()->WholeText(), shown);
            pause->click();
            QCOMPARE(pause->text(), LoadString(IDS_PAUSE_RECEIVE));
            shown += QString::fromLatin1(held);
            QTRY_COMPARE(RecvBox()->WholeText(), shown);
        }
    }

    // Nothing to save names itself without a dialog. The send box's number
    // advances when a name is confirmed, also when the file cannot be
    // written, but not when the dialog is cancelled.
    void savesTheReceivedBytesAndTheSendBoxExactly()
    {
        StartWindow();
        for (int id : {ViewId::kSaveRecv, ViewId::kSaveSend}) {
            Click(id);
            QCOMPARE(StatusText(), LoadString(IDS_NOTHING_TO_SAVE));
            QVERIFY(m_framed->StatusIsHint());
        }
        QVERIFY(m_suggested.isEmpty());

        OpenAgainstPeer();
        // Bytes received while counting is off are kept but not counted.
        PeerSends("ab");
        QTRY_COMPARE(RecvBox()->WholeText(), QStringLiteral("ab"));
        Find<QCheckBox>(ViewId::kCountRecv)->setChecked(true);
        const QByteArray rest = EveryByteValue() + "\r\n\x81" + EveryByteValue();
        PeerSends(rest);
        QTRY_COMPARE(Find<QLineEdit>(ViewId::kRecvCount)->text(), QString::number(rest.size()));
        Click(ViewId::kSaveRecv); // cancelled
        QCOMPARE(m_suggested, QStringList{QStringLiteral("recved.dat")});
        QVERIFY(!QFile::exists(Path("recved.dat")));
        SaveAs(ViewId::kSaveRecv, "recved.dat");
        QTRY_COMPARE(FileBytes(Path("recved.dat")), "ab" + rest); // written by a thread
        Click(ViewId::kClearRecv);
        Click(ViewId::kSaveRecv);
        QCOMPARE(m_suggested.size(), 2);
        QCOMPARE(StatusText(), LoadString(IDS_NOTHING_TO_SAVE));

        m_suggested.clear();
        SendBox()->setPlainText(QStringLiteral("A中<\\xFF><\\x00>\nz"));
        SaveAs(ViewId::kSaveSend, "ascii.dat");
        QCOMPARE(FileBytes(Path("ascii.dat")), QByteArray("A\xD6\xD0\xFF\x00\r\nz", 8));
        Click(ViewId::kSaveSend); // cancelled
        Find<QCheckBox>(ViewId::kHexSend)->click();
        SendBox()->setPlainText(QStringLiteral("41 255 0a,00"));
        SaveAs(ViewId::kSaveSend, "hex.dat");
        QCOMPARE(FileBytes(Path("hex.dat")), QByteArray("\x41\xFF\x0A\x00", 4));
        MessageBoxWatcher watcher; // the message itself: tst_savefiles
        SaveAs(ViewId::kSaveSend, "no-such-folder/x.dat");
        QTRY_COMPARE(watcher.Texts().size(), 1);
        Click(ViewId::kSaveSend);
        QCOMPARE(m_suggested, QStringList({"senddata0.dat", "senddata1.dat", "senddata1.dat",
                                           "senddata2.dat", "senddata3.dat"}));
    }

    // Two passes with a pause in the first: what was in flight arrives, then
    // nothing until the transfer continues, and the far end gets every byte.
    void passesArriveWholeThroughPauseAndContinue()
    {
        const QByteArray content = PseudoRandom(kBigFile, 1);
        OpenAgainstSink();
        Select(WriteFile("big.bin", content));
        Find<QLineEdit>(ViewId::kFileRepeat)->setText(QStringLiteral("2"));
        Find<QLineEdit>(ViewId::kFileInterval)->setText(QStringLiteral("100"));
        m_sink->Hold(true);
        Click(ViewId::kSendFile);
        QCOMPARE(SendFileCaption(), kPauseCaption);
        QCOMPARE(StatusText(), LoadString(IDS_FILE_SENDING));
        QVERIFY(!Button(ViewId::kSend)->isEnabled());
        QVERIFY(Button(ViewId::kStopFile)->isEnabled());
        WaitForProgressText();

        Click(ViewId::kSendFile);
        QCOMPARE(SendFileCaption(), kContinueCaption);
        QCOMPARE(StatusText(), LoadString(IDS_FILE_SEND_PAUSED));
        m_sink->Hold(false);
        const qint64 arrived = m_sink->Settle();
        QVERIFY(arrived > 0 && arrived < kBigFile);
        QTest::qWait(500);
        QCOMPARE(m_sink->Received(), arrived);

        Click(ViewId::kSendFile);
        QCOMPARE(SendFileCaption(), kPauseCaption);
        QCOMPARE(StatusText(), LoadString(IDS_FILE_SENDING));
        QTRY_COMPARE_WITH_TIMEOUT(m_sink->Received(), 2 * kBigFile, kTransferMs);
        WaitUntilIdle();
        const QRegularExpressionMatch finished = kFinishedText.match(StatusText());
        QVERIFY2(finished.hasMatch(), qPrintable(StatusText()));
        QVERIFY(finished.captured(1).toInt() > 0);
        VerifyIdle();
        QCOMPARE(m_sink->Sha1(),
                 QCryptographicHash::hash(content.repeated(2), QCryptographicHash::Sha1));
        QCOMPARE(Counter(), QStringLiteral("2"));
    }

    // Progress noted before the stop but handled after it changes nothing.
    void stopWhilePausedEndsTheTransfer()
    {
        OpenAgainstSink();
        Select(WriteFile("big.bin", PseudoRandom(kBigFile, 3)));
        m_sink->Hold(true);
        Button(ViewId::kSendFile)->click();
        QThread::msleep(300);               // the port's progress notes queue up behind the clicks
        Button(ViewId::kSendFile)->click(); // pause
        Button(ViewId::kStopFile)->click();
        QCoreApplication::processEvents(); // the queued notes come after the stop
        QCOMPARE(StatusText(), LoadString(IDS_FILE_SEND_STOPPED));
        QVERIFY(m_framed->StatusIsHint());
        VerifyIdle();
        QVERIFY(Button(ViewId::kOpenClose)->isEnabled());
        m_sink->Hold(false);
        const qint64 arrived = m_sink->Settle();
        QVERIFY(arrived < kBigFile);
        QCOMPARE(Counter(), QStringLiteral("0"));

        // The view is ready for the next transfer.
        Select(WriteFile("small.bin", PseudoRandom(kSmallFile, 4)));
        Click(ViewId::kSendFile);
        WaitUntilIdle();
        QTRY_COMPARE(m_sink->Received(), arrived + kSmallFile);
        QCOMPARE(Counter(), QStringLiteral("1"));

        // A chosen file that is gone, or is a FIFO, by the time of sending
        // is named, and nothing starts.
        QVERIFY(QFile::remove(Path("small.bin")));
        for (bool replacedByFifo : {false, true}) {
            if (replacedByFifo)
                QVERIFY(::mkfifo(QFile::encodeName(Path("small.bin")).constData(), 0600) == 0);
            MessageBoxWatcher catcher;
            Click(ViewId::kSendFile);
            QCOMPARE(catcher.Texts(), QStringList{LoadString(IDS_FILE_LOCKED)});
            VerifyIdle();
        }
    }

    // Up to the limit the file goes into the send box in the box's notation;
    // beyond it the user is offered file sending.
    void loadFileHonoursTheLimit()
    {
        StartWindow();
        Click(ViewId::kHexSend);
        const QByteArray fits = PseudoRandom(kLoadLimit, 8);
        m_chosen = WriteFile("fits.bin", fits);
        Click(ViewId::kLoadFile);
        CEditEx *box = SendBox();
        QVERIFY(box->m_bHex);
        QCOMPARE(BoxBytes(box), fits);

        const QString tooLarge = WriteFile("large.bin", PseudoRandom(kLoadLimit + 1, 9));
        m_chosen = tooLarge;
        {
            MessageBoxWatcher catcher;
            Click(ViewId::kLoadFile);
            QCOMPARE(catcher.Texts(), QStringList{LoadString(IDS_FILE_TOO_LARGE)});
        }
        QCOMPARE(Find<QLabel>(ViewId::kFilePath)->toolTip(), tooLarge);
        QCOMPARE(BoxBytes(box), fits);

        // Files that cannot be used leave the selection and the box alone. A
        // FIFO without a writer must not block the window.
        const QString empty = WriteFile("empty.bin", {});
        const QString missing = Path("missing.bin"), fifo = Path("fifo"), folder = Path("folder");
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        QVERIFY(QDir().mkdir(folder));
        const QList<std::pair<QString, unsigned>> unusable = {{empty, IDS_FILE_EMPTY},
                                                              {missing, IDS_FILE_LOCKED},
                                                              {fifo, IDS_FILE_LOCKED},
                                                              {folder, IDS_FILE_LOCKED}};
        for (const auto &[path, message] : unusable) {
            for (int button : {ViewId::kLoadFile, ViewId::kSelectFile}) {
                m_chosen = path;
                Button(button)->click();
                QCOMPARE(StatusText(), LoadString(message));
                QVERIFY(m_framed->StatusIsError());
            }
        }
        QCOMPARE(Find<QLabel>(ViewId::kFilePath)->toolTip(), tooLarge);
        QCOMPARE(BoxBytes(box), fits);
    }

private:
    // The window with its file dialogs answered by the test: the open dialog
    // with m_chosen, the save dialog with m_answers in order (none left means
    // cancelled).
    void StartWindow()
    {
        Start();
        m_suggested.clear();
        m_answers.clear();
        m_framed->View()->SetOpenFileChooser([this](const QString &) { return m_chosen; });
        m_framed->View()->SetSaveFileChooser([this](const QString &suggestedName) {
            m_suggested << suggestedName;
            return m_answers.isEmpty() ? QString() : m_answers.takeFirst();
        });
    }
    void OpenAgainstPeer()
    {
        if (!m_framed)
            StartWindow();
        CViewTestCase::OpenAgainstPeer();
    }
    void OpenAgainstSink()
    {
        OpenAgainstPeer();
        m_sink = std::make_unique<FileSink>(m_peer);
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
    QString Path(const char *name) const { return m_sandbox->Path(QString::fromUtf8(name)); }
    void SaveAs(int id, const char *name)
    {
        m_answers << Path(name);
        Click(id);
    }
    void Select(const QString &path)
    {
        m_chosen = path;
        Click(ViewId::kSelectFile);
        QCOMPARE(Find<QLabel>(ViewId::kFilePath)->toolTip(), path);
        QVERIFY(Button(ViewId::kSendFile)->isEnabled());
    }
    QString SendFileCaption() const { return Button(ViewId::kSendFile)->text(); }
    QString Counter() const { return Find<QLineEdit>(ViewId::kFileCounter)->text(); }
    // While the peer holds the transfer the percent stays short of the end;
    // the bar in its pane shows the same.
    void WaitForProgressText()
    {
        QTRY_VERIFY(kProgressText.match(StatusText()).hasMatch());
        const int percent = kProgressText.match(StatusText()).captured(1).toInt();
        QVERIFY(m_framed->StatusIsHint());
        QVERIFY(percent < 100);
        QVERIFY(m_framed->Frame().StatusBar()->CommandToIndex(IDS_PROGRESS_PANE) >= 0);
        QCOMPARE(m_framed->Frame().StatusBar()->findChild<QProgressBar *>()->value(), percent);
    }
    void WaitUntilIdle()
    {
        QTRY_COMPARE_WITH_TIMEOUT(SendFileCaption(), kSendCaption, kTransferMs);
    }
    void VerifyIdle()
    {
        QCOMPARE(SendFileCaption(), kSendCaption);
        QVERIFY(!Button(ViewId::kStopFile)->isEnabled());
        QVERIFY(Button(ViewId::kSend)->isEnabled());
        QVERIFY(m_framed->Frame().StatusBar()->CommandToIndex(IDS_PROGRESS_PANE) < 0);
    }

    std::unique_ptr<FileSink> m_sink;
    QStringList m_suggested;
    QStringList m_answers;
    QString m_chosen;
};

QTEST_MAIN(TestSendRecv)
#include "tst_sendrecv.moc"
