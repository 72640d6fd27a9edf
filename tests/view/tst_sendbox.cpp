// The send box: its pages, previous and next through the buttons and their
// mnemonics, and find through the frame's find dialog.
#include "viewsandbox.h"

#include "shell/findtextdlg.h"

namespace {
const QString kEndReached = QStringLiteral("已到达文件尾");

// The page label and the status text after a move to a page.
QStringList PageShown(int current, int count)
{
    return {QStringLiteral("页数: %1/%2").arg(current).arg(count),
            QStringLiteral("当前页数：第%1页，共%2页").arg(current).arg(count)};
}
} // namespace

class TestSendBox : public CViewTestCase
{
    Q_OBJECT

private slots:
    void init()
    {
        CViewTestCase::init();
        Start();
        m_box = SendBox();
        m_hex = Find<QCheckBox>(ViewId::kHexSend);
        m_label = Find<QLabel>(ViewId::kPageLabel);
    }

    // Each page comes back in the notation it was left in, whatever the
    // check box says on the page the user comes from.
    void pagesKeepTextAndNotation()
    {
        Click(ViewId::kPrevPage); // nothing before the first page
        QCOMPARE(Shown(), QStringList({"页数: 1/1", "已到最前一页！"}));
        QTest::keyClicks(m_box, QStringLiteral("AB"));
        QTest::mouseClick(m_hex, Qt::LeftButton);
        const QString page1 = m_box->toPlainText();
        QVERIFY(m_box->m_bHex && page1 != QStringLiteral("AB"));

        PressAlt(Qt::Key_N, ViewId::kNextPage);
        QCOMPARE(Shown(), PageShown(2, 2));
        QVERIFY(m_framed->StatusIsHint());
        QCOMPARE(m_box->toPlainText(), QString());
        QVERIFY(m_hex->isChecked() && m_box->m_bHex);

        QTest::mouseClick(m_hex, Qt::LeftButton);
        QVERIFY(!m_box->m_bHex);
        QTest::keyClicks(m_box, QStringLiteral("xy"));
        const QString page2 = QStringLiteral("xy") + QString(3000, u'z'); // a line of rows
        QGuiApplication::clipboard()->setText(page2.mid(2));
        m_box->paste();
        PressAlt(Qt::Key_B, ViewId::kPrevPage);
        QCOMPARE(Shown(), PageShown(1, 2));
        QCOMPARE(m_box->toPlainText(), page1);
        QVERIFY(m_hex->isChecked() && m_box->m_bHex);
        QVERIFY(!m_box->document()->isUndoAvailable()); // no undo into page 2's text
        QCOMPARE(BoxBytes(m_box), QByteArray("AB"));

        Click(ViewId::kNextPage);
        QCOMPARE(m_box->Text(), page2);
        QCOMPARE(BoxBytes(m_box), page2.toLatin1());
        QVERIFY(!m_hex->isChecked() && !m_box->m_bHex);
    }

    // Find next walks the occurrences from the selection's end, folds case
    // unless told not to, and wraps to the start with a notice.
    void findWalksThroughOccurrencesAndWraps()
    {
        m_box->setPlainText(QStringLiteral("xxABxxabxx"));
        m_box->moveCursor(QTextCursor::Start);
        QCOMPARE(FindNext(QStringLiteral("ab"), false), std::pair(2, 4));
        QCOMPARE(FindNext(QStringLiteral("ab"), false), std::pair(6, 8));
        QCOMPARE(FindNext(QStringLiteral("ab"), false), std::pair(2, 4));
        QCOMPARE(StatusText(), kEndReached);

        m_box->moveCursor(QTextCursor::Start);
        QCOMPARE(FindNext(QStringLiteral("ab"), true), std::pair(6, 8));

        MessageBoxWatcher catcher;
        QCOMPARE(FindNext(QStringLiteral("zz"), false), std::pair(6, 8));
        QCOMPARE(catcher.Texts(), QStringList{QStringLiteral("未找到指定文本:\n zz")});

        m_box->SetText(QString(1023, u'x') + QStringLiteral("ab")); // "ab" across two rows
        const auto [from, to] = FindNext(QStringLiteral("ab"), false);
        QCOMPARE(std::pair(m_box->TextPosition(from), m_box->TextPosition(to)),
                 std::pair(qsizetype(1023), qsizetype(1025)));
    }

private:
    // Types the text into the frame's find dialog and presses "find next":
    // the selection then, (-1, -1) without a dialog.
    std::pair<int, int> FindNext(const QString &text, bool matchCase)
    {
        CMainFrame &frame = m_framed->Frame();
        if (!frame.FindDialog())
            frame.OnEditFind();
        CFindTextDlg *dialog = frame.FindDialog();
        if (!dialog)
            return {-1, -1};
        dialog->TextCombo()->setEditText(QString());
        QTest::keyClicks(dialog->TextCombo(), text);
        dialog->MatchCaseCheck()->setChecked(matchCase);
        QTest::mouseClick(dialog->FindNextButton(), Qt::LeftButton);
        return {m_box->textCursor().selectionStart(), m_box->textCursor().selectionEnd()};
    }
    // A mnemonic clicks its button a moment later, as a button press shows.
    void PressAlt(Qt::Key key, int buttonId)
    {
        QSignalSpy clicked(Button(buttonId), &QPushButton::clicked);
        QWidget *window = m_box->window();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(m_box, key, Qt::AltModifier);
        QVERIFY(clicked.wait());
    }

    QStringList Shown() const { return {m_label->text(), StatusText()}; }

    CEditEx *m_box = nullptr;
    QCheckBox *m_hex = nullptr;
    QLabel *m_label = nullptr;
};

QTEST_MAIN(TestSendBox)
#include "tst_sendbox.moc"
