// The code page of the text notation in the window: chosen in the settings
// menu, shown in the status bar, remembered in the user's settings, and
// applied to the receive view (rendered again, nothing reread), the send box
// (an unencodable character is an input error) and the rows of the receive
// view (characters of up to four bytes, also split across reads).
#include "viewsandbox.h"

#include "shell/codepagemenu.h"
#include "stringtable.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>

class TestTextCodePage : public CViewTestCase
{
    Q_OBJECT

private slots:
    void switchingRendersTheHistoryAgainAndIsRemembered()
    {
        OpenAgainstPeer();
        const QByteArray history("Caf\x82 5 \xD5\r\n");
        PeerSends(history);
        QTRY_COMPARE(RecvBox()->History().Size(), std::size_t(history.size()));
        QCOMPARE(RecvBox()->WholeText(), BoxTextFromGbk(std::string_view("Caf<\\x82> 5 <\\xD5>\r\n")));
        Choose("PC858");
        QCOMPARE(RecvBox()->WholeText(), QStringLiteral("Café 5 €\n"));
        QCOMPARE(RecvBox()->History().Size(), std::size_t(history.size()));
        QCOMPARE(PaneText(), QStringLiteral("PC858"));
        QVERIFY(Action("PC858")->isChecked());

        m_framed.reset();
        QVERIFY(!FileBytes(m_sandbox->UserIniPath()).contains("PC858"));
        Start();
        QCOMPARE(View()->TextCodePage(), CodePageId::Pc858);
        QCOMPARE(PaneText(), QStringLiteral("PC858"));
        QCOMPARE(RecvBox()->CodePage(), CodePageId::Pc858);
    }

    // The first read ends inside "ü" and inside "😀"; the rows, the caret
    // and the copy take each as one character.
    void aCharacterSplitAcrossReadsShowsAsOne()
    {
        OpenAgainstPeer();
        Choose("UTF-8");
        const QByteArray first("Gr\xC3");
        const QByteArray second("\xBC\xC3\x9F" "e \xF0\x9F\x98\x80!");
        PeerSends(first);
        QTRY_COMPARE(RecvBox()->History().Size(), std::size_t(first.size()));
        QCOMPARE(RecvBox()->WholeText(), QStringLiteral("Gr<\\xC3>"));
        PeerSends(second.left(6));
        QTRY_COMPARE(RecvBox()->History().Size(), std::size_t(first.size() + 6));
        PeerSends(second.mid(6));
        QTRY_COMPARE(RecvBox()->WholeText(), QStringLiteral("Grüße 😀!"));
        RecvBox()->viewport()->repaint();
        RecvBox()->setFocus();
        QTest::keyClick(RecvBox(), Qt::Key_End);
        QTest::keyClick(RecvBox(), Qt::Key_Left, Qt::ShiftModifier);
        QTest::keyClick(RecvBox(), Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(RecvBox()->SelectedText(), QStringLiteral("😀!"));
        Choose("GBK");
        QCOMPARE(RecvBox()->History().Size(), std::size_t(first.size() + second.size()));
        QVERIFY(!RecvBox()->WholeText().contains(QStringLiteral("ü")));
    }

    // "€" typed with PC437 chosen: the send is refused and the "€" selected.
    void anUnencodableTypedCharacterIsAnInputError()
    {
        OpenAgainstPeer();
        Choose("PC437");
        SendBox()->setFocus();
        QTest::keyClicks(SendBox(), QStringLiteral("ab"));
        QKeyEvent euro(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("€"));
        QApplication::sendEvent(SendBox(), &euro);
        QTest::keyClicks(SendBox(), QStringLiteral("c"));
        QCOMPARE(SendBox()->toPlainText(), QStringLiteral("ab€c"));
        Click(ViewId::kSend);
        QCOMPARE(SendBox()->textCursor().selectedText(), QStringLiteral("€"));
        QCOMPARE(StatusText(), LoadString(IDS_HEX_INPUT_ERROR));
        SendBox()->setPlainText(QStringLiteral("Ç"));
        QCOMPARE(BoxBytes(SendBox()), QByteArray("\x80"));
        Choose("UTF-8"); // the bytes stay and are shown in the new code page
        QCOMPARE(SendBox()->toPlainText(), QStringLiteral("<\\x80>"));
    }

private:
    QAction *Action(const char *name)
    {
        return m_framed->Frame().findChild<QAction *>(QStringLiteral("codepage_") +
                                                      QLatin1String(name));
    }
    void Choose(const char *name) { Action(name)->trigger(); }
    QString PaneText()
    {
        return m_framed->Frame().findChild<QLabel *>(QStringLiteral("codePagePane"))->text();
    }
    CTarvikView *View() { return m_framed->View(); }
};

QTEST_MAIN(TestTextCodePage)
#include "tst_textcodepage.moc"
