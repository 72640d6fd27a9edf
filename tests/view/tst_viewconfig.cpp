// Start-up and what carries over to the next start: the settings section of
// "rvcfg.ini" (in the start directory when it holds one, else in the user's
// configuration folder), the two splitter bars (shares kept
// across resizes, the tops in the registry), and the user command strip
// (loading, its place in the layout, the mouse wheel, the preset commands
// dialog).
#include "viewsandbox.h"

#include "config/rvconfig.h"
#include "dialogdriver.h"
#include "usercmd/usercommandview.h"

#include <QGroupBox>
#include <QScrollBar>

namespace {
QStringList Captions(const CTarvikView *view)
{
    QStringList captions;
    for (const QAbstractButton *button : view->CommandStrip()->Buttons())
        captions << button->text();
    return captions;
}

// Runs the menu command: the dialog keeps its first `keep` rows and is closed
// with OK or else Cancel.
void RunPresetCommands(CFramedView &framed, int keep, bool ok)
{
    bool shown = false;
    OnNextModal<CUserCmdCfgDlg>([&](CUserCmdCfgDlg *dlg) {
        shown = true;
        while (Table(dlg)->rowCount() > keep)
            RightClick(dlg, RowPoint(dlg, keep),
                       [](QMenu *menu) { Choose(menu, CUserCmdCfgDlg::kDeleteCommandId); });
        if (ok)
            dlg->findChild<QPushButton *>(QStringLiteral("1"))->click();
        else
            dlg->reject();
    });
    framed.Frame().CommandAction(CMainFrame::ID_PRESET_COMMANDS)->trigger();
    QVERIFY(shown);
}

// A command section of `count` commands "c1".. with the values `value` gives.
QByteArray UserCmds(int count, const char *value)
{
    QByteArray text = "[UserCmds]\r\nCmdCnt=" + QByteArray::number(count) + "\r\n";
    for (int i = 1; i <= count; ++i)
        text += QStringLiteral("CmdName%1=c%1\r\nCmdValue%1=%2\r\n")
                    .arg(i)
                    .arg(QString::fromLatin1(value).arg(i))
                    .toLatin1();
    return text;
}
} // namespace

class TestViewConfig : public CViewTestCase
{
    Q_OBJECT

private slots:
    // Kind, panel choices and switches are saved at exit and back after a
    // restart; a start folder without a file leaves it alone and uses the
    // user's configuration folder, made by the first save.
    void settingsSurviveRestart()
    {
        QVERIFY(!QFile::exists(m_sandbox->UserIniPath()));
        Start();
        m_framed->SelectKind(PortKind::Network);
        m_framed->TypeNetworkTarget(9100);
        Click(ViewId::kCountSend);
        m_framed.reset();
        QVERIFY(QFile::exists(m_sandbox->UserIniPath()));
        QVERIFY(!QFile::exists(m_sandbox->IniPath()));

        PortCfgData() = {};
        Start();
        QCOMPARE(Find<QComboBox>(ViewId::kPortKind)->currentIndex(), int(PortKind::Network));
        QCOMPARE(FindPanelControl<QComboBox>(m_framed->Panel(), kEthHostId)->currentText(),
                 QStringLiteral("127.0.0.1"));
        QCOMPARE(FindPanelControl<QLineEdit>(m_framed->Panel(), kEthPortId)->text(),
                 QStringLiteral("9100"));
        QVERIFY(Find<QCheckBox>(ViewId::kCountSend)->isChecked());
        QVERIFY(!Find<QCheckBox>(ViewId::kCountRecv)->isChecked());
    }

    // The saved notations reach the boxes, not only their check boxes: a
    // hex send box refuses a wrong digit instead of sending the characters,
    // selects it and keeps the focus, and what arrives shows in the receive
    // box's notation.
    void savedNotationAppliesToTheBoxes_data()
    {
        QTest::addColumn<bool>("hexSend");
        QTest::addColumn<bool>("hexDisplay");
        for (bool hexSend : {true, false})
            for (bool hexDisplay : {true, false})
                QTest::addRow("send %d display %d", hexSend, hexDisplay) << hexSend << hexDisplay;
    }
    void savedNotationAppliesToTheBoxes()
    {
        QFETCH(bool, hexSend);
        QFETCH(bool, hexDisplay);
        RvConfigValues values;
        values.hexSend = hexSend;
        values.hexDisplay = hexDisplay;
        QCOMPARE(SaveRvConfig(m_sandbox->IniPath().toStdString(), values, tagPORT_CFG_DATA{}),
                 RvSaveResult::Saved);
        Start();
        QCOMPARE(Find<QCheckBox>(ViewId::kHexSend)->isChecked(), hexSend);
        QCOMPARE(Find<QCheckBox>(ViewId::kHexRecv)->isChecked(), hexDisplay);
        OpenAgainstPeer();

        SendText(QStringLiteral("41 4g2")); // pasted: not filtered
        if (hexSend) {
            QCOMPARE(ErrorText(), LoadString(IDS_HEX_INPUT_ERROR));
            QCOMPARE(SendBox()->textCursor().selectionStart(), 4);
            QCOMPARE(SendBox()->textCursor().selectedText(), QStringLiteral("g"));
            QVERIFY(SendBox()->hasFocus());
            QVERIFY(Button(ViewId::kSend)->isEnabled());
        } else
            QCOMPARE(PeerReceives(6, 5000), QByteArray("41 4g2"));
        PeerSends("AB");
        QTRY_COMPARE(RecvBox()->WholeText(),
                     hexDisplay ? QStringLiteral("41 42") : QStringLiteral("AB"));
        QCOMPARE(m_peer->readAll(), QByteArray());
    }

    // A faulty entry is asked about before the strip shows; the strip sits in
    // group 1073, follows the splitter layout while the port column stays
    // put, and the wheel over the view or a send box with nothing to scroll
    // moves it while it can move that way.
    void stripLoadsFollowsTheLayoutAndTakesTheWheel()
    {
        WriteFile("rvcfg.ini",
                  UserCmds(30, "%1").replace("c1\r\nCmdValue1=1", "bad\r\nCmdValue1=xyz"));
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
        auto *open = view.findChild<QPushButton *>(ViewId::Name(ViewId::kOpenClose));
        const QRect openAt = open->geometry();
        for (const QSize size : {QSize(900, 800), QSize(608, 600)}) {
            view.resize(size);
            QCOMPARE(open->geometry(), openAt);
            const QRect cmdGroup =
                view.findChild<QGroupBox *>(ViewId::Name(ViewId::kCmdGroup))->geometry();
            QVERIFY(cmdGroup.contains(strip->geometry()));
            QVERIFY(strip->geometry().top() > view.Splitter1Pos() + ViewLayout::kBarHeight);
            QVERIFY(strip->geometry().bottom() < view.Splitter2Pos());
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

    // The menu command edits the list: Cancel changes nothing; OK writes the
    // section and rebuilds the strip from the dialog's rows; the keys of a
    // longer earlier list stay but the next start shows only the new list. A
    // save that fails keeps the old buttons and their bytes.
    void presetCommandsSaveAndRebuildTheStrip()
    {
        const QByteArray text = UserCmds(5, "0%1");
        WriteFile("rvcfg.ini", text);
        Start();
        QTRY_COMPARE(Captions(m_framed->View()).size(), 5);
        QVERIFY(m_framed->Frame().StatusBar()->toolTip().contains(m_sandbox->IniPath()));
        RunPresetCommands(*m_framed, 0, false);
        QCOMPARE(FileBytes(m_sandbox->IniPath()), text);
        QCOMPARE(Captions(m_framed->View()).size(), 5);

        RunPresetCommands(*m_framed, 2, true);
        QCOMPARE(Captions(m_framed->View()), QStringList({"c1", "c2"}));
        const QByteArray saved = FileBytes(m_sandbox->IniPath());
        QVERIFY(saved.contains("CmdCnt=2\r\n"));
        QVERIFY(saved.contains("CmdName5=c5\r\n")); // left from the longer list
        QVERIFY(saved.contains("CmdValue2=02\r\n"));

        // The file can no longer be written: the old list stays usable.
        QVERIFY(QFile::remove(m_sandbox->IniPath()));
        QVERIFY(QDir().mkdir(m_sandbox->IniPath()));
        MessageBoxWatcher watcher;
        RunPresetCommands(*m_framed, 1, true);
        QCOMPARE(watcher.Texts(), QStringList(QStringLiteral("Can't Create Config Ini File!")));
        QCOMPARE(Captions(m_framed->View()), QStringList({"c1", "c2"}));
        QCOMPARE(m_framed->View()->CommandStrip()->Records()[1].data, QByteArray("\x02"));
        QVERIFY(QDir().rmdir(m_sandbox->IniPath()));
        QVERIFY(WriteFileBytes(m_sandbox->IniPath(), saved));
        Start();
        QTRY_COMPARE(Captions(m_framed->View()), QStringList({"c1", "c2"}));
    }

    // Without a file in the start folder every reader takes the user's file:
    // a command list saved before any exit makes it, the next start loads
    // the commands and the [Devices] map from it, and the status bar's tool
    // tip names it.
    void userFileServesEveryReader()
    {
        Start();
        RunPresetCommands(*m_framed, INT_MAX, true);
        QVERIFY(FileBytes(m_sandbox->UserIniPath()).contains("CmdCnt=0\r\n"));
        m_framed.reset();

        QVERIFY(WriteFileBytes(m_sandbox->UserIniPath(),
                               "[UserCmds]\r\nCmdCnt=1\r\nCmdName1=c1\r\nCmdValue1=01\r\n"
                               "[Devices]\r\nCOM7=/dev/tarvik-test7\r\n"));
        Start();
        QTRY_COMPARE(Captions(m_framed->View()), QStringList({"c1"}));
        QCOMPARE(DevicePath("COM7"), std::string("/dev/tarvik-test7"));
        QVERIFY(m_framed->Frame().StatusBar()->toolTip().contains(m_sandbox->UserIniPath()));
        QVERIFY(!QFile::exists(m_sandbox->IniPath()));
    }
};

QTEST_MAIN(TestViewConfig)
#include "tst_viewconfig.moc"
