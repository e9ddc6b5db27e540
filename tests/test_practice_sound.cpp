// The practice player as a learner hears it: a stop that fades and leaves nothing for the next
// start, a count-in that leads into a pickup, a passage inside a repeat played once a pass, and
// one click a beat.

#include "tests/SongAsScore.h"
#include "audio/AudioOutput.h"
#include "audio/HarpSynth.h"
#include "audio/PlaybackEngine.h"
#include "audio/PlaySchedule.h"
#include "audio/SchedulePlayer.h"
#include "audio/SoundFont.h"
#include "audio/WaveRender.h"
#include "import/ScoreImport.h"
#include "document/SettingsScore.h"
#include "settings/ConfigRecord.h"
#include "song/CSongData.h"
#include "tests/support/FakeAudioDevice.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <numbers>

namespace {

constexpr int kBeat = kSampleRate; // 60 beats per minute
constexpr double kG4 = 392.0;

const std::string& SoundFont()
{
    static const std::string chosen = ChooseSoundFont("");
    return chosen;
}

// The power of one frequency in the samples (Goertzel), per sample.
double PowerAt(const float* samples, int count, double hertz)
{
    const double w = 2 * std::numbers::pi * hertz / kSampleRate, c = 2 * std::cos(w);
    double s1 = 0, s2 = 0;
    for (int i = 0; i < count; ++i) {
        const double s = samples[i] + c * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    return (s1 * s1 + s2 * s2 - c * s1 * s2) / std::max(count, 1);
}

// One note of `pitch` from `start` frames, `frames` long.
PlaySchedule OneNote(int pitch, int64_t start, int64_t frames)
{
    PlaySchedule s;
    s.notes.push_back({start, start + frames, pitch, 0, false});
    s.length = start + frames;
    return s;
}

FittedScore AbcScore(SandboxDir& sandbox, const std::string& text, std::unique_ptr<Score>& song,
                     std::optional<MeasureRange> shown = std::nullopt)
{
    const std::string path = sandbox.Path("tune.abc");
    std::ofstream(path) << text;
    ImportOutcome read = LoadScoreFile(path);
    if (!read.song)
        return {};
    song = std::make_unique<Score>(std::move(read.score));
    return FitScore(DefaultConfigRecord(), *song, shown.value_or(FirstShownMeasures(*song)));
}

// Onsets of 2 ms windows: a window at least twice as loud as the 10 ms before it and louder
// than `floor`; in frames.
std::vector<int64_t> Onsets(const std::vector<int16_t>& stereo, double floor)
{
    constexpr int kWindow = kSampleRate / 500;
    std::vector<double> level;
    for (size_t f = 0; 2 * (f + kWindow) <= stereo.size(); f += kWindow) {
        double sum = 0;
        for (size_t i = f; i < f + kWindow; ++i) {
            const double v = (stereo[2 * i] + stereo[2 * i + 1]) / 2.0;
            sum += v * v;
        }
        level.push_back(std::sqrt(sum / kWindow));
    }
    std::vector<int64_t> onsets;
    for (size_t i = 0; i < level.size(); ++i) {
        double before = 0;
        for (size_t k = i >= 5 ? i - 5 : 0; k < i; ++k)
            before = std::max(before, level[k]);
        if (level[i] > floor && level[i] > 2 * before)
            onsets.push_back(int64_t(i) * kWindow);
    }
    return onsets;
}

class PracticeSoundTest : public ::testing::Test {
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

// Stopped in the middle of a G4: the sound fades over about 20 ms instead of dropping to zero,
// and the next start, without a synthesizer made anew, holds nothing of it.
TEST_F(PracticeSoundTest, AStopFadesOutAndTheNextStartHoldsNothingOfTheNoteCutOff)
{
    HarpSynth synth(SoundFont(), kSampleRate);
    ASSERT_TRUE(synth.Ready());
    SchedulePlayer player(synth);
    player.Begin(OneNote(67, 0, 3 * kBeat), 0, false);
    std::vector<float> l(kBeat / 2), r(l.size());
    player.Render(l.data(), r.data(), kBeat / 2);
    const double sounding = PowerAt(l.data(), kBeat / 5, kG4);
    ASSERT_GT(sounding, 0.0);

    player.Mute();
    const int fade = kSampleRate * SchedulePlayer::kFadeMilliseconds / 1000;
    player.Render(l.data(), r.data(), 2 * fade);
    const auto peak = [&](int from, int to) {
        float most = 0;
        for (int i = from; i < to; ++i)
            most = std::max(most, std::fabs(l[size_t(i)]));
        return most;
    };
    EXPECT_GT(peak(0, fade / 4), 0.01f) << "the sound goes on into the fade";
    EXPECT_LT(peak(3 * fade / 4, fade), peak(0, fade / 4) / 2) << "and dies down in it";
    EXPECT_LT(peak(fade, 2 * fade), 1e-6f) << "silent once faded";
    EXPECT_GT(player.QuietFrames(), 0);

    // A rest first, so that anything heard at the start is what the stop left behind.
    player.Begin(OneNote(72, kBeat / 2, kBeat), 0, false);
    const int first = kBeat / 5;
    player.Render(l.data(), r.data(), first);
    EXPECT_LT(PowerAt(l.data(), first, kG4), sounding * 1e-9) << "the G4 cut off does not sound again";
    EXPECT_LT(peak(0, first), 1e-6f);
}

// The same through the engine and a device: 停止, then 再生 of another tune.
TEST_F(PracticeSoundTest, TheEngineResetsTheVoicesAtAStop)
{
    FakeAudioDevice device;
    PlaybackEngine engine(device.Factory(), SoundFont(), [](uint64_t, PlaybackReport) {});
    engine.Start(OneNote(67, 0, 3 * kBeat), 0, false);
    ASSERT_TRUE(PollUntil([&] { return device.Opened() == 1; }));
    ASSERT_TRUE(device.Advance(kBeat / 2));
    engine.Stop();
    ASSERT_TRUE(device.Advance(kBeat / 10)); // the fade and the device's buffers after it
    ASSERT_TRUE(PollUntil([&] { return device.Closed() == 1; }));
    engine.Start(OneNote(72, kBeat / 2, kBeat), 0, false);
    ASSERT_TRUE(PollUntil([&] { return device.Opened() == 2; }));
    ASSERT_TRUE(device.Render(kBeat / 5));
    EXPECT_LT(PowerAt(device.left.data(), kBeat / 5, kG4), 1e-12) << "nothing of the G4 in the first 200 ms";
}

// A pickup of one beat in 4/4: the count clicks its measure and the pickup's three silent beats,
// and the pickup comes in on the count's next beat.
TEST_F(PracticeSoundTest, ACountInLeadsIntoAPickupOnItsNextBeat)
{
    std::unique_ptr<Score> song;
    const FittedScore score = AbcScore(sandbox, "X:1\nT:Up\nM:4/4\nL:1/4\nQ:1/4=60\nK:C\nG|c d e f|g4|]\n", song);
    ASSERT_TRUE(song);
    PlayOptions options;
    options.countIn = true;
    options.beats = ClickBeats(song->meter.beatsPerMeasure);
    const PlaySchedule s = MakePlaySchedule(score, song->PlayedTempo(), options);
    ASSERT_FALSE(s.notes.empty());
    ASSERT_FALSE(s.clicks.empty());
    for (size_t i = 0; i < s.clicks.size(); ++i)
        EXPECT_EQ(s.clicks[i].frame, int64_t(i) * kBeat) << "the count goes on a beat at a time";
    EXPECT_EQ(s.notes.front().start, s.clicks.back().frame + kBeat) << "the pickup on the count's next beat";
    EXPECT_EQ(s.clicks.size(), 7u) << "a measure and the pickup's three missing beats";

    // A jig's eighth-note pickup: the count goes on up to the dotted beat it lies in.
    const FittedScore jig = AbcScore(sandbox, "X:1\nT:Jig\nM:6/8\nL:1/8\nQ:3/8=60\nK:G\nD|GAB cde|G3 G3|]\n", song);
    ASSERT_TRUE(song);
    options.beats = ClickBeats(song->meter.beatsPerMeasure);
    const PlaySchedule j = MakePlaySchedule(jig, song->PlayedTempo(), options);
    ASSERT_FALSE(j.notes.empty());
    ASSERT_EQ(j.clicks.size(), 3u);
    EXPECT_GE(j.notes.front().start, j.clicks.back().frame + kBeat);
    EXPECT_LT(j.notes.front().start, j.clicks.back().frame + 2 * kBeat) << "the eighth within the count's next beat";
}

// A passage is its measures once each: inside a repeat, chosen on the shown score or laid out
// alone as the renderer's --from and --to lay it out.
TEST_F(PracticeSoundTest, APassageInsideARepeatPlaysOnceAPass)
{
    std::unique_ptr<Score> song;
    const std::string tune = "X:1\nT:Rep\nM:4/4\nL:1/4\nQ:1/4=60\nK:C\n|:c d e f|g a b c':|d4|]\n";
    const FittedScore whole = AbcScore(sandbox, tune, song);
    ASSERT_TRUE(song);
    ASSERT_TRUE(whole.DrawnOnce()) << "the repeat drawn once, with its jump";
    ASSERT_GE(whole.layout.measures.size(), 3u);
    PlayOptions options;
    options.passage = UnitRange{whole.layout.measures[1].time, whole.layout.measures[2].time};
    const PlaySchedule chosen = MakePlaySchedule(whole, 60, options);
    EXPECT_EQ(chosen.length, 4 * kBeat) << "one measure";
    EXPECT_EQ(chosen.notes.size(), 4u);

    const FittedScore alone = AbcScore(sandbox, tune, song, MeasureRange{2, 2});
    PlayOptions written;
    written.writtenOrder = true;
    EXPECT_EQ(MakePlaySchedule(alone, 60, written).length, 4 * kBeat);
}

// Each click of the metronome is one onset: nothing ticks again before the next beat.
TEST_F(PracticeSoundTest, TheMetronomeClicksOnceABeat)
{
    HarpSynth synth(SoundFont(), kSampleRate);
    ASSERT_TRUE(synth.Ready());
    ASSERT_TRUE(synth.ClicksOnDrums());
    PlaySchedule clicks;
    clicks.length = 4 * kBeat;
    for (int b = 0; b < 4; ++b)
        clicks.clicks.push_back({int64_t(b) * kBeat / 2, b == 0});
    const std::vector<int16_t> sound = RenderPass(clicks, synth);
    int16_t loudest = 0;
    for (const int16_t v : sound)
        loudest = std::max<int16_t>(loudest, static_cast<int16_t>(std::abs(v)));
    const std::vector<int64_t> onsets = Onsets(sound, loudest / 20.0);
    ASSERT_GE(onsets.size(), 4u);
    for (const int64_t at : onsets)
        EXPECT_LT(at % (kBeat / 2), kSampleRate / 100) << "an onset " << at % (kBeat / 2) * 1000 / kSampleRate
                                                       << " ms after a click";
}
