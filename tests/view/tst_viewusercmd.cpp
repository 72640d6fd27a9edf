// The user command strip in the view: loading at start-up, its place in the
// layout, and the mouse wheel routed to it.
#include "viewsandbox.h"

#include "editex.h"
#include "inifile.h"
#include "usercommandview.h"

#include <QFile>
#include <QScrollBar>
#include <QWheelEvent>

namespace {
// Sends one wheel notch; true when someone took it.
bool Wheel(QWidget *target, int delta)
{
    const QPointF at(5, 5);
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
    return event.isAccepted();
}
} // namespace

class TestViewUserCmd : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_sandbox = std::make_unique<CViewSandbox>(); }
    void cleanup()
    {
        m_view.reset();
        m_sandbox.reset();
    }

    // A faulty entry is asked about before the strip shows; the strip then
    // sits in group 1073 and follows the splitter layout.
    void startupLoadsAndPlacesTheStrip()
    {
        WriteIni("[UserCmds]\r\nCmdCnt=2\r\nCmdName1=bad\r\nCmdValue1=xyz\r\n"
                 "CmdName2=ok\r\nCmdValue2=1B,40\r\n");
        MessageBoxWatcher watcher; // answers Yes
        StartView(608, 600);
        QCOMPARE(watcher.Texts(),
                 QStringList(QStringLiteral("配置文件中用户命令第1项错误，您可以手动修改配置文件"
                                            "或删除此项，您要删除此项吗？")));
        CUserCommandView *strip = m_view->CommandStrip();
        QCOMPARE(strip->objectName(), QStringLiteral("59648"));
        QCOMPARE(strip->Buttons().size(), 1);
        QCOMPARE(strip->Buttons()[0]->text(), QStringLiteral("ok"));
        QVERIFY(strip->Buttons()[0]->isVisible());
        IniStatus status = IniStatus::Ok;
        ReadIniValue(m_sandbox->IniPath().toStdString(), "UserCmds", "CmdName1", &status);
        QCOMPARE(status, IniStatus::NotFound);

        for (const QSize size : {QSize(608, 600), QSize(900, 800)}) {
            m_view->resize(size);
            const int p1 = m_view->Splitter1Pos();
            const int p2 = m_view->Splitter2Pos();
            QCOMPARE(strip->geometry(), QRect(155, p1 + 13, size.width() - 160, p2 - p1 - 15));
        }
    }

    // The wheel over the view moves the strip while it can move that way,
    // also when it comes from a send box with nothing to scroll.
    void wheelScrollsTheStripWhileItCan()
    {
        QByteArray text = "[UserCmds]\r\nCmdCnt=30\r\n";
        for (int i = 1; i <= 30; ++i)
            text += QStringLiteral("CmdName%1=c%1\r\nCmdValue%1=%1\r\n").arg(i).toLatin1();
        WriteIni(text);
        StartView(608, 600);
        QScrollBar *bar = m_view->CommandStrip()->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QVERIFY(!Wheel(m_view.get(), 120)); // already at the top: the view's own

        QVERIFY(Wheel(m_view.get(), -120));
        const int afterOne = bar->value();
        QVERIFY(afterOne > 0);
        auto *sendBox = m_view->findChild<CEditEx *>(ViewId::Name(ViewId::kSendBox));
        QVERIFY(Wheel(sendBox->viewport(), -120));
        QVERIFY(bar->value() > afterOne);
        for (int notch = 0; notch < 50 && bar->value() < bar->maximum(); ++notch)
            QVERIFY(Wheel(m_view.get(), -120));
        QVERIFY(!Wheel(m_view.get(), -120)); // at the bottom
        QCOMPARE(bar->value(), bar->maximum());
        QVERIFY(Wheel(m_view.get(), 120));
        QVERIFY(bar->value() < bar->maximum());
    }

private:
    void WriteIni(const QByteArray &text)
    {
        QFile ini(m_sandbox->IniPath());
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(text);
    }
    void StartView(int cx, int cy)
    {
        m_view = std::make_unique<CTarvikView>();
        m_view->resize(cx, cy);
        m_view->show();
        QVERIFY(QTest::qWaitFor([this] { return m_view->CommandStrip(); }, 2000));
    }

    std::unique_ptr<CViewSandbox> m_sandbox;
    std::unique_ptr<CTarvikView> m_view;
};

QTEST_MAIN(TestViewUserCmd)
#include "tst_viewusercmd.moc"
