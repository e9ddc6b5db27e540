// Runs widget suites on the offscreen platform with the program's resources.

#include "app/CDovrelPlinvaraApp.h"
#include "common/QtTranslations.h"
#include "tests/support/UiTestSupport.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

// A shuffled run keeps one process for every test: a modal answer a test left waiting must not
// answer the next test's dialog.
class DropPendingAnswers : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override { qDeleteAll(PendingAnswers().children()); }
};

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!std::getenv("XDG_RUNTIME_DIR"))
        setenv("XDG_RUNTIME_DIR", "/tmp", 0);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    InitialiseResources();
    InstallQtTranslations(); // as both programs do
    ::testing::UnitTest::GetInstance()->listeners().Append(new DropPendingAnswers);
    return RUN_ALL_TESTS();
}
