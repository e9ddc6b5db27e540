#include "app/CDovrelPlinvaraApp.h"

int main(int argc, char** argv)
{
    CDovrelPlinvaraApp app(argc, argv);
    return app.InitInstance();
}
