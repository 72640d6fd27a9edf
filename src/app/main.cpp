#include "app/mainwindow.h"
#include "shell/tarvikapp.h"

int main(int argc, char **argv)
{
    CTarvikApp app(argc, argv);
    if (!CreateMainWindow(app))
        return 1;
    return app.exec();
}
