#include "view/parts/framecommands.h"

#include "shell/mainframe.h"
#include "view/recv/recvview.h"
#include "widgets/editex.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QWidget>

namespace {
bool HasSelection(const CEditEx *box)
{
    return box->textCursor().hasSelection();
}
bool IsEmpty(const CEditEx *box)
{
    return box->document()->isEmpty();
}
} // namespace

void CFrameCommands::SetBoxes(CEditEx *send, CRecvView *recv)
{
    m_send = send;
    m_recv = recv;
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now == m_recv || now == m_send)
            m_bFindInRecv = now == m_recv;
    });
}

void CFrameCommands::Attach(const Lookup &commandAction)
{
    for (int id : {int(CMainFrame::ID_EDIT_UNDO), int(CMainFrame::ID_EDIT_CUT),
                   int(CMainFrame::ID_EDIT_COPY), int(CMainFrame::ID_EDIT_PASTE),
                   int(CMainFrame::ID_EDIT_SELECT_ALL), int(CMainFrame::ID_OPERATION_SEND),
                   int(CMainFrame::ID_PRESET_COMMANDS)})
        m_actions[id] = commandAction(id);
    ConnectEditCommands(commandAction);
    FollowClipboard();
    auto update = [this] { UpdateEditCommands(); };
    connect(qApp, &QApplication::focusChanged, this, update);
    connect(m_send, &CEditEx::selectionChanged, this, update);
    connect(m_send, &CEditEx::textChanged, this, update);
    connect(m_send, &CEditEx::undoAvailable, this, update);
    connect(m_recv, &CRecvView::SelectionChanged, this, update);
    connect(m_recv, &CRecvView::ContentChanged, this, update);
    UpdateEditCommands();
    SyncSendCommand();
}

void CFrameCommands::FollowSendButton(QWidget *send)
{
    m_sendButton = send;
    send->installEventFilter(this);
    SyncSendCommand();
}

bool CFrameCommands::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_sendButton && event->type() == QEvent::EnabledChange)
        SyncSendCommand();
    return QObject::eventFilter(watched, event);
}

void CFrameCommands::SyncSendCommand()
{
    if (m_sendButton)
        SetEnabled(CMainFrame::ID_OPERATION_SEND, m_sendButton->isEnabled());
}

void CFrameCommands::ConnectEditCommands(const Lookup &commandAction)
{
    CEditEx *send = m_send;
    CRecvView *recv = m_recv;
    auto on = [&commandAction, this](int id, auto handler) {
        connect(commandAction(id), &QAction::triggered, this, handler);
    };
    on(CMainFrame::ID_EDIT_UNDO, [send] { send->undo(); });
    on(CMainFrame::ID_EDIT_CUT, [send] { send->cut(); });
    on(CMainFrame::ID_EDIT_PASTE, [send] { send->paste(); });
    on(CMainFrame::ID_EDIT_COPY, [send, recv] {
        if (send->hasFocus())
            send->copy();
        else
            recv->Copy();
    });
    on(CMainFrame::ID_EDIT_SELECT_ALL, [send, recv] {
        if (!send->hasFocus())
            return recv->SelectAll();
        send->selectAll();
        send->ensureCursorVisible();
    });
}

// The clipboard is asked only when it changes: on some platforms reading it
// waits for the program that owns it, and the commands are updated with
// every batch of received text.
void CFrameCommands::FollowClipboard()
{
    auto readClipboard = [this] {
        m_bClipboardHasText = !QApplication::clipboard()->text().isEmpty();
    };
    readClipboard();
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, [this, readClipboard] {
        readClipboard();
        UpdateEditCommands();
    });
}

void CFrameCommands::SetEnabled(int commandId, bool enabled)
{
    const auto found = m_actions.find(commandId);
    if (found != m_actions.end() && found->second)
        found->second->setEnabled(enabled);
}

void CFrameCommands::UpdateEditCommands()
{
    const bool sendFocused = m_send->hasFocus();
    const bool recvFocused = m_recv->hasFocus();
    SetEnabled(CMainFrame::ID_EDIT_UNDO, m_send->document()->isUndoAvailable());
    SetEnabled(CMainFrame::ID_EDIT_CUT, sendFocused && HasSelection(m_send));
    SetEnabled(CMainFrame::ID_EDIT_COPY,
               (sendFocused && HasSelection(m_send)) || (recvFocused && m_recv->HasSelection()));
    SetEnabled(CMainFrame::ID_EDIT_PASTE, sendFocused && m_bClipboardHasText);
    SetEnabled(CMainFrame::ID_EDIT_SELECT_ALL,
               (sendFocused && !IsEmpty(m_send)) || (recvFocused && !m_recv->IsEmpty()));
}
