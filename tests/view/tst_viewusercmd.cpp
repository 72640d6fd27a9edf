// The user command strip in the view: loading at start-up, its place in the
// layout, and the mouse wheel routed to it.
#include "viewsandbox.h"

#include "editex.h"
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
    // A faulty entry is asked about before the strip shows; the strip sits in
    // group 1073, follows the splitter layout, and the wheel over the view or
    // a send box with nothing to scroll moves it while it can move that way.
    void stripLoadsFollowsTheLayoutAndTakesTheWheel()
    {
        CViewSandbox sandbox;
        QByteArray text = "[UserCmds]\r\nCmdCnt=30\r\nCmdName1=bad\r\nCmdValue1=xyz\r\n";
        for (int i = 2; i <= 30; ++i)
            text += QStringLiteral("CmdName%1=c%1\r\nCmdValue%1=%1\r\n").arg(i).toLatin1();
        QFile ini(sandbox.IniPath());
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(text);
        ini.close();
        MessageBoxWatcher watcher; // answers Yes
        CTarvikView view;
        view.resize(608, 600);
        view.show();
        QVERIFY(QTest::qWaitFor([&] { return view.CommandStrip(); }, 2000));
        QCOMPARE(watcher.Texts(),
                 QStringList(QStringLiteral("配置文件中用户命令第1项错误，您可以手动修改配置文件"
                                            "或删除此项，您要删除此项吗？")));
        CUserCommandView *strip = view.CommandStrip();
        QCOMPARE(strip->objectName(), QStringLiteral("59648"));
        QCOMPARE(strip->Buttons().size(), 29);
        QCOMPARE(strip->Buttons()[0]->text(), QStringLiteral("c2"));
        QVERIFY(strip->Buttons()[0]->isVisible());
        for (const QSize size : {QSize(900, 800), QSize(608, 600)}) {
            view.resize(size);
            const int p1 = view.Splitter1Pos();
            const int p2 = view.Splitter2Pos();
            QCOMPARE(strip->geometry(), QRect(155, p1 + 13, size.width() - 160, p2 - p1 - 15));
        }

        QScrollBar *bar = strip->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QVERIFY(!Wheel(&view, 120)); // already at the top: not the strip's
        QVERIFY(Wheel(&view, -120));
        const int afterOne = bar->value();
        QVERIFY(afterOne > 0);
        QVERIFY(Wheel(view.findChild<CEditEx *>(ViewId::Name(ViewId::kSendBox))->viewport(), -120));
        QVERIFY(bar->value() > afterOne);
        for (int notch = 0; notch < 50 && bar->value() < bar->maximum(); ++notch)
            QVERIFY(Wheel(&view, -120));
        QVERIFY(!Wheel(&view, -120)); // at the bottom
        QCOMPARE(bar->value(), bar->maximum());
        QVERIFY(Wheel(&view, 120));
        QVERIFY(bar->value() < bar->maximum());
    }
};

QTEST_MAIN(TestViewUserCmd)
#include "tst_viewusercmd.moc"
