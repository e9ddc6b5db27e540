#include "app/CDovrelPlinvaraApp.h"

#include "app/CDovrelPlinvaraDlg.h"
#include "common/MessageBoxSink.h"

#include <memory>

void InitialiseResources()
{
    Q_INIT_RESOURCE(resources);
}

CDovrelPlinvaraApp::CDovrelPlinvaraApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("DovrelPlinvara"));
    setApplicationDisplayName(QStringLiteral("ハープ用図形楽譜"));
    InitialiseResources();
}

int CDovrelPlinvaraApp::InitInstance()
{
    static MessageBoxSink sink;
    SetMessageSink(&sink);
    auto window = std::make_unique<CDovrelPlinvaraDlg>(nullptr);
    window->exec();
    window.reset(); // the window's destruction writes the settings
    return 0;
}
