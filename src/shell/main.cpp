#include "tarvikapp.h"

int main(int argc, char **argv)
{
    CTarvikApp app(argc, argv);
    if (!app.InitInstance())
        return 1;
    return app.exec();
}
