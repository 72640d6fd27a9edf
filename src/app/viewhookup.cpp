#include "app/viewhookup.h"

#include "shell/extstatuscontrolbar.h"
#include "shell/mainframe.h"
#include "view/tarvikview.h"

#include <QFile>

void PlugMainView(CMainFrame &frame, CTarvikView *view)
{
    view->SetStatusMessenger(frame.Messenger());
    QObject::connect(&frame, &CMainFrame::viewRequest, view,
                     [view](quint32 wParam, const QString &text) {
                         view->OnViewRequest(int(wParam & 0xFFFF), int(wParam >> 16), text);
                     });
    // The about box comes up over a finished form, after any question the
    // start-up asks.
    QObject::connect(view, &CTarvikView::startupDone, &frame, &CMainFrame::ShowAboutAtStart,
                     Qt::QueuedConnection);
    frame.SetView(view);
    view->AttachFrameCommands(frame);
    // Settings may come from the start folder or the user's folder; the
    // status bar says which.
    const auto showIniPath = [&frame, view] {
        frame.StatusBar()->setToolTip(
            CTarvikView::tr("配置文件：%1").arg(QFile::decodeName(view->IniPath().c_str())));
    };
    showIniPath();
    QObject::connect(view, &CTarvikView::languageChanged, &frame, showIniPath);
}
