#include "mainwindow.h"

#include "tarvikapp.h"
#include "tarvikview.h"
#include "viewhookup.h"

bool CreateMainWindow(CTarvikApp &app)
{
    if (!app.InitInstance())
        return false;
    PlugMainView(*app.MainFrame(), new CTarvikView);
    return true;
}
