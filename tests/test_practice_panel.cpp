// The practice player from the keyboard: no key ends the window, the keys go where the learner
// looks (the picture once clicked, a measure box typed into), and the practice panel, which
// follows the player and sets it.

#include "app/CDovrelPlinvaraDlg.h"
#include "app/PracticePanel.h"
#include "audio/ScorePlayback.h"
#include "controls/CReadOnlySpinBox.h"
#include "render/CScorePicture.h"
#include "song/CSongFileWriter.h"
#include "tests/support/FakeAudioDevice.h"
#include "tests/support/TestSupport.h"
#include "tests/support/UiTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetricsF>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <gtest/gtest.h>

namespace {

class PracticePanelTest : public ::testing::Test {
protected:
    // `measures` of four quarter notes at 60 beats per minute.
    std::string WriteSong(int measures)
    {
        CSongFileWriter w(measures, 4);
        w.SetTempo(60);
        for (int m = 0; m < measures; ++m)
            for (int b = 0; b < 4; ++b)
                w.AddNote(m * 16 + b * 4, 60 + m % 12, 4);
        const std::string path = sandbox.Path("tune.mwd");
        EXPECT_TRUE(w.Write(path));
        return path;
    }
    QPoint AtMeasure(const CDovrelPlinvaraDlg& window, size_t index)
    {
        const FittedScore& s = window.Score();
        const int y = ScoreY(s.geometry, s.layout.totalLength, s.layout.measures.at(index).time) + 4;
        return window.PictureArea().topLeft() +
               QPoint(window.PictureArea().width() / 2, int(y * window.Settings().displayZoom));
    }
    CReadOnlySpinBox* Box(QWidget* window, int id) { return Control<CReadOnlySpinBox>(window, id); }
    QLineEdit* Edit(QWidget* window, int id) { return Control<QLineEdit>(window, id); }
    // Types `text` over what a box shows, as a learner selecting it would.
    static void TypeOver(QLineEdit* edit, const char* text)
    {
        edit->selectAll();
        QTest::keyClicks(edit, QString::fromLatin1(text));
    }
    static void TypeOver(QSpinBox* box, const char* text) { TypeOver(box->findChild<QLineEdit*>(), text); }
    template <class T>
    static T* In(PracticePanel* panel, const char* name)
    {
        return panel->findChild<T*>(QString::fromLatin1(name));
    }
    void OpenContextMenu(CDovrelPlinvaraDlg& window)
    {
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(50, 50), window.mapToGlobal(QPoint(50, 50)));
        QApplication::sendEvent(&window, &event);
    }
    void ChooseTempo(CDovrelPlinvaraDlg& window, const QString& text)
    {
        WhenPopupOpens([&](QWidget* popup) {
            if (auto* tempo = popup->findChild<QMenu*>(QStringLiteral("TempoMenu")))
                for (QAction* a : tempo->actions())
                    if (a->text() == text)
                        a->trigger();
            popup->close();
        });
        OpenContextMenu(window);
    }

    SandboxDir sandbox;
    RecordingSink sink;
};

} // namespace

// Escape closing the menu, then Escape and Enter on the window, and Enter in a measure box: the
// window stays, and a measure typed into a box is shown.
TEST_F(PracticePanelTest, NoKeyEndsTheWindowAndAMeasureTypedIsShown)
{
    FakeAudioDevice device;
    CDovrelPlinvaraDlg window(nullptr, device.Factory());
    window.show();
    window.LoadSong(WriteSong(20));
    window.Playback().SetTempoPercent(80);

    bool menuOpened = false;
    WhenPopupOpens([&](QWidget* popup) {
        menuOpened = true;
        QTest::keyClick(popup, Qt::Key_Escape);
    });
    OpenContextMenu(window);
    EXPECT_TRUE(menuOpened);
    QTest::keyClick(&window, Qt::Key_Escape);
    QTest::keyClick(&window, Qt::Key_Escape);
    QTest::keyClick(&window, Qt::Key_Return);
    QTest::keyClick(&window, Qt::Key_Enter);
    EXPECT_TRUE(window.isVisible());

    QLineEdit* start = Edit(&window, MainControl::kStartEdit);
    window.activateWindow(); // the window system's part after the menu, not done offscreen
    ASSERT_TRUE(GiveFocus(start));
    TypeOver(start, "9");
    QTest::keyClick(start, Qt::Key_Return);
    EXPECT_TRUE(window.isVisible()) << "Enter in a measure box takes the number, nothing more";
    EXPECT_EQ(window.Score().measures.first, 9);
    EXPECT_EQ(window.Settings().startMeasure, 9);
    QTest::keyClick(start, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());

    // Leaving the box takes what was typed as well.
    QLineEdit* end = Edit(&window, MainControl::kEndEdit);
    ASSERT_TRUE(GiveFocus(end));
    TypeOver(end, "12");
    EXPECT_EQ(window.Score().measures.last, 20) << "nothing taken while typing";
    ASSERT_TRUE(GiveFocus(start));
    EXPECT_EQ(window.Score().measures.last, 12);
    EXPECT_EQ(Box(&window, MainControl::kEndSpin)->value(), 12);
    EXPECT_EQ(window.Playback().TempoPercent(), 80) << "the practice set up is kept";
    EXPECT_EQ(sink.Count(), 0u);
}

// The window opens with the keys on the picture; once a box has them, a click on the picture
// takes them back, and there Up and Down step the ring by measures, never the boxes nor the
// passage.
TEST_F(PracticePanelTest, AClickOnThePictureTakesTheKeysAndTheArrowsStepTheRing)
{
    FakeAudioDevice device;
    CDovrelPlinvaraDlg window(nullptr, device.Factory());
    window.show();
    window.LoadSong(WriteSong(8));
    QWidget* picture = Control(&window, MainControl::kScore);
    ASSERT_TRUE(WaitForState([&] { return QApplication::activeWindow() == &window; }));
    EXPECT_EQ(QApplication::focusWidget(), picture) << "at the start";

    ASSERT_TRUE(GiveFocus(Edit(&window, MainControl::kStartEdit)));
    QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier, AtMeasure(window, 2));
    const auto chosen = std::pair<size_t, size_t>{2, 2};
    EXPECT_EQ(window.Passage(), chosen);
    ASSERT_EQ(QApplication::focusWidget(), picture);

    ScorePlayback& playback = window.Playback();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(playback.MarkedNote(), 0) << "the first note";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(playback.MarkedNote(), 8) << "two measures on";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_EQ(playback.MarkedNote(), 4);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    EXPECT_EQ(playback.MarkedNote(), 5) << "Right: a note";
    EXPECT_EQ(Box(&window, MainControl::kStartSpin)->value(), 1) << "the boxes stay";
    EXPECT_EQ(Box(&window, MainControl::kEndSpin)->value(), 8);
    EXPECT_EQ(window.Passage(), chosen) << "and so does the passage";
    EXPECT_EQ(sink.Count(), 0u);
}

// P opens the panel beside the window; it follows the tempo changed by key and by menu, the
// passage chosen on the picture and the switches, and its own controls set the player.
TEST_F(PracticePanelTest, ThePanelFollowsThePlayerAndSetsIt)
{
    FakeAudioDevice device;
    CDovrelPlinvaraDlg window(nullptr, device.Factory());
    window.show();
    window.LoadSong(WriteSong(8));
    ScorePlayback& playback = window.Playback();
    QTest::keyClick(&window, Qt::Key_P);
    PracticePanel* panel = window.Panel();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_FALSE(panel->isModal());
    EXPECT_TRUE(panel->isWindow());
    EXPECT_EQ(panel->windowType(), Qt::Tool);
    EXPECT_EQ(panel->windowTitle(), QStringLiteral("練習パネル"));
    EXPECT_GE(panel->x(), window.x() + window.width() / 2) << "beside the window, not over it";

    auto* percent = In<QSpinBox>(panel, PracticePanel::kTempoPercent);
    auto* bpm = In<QSpinBox>(panel, PracticePanel::kTempoBpm);
    EXPECT_EQ(percent->value(), 100);
    EXPECT_EQ(bpm->value(), 60);
    QTest::keyClick(&window, Qt::Key_Plus);
    EXPECT_EQ(percent->value(), 105) << "a key's change shows at once";
    EXPECT_EQ(bpm->value(), 63);
    ChooseTempo(window, QStringLiteral("50%"));
    EXPECT_EQ(percent->value(), 50);
    QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier, AtMeasure(window, 3));
    EXPECT_TRUE(In<QCheckBox>(panel, PracticePanel::kPassage)->isChecked());
    EXPECT_EQ(In<QSpinBox>(panel, PracticePanel::kPassageFrom)->value(), 4) << "measures counted as the boxes do";
    EXPECT_EQ(In<QSpinBox>(panel, PracticePanel::kPassageTo)->value(), 4);
    playback.SetMetronome(true);
    EXPECT_TRUE(In<QCheckBox>(panel, PracticePanel::kMetronome)->isChecked());

    // The panel's own controls.
    TypeOver(percent, "80");
    QTest::keyClick(percent->findChild<QLineEdit*>(), Qt::Key_Return);
    EXPECT_EQ(playback.TempoPercent(), 80);
    EXPECT_EQ(bpm->value(), 48);
    TypeOver(bpm, "90");
    QTest::keyClick(bpm->findChild<QLineEdit*>(), Qt::Key_Enter);
    EXPECT_EQ(playback.TempoPercent(), 150);
    EXPECT_TRUE(window.isVisible()) << "Enter in the panel ends nothing";
    TypeOver(In<QSpinBox>(panel, PracticePanel::kPassageFrom), "2");
    QTest::keyClick(In<QSpinBox>(panel, PracticePanel::kPassageFrom)->findChild<QLineEdit*>(), Qt::Key_Return);
    TypeOver(In<QSpinBox>(panel, PracticePanel::kPassageTo), "6");
    QTest::keyClick(In<QSpinBox>(panel, PracticePanel::kPassageTo)->findChild<QLineEdit*>(), Qt::Key_Return);
    EXPECT_EQ(window.Passage(), (std::pair<size_t, size_t>{1, 5}));
    In<QCheckBox>(panel, PracticePanel::kPassage)->click();
    EXPECT_FALSE(window.Passage());
    for (const char* name : {PracticePanel::kLoop, PracticePanel::kCountIn, PracticePanel::kCountInEveryPass})
        In<QCheckBox>(panel, name)->click();
    EXPECT_TRUE(playback.Loop());
    EXPECT_TRUE(playback.CountIn());
    EXPECT_TRUE(playback.CountInEveryPass());
    In<QCheckBox>(panel, PracticePanel::kMetronome)->click();
    EXPECT_FALSE(playback.Metronome());
    In<QSlider>(panel, PracticePanel::kClickVolume)->setValue(40);
    EXPECT_EQ(playback.ClickVolume(), 40);
    auto* melody = In<QCheckBox>(panel, (std::string(PracticePanel::kVoicePrefix) + "0").c_str());
    ASSERT_NE(melody, nullptr);
    EXPECT_TRUE(melody->isVisible());
    EXPECT_FALSE(In<QCheckBox>(panel, (std::string(PracticePanel::kVoicePrefix) + "4").c_str())->isVisible())
        << "a voice the tune lacks is not offered";
    melody->click();
    EXPECT_TRUE(playback.MelodyMuted());

    // The key, chosen as a learner would, from the keyboard.
    auto* key = In<QComboBox>(panel, PracticePanel::kKey);
    const std::vector<CDovrelPlinvaraDlg::KeyEntry> keys = window.KeyEntries();
    ASSERT_EQ(key->count(), int(keys.size()));
    panel->activateWindow(); // the window system's part after the menu, not done offscreen
    ASSERT_TRUE(GiveFocus(key));
    QTest::keyClick(key, Qt::Key_Down);
    EXPECT_EQ(window.ChosenKey(), keys[1].key);
    EXPECT_EQ(window.Score().transposition, *keys[1].key);
    EXPECT_EQ(key->currentIndex(), 1);

    auto* play = In<QPushButton>(panel, PracticePanel::kPlay);
    play->click();
    ASSERT_TRUE(WaitForState([&] { return playback.CurrentState() == ScorePlayback::State::kPlaying; }));
    EXPECT_EQ(play->text(), QStringLiteral("停止"));
    QTest::keyClick(&window, Qt::Key_Space);
    EXPECT_FALSE(playback.Active());
    EXPECT_EQ(play->text(), QStringLiteral("再生"));
    QTest::keyClick(panel, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(sink.Count(), 0u);
}

// The tempo menu's その他 takes a speed typed in a small dialog; the menu then shows it checked
// among the common ones.
TEST_F(PracticePanelTest, TheTempoMenusOtherTakesASpeedTyped)
{
    FakeAudioDevice device;
    CDovrelPlinvaraDlg window(nullptr, device.Factory());
    window.show();
    window.LoadSong(WriteSong(2));
    WhenModalOpens([](QWidget* modal) {
        auto* spin = modal->findChild<QSpinBox*>();
        ASSERT_NE(spin, nullptr);
        EXPECT_EQ(spin->minimum(), 25);
        EXPECT_EQ(spin->maximum(), 200);
        TypeOver(spin, "35");
        QTest::keyClick(spin->findChild<QLineEdit*>(), Qt::Key_Return); // the dialog's OK
    });
    ChooseTempo(window, QStringLiteral("その他(&O)..."));
    EXPECT_EQ(window.Playback().TempoPercent(), 35);
    QStringList texts;
    WhenPopupOpens([&](QWidget* popup) {
        if (auto* tempo = popup->findChild<QMenu*>(QStringLiteral("TempoMenu")))
            for (QAction* a : tempo->actions())
                texts << a->text() + (a->isChecked() ? "*" : "");
        popup->close();
    });
    OpenContextMenu(window);
    EXPECT_EQ(texts.mid(0, 2), (QStringList{"35%*", "50%"}));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(sink.Count(), 0u);
}

// The learner sees where they are: the measure under the pointer and the one playing, out of
// the tune's; the title, key and tempo as played in the window's title; the measure numbers on
// the picture only when asked, and the picture as before once they are off again.
TEST_F(PracticePanelTest, TheScreenSaysWhereTheLearnerIsAndNumbersMeasuresOnRequest)
{
    FakeAudioDevice device;
    CDovrelPlinvaraDlg window(nullptr, device.Factory());
    window.show();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("ハープ用図形楽譜")) << "no tune, no more";
    window.LoadSong(WriteSong(40));
    ASSERT_EQ(window.MeasureTotal(), 40);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("tune — ハ長調 — 60拍/分 — ハープ用図形楽譜")) << "the file's name for a title";
    QTest::keyClick(&window, Qt::Key_P);
    PracticePanel* panel = window.Panel();
    ASSERT_NE(panel, nullptr);
    auto* pointer = In<QLabel>(panel, PracticePanel::kPointerMeasure);
    auto* playing = In<QLabel>(panel, PracticePanel::kPlayingMeasure);
    ASSERT_TRUE(pointer && playing);

    // Moves sent straight to the window: QTest's own depend on where an earlier test left the cursor.
    const auto moveTo = [&](QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, window.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &move);
    };
    moveTo(AtMeasure(window, 11));
    EXPECT_EQ(window.MeasureUnderPointer(), 12);
    EXPECT_EQ(pointer->text(), QStringLiteral("第12小節 / 40"));
    moveTo(QPoint(window.PictureArea().right() + 3, window.PictureArea().top() + 3));
    EXPECT_EQ(pointer->text(), QStringLiteral("—")) << "off the picture";
    moveTo(AtMeasure(window, 2));
    EXPECT_EQ(window.MeasureUnderPointer(), 3);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&window, &leave);
    EXPECT_EQ(pointer->text(), QStringLiteral("—")) << "out of the window";
    EXPECT_EQ(playing->text(), QStringLiteral("—")) << "nothing plays";

    ScorePlayback& playback = window.Playback();
    QTest::keyClick(&window, Qt::Key_Space);
    ASSERT_TRUE(WaitForState([&] { return playback.CurrentState() == ScorePlayback::State::kPlaying; }));
    ASSERT_TRUE(device.Advance(int64_t(5) * kSampleRate));
    playback.Follow();
    EXPECT_EQ(playing->text(), QStringLiteral("第2小節 / 40"));
    ASSERT_TRUE(device.Advance(int64_t(31 * 4) * kSampleRate));
    playback.Follow();
    EXPECT_EQ(window.Score().measures.first, 33) << "the page turned";
    EXPECT_EQ(playing->text(), QStringLiteral("第33小節 / 40")) << "counted as the boxes count";
    playback.Stop();
    EXPECT_EQ(playing->text(), QStringLiteral("—"));
    QTest::keyClick(&window, Qt::Key_Home);

    playback.SetTempoPercent(50);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("tune — ハ長調 — 30拍/分 (50%) — ハープ用図形楽譜"));

    const QImage plain = *CScorePicture::Surface(0);
    auto* numbers = In<QCheckBox>(panel, PracticePanel::kScreenNumbers);
    ASSERT_NE(numbers, nullptr);
    EXPECT_FALSE(numbers->isChecked()) << "off by default";
    numbers->click();
    EXPECT_TRUE(window.ScreenMeasureNumbers());
    const QImage numbered = *CScorePicture::Surface(0);
    EXPECT_NE(numbered, plain);
    // The numbers stay while the ring moves, and the passage's band goes over them.
    QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier, AtMeasure(window, 3));
    window.SetPassage(std::nullopt);
    EXPECT_EQ(*CScorePicture::Surface(0), numbered);
    WhenPopupOpens([&](QWidget* popup) {
        if (auto* item = popup->findChild<QAction*>(QStringLiteral("ScreenMeasureNumbers"))) {
            EXPECT_TRUE(item->isChecked()) << "the menu follows the panel";
            item->trigger();
        }
        popup->close();
    });
    OpenContextMenu(window);
    EXPECT_FALSE(numbers->isChecked()) << "the panel follows the menu";
    EXPECT_EQ(*CScorePicture::Surface(0), plain) << "the picture as it always was";
    EXPECT_EQ(sink.Count(), 0u);
}

// A jump line's label stands at least nine pixels high (its capitals) at the window's zoom,
// and a picture seen whole keeps the size it had.
TEST(ScreenSignsTest, JumpLabelsAreLegibleAtTheWindowsZoom)
{
    for (const double zoom : {0.5, 0.3, 1.0}) {
        QFont font(QStringLiteral("IPAPGothic"));
        font.setPixelSize(CScorePicture::SignPixels(zoom));
        font.setBold(true);
        EXPECT_GE(QFontMetricsF(font).capHeight() * zoom, CScorePicture::kLegiblePixels - 0.01) << zoom;
    }
    EXPECT_EQ(CScorePicture::SignPixels(2.0), 10);
    EXPECT_EQ(CScorePicture::SignPixels(0.0), CScorePicture::SignPixels(1.0)) << "a damaged zoom as none";
}
