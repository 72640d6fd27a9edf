// Find in the send box, asked for through the frame's find dialog.
#include "viewsandbox.h"

#include "findtextdlg.h"

#include <QCheckBox>
#include <QPlainTextEdit>

class TestViewFind : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_sandbox = std::make_unique<CViewSandbox>();
        m_framed = std::make_unique<CFramedView>();
        QVERIFY(m_framed->WaitForStartup());
        m_sendBox = m_framed->Find<QPlainTextEdit>(ViewId::kSendBox);
        m_sendBox->setPlainText(QStringLiteral("xxABxxabxx"));
        m_sendBox->moveCursor(QTextCursor::Start);
    }
    void cleanup()
    {
        m_framed.reset();
        m_sandbox.reset();
    }

    void walksThroughOccurrencesAndWraps()
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

    void matchCaseSkipsOtherCase()
    {
        FindNext(QStringLiteral("ab"), true);
        QCOMPARE(Selection(), std::make_pair(6, 8));
        FindNext(QStringLiteral("AB"), true);
        QCOMPARE(Selection(), std::make_pair(2, 4));
        QCOMPARE(m_framed->StatusText(), QStringLiteral("已到达文件尾"));
    }

    void notFoundAsksNothingAndKeepsSelection()
    {
        FindNext(QStringLiteral("AB"), false);
        MessageBoxWatcher catcher;
        FindNext(QStringLiteral("zz"), false);
        QCOMPARE(catcher.Texts(), QStringList{QStringLiteral("未找到指定文本:\n zz")});
        QCOMPARE(Selection(), std::make_pair(2, 4));
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
        const QTextCursor cursor = m_sendBox->textCursor();
        return {cursor.selectionStart(), cursor.selectionEnd()};
    }

    std::unique_ptr<CViewSandbox> m_sandbox;
    std::unique_ptr<CFramedView> m_framed;
    QPlainTextEdit *m_sendBox = nullptr;
};

QTEST_MAIN(TestViewFind)
#include "tst_viewfind.moc"
