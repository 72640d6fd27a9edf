// CEditEx driven as a user drives it: typing, switching notation, dropping
// files, turning the wheel; and its bytes checked against the engine.
#include "boxtext.h"
#include "editex.h"
#include "stringtable.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QInputMethodEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>

#include <memory>
#include <string>
#include <unistd.h>

namespace {

QByteArray BoxBytes(const CEditEx &box, ConvResult *result = nullptr)
{
    ByteString out;
    const ConvResult converted = box.GetData(out);
    if (result)
        *result = converted;
    return QByteArray(reinterpret_cast<const char *>(out.data()),
                      static_cast<qsizetype>(out.size()));
}

// Types any text, one key press per character, as a keyboard layout or
// an input method that sends key events would.
void TypeText(QWidget *widget, const QString &text)
{
    for (QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

void SetBytes(CEditEx &box, const QByteArray &bytes, int mode)
{
    box.SetData(reinterpret_cast<const uint8_t *>(bytes.constData()),
                static_cast<std::size_t>(bytes.size()), mode);
}

// Answers the next message box with `button` and records its text.
class MessageBoxAnswer : public QObject
{
public:
    explicit MessageBoxAnswer(QMessageBox::StandardButton button) : m_button(button)
    {
        connect(&m_poll, &QTimer::timeout, this, [this] { Answer(); });
        m_poll.start(10);
    }
    QStringList texts;

private:
    void Answer()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        texts << box->text();
        box->button(m_button) ? box->button(m_button)->click() : box->done(m_button);
    }
    QMessageBox::StandardButton m_button;
    QTimer m_poll;
};

// Stands in for the view: records the wheel events a box passes on.
class ParentWidget : public QWidget
{
public:
    int wheels = 0;

protected:
    void wheelEvent(QWheelEvent *event) override
    {
        ++wheels;
        event->accept();
    }
};

} // namespace

class TestEditEx : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void hexNotationFiltersTypedKeys();
    void hexNotationLetsPastedTextIn();
    void hexNotationFiltersInputMethodText();
    void asciiNotationTakesEveryKey();
    void enterGivesCrLf();
    void chineseTypedInAsciiIsGbk();
    void characterOutsideGbkIsAnInputError();
    void switchesNotationBothWays();
    void hexErrorSelectsTheBadCharacter();
    void hexErrorAtDoubleByteCharacter();
    void getDataReadsEscapes();
    void setDataKeepsOrSetsNotation();
    void clearTextCanBeUndone();
    void everyByteSurvivesTheWidget();
    void everyPairSurvivesTheWidget();
    void droppedFileIsLoadedInTheBoxNotation();
    void droppedFileOfExactlyTheLimitIsLoaded();
    void tooLargeFileAsksToSendIt_data();
    void tooLargeFileAsksToSendIt();
    void onlyTheFirstDroppedFileCounts();
    void droppedFolderOrMissingFileDoesNothing();
    void emptyFileKeepsTheText();
    void symbolicLinkIsFollowed();
    void unreadableFileIsReported();
    void boxWithoutFileDropIgnoresFiles();
    void wheelGoesToParentWhenNothingToScroll();
    void setDataOfMegabytes();

private:
    QString WriteFile(const QString &name, const QByteArray &content);
    void Drop(const QList<QUrl> &urls);

    std::unique_ptr<ParentWidget> m_parent;
    CEditEx *m_box = nullptr;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestEditEx::init()
{
    m_parent = std::make_unique<ParentWidget>();
    m_parent->resize(400, 300);
    m_box = new CEditEx(m_parent.get());
    m_box->setGeometry(0, 0, 400, 300);
    m_box->SetFileDropEnabled(true);
    m_parent->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_parent.get()));
    m_box->setFocus();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestEditEx::cleanup()
{
    m_parent.reset();
    m_dir.reset();
}

QString TestEditEx::WriteFile(const QString &name, const QByteArray &content)
{
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TestEditEx::Drop(const QList<QUrl> &urls)
{
    auto *mime = new QMimeData;
    mime->setUrls(urls);
    const QPoint at = m_box->viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_box->viewport(), &enter);
    QVERIFY(enter.isAccepted() == m_box->IsFileDropEnabled());
    QDropEvent drop(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_box->viewport(), &drop);
    delete mime;
}

void TestEditEx::hexNotationFiltersTypedKeys()
{
    m_box->m_bHex = true;
    QTest::keyClicks(m_box, "g,;xG");
    QCOMPARE(m_box->toPlainText(), QString());
    QTest::keyClicks(m_box, "a");
    QCOMPARE(m_box->toPlainText(), u"A"_qs);
    QTest::keyClicks(m_box, "1 f9");
    QCOMPARE(m_box->toPlainText(), u"A1 F9"_qs);
    QTest::keyClick(m_box, Qt::Key_Backspace);
    QTest::keyClick(m_box, Qt::Key_Return);
    QTest::keyClicks(m_box, "\tB");
    QCOMPARE(m_box->toPlainText(), u"A1 F\n\tB"_qs);
    // Non-ASCII typed text is swallowed too.
    TypeText(m_box, u"中é"_qs);
    QCOMPARE(m_box->toPlainText(), u"A1 F\n\tB"_qs);
    QCOMPARE(BoxBytes(*m_box), QByteArray::fromHex("A10F0B")); // "F" alone is one byte
}

void TestEditEx::hexNotationLetsPastedTextIn()
{
    // The filter is for typing: a paste brings separators (and mistakes)
    // that the conversion then reads or reports.
    m_box->m_bHex = true;
    QApplication::clipboard()->setText(u"12,34;x"_qs);
    QTest::keyClick(m_box, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(m_box->toPlainText(), u"12,34;x"_qs);
    ConvResult result = 0;
    BoxBytes(*m_box, &result);
    QCOMPARE(result, ConvResult(-7));
}

void TestEditEx::hexNotationFiltersInputMethodText()
{
    m_box->m_bHex = true;
    QInputMethodEvent composed;
    composed.setCommitString(u"中a1，b"_qs);
    QCoreApplication::sendEvent(m_box, &composed);
    QCOMPARE(m_box->toPlainText(), u"A1B"_qs);
}

void TestEditEx::asciiNotationTakesEveryKey()
{
    QTest::keyClicks(m_box, "g,a");
    QCOMPARE(m_box->toPlainText(), u"g,a"_qs);
}

void TestEditEx::enterGivesCrLf()
{
    QTest::keyClicks(m_box, "A");
    QTest::keyClick(m_box, Qt::Key_Return);
    QTest::keyClicks(m_box, "B");
    QTest::keyClick(m_box, Qt::Key_Enter);
    QCOMPARE(BoxBytes(*m_box), QByteArray("A\r\nB\r\n"));
}

void TestEditEx::chineseTypedInAsciiIsGbk()
{
    TypeText(m_box, u"中文A"_qs);
    QCOMPARE(m_box->toPlainText(), u"中文A"_qs);
    QCOMPARE(BoxBytes(*m_box), QByteArray::fromHex("D6D0CEC441"));
    QVERIFY(m_box->SetHexMode(true));
    QCOMPARE(m_box->toPlainText(), u"D6 D0 CE C4 41"_qs);
    QVERIFY(m_box->SetHexMode(false));
    QCOMPARE(m_box->toPlainText(), u"中文A"_qs);
}

void TestEditEx::characterOutsideGbkIsAnInputError()
{
    TypeText(m_box, u"A中\u0E01B"_qs);
    ConvResult result = 0;
    QVERIFY(BoxBytes(*m_box, &result).isEmpty());
    QCOMPARE(result, ConvResult(-4)); // byte 3: after 'A' and the two bytes of 中
    m_box->clearFocus();
    QVERIFY(!m_box->SetHexMode(true));
    QVERIFY(!m_box->m_bHex);
    QCOMPARE(m_box->textCursor().selectedText(), u"\u0E01"_qs);
    QCOMPARE(m_box->toPlainText(), u"A中\u0E01B"_qs);
    QVERIFY(m_box->hasFocus());
}

void TestEditEx::switchesNotationBothWays()
{
    m_box->m_bHex = true;
    m_box->setPlainText(u"41 42 43"_qs);
    QVERIFY(m_box->SetHexMode(false));
    QVERIFY(!m_box->m_bHex);
    QCOMPARE(m_box->toPlainText(), u"ABC"_qs);
    QVERIFY(m_box->SetHexMode(true));
    QVERIFY(m_box->m_bHex);
    QCOMPARE(m_box->toPlainText(), u"41 42 43"_qs);
    // Line breaks and a lone LF come through the switch as bytes.
    m_box->setPlainText(u"41 0D 0A 42 0A"_qs);
    QVERIFY(m_box->SetHexMode(false));
    QCOMPARE(m_box->toPlainText(), u"A\nB\u240A"_qs);
    QVERIFY(m_box->SetHexMode(true));
    QCOMPARE(m_box->toPlainText(), u"41 0D 0A 42 0A"_qs);
    // An empty box switches without conversion.
    m_box->clear();
    QVERIFY(m_box->SetHexMode(false));
    QVERIFY(!m_box->m_bHex);
}

void TestEditEx::hexErrorSelectsTheBadCharacter()
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
    ConvResult result = 0;
    BoxBytes(*m_box, &result);
    QCOMPARE(result, ConvResult(-2));
}

void TestEditEx::hexErrorAtDoubleByteCharacter()
{
    // Pasted text is not filtered; the engine reports the full-width comma
    // at its first byte (4 after "41" CR LF), the box selects the character.
    m_box->m_bHex = true;
    m_box->setPlainText(u"41\n，42"_qs);
    QVERIFY(!m_box->SetHexMode(false));
    QCOMPARE(m_box->textCursor().selectedText(), u"，"_qs);
    QCOMPARE(m_box->textCursor().selectionStart(), 3);
}

void TestEditEx::getDataReadsEscapes()
{
    m_box->setPlainText(u"A<\\x00>B"_qs);
    ConvResult result = 0;
    QCOMPARE(BoxBytes(*m_box, &result), QByteArray("A\0B", 3));
    QCOMPARE(result, ConvResult(3));

    m_box->clear();
    ByteString kept = ByteString::Copy(std::string_view("kept"));
    QCOMPARE(m_box->GetData(kept), ConvResult(0));
    QCOMPARE(kept.view(), std::string_view("kept"));
}

void TestEditEx::setDataKeepsOrSetsNotation()
{
    SetBytes(*m_box, QByteArray("AB"), 1);
    QVERIFY(m_box->m_bHex);
    QCOMPARE(m_box->toPlainText(), u"41 42"_qs);
    SetBytes(*m_box,
             QByteArray("\x07"
                        "C",
                        2),
             -1);
    QCOMPARE(m_box->toPlainText(), u"07 43"_qs);
    SetBytes(*m_box,
             QByteArray("\x07"
                        "C",
                        2),
             0);
    QVERIFY(!m_box->m_bHex);
    QCOMPARE(m_box->toPlainText(), u"<\\x07>C"_qs);
    // No bytes: nothing at all; zero bytes: only the notation.
    m_box->SetData(nullptr, 5, 1);
    QVERIFY(!m_box->m_bHex);
    SetBytes(*m_box, QByteArray(""), 1);
    QVERIFY(m_box->m_bHex);
    QCOMPARE(m_box->toPlainText(), u"<\\x07>C"_qs);
}

void TestEditEx::clearTextCanBeUndone()
{
    QTest::keyClicks(m_box, "abc");
    QTest::keyClick(m_box, Qt::Key_Return);
    m_box->ClearText();
    QCOMPARE(m_box->toPlainText(), QString());
    QTest::keyClick(m_box, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m_box->toPlainText(), u"abc\n"_qs);
}

void TestEditEx::everyByteSurvivesTheWidget()
{
    QByteArray all;
    for (int round = 0; round < 3; ++round) {
        for (int b = 0; b < 256; ++b)
            all.append(static_cast<char>(b)).append(round == 0 ? "" : (round == 1 ? "A" : "\r"));
    }
    for (int mode : {0, 1}) {
        SetBytes(*m_box, all, mode);
        QCOMPARE(BoxBytes(*m_box).toHex(' '), all.toHex(' '));
    }
}

void TestEditEx::everyPairSurvivesTheWidget()
{
    QByteArray pairs;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail)
            pairs.append(static_cast<char>(lead)).append(static_cast<char>(trail)).append(' ');
    }
    for (int mode : {0, 1}) {
        SetBytes(*m_box, pairs, mode);
        const QByteArray back = BoxBytes(*m_box);
        QCOMPARE(back.size(), pairs.size());
        QVERIFY(back == pairs);
    }
}

void TestEditEx::droppedFileIsLoadedInTheBoxNotation()
{
    const QString path = WriteFile(u"abc.txt"_qs, "ABC");
    Drop({QUrl::fromLocalFile(path)});
    QCOMPARE(m_box->toPlainText(), u"ABC"_qs);
    m_box->m_bHex = true;
    m_box->clear();
    Drop({QUrl::fromLocalFile(path)});
    QCOMPARE(m_box->toPlainText(), u"41 42 43"_qs);
}

void TestEditEx::droppedFileOfExactlyTheLimitIsLoaded()
{
    const QString path = WriteFile(u"limit.bin"_qs, QByteArray(CEditEx::kMaxLoadSize, 'z'));
    MessageBoxAnswer answer(QMessageBox::Cancel);
    QSignalSpy requests(m_box, &CEditEx::viewRequest);
    Drop({QUrl::fromLocalFile(path)});
    QVERIFY(answer.texts.isEmpty());
    QCOMPARE(requests.count(), 0);
    QCOMPARE(m_box->toPlainText().size(), CEditEx::kMaxLoadSize);
}

void TestEditEx::tooLargeFileAsksToSendIt_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("requests");
    QTest::newRow("ok") << int(QMessageBox::Ok) << 1;
    QTest::newRow("cancel") << int(QMessageBox::Cancel) << 0;
}

void TestEditEx::tooLargeFileAsksToSendIt()
{
    QFETCH(int, button);
    QFETCH(int, requests);
    m_box->setPlainText(u"before"_qs);
    const QString path = WriteFile(u"big.bin"_qs, QByteArray(CEditEx::kMaxLoadSize + 1, 'z'));
    MessageBoxAnswer answer(static_cast<QMessageBox::StandardButton>(button));
    QSignalSpy spy(m_box, &CEditEx::viewRequest);
    Drop({QUrl::fromLocalFile(path)});
    QCOMPARE(answer.texts, QStringList{LoadString(IDS_FILE_TOO_LARGE)});
    QCOMPARE(spy.count(), requests);
    if (requests == 1) {
        QCOMPARE(spy.at(0).at(0).toInt(), 3);
        QCOMPARE(spy.at(0).at(1).toString(), path);
    }
    QCOMPARE(m_box->toPlainText(), u"before"_qs);
}

void TestEditEx::onlyTheFirstDroppedFileCounts()
{
    const QString first = WriteFile(u"first.txt"_qs, "first");
    const QString second = WriteFile(u"second.txt"_qs, "second");
    Drop({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)});
    QCOMPARE(m_box->toPlainText(), u"first"_qs);
}

void TestEditEx::droppedFolderOrMissingFileDoesNothing()
{
    m_box->setPlainText(u"kept"_qs);
    MessageBoxAnswer answer(QMessageBox::Ok);
    QSignalSpy spy(m_box, &CEditEx::viewRequest);
    Drop({QUrl::fromLocalFile(m_dir->path())});
    Drop({QUrl::fromLocalFile(m_dir->filePath(u"missing"_qs))});
    QTest::qWait(30);
    QVERIFY(answer.texts.isEmpty());
    QCOMPARE(spy.count(), 0);
    QCOMPARE(m_box->toPlainText(), u"kept"_qs);
}

void TestEditEx::emptyFileKeepsTheText()
{
    m_box->setPlainText(u"kept"_qs);
    Drop({QUrl::fromLocalFile(WriteFile(u"empty"_qs, QByteArray()))});
    QCOMPARE(m_box->toPlainText(), u"kept"_qs);
}

void TestEditEx::symbolicLinkIsFollowed()
{
    const QString target = WriteFile(u"target.txt"_qs, "target");
    const QString link = m_dir->filePath(u"link"_qs);
    QVERIFY(QFile::link(target, link));
    Drop({QUrl::fromLocalFile(link)});
    QCOMPARE(m_box->toPlainText(), u"target"_qs);

    // A link to a folder, or to nothing: nothing happens.
    m_box->setPlainText(u"kept"_qs);
    const QString toFolder = m_dir->filePath(u"folderlink"_qs);
    const QString dangling = m_dir->filePath(u"dangling"_qs);
    QVERIFY(QFile::link(m_dir->path(), toFolder));
    QVERIFY(QFile::link(m_dir->filePath(u"gone"_qs), dangling));
    Drop({QUrl::fromLocalFile(toFolder)});
    Drop({QUrl::fromLocalFile(dangling)});
    QCOMPARE(m_box->toPlainText(), u"kept"_qs);

    // A link to a file too large: the request names the target.
    const QString big = WriteFile(u"big.bin"_qs, QByteArray(CEditEx::kMaxLoadSize + 1, 'z'));
    const QString bigLink = m_dir->filePath(u"biglink"_qs);
    QVERIFY(QFile::link(big, bigLink));
    MessageBoxAnswer answer(QMessageBox::Ok);
    QSignalSpy spy(m_box, &CEditEx::viewRequest);
    Drop({QUrl::fromLocalFile(bigLink)});
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(1).toString(), QFileInfo(big).canonicalFilePath());
}

void TestEditEx::unreadableFileIsReported()
{
    m_box->setPlainText(u"kept"_qs);
    MessageBoxAnswer answer(QMessageBox::Ok);
    // A folder opens but cannot be read, even for root.
    m_box->LoadFile(m_dir->path());
    QCOMPARE(answer.texts, QStringList{LoadString(IDS_FILE_LOCKED)});
    if (geteuid() != 0) {
        const QString locked = WriteFile(u"locked"_qs, "secret");
        QVERIFY(QFile::setPermissions(locked, QFileDevice::Permissions()));
        Drop({QUrl::fromLocalFile(locked)});
        QCOMPARE(answer.texts.size(), 2);
    }
    QCOMPARE(m_box->toPlainText(), u"kept"_qs);
}

void TestEditEx::boxWithoutFileDropIgnoresFiles()
{
    m_box->SetFileDropEnabled(false);
    m_box->setPlainText(u"kept"_qs);
    Drop({QUrl::fromLocalFile(WriteFile(u"abc.txt"_qs, "ABC"))});
    QCOMPARE(m_box->toPlainText(), u"kept"_qs);
}

void TestEditEx::wheelGoesToParentWhenNothingToScroll()
{
    m_box->setPlainText(u"short"_qs);
    QCoreApplication::processEvents();
    const QPointF at = m_box->viewport()->rect().center();
    QWheelEvent wheel(at, m_box->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(m_box->viewport(), &wheel);
    QCOMPARE(m_parent->wheels, 1);

    QString lines;
    for (int i = 0; i < 200; ++i)
        lines += u"line\n"_qs;
    m_box->setPlainText(lines);
    QCoreApplication::processEvents();
    QVERIFY(m_box->verticalScrollBar()->maximum() > 0);
    m_box->verticalScrollBar()->setValue(0);
    QWheelEvent scroll(at, m_box->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120),
                       Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(m_box->viewport(), &scroll);
    QCOMPARE(m_parent->wheels, 1);
    QVERIFY(m_box->verticalScrollBar()->value() > 0);
}

// Records how long the box takes to show megabytes of data; the bytes must
// come back exactly. TARVIK_EDITEX_TIMING=1 adds 10 MiB (half a minute in a
// debug build, most of it in the widget's layout of the one-line hex text).
void TestEditEx::setDataOfMegabytes()
{
    QList<qsizetype> sizes{1 << 20};
    if (qEnvironmentVariableIsSet("TARVIK_EDITEX_TIMING"))
        sizes << (10 << 20);
    for (qsizetype size : sizes) {
        QByteArray data(size, Qt::Uninitialized);
        QRandomGenerator generator(size);
        generator.fillRange(reinterpret_cast<quint32 *>(data.data()), size / 4);
        for (int mode : {0, 1}) {
            QElapsedTimer timer;
            timer.start();
            SetBytes(*m_box, data, mode);
            QCoreApplication::processEvents();
            const qint64 shown = timer.elapsed();
            // The widget's own share: the same text set again.
            const QString text = m_box->toPlainText();
            timer.restart();
            m_box->setPlainText(text);
            QCoreApplication::processEvents();
            const qint64 widgetOnly = timer.elapsed();
            // And the share of the engine and the boundary.
            timer.restart();
            ByteString rendering;
            const auto bytes = std::span(reinterpret_cast<const uint8_t *>(data.constData()),
                                         static_cast<std::size_t>(data.size()));
            mode ? BytesToHex(bytes, rendering) : BytesToAscii(bytes, rendering);
            const QString rendered = BoxTextFromGbk(rendering.view());
            const qint64 boundary = timer.elapsed();
            QCOMPARE(rendered, text);
            QVERIFY(BoxBytes(*m_box) == data);
            qInfo("SetData of %lld MiB in %s notation: %lld ms (setPlainText alone %lld ms, "
                  "rendering and boundary %lld ms)",
                  static_cast<long long>(size >> 20), mode ? "hex" : "Ascii",
                  static_cast<long long>(shown), static_cast<long long>(widgetOnly),
                  static_cast<long long>(boundary));
        }
    }
}

QTEST_MAIN(TestEditEx)
#include "tst_editex.moc"
