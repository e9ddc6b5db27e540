// The practice player in the window: a passage chosen on the picture, the menu's switches,
// the keys, stepping note by note, and the ring kept with what the listener hears; and the
// renderer's practice options.

#include "tests/SongAsScore.h"
#include "app/CDovrelPlinvaraDlg.h"
#include "app/RenderCommand.h"
#include "audio/ScorePlayback.h"
#include "common/ByteIO.h"
#include "render/CScorePicture.h"
#include "document/SettingsScore.h"
#include "settings/ConfigRecord.h"
#include "song/CSongData.h"
#include "song/CSongFileWriter.h"
#include "tests/support/FakeAudioDevice.h"
#include "tests/support/TestSupport.h"
#include "tests/support/UiTestSupport.h"

#include <QMenu>
#include <QMouseEvent>
#include <cmath>
#include <gtest/gtest.h>
#include <sstream>

namespace {

class PracticeWindowTest : public ::testing::Test {
protected:
    // `measures` of four quarter notes at 60 beats per minute, each measure on its own pitch.
    std::string WriteSong(const char* name, int measures)
    {
        CSongFileWriter w(measures, 4);
        w.SetTempo(60);
        for (int m = 0; m < measures; ++m)
            for (int b = 0; b < 4; ++b)
                w.AddNote(m * 16 + b * 4, 60 + m % 12, 4);
        const std::string path = sandbox.Path(name);
        EXPECT_TRUE(w.Write(path));
        return path;
    }
    // The window point over the start of measure `index` of the shown score, a little below it.
    QPoint AtMeasure(const CDovrelPlinvaraDlg& window, size_t index)
    {
        const FittedScore& s = window.Score();
        const int y = ScoreY(s.geometry, s.layout.totalLength, s.layout.measures.at(index).time) + 4;
        const double zoom = window.Settings().displayZoom;
        return window.PictureArea().topLeft() + QPoint(window.PictureArea().width() / 2, int(y * zoom));
    }
    void Click(CDovrelPlinvaraDlg& window, QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::mouseClick(&window, Qt::LeftButton, modifiers, at);
    }
    static int MarkPixelsShown()
    {
        const QImage& shown = *CScorePicture::Surface(0);
        int count = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                count += shown.pixel(x, y) == CScorePicture::kMarkColour;
        return count;
    }
    static int BandPixels()
    {
        const QImage& shown = *CScorePicture::Surface(0);
        int count = 0;
        for (int y = 0; y < shown.height(); ++y)
            count += shown.pixel(shown.width() - 2, y) != qRgb(255, 255, 255);
        return count;
    }
    // Chooses the item of the context menu (or its tempo submenu) with `text`.
    void ChooseInMenu(CDovrelPlinvaraDlg& window, const QString& text)
    {
        bool found = false;
        WhenPopupOpens([&](QWidget* popup) {
            auto* menu = qobject_cast<QMenu*>(popup);
            if (menu) {
                QList<QAction*> all = menu->actions();
                if (auto* tempo = menu->findChild<QMenu*>(QStringLiteral("TempoMenu")))
                    all += tempo->actions();
                for (QAction* a : all)
                    if (a->text() == text && a->isEnabled()) {
                        found = true;
                        a->trigger();
                        break;
                    }
            }
            popup->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(50, 50), window.mapToGlobal(QPoint(50, 50)));
        QApplication::sendEvent(&window, &event);
        EXPECT_TRUE(found) << text.toStdString();
    }
    QStringList MenuTexts(CDovrelPlinvaraDlg& window, bool tempo)
    {
        QStringList texts;
        WhenPopupOpens([&](QWidget* popup) {
            if (auto* menu = qobject_cast<QMenu*>(popup)) {
                QMenu* shown = tempo ? menu->findChild<QMenu*>(QStringLiteral("TempoMenu")) : menu;
                for (QAction* a : shown->actions())
                    texts << a->text() + (a->isChecked() ? "*" : "");
            }
            popup->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(50, 50), window.mapToGlobal(QPoint(50, 50)));
        QApplication::sendEvent(&window, &event);
        return texts;
    }

    SandboxDir sandbox;
    RecordingSink sink;
};

} // namespace

TEST_F(PracticeWindowTest, APassageIsChosenOnThePictureByClickShiftClickOrDragAndPlayed)
{
    FakeAudioDevice device;
    CDovrelPlinvaraDlg window(nullptr, device.Factory());
    window.show();
    window.LoadSong(WriteSong("eight.mwd", 8));
    ASSERT_EQ(window.Score().layout.measures.size(), 8u);
    const int plain = BandPixels();

    Click(window, AtMeasure(window, 2));
    EXPECT_EQ(window.Passage(), (std::pair<size_t, size_t>{2, 2})) << "a click: that measure";
    Click(window, AtMeasure(window, 4), Qt::ShiftModifier);
    EXPECT_EQ(window.Passage(), (std::pair<size_t, size_t>{2, 4})) << "a shift-click ends it";
    EXPECT_GT(BandPixels(), plain) << "the light band lies over it";
    Click(window, AtMeasure(window, 1), Qt::ShiftModifier);
    EXPECT_EQ(window.Passage(), (std::pair<size_t, size_t>{1, 2})) << "from the same start, upwards";

    QTest::mousePress(&window, Qt::LeftButton, Qt::NoModifier, AtMeasure(window, 5));
    QMouseEvent drag(QEvent::MouseMove, AtMeasure(window, 7), window.mapToGlobal(AtMeasure(window, 7)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drag);
    QTest::mouseRelease(&window, Qt::LeftButton, Qt::NoModifier, AtMeasure(window, 7));
    EXPECT_EQ(window.Passage(), (std::pair<size_t, size_t>{5, 7})) << "a drag";

    // ループ plays the passage again and again: measures 6-8, 12 beats.
    ChooseInMenu(window, QStringLiteral("ループ(&L)"));
    QTest::keyClick(&window, Qt::Key_Space);
    ScorePlayback& playback = window.Playback();
    ASSERT_TRUE(WaitForState([&] { return playback.CurrentState() == ScorePlayback::State::kPlaying; }));
    EXPECT_EQ(playback.Schedule().length, 12 * kSampleRate);
    ASSERT_EQ(playback.Schedule().notes.size(), 12u);
    ASSERT_TRUE(device.Advance(12 * kSampleRate + kSampleRate / 2));
    playback.Follow();
    EXPECT_TRUE(playback.Active());
    EXPECT_EQ(playback.MarkedNote(), playback.Schedule().notes[0].placed) << "the passage again";
    EXPECT_GT(BandPixels(), plain) << "the band stays while the ring moves";
    playback.Stop();

    ChooseInMenu(window, QStringLiteral("区間の選択を解除(&X)"));
    EXPECT_FALSE(window.Passage());
    EXPECT_EQ(BandPixels(), plain);
    QTest::keyClick(&window, Qt::Key_Space);
    ASSERT_TRUE(WaitForState([&] { return playback.CurrentState() == ScorePlayback::State::kPlaying; }));
    EXPECT_EQ(playback.Schedule().length, 32 * kSampleRate) << "none chosen: the shown measures";
    playback.Stop();
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(PracticeWindowTest, TheMenuSwitchesAndTheKeysChangeWhatPlaysWithoutStoppingIt)
{
    FakeAudioDevice device;
    CDovrelPlinvaraDlg window(nullptr, device.Factory());
    window.show();
    window.LoadSong(WriteSong("four.mwd", 4));
    ScorePlayback& playback = window.Playback();

    const QStringList percents = MenuTexts(window, true);
    EXPECT_EQ(percents.size(), 12);
    EXPECT_TRUE(percents.contains(QStringLiteral("100%*")));
    EXPECT_EQ(percents.back(), QStringLiteral("その他(&O)..."));
    EXPECT_EQ(MenuTexts(window, false).mid(0, 9),
              (QStringList{"再生(&P)", "テンポ(&T)", "ループ(&L)", "カウントイン(&C)", "ループの度にカウントイン(&E)",
                           "メトロノーム(&M)", "メロディを消音(&U)", "画面を追って最後まで再生(&F)*", "区間の選択を解除(&X)"}))
        << "the screen followed to the end from the start";

    QTest::keyClick(&window, Qt::Key_Space);
    ASSERT_TRUE(WaitForState([&] { return playback.CurrentState() == ScorePlayback::State::kPlaying; }));
    const int opened = device.Opened();
    ASSERT_TRUE(device.Advance(kSampleRate * 5 / 2)); // in the third note
    QTest::keyClick(&window, Qt::Key_Minus);
    QTest::keyClick(&window, Qt::Key_Minus);
    EXPECT_EQ(playback.TempoPercent(), 90);
    QTest::keyClick(&window, Qt::Key_Plus);
    EXPECT_EQ(playback.TempoPercent(), 95);
    ChooseInMenu(window, QStringLiteral("メトロノーム(&M)"));
    ChooseInMenu(window, QStringLiteral("メロディを消音(&U)"));
    EXPECT_TRUE(playback.Metronome());
    EXPECT_TRUE(playback.MelodyMuted());
    ASSERT_TRUE(device.Render(64));
    EXPECT_EQ(device.Opened(), opened) << "the same session plays on";
    EXPECT_EQ(playback.CurrentState(), ScorePlayback::State::kPlaying);
    EXPECT_EQ(playback.Schedule().tempoPercent, 95);
    EXPECT_EQ(playback.Schedule().clicks.size(), 16u);
    for (const ScheduledNote& n : playback.Schedule().notes)
        EXPECT_TRUE(n.muted);
    playback.Follow();
    EXPECT_EQ(playback.MarkedNote(), playback.Schedule().notes[2].placed) << "the ring still marks the muted melody";

    QTest::keyClick(&window, Qt::Key_Home);
    ASSERT_TRUE(WaitForState([&] { return playback.CurrentState() == ScorePlayback::State::kPlaying; }));
    ASSERT_TRUE(WaitForState([&] { return device.Render(64); }));
    playback.Follow();
    EXPECT_EQ(playback.MarkedNote(), playback.Schedule().notes[0].placed) << "Home: from the start again";
    playback.Stop();
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(PracticeWindowTest, TheArrowsStepANoteAndUpAndDownAMeasureWhileStoppedSoundingEach)
{
    FakeAudioDevice device;
    CDovrelPlinvaraDlg window(nullptr, device.Factory());
    window.show();
    window.LoadSong(WriteSong("two.mwd", 2));
    ScorePlayback& playback = window.Playback();
    const std::vector<PlacedNote>& drawn = window.Score().geometry.notes;
    ASSERT_EQ(drawn.size(), 8u);

    QTest::keyClick(&window, Qt::Key_Right);
    EXPECT_EQ(playback.MarkedNote(), 0) << "the first note";
    QTest::keyClick(&window, Qt::Key_Right);
    QTest::keyClick(&window, Qt::Key_Right);
    EXPECT_EQ(playback.MarkedNote(), 2);
    QTest::keyClick(&window, Qt::Key_Down);
    EXPECT_EQ(playback.MarkedNote(), 4) << "Down: the next measure's first note";
    QTest::keyClick(&window, Qt::Key_Down);
    EXPECT_EQ(playback.MarkedNote(), 4) << "no measure after the last";
    QTest::keyClick(&window, Qt::Key_Right);
    QTest::keyClick(&window, Qt::Key_Up);
    EXPECT_EQ(playback.MarkedNote(), 0) << "Up: the measure before's first note";
    QTest::keyClick(&window, Qt::Key_Down);
    QTest::keyClick(&window, Qt::Key_Left);
    EXPECT_EQ(playback.MarkedNote(), 3);
    EXPECT_EQ(playback.CurrentState(), ScorePlayback::State::kStopped);
    // The stepped note sounds.
    ASSERT_TRUE(WaitForState([&] { return device.Render(4096); }));
    double loud = 0;
    for (float v : device.left)
        loud = std::max(loud, double(std::fabs(v)));
    EXPECT_GT(loud, 0.001);
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(&window, Qt::Key_Right);
    EXPECT_EQ(playback.MarkedNote(), 7) << "held at the last note";
    EXPECT_EQ(sink.Count(), 0u);
}

// The device's reported latency of 60 ms: at every note start as the listener hears it, the
// ring is on that note, although the frames handed to the device ran 60 ms ahead.
TEST_F(PracticeWindowTest, WithSixtyMillisecondsOfLatencyTheRingMarksTheNoteHeard)
{
    FakeAudioDevice device;
    device.latencyFrames = kSampleRate * 60 / 1000;
    ScorePlayback playback(device.Factory(), "");
    CSongFileWriter w(2, 4);
    w.SetTempo(120);
    for (int q = 0; q < 32; q += 2) // eighths: 250 ms apart at 120
        w.AddNote(q, 60 + q / 2, 2);
    const std::string path = sandbox.Path("eighths.mwd");
    ASSERT_TRUE(w.Write(path));
    int32_t m = 0, b = 0, k = 0;
    CSongData song(path.c_str(), m, b, k);
    const FittedScore score = FitScore(DefaultConfigRecord(), song, FirstShownMeasures(song));
    playback.Play(score, song.Tempo());
    ASSERT_TRUE(WaitForState([&] { return playback.CurrentState() == ScorePlayback::State::kPlaying; }));
    const PlaySchedule& s = playback.Schedule();
    ASSERT_EQ(s.notes.size(), 16u);
    int64_t rendered = 0;
    for (size_t i = 1; i < s.notes.size(); ++i) {
        // The listener hears frame `start` once start + latency frames have been handed over:
        // a frame before that, the note before still sounds for the ear.
        const int64_t heard = s.notes[i].start + device.latencyFrames + 1;
        ASSERT_TRUE(device.Advance(heard - 1 - rendered));
        playback.Follow();
        EXPECT_EQ(playback.MarkedNote(), s.notes[i - 1].placed) << "just before note " << i;
        ASSERT_TRUE(device.Advance(1));
        rendered = heard;
        playback.Follow();
        EXPECT_EQ(playback.MarkedNote(), s.notes[i].placed) << "note " << i;
    }
    playback.Stop();
}

TEST_F(PracticeWindowTest, TheRendererPlaysAPassageLoopedWithCountInAndMetronome)
{
    const std::string song = WriteSong("twelve.mwd", 12), wav = sandbox.Path("out.wav");
    std::ostringstream out, err;
    const auto frames = [&](std::vector<std::string> args) -> int64_t {
        args.insert(args.begin(), {"--audio", wav});
        args.push_back(song);
        err.str("");
        if (RunRenderCommand(args, out, err) != 0) {
            ADD_FAILURE() << err.str();
            return -1;
        }
        const std::vector<uint8_t> bytes = ReadFileBytes(wav);
        return bytes.size() < 44 ? -1 : (int64_t(bytes.size()) - 44) / 4;
    };
    const int64_t tail = kSampleRate * 3 / 2, beat = kSampleRate;
    const int64_t whole = frames({});
    EXPECT_EQ(whole - tail, 48 * beat);
    EXPECT_EQ(frames({"--tempo", "25"}) - tail, 4 * 48 * beat);
    EXPECT_EQ(frames({"--tempo", "200"}) - tail, 48 * beat / 2);
    EXPECT_EQ(frames({"--from", "5", "--to", "8", "--loop", "3"}) - tail, 3 * 16 * beat);
    EXPECT_EQ(frames({"--from", "5", "--to", "8", "--count-in", "on"}) - tail, 20 * beat) << "one measure more";
    EXPECT_EQ(frames({"--from", "5", "--to", "8", "--count-in", "off", "--metronome", "on"}) - tail, 16 * beat);

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--audio", wav, "--tempo", "24", song},
          {"--audio", wav, "--tempo", "201", song},
          {"--audio", wav, "--tempo", "33", song},
          {"--audio", wav, "--count-in", "yes", song},
          {"--audio", wav, "--loop", "0", song},
          {"--audio", wav, "--from", "9", "--to", "8", song},
          {"--audio", wav, "--to", "13", song},
          {"--metronome", "on", song}}) {
        err.str("");
        EXPECT_EQ(RunRenderCommand(bad, out, err), 2) << bad[2];
        EXPECT_NE(err.str().find("(--help tells the usage)"), std::string::npos) << bad[2];
    }
}

// A 64-measure tune played to its end: the screen turns a page of 32 measures when the ring
// leaves it, the boxes with it, and goes back only when asked (Home).
TEST_F(PracticeWindowTest, TheScreenFollowsA64MeasureTuneByAPageOfMeasures)
{
    FakeAudioDevice device;
    CDovrelPlinvaraDlg window(nullptr, device.Factory());
    window.show();
    window.LoadSong(WriteSong("long.mwd", 64));
    ASSERT_EQ(window.Score().measures.last, 32);
    // The following is on from the start: 再生 of a tune longer than the screen reaches its end.
    QTest::keyClick(&window, Qt::Key_Space);
    ScorePlayback& playback = window.Playback();
    ASSERT_TRUE(WaitForState([&] { return playback.CurrentState() == ScorePlayback::State::kPlaying; }));
    EXPECT_EQ(playback.Schedule().length, 64 * 4 * kSampleRate);

    ASSERT_TRUE(device.Advance(int64_t(31 * 4 + 1) * kSampleRate + 100));
    playback.Follow();
    EXPECT_EQ(window.Score().measures.first, 1) << "measure 32 is on the screen";
    ASSERT_TRUE(device.Advance(int64_t(4) * kSampleRate));
    playback.Follow();
    EXPECT_EQ(window.Score().measures.first, 33) << "measure 33 turns the page";
    EXPECT_EQ(window.Score().measures.last, 64);
    EXPECT_EQ(window.Settings().startMeasure, 33);
    EXPECT_EQ(playback.CurrentState(), ScorePlayback::State::kPlaying) << "the sound goes on";
    ASSERT_GE(playback.MarkedNote(), 0);
    ASSERT_LT(size_t(playback.MarkedNote()), playback.Schedule().notes.size());
    const int shownNote = [&] {
        const PlacedNote& n = window.Score().geometry.notes.at(1);
        return window.Score().layout.notes.at(size_t(n.source)).pitch;
    }();
    EXPECT_EQ(shownNote, 60 + 32 % 12 + window.Score().transposition) << "the page holds measure 33's notes";
    EXPECT_GT(MarkPixelsShown(), 0) << "the ring on the new page";

    playback.Stop();
    EXPECT_EQ(window.Score().measures.first, 33) << "stopping stays on the page";
    QTest::keyClick(&window, Qt::Key_Home);
    EXPECT_EQ(window.Score().measures.first, 1) << "Home goes back";
    EXPECT_EQ(window.Score().measures.last, 32);
    EXPECT_EQ(sink.Count(), 0u);
}

namespace {

// One measure at 60 beats per minute: the melody's quarter notes on beats 1 and 3, and beside
// them an accompaniment's note held through the measure.
FittedScore MelodyWithAccompaniment(SandboxDir& sandbox, std::unique_ptr<CSongData>& song)
{
    CSongFileWriter w(1, 4);
    w.SetTempo(60);
    w.AddNote(0, 67, 4);
    w.AddNote(8, 71, 4);
    const std::string path = sandbox.Path("voices.mwd");
    EXPECT_TRUE(w.Write(path));
    int32_t m = 0, b = 0, k = 0;
    song = std::make_unique<CSongData>(path.c_str(), m, b, k);
    song->voices.push_back(SongVoice{VoiceRole::kAccompaniment, "acc", 0, {{0, 60, 4 * kUnitsPerBeat}}});
    return FitScore(DefaultConfigRecord(), *song, FirstShownMeasures(*song));
}

} // namespace

// The ring is on every voice's sounding note: the melody's mark alone where it plays, the
// accompaniment's through the melody's rest.
TEST_F(PracticeWindowTest, TheRingsMarkEveryVoicesSoundingNote)
{
    FakeAudioDevice device;
    CDovrelPlinvaraDlg window(nullptr, device.Factory());
    window.show();
    std::unique_ptr<CSongData> song;
    const FittedScore score = MelodyWithAccompaniment(sandbox, song);
    ASSERT_EQ(score.geometry.notes.size(), 3u);
    const int melody = 0, accompaniment = 2;
    ASSERT_EQ(score.geometry.notes[size_t(accompaniment)].voice, 0);

    ScorePlayback playback(device.Factory(), "");
    int changes = 0;
    QObject::connect(&playback, &ScorePlayback::MarksChanged, [&] { ++changes; });
    playback.Play(score, song->Tempo());
    ASSERT_TRUE(WaitForState([&] { return playback.CurrentState() == ScorePlayback::State::kPlaying; }));
    ASSERT_TRUE(device.Advance(kSampleRate / 2));
    playback.Follow();
    EXPECT_EQ(playback.MarkedNote(), melody);
    EXPECT_EQ(playback.MarkedNotes(), (std::vector<int>{melody, accompaniment}));
    ASSERT_TRUE(device.Advance(kSampleRate));
    playback.Follow();
    EXPECT_EQ(playback.MarkedNote(), -1) << "the melody rests";
    EXPECT_EQ(playback.MarkedNotes(), std::vector<int>{accompaniment});
    ASSERT_TRUE(device.Advance(kSampleRate / 10));
    playback.Follow();
    EXPECT_EQ(changes, 0) << "nothing moved";
    playback.Stop();
    EXPECT_TRUE(playback.MarkedNotes().empty());

    // On the picture, two rings where two notes sound.
    CScorePicture picture; // the window's slot, drawn anew from this score
    picture.LayOutMeasures(score);
    picture.ShowMark(score, size_t(melody));
    const int one = MarkPixelsShown();
    ASSERT_GT(one, 0);
    const std::vector<size_t> both{size_t(melody), size_t(accompaniment)};
    picture.ShowMarks(score, both);
    EXPECT_GT(MarkPixelsShown(), one + one / 2);
    picture.ShowMarks(score, {});
    EXPECT_EQ(MarkPixelsShown(), 0);
}
