// The frame's edit commands on their own, with actions standing in for the
// frame's: enabled states by focus and selection, copy from the focused box,
// and the box find acts on.
#include "partfixture.h"
#include "shell/mainframe.h"
#include "view/parts/framecommands.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>

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
        const struct
        {
            QWidget *focus;
            bool selectAll;
            QList<bool> cutCopySelectAll;
            QString copied;
        } cases[] = {
            {c.sendBox, false, {false, false, true}, {}},
            {c.recvBox, false, {false, false, true}, {}},
            {c.sendBox, true, {true, true, true}, "send"},
            {c.recvBox, true, {false, true, true}, "recv"},
            {c.edit, true, {false, false, false}, {}},
        };
        for (const auto &row : cases) {
            for (QWidget *box : {static_cast<QWidget *>(c.recvBox), row.focus}) {
                box->setFocus();
                QTRY_VERIFY(box->hasFocus());
            }
            if (row.selectAll) {
                c.sendBox->selectAll();
                c.recvBox->SelectAll();
            }
            QCOMPARE((QList<bool>{actions[CMainFrame::ID_EDIT_CUT]->isEnabled(),
                                  actions[CMainFrame::ID_EDIT_COPY]->isEnabled(),
                                  actions[CMainFrame::ID_EDIT_SELECT_ALL]->isEnabled()}),
                     row.cutCopySelectAll);
            QCOMPARE(commands.FindInRecv(), row.focus != c.sendBox);
            QApplication::clipboard()->clear();
            actions[CMainFrame::ID_EDIT_COPY]->trigger();
            QCOMPARE(QApplication::clipboard()->text(), row.copied);
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

QTEST_MAIN(TestFrameCommands)
#include "tst_framecommands.moc"
