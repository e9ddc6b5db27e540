#include "app/CDovrelPlinvaraApp.h"

int main(int argc, char** argv)
{
    PrepareProcess();
    CDovrelPlinvaraApp app(argc, argv);
    return app.InitInstance();
}
