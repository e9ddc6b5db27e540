#include "controls/CButtonPicture.h"
#include "controls/COffScreenControl.h"
#include "controls/CSubDialogButtonPicture.h"
#include "tests/support/TestSupport.h"
#include "tests/support/UiTestSupport.h"

#include <gtest/gtest.h>
#include <set>

namespace {

struct Call {
    char kind;
    int x, y, index;
    bool operator==(const Call&) const = default;
};
std::vector<Call> g_calls;
void RecordPress(int x, int y, int index) { g_calls.push_back({'p', x, y, index}); }
void RecordRelease(int x, int y, int index) { g_calls.push_back({'r', x, y, index}); }
void RecordDouble(int x, int y, int index) { g_calls.push_back({'d', x, y, index}); }

std::vector<std::pair<char, int>> g_hooks;
bool g_pressedLookDuringHook = false;
void PressHook(int slot)
{
    g_hooks.push_back({'p', slot});
    g_pressedLookDuringHook = CButtonPicture::IsPressed(slot);
}
void ReleaseHook(int slot) { g_hooks.push_back({'r', slot}); }

} // namespace

class PictureControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_calls.clear();
        window.resize(300, 200);
        control = new COffScreenControl(&window, 1003, true);
        control->setGeometry(10, 10, 88, 30);
        control->SetHandlers(&RecordPress, &RecordRelease, nullptr, &RecordDouble);
        control->SetIndex(2);
        window.show();
    }
    QWidget window;
    COffScreenControl* control = nullptr;
};

TEST_F(PictureControlTest, PressAndReleaseOverTheControl)
{
    QTest::mousePress(control, Qt::LeftButton, {}, QPoint(5, 6));
    EXPECT_TRUE(control->IsPressed());
    QTest::mouseRelease(control, Qt::LeftButton, {}, QPoint(7, 8));
    EXPECT_FALSE(control->IsPressed());
    EXPECT_EQ(g_calls, (std::vector<Call>{{'p', 5, 6, 2}, {'r', 7, 8, 2}}));
}

TEST_F(PictureControlTest, LeavingWhilePressedReleasesOnceAndComingBackReleasesAgain)
{
    QTest::mousePress(control, Qt::LeftButton, {}, QPoint(5, 6));
    QTest::mouseMove(control, QPoint(150, 100));
    QTest::mouseMove(control, QPoint(160, 110));
    EXPECT_FALSE(control->IsPressed());
    EXPECT_EQ(g_calls, (std::vector<Call>{{'p', 5, 6, 2}, {'r', -1, -1, 2}}));
    QTest::mouseMove(control, QPoint(20, 20));
    QTest::mouseRelease(control, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(g_calls.back(), (Call{'r', 20, 20, 2})) << "released over the control after coming back";
    EXPECT_EQ(g_calls.size(), 3u);
}

TEST_F(PictureControlTest, ReleaseOutsideAfterTheLeaveCallsNothing)
{
    QTest::mousePress(control, Qt::LeftButton, {}, QPoint(5, 6));
    QTest::mouseMove(control, QPoint(150, 100));
    QTest::mouseRelease(control, Qt::LeftButton, {}, QPoint(150, 100));
    EXPECT_EQ(g_calls.size(), 2u);
}

TEST_F(PictureControlTest, DoubleClickIsNoPress)
{
    // The platform's sequence: a click, then the second press arrives as a double click.
    QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(5, 6));
    QTest::mouseDClick(control, Qt::LeftButton, {}, QPoint(5, 6));
    int presses = 0, doubles = 0;
    for (const Call& c : g_calls) {
        presses += c.kind == 'p';
        doubles += c.kind == 'd';
    }
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(doubles, 1);
}

TEST_F(PictureControlTest, NoPressHandlerStillSetsPressedAndWithoutNotifyNothingArrives)
{
    control->SetHandlers(nullptr, &RecordRelease, nullptr, nullptr);
    QTest::mousePress(control, Qt::LeftButton, {}, QPoint(5, 6));
    EXPECT_TRUE(control->IsPressed());
    QTest::mouseRelease(control, Qt::LeftButton, {}, QPoint(5, 6));
    EXPECT_FALSE(control->IsPressed());

    auto* silent = new COffScreenControl(&window, 1001, false);
    silent->setGeometry(100, 100, 50, 50);
    silent->SetHandlers(&RecordPress, &RecordRelease, nullptr, nullptr);
    silent->show();
    g_calls.clear();
    QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(120, 120));
    EXPECT_TRUE(g_calls.empty());
    EXPECT_TRUE(silent->testAttribute(Qt::WA_TransparentForMouseEvents));
}

class PictureButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_hooks.clear();
        window.resize(300, 200);
        first = new COffScreenControl(&window, 1000, true);
        second = new COffScreenControl(&window, 1002, true);
        buttons = std::make_unique<CButtonPicture>(&PressHook, &ReleaseHook, first, PictureRect{10, 10, 98, 40},
                                                   QStringLiteral("    終 了"), ButtonImage::kNormal,
                                                   ButtonImage::kPressed, -1);
        first->SetIndex(0);
        buttons->AddButton(second, PictureRect{10, 50, 98, 80}, QStringLiteral("    設 定"), ButtonImage::kNormal,
                           ButtonImage::kPressed, -1);
        second->SetIndex(1);
        window.show();
        buttons->ShowAll();
    }
    void TearDown() override { buttons->DestroyAll(); }

    QWidget window;
    COffScreenControl* first = nullptr;
    COffScreenControl* second = nullptr;
    std::unique_ptr<CButtonPicture> buttons;
    RecordingSink sink;
};

TEST_F(PictureButtonTest, PressShowsThePressedLookBeforeTheOwnerActs)
{
    EXPECT_EQ(CButtonPicture::Count(), 2);
    EXPECT_EQ(second->geometry(), QRect(10, 50, 88, 30));
    const QRgb normal = CButtonPicture::Surface(1)->pixel(44, 22);
    QTest::mousePress(second, Qt::LeftButton, {}, QPoint(40, 15));
    EXPECT_EQ(g_hooks, (std::vector<std::pair<char, int>>{{'p', 1}}));
    EXPECT_TRUE(g_pressedLookDuringHook);
    const QRgb pressed = second->ShownPicture().pixel(44, 22);
    EXPECT_NE(pressed, normal);
    EXPECT_GT(qBlue(pressed), qRed(pressed)) << "the pressed pill is blue-violet";
    QTest::mouseRelease(second, Qt::LeftButton, {}, QPoint(40, 15));
    EXPECT_EQ(second->ShownPicture().pixel(44, 22), normal);
    EXPECT_EQ(g_hooks.back(), (std::pair<char, int>{'r', 1}));
}

TEST_F(PictureButtonTest, LeavingWithTheButtonHeldRestoresTheNormalLook)
{
    const QRgb normal = CButtonPicture::Surface(0)->pixel(44, 22);
    QTest::mousePress(first, Qt::LeftButton, {}, QPoint(40, 15));
    QTest::mouseMove(first, QPoint(200, 150));
    EXPECT_EQ(g_hooks, (std::vector<std::pair<char, int>>{{'p', 0}, {'r', 0}}));
    EXPECT_EQ(first->ShownPicture().pixel(44, 22), normal);
}

TEST_F(PictureButtonTest, CaptionColourFollowsTheEnabledState)
{
    auto captionColours = [](const QImage& img) {
        std::set<QRgb> colours;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 20; x < img.width(); ++x) {
                const QRgb c = img.pixel(x, y);
                if (qGreen(c) >= 90 && qGreen(c) <= 110 && qBlue(c) <= 60)
                    colours.insert(c);
            }
        return colours;
    };
    EXPECT_TRUE(captionColours(*CButtonPicture::Surface(0)).count(qRgb(0, 100, 0)));
    first->setEnabled(false);
    CButtonPicture::DrawButton(0);
    EXPECT_TRUE(captionColours(*CButtonPicture::Surface(0)).count(qRgb(100, 100, 50)));
}

TEST_F(PictureButtonTest, IndexMinusOneChangesNothing)
{
    first->SetIndex(-1);
    QTest::mousePress(first, Qt::LeftButton, {}, QPoint(40, 15));
    QTest::mouseRelease(first, Qt::LeftButton, {}, QPoint(40, 15));
    EXPECT_TRUE(g_hooks.empty());
    EXPECT_FALSE(CButtonPicture::IsPressed(0));
}

TEST_F(PictureButtonTest, RegistriesAreIndependentAndStartAgainAtSlotZero)
{
    COffScreenControl sub(&window, 1001, true);
    {
        CSubDialogButtonPicture dialogButtons(&PressHook, &ReleaseHook, &sub, PictureRect{150, 100, 238, 130},
                                              QStringLiteral("読み込み"), ButtonImage::kNormal, ButtonImage::kPressed,
                                              -1);
        EXPECT_EQ(CSubDialogButtonPicture::Count(), 1);
        EXPECT_EQ(CButtonPicture::Count(), 2);
        dialogButtons.DestroyAll();
    }
    CSubDialogButtonPicture again(&PressHook, &ReleaseHook, &sub, PictureRect{150, 100, 238, 130},
                                  QStringLiteral("取り消し"), ButtonImage::kNormal, ButtonImage::kPressed, -1);
    EXPECT_EQ(CSubDialogButtonPicture::Count(), 1);
    again.DestroyAll();
    EXPECT_EQ(CSubDialogButtonPicture::Count(), 0);
    EXPECT_EQ(sink.Count(), 0u);
}
