// Links the main view into the program: once the application has built and
// shown its main frame, the view takes the frame's middle.
//
// The application does not know the view (the shell builds without it), so
// this unit is added to the program's executable by src/view/CMakeLists.txt
// and plugs the view in on the first pass of the event loop.
#include "mainframe.h"
#include "tarvikview.h"
#include "viewhookup.h"

#include <QApplication>
#include <QTimer>

namespace {
void PlugViewIntoMainFrame()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        auto *frame = qobject_cast<CMainFrame *>(window);
        if (frame && !qobject_cast<CTarvikView *>(frame->View()))
            PlugMainView(*frame, new CTarvikView);
    }
}

void ScheduleViewHookup()
{
    QTimer::singleShot(0, qApp, &PlugViewIntoMainFrame);
}
} // namespace

Q_COREAPP_STARTUP_FUNCTION(ScheduleViewHookup)
