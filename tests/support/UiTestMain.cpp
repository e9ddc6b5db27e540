// Runs widget suites on the offscreen platform with the program's resources.

#include "app/CDovrelPlinvaraApp.h"
#include "common/QtTranslations.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!std::getenv("XDG_RUNTIME_DIR"))
        setenv("XDG_RUNTIME_DIR", "/tmp", 0);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    InitialiseResources();
    InstallQtTranslations(); // as both programs do
    return RUN_ALL_TESTS();
}
