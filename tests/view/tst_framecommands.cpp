// The frame's edit commands on their own, with actions standing in for the
// frame's: enabled states by focus and selection, copy from the focused box,
// and the box find acts on.
#include "partfixture.h"
#include "shell/mainframe.h"
#include "view/framecommands.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>

constexpr int kSend = 0, kRecv = 1, kOther = 2;

class TestFrameCommands : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_actions.clear();
        m_c = std::make_unique<CPartControls>();
        m_c->sendBox->setPlainText(QStringLiteral("send"));
        m_c->recvBox->Append(U8("recv"), 4);
        m_c->recvBox->Refresh(true);
        m_commands = std::make_unique<CFrameCommands>();
        m_commands->SetBoxes(m_c->sendBox, m_c->recvBox);
        m_commands->Attach([this](int id) {
            QAction *&action = m_actions[id];
            return action ? action : action = new QAction(&m_c->window);
        });
        m_c->window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&m_c->window));
    }
    void cleanup() { m_commands.reset(); }

    // Copy takes the focused box's selection. Find keeps acting on the box
    // that had the focus last when a third window (the find dialog) takes it.
    void commandsFollowFocusAndSelection_data()
    {
        QTest::addColumn<int>("focus");
        QTest::addColumn<bool>("selectAll");
        QTest::addColumn<QList<bool>>("cutCopySelectAll");
        QTest::addColumn<QString>("copied");
        QTest::newRow("send, selected") << kSend << true << QList{true, true, true} << "send";
        QTest::newRow("send, caret only") << kSend << false << QList{false, false, true} << "";
        QTest::newRow("receive, selected") << kRecv << true << QList{false, true, true} << "recv";
        QTest::newRow("receive, caret only") << kRecv << false << QList{false, false, true} << "";
        QTest::newRow("elsewhere") << kOther << true << QList{false, false, false} << "";
    }
    void commandsFollowFocusAndSelection()
    {
        QFETCH(int, focus);
        QFETCH(bool, selectAll);
        QFETCH(QList<bool>, cutCopySelectAll);
        QFETCH(QString, copied);
        QWidget *box = QList<QWidget *>{m_c->sendBox, m_c->recvBox, m_c->edit}.at(focus);
        Focus(m_c->recvBox);
        Focus(box);
        if (selectAll) {
            m_c->sendBox->selectAll();
            m_c->recvBox->SelectAll();
        }
        QCOMPARE((QList<bool>{Enabled(CMainFrame::ID_EDIT_CUT), Enabled(CMainFrame::ID_EDIT_COPY),
                              Enabled(CMainFrame::ID_EDIT_SELECT_ALL)}),
                 cutCopySelectAll);
        QCOMPARE(m_commands->FindInRecv(), box != m_c->sendBox);
        QApplication::clipboard()->clear();
        m_actions[CMainFrame::ID_EDIT_COPY]->trigger();
        QCOMPARE(QApplication::clipboard()->text(), copied);
    }

private:
    static void Focus(QWidget *box)
    {
        box->setFocus();
        QTRY_VERIFY(box->hasFocus());
    }
    bool Enabled(int id) { return m_actions[id]->isEnabled(); }

    std::unique_ptr<CPartControls> m_c;
    std::unique_ptr<CFrameCommands> m_commands;
    std::map<int, QAction *> m_actions;
};

QTEST_MAIN(TestFrameCommands)
#include "tst_framecommands.moc"
