// The frame's commands that act on the view: send (menu 32775 and the Ctrl+S
// accelerator) and the preset commands here, the edit commands on the send
// and receive boxes in framecommands.cpp.
#include "shell/mainframe.h"
#include "view/tarvikview.h"

#include <QAction>
#include <QPushButton>

void CTarvikView::AttachFrameCommands(CMainFrame &frame)
{
    m_frameCommands.Attach([&frame](int id) { return frame.CommandAction(id); });
    auto on = [&frame, this](int id, auto handler) {
        connect(frame.CommandAction(id), &QAction::triggered, this, handler);
    };
    on(CMainFrame::IDC_SEND_BUTTON, [this] { OnSendCommand(); });
    on(CMainFrame::ID_OPERATION_SEND, [this] { OnSendCommand(); });
    on(CMainFrame::ID_PRESET_COMMANDS, [this] { OnPresetCommands(); });
    on(CMainFrame::ID_OPERATION_PREVIEW, [this] { m_preview.Show(); });
    // Ctrl+S acts even while the send button is disabled; the send operation
    // reports what it finds.
    frame.CommandAction(CMainFrame::IDC_SEND_BUTTON)->setEnabled(true);
    SyncSendCommand();
    AttachCodePageMenu(frame);
}

// The menu's send command is enabled exactly when the send button is.
void CTarvikView::SyncSendCommand()
{
    m_frameCommands.SetEnabled(CMainFrame::ID_OPERATION_SEND, m_form.send->isEnabled());
}
