// CEditEx driven as a user drives it: typing, a bad hex character, dropping
// files.
#include "convert/editex.h"
#include "convert/userfileqt.h"
#include "messageboxwatcher.h"
#include "stringtable.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>
#include <sys/stat.h>

namespace {

QByteArray BoxBytes(const CEditEx &box)
{
    ByteString out;
    box.GetData(out);
    return QByteArray(reinterpret_cast<const char *>(out.data()), qsizetype(out.size()));
}

} // namespace

class TestEditEx : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_parent = std::make_unique<QWidget>();
        m_parent->resize(400, 300);
        m_box = new CEditEx(m_parent.get());
        m_box->setGeometry(0, 0, 400, 300);
        m_box->SetFileDropEnabled(true);
        m_parent->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_parent.get()));
        m_box->setFocus();
        QVERIFY(m_dir.isValid());
    }

    void cleanup() { m_parent.reset(); }

    void enterGivesCrLf()
    {
        QTest::keyClicks(m_box, "A");
        QTest::keyClick(m_box, Qt::Key_Return);
        QTest::keyClicks(m_box, "B");
        QTest::keyClick(m_box, Qt::Key_Enter);
        QCOMPARE(BoxBytes(*m_box), QByteArray("A\r\nB\r\n"));
    }

    void hexErrorSelectsTheBadCharacter()
    {
        m_box->m_bHex = true;
        m_box->setPlainText(u"4G 41"_qs);
        m_box->clearFocus();
        QVERIFY(!m_box->SetHexMode(false));
        QVERIFY(m_box->m_bHex);
        QCOMPARE(m_box->toPlainText(), u"4G 41"_qs);
        QCOMPARE(m_box->textCursor().selectionStart(), 1);
        QCOMPARE(m_box->textCursor().selectedText(), u"G"_qs);
        QVERIFY(m_box->hasFocus());
        // A full-width comma is reported at its first byte (4, after "41" CR LF).
        m_box->setPlainText(u"41\n，42"_qs);
        QVERIFY(!m_box->SetHexMode(false));
        QCOMPARE(m_box->textCursor().selectionStart(), 3);
        QCOMPARE(m_box->textCursor().selectedText(), u"，"_qs);
    }

    void droppedFileIsLoadedInTheBoxNotation()
    {
        const QUrl file = WriteFile(u"abc.txt"_qs, "ABC");
        Drop({file});
        QCOMPARE(m_box->toPlainText(), u"ABC"_qs);
        m_box->m_bHex = true;
        m_box->clear();
        Drop({file});
        QCOMPARE(m_box->toPlainText(), u"41 42 43"_qs);
        // Exactly the limit loads without a question.
        MessageBoxWatcher answer(QMessageBox::Cancel);
        QSignalSpy requests(m_box, &CEditEx::viewRequest);
        m_box->m_bHex = false;
        Drop({WriteFile(u"limit.bin"_qs, QByteArray(kMaxLoadSize, 'z'))});
        QVERIFY(answer.Texts().isEmpty());
        QCOMPARE(requests.count(), 0);
        QCOMPARE(m_box->toPlainText().size(), kMaxLoadSize);
    }

    // A FIFO without a writer would block the open and freeze the window;
    // like a device it is refused as a file that cannot be opened. A folder
    // is no file at all: nothing happens.
    void droppedSpecialFilesAreRefused()
    {
        const QString fifo = m_dir.filePath(u"fifo"_qs);
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        QVERIFY(QDir(m_dir.path()).mkdir(u"folder"_qs));
        const QList<std::pair<QString, QStringList>> rows = {
            {fifo, {LoadString(IDS_FILE_LOCKED)}},
            {u"/dev/zero"_qs, {LoadString(IDS_FILE_LOCKED)}},
            {m_dir.filePath(u"folder"_qs), {}},
        };
        for (const auto &[path, messages] : rows) {
            m_box->setPlainText(u"before"_qs);
            MessageBoxWatcher answer(QMessageBox::Ok);
            Drop({QUrl::fromLocalFile(path)});
            QCOMPARE(answer.Texts(), messages);
            QCOMPARE(m_box->toPlainText(), u"before"_qs);
        }
    }

    void tooLargeFileAsksToSendIt_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("requests");
        QTest::newRow("ok") << int(QMessageBox::Ok) << 1;
        QTest::newRow("cancel") << int(QMessageBox::Cancel) << 0;
    }

    void tooLargeFileAsksToSendIt()
    {
        QFETCH(int, button);
        QFETCH(int, requests);
        m_box->setPlainText(u"before"_qs);
        const QUrl big = WriteFile(u"big.bin"_qs, QByteArray(kMaxLoadSize + 1, 'z'));
        MessageBoxWatcher answer(static_cast<QMessageBox::StandardButton>(button));
        QSignalSpy spy(m_box, &CEditEx::viewRequest);
        Drop({big});
        QCOMPARE(answer.Texts(), QStringList{LoadString(IDS_FILE_TOO_LARGE)});
        QCOMPARE(spy.count(), requests);
        if (requests == 1) {
            QCOMPARE(spy.at(0).at(0).toInt(), 3);
            QCOMPARE(spy.at(0).at(1).toString(), big.toLocalFile());
        }
        QCOMPARE(m_box->toPlainText(), u"before"_qs);
    }

private:
    QUrl WriteFile(const QString &name, const QByteArray &content)
    {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(name));
        return QUrl::fromLocalFile(file.fileName());
    }

    void Drop(const QList<QUrl> &urls)
    {
        QMimeData mime;
        mime.setUrls(urls);
        const QPoint at = m_box->viewport()->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_box->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_box->viewport(), &drop);
    }

    std::unique_ptr<QWidget> m_parent;
    CEditEx *m_box = nullptr;
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestEditEx)
#include "tst_editex.moc"
