// The frame's commands that act on the view: send (menu 32775 and the Ctrl+S
// accelerator) and the edit commands on the send and receive boxes, with the
// enabled states that follow the focus, the selections and the clipboard.
#include "convert/editex.h"
#include "shell/mainframe.h"
#include "view/recvview.h"
#include "view/tarvikview.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QPushButton>

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

void CTarvikView::AttachFrameCommands(CMainFrame &frame)
{
    for (int id : {int(CMainFrame::ID_EDIT_UNDO), int(CMainFrame::ID_EDIT_CUT),
                   int(CMainFrame::ID_EDIT_COPY), int(CMainFrame::ID_EDIT_PASTE),
                   int(CMainFrame::ID_EDIT_SELECT_ALL), int(CMainFrame::ID_OPERATION_SEND),
                   int(CMainFrame::ID_PRESET_COMMANDS)})
        m_frameCommands[id] = frame.CommandAction(id);
    CEditEx *send = m_form.sendBox;
    CRecvView *recv = m_form.recvBox;
    auto on = [&frame, this](int id, auto handler) {
        connect(frame.CommandAction(id), &QAction::triggered, this, handler);
    };
    on(CMainFrame::IDC_SEND_BUTTON, [this] { OnSendCommand(); });
    on(CMainFrame::ID_OPERATION_SEND, [this] { OnSendCommand(); });
    on(CMainFrame::ID_PRESET_COMMANDS, [this] { OnPresetCommands(); });
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
    // Ctrl+S acts even while the send button is disabled; the send operation
    // reports what it finds.
    frame.CommandAction(CMainFrame::IDC_SEND_BUTTON)->setEnabled(true);

    // The clipboard is asked only when it changes: on some platforms reading
    // it waits for the program that owns it, and the commands are updated
    // with every batch of received text.
    auto readClipboard = [this] {
        m_bClipboardHasText = !QApplication::clipboard()->text().isEmpty();
    };
    readClipboard();
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, [this, readClipboard] {
        readClipboard();
        UpdateEditCommands();
    });
    auto update = [this] { UpdateEditCommands(); };
    connect(qApp, &QApplication::focusChanged, this, update);
    connect(send, &CEditEx::selectionChanged, this, update);
    connect(send, &CEditEx::textChanged, this, update);
    connect(recv, &CRecvView::SelectionChanged, this, update);
    connect(recv, &CRecvView::ContentChanged, this, update);
    connect(send, &CEditEx::undoAvailable, this, update);
    UpdateEditCommands();
    SyncSendCommand();
}

void CTarvikView::UpdateEditCommands()
{
    const CEditEx *send = m_form.sendBox;
    const CRecvView *recv = m_form.recvBox;
    const bool sendFocused = send->hasFocus();
    const bool recvFocused = recv->hasFocus();
    const auto enable = [this](int id, bool enabled) {
        if (QAction *action = m_frameCommands[id])
            action->setEnabled(enabled);
    };
    enable(CMainFrame::ID_EDIT_UNDO, send->document()->isUndoAvailable());
    enable(CMainFrame::ID_EDIT_CUT, sendFocused && HasSelection(send));
    enable(CMainFrame::ID_EDIT_COPY,
           (sendFocused && HasSelection(send)) || (recvFocused && recv->HasSelection()));
    enable(CMainFrame::ID_EDIT_PASTE, sendFocused && m_bClipboardHasText);
    enable(CMainFrame::ID_EDIT_SELECT_ALL,
           (sendFocused && !IsEmpty(send)) || (recvFocused && !recv->IsEmpty()));
}

// The menu's send command is enabled exactly when the send button is.
void CTarvikView::SyncSendCommand()
{
    if (QAction *send = m_frameCommands[CMainFrame::ID_OPERATION_SEND])
        send->setEnabled(m_form.send->isEnabled());
}
