// The program's window as main() makes it, with the program's own application
// object: the dialogs at start in their order, and the icon on the frame, on
// the about box, on a dialog of the view and on a window without a parent.
#include "app/democheck.h"
#include "app/mainwindow.h"
#include "fakeport.h"
#include "shell/aboutdlg.h"
#include "shell/tarvikapp.h"
#include "viewsandbox.h"

#include <QDialog>

namespace {
bool IconRenders(const QWidget *window)
{
    return !window->windowIcon().pixmap(32).isNull();
}
} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

public:
    explicit TestMainWindow(CTarvikApp &app) : m_app(app) {}

private slots:
    void init()
    {
        m_sandbox = std::make_unique<CViewSandbox>();
        CRegManage().WriteDword(QString::fromLatin1(CAboutDlg::kNoAutoShowAbout), 0);
    }
    // The view saves its settings when its window closes; that has to happen
    // while the test's folders are still there.
    void cleanup()
    {
        if (CMainFrame *frame = m_app.MainFrame())
            frame->close();
        m_sandbox.reset();
    }

    // The question about a faulty command comes first, then the about box
    // over the finished form, once; each with the icon.
    void everyWindowHasTheIcon()
    {
        QVERIFY(WriteFileBytes(m_sandbox->IniPath(),
                               "[UserCmds]\r\nCmdCnt=1\r\nCmdName1=bad\r\nCmdValue1=xyz\r\n"));
        QStringList shown;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!modal || !modal->isVisible())
                return;
            QString seen = QString::fromLatin1(modal->metaObject()->className());
            seen += IconRenders(modal) ? QStringLiteral(" with icon") : QString();
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                shown << seen + u' ' + box->text().left(12);
                box->button(QMessageBox::No)->click();
                return;
            }
            const auto *view = m_app.MainFrame()->findChild<CTarvikView *>();
            const bool ready =
                view && view->PortPanel() && view->CommandStrip() && view->Splitter1Pos() > 0;
            shown << seen + (ready ? QStringLiteral(" over the form") : QString());
            modal->reject();
        });
        poll.start(10);
        QVERIFY(CreateMainWindow(m_app));
        QTRY_COMPARE(shown, QStringList({"QMessageBox with icon 配置文件中用户命令第1项",
                                         "CAboutDlg with icon over the form"}));
        QVERIFY(IconRenders(m_app.MainFrame()));
        QDialog parentless;
        QVERIFY(IconRenders(&parentless));
        QTest::qWait(200);
        QCOMPARE(shown.size(), 2);
    }

    // The self-check of the start script clicks the status request once the
    // port is open, not once it exists: this port's open result comes late.
    void demoCheckSendsOnceThePortIsOpen()
    {
        QVERIFY(WriteFileBytes(m_sandbox->IniPath(),
                               "[UserCmds]\r\nCmdCnt=1\r\nCmdName1=s\r\nCmdValue1=10 04 01\r\n"));
        qputenv("TARVIK_DEMO_CHECK", "10");
        CFakePortLog log;
        CFakePort *port = nullptr;
        CFramedView framed([&](PortKind kind) {
            auto made = std::make_unique<CFakePort>(log, int(kind) + 1, true);
            port = made.get();
            return made;
        });
        StartDemoCheck(*framed.View());
        // The far end: the open result 300 ms after the port was made, the
        // reply once the request was written.
        bool opened = false, replied = false;
        QElapsedTimer sincePort;
        QTimer farEnd;
        connect(&farEnd, &QTimer::timeout, [&] {
            if (!port)
                return;
            if (!sincePort.isValid())
                sincePort.start();
            if (!opened && sincePort.elapsed() > 300) {
                port->RaiseOpenResult(0);
                opened = true;
            } else if (opened && !replied && !log.writes.isEmpty()) {
                log.incoming = "\x12";
                port->Raise(kPortDataArrived);
                replied = true;
            }
        });
        farEnd.start(10);
        const int exitCode = QApplication::exec();
        qunsetenv("TARVIK_DEMO_CHECK");
        QCOMPARE(log.writes, QList<QByteArray>{QByteArray("\x10\x04\x01")});
        QCOMPARE(exitCode, 0);
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
