// The program's own start-up: the application's frame with the main view in
// it, and the window placement carried from one start to the next.
#include "mainwindow.h"
#include "tarvikapp.h"
#include "viewsandbox.h"

#include "aboutdlg.h"

class TestMainWindow : public QObject
{
    Q_OBJECT

public:
    explicit TestMainWindow(CTarvikApp &app) : m_app(app) {}

private slots:
    void init()
    {
        m_sandbox = std::make_unique<CViewSandbox>();
        // The about box at start would only wait for a click here.
        CRegManage().WriteDword(QString::fromLatin1(CAboutDlg::kNoAutoShowAbout), 1);
    }
    // The view saves its settings when its window closes; that has to happen
    // while the test's folders are still there.
    void cleanup()
    {
        if (CMainFrame *frame = m_app.MainFrame())
            frame->close();
        m_sandbox.reset();
    }

    void restartRestoresThePlacement()
    {
        QVERIFY(CreateMainWindow(m_app));
        CMainFrame &first = *m_app.MainFrame();
        QVERIFY(qobject_cast<CTarvikView *>(first.centralWidget()));
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

private:
    CTarvikApp &m_app;
    std::unique_ptr<CViewSandbox> m_sandbox;
};

// The application object is the program's own, as in main().
int main(int argc, char **argv)
{
    CTarvikApp app(argc, argv);
    TestMainWindow test(app);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
