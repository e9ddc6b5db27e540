// Playing every drawn voice: each voice's notes on a channel of its own at the frames of their
// times, following the tempo, the passage and the count-in as the melody does; heard together,
// two voices on one pitch not stopping each other, and the melody muted alone.

#include "tests/SongAsScore.h"
#include "audio/HarpSynth.h"
#include "audio/PlaySchedule.h"
#include "audio/SoundFont.h"
#include "audio/WaveRender.h"
#include "import/ScoreImport.h"
#include "document/SettingsScore.h"
#include "settings/ConfigRecord.h"
#include "song/CSongData.h"
#include "song/CSongFileWriter.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace {

// 60 beats per minute at 100 %: a beat is one second, a grid place a sixth of it.
constexpr int kBeat = kSampleRate;
constexpr int kUnit = kBeat / 6;

// The frame of a layout time at 60 beats per minute.
int64_t FrameOf(int64_t units)
{
    return units * kBeat / kUnitsPerBeat;
}
constexpr int kAccompanimentChannel = static_cast<int>(VoiceRole::kAccompaniment);
// Onsets are heard this soon after their frame, the synthesizer's blocks included.
constexpr int64_t kOnsetFrames = kSampleRate / 50;

struct Loaded {
    std::unique_ptr<CSongData> song;
    FittedScore score;
};

// One measure at 60 beats per minute: the melody's quarter notes `melody` (pitch per beat, 0 for
// a rest) and the accompaniment's notes by hand.
Loaded WithAccompaniment(SandboxDir& sandbox, CSongFileWriter& w, std::vector<VoiceNote> accompaniment,
                         VoiceRole role = VoiceRole::kAccompaniment)
{
    const std::string path = sandbox.Path("voices.mwd");
    EXPECT_TRUE(w.Write(path));
    Loaded loaded;
    int32_t m = 0, b = 0, k = 0;
    loaded.song = std::make_unique<CSongData>(path.c_str(), m, b, k);
    loaded.song->voices.push_back(SongVoice{role, "acc", 0, std::move(accompaniment)});
    loaded.score = FitScore(DefaultConfigRecord(), *loaded.song, FirstShownMeasures(*loaded.song));
    return loaded;
}

Loaded HandMade(SandboxDir& sandbox, const std::vector<int>& melody, std::vector<VoiceNote> accompaniment,
                VoiceRole role = VoiceRole::kAccompaniment)
{
    CSongFileWriter w(1, 4);
    w.SetTempo(60);
    for (size_t b = 0; b < melody.size(); ++b)
        if (melody[b] > 0)
            w.AddNote(int(b) * 4, melody[b], 4);
    return WithAccompaniment(sandbox, w, std::move(accompaniment), role);
}

const std::string& SoundFont()
{
    static const std::string chosen = ChooseSoundFont("");
    return chosen;
}

std::vector<int16_t> Rendered(const PlaySchedule& schedule)
{
    HarpSynth synth(SoundFont(), kSampleRate);
    EXPECT_TRUE(synth.Ready());
    return RenderPass(schedule, synth);
}

PlaySchedule OnChannel(PlaySchedule schedule, int channel)
{
    std::erase_if(schedule.notes, [&](const ScheduledNote& n) { return n.channel != channel; });
    return schedule;
}

std::vector<const ScheduledNote*> NotesOn(const PlaySchedule& schedule, int channel)
{
    std::vector<const ScheduledNote*> found;
    for (const ScheduledNote& n : schedule.notes)
        if (n.channel == channel)
            found.push_back(&n);
    return found;
}

// The first frame from `from` on where two renderings of interleaved stereo differ by more
// than a trace; -1 when they never do.
int64_t FirstDifference(const std::vector<int16_t>& a, const std::vector<int16_t>& b, int64_t from = 0)
{
    constexpr int kTrace = 4;
    for (size_t i = size_t(2 * from); i < a.size() && i < b.size(); ++i)
        if (std::abs(int(a[i]) - int(b[i])) > kTrace)
            return int64_t(i / 2);
    return -1;
}

double Energy(const std::vector<int16_t>& stereo, int64_t from, int64_t length)
{
    double sum = 0;
    for (int64_t f = from; f < from + length && 2 * f + 1 < int64_t(stereo.size()); ++f) {
        const double v = (stereo[size_t(2 * f)] + stereo[size_t(2 * f + 1)]) / 2.0;
        sum += v * v;
    }
    return sum / double(std::max<int64_t>(length, 1));
}

class VoicePlaybackTest : public ::testing::Test {
protected:
    SandboxDir sandbox;
};

TEST_F(VoicePlaybackTest, ChordAccompanimentPlaysOnItsChannelAtItsTimes)
{
    const std::string path = sandbox.Path("chords.abc");
    std::ofstream(path) << "X:1\nT:Chords\nM:4/4\nL:1/4\nQ:1/4=60\nK:G\n"
                           "\"G\"G A B G|\"C\"c B A2|\"D7\"A B c A|\"G\"B2 G2|\n";
    ImportRequest request;
    request.voices = VoiceChoice{};
    request.voices->chordAccompaniment = true;
    ImportOutcome read = LoadScoreFile(path, request);
    ASSERT_EQ(read.score.voices.size(), 2u);
    Loaded loaded;
    loaded.song = std::move(read.song);
    loaded.score = FitScore(DefaultConfigRecord(), read.score, FirstShownMeasures(read.score));
    ASSERT_EQ(loaded.score.layout.voices.size(), 1u);
    const std::vector<ScoreNote>& laid = loaded.score.layout.voices[0].notes;
    ASSERT_FALSE(laid.empty());

    const PlaySchedule schedule = MakePlaySchedule(loaded.score, 60, 100);
    const std::vector<const ScheduledNote*> voice = NotesOn(schedule, kAccompanimentChannel);
    EXPECT_EQ(voice.size(), laid.size()) << "every chord note has a string";
    EXPECT_EQ(NotesOn(schedule, kMelodyChannel).size(), loaded.score.layout.notes.size());
    for (const ScheduledNote* n : voice) {
        ASSERT_GE(n->placed, 0);
        const PlacedNote& circle = loaded.score.geometry.notes.at(size_t(n->placed));
        const auto time = DrawnTime(loaded.score.layout, circle);
        ASSERT_TRUE(time);
        EXPECT_EQ(n->start, FrameOf(*time)) << "at its circle's time";
        EXPECT_FALSE(n->muted);
    }
    for (const ScheduledNote& n : schedule.notes)
        EXPECT_NE(n.channel, HarpSynth::kClickChannel);

    // Slower, counted in and cut to the second measure, the voice moves with the melody.
    PlayOptions options;
    options.tempoPercent = 50;
    options.countIn = true;
    options.beats = ClickBeats(4);
    const int32_t measure = 4 * kUnitsPerBeat;
    options.passage = UnitRange{measure, 2 * measure};
    const PlaySchedule passage = MakePlaySchedule(loaded.score, 60, options);
    size_t inPassage = 0;
    for (const ScoreNote& n : laid)
        inPassage += n.time >= measure && n.time < 2 * measure;
    const std::vector<const ScheduledNote*> moved = NotesOn(passage, kAccompanimentChannel);
    ASSERT_EQ(moved.size(), inPassage);
    for (const ScheduledNote* n : moved) {
        const auto time = DrawnTime(loaded.score.layout, loaded.score.geometry.notes.at(size_t(n->placed)));
        ASSERT_TRUE(time);
        const int32_t countIn = 4 * kUnitsPerBeat;
        EXPECT_EQ(n->start, 2 * FrameOf(countIn + *time - measure)) << "after the count-in, twice as slow";
        EXPECT_LE(n->end, passage.length);
    }
}

// A place of the grid sounds alike in every voice: a later entry on the quarter beat it stands
// for, or on a triplet's third.
TEST_F(VoicePlaybackTest, AVoicesNoteSoundsWithTheMelodysNoteAtTheSameGridPlace)
{
    CSongFileWriter w(1, 4);
    w.SetTempo(60);
    w.AddNote(0, 71, 1); // beat 1: two sixteenths, on entries 0 and 1
    w.AddNote(1, 72, 3);
    w.AddNote(8, 67, 1); // beat 3: a triplet on entries 0 and 2 of its first half and 1 of its second
    w.SetEntry(4, 2, 69);
    w.AddNote(11, 71, 1);
    const Loaded loaded = WithAccompaniment(sandbox, w, {{1, 60, 2}, {14, 62, 2}, {16, 64, 2}});
    const PlaySchedule schedule = MakePlaySchedule(loaded.score, 60, 100);
    std::vector<int64_t> melody, voice;
    for (const ScheduledNote* n : NotesOn(schedule, kMelodyChannel))
        melody.push_back(n->start);
    for (const ScheduledNote* n : NotesOn(schedule, kAccompanimentChannel))
        voice.push_back(n->start);
    ASSERT_EQ(melody, (std::vector<int64_t>{0, kBeat / 4, 2 * kBeat, 2 * kBeat + kBeat / 3, 2 * kBeat + 2 * kBeat / 3}));
    EXPECT_EQ(voice, (std::vector<int64_t>{melody[1], melody[3], melody[4]}));
    const std::vector<const ScheduledNote*> voiced = NotesOn(schedule, kAccompanimentChannel);
    ASSERT_EQ(voiced.size(), 3u);
    EXPECT_EQ(voiced[0]->end, kBeat / 2) << "held to the half beat it is drawn to";
    EXPECT_EQ(voiced[1]->end, voiced[2]->start) << "held to the triplet's next third";
}

TEST_F(VoicePlaybackTest, BothVoicesAreHeardFromTheirOnsets)
{
    // The accompaniment enters on the third beat, below the melody.
    const Loaded loaded = HandMade(sandbox, {67, 69, 71, 72}, {{2 * 6, 60, 2 * 6}});
    const PlaySchedule both = MakePlaySchedule(loaded.score, 60, 100);
    ASSERT_EQ(NotesOn(both, kAccompanimentChannel).size(), 1u);
    const std::vector<int16_t> mixed = Rendered(both);
    const std::vector<int16_t> melody = Rendered(OnChannel(both, kMelodyChannel));
    const std::vector<int16_t> silence(mixed.size(), 0);

    const int64_t melodyOnset = FirstDifference(mixed, silence);
    ASSERT_GE(melodyOnset, 0);
    EXPECT_LT(melodyOnset, kOnsetFrames) << "the melody from its first note";
    // Until the accompaniment's note the mix is the melody's alone; from there it is not.
    const int64_t voiceOnset = FirstDifference(mixed, melody);
    const int64_t voiceStart = 2 * kBeat;
    ASSERT_GE(voiceOnset, 0) << "the accompaniment is heard";
    EXPECT_GE(voiceOnset, voiceStart);
    EXPECT_LT(voiceOnset, voiceStart + kOnsetFrames);
}

TEST_F(VoicePlaybackTest, TwoVoicesOnOnePitchDoNotStopEachOther)
{
    // The melody's one-beat note and a second voice's whole measure on the same string (an
    // accompaniment would take another octave's string).
    const Loaded loaded = HandMade(sandbox, {67}, {{0, 67, 4 * 6}}, VoiceRole::kSecond);
    const PlaySchedule both = MakePlaySchedule(loaded.score, 60, 100);
    ASSERT_EQ(both.notes.size(), 2u);
    EXPECT_EQ(both.notes[0].placed, both.notes[1].placed) << "one circle, shared";
    EXPECT_NE(both.notes[0].channel, both.notes[1].channel);
    const int shared = both.notes[0].placed;
    EXPECT_EQ(SoundingNotesAt(both, kBeat / 2), std::vector<int>{shared}) << "a shared circle rings once";
    EXPECT_EQ(SoundingNotesAt(both, 3 * kBeat), std::vector<int>{shared});
    EXPECT_EQ(SoundingNoteAt(both, 3 * kBeat), -1) << "the melody's own mark has ended";

    const std::vector<int16_t> mixed = Rendered(both);
    const std::vector<int16_t> melody = Rendered(OnChannel(both, kMelodyChannel));
    // Released after its beat, the melody's string is damped; the accompaniment's still rings.
    const double held = Energy(mixed, 3 * kBeat, kBeat / 2), damped = Energy(melody, 3 * kBeat, kBeat / 2);
    EXPECT_GT(held, 1.0);
    EXPECT_GT(held, 10 * damped);
}

TEST_F(VoicePlaybackTest, MutingTheMelodyKeepsTheOtherVoicesHeard)
{
    const Loaded loaded = HandMade(sandbox, {67, 69, 71, 72}, {{2 * 6, 60, 2 * 6}});
    PlayOptions options;
    options.muteMelody = true;
    const PlaySchedule muted = MakePlaySchedule(loaded.score, 60, options);
    for (const ScheduledNote& n : muted.notes)
        EXPECT_EQ(n.muted, n.channel == kMelodyChannel);
    const std::vector<int16_t> sound = Rendered(muted);
    const std::vector<int16_t> silence(sound.size(), 0);
    const int64_t onset = FirstDifference(sound, silence);
    EXPECT_GE(onset, 2 * kBeat) << "silent while the melody alone plays";
    EXPECT_LT(onset, 2 * kBeat + kOnsetFrames);
    EXPECT_GT(Energy(sound, 2 * kBeat, kBeat), 1.0);
}

TEST_F(VoicePlaybackTest, MelodyAloneMarksAsBefore)
{
    // The melody's mark passes over the other voices' notes between its own.
    const Loaded loaded = HandMade(sandbox, {67, 0, 71}, {{6, 60, 3}, {6 + 3, 62, 3}});
    const PlaySchedule s = MakePlaySchedule(loaded.score, 60, 100);
    ASSERT_EQ(s.notes.size(), 4u);
    EXPECT_EQ(SoundingNoteAt(s, kBeat + kBeat / 4), -1) << "a rest in the melody";
    EXPECT_EQ(SoundingNotesAt(s, kBeat + kBeat / 4), std::vector<int>{s.notes[1].placed});
    EXPECT_EQ(s.notes[size_t(SoundingNoteAt(s, 2 * kBeat + 1))].channel, kMelodyChannel);
    EXPECT_TRUE(SoundingNotesAt(s, -1).empty());
    EXPECT_TRUE(SoundingNotesAt(s, s.length + kBeat).empty());
}

} // namespace

// "Em Em Em | Am" in every pattern: each strike of the accompaniment is heard where it is due,
// the chord written again and the one carried into the third measure included.
TEST_F(VoicePlaybackTest, EveryPatternsStrikesAreHeardOnTime)
{
    const std::string path = sandbox.Path("em.abc");
    HarpSynth synth(SoundFont(), kSampleRate);
    ASSERT_TRUE(synth.Ready());
    std::ofstream(path) << "X:1\nT:Em\nM:4/4\nL:1/4\nQ:1/4=240\nK:Em\n\"Em\"e4|\"Em\"g4|b4|\"Am\"a4|]\n";
    for (int k = 0; k < kChordPatternCount; ++k) {
        const auto pattern = static_cast<ChordPattern>(k);
        ImportRequest request;
        request.voices = VoiceChoice{};
        request.voices->chordAccompaniment = true;
        request.voices->chordPattern = pattern;
        ImportOutcome read = LoadScoreFile(path, request);
        ASSERT_EQ(read.score.voices.size(), 2u) << ChordPatternName(pattern);
        const FittedScore score = FitScore(DefaultConfigRecord(), read.score, FirstShownMeasures(read.score));
        const PlaySchedule schedule = OnChannel(MakePlaySchedule(score, 240, 100), kAccompanimentChannel);
        std::vector<int64_t> due;
        for (const ScheduledNote& n : schedule.notes)
            due.push_back(n.start);
        std::sort(due.begin(), due.end());
        due.erase(std::unique(due.begin(), due.end()), due.end());
        const int64_t measure = kSampleRate; // four beats at 240 per minute
        for (int64_t m = 0; m < 4; ++m)
            EXPECT_TRUE(std::binary_search(due.begin(), due.end(), m * measure))
                << ChordPatternName(pattern) << ": a strike in measure " << m + 1;
        // The strike is heard where the sound with it first parts from the sound without it.
        const std::vector<int16_t> whole = RenderPass(schedule, synth);
        for (const int64_t frame : due) {
            PlaySchedule without = schedule;
            std::erase_if(without.notes, [&](const ScheduledNote& n) { return n.start >= frame; });
            without.length = frame + kSampleRate / 25; // what comes later is not compared
            std::vector<int16_t> cut;
            RenderPassBlocks(without, synth, [&](std::span<const int16_t> block) {
                cut.insert(cut.end(), block.begin(), block.end());
                return int64_t(cut.size()) < 2 * without.length; // the ringing out is not compared
            });
            const int64_t heard = FirstDifference(whole, cut);
            EXPECT_GE(heard, frame) << ChordPatternName(pattern);
            EXPECT_LE(heard - frame, kSampleRate / 50)
                << ChordPatternName(pattern) << " at " << frame << ": heard " << (heard - frame) * 1000 / kSampleRate
                << " ms late";
        }
    }
}
