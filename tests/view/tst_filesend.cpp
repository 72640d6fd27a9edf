// File sending through the window and the network kind against a loopback
// peer of the test: whole transfers, pause, continue and stop, the pass
// counter, the refusals, and loading a file into the send box.
#include "viewsandbox.h"

#include "stringtable.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>

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

QByteArray PseudoRandom(qint64 size, quint32 seed)
{
    QByteArray bytes((size + 3) / 4 * 4, Qt::Uninitialized);
    QRandomGenerator(seed).fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
    bytes.truncate(size);
    return bytes;
}

QByteArray Sha1(const QByteArray &bytes, int times = 1)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (int i = 0; i < times; ++i)
        hash.addData(bytes);
    return hash.result();
}

// The far end. While held it reads nothing, so the socket buffers fill and
// the port's file thread has to wait for room.
class Peer
{
public:
    void Attach(QTcpSocket *socket)
    {
        m_socket = socket;
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this] { Drain(); });
    }
    void Hold()
    {
        m_held = true;
        m_socket->setReadBufferSize(1);
    }
    void Release()
    {
        m_held = false;
        m_socket->setReadBufferSize(0);
        Drain();
    }
    // Reads until nothing more comes: what was in flight has arrived.
    qint64 Settle()
    {
        qint64 before = -1;
        while (before != m_received) {
            before = m_received;
            QTest::qWait(300);
        }
        return m_received;
    }
    qint64 Received() const { return m_received; }
    QByteArray Sha1() { return m_hash.result(); }

private:
    void Drain()
    {
        if (m_held)
            return;
        const QByteArray bytes = m_socket->readAll();
        m_hash.addData(bytes);
        m_received += bytes.size();
    }

    QTcpSocket *m_socket = nullptr;
    bool m_held = false;
    qint64 m_received = 0;
    QCryptographicHash m_hash{QCryptographicHash::Sha1};
};
} // namespace

class TestFileSend : public CViewTestCase
{
    Q_OBJECT

private slots:
    // Two passes with a pause in the first: what was in flight arrives, then
    // nothing until the transfer continues, and the far end gets every byte.
    void passesArriveWholeThroughPauseAndContinue()
    {
        const QByteArray content = PseudoRandom(kBigFile, 1);
        OpenAgainstPeer();
        Select(WriteFile("big.bin", content));
        SetCountAndInterval("2", "100");
        m_peer->Hold();
        ClickSendFile();
        QCOMPARE(SendFileButton()->text(), kPauseCaption);
        QCOMPARE(m_framed->StatusText(), LoadString(IDS_FILE_SENDING));
        QVERIFY(!m_framed->Button(ViewId::kSend)->isEnabled());
        QVERIFY(m_framed->Button(ViewId::kStopFile)->isEnabled());
        WaitForProgressText();

        ClickSendFile();
        QCOMPARE(SendFileButton()->text(), kContinueCaption);
        QCOMPARE(m_framed->StatusText(), LoadString(IDS_FILE_SEND_PAUSED));
        m_peer->Release();
        const qint64 arrived = m_peer->Settle();
        QVERIFY(arrived > 0 && arrived < kBigFile);
        QTest::qWait(500);
        QCOMPARE(m_peer->Received(), arrived);

        ClickSendFile();
        QCOMPARE(SendFileButton()->text(), kPauseCaption);
        QCOMPARE(m_framed->StatusText(), LoadString(IDS_FILE_SENDING));
        QTRY_COMPARE_WITH_TIMEOUT(m_peer->Received(), 2 * kBigFile, kTransferMs);
        WaitUntilIdle();
        const QRegularExpressionMatch finished = kFinishedText.match(m_framed->StatusText());
        QVERIFY2(finished.hasMatch(), qPrintable(m_framed->StatusText()));
        QVERIFY(finished.captured(1).toInt() > 0);
        VerifyIdle();
        QCOMPARE(m_peer->Sha1(), Sha1(content, 2));
        QCOMPARE(Counter(), QStringLiteral("2"));
    }

    // Progress noted before the stop but handled after it changes nothing.
    void stopWhilePausedEndsTheTransfer()
    {
        OpenAgainstPeer();
        Select(WriteFile("big.bin", PseudoRandom(kBigFile, 3)));
        m_peer->Hold();
        SendFileButton()->click();
        QThread::msleep(300);      // the port's progress notes queue up behind the clicks
        SendFileButton()->click(); // pause
        m_framed->Button(ViewId::kStopFile)->click();
        QCoreApplication::processEvents(); // the queued notes come after the stop
        QCOMPARE(m_framed->StatusText(), LoadString(IDS_FILE_SEND_STOPPED));
        QVERIFY(m_framed->StatusIsHint());
        VerifyIdle();
        QVERIFY(m_framed->Button(ViewId::kOpenClose)->isEnabled());
        m_peer->Release();
        const qint64 arrived = m_peer->Settle();
        QVERIFY(arrived < kBigFile);
        QCOMPARE(Counter(), QStringLiteral("0"));

        // The view is ready for the next transfer.
        Select(WriteFile("small.bin", PseudoRandom(kSmallFile, 4)));
        ClickSendFile();
        WaitUntilIdle();
        QCOMPARE(m_peer->Received(), arrived + kSmallFile);
        QCOMPARE(Counter(), QStringLiteral("1"));
    }

    // Single sends add up, a multi-pass send counts from 0, and so does the
    // first single send after it. A negative interval means no wait.
    void passCounterFollowsTheResetRule()
    {
        OpenAgainstPeer();
        Select(WriteFile("small.bin", PseudoRandom(kSmallFile, 5)));
        for (const char *expected : {"1", "2", "3"}) {
            ClickSendFile();
            WaitUntilIdle();
            QCOMPARE(Counter(), QString::fromLatin1(expected));
        }
        SetCountAndInterval("3", "-1");
        ClickSendFile();
        QCOMPARE(Counter(), QStringLiteral("0"));
        WaitUntilIdle();
        QCOMPARE(Counter(), QStringLiteral("3"));
        SetCountAndInterval("1", "");
        ClickSendFile();
        QCOMPARE(Counter(), QStringLiteral("0"));
        WaitUntilIdle();
        QCOMPARE(Counter(), QStringLiteral("1"));
        QTRY_COMPARE(m_peer->Received(), 7 * kSmallFile);

        m_framed->Button(ViewId::kClearFileCounter)->click();
        QCOMPARE(Counter(), QStringLiteral("0"));
    }

    void badCountOrVanishedFileStartsNothing()
    {
        OpenAgainstPeer();
        const QString path = WriteFile("small.bin", PseudoRandom(kSmallFile, 6));
        Select(path);
        auto *count = m_framed->Find<QLineEdit>(ViewId::kFileRepeat);
        for (const char *text : {"abc", "0"}) {
            SetCountAndInterval(text, "0");
            count->deselect();
            m_framed->Button(ViewId::kSend)->setFocus();
            ClickSendFile();
            QCOMPARE(m_framed->StatusText(), LoadString(IDS_FILE_COUNT_INVALID));
            QVERIFY(m_framed->StatusIsError());
            QCOMPARE(count->selectedText(), QString::fromLatin1(text));
            QTRY_VERIFY(count->hasFocus());
            VerifyIdle();
        }

        SetCountAndInterval("1", "0");
        QVERIFY(QFile::remove(path));
        MessageBoxWatcher catcher;
        ClickSendFile();
        QTRY_COMPARE(catcher.Texts(), QStringList{LoadString(IDS_FILE_LOCKED)});
        VerifyIdle();
        QTest::qWait(100);
        QCOMPARE(m_peer->Received(), qint64(0));
    }

    // A file chosen while the open is still pending makes the button usable;
    // when the open then fails, the button answers that no port is open.
    void sendWithoutPortSaysSo()
    {
        const QString path = WriteFile("small.bin", PseudoRandom(kSmallFile, 7));
        QTcpServer gone;
        QVERIFY(gone.listen(QHostAddress::LocalHost, 0));
        const quint16 freePort = gone.serverPort();
        gone.close();
        Start();
        m_framed->OpenNetwork(freePort);
        m_framed->View()->OnViewRequest(CTarvikView::kRequestSelectFile, 0, path);
        QCOMPARE(m_framed->StatusText(), LoadString(IDS_FILE_SELECTED).replace("%s", path));
        QCOMPARE(m_framed->Find<QLabel>(ViewId::kFilePath)->toolTip(), path);
        QTRY_COMPARE(m_framed->StatusText(), kOpenFailed);
        ClickSendFile();
        QCOMPARE(m_framed->StatusText(), LoadString(IDS_PORT_NOT_OPEN));
        QVERIFY(m_framed->StatusIsHint());
        QCOMPARE(SendFileButton()->text(), kSendCaption);
    }

    // Up to the limit the file goes into the send box in the box's notation;
    // beyond it the user is offered file sending.
    void loadFileHonoursTheLimit()
    {
        StartChoosing();
        QTest::mouseClick(m_framed->Find<QCheckBox>(ViewId::kHexSend), Qt::LeftButton);
        const QByteArray fits = PseudoRandom(kLoadLimit, 8);
        m_chosen = WriteFile("fits.bin", fits);
        ClickLoad();
        CEditEx *box = m_framed->SendBox();
        QVERIFY(box->m_bHex);
        QCOMPARE(BoxBytes(box), fits);

        const QString tooLarge = WriteFile("large.bin", PseudoRandom(kLoadLimit + 1, 9));
        m_chosen = tooLarge;
        {
            MessageBoxWatcher catcher;
            ClickLoad();
            QCOMPARE(catcher.Texts(), QStringList{LoadString(IDS_FILE_TOO_LARGE)});
        }
        QCOMPARE(m_framed->Find<QLabel>(ViewId::kFilePath)->toolTip(), tooLarge);
        QCOMPARE(BoxBytes(box), fits);

        // Files that cannot be used leave the selection and the box alone.
        const QString empty = WriteFile("empty.bin", {});
        const QString missing = m_sandbox->Path(QStringLiteral("missing.bin"));
        const QList<std::pair<QString, unsigned>> unusable = {{empty, IDS_FILE_EMPTY},
                                                              {missing, IDS_FILE_LOCKED}};
        for (const auto &[path, message] : unusable) {
            for (int button : {ViewId::kLoadFile, ViewId::kSelectFile}) {
                m_chosen = path;
                m_framed->Button(button)->click();
                QCOMPARE(m_framed->StatusText(), LoadString(message));
                QVERIFY(m_framed->StatusIsError());
            }
        }
        QCOMPARE(m_framed->Find<QLabel>(ViewId::kFilePath)->toolTip(), tooLarge);
        QCOMPARE(BoxBytes(box), fits);
    }

private:
    void StartChoosing()
    {
        Start();
        m_framed->View()->SetOpenFileChooser([this](const QString &) { return m_chosen; });
    }
    void OpenAgainstPeer()
    {
        StartChoosing();
        m_server = std::make_unique<QTcpServer>();
        QVERIFY(m_server->listen(QHostAddress::LocalHost, 0));
        QTcpSocket *socket = m_framed->OpenAgainst(*m_server);
        QVERIFY(socket);
        m_peer = std::make_unique<Peer>();
        m_peer->Attach(socket);
    }
    QString WriteFile(const char *name, const QByteArray &content)
    {
        const QString path = m_sandbox->Path(QString::fromLatin1(name));
        if (!WriteFileBytes(path, content))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    void Select(const QString &path)
    {
        m_chosen = path;
        m_framed->Button(ViewId::kSelectFile)->click();
        QCOMPARE(m_framed->Find<QLabel>(ViewId::kFilePath)->toolTip(), path);
        QVERIFY(SendFileButton()->isEnabled());
    }
    void ClickLoad() { m_framed->Button(ViewId::kLoadFile)->click(); }
    void SetCountAndInterval(const char *count, const char *interval)
    {
        m_framed->Find<QLineEdit>(ViewId::kFileRepeat)->setText(QString::fromLatin1(count));
        m_framed->Find<QLineEdit>(ViewId::kFileInterval)->setText(QString::fromLatin1(interval));
    }
    QPushButton *SendFileButton() const { return m_framed->Button(ViewId::kSendFile); }
    void ClickSendFile() const { QTest::mouseClick(SendFileButton(), Qt::LeftButton); }
    QString Counter() const { return m_framed->Find<QLineEdit>(ViewId::kFileCounter)->text(); }
    // While the peer holds the transfer the percent stays short of the end;
    // the bar in its pane shows the same.
    void WaitForProgressText()
    {
        QTRY_VERIFY(kProgressText.match(m_framed->StatusText()).hasMatch());
        const int percent = kProgressText.match(m_framed->StatusText()).captured(1).toInt();
        QVERIFY(m_framed->StatusIsHint());
        QVERIFY(percent < 100);
        QVERIFY(m_framed->Frame().StatusBar()->CommandToIndex(IDS_PROGRESS_PANE) >= 0);
        QCOMPARE(m_framed->Frame().StatusBar()->findChild<QProgressBar *>()->value(), percent);
    }
    void WaitUntilIdle()
    {
        QTRY_COMPARE_WITH_TIMEOUT(SendFileButton()->text(), kSendCaption, kTransferMs);
    }
    void VerifyIdle()
    {
        QCOMPARE(SendFileButton()->text(), kSendCaption);
        QVERIFY(!m_framed->Button(ViewId::kStopFile)->isEnabled());
        QVERIFY(m_framed->Button(ViewId::kSend)->isEnabled());
        QVERIFY(m_framed->Frame().StatusBar()->CommandToIndex(IDS_PROGRESS_PANE) < 0);
    }

    std::unique_ptr<QTcpServer> m_server;
    std::unique_ptr<Peer> m_peer;
    QString m_chosen; // what the file dialog answers
};

QTEST_MAIN(TestFileSend)
#include "tst_filesend.moc"
