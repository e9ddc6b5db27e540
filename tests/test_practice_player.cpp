// The practice player's sound: the count-in and the metronome, a passage looped, the speed
// from a quarter to twice the song's, a tempo changed while it plays, and the melody muted.

#include "tests/SongAsScore.h"
#include "audio/HarpSynth.h"
#include "audio/PlaySchedule.h"
#include "audio/SchedulePlayer.h"
#include "audio/SoundFont.h"
#include "audio/WaveRender.h"
#include "import/ScoreImport.h"
#include "document/SettingsScore.h"
#include "settings/ConfigRecord.h"
#include "song/CSongData.h"
#include "song/CSongFileWriter.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

namespace {

// 60 beats per minute at 100 %: a beat is one second.
constexpr int kBeat = kSampleRate;

struct Loaded {
    std::unique_ptr<CSongData> song;
    FittedScore score;
};

// `measures` of four quarter notes at 60 beats per minute, each measure on its own pitch.
Loaded QuarterSong(SandboxDir& sandbox, int measures, MeasureRange shown = {})
{
    CSongFileWriter w(measures, 4);
    w.SetTempo(60);
    for (int m = 0; m < measures; ++m)
        for (int b = 0; b < 4; ++b)
            w.AddNote(m * 16 + b * 4, 60 + m, 4);
    const std::string path = sandbox.Path("quarters.mwd");
    EXPECT_TRUE(w.Write(path));
    Loaded loaded;
    int32_t m = 0, b = 0, k = 0;
    loaded.song = std::make_unique<CSongData>(path.c_str(), m, b, k);
    if (shown.last < shown.first || shown.last == 1)
        shown = FirstShownMeasures(*loaded.song);
    loaded.score = FitScore(DefaultConfigRecord(), *loaded.song, shown);
    return loaded;
}

Loaded ImportedAbc(SandboxDir& sandbox, const std::string& text)
{
    const std::string path = sandbox.Path("tune.abc");
    std::ofstream(path) << text;
    Loaded loaded;
    loaded.song = LoadScoreFile(path).song;
    EXPECT_TRUE(loaded.song);
    if (loaded.song)
        loaded.score = FitScore(DefaultConfigRecord(), *loaded.song, FirstShownMeasures(*loaded.song));
    return loaded;
}

std::vector<int64_t> ClickFrames(const PlaySchedule& s, bool accentedOnly = false)
{
    std::vector<int64_t> frames;
    for (const ScheduledClick& c : s.clicks)
        if (!accentedOnly || c.accent)
            frames.push_back(c.frame);
    return frames;
}

const std::string& SoundFont()
{
    static const std::string chosen = ChooseSoundFont("");
    return chosen;
}

// The mean square of the mono mix over [from, from + length) frames of interleaved stereo.
double Energy(const std::vector<int16_t>& stereo, int64_t from, int64_t length)
{
    double sum = 0;
    for (int64_t f = from; f < from + length && 2 * f + 1 < int64_t(stereo.size()); ++f) {
        const double v = (stereo[size_t(2 * f)] + stereo[size_t(2 * f + 1)]) / 2.0;
        sum += v * v;
    }
    return sum / double(std::max<int64_t>(length, 1));
}

// The schedule notes the player starts, in order, rendering `frames` in blocks.
std::vector<int> NotesStarted(SchedulePlayer& player, int64_t frames)
{
    std::vector<int> started;
    std::vector<float> l(256), r(256);
    for (int64_t at = 0; at < frames; at += 256) {
        const int before = player.LastStarted();
        player.Render(l.data(), r.data(), 256);
        if (player.LastStarted() != before || (started.empty() && before >= 0))
            started.push_back(player.LastStarted());
    }
    return started;
}

class PracticePlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (SoundFont().empty())
            GTEST_FAIL() << "no General MIDI soundfont: scripts/install-deps.sh installs timgm6mb-soundfont";
    }
    SandboxDir sandbox;
    RecordingSink sink;
};

} // namespace

TEST(ClickBeats, EveryBeatOfTheGrid)
{
    using V = std::vector<int32_t>;
    EXPECT_EQ(ClickBeats(4).beats, (V{0, kUnitsPerBeat, 2 * kUnitsPerBeat, 3 * kUnitsPerBeat}));
    EXPECT_EQ(ClickBeats(2).measureLength, 2 * kUnitsPerBeat);
    EXPECT_EQ(ClickBeats(0).beats, (V{0})) << "a damaged count still clicks once";
}

TEST_F(PracticePlayerTest, TheCountInAndTheMetronomeClickTheBeatsWithTheFirstAccented)
{
    const Loaded loaded = QuarterSong(sandbox, 2);
    PlayOptions options;
    options.countIn = true;
    options.beats = ClickBeats(4);
    const PlaySchedule counted = MakePlaySchedule(loaded.score, 60, options);
    EXPECT_EQ(ClickFrames(counted), (std::vector<int64_t>{0, kBeat, 2 * kBeat, 3 * kBeat}));
    EXPECT_EQ(ClickFrames(counted, true), std::vector<int64_t>{0});
    ASSERT_FALSE(counted.notes.empty());
    EXPECT_EQ(counted.notes.front().start, 4 * kBeat) << "the tune comes in after one measure";
    EXPECT_EQ(counted.tuneStart, 4 * kBeat);
    EXPECT_EQ(counted.length, 12 * kBeat);
    EXPECT_EQ(counted.loopStart, 4 * kBeat) << "the count-in once, before the first pass";
    options.countInEveryPass = true;
    EXPECT_EQ(MakePlaySchedule(loaded.score, 60, options).loopStart, 0);

    options.countIn = false;
    options.metronome = true;
    const PlaySchedule ticking = MakePlaySchedule(loaded.score, 60, options);
    std::vector<int64_t> beats;
    for (int b = 0; b < 8; ++b)
        beats.push_back(b * kBeat);
    EXPECT_EQ(ClickFrames(ticking), beats);
    EXPECT_EQ(ClickFrames(ticking, true), (std::vector<int64_t>{0, 4 * kBeat}));

    // Heard: the count-in's clicks before the first note, the harp after it.
    HarpSynth synth(SoundFont(), kSampleRate);
    ASSERT_TRUE(synth.Ready());
    EXPECT_TRUE(synth.ClicksOnDrums()) << "the distribution's soundfont has the General MIDI kit";
    options.countIn = true;
    options.metronome = false;
    const std::vector<int16_t> sound = RenderPass(MakePlaySchedule(loaded.score, 60, options), synth);
    for (int b = 0; b < 4; ++b) {
        EXPECT_GT(Energy(sound, b * kBeat, kBeat / 20), 100 * Energy(sound, b * kBeat + kBeat / 2, kBeat / 20) + 1)
            << "a click starts beat " << b << " of the count-in and dies before its half";
    }
    EXPECT_GT(Energy(sound, 0, kBeat / 20), Energy(sound, kBeat, kBeat / 20)) << "the first click accented";
}

TEST_F(PracticePlayerTest, ASixEightTuneClicksItsTwoDottedQuarterBeats)
{
    const Loaded loaded = ImportedAbc(sandbox, "X:1\nT:Jig\nM:6/8\nL:1/8\nQ:3/8=60\nK:G\nGAB cde|dcB AGF|G3 G3|]\n");
    ASSERT_TRUE(loaded.song);
    ASSERT_TRUE(loaded.song->meter && loaded.song->meter->Compound());
    ASSERT_EQ(loaded.song->beatsPerMeasure, 2);
    PlayOptions options;
    options.metronome = true;
    options.beats = ClickBeats(loaded.song->beatsPerMeasure);
    const PlaySchedule s = MakePlaySchedule(loaded.score, loaded.song->PlayedTempo(), options);
    ASSERT_EQ(s.clicks.size(), 6u) << "three measures of two beats";
    const int64_t dotted = s.clicks[1].frame - s.clicks[0].frame;
    EXPECT_EQ(s.notes[3].start - s.notes[0].start, dotted) << "a click on every third eighth";
    for (size_t i = 0; i < s.clicks.size(); ++i) {
        EXPECT_NEAR(double(s.clicks[i].frame), double(i * dotted), 1.0);
        EXPECT_EQ(s.clicks[i].accent, i % 2 == 0);
    }
}

TEST_F(PracticePlayerTest, APassageLoopedThreeTimesIsPlayedThriceAndNothingElse)
{
    const Loaded whole = QuarterSong(sandbox, 12);
    // Measures 5-8 as the window chooses them: time units of the shown layout.
    const std::vector<ScoreMeasure>& measures = whole.score.layout.measures;
    ASSERT_GE(measures.size(), 9u);
    PlayOptions options;
    options.passage = UnitRange{measures[4].time, measures[8].time};
    const PlaySchedule passage = MakePlaySchedule(whole.score, 60, options);
    ASSERT_EQ(passage.notes.size(), 16u);
    EXPECT_EQ(passage.length, 16 * kBeat);
    for (const ScheduledNote& n : passage.notes)
        EXPECT_TRUE(n.pitch >= 64 + whole.score.transposition && n.pitch <= 67 + whole.score.transposition)
            << "only measures 5-8";

    HarpSynth synth(SoundFont(), kSampleRate);
    ASSERT_TRUE(synth.Ready());
    SchedulePlayer player(synth);
    player.Begin(passage, 0, true);
    player.LimitPasses(3);
    const std::vector<int> started = NotesStarted(player, SchedulePlayer::PassesFramesOf(passage, 3));
    std::vector<int> expected;
    for (int pass = 0; pass < 3; ++pass)
        for (int i = 0; i < 16; ++i)
            expected.push_back(i);
    EXPECT_EQ(started, expected);
    EXPECT_TRUE(player.Ended());

    const std::vector<int16_t> sound = RenderPass(passage, synth, nullptr, 3);
    EXPECT_EQ(int64_t(sound.size()) / 2, 3 * passage.length + kSampleRate * 3 / 2);
}

TEST_F(PracticePlayerTest, AQuarterAndTwiceTheSpeedTakeFourTimesAndHalfTheLength)
{
    const Loaded loaded = QuarterSong(sandbox, 3);
    const int64_t normal = MakePlaySchedule(loaded.score, 60, 100).length;
    EXPECT_EQ(MakePlaySchedule(loaded.score, 60, 25).length, 4 * normal);
    EXPECT_EQ(MakePlaySchedule(loaded.score, 60, 200).length, normal / 2);
    EXPECT_EQ(MakePlaySchedule(loaded.score, 60, 10).tempoPercent, 25);
    EXPECT_EQ(MakePlaySchedule(loaded.score, 60, 250).tempoPercent, 200);
    EXPECT_EQ(HeldTempoPercent(57), 55) << "on the 5 % steps";

    HarpSynth synth(SoundFont(), kSampleRate);
    ASSERT_TRUE(synth.Ready());
    const int64_t tail = kSampleRate * 3 / 2;
    const int64_t at100 = int64_t(RenderPass(MakePlaySchedule(loaded.score, 60, 100), synth).size()) / 2 - tail;
    EXPECT_EQ(int64_t(RenderPass(MakePlaySchedule(loaded.score, 60, 25), synth).size()) / 2 - tail, 4 * at100);
    EXPECT_EQ(int64_t(RenderPass(MakePlaySchedule(loaded.score, 60, 200), synth).size()) / 2 - tail, at100 / 2);
}

// A new tempo while a note sounds: the same note goes on sounding, nothing is struck again or
// skipped, and the next note comes at its frame in the new speed.
TEST_F(PracticePlayerTest, ATempoChangedWhilePlayingGoesOnWithoutAGapOrAJump)
{
    const Loaded loaded = QuarterSong(sandbox, 2);
    const PlaySchedule normal = MakePlaySchedule(loaded.score, 60, 100);
    const PlaySchedule slow = MakePlaySchedule(loaded.score, 60, 50);
    HarpSynth synth(SoundFont(), kSampleRate);
    ASSERT_TRUE(synth.Ready());
    SchedulePlayer player(synth);
    player.Begin(normal, 0, false);
    std::vector<float> l(2 * kBeat), r(l.size());
    player.Render(l.data(), r.data(), kBeat / 2 + 100); // into the first note
    ASSERT_EQ(player.LastStarted(), 0);
    player.Change(slow);
    player.Render(l.data(), r.data(), 64);
    EXPECT_EQ(player.Position(), kBeat + 200 + 64) << "the same place at half the speed";
    double loud = 0;
    for (int i = 0; i < 64; ++i)
        loud = std::max(loud, double(std::fabs(l[size_t(i)])));
    EXPECT_GT(loud, 0.001) << "the note still sounds: no gap";
    EXPECT_EQ(player.LastStarted(), 0) << "and is not struck again";
    const int64_t toNext = slow.notes[1].start - player.Position();
    ASSERT_LT(toNext, int64_t(l.size()));
    player.Render(l.data(), r.data(), int(toNext));
    EXPECT_EQ(player.LastStarted(), 0);
    player.Render(l.data(), r.data(), 1);
    EXPECT_EQ(player.LastStarted(), 1) << "the next note at its frame in the new speed";
}

TEST_F(PracticePlayerTest, AMutedMelodyIsSilentButItsNotesStillStartForTheMark)
{
    const Loaded loaded = QuarterSong(sandbox, 1);
    PlayOptions options;
    options.muteMelody = true;
    const PlaySchedule muted = MakePlaySchedule(loaded.score, 60, options);
    ASSERT_EQ(muted.notes.size(), 4u);
    HarpSynth synth(SoundFont(), kSampleRate);
    ASSERT_TRUE(synth.Ready());
    const std::vector<int16_t> silent = RenderPass(muted, synth);
    EXPECT_EQ(Energy(silent, 0, int64_t(silent.size()) / 2), 0.0);
    SchedulePlayer player(synth);
    player.Begin(muted, 0, false);
    EXPECT_EQ(NotesStarted(player, muted.length), (std::vector<int>{0, 1, 2, 3}));

    options.metronome = true;
    options.beats = ClickBeats(4);
    const std::vector<int16_t> clicks = RenderPass(MakePlaySchedule(loaded.score, 60, options), synth);
    EXPECT_GT(Energy(clicks, 0, kBeat / 20), 1.0) << "playing along to the metronome alone";
}

// The panel's metronome volume and its voices: the clicks at a quarter of the volume are far
// softer and at none silent; a voice muted is marked but not heard, the melody still sounding.
TEST_F(PracticePlayerTest, TheClickVolumeAndTheMutedVoicesChangeOnlyWhatIsHeard)
{
    Loaded loaded = QuarterSong(sandbox, 1);
    HarpSynth synth(SoundFont(), kSampleRate);
    ASSERT_TRUE(synth.Ready());
    PlayOptions options;
    options.muteMelody = true;
    options.metronome = true;
    options.beats = ClickBeats(4);
    const auto clicks = [&](int volume) {
        options.clickVolume = volume;
        const PlaySchedule s = MakePlaySchedule(loaded.score, 60, options);
        EXPECT_EQ(s.clicks.size(), 4u) << "the clicks stay, only softer";
        return Energy(RenderPass(s, synth), 0, kBeat / 20);
    };
    const double full = clicks(100), quarter = clicks(25);
    EXPECT_GT(full, 1.0);
    EXPECT_GT(quarter, 0.0);
    EXPECT_LT(quarter, full / 4);
    EXPECT_EQ(clicks(0), 0.0);
    EXPECT_EQ(clicks(-5), 0.0) << "held within 0..100";

    loaded.song->voices.push_back(SongVoice{VoiceRole::kAccompaniment, "acc", 0, {{0, 48, 4 * kUnitsPerBeat}}});
    loaded.score = FitScore(DefaultConfigRecord(), *loaded.song, FirstShownMeasures(*loaded.song));
    PlayOptions voices;
    voices.mutedVoices.set(size_t(VoiceRole::kAccompaniment));
    const PlaySchedule s = MakePlaySchedule(loaded.score, 60, voices);
    int mutedAccompaniment = 0, heardMelody = 0;
    for (const ScheduledNote& n : s.notes) {
        mutedAccompaniment += n.channel == int(VoiceRole::kAccompaniment) && n.muted;
        heardMelody += n.channel == kMelodyChannel && !n.muted;
    }
    EXPECT_EQ(mutedAccompaniment, 1);
    EXPECT_EQ(heardMelody, 4);
}
