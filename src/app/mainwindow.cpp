#include "app/mainwindow.h"

#include "app/viewhookup.h"
#include "shell/tarvikapp.h"
#include "view/tarvikview.h"

bool CreateMainWindow(CTarvikApp &app)
{
    if (!app.InitInstance())
        return false;
    PlugMainView(*app.MainFrame(), new CTarvikView);
    return true;
}
