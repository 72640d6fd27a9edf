// The program's own start-up: the application's frame with the main view in
// it, and the window placement carried from one start to the next.
#include "mainwindow.h"
#include "tarvikapp.h"
#include "viewsandbox.h"

#include "aboutdlg.h"

#include <QPlainTextEdit>

class TestMainWindow : public QObject
{
    Q_OBJECT

public:
    explicit TestMainWindow(CTarvikApp &app) : m_app(app) {}

private slots:
    void init();
    void cleanup();
    void frameHoldsTheWorkingView();
    void restartRestoresThePlacement();

private:
    CTarvikApp &m_app;
    std::unique_ptr<CViewSandbox> m_sandbox;
};

void TestMainWindow::init()
{
    m_sandbox = std::make_unique<CViewSandbox>();
    // The about box at start is the shell's business; here it would only wait for a click.
    CRegManage().WriteDword(QString::fromLatin1(CAboutDlg::kNoAutoShowAbout), 1);
}

// The view saves its settings when its window closes; that has to happen
// while the test's folders are still there.
void TestMainWindow::cleanup()
{
    if (CMainFrame *frame = m_app.MainFrame())
        frame->close();
    m_sandbox.reset();
}

void TestMainWindow::frameHoldsTheWorkingView()
{
    QVERIFY(CreateMainWindow(m_app));
    CMainFrame &frame = *m_app.MainFrame();
    auto *view = qobject_cast<CTarvikView *>(frame.centralWidget());
    QVERIFY(view);
    QVERIFY(frame.isVisible());
    QVERIFY(QTest::qWaitFor([view] { return view->PortPanel(); }, 5000));
    // The frame's find requests reach the view, whose answer reaches the status bar.
    auto *sendBox = view->findChild<QPlainTextEdit *>(QStringLiteral("1003"));
    QVERIFY(sendBox);
    sendBox->setPlainText(QStringLiteral("ab"));
    sendBox->moveCursor(QTextCursor::End);
    emit frame.viewRequest(CTarvikView::kRequestFind, QStringLiteral("a"));
    QCOMPARE(sendBox->textCursor().selectedText(), QStringLiteral("a"));
    QCOMPARE(frame.StatusBar()->GetPaneText(frame.StatusBar()->CommandToIndex(0)),
             QStringLiteral("已到达文件尾"));
}

// Closing the window keeps its placement; the next start of the application
// puts the new window there.
void TestMainWindow::restartRestoresThePlacement()
{
    QVERIFY(CreateMainWindow(m_app));
    CMainFrame &first = *m_app.MainFrame();
    QCOMPARE(first.size(), QSize(CMainFrame::kMinWidth, CMainFrame::kMinHeight));
    first.setGeometry(QRect(40, 50, 733, 521));
    QTRY_COMPARE(first.size(), QSize(733, 521));
    QVERIFY(first.close());

    QVERIFY(CreateMainWindow(m_app));
    CMainFrame &second = *m_app.MainFrame();
    QVERIFY(second.isVisible());
    QCOMPARE(second.size(), QSize(733, 521));
    QVERIFY(qobject_cast<CTarvikView *>(second.centralWidget()));
}

// The application object is the program's own, as in main().
int main(int argc, char **argv)
{
    CTarvikApp app(argc, argv);
    TestMainWindow test(app);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
