#include "app/CDovrelPlinvaraApp.h"

#include "app/CDovrelPlinvaraDlg.h"
#include "common/MessageBoxSink.h"
#include "common/QtTranslations.h"

#include <memory>

void PrepareProcess()
{
#ifdef NDEBUG
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
#endif
}

void InitialiseResources()
{
    Q_INIT_RESOURCE(resources);
}

CDovrelPlinvaraApp::CDovrelPlinvaraApp(int& argc, char** argv) : QApplication(argc, argv)
{
    // No display name: Qt would append it to every window's own title.
    setApplicationName(QStringLiteral("DovrelPlinvara"));
    InitialiseResources();
    InstallQtTranslations();
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
