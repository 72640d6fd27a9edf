// The frame's edit commands on the send and receive boxes, with enabled
// states that follow the focus, the selections and the clipboard, and which
// of the two boxes edit and find act on: the one that had the focus last
// (the find dialog itself has it while in use).
//
// Window thread only.
#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <map>

class CEditEx;
class CRecvView;
class QAction;
class QWidget;

class CFrameCommands : public QObject
{
    Q_OBJECT

public:
    // The frame's action for a command number.
    using Lookup = std::function<QAction *(int commandId)>;

    // The boxes the commands act on; from then on the find target is tracked.
    void SetBoxes(CEditEx *send, CRecvView *recv);
    // Takes the frame's edit, send and preset commands and connects the edit
    // commands to the boxes.
    void Attach(const Lookup &commandAction);
    // No effect on a command not taken, or one the frame has destroyed.
    void SetEnabled(int commandId, bool enabled);
    void UpdateEditCommands();
    bool FindInRecv() const { return m_bFindInRecv; }
    // The menu's send command is enabled exactly when `send` is.
    void FollowSendButton(QWidget *send);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void SyncSendCommand();
    void ConnectEditCommands(const Lookup &commandAction);
    void FollowClipboard();

    CEditEx *m_send = nullptr;
    CRecvView *m_recv = nullptr;
    QWidget *m_sendButton = nullptr;
    // Kept as pointers of their own: the frame's lookup is gone while it is destroyed.
    std::map<int, QPointer<QAction>> m_actions;
    bool m_bClipboardHasText = false; // read when the clipboard changes
    bool m_bFindInRecv = false;
};
