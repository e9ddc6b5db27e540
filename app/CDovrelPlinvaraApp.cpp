#include "app/CDovrelPlinvaraApp.h"

#include "app/CDovrelPlinvaraDlg.h"
#include "common/MessageBoxSink.h"
#include "common/QtTranslations.h"
#include "library/SampleLibrary.h"

#include <QFile>
#include <QTimer>
#include <csignal>
#include <memory>
#include <unistd.h>

void PrepareProcess()
{
    std::signal(SIGXFSZ, SIG_IGN);
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
    UseOwnLibraryWhenInstalled();
    return RunMainWindow(arguments());
}

void UseOwnLibraryWhenInstalled()
{
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd))
        return;
    const std::string installed =
        QFile::encodeName(QCoreApplication::applicationDirPath() + QStringLiteral("/" DP_DATA_FROM_BIN)).toStdString();
    const std::string base = ChooseLibraryBase(cwd, installed, UserLibraryBase());
    // The window records the folder it starts in as the library's base; should the move fail,
    // it stays in the installed samples' folder, which it still lists.
    if (base != cwd && chdir(base.c_str()) != 0)
        return;
}

int RunMainWindow(const QStringList& arguments)
{
    auto window = std::make_unique<CDovrelPlinvaraDlg>(nullptr);
    // A file given as the one argument loads once the empty score is on the screen.
    if (arguments.size() == 2) {
        const std::string path = arguments[1].toStdString();
        CDovrelPlinvaraDlg* w = window.get();
        QTimer::singleShot(0, w, [w, path] { w->LoadSong(path); });
    }
    window->exec();
    window.reset(); // the window's destruction writes the settings
    return 0;
}
