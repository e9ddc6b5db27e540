// The sound of a fitted song: its schedule, the player on the synthesizer, the WAVE bytes, the
// soundfont choice and the engine with a device of the test's own.

#include "tests/SongAsScore.h"
#include "audio/HarpSynth.h"
#include "audio/PlaybackEngine.h"
#include "audio/PlaySchedule.h"
#include "audio/SchedulePlayer.h"
#include "audio/SoundFont.h"
#include "audio/SoundFontCheck.h"
#include "audio/WaveRender.h"
#include "common/ByteIO.h"
#include "document/SettingsScore.h"
#include "settings/Tuning.h"
#include "song/CSongData.h"
#include "song/CSongFileWriter.h"
#include "tests/support/FakeAudioDevice.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// 60 beats per minute at 100 %: a beat is one second, a unit a sixth of it.
constexpr int kBeat = kSampleRate;

struct LoadedSong {
    std::unique_ptr<CSongData> song;
    FittedScore score;
};

LoadedSong Load(const std::string& path, const ConfigRecord& settings = DefaultConfigRecord(), int last = 0)
{
    LoadedSong loaded;
    int32_t m = 0, b = 0, k = 0;
    loaded.song = std::make_unique<CSongData>(path.c_str(), m, b, k);
    MeasureRange shown = FirstShownMeasures(*loaded.song);
    if (last > 0)
        shown.last = last;
    loaded.score = FitScore(settings, *loaded.song, shown);
    return loaded;
}

std::vector<int64_t> Starts(const PlaySchedule& schedule)
{
    std::vector<int64_t> starts;
    for (const ScheduledNote& n : schedule.notes)
        starts.push_back(n.start);
    return starts;
}

const std::string& SoundFont()
{
    static const std::string chosen = ChooseSoundFont("");
    return chosen;
}

class PlaybackTest : public ::testing::Test {
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

// ---- the schedule ----------------------------------------------------------------------------

// Sixteenths sound on the quarters of the beat they are written on, a triplet on its thirds,
// although the grid draws both a sixth of a beat apart.
TEST_F(PlaybackTest, LaterEntriesSoundOnTheQuarterOrTheTripletThirdTheyStandFor)
{
    CSongFileWriter w(1, 4);
    w.SetTempo(60);
    for (int q = 0; q < 4; ++q) // beat 1: four sixteenths
        w.AddNote(q, 60 + q, 1);
    w.AddNote(4, 65, 4); // beat 2: one beat
    // Beat 3: an eighth-note triplet on entries 0 and 2 of its first half and 1 of its second.
    w.AddNote(8, 67, 1);
    w.SetEntry(4, 2, 69);
    w.AddNote(11, 71, 1);
    w.AddNote(12, 72, 4); // beat 4
    const std::string path = sandbox.Path("grid.mwd");
    ASSERT_TRUE(w.Write(path));
    const LoadedSong loaded = Load(path);
    ASSERT_EQ(loaded.score.transposition, 0);

    const PlaySchedule schedule = MakePlaySchedule(loaded.score, 60, 100);
    const std::vector<int64_t> expected = {0, kBeat / 4, kBeat / 2, 3 * kBeat / 4, kBeat,
                                           2 * kBeat, 2 * kBeat + kBeat / 3, 2 * kBeat + 2 * kBeat / 3, 3 * kBeat};
    EXPECT_EQ(Starts(schedule), expected);
    std::vector<int> pitches;
    for (const ScheduledNote& n : schedule.notes)
        pitches.push_back(n.pitch);
    EXPECT_EQ(pitches, (std::vector<int>{60, 61, 62, 63, 65, 67, 69, 71, 72}));
    EXPECT_EQ(schedule.length, 4 * kBeat);
    EXPECT_EQ(schedule.notes[0].end, kBeat / 4) << "a sixteenth lasts a quarter beat";
    EXPECT_EQ(schedule.notes[4].end, 2 * kBeat);
    for (size_t i = 0; i + 1 < schedule.notes.size(); ++i)
        EXPECT_LE(schedule.notes[i].end, schedule.notes[i + 1].start) << i;
    EXPECT_EQ(schedule.notes.back().end, schedule.length) << "the last note ends with the measures";
}

// What the harp sounds: the fitted pitches, notes without a string left out, the tempo and
// the percentage applied, and the mark's note at every moment.
TEST_F(PlaybackTest, TheScheduleSoundsTheFittedNotesOnStringsAtTheChosenSpeed)
{
    CSongFileWriter w(2, 4);
    w.SetTempo(120);
    const int written[] = {74, 73, 79, 84, 86, 88, 89, 91};
    for (int i = 0; i < 8; ++i)
        w.AddNote(4 * i, written[i], 2); // half-beat notes, each followed by a half beat of rest
    const std::string path = sandbox.Path("wide.mwd");
    ASSERT_TRUE(w.Write(path));
    // A 15-string harp in C major from C4: C# has no string, and the song must come down.
    ConfigRecord settings = DefaultConfigRecord();
    settings.stringCount = 15;
    settings.lowestNote = 60;
    FillStringNotes(settings, Tuning::CMajor);
    const LoadedSong loaded = Load(path, settings);
    ASSERT_LT(loaded.score.transposition, 0);
    ASSERT_GT(loaded.score.notesWithoutString, 0);

    const PlaySchedule schedule = MakePlaySchedule(loaded.score, loaded.song->Tempo(), 100);
    ASSERT_EQ(schedule.notes.size(), loaded.score.geometry.notes.size());
    EXPECT_EQ(schedule.notes.size(), 8u - loaded.score.notesWithoutString);
    for (const ScheduledNote& n : schedule.notes) {
        const PlacedNote& drawn = loaded.score.geometry.notes[static_cast<size_t>(n.placed)];
        const ScoreNote& laid = loaded.score.layout.notes[static_cast<size_t>(drawn.source)];
        EXPECT_EQ(n.pitch, laid.pitch);
        EXPECT_GE(StringOf(loaded.score.frame, n.pitch), 0) << n.pitch;
        // Every quarter of a second at 120 beats per minute, a half beat long.
        EXPECT_EQ(n.start, int64_t(laid.time) * kSampleRate / (2 * kUnitsPerBeat));
        EXPECT_EQ(n.end - n.start, kSampleRate / 4);
    }
    EXPECT_EQ(schedule.length, 4 * kSampleRate);

    const PlaySchedule slow = MakePlaySchedule(loaded.score, 120, 50);
    const PlaySchedule fast = MakePlaySchedule(loaded.score, 120, 150);
    EXPECT_EQ(slow.length, 2 * schedule.length);
    for (size_t i = 0; i < schedule.notes.size(); ++i) {
        EXPECT_EQ(slow.notes[i].start, 2 * schedule.notes[i].start);
        EXPECT_NEAR(double(fast.notes[i].start), schedule.notes[i].start / 1.5, 1.0);
    }
    EXPECT_EQ(MakePlaySchedule(loaded.score, 120, 10).length, 2 * slow.length) << "held within 25..200 %";
    EXPECT_EQ(MakePlaySchedule(loaded.score, 0, 100).length, schedule.length * 120 / 80)
        << "a damaged tempo plays as the reader repairs it";

    // The sounding note: from its start until its end, none in the rests between.
    EXPECT_EQ(SoundingNoteAt(schedule, -1), -1);
    for (size_t i = 0; i < schedule.notes.size(); ++i) {
        EXPECT_EQ(SoundingNoteAt(schedule, schedule.notes[i].start), int(i));
        EXPECT_EQ(SoundingNoteAt(schedule, schedule.notes[i].end - 1), int(i));
        EXPECT_EQ(SoundingNoteAt(schedule, schedule.notes[i].end), -1);
    }
    EXPECT_EQ(SoundingNoteAt(schedule, schedule.length + kSampleRate), -1);
}

// ---- the player on the synthesizer -----------------------------------------------------------

TEST_F(PlaybackTest, ThePlayerStartsNotesOnTheirFramesLoopsAndEndsAfterTheRinging)
{
    CSongFileWriter w(1, 2);
    w.SetTempo(60);
    w.AddNote(0, 67, 4);
    w.AddNote(4, 72, 2);
    const std::string path = sandbox.Path("two.mwd");
    ASSERT_TRUE(w.Write(path));
    const LoadedSong loaded = Load(path);
    const PlaySchedule schedule = MakePlaySchedule(loaded.score, 60, 100);
    ASSERT_EQ(Starts(schedule), (std::vector<int64_t>{0, kBeat}));

    HarpSynth synth(SoundFont(), kSampleRate);
    ASSERT_TRUE(synth.Ready());
    SchedulePlayer player(synth);
    player.Begin(schedule, 0, true);
    std::vector<float> left(4096), right(4096);
    // Odd buffer sizes, as devices choose them: the clock and the note-ons stay exact.
    int64_t rendered = 0;
    double energy = 0;
    const auto render = [&](int frames) {
        player.Render(left.data(), right.data(), frames);
        rendered += frames;
        for (int i = 0; i < frames; ++i)
            energy += double(left[size_t(i)]) * left[size_t(i)];
    };
    EXPECT_EQ(player.LastStarted(), -1);
    render(1);
    EXPECT_EQ(player.LastStarted(), 0);
    while (rendered + 1000 < kBeat)
        render(1000);
    render(static_cast<int>(kBeat - rendered));
    EXPECT_EQ(player.Position(), kBeat);
    EXPECT_EQ(player.LastStarted(), 0) << "the next note starts with its first frame";
    render(1);
    EXPECT_EQ(player.LastStarted(), 1);
    EXPECT_GT(energy, 1.0);
    // Past the end of the measures the loop starts again from the first note.
    while (rendered < 2 * kBeat + 500)
        render(777);
    EXPECT_EQ(player.Position(), rendered - 2 * kBeat);
    EXPECT_EQ(player.LastStarted(), 0);
    EXPECT_FALSE(player.Ended());

    // Without the loop the pass ends, the strings ring out, then silence.
    player.SetLoop(false);
    while (!player.Ended())
        render(999);
    EXPECT_EQ(player.Position(), player.PassFrames());
    EXPECT_LE(rendered, 4 * kBeat + player.PassFrames() - schedule.length + 999);
    render(512);
    for (int i = 0; i < 512; ++i)
        ASSERT_EQ(left[size_t(i)], 0.0f);

    // Muted mid-note: silence once the stop's fade is over.
    player.Begin(schedule, kBeat / 2, false);
    EXPECT_EQ(player.Position(), kBeat / 2);
    render(256);
    EXPECT_EQ(player.LastStarted(), -1) << "a note started before the starting place is not sounded";
    player.Mute();
    render(kSampleRate * SchedulePlayer::kFadeMilliseconds / 1000);
    render(256);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(left[size_t(i)], 0.0f);
}

// ---- the offline sound, analysed --------------------------------------------------------------

namespace {

struct WrittenNote {
    double beat;
    int pitch;
    double beats;
};

// The sample's own text read independently of the song tool: note names with their lengths
// in beats, rests and ties; chords and bar lines passed over.
std::vector<WrittenNote> ReadMelody(const std::string& path, int& tempo)
{
    std::ifstream in(path);
    std::string line;
    std::vector<WrittenNote> notes;
    double beat = 0;
    while (std::getline(in, line)) {
        if (const size_t hash = line.find(" #"); hash != std::string::npos)
            line.erase(hash);
        if (!line.empty() && line[0] == '#')
            continue;
        if (line.rfind("tempo:", 0) == 0)
            tempo = std::stoi(line.substr(6));
        if (line.find(':') != std::string::npos && std::isalpha(static_cast<unsigned char>(line[0])) &&
            std::islower(static_cast<unsigned char>(line[0])) && line[0] != 'r')
            continue; // a header
        std::istringstream words(line);
        std::string word;
        while (words >> word) {
            if (word == "|" || word[0] == '[')
                continue;
            const size_t colon = word.find(':');
            std::string name = word.substr(0, colon);
            if (const size_t eq = name.find('='); eq != std::string::npos)
                name.erase(eq);
            const double length = colon == std::string::npos ? 1.0 : std::stod(word.substr(colon + 1));
            if (name == "_") {
                notes.back().beats += length;
            } else if (name != "r") {
                static const int kSteps[] = {9, 11, 0, 2, 4, 5, 7}; // A..G
                int pitch = kSteps[name[0] - 'A'];
                size_t at = 1;
                for (; name[at] == '#' || name[at] == 'b'; ++at)
                    pitch += name[at] == '#' ? 1 : -1;
                pitch += 12 * (std::stoi(name.substr(at)) + 1);
                notes.push_back({beat, pitch, length});
            }
            beat += length;
        }
    }
    return notes;
}

std::vector<double> Mono(const std::vector<int16_t>& stereo)
{
    std::vector<double> mono(stereo.size() / 2);
    for (size_t i = 0; i < mono.size(); ++i)
        mono[i] = (stereo[2 * i] + stereo[2 * i + 1]) / 65536.0;
    return mono;
}

// The first difference: a pluck's attack stands out of the strings still ringing.
std::vector<double> Edges(const std::vector<double>& x)
{
    std::vector<double> d(x.size(), 0.0);
    for (size_t i = 1; i < x.size(); ++i)
        d[i] = x[i] - x[i - 1];
    return d;
}

// Where the energy starts to rise, near its steepest rise within 40 ms of `near`, in 1 ms
// steps over 5 ms windows.
double Onset(const std::vector<double>& x, double near)
{
    const int hop = kSampleRate / 1000, window = 5 * hop;
    const auto energy = [&](int64_t at) {
        double e = 0;
        for (int64_t i = std::max<int64_t>(at, 0); i < std::min<int64_t>(at + window, int64_t(x.size())); ++i)
            e += x[size_t(i)] * x[size_t(i)];
        return e;
    };
    const auto rise = [&](int64_t at) { return energy(at) - energy(at - window); };
    double best = -1;
    int64_t peak = int64_t(near);
    for (int64_t at = int64_t(near) - 40 * hop; at <= int64_t(near) + 40 * hop; at += hop)
        if (const double r = rise(at); r > best) {
            best = r;
            peak = at;
        }
    // Back from the steepest window while the rise is over a tenth of it.
    int64_t start = peak;
    while (start > int64_t(near) - 40 * hop && rise(start - hop) > 0.1 * best)
        start -= hop;
    return double(start);
}

// The pitch by normalised autocorrelation over `length` frames from `from`, searched within
// half an octave of `expected`; in Hz.
double Pitch(const std::vector<double>& x, int64_t from, int length, double expected)
{
    const int shortest = int(kSampleRate / (expected * std::sqrt(2.0)));
    const int longest = int(kSampleRate / (expected / std::sqrt(2.0))) + 1;
    std::vector<double> r(size_t(longest + 2), 0.0);
    for (int lag = shortest - 1; lag <= longest + 1; ++lag) {
        double xy = 0, xx = 0, yy = 0;
        for (int i = 0; i < length; ++i) {
            const double a = x[size_t(from + i)], b = x[size_t(from + i + lag)];
            xy += a * b;
            xx += a * a;
            yy += b * b;
        }
        r[size_t(lag)] = xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0;
    }
    int best = shortest;
    for (int lag = shortest; lag <= longest; ++lag)
        if (r[size_t(lag)] > r[size_t(best)])
            best = lag;
    const double a = r[size_t(best - 1)], b = r[size_t(best)], c = r[size_t(best + 1)];
    const double denominator = a - 2 * b + c;
    const double shift = denominator != 0 ? 0.5 * (a - c) / denominator : 0;
    return kSampleRate / (best + shift);
}

} // namespace

// A sample with dotted eighths and sixteenths: every note's pitch and start checked against
// the melody as written, moved by the fitting, at the song's tempo.
TEST_F(PlaybackTest, TheRenderedSampleSoundsEachNoteInTuneAndInTime)
{
    int tempo = 0;
    const std::vector<WrittenNote> melody = ReadMelody(DP_SAMPLE_TEXT_DIR "/greensleeves.txt", tempo);
    ASSERT_GT(melody.size(), 40u);
    const LoadedSong loaded = Load(DP_SAMPLE_DIR "/greensleeves.mwd");
    ASSERT_EQ(loaded.song->Tempo(), tempo);
    ASSERT_EQ(loaded.score.notesWithoutString, 0);
    HarpSynth synth(SoundFont(), kSampleRate);
    ASSERT_TRUE(synth.Ready());

    const PlaySchedule schedule = MakePlaySchedule(loaded.score, tempo, 100);
    int64_t clipped = -1;
    const std::vector<int16_t> samples = RenderPass(schedule, synth, &clipped);
    EXPECT_EQ(clipped, 0) << "no sample beyond full scale, no NaN";
    int peak = 0;
    for (const int16_t s : samples)
        peak = std::max(peak, std::abs(int(s)));
    EXPECT_LT(peak, 32767);
    EXPECT_GT(peak, 3000) << "audible";
    const std::vector<double> sound = Mono(samples);
    const std::vector<double> edges = Edges(sound);

    const double framesPerBeat = 60.0 * kSampleRate / tempo;
    int inTime = 0, inTune = 0;
    std::string misses;
    for (const WrittenNote& note : melody) {
        const double due = note.beat * framesPerBeat;
        const double onset = Onset(edges, due);
        const bool timely = std::abs(onset - due) <= 0.020 * kSampleRate;
        inTime += timely;
        const double expected = 440.0 * std::pow(2.0, (note.pitch + loaded.score.transposition - 69) / 12.0);
        // From 50 ms on, when the string before has been damped, for up to 60 ms.
        const int length = int(std::min(0.060, note.beats * 60.0 / tempo - 0.070) * kSampleRate);
        const double heard = Pitch(sound, int64_t(due + 0.050 * kSampleRate), length, expected);
        const double cents = 1200.0 * std::log2(heard / expected);
        const bool tuned = std::abs(cents) <= 15.0;
        inTune += tuned;
        if (!timely || !tuned)
            misses += " [beat " + std::to_string(note.beat) + ": " + std::to_string((onset - due) * 1000 / kSampleRate) +
                      " ms, " + std::to_string(cents) + " cents]";
    }
    EXPECT_GE(inTime * 100, 95 * int(melody.size())) << misses;
    EXPECT_GE(inTune * 100, 95 * int(melody.size())) << misses;

    // Half the speed: the measures last twice as long, the ringing out stays as it is.
    const std::vector<int16_t> slow = RenderPass(MakePlaySchedule(loaded.score, tempo, 50), synth);
    const int64_t tail = int64_t(kSampleRate) * SchedulePlayer::kTailMilliseconds / 1000;
    EXPECT_EQ(int64_t(slow.size() / 2) - tail, 2 * (int64_t(samples.size() / 2) - tail));
}

TEST(WaveFile, HoldsSixteenBitPcmWithItsSizes)
{
    const std::vector<int16_t> samples = {0, -1, 32767, -32767, 5, 6};
    const std::vector<uint8_t> wave = WaveFileBytes(samples, 44100, 2);
    ASSERT_EQ(wave.size(), 44u + 12u);
    const std::span<const uint8_t> bytes(wave);
    EXPECT_EQ(std::string(wave.begin(), wave.begin() + 4), "RIFF");
    EXPECT_EQ(bytes::ReadInt32(bytes, 4), 36 + 12);
    EXPECT_EQ(std::string(wave.begin() + 8, wave.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(bytes::ReadInt16(bytes, 20), 1);
    EXPECT_EQ(bytes::ReadInt16(bytes, 22), 2);
    EXPECT_EQ(bytes::ReadInt32(bytes, 24), 44100);
    EXPECT_EQ(bytes::ReadInt32(bytes, 28), 44100 * 4);
    EXPECT_EQ(bytes::ReadInt16(bytes, 32), 4);
    EXPECT_EQ(bytes::ReadInt16(bytes, 34), 16);
    EXPECT_EQ(std::string(wave.begin() + 36, wave.begin() + 40), "data");
    EXPECT_EQ(bytes::ReadInt32(bytes, 40), 12);
    EXPECT_EQ(bytes::ReadInt16(bytes, 44 + 2), -1);
    EXPECT_EQ(bytes::ReadInt16(bytes, 44 + 6), -32767);
}

// Written a block at a time, the file holds exactly what the pass renders in memory; a file
// that may not be replaced is kept and the failure told.
TEST_F(PlaybackTest, TheWaveFileIsWrittenBlockByBlockWholeOrNotAtAll)
{
    CSongFileWriter w(2, 3);
    w.SetTempo(150);
    for (int q = 0; q < 24; q += 2)
        w.AddNote(q, 62 + q % 7, 2);
    const std::string song = sandbox.Path("short.mwd");
    ASSERT_TRUE(w.Write(song));
    const LoadedSong loaded = Load(song);
    const PlaySchedule schedule = MakePlaySchedule(loaded.score, 150, 120);
    HarpSynth first(SoundFont(), kSampleRate), synth(SoundFont(), kSampleRate);
    const std::vector<uint8_t> expected = WaveFileBytes(RenderPass(schedule, first), kSampleRate, 2);
    EXPECT_EQ(expected.size(), 44 + 4 * size_t(SchedulePlayer::PassFramesOf(schedule)));

    const std::string wav = sandbox.Path("short.wav");
    ASSERT_TRUE(WriteWaveFile(wav, schedule, synth));
    EXPECT_EQ(ReadFileBytes(wav), expected);
    EXPECT_EQ(sink.Count(), 0u);

    const std::vector<uint8_t> old = {'o', 'l', 'd'};
    WriteFileBytes(wav, old);
    ASSERT_EQ(chmod(wav.c_str(), 0444), 0);
    EXPECT_FALSE(WriteWaveFile(wav, schedule, synth));
    EXPECT_EQ(ReadFileBytes(wav), old);
    EXPECT_EQ(sink.Take().size(), 1u);
    EXPECT_FALSE(WriteWaveFile(sandbox.Path("no/such/folder.wav"), schedule, synth));
    EXPECT_EQ(sink.Take().size(), 1u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(sandbox.Path()), std::filesystem::directory_iterator()),
              2) << "no temporary file left beside the song and the kept file";
}

namespace {

// The first frame where two renderings differ, -1 when none does.
int64_t FirstDifferingFrame(const std::vector<int16_t>& a, const std::vector<int16_t>& b)
{
    const auto [at, _] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    return at == a.end() && a.size() == b.size() ? -1 : int64_t(at - a.begin()) / 2;
}

} // namespace

// A pass renders to the same samples however the synthesizer was left before it: after a whole
// pass, or cut off mid-note as a stop leaves it, with the reverb still full.
TEST_F(PlaybackTest, OneSynthesizerRendersTheSameScheduleToTheSameSamplesEachTime)
{
    CSongFileWriter w(1, 3);
    w.SetTempo(97); // frames of a pass and of a note that are not whole blocks of the synthesizer
    for (int q = 0; q < 12; q += 2)
        w.AddNote(q, 64 + q, 2);
    const std::string song = sandbox.Path("again.mwd");
    ASSERT_TRUE(w.Write(song));
    const LoadedSong loaded = Load(song);
    const PlaySchedule schedule = MakePlaySchedule(loaded.score, 97, 100);
    HarpSynth synth(SoundFont(), kSampleRate);
    ASSERT_TRUE(synth.Ready());
    const std::vector<int16_t> first = RenderPass(schedule, synth);
    EXPECT_EQ(FirstDifferingFrame(first, RenderPass(schedule, synth)), -1) << "after a whole pass";

    SchedulePlayer player(synth);
    player.Begin(schedule, 0, false);
    std::vector<float> left(5000), right(5000);
    for (int i = 0; i < 7; ++i)
        player.Render(left.data(), right.data(), 4999);
    EXPECT_EQ(FirstDifferingFrame(first, RenderPass(schedule, synth)), -1) << "after a pass cut off";
}

// ---- the soundfont ---------------------------------------------------------------------------

TEST_F(PlaybackTest, TheSoundFontIsThePlayersWhenUsableElseTheDistributions)
{
    const std::string ini = sandbox.Path("sound.ini");
    WriteFileBytes(ini, std::vector<uint8_t>{});
    EXPECT_EQ(ReadSoundFontSetting(ini), "");
    const std::string text = "\xEF\xBB\xBF; mine\n[other]\nsoundfont=/no\n[sound]\n  soundfont = /x/my harp.sf2 \r\n";
    WriteFileBytes(ini, std::vector<uint8_t>(text.begin(), text.end()));
    EXPECT_EQ(ReadSoundFontSetting(ini), "/x/my harp.sf2");
    EXPECT_EQ(ReadSoundFontSetting(sandbox.Path("missing.ini")), "");
    std::string big = "[sound]\nsoundfont=/a.sf2\n" + std::string(5000, ';');
    WriteFileBytes(ini, std::vector<uint8_t>(big.begin(), big.end()));
    EXPECT_EQ(ReadSoundFontSetting(ini), "") << "over 4 KiB";

    // The player's own soundfont, a copy of the installed one, is taken first.
    const std::string mine = sandbox.Path("mine.sf2");
    WriteFileBytes(mine, ReadFileBytes(SoundFont()));
    EXPECT_EQ(ChooseSoundFont(mine), mine);
    // What is not a soundfont, or missing, gives way to the distribution's.
    const std::string text2 = sandbox.Path("text.sf2");
    WriteFileBytes(text2, std::vector<uint8_t>(100, 'x'));
    EXPECT_EQ(ChooseSoundFont(text2), SoundFont());
    EXPECT_EQ(ChooseSoundFont(sandbox.Path("none.sf2")), SoundFont());
    const char* const none[] = {"/nonexistent/a.sf2"};
    EXPECT_EQ(ChooseSoundFont("", none), "");

    // A FIFO named as the soundfont or as sound.ini is never opened, so nothing waits for a writer.
    const std::string fifo = sandbox.Path("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::atomic<bool> done{false};
    std::thread probe([&] {
        EXPECT_EQ(ChooseSoundFont(fifo), SoundFont());
        EXPECT_EQ(ReadSoundFontSetting(fifo), "");
        done = true;
    });
    if (!PollUntil([&] { return done.load(); })) { // let the probe go before failing
        std::ofstream(fifo) << "x";
        std::ofstream(fifo) << "x";
    }
    probe.join();
    EXPECT_TRUE(done.load());
}

// ---- soundfonts made by the test --------------------------------------------------------------

namespace {

void PutLe(std::vector<uint8_t>& out, uint64_t value, int count)
{
    for (int i = 0; i < count; ++i)
        out.push_back(i < 8 ? static_cast<uint8_t>(value >> (8 * i)) : 0);
}

PlaySchedule OneNoteAt(int pitch)
{
    PlaySchedule schedule;
    schedule.notes.push_back({0, kSampleRate / 2, pitch, 0});
    schedule.length = kSampleRate;
    return schedule;
}

void PutName(std::vector<uint8_t>& out, const char* name, size_t size)
{
    std::string text(name);
    text.resize(size, '\0');
    out.insert(out.end(), text.begin(), text.end());
}

std::vector<uint8_t> Chunk(const char* id, const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> out(id, id + 4);
    PutLe(out, data.size(), 4);
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() % 2)
        out.push_back(0);
    return out;
}

std::vector<uint8_t> List(const char* type, const std::vector<std::vector<uint8_t>>& chunks)
{
    std::vector<uint8_t> data(type, type + 4);
    for (const auto& c : chunks)
        data.insert(data.end(), c.begin(), c.end());
    return Chunk("LIST", data);
}

// One preset of one instrument on one sample: a second of A4 as a sine, or a sample the tables
// claim to be `claimedWords` long (the file then sparse up to its end).
struct MadeSoundFont {
    int bank = 0;
    int program = HarpSynth::kHarpProgram;
    uint64_t claimedWords = 0;

    void Write(const std::string& path) const
    {
        constexpr uint32_t kWords = kSampleRate, kGuard = 46;
        const uint64_t words = claimedWords ? claimedWords : kWords + kGuard;
        std::vector<uint8_t> written;
        for (uint32_t i = 0; i < (claimedWords ? 64u : kWords + kGuard); ++i)
            PutLe(written, i < kWords ? uint16_t(int16_t(12000 * std::sin(2 * M_PI * 440.0 * i / kSampleRate))) : 0, 2);

        std::vector<uint8_t> phdr, pbag, pgen, inst, ibag, igen, shdr, mod(10, 0);
        PutName(phdr, "Made", 20);
        PutLe(phdr, program, 2), PutLe(phdr, bank, 2), PutLe(phdr, 0, 2), PutLe(phdr, 0, 12);
        PutName(phdr, "EOP", 20);
        PutLe(phdr, 0, 4), PutLe(phdr, 1, 2), PutLe(phdr, 0, 12);
        PutLe(pbag, 0, 4), PutLe(pbag, 1, 2), PutLe(pbag, 0, 2);
        PutLe(pgen, 41, 2), PutLe(pgen, 0, 2), PutLe(pgen, 0, 4);
        PutName(inst, "String", 20), PutLe(inst, 0, 2);
        PutName(inst, "EOI", 20), PutLe(inst, 1, 2);
        PutLe(ibag, 0, 4), PutLe(ibag, 1, 2), PutLe(ibag, 0, 2);
        PutLe(igen, 53, 2), PutLe(igen, 0, 2), PutLe(igen, 0, 4);
        PutName(shdr, "Sine", 20);
        const uint64_t end = words - kGuard;
        PutLe(shdr, 0, 4), PutLe(shdr, end, 4), PutLe(shdr, 8, 4), PutLe(shdr, end - 8, 4);
        PutLe(shdr, kSampleRate, 4), PutLe(shdr, 69, 1), PutLe(shdr, 0, 1), PutLe(shdr, 0, 2), PutLe(shdr, 1, 2);
        PutName(shdr, "EOS", 46);
        const std::vector<uint8_t> presets =
            List("pdta", {Chunk("phdr", phdr), Chunk("pbag", pbag), Chunk("pmod", mod), Chunk("pgen", pgen),
                          Chunk("inst", inst), Chunk("ibag", ibag), Chunk("imod", mod), Chunk("igen", igen),
                          Chunk("shdr", shdr)});
        std::vector<uint8_t> version;
        PutLe(version, 2, 2), PutLe(version, 1, 2);
        std::vector<uint8_t> engineName(std::begin("EMU8000"), std::end("EMU8000"));
        const std::vector<uint8_t> info = List("INFO", {Chunk("ifil", version), Chunk("isng", engineName),
                                                        Chunk("INAM", std::vector<uint8_t>{'T', 'e', 's', 't', 0, 0})});

        // RIFF, INFO, then the sample chunk's head; its data and the preset tables follow.
        const uint64_t sampleBytes = 2 * words;
        std::vector<uint8_t> head{'R', 'I', 'F', 'F'};
        PutLe(head, 4 + info.size() + 12 + 8 + sampleBytes + presets.size(), 4);
        head.insert(head.end(), {'s', 'f', 'b', 'k'});
        head.insert(head.end(), info.begin(), info.end());
        head.insert(head.end(), {'L', 'I', 'S', 'T'});
        PutLe(head, 4 + 8 + sampleBytes, 4);
        head.insert(head.end(), {'s', 'd', 't', 'a', 's', 'm', 'p', 'l'});
        PutLe(head, sampleBytes, 4);
        head.insert(head.end(), written.begin(), written.end());

        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(pwrite(fd, head.data(), head.size(), 0), ssize_t(head.size()));
        const off_t tables = off_t(head.size() - written.size() + sampleBytes);
        ASSERT_EQ(pwrite(fd, presets.data(), presets.size(), tables), ssize_t(presets.size()));
        close(fd);
    }
};

// The soundfonts a player may name that cannot give the harp, each with what is wrong with it.
struct UnusableSoundFont {
    const char* name;
    SoundFontFault fault;
    std::function<void(const std::string& path)> make;
};

std::vector<UnusableSoundFont> UnusableSoundFonts()
{
    const auto bytesOf = [](std::vector<uint8_t> bytes) {
        return [bytes](const std::string& path) { WriteFileBytes(path, bytes); };
    };
    std::vector<uint8_t> garbage{'R', 'I', 'F', 'F', 0, 0, 1, 0, 's', 'f', 'b', 'k'};
    for (uint32_t i = 0, x = 12345; i < 65536; ++i, x = x * 1103515245 + 12345)
        garbage.push_back(static_cast<uint8_t>(x >> 16));
    std::vector<uint8_t> truncated = ReadFileBytes(SoundFont());
    truncated.resize(100 * 1024);
    return {
        {"text", SoundFontFault::kNotSoundFont, bytesOf(std::vector<uint8_t>(100, 'x'))},
        {"garbage", SoundFontFault::kDamaged, bytesOf(garbage)},
        {"header only", SoundFontFault::kDamaged, bytesOf({'R', 'I', 'F', 'F', 4, 0, 0, 0, 's', 'f', 'b', 'k'})},
        {"cut at 100 KB", SoundFontFault::kDamaged, bytesOf(truncated)},
        {"without the harp", SoundFontFault::kNoHarp, [](const std::string& path) { MadeSoundFont{0, 0}.Write(path); }},
        {"harp in bank 8", SoundFontFault::kNoHarp, [](const std::string& path) { MadeSoundFont{8}.Write(path); }},
        // 8 KB on disk, a harp sample of 2 GB.
        {"sparse 2 GB", SoundFontFault::kTooLarge,
         [](const std::string& path) { MadeSoundFont{0, HarpSynth::kHarpProgram, 1ull << 30}.Write(path); }},
    };
}

} // namespace

// The file's own tables decide before FluidSynth reads it: what has no harp, is damaged or would
// fill memory is never loaded, and a small soundfont of the right shape plays.
TEST_F(PlaybackTest, ASoundFontIsLoadedOnlyWhenItsTablesHoldTheHarpWithinTheLimits)
{
    EXPECT_EQ(CheckSoundFont(SoundFont(), 0, HarpSynth::kHarpProgram), SoundFontFault::kNone);
    for (const UnusableSoundFont& font : UnusableSoundFonts()) {
        const std::string path = sandbox.Path("unusable.sf2");
        font.make(path);
        EXPECT_EQ(CheckSoundFont(path, 0, HarpSynth::kHarpProgram), font.fault) << font.name;
        EXPECT_FALSE(HarpSynth(path, kSampleRate).Ready()) << font.name;
        EXPECT_EQ(ChooseSoundFont(path), SoundFont()) << font.name;
        std::filesystem::remove(path);
    }
    struct stat st;
    const std::string sparse = sandbox.Path("sparse.sf2");
    MadeSoundFont{0, HarpSynth::kHarpProgram, 1ull << 30}.Write(sparse);
    ASSERT_EQ(stat(sparse.c_str(), &st), 0);
    EXPECT_GT(st.st_size, 2'000'000'000) << "the tables' sizes fit the file: only the limit refuses it";

    const std::string made = sandbox.Path("made.sf2");
    MadeSoundFont{}.Write(made);
    ASSERT_EQ(CheckSoundFont(made, 0, HarpSynth::kHarpProgram), SoundFontFault::kNone);
    HarpSynth synth(made, kSampleRate);
    ASSERT_TRUE(synth.Ready());
    const std::vector<int16_t> samples = RenderPass(OneNoteAt(69), synth);
    int peak = 0;
    for (const int16_t s : samples)
        peak = std::max(peak, std::abs(int(s)));
    EXPECT_GT(peak, 1000) << "the made soundfont sounds";
}

// ---- the engine, with a device of the test's own ----------------------------------------------

namespace {

struct Reports {
    std::mutex mutex;
    std::vector<std::pair<uint64_t, PlaybackReport>> got;
    std::function<void(uint64_t, PlaybackReport)> Sink()
    {
        return [this](uint64_t s, PlaybackReport r) {
            std::lock_guard lock(mutex);
            got.emplace_back(s, r);
        };
    }
    size_t WaitFor(size_t count)
    {
        PollUntil([&] {
            std::lock_guard lock(mutex);
            return got.size() >= count;
        });
        std::lock_guard lock(mutex);
        return got.size();
    }
};

PlaySchedule OneNote()
{
    return OneNoteAt(69);
}

} // namespace

TEST_F(PlaybackTest, TheEngineOpensTheDeviceOffTheCallersThreadAndReportsEachSession)
{
    FakeAudioDevice device;
    Reports reports;
    {
        PlaybackEngine engine(device.Factory(), "", reports.Sink());
        const uint64_t first = engine.Start(OneNote(), 0, false);
        ASSERT_EQ(reports.WaitFor(1), 1u);
        EXPECT_EQ(reports.got[0], std::make_pair(first, PlaybackReport::kStarted));
        EXPECT_TRUE(device.Render(kSampleRate / 4));
        EXPECT_EQ(engine.Position(), kSampleRate / 4);
        EXPECT_EQ(engine.LastStarted(), 0);

        // Stopped: the device is closed on the worker, then a new session opens it again.
        engine.Stop();
        ASSERT_TRUE(PollUntil([&] { return device.Closed() == 1; }));
        EXPECT_FALSE(device.Render(64));
        const uint64_t second = engine.Start(OneNote(), 0, false);
        EXPECT_GT(second, first);
        ASSERT_EQ(reports.WaitFor(2), 2u);
        EXPECT_EQ(reports.got[1], std::make_pair(second, PlaybackReport::kStarted));
        EXPECT_EQ(engine.Position(), 0);
        while (!engine.Ended())
            ASSERT_TRUE(device.Render(4096));

        // Without a device: told for the session, and the engine goes on.
        device.SetPresent(false);
        const uint64_t third = engine.Start(OneNote(), 0, false);
        ASSERT_EQ(reports.WaitFor(3), 3u);
        EXPECT_EQ(reports.got[2], std::make_pair(third, PlaybackReport::kNoDevice));
        device.SetPresent(true);
        engine.Start(OneNote(), 0, true);
        ASSERT_EQ(reports.WaitFor(4), 4u);
        EXPECT_EQ(reports.got[3].second, PlaybackReport::kStarted);
    }
    EXPECT_EQ(device.Opened(), 3);
    EXPECT_EQ(device.Closed(), 3) << "the engine's end closes the device";

}

// A soundfont of the player's that cannot give the harp is replaced by the installed one, said
// once for the engine before the session starts; with none installed, 再生 finds no soundfont.
TEST_F(PlaybackTest, TheEngineFallsBackToTheInstalledSoundFontAndSaysSoOnce)
{
    for (const UnusableSoundFont& font : UnusableSoundFonts()) {
        const std::string path = sandbox.Path("unusable.sf2");
        font.make(path);
        FakeAudioDevice device;
        Reports reports;
        PlaybackEngine engine(device.Factory(), path, reports.Sink());
        const uint64_t first = engine.Start(OneNote(), 0, false);
        ASSERT_EQ(reports.WaitFor(2), 2u) << font.name;
        EXPECT_EQ(reports.got[0], std::make_pair(first, PlaybackReport::kSoundFontReplaced)) << font.name;
        EXPECT_EQ(reports.got[1], std::make_pair(first, PlaybackReport::kStarted)) << font.name;
        ASSERT_TRUE(device.Advance(kSampleRate / 4));
        float peak = 0;
        for (const float v : device.left)
            peak = std::max(peak, std::abs(v));
        EXPECT_GT(peak, 0.01f) << font.name << ": the installed harp sounds";
        const uint64_t second = engine.Start(OneNote(), 0, false);
        ASSERT_EQ(reports.WaitFor(3), 3u);
        EXPECT_EQ(reports.got[2], std::make_pair(second, PlaybackReport::kStarted)) << font.name << ": said once";
        std::filesystem::remove(path);
    }

    // A usable soundfont of the player's is played without a word.
    const std::string made = sandbox.Path("made.sf2");
    MadeSoundFont{}.Write(made);
    {
        FakeAudioDevice device;
        Reports reports;
        PlaybackEngine engine(device.Factory(), made, reports.Sink());
        const uint64_t session = engine.Start(OneNote(), 0, false);
        ASSERT_EQ(reports.WaitFor(1), 1u);
        EXPECT_EQ(reports.got[0], std::make_pair(session, PlaybackReport::kStarted));
    }

    const std::string header = sandbox.Path("header.sf2");
    WriteFileBytes(header, {'R', 'I', 'F', 'F', 4, 0, 0, 0, 's', 'f', 'b', 'k'});
    const char* const none[] = {"/nonexistent/harp.sf2"};
    FakeAudioDevice device;
    Reports reports;
    PlaybackEngine engine(device.Factory(), header, reports.Sink(), none);
    const uint64_t session = engine.Start(OneNote(), 0, false);
    ASSERT_EQ(reports.WaitFor(1), 1u);
    EXPECT_EQ(reports.got[0], std::make_pair(session, PlaybackReport::kNoSoundFont));
    EXPECT_EQ(device.Opened(), 0);
}

namespace {

// What the process writes to its standard error while it lives.
class StderrCapture {
public:
    explicit StderrCapture(std::string path) : path(std::move(path))
    {
        std::fflush(stderr);
        saved = dup(2);
        const int fd = open(this->path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fd, 2);
        close(fd);
    }
    std::string Text()
    {
        if (saved >= 0) {
            std::fflush(stderr);
            dup2(saved, 2);
            close(saved);
            saved = -1;
        }
        const std::vector<uint8_t> bytes = ReadFileBytes(path);
        return std::string(bytes.begin(), bytes.end());
    }
    ~StderrCapture() { Text(); }

private:
    std::string path;
    int saved = -1;
};

} // namespace

// Opening the real device (none here, or a sound server's) and loading every unusable soundfont
// leave standard error to the program: ALSA, GLib and FluidSynth say nothing there.
TEST_F(PlaybackTest, TheSoundLibrariesWriteNothingToStandardError)
{
    std::vector<std::string> fonts;
    for (const UnusableSoundFont& font : UnusableSoundFonts()) {
        fonts.push_back(sandbox.Path(std::string(font.name) + ".sf2"));
        font.make(fonts.back());
    }
    StderrCapture captured(sandbox.Path("stderr.txt"));
    for (int i = 0; i < 2; ++i) {
        std::unique_ptr<IAudioOutput> output =
            OpenFluidAudioOutput(kSampleRate, [](float* left, float* right, int frames) {
                std::fill(left, left + frames, 0.0f);
                std::fill(right, right + frames, 0.0f);
            });
    }
    for (const std::string& font : fonts)
        EXPECT_FALSE(HarpSynth(font, kSampleRate).Ready()) << font;
    EXPECT_EQ(captured.Text(), "");
}
