// "记录到文件" in the real window against a loopback peer: the log in each
// form reads back to the stream (and the sent bytes), and a log on a full
// tmpfs stops with a message, keeps what it wrote, and the history in the
// window is still whole. A file that is no regular file, is locked by
// another writer or goes away while logging stops the log with the reason;
// sent bytes are logged only once written.
#include "../support/recvtesting.h"
#include "viewsandbox.h"

#include <QDateTime>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

using namespace ViewText;

namespace {
const QString kLogFailed = QStringLiteral("记录到文件失败，已停止记录：");
constexpr qsizetype kMegabyte = 1 << 20;
const QByteArray kGreeting("Gr\xC3\xBC\xC3\x9F"
                           "e\xFF"); // "Grüße" in UTF-8 and a byte no text has

// What a log holds, read back: received and sent bytes, and whether every
// line was well formed.
struct ReadBack
{
    QByteArray received, sent, notes;
    bool wellFormed = true;
    void Add(char mark, const QByteArray &bytes)
    {
        if (mark == '#') {
            notes += bytes + '\n';
            return;
        }
        wellFormed = wellFormed && (mark == '<' || mark == '>');
        (mark == '>' ? sent : received) += bytes;
    }
};

ReadBack ReadHexLines(const QByteArray &log)
{
    ReadBack back;
    for (const QByteArray &line : log.split('\n'))
        if (!line.isEmpty()) // fromHex skips the spaces between bytes
            back.Add(line[0], line[0] == '#' ? line.mid(2) : QByteArray::fromHex(line.mid(1)));
    return back;
}

QByteArray Unescape(const QByteArray &text, bool &ok)
{
    QByteArray bytes;
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (text[at] != '\\') {
            bytes += text[at];
        } else if (text.mid(at + 1, 1) == "\\") {
            bytes += '\\';
            ++at;
        } else {
            ok = ok && text.mid(at + 1, 1) == "x";
            bytes += QByteArray::fromHex(text.mid(at + 2, 2));
            at += 3;
        }
    }
    return bytes;
}

ReadBack ReadTextLines(const QByteArray &log)
{
    constexpr qsizetype kStampLength = 23; // yyyy-MM-dd HH:mm:ss.zzz
    ReadBack back;
    for (const QByteArray &line : log.split('\n')) {
        if (line.isEmpty())
            continue;
        const QString stamp = QString::fromLatin1(line.left(kStampLength));
        back.wellFormed =
            back.wellFormed &&
            QDateTime::fromString(stamp, QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).isValid() &&
            line.mid(kStampLength, 1) == " " && line.mid(kStampLength + 2, 1) == " ";
        const char mark = line.at(kStampLength + 1);
        const QByteArray rest = line.mid(kStampLength + 3);
        back.Add(mark, mark == '#' ? rest : Unescape(rest, back.wellFormed));
    }
    return back;
}

} // namespace

class TestCaptureLog : public CViewTestCase
{
    Q_OBJECT

private slots:
    void logReadsBackToTheStream_data()
    {
        QTest::addColumn<int>("form");
        QTest::addColumn<int>("megabytes");
        QTest::addColumn<bool>("withSent");
        QTest::addColumn<CodePageId>("page");
        // How the log shows kGreeting.
        QTest::addColumn<QByteArray>("shown");
        QTest::newRow("raw") << 0 << 20 << false << CodePageId::Gbk << kGreeting;
        QTest::newRow("hex lines") << 1 << 2 << true << CodePageId::Gbk << QByteArray();
        QTest::newRow("text lines") << 2 << 2 << true << CodePageId::Gbk << kGreeting;
        QTest::newRow("text lines in UTF-8") << 2 << 1 << true << CodePageId::Utf8
                                             << QByteArray("Gr\xC3\xBC\xC3\x9F"
                                                           "e\\xFF");
    }
    void logReadsBackToTheStream()
    {
        QFETCH(int, form);
        QFETCH(int, megabytes);
        QFETCH(bool, withSent);
        QFETCH(CodePageId, page);
        QFETCH(QByteArray, shown);
        const QString log = m_sandbox->Path(QStringLiteral("capture.log"));
        StartLogging(log, form, withSent);
        m_framed->View()->SetTextCodePage(page);
        OpenAgainstPeer();
        const QByteArray sent = QByteArray("ESC @\x1b\x40\\x41\r\n") + EveryByteValue();
        Send(sent);
        const QByteArray stream =
            PseudoRandom(megabytes * kMegabyte, 7) + EveryByteValue() + kGreeting;
        PeerSendsCounted(stream, 300000);
        m_framed->ClickOpenClose(); // closes the log
        const QByteArray bytes = FileBytes(log);
        QVERIFY(bytes.contains(shown));
        if (form == 0) {
            QVERIFY(bytes == stream); // QCOMPARE would print megabytes
            return;
        }
        const ReadBack back = form == 1 ? ReadHexLines(bytes) : ReadTextLines(bytes);
        QVERIFY(back.wellFormed);
        QVERIFY(back.received == stream);
        QCOMPARE(back.sent, sent);
    }

    void fullDiskStopsTheLogAndKeepsTheHistory()
    {
        const CScratchFolder tmpfs("256k");
        if (!tmpfs.Mounted())
            QSKIP("mounting a tmpfs needs CAP_SYS_ADMIN (run the test as root)");
        const QString log = tmpfs.Path(QStringLiteral("capture.log"));
        StartLogging(log, 0, false);
        OpenAgainstPeer();
        const QByteArray stream = PseudoRandom(kMegabyte, 11);
        PeerSendsCounted(stream, 300000);
        CheckLogStopped(log);
        const QByteArray kept = FileBytes(log);
        QVERIFY(kept.size() > 0 && kept.size() < stream.size());
        QVERIFY(stream.startsWith(kept));
        const QString saved = m_sandbox->Path(QStringLiteral("history.dat"));
        m_framed->View()->SetSaveFileChooser([saved](const QString &) { return saved; });
        QTest::mouseClick(m_framed->Button(ViewId::kSaveRecv), Qt::LeftButton);
        QTRY_VERIFY(FileBytes(saved) == stream); // written by a thread
        QVERIFY(m_framed->View()->HasPort());
    }

    // Ticked while the port is open: the status bar confirms the file and the
    // file's name stands beside the options until logging stops.
    void startingTheLogNamesItsFile()
    {
        const QString log = m_sandbox->Path(QStringLiteral("capture.log"));
        Start();
        OpenAgainstPeer();
        m_framed->View()->SetSaveFileChooser([log](const QString &) { return log; });
        auto *path = m_framed->View()->findChild<QLabel *>(QStringLiteral("captureLogPath"));
        QVERIFY(path && path->text().isEmpty());
        QTest::mouseClick(LogOption(), Qt::LeftButton);
        QCOMPARE(m_framed->StatusText(), QStringLiteral("开始记录到 %1").arg(log));
        QVERIFY(path->isVisible() && path->width() > 0);
        QCOMPARE(path->toolTip(), log);
        const QString shown = path->text();
        QVERIFY2(shown == u"capture.log" || shown.contains(u'…'), qPrintable(shown));
        QTest::mouseClick(LogOption(), Qt::LeftButton);
        QVERIFY(path->text().isEmpty());
    }

    // Opening a FIFO without a reader would hold the window until one came.
    // A folder that goes between the choice and the open is reported then.
    void refusedFileSaysWhy_data()
    {
        QTest::addColumn<QString>("reason"); // none: the system's words
        QTest::newRow("fifo") << QStringLiteral("不是普通文件");
        QTest::newRow("folder") << QStringLiteral("不是普通文件");
        QTest::newRow("logged by another") << QStringLiteral("另一个程序正在记录到这个文件");
        QTest::newRow("folder gone") << QString();
    }
    void refusedFileSaysWhy()
    {
        QFETCH(QString, reason);
        const QByteArray kind = QTest::currentDataTag();
        const QString folder = m_sandbox->Path(QStringLiteral("logs"));
        const QString log = folder + QStringLiteral("/capture.log");
        const QByteArray name = QFile::encodeName(log);
        QVERIFY(QDir().mkdir(folder));
        if (kind == "fifo")
            QCOMPARE(::mkfifo(name.constData(), 0600), 0);
        if (kind == "folder")
            QVERIFY(QDir().mkdir(log));
        const int other = kind == "logged by another" ? ::open(name, O_WRONLY | O_CREAT, 0600) : -1;
        QVERIFY(other < 0 || ::flock(other, LOCK_EX | LOCK_NB) == 0);
        StartLogging(log, 2, false);
        if (kind == "folder gone")
            QVERIFY(QDir(folder).removeRecursively());
        OpenAgainstPeer();
        if (other >= 0)
            ::close(other);
        CheckLogStopped(log, reason);
    }

    // Bytes written after the file went would land in no file at all.
    void logStopsWhenItsFileGoes_data()
    {
        AddFlagRows("replaced", "folder removed", "another file put in its place");
    }
    void logStopsWhenItsFileGoes()
    {
        QFETCH(bool, replaced);
        const QString folder = m_sandbox->Path(QStringLiteral("logs"));
        QVERIFY(QDir().mkdir(folder));
        const QString log = folder + QStringLiteral("/capture.log");
        StartLogging(log, 0, false);
        OpenAgainstPeer();
        PeerSendsCounted("first", 300000);
        QTRY_COMPARE_WITH_TIMEOUT(FileBytes(log), QByteArray("first"), kPortWaitMs);
        if (replaced) {
            QVERIFY(WriteFileBytes(log + QStringLiteral(".new"), "other"));
            QVERIFY(QFile::remove(log));
            QVERIFY(QFile::rename(log + QStringLiteral(".new"), log));
        } else {
            QVERIFY(QDir(folder).removeRecursively());
        }
        PeerSends("second");
        CheckLogStopped(log, QStringLiteral("文件已被删除或移走"));
        QVERIFY(replaced ? FileBytes(log) == "other" : !QFile::exists(log));
    }

    // A peer that reads nothing leaves the write outstanding: nothing of it
    // is logged as sent, and the log says so at the close.
    void unwrittenBytesAreNotLoggedAsSent()
    {
        const QString log = m_sandbox->Path(QStringLiteral("capture.log"));
        StartLogging(log, 2, true);
        OpenAgainstPeer();
        QCOMPARE(m_framed->View()->OnSendData(QByteArray(64 * kMegabyte, 's')), 1);
        QTRY_VERIFY_WITH_TIMEOUT(m_peer->bytesAvailable() > 0, kPortWaitMs);
        QVERIFY(!m_framed->Button(ViewId::kSend)->isEnabled()); // still outstanding
        m_framed->ClickOpenClose();
        const ReadBack back = ReadTextLines(FileBytes(log));
        QVERIFY(back.wellFormed);
        QCOMPARE(back.sent, QByteArray());
        QVERIFY(back.notes.contains(QByteArray::number(64 * kMegabyte)));
    }

    void fileTransferIsNoted()
    {
        const QString log = m_sandbox->Path(QStringLiteral("capture.log"));
        StartLogging(log, 1, true);
        OpenAgainstPeer();
        const QString file = WriteFile("job.prn", "job");
        m_framed->ChooseFile(file);
        QTest::mouseClick(m_framed->Button(ViewId::kSendFile), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(m_framed->Button(ViewId::kSend)->isEnabled(), kPortWaitMs);
        m_framed->ClickOpenClose();
        const ReadBack back = ReadHexLines(FileBytes(log));
        QVERIFY(back.notes.contains(QFile::encodeName(file)));
        QVERIFY(back.notes.contains(QStringLiteral("文件发送完成").toUtf8()));
    }

private:
    QCheckBox *LogOption() const
    {
        return m_framed->View()->findChild<QCheckBox *>(QStringLiteral("captureLog"));
    }
    // Logging stopped, and the status bar says why: `reason` after the
    // file's name, or the system's words when none is given.
    void CheckLogStopped(const QString &log, const QString &reason = {})
    {
        const QString prefix = kLogFailed + log + QStringLiteral(": ");
        QTRY_VERIFY_WITH_TIMEOUT(m_framed->StatusText().startsWith(prefix), kPortWaitMs);
        QVERIFY(m_framed->StatusText().endsWith(reason));
        QVERIFY(m_framed->StatusIsError());
        QVERIFY(!LogOption()->isChecked());
    }
    void StartLogging(const QString &log, int form, bool withSent)
    {
        Start();
        CTarvikView *view = m_framed->View();
        view->SetSaveFileChooser([log](const QString &) { return log; });
        view->findChild<QComboBox *>(QStringLiteral("captureForm"))->setCurrentIndex(form);
        view->findChild<QCheckBox *>(QStringLiteral("captureSent"))->setChecked(withSent);
        QTest::mouseClick(LogOption(), Qt::LeftButton);
        QVERIFY(LogOption()->isChecked());
    }
    void Send(const QByteArray &bytes)
    {
        QTest::mouseClick(m_framed->Find<QCheckBox>(ViewId::kHexSend), Qt::LeftButton);
        m_framed->SendBox()->setPlainText(QString::fromLatin1(bytes.toHex(' ')));
        QPushButton *send = m_framed->Button(ViewId::kSend);
        QTest::mouseClick(send, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(send->isEnabled(), kPortWaitMs);
    }
};

QTEST_MAIN(TestCaptureLog)
#include "tst_capturelog.moc"
