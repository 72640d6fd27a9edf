// The frame's edit commands on their own, with actions standing in for the
// frame's: enabled states by focus and selection, copy from the focused box,
// and the box find acts on.
#include "convert/editex.h"
#include "shell/mainframe.h"
#include "view/framecommands.h"
#include "view/recvview.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

constexpr int kSend = 0, kRecv = 1, kOther = 2; // in the order of m_boxes

class TestFrameCommands : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_commands.reset();
        m_actions.clear();
        m_window = std::make_unique<QWidget>();
        auto *layout = new QVBoxLayout(m_window.get());
        m_boxes = {m_send = new CEditEx, m_recv = new CRecvView, new QLineEdit};
        for (QWidget *box : m_boxes)
            layout->addWidget(box);
        m_send->setPlainText(QStringLiteral("send"));
        m_recv->Append(reinterpret_cast<const uint8_t *>("recv"), 4);
        m_recv->Refresh(true);
        m_commands = std::make_unique<CFrameCommands>();
        m_commands->SetBoxes(m_send, m_recv);
        m_commands->Attach([this](int id) {
            QAction *&action = m_actions[id];
            return action ? action : action = new QAction(m_window.get());
        });
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }
    void enabledStatesFollowFocusAndSelection_data()
    {
        QTest::addColumn<int>("focus");
        QTest::addColumn<bool>("selectAll");
        QTest::addColumn<QList<bool>>("cutCopySelectAll");
        QTest::newRow("send, selected") << kSend << true << QList{true, true, true};
        QTest::newRow("send, caret only") << kSend << false << QList{false, false, true};
        QTest::newRow("receive, selected") << kRecv << true << QList{false, true, true};
        QTest::newRow("receive, caret only") << kRecv << false << QList{false, false, true};
        QTest::newRow("elsewhere") << kOther << true << QList{false, false, false};
    }
    void enabledStatesFollowFocusAndSelection()
    {
        QFETCH(int, focus);
        QFETCH(bool, selectAll);
        QFETCH(QList<bool>, cutCopySelectAll);
        Focus(focus);
        if (selectAll) {
            m_send->selectAll();
            m_recv->SelectAll();
        }
        QCOMPARE((QList<bool>{Enabled(CMainFrame::ID_EDIT_CUT), Enabled(CMainFrame::ID_EDIT_COPY),
                              Enabled(CMainFrame::ID_EDIT_SELECT_ALL)}),
                 cutCopySelectAll);
    }

    void copyTakesTheFocusedBoxsSelection()
    {
        for (int box : {kRecv, kSend}) {
            Focus(box);
            m_send->selectAll();
            m_recv->SelectAll();
            m_actions[CMainFrame::ID_EDIT_COPY]->trigger();
            QCOMPARE(QApplication::clipboard()->text(), box == kRecv ? "recv" : "send");
        }
    }

    // Find keeps acting on the box that had the focus last when a third
    // window (the find dialog) takes it.
    void findActsOnTheBoxFocusedLast()
    {
        for (auto [box, inRecv] : {std::pair{kRecv, true}, {kOther, true}, {kSend, false}}) {
            Focus(box);
            QCOMPARE(m_commands->FindInRecv(), inRecv);
        }
    }

private:
    void Focus(int box)
    {
        m_boxes[box]->setFocus();
        QTRY_VERIFY(m_boxes[box]->hasFocus());
    }
    bool Enabled(int id) { return m_actions[id]->isEnabled(); }

    std::unique_ptr<QWidget> m_window;
    QList<QWidget *> m_boxes;
    CEditEx *m_send = nullptr;
    CRecvView *m_recv = nullptr;
    std::unique_ptr<CFrameCommands> m_commands;
    std::map<int, QAction *> m_actions;
};

QTEST_MAIN(TestFrameCommands)
#include "tst_framecommands.moc"
