// The program's main frame gets the main view once the event loop runs.
#include "viewsandbox.h"

#include <QPlainTextEdit>

class TestAppHookup : public QObject
{
    Q_OBJECT

private slots:
    void frameGetsTheView();
};

void TestAppHookup::frameGetsTheView()
{
    CViewSandbox sandbox;
    CRegManage reg;
    CMainFrame frame(reg);
    frame.show();
    QTRY_VERIFY(qobject_cast<CTarvikView *>(frame.View()));
    auto *view = static_cast<CTarvikView *>(frame.View());
    QVERIFY(QTest::qWaitFor([view] { return view->PortPanel(); }, 2000));
    // The frame's find requests reach the view, whose answer reaches the status bar.
    auto *sendBox = view->findChild<QPlainTextEdit *>(QStringLiteral("1003"));
    sendBox->setPlainText(QStringLiteral("ab"));
    sendBox->moveCursor(QTextCursor::End);
    emit frame.viewRequest(CTarvikView::kRequestFind, QStringLiteral("a"));
    QCOMPARE(sendBox->textCursor().selectedText(), QStringLiteral("a"));
    QCOMPARE(frame.StatusBar()->GetPaneText(frame.StatusBar()->CommandToIndex(0)),
             QStringLiteral("已到达文件尾"));
}

QTEST_MAIN(TestAppHookup)
#include "tst_apphookup.moc"
