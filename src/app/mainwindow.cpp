#include "app/mainwindow.h"

#include "app/democheck.h"
#include "app/viewhookup.h"
#include "shell/tarvikapp.h"
#include "view/tarvikview.h"

bool CreateMainWindow(CTarvikApp &app)
{
    if (!app.InitInstance())
        return false;
    auto *view = new CTarvikView;
    PlugMainView(*app.MainFrame(), view);
    if (DemoCheckRequested())
        StartDemoCheck(*view);
    return true;
}
