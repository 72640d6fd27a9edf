// CEditEx driven as a user drives it: typing, a bad hex character, dropping
// files, long lines kept as rows, control characters shown as pictures.
#include "convert/boxtext.h"
#include "convert/userfileqt.h"
#include "messageboxwatcher.h"
#include "stringtable.h"
#include "widgets/editex.h"
#include "widgets/editrows.h"

#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
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

QString Rendering(const QByteArray &bytes, bool hex)
{
    const std::span<const uint8_t> view(reinterpret_cast<const uint8_t *>(bytes.constData()),
                                        std::size_t(bytes.size()));
    ByteString text;
    if (hex)
        BytesToHex(view, text, ' ');
    else
        BytesToAscii(view, text);
    return BoxTextFromGbk(text.view());
}

QString Letters(qsizetype count)
{
    return u"abcdefghijklmnopqrstuvwxyz"_qs.repeated(count / 26 + 1).left(count);
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

    // A bad character is selected wherever it stands, in the rows of a long
    // line too; the text and its notation stay, and the box takes the focus.
    void hexErrorSelectsTheBadCharacter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("at");
        QTest::newRow("short") << u"4G 41"_qs << 1;
        // Reported at its first byte (4, after "41" CR LF).
        QTest::newRow("full-width comma") << u"41\n，42"_qs << 3;
        const QString zeros = QString(u"00 "_qs).repeated(kMaxLoadSize);
        const int firstRow = int(SplitIntoRows(zeros).front().size());
        for (int at : {0, firstRow - 1, firstRow, int(zeros.size()) - 1})
            QTest::addRow("long line, %d", at) << QString(zeros).replace(at, 1, u'G') << at;
    }

    void hexErrorSelectsTheBadCharacter()
    {
        QFETCH(QString, text);
        QFETCH(int, at);
        m_box->m_bHex = true;
        m_box->SetText(text);
        m_box->clearFocus();
        QVERIFY(!m_box->SetHexMode(false));
        QVERIFY(m_box->m_bHex);
        QCOMPARE(m_box->Text(), text);
        const QTextCursor cursor = m_box->textCursor();
        QCOMPARE(cursor.selectedText(), text.mid(at, 1));
        QCOMPARE(m_box->TextPosition(cursor.selectionStart()), at);
        QVERIFY(m_box->hasFocus());
    }

    // A FIFO without a writer would block the open and freeze the window;
    // like a device it is refused as a file that cannot be opened. A folder
    // is no file at all: nothing happens.
    void droppedSpecialFilesAreRefused_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("messages");
        QTest::addRow("fifo") << u"fifo"_qs << QStringList{LoadString(IDS_FILE_LOCKED)};
        QTest::addRow("device") << u"/dev/zero"_qs << QStringList{LoadString(IDS_FILE_LOCKED)};
        QTest::addRow("folder") << u"folder"_qs << QStringList{};
    }
    void droppedSpecialFilesAreRefused()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, messages);
        const QString fifo = m_dir.filePath(u"fifo"_qs);
        QVERIFY(QFile::exists(fifo) || ::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        QVERIFY(QDir(m_dir.path()).mkpath(u"folder"_qs));
        m_box->setPlainText(u"before"_qs);
        MessageBoxWatcher answer(QMessageBox::Ok);
        Drop({QUrl::fromLocalFile(QDir(m_dir.path()).filePath(path))}); // "/dev/zero" stays
        QCOMPARE(answer.Texts(), messages);
        QCOMPARE(m_box->toPlainText(), u"before"_qs);
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
        const QList<QVariantList> sent{{3, big.toLocalFile()}};
        QCOMPARE(QList<QVariantList>(spy), sent.mid(0, requests));
        QCOMPARE(m_box->toPlainText(), u"before"_qs);
    }

    void rowsOfALine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("firstRow");
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("no place to break") << Letters(3000) << 1024;
        QTest::newRow("hex tokens") << QString(u"00 "_qs).repeated(1000) << 1023;
        QTest::newRow("escapes") << QString(u"<\\x00>"_qs).repeated(400) << 1020;
        QTest::newRow("surrogate pair at the limit")
            << Letters(1023) + u"\U0001F600"_qs + Letters(100) << 1023;
    }

    void rowsOfALine()
    {
        QFETCH(QString, line);
        QFETCH(int, firstRow);
        const std::vector<QStringView> rows = SplitIntoRows(line);
        QCOMPARE(rows.front().size(), firstRow);
        QString joined;
        for (QStringView row : rows) {
            QVERIFY(row.size() <= kEditRowChars);
            QVERIFY(row.isEmpty() || !row.front().isLowSurrogate());
            joined += row;
        }
        QCOMPARE(joined, line);
    }

    // A dropped file loads in the box's notation without a question up to
    // the limit: 200 KB in any content, one line of 1.2 MB in Ascii notation.
    void longContentKeepsItsBytes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("hex");
        QTest::newRow("short, Ascii") << QByteArray("ABC") << false;
        QTest::newRow("short, hex") << QByteArray("ABC") << true;
        const QByteArray zeros(kMaxLoadSize, '\0');
        QTest::newRow("zeros, Ascii") << zeros << false;
        QTest::newRow("zeros, hex") << zeros << true;
        QTest::newRow("pairs, lines, controls")
            << QByteArray("\xC4\xE3").repeated(40000) + "\r\n" + QByteArray(3000, 'x') + "\x12"
            << false;
    }

    void longContentKeepsItsBytes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, hex);
        m_box->m_bHex = hex;
        MessageBoxWatcher answer(QMessageBox::Cancel);
        QSignalSpy requests(m_box, &CEditEx::viewRequest);
        Drop({WriteFile(u"long.bin"_qs, bytes)});
        QCOMPARE(answer.Texts(), QStringList());
        QCOMPARE(requests.count(), 0);
        QCOMPARE(BoxBytes(*m_box), bytes);
        QCOMPARE(m_box->Text(), Rendering(bytes, hex));
        QVERIFY(m_box->SetHexMode(!hex));
        QCOMPARE(m_box->Text(), Rendering(bytes, !hex));
        QVERIFY(m_box->SetHexMode(hex));
        QCOMPARE(BoxBytes(*m_box), bytes);

        m_box->selectAll();
        m_box->copy();
        QCOMPARE(QGuiApplication::clipboard()->text(), m_box->Text());
        m_box->ClearText();
        QTest::keyClick(m_box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(BoxBytes(*m_box), bytes);
        m_box->moveCursor(QTextCursor::End);
        QTest::keyClicks(m_box, hex ? u" 41"_qs : u"A"_qs);
        QCOMPARE(BoxBytes(*m_box), bytes + 'A');
    }

    // Keys at the seam of two rows of one line act as they would within
    // the line, and undo gives the line back.
    void editsAtARowSeam_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("caret"); // from the start of the second row
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("at"); // from the seam, in the text
        QTest::addColumn<int>("removed");
        QTest::addColumn<QString>("inserted");
        QTest::newRow("backspace")
            << int(Qt::Key_Backspace) << 0 << QString() << -1 << 1 << QString();
        QTest::newRow("delete") << int(Qt::Key_Delete) << -1 << QString() << 0 << 1 << QString();
        QTest::newRow("left, type") << int(Qt::Key_Left) << 0 << u"Z"_qs << -1 << 0 << u"Z"_qs;
        QTest::newRow("right, type") << int(Qt::Key_Right) << -1 << u"Z"_qs << 1 << 0 << u"Z"_qs;
        QTest::newRow("enter at the seam")
            << int(Qt::Key_Return) << 0 << QString() << 0 << 0 << u"\n"_qs;
        QTest::newRow("enter in a later row")
            << int(Qt::Key_Return) << 10 << u"Z"_qs << 10 << 0 << u"\nZ"_qs;
    }

    void editsAtARowSeam()
    {
        QFETCH(int, key);
        QFETCH(int, caret);
        QFETCH(QString, typed);
        QFETCH(int, at);
        QFETCH(int, removed);
        QFETCH(QString, inserted);
        const QString line = Letters(3000);
        m_box->SetText(line);
        const QTextBlock second = m_box->document()->firstBlock().next();
        const int seam = second.position() - 1;
        QTextCursor cursor = m_box->textCursor();
        cursor.setPosition(second.position() + caret);
        m_box->setTextCursor(cursor);
        QTest::keyClick(m_box, Qt::Key(key));
        QTest::keyClicks(m_box, typed);
        const QString expected = QString(line).replace(seam + at, removed, inserted);
        QCOMPARE(m_box->Text(), expected);
        QCOMPARE(BoxBytes(*m_box), expected.toLatin1().replace("\n", "\r\n"));
        for (qsizetype i = 0; i < 2; ++i)
            QTest::keyClick(m_box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_box->Text(), line);
    }

    // Shown as their pictures, drawn dim; copied, pasted and sent as
    // themselves.
    void controlCharactersShowAsDimPictures()
    {
        const QByteArray bytes("A\x12\x1B\x08\tB\nC");
        m_box->SetData(reinterpret_cast<const uint8_t *>(bytes.constData()),
                       std::size_t(bytes.size()), 0);
        QCOMPARE(m_box->toPlainText(), u"A\u2412\u241B\u2408\tB\u240AC"_qs);
        QList<std::pair<int, int>> dim;
        const QColor dimColour = m_box->palette().color(QPalette::PlaceholderText);
        for (const QTextLayout::FormatRange &range :
             m_box->document()->firstBlock().layout()->formats()) {
            if (range.format.foreground().color() == dimColour)
                dim.append({range.start, range.length});
        }
        QCOMPARE(dim, (QList<std::pair<int, int>>{{1, 3}, {6, 1}}));

        m_box->selectAll();
        m_box->copy();
        QCOMPARE(QGuiApplication::clipboard()->text(), u"A\x12\x1B\x08\tB\u240AC"_qs);
        m_box->clear();
        m_box->paste();
        QCOMPARE(m_box->toPlainText(), u"A\u2412\u241B\u2408\tB\u240AC"_qs);
        QCOMPARE(BoxBytes(*m_box), bytes);
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
