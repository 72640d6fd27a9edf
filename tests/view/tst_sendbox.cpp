// The send box: its pages, previous and next through the buttons and their
// mnemonics, and find through the frame's find dialog.
#include "viewsandbox.h"

#include "shell/findtextdlg.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QSignalSpy>

namespace {
const QString kEndReached = QStringLiteral("已到达文件尾");

QString Label(int current, int count)
{
    return QStringLiteral("页数: %1/%2").arg(current).arg(count);
}
QString PageStatus(int current, int count)
{
    return QStringLiteral("当前页数：第%1页，共%2页").arg(current).arg(count);
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
        m_box = m_framed->SendBox();
        m_hex = m_framed->Find<QCheckBox>(ViewId::kHexSend);
        m_label = m_framed->Find<QLabel>(ViewId::kPageLabel);
    }

    // Each page comes back in the notation it was left in, whatever the
    // check box says on the page the user comes from.
    void pagesKeepTextAndNotation()
    {
        Click(ViewId::kPrevPage); // nothing before the first page
        QCOMPARE(m_framed->StatusText(), QStringLiteral("已到最前一页！"));
        QCOMPARE(m_label->text(), Label(1, 1));
        QTest::keyClicks(m_box, QStringLiteral("AB"));
        QTest::mouseClick(m_hex, Qt::LeftButton);
        const QString page1 = m_box->toPlainText();
        QVERIFY(m_box->m_bHex && page1 != QStringLiteral("AB"));

        PressAlt(Qt::Key_N, ViewId::kNextPage);
        QCOMPARE(m_label->text(), Label(2, 2));
        QCOMPARE(m_framed->StatusText(), PageStatus(2, 2));
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
        QCOMPARE(m_label->text(), Label(1, 2));
        QCOMPARE(m_framed->StatusText(), PageStatus(1, 2));
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
        FindNext(QStringLiteral("ab"), false);
        QCOMPARE(Selection(), std::make_pair(2, 4));
        FindNext(QStringLiteral("ab"), false);
        QCOMPARE(Selection(), std::make_pair(6, 8));
        FindNext(QStringLiteral("ab"), false);
        QCOMPARE(Selection(), std::make_pair(2, 4));
        QCOMPARE(m_framed->StatusText(), kEndReached);

        m_box->moveCursor(QTextCursor::Start);
        FindNext(QStringLiteral("ab"), true);
        QCOMPARE(Selection(), std::make_pair(6, 8));

        MessageBoxWatcher catcher;
        FindNext(QStringLiteral("zz"), false);
        QCOMPARE(catcher.Texts(), QStringList{QStringLiteral("未找到指定文本:\n zz")});
        QCOMPARE(Selection(), std::make_pair(6, 8));

        m_box->SetText(QString(1023, u'x') + QStringLiteral("ab")); // "ab" across two rows
        FindNext(QStringLiteral("ab"), false);
        QCOMPARE(m_box->TextPosition(Selection().first), 1023);
        QCOMPARE(m_box->TextPosition(Selection().second), 1025);
    }

private:
    // Types the text into the frame's find dialog and presses "find next".
    void FindNext(const QString &text, bool matchCase)
    {
        CMainFrame &frame = m_framed->Frame();
        if (!frame.FindDialog())
            frame.OnEditFind();
        CFindTextDlg *dialog = frame.FindDialog();
        QVERIFY(dialog);
        dialog->TextCombo()->setEditText(QString());
        QTest::keyClicks(dialog->TextCombo(), text);
        dialog->MatchCaseCheck()->setChecked(matchCase);
        QTest::mouseClick(dialog->FindNextButton(), Qt::LeftButton);
    }
    std::pair<int, int> Selection() const
    {
        const QTextCursor cursor = m_box->textCursor();
        return {cursor.selectionStart(), cursor.selectionEnd()};
    }
    void Click(int id) { QTest::mouseClick(m_framed->Button(id), Qt::LeftButton); }
    // A mnemonic clicks its button a moment later, as a button press shows.
    void PressAlt(Qt::Key key, int buttonId)
    {
        QSignalSpy clicked(m_framed->Button(buttonId), &QPushButton::clicked);
        QWidget *window = m_box->window();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(m_box, key, Qt::AltModifier);
        QVERIFY(clicked.wait());
    }

    CEditEx *m_box = nullptr;
    QCheckBox *m_hex = nullptr;
    QLabel *m_label = nullptr;
};

QTEST_MAIN(TestSendBox)
#include "tst_sendbox.moc"
