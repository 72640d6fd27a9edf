// The network kind through the window against a loopback server of the
// test: the bytes on the wire, the receive
// box's rendering of the history, the counters, pause and continue; saving
// the receive history and the send box.
#include "viewsandbox.h"

#include <QElapsedTimer>
#include <QProgressBar>
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
const QString kLargeCopyQuestion =
    QStringLiteral("接收区的数据太大（大于200K），您仍要把它全部复制到发送区吗？");
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
    const QByteArray &Received()
    {
        if (!m_held)
            m_bytes += m_socket->readAll();
        return m_bytes;
    }
    // Reads until nothing more comes: what was in flight has arrived.
    qint64 Settle()
    {
        for (qint64 before = -1; before != Received().size(); QTest::qWait(300))
            before = m_bytes.size();
        return m_bytes.size();
    }

private:
    QTcpSocket *m_socket;
    bool m_held = false;
    QByteArray m_bytes;
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
            QTRY_COMPARE(RecvBox()->WholeText(), RecvBox()->IsHexNotation()
                                                     ? HexRendering(history)
                                                     : AsciiRendering(history));
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
        for (const bool hex : {false, true}) { // the send box takes the receive box's notation
            if (hex)
                Find<QCheckBox>(ViewId::kHexRecv)->click();
            Click(ViewId::kCopyToSend);
            QCOMPARE(Find<QCheckBox>(ViewId::kHexSend)->isChecked(), hex);
            QCOMPARE(SendBox()->Text(), hex ? HexRendering(history) : AsciiRendering(history));
            QTRY_VERIFY(Button(ViewId::kSend)->isEnabled());
            Click(ViewId::kSend);
            QCOMPARE(PeerReceives(history.size(), 5000), history);
        }
    }

    // A history up to the limit goes into the send box at once, more only
    // when the user agrees; either way what the box then holds is sent.
    void largeHistoryCopiedToSend_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("answer"); // NoButton: no question
        QTest::addColumn<bool>("copied");
        QTest::newRow("100,000 zeros") << 100000 << int(QMessageBox::NoButton) << true;
        QTest::newRow("over the limit, cancelled")
            << int(kLoadLimit + 1) << int(QMessageBox::Cancel) << false;
        QTest::newRow("over the limit, agreed")
            << int(kLoadLimit + 1) << int(QMessageBox::Ok) << true;
    }

    void largeHistoryCopiedToSend()
    {
        QFETCH(int, size);
        QFETCH(int, answer);
        QFETCH(bool, copied);
        OpenAgainstPeer();
        const QByteArray history(size, '\0');
        PeerSends(history);
        QTRY_COMPARE_WITH_TIMEOUT(RecvBox()->History().Size(), std::size_t(size), kTransferMs);
        QTest::keyClicks(SendBox(), QStringLiteral("before"));
        {
            MessageBoxWatcher catcher(static_cast<QMessageBox::StandardButton>(answer));
            Click(ViewId::kCopyToSend);
            QCOMPARE(catcher.Texts(), answer == QMessageBox::NoButton
                                          ? QStringList()
                                          : QStringList{kLargeCopyQuestion});
        }
        const QByteArray expected = copied ? history : QByteArray("before");
        QCOMPARE(BoxBytes(SendBox()), expected);
        QCOMPARE(SendBox()->textCursor().hasSelection(), false);
        if (copied) {
            QCOMPARE(SendBox()->Text(), AsciiRendering(history));
            QCOMPARE(SendBox()->textCursor().position(), 0);
            Click(ViewId::kHexSend);
            QCOMPARE(SendBox()->Text(), HexRendering(history));
            Click(ViewId::kHexSend);
        }
        QCOMPARE(BoxBytes(SendBox()), expected);
        Click(ViewId::kSend);
        QCOMPARE(PeerReceives(expected.size(), 5000), expected);
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
            QCOMPARE(HintText(), LoadString(IDS_NOTHING_TO_SAVE));
        }
        QVERIFY(m_suggested.isEmpty());

        OpenAgainstPeer();
        // Bytes received while counting is off are kept but not counted.
        PeerSends("ab");
        QTRY_COMPARE(RecvBox()->WholeText(), QStringLiteral("ab"));
        const QByteArray rest = EveryByteValue() + "\r\n\x81" + EveryByteValue();
        PeerSendsCounted(rest, 5000);
        Click(ViewId::kSaveRecv); // cancelled
        QCOMPARE(m_suggested, QStringList{QStringLiteral("recved.dat")});
        QVERIFY(!QFile::exists(Path("recved.dat")));
        SaveAs(ViewId::kSaveRecv, "recved.dat");
        QTRY_COMPARE(FileBytes(Path("recved.dat")), "ab" + rest); // written by a thread
        QTRY_COMPARE(StatusText(), Saved("recved.dat", rest.size() + 2));
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
        QCOMPARE(StatusText(), Saved("hex.dat", 4));
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
        m_sink->Hold(true);
        StartFileSend(content, 2, 100);
        QCOMPARE(SendFileCaption(), kPauseCaption);
        QCOMPARE(StatusText(), LoadString(IDS_FILE_SENDING));
        QVERIFY(!Button(ViewId::kSend)->isEnabled());
        WaitForProgressText();

        Click(ViewId::kSendFile);
        QCOMPARE(SendFileCaption(), kContinueCaption);
        QCOMPARE(StatusText(), LoadString(IDS_FILE_SEND_PAUSED));
        m_sink->Hold(false);
        const qint64 arrived = m_sink->Settle(); // nothing more for 300 ms
        QVERIFY(arrived > 0 && arrived < kBigFile);

        Click(ViewId::kSendFile);
        QCOMPARE(SendFileCaption(), kPauseCaption);
        QCOMPARE(StatusText(), LoadString(IDS_FILE_SENDING));
        QTRY_COMPARE_WITH_TIMEOUT(m_sink->Received().size(), 2 * kBigFile, kTransferMs);
        WaitUntilIdle();
        const QRegularExpressionMatch finished = kFinishedText.match(StatusText());
        QVERIFY2(finished.hasMatch(), qPrintable(StatusText()));
        QVERIFY(finished.captured(1).toInt() > 0);
        VerifyIdle();
        QCOMPARE(m_sink->Received(), content.repeated(2));
        QCOMPARE(Counter(), QStringLiteral("2"));
    }

    // A peer that reads about 1 MB a second behind buffers that take
    // megabytes at once: no speed shown may be what the socket took at the
    // start, and once known the speed is the peer's.
    void speedShownIsThePeers()
    {
        constexpr qint64 kPerRead = 100 * 1024;
        constexpr int kReadEveryMs = 100, kWatchMs = 6000;
        OpenAgainstSink();
        m_peer->setReadBufferSize(kPerRead);
        StartFileSend(PseudoRandom(32 * 1024 * 1024, 5), 1);
        QElapsedTimer pace;
        pace.start();
        qint64 nextRead = 0;
        QList<int> shown;
        (void)QTest::qWaitFor( // paces the peer; the speeds shown are compared below
            [&] {
                if (pace.elapsed() >= nextRead) {
                    m_peer->read(kPerRead);
                    nextRead += kReadEveryMs;
                }
                const auto progress = kProgressText.match(StatusText());
                if (progress.hasMatch() && (shown.isEmpty() || StatusText() != m_lastShown))
                    shown << progress.captured(2).toInt();
                m_lastShown = StatusText();
                return false;
            },
            kWatchMs);
        Click(ViewId::kStopFile);
        const int peerSpeed = int(kPerRead / kReadEveryMs); // bytes per millisecond: KB/s
        QVERIFY(!shown.isEmpty() && *std::max_element(shown.begin(), shown.end()) > 0);
        for (const int speed : shown)
            QVERIFY2(speed <= 3 * peerSpeed, qPrintable(QString::number(speed)));
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
        QCOMPARE(HintText(), LoadString(IDS_FILE_SEND_STOPPED));
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
        QTRY_COMPARE(m_sink->Received().size(), arrived + kSmallFile);
        QCOMPARE(Counter(), QStringLiteral("1"));

        // A chosen file that is gone, or is a FIFO, by the time of sending
        // is named, and nothing starts.
        QVERIFY(QFile::remove(Path("small.bin")));
        for (bool replacedByFifo : {false, true}) {
            if (replacedByFifo)
                QVERIFY(::mkfifo(QFile::encodeName(Path("small.bin")).constData(), 0600) == 0);
            MessageBoxWatcher catcher;
            Click(ViewId::kSendFile);
            const QString cause = replacedByFifo ? kNotRegular : kGone;
            QCOMPARE(catcher.Texts(), QStringList{CannotOpen(Path("small.bin"), cause)});
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
        const QList<std::pair<QString, QString>> unusable = {
            {empty, LoadString(IDS_FILE_EMPTY)},
            {missing, CannotOpen(missing, kGone)},
            {fifo, CannotOpen(fifo, kNotRegular)},
            {folder, CannotOpen(folder, QStringLiteral("这是一个文件夹"))}};
        for (const auto &[path, message] : unusable) {
            for (int button : {ViewId::kLoadFile, ViewId::kSelectFile}) {
                m_chosen = path;
                Button(button)->click();
                QCOMPARE(ErrorText(), message);
            }
        }
        QCOMPARE(Find<QLabel>(ViewId::kFilePath)->toolTip(), tooLarge);
        QCOMPARE(BoxBytes(box), fits);
    }

private:
    // A file that will not open is named with the reason.
    static QString CannotOpen(const QString &path, const QString &cause)
    {
        return QStringLiteral("无法打开文件“%1”：%2").arg(path, cause);
    }
    inline static const QString kGone = QStringLiteral("文件不存在，可能已被移动或删除");
    inline static const QString kNotRegular = QStringLiteral("不是普通文件");
    QString Saved(const char *name, qsizetype size) const
    {
        return QStringLiteral("已保存到 %1（%2 字节）").arg(Path(name)).arg(size);
    }
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
    QString m_lastShown;
};

QTEST_MAIN(TestSendRecv)
#include "tst_sendrecv.moc"
