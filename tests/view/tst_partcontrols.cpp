// The view's parts on their controls, one test class each, run by one
// program (see RunPartTests).
#include "partfixture.h"
#include "shell/mainframe.h"
#include "view/parts/autosend.h"
#include "view/parts/filesendstate.h"
#include "view/parts/framecommands.h"
#include "view/parts/receivedisplay.h"
#include "view/parts/sendpages.h"
#include "view/parts/viewcounters.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QScrollBar>

// Auto-send on its own controls: which intervals start it.
class TestAutoSend : public QObject
{
    Q_OBJECT

private slots:
    void intervalDecidesWhetherItStarts()
    {
        // Blanks, a sign and trailing text are read past; beyond int saturates
        // instead of wrapping to a negative interval.
        const std::pair<const char *, bool> intervals[] = {
            {"51", true},         {"50", false},    {" +100ms", true},
            {"2147483648", true}, {"-1000", false}, {"", false},
        };
        CPartControls c;
        CAutoSend autoSend;
        autoSend.Attach(c.check, c.edit, c.button, [] {});
        QStringList seen, expected; // started, running, ticked, the edit fixed
        for (const auto &[text, starts] : intervals) {
            c.edit->setText(QString::fromLatin1(text));
            c.check->setChecked(true);
            const bool started = autoSend.OnClicked(true);
            seen << QStringLiteral("\"%1\" %2 %3 %4 %5")
                        .arg(text)
                        .arg(started)
                        .arg(autoSend.IsRunning())
                        .arg(c.check->isChecked())
                        .arg(!c.edit->isEnabled());
            expected << QStringLiteral("\"%1\" %2 %2 %2 %2").arg(text).arg(starts);
            autoSend.OnClicked(false);
        }
        QCOMPARE(seen, expected);
    }

    // A click on the box starts the ticks, or says why not in the status bar.
    void clicksStartOrExplain_data()
    {
        QTest::addColumn<QString>("interval");
        QTest::addColumn<bool>("starts");
        QTest::addColumn<QString>("told");
        QTest::addRow("long enough") << "100" << true << QStringLiteral("就绪"); // bar unchanged
        QTest::addRow("too short") << "50" << false << QStringLiteral("间隔时间太短，请重新设置！");
    }
    void clicksStartOrExplain()
    {
        QFETCH(QString, interval);
        QFETCH(bool, starts);
        QFETCH(QString, told);
        CPartControls c;
        CPartStatus bar;
        CAutoSend autoSend;
        autoSend.Attach(c.check, c.edit, c.button, [] {});
        autoSend.ConnectBox(bar.status);
        c.edit->setText(interval);
        c.check->click();
        QCOMPARE(autoSend.IsRunning(), starts);
        QCOMPARE(bar.Text(), told);
    }
};

// The view's status bar messages on their own: the frame's routine is found
// from inside the frame, and the reply to a status request becomes a hint
// and the reply box's tool tip.
class TestViewStatus : public QObject
{
    Q_OBJECT

private slots:
    // Only the reply to a request sent through this port is explained.
    void statusRepliesBecomeHints_data()
    {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<bool>("newPort");
        QTest::addColumn<QString>("hint");
        const QByteArray request("\x10\x04\x04", 3);
        QTest::addRow("request") << request << false
                                 << QStringLiteral("状态 DLE EOT 4 = 72：纸量充足，缺纸");
        QTest::addRow("request of the port before") << request << true << QString();
        QTest::addRow("no request") << QByteArray("\x04") << false << QString();
    }
    void statusRepliesBecomeHints()
    {
        QFETCH(QByteArray, sent);
        QFETCH(bool, newPort);
        QFETCH(QString, hint);
        CPartStatus part;
        QVERIFY(part.panesSetUp);
        QWidget alone;
        QVERIFY(!CViewStatus(&alone).Messenger());

        CViewStatus status(part.frame.centralWidget());
        part.bar->SetWindowText(QStringLiteral("before"));
        status.NoteSent(U8(sent.constData()), uint32_t(sent.size()));
        if (newPort)
            status.ForgetStatusRequests();
        QWidget replyBox;
        status.NoteReceived(U8("\x72"), 1, replyBox);
        QCOMPARE(replyBox.toolTip(), hint);
        QCOMPARE(part.Text(), hint.isEmpty() ? QStringLiteral("before") : hint);
    }
};

// The send pages on their own controls: walking back and forth through a
// table of moves, each page keeping its text and notation.
class TestSendPages : public QObject
{
    Q_OBJECT

private slots:
    void movesKeepEachPage()
    {
        CPartControls c;
        CSendPages pages;
        pages.Attach(c.sendBox, c.check, c.label);
        QCOMPARE(c.label->text(), QStringLiteral("页数: 1/1"));
        QVERIFY(!pages.Previous()); // nothing before the first page

        // Typed into the page shown, the notation then switched to (-1: kept)
        // and the move; then the page shown and the notation it comes back in.
        const std::tuple<const char *, int, char, int, int, const char *, bool> steps[] = {
            {"", -1, '>', 1, 1, "", false},       // an empty page has no page after it
            {"AB", 1, '>', 2, 2, "", true},       // a new page keeps the notation
            {"", 0, '>', 2, 2, "", false},        //
            {"xy", -1, '<', 1, 2, "41 42", true}, // each page in its own notation
            {"", -1, '>', 2, 2, "xy", false},     //
            {"", -1, '>', 3, 3, "", false},       //
            {"", -1, '<', 2, 3, "xy", false},     //
        };
        QStringList shown, expected; // a difference names its step
        for (const auto &[typed, notation, move, current, count, text, hexShown] : steps) {
            c.sendBox->insertPlainText(QString::fromLatin1(typed));
            if (notation >= 0) {
                QVERIFY(c.sendBox->SetHexMode(notation == 1));
                c.check->setChecked(notation == 1);
            }
            if (move == '<')
                QVERIFY(pages.Previous());
            else
                pages.Next();
            shown << QStringLiteral("%1 [%2] %3 %4")
                         .arg(c.label->text(), c.sendBox->toPlainText())
                         .arg(c.sendBox->m_bHex)
                         .arg(c.check->isChecked());
            expected << QStringLiteral("页数: %1/%2 [%3] %4 %4")
                            .arg(current)
                            .arg(count)
                            .arg(QString::fromLatin1(text))
                            .arg(hexShown);
        }
        QCOMPARE(shown, expected);
    }

    // The buttons move, tell the page or the first page in the status bar,
    // and give the box the focus.
    void buttonsMoveAndTell()
    {
        CPartControls c;
        CPartStatus bar;
        QPushButton *next = new QPushButton(&c.window);
        CSendPages pages;
        pages.Attach(c.sendBox, c.check, c.label);
        pages.Connect(c.button, next, bar.status);
        c.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&c.window));
        c.sendBox->insertPlainText(QStringLiteral("one"));
        const std::pair<QPushButton *, const char *> clicks[] = {
            {next, "当前页数：第2页，共2页"},
            {c.button, "当前页数：第1页，共2页"},
            {c.button, "已到最前一页！"},
        };
        QStringList told, expected;
        for (const auto &[button, message] : clicks) {
            c.edit->setFocus();
            button->click();
            told << bar.Text();
            expected << QString::fromUtf8(message);
            QTRY_VERIFY2(c.sendBox->hasFocus(), message);
        }
        QCOMPARE(told, expected);
    }
};

// The frame's edit commands on their own, with actions standing in for the
// frame's: enabled states by focus and selection, copy from the focused box,
// and the box find acts on.
class TestFrameCommands : public QObject
{
    Q_OBJECT

private slots:
    // Copy takes the focused box's selection. Find keeps acting on the box
    // that had the focus last when a third window (the find dialog) takes it.
    void commandsFollowFocusAndSelection()
    {
        CPartControls c;
        c.sendBox->setPlainText(QStringLiteral("send"));
        c.recvBox->Append(U8("recv"), 4);
        c.recvBox->Refresh(true);
        std::map<int, QAction *> actions;
        CFrameCommands commands;
        commands.SetBoxes(c.sendBox, c.recvBox);
        commands.Attach([&](int id) {
            QAction *&action = actions[id];
            return action ? action : action = new QAction(&c.window);
        });
        c.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&c.window));
        // The box given the focus, all selected, cut, copy and select all
        // enabled, and what copy puts on the clipboard.
        const std::tuple<QWidget *, bool, QList<bool>, QString> cases[] = {
            {c.sendBox, false, {false, false, true}, {}},
            {c.recvBox, false, {false, false, true}, {}},
            {c.sendBox, true, {true, true, true}, "send"},
            {c.recvBox, true, {false, true, true}, "recv"},
            {c.edit, true, {false, false, false}, {}},
        };
        for (const auto &[focus, selectAll, cutCopySelectAll, copied] : cases) {
            for (QWidget *box : {static_cast<QWidget *>(c.recvBox), focus}) {
                box->setFocus();
                QTRY_VERIFY(box->hasFocus());
            }
            if (selectAll) {
                c.sendBox->selectAll();
                c.recvBox->SelectAll();
            }
            QCOMPARE((QList<bool>{actions[CMainFrame::ID_EDIT_CUT]->isEnabled(),
                                  actions[CMainFrame::ID_EDIT_COPY]->isEnabled(),
                                  actions[CMainFrame::ID_EDIT_SELECT_ALL]->isEnabled()}),
                     cutCopySelectAll);
            QCOMPARE(commands.FindInRecv(), focus != c.sendBox);
            QApplication::clipboard()->clear();
            actions[CMainFrame::ID_EDIT_COPY]->trigger();
            QCOMPARE(QApplication::clipboard()->text(), copied);
        }
    }

    // The menu's send command is enabled exactly when the send button is,
    // from the moment the frame's actions are taken.
    void sendCommandFollowsTheButton()
    {
        CPartControls c;
        QAction send(&c.window);
        CFrameCommands commands;
        commands.SetBoxes(c.sendBox, c.recvBox);
        c.button->setEnabled(false);
        commands.FollowSendButton(c.button);
        commands.Attach([&](int id) {
            return id == CMainFrame::ID_OPERATION_SEND ? &send : new QAction(&c.window);
        });
        QList<bool> followed{send.isEnabled()};
        for (const bool enabled : {true, false, true}) {
            c.button->setEnabled(enabled);
            followed << send.isEnabled();
        }
        QCOMPARE(followed, (QList<bool>{false, true, false, true}));
    }
};

// The file-send state on its own controls: the pass counter across starts
// of multi-pass sends and passes that never complete, and progress only
// while a send runs.
class TestFileSendState : public QObject
{
    Q_OBJECT

private slots:
    // Each start asks for some passes, of which some complete; the counter
    // shown afterwards. Single sends add up; a multi-pass send counts from 0,
    // also after another, and so does the first single send after one.
    void counterAcrossStarts()
    {
        CPartControls c;
        CFileSendState state;
        state.Attach(nullptr, c.label, c.counter, nullptr, nullptr);
        // Passes asked for, passes completed, the counter shown.
        const std::tuple<int, int, const char *> starts[] = {{1, 1, "1"}, {1, 1, "2"}, {3, 2, "2"},
                                                             {2, 2, "2"}, {1, 0, "0"}, {1, 1, "1"}};
        QStringList shown, expected; // a difference names its start
        for (const auto &[asked, completed, counter] : starts) {
            state.ApplyCounterResetRule(asked);
            for (int pass = 0; pass < completed; ++pass)
                state.PassDone();
            shown << c.counter->text();
            expected << QString::fromLatin1(counter);
        }
        QCOMPARE(shown, expected);
    }

    // Notes queued before a stop arrive after it: progress is no longer
    // shown, but a completed pass still counts.
    void progressOnlyWhileSending()
    {
        CPartControls c;
        CFileSendState state;
        state.Attach(nullptr, c.label, c.counter, nullptr, nullptr);
        QVERIFY(!state.ShowProgress(10));
        state.Started();
        QVERIFY(state.IsSending() && state.ShowProgress(50));
        state.Ended();
        QVERIFY(!state.IsSending() && !state.ShowProgress(60));
        state.PassDone();
        QCOMPARE(c.counter->text(), QStringLiteral("1"));
    }
};

// The receive area's display on its own: what an update shows and where
// it leaves the receive view.
class TestReceiveDisplay : public QObject
{
    Q_OBJECT

private slots:
    // After a read the update shows the counters and the end of the history;
    // an update for the counters alone leaves the view where the user put it.
    void updateShowsCountersAndOnlyAReadScrollsToTheEnd()
    {
        CPartControls c;
        CViewCounters counters;
        CReceiveDisplay display(counters);
        display.Attach(c.recvBox, c.edit, c.counter);
        const QByteArray lines = QByteArray("line\r\n").repeated(300);
        c.recvBox->Append(U8(lines.constData()), lines.size());
        counters.NoteReceived(uint32_t(lines.size()), true);
        display.NoteRead();
        QTRY_COMPARE(c.edit->text(), QString::number(lines.size()));
        QCOMPARE(c.counter->text(), QStringLiteral("0"));
        QScrollBar *scroll = c.recvBox->verticalScrollBar();
        QVERIFY(scroll->maximum() > 0);
        QCOMPARE(scroll->value(), scroll->maximum());

        scroll->setValue(0);
        counters.ClearReceived();
        display.Schedule();
        QTRY_COMPARE(c.edit->text(), QStringLiteral("0"));
        QCOMPARE(scroll->value(), 0);
    }
};

TARVIK_PART_TESTS_MAIN(TestAutoSend, TestViewStatus, TestSendPages, TestFrameCommands,
                       TestFileSendState, TestReceiveDisplay)
#include "tst_partcontrols.moc"
