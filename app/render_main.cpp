#include "app/CDovrelPlinvaraApp.h"
#include "app/RenderCommand.h"
#include "common/Messages.h"
#include "common/QtTranslations.h"

#include <QApplication>
#include <cstdlib>
#include <iostream>

int main(int argc, char** argv)
{
    // No screen is needed: the offscreen platform serves unless another was chosen.
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    PrepareProcess();
    QApplication app(argc, argv);
    InitialiseResources();
    InstallQtTranslations();
    StderrMessageSink sink;
    SetMessageSink(&sink);
    const std::vector<std::string> args(argv + 1, argv + argc);
    return RunRenderCommand(args, std::cout, std::cerr);
}
