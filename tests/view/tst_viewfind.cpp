// Find in the send box, asked for through the frame's find dialog.
#include "viewids.h"
#include "viewsandbox.h"

#include "findtextdlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>

class TestViewFind : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void walksThroughOccurrencesAndWraps();
    void matchCaseSkipsOtherCase();
    void notFoundAsksNothingAndKeepsSelection();

private:
    void FindNext(const QString &text, bool matchCase);
    std::pair<int, int> Selection() const;

    std::unique_ptr<CViewSandbox> m_sandbox;
    std::unique_ptr<CFramedView> m_framed;
    QPlainTextEdit *m_sendBox = nullptr;
};

void TestViewFind::init()
{
    m_sandbox = std::make_unique<CViewSandbox>();
    m_framed = std::make_unique<CFramedView>();
    QVERIFY(m_framed->WaitForStartup());
    m_sendBox = m_framed->Find<QPlainTextEdit>(ViewId::kSendBox);
    m_sendBox->setPlainText(QStringLiteral("xxABxxabxx"));
    m_sendBox->moveCursor(QTextCursor::Start);
}

void TestViewFind::cleanup()
{
    m_framed.reset();
    m_sandbox.reset();
}

// Types the text into a fresh find dialog and presses "find next".
void TestViewFind::FindNext(const QString &text, bool matchCase)
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

std::pair<int, int> TestViewFind::Selection() const
{
    const QTextCursor cursor = m_sendBox->textCursor();
    return {cursor.selectionStart(), cursor.selectionEnd()};
}

void TestViewFind::walksThroughOccurrencesAndWraps()
{
    FindNext(QStringLiteral("ab"), false);
    QCOMPARE(Selection(), std::make_pair(2, 4)); // the upper-case one first
    QCOMPARE(m_framed->StatusText(), QString()); // each search clears the pane
    FindNext(QStringLiteral("ab"), false);
    QCOMPARE(Selection(), std::make_pair(6, 8));
    FindNext(QStringLiteral("ab"), false);
    QCOMPARE(Selection(), std::make_pair(2, 4));
    QCOMPARE(m_framed->StatusText(), QStringLiteral("已到达文件尾"));
    QVERIFY(m_framed->StatusIsHint());
}

void TestViewFind::matchCaseSkipsOtherCase()
{
    FindNext(QStringLiteral("ab"), true);
    QCOMPARE(Selection(), std::make_pair(6, 8));
    FindNext(QStringLiteral("AB"), true);
    QCOMPARE(Selection(), std::make_pair(2, 4));
    QCOMPARE(m_framed->StatusText(), QStringLiteral("已到达文件尾"));
}

void TestViewFind::notFoundAsksNothingAndKeepsSelection()
{
    FindNext(QStringLiteral("AB"), false);
    CMessageBoxCatcher catcher;
    FindNext(QStringLiteral("zz"), false);
    QCOMPARE(catcher.Texts(), QStringList{QStringLiteral("未找到指定文本:\n zz")});
    QCOMPARE(Selection(), std::make_pair(2, 4));
}

QTEST_MAIN(TestViewFind)
#include "tst_viewfind.moc"
