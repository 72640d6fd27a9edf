// The program's window as main() makes it, with the program's own application
// object: the icon on the frame, on the about box it shows at start, on a
// dialog of the view and on a window without a parent.
#include "app/mainwindow.h"
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
            shown << (IconRenders(modal) ? QStringLiteral("%1 with icon") : QStringLiteral("%1"))
                         .arg(QString::fromLatin1(modal->metaObject()->className()));
            if (auto *box = qobject_cast<QMessageBox *>(modal))
                box->button(QMessageBox::No)->click();
            else
                modal->reject();
        });
        poll.start(10);
        QVERIFY(CreateMainWindow(m_app));
        QTRY_COMPARE(shown, QStringList({"QMessageBox with icon", "CAboutDlg with icon"}));
        QVERIFY(IconRenders(m_app.MainFrame()));
        QDialog parentless;
        QVERIFY(IconRenders(&parentless));
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
