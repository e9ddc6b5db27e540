// ABC: listing a collection of 1000 tunes next to a bare scan of its lines for X:, and
// reading one tune into a melody.

#include "import/ScoreImport.h"
#include "import/abc/AbcReader.h"
#include "render/FittedScore.h"
#include "document/SettingsScore.h"
#include "document/TuneDocument.h"
#include "settings/ConfigRecord.h"
#include "song/CSongData.h"

#include <benchmark/benchmark.h>
#include <fstream>
#include <filesystem>
#include <cstring>
#include <memory>
#include <string>

namespace {

// A reel of two repeated parts with endings, chords and a verse, as folk collections hold them.
std::string Reel(int number)
{
    const std::string n = std::to_string(number);
    return "X:" + n + "\nT:Reel number " + n + "\nR:reel\nC:Trad.\nM:4/4\nL:1/8\nQ:1/4=120\nK:D\n"
           "|:\"D\"A2FA dAFA|\"G\"B2GB dBGB|\"D\"A2FA dAFA|1\"A7\"BAGF E2D2:|2\"A7\"BAGF EFGA||\n"
           "w:one two three four five six sev-en eight nine ten e-lev-en twelve\n"
           "|:\"D\"d2fd Adfd|\"G\"g2bg dgbg|\"D\"f2af dfaf|1\"A7\"gfed e2dc:|2\"A7\"gfed d4|]\n"
           "w:la la la la la la la la la la la la la la la la\n\n";
}

const std::vector<uint8_t>& Collection()
{
    static const std::vector<uint8_t> bytes = [] {
        std::string text = "%abc-2.1\n%%propagate-accidentals pitch\n\n";
        for (int i = 1; i <= 1000; ++i)
            text += Reel(i);
        return std::vector<uint8_t>(text.begin(), text.end());
    }();
    return bytes;
}

void AbcList_1000Tunes(benchmark::State& state)
{
    std::vector<MelodyChoice> tunes;
    for (auto _ : state) {
        ListAbcTunes(Collection(), tunes);
        benchmark::DoNotOptimize(tunes.data());
    }
    state.counters["tunes"] = static_cast<double>(tunes.size());
}
BENCHMARK(AbcList_1000Tunes)->Unit(benchmark::kMicrosecond);

// The floor: every line looked at once for a leading "X:".
void Baseline_AbcScanForX(benchmark::State& state)
{
    const std::vector<uint8_t>& bytes = Collection();
    const char* const begin = reinterpret_cast<const char*>(bytes.data());
    const char* const end = begin + bytes.size();
    for (auto _ : state) {
        size_t count = 0;
        for (const char* p = begin; p < end;) {
            count += end - p >= 2 && p[0] == 'X' && p[1] == ':';
            const void* newline = std::memchr(p, '\n', end - p);
            p = newline ? static_cast<const char*>(newline) + 1 : end;
        }
        benchmark::DoNotOptimize(count);
    }
}
BENCHMARK(Baseline_AbcScanForX)->Unit(benchmark::kMicrosecond);

void Read(benchmark::State& state, const std::vector<uint8_t>& bytes, int choice)
{
    Melody melody;
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadAbc(bytes, choice, melody));
    state.counters["notes"] = static_cast<double>(melody.notes.size());
}

void AbcRead_OneTune(benchmark::State& state)
{
    const std::string text = Reel(1);
    Read(state, std::vector<uint8_t>(text.begin(), text.end()), 1);
}
BENCHMARK(AbcRead_OneTune)->Unit(benchmark::kMicrosecond);

// The tune chosen from the collection: the file is searched for it first.
void AbcRead_TuneOf1000(benchmark::State& state)
{
    Read(state, Collection(), 500);
}
BENCHMARK(AbcRead_TuneOf1000)->Unit(benchmark::kMicrosecond);

} // namespace

namespace {

// Hundreds of short repeats and a group of five endings whose lines cannot all be drawn: the
// jump lines of the whole tune are routed, then given up.
Score* HostileRepeats()
{
    static const std::unique_ptr<Score> song = [] {
        std::string text = "X:1\nT:Hostile\nM:1/4\nL:1/8\nK:C\n";
        for (int i = 0; i < 480; ++i)
            text += "|: C D :| ";
        text += "|: E F |1 G A :|2 A B :|3 B c :|4 c d :|5 d e |]\n";
        ImportOutcome loaded = ImportScoreBytes(ScoreFormat::Abc, std::vector<uint8_t>(text.begin(), text.end()), "h.abc");
        FitScoreToFrame(loaded.score, ScoreFrameOf(DefaultConfigRecord()), DefaultConfigRecord().lowestNote);
        return std::make_unique<Score>(std::move(loaded.score));
    }();
    return song.get();
}

void Route_HostileRepeats(benchmark::State& state)
{
    const ScoreFrame frame = ScoreFrameOf(DefaultConfigRecord());
    for (auto _ : state)
        benchmark::DoNotOptimize(LayOutFittedScore(frame, *HostileRepeats(), {1, 32}, 0).layout.fallback);
}
BENCHMARK(Route_HostileRepeats)->Unit(benchmark::kMillisecond);

// The floor: the same range laid out as played, with nothing to route.
void Baseline_LayOutAsPlayed(benchmark::State& state)
{
    const ScoreFrame frame = ScoreFrameOf(DefaultConfigRecord());
    for (auto _ : state)
        benchmark::DoNotOptimize(
            LayOutFittedScore(frame, *HostileRepeats(), {1, 32}, 0, RepeatDrawing::kWrittenOut).layout.notes.size());
}
BENCHMARK(Baseline_LayOutAsPlayed)->Unit(benchmark::kMillisecond);

} // namespace

namespace {

// 200 measures of four voices in eighths and quarters, as a chorale or a duet arrangement stands.
const std::vector<uint8_t>& FourVoiceTune()
{
    static const std::vector<uint8_t> bytes = [] {
        std::string text = "X:1\nT:Four\nM:4/4\nL:1/8\nK:G\n";
        const char* lines[] = {"V:1\n", "V:2\n", "V:3\n", "V:4\n"};
        const char* bars[] = {"g2 fe d2 B2|", "B2 AG F2 D2|", "D2 C2 B,2 G,2|", "G,4 D,4|"};
        for (int v = 0; v < 4; ++v) {
            text += lines[v];
            for (int m = 0; m < 200; ++m)
                text += bars[v] + std::string(m % 8 == 7 ? "\n" : ""); // no empty line: it ends the tune
        }
        return std::vector<uint8_t>(text.begin(), text.end());
    }();
    return bytes;
}

// The tune read from its file, fitted and laid out as the window opens it, through the open
// tune's one path: the melody alone, and with the other three voices, in one run.
void LoadFitLayOut(benchmark::State& state, bool fourVoices)
{
    static const std::string path = [] {
        const std::string file = (std::filesystem::temp_directory_path() / "dovrel-bench-four.abc").string();
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(FourVoiceTune().data()),
                                                   static_cast<std::streamsize>(FourVoiceTune().size()));
        return file;
    }();
    ImportRequest request;
    request.grid = false; // as the window reads it
    if (fourVoices) {
        VoiceChoice voices;
        voices[VoiceRole::kSecond] = 2;
        voices[VoiceRole::kThird] = 3;
        voices[VoiceRole::kFourth] = 4;
        request.voices = voices;
    }
    const ConfigRecord settings = DefaultConfigRecord();
    for (auto _ : state) {
        TuneDocument tune;
        tune.SetHarp(ScoreFrameOf(settings), settings.lowestNote);
        tune.Load(path, request);
        tune.Fit();
        tune.Show(std::nullopt, FirstShownMeasures(*tune.Song()), RepeatDrawing::kLines);
        benchmark::DoNotOptimize(tune.Fitted().geometry.notes.size());
    }
}
void LoadFitLayOut_200Measures_Melody(benchmark::State& state) { LoadFitLayOut(state, false); }
void LoadFitLayOut_200Measures_FourVoices(benchmark::State& state) { LoadFitLayOut(state, true); }
BENCHMARK(LoadFitLayOut_200Measures_Melody)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadFitLayOut_200Measures_FourVoices)->Unit(benchmark::kMillisecond);

} // namespace
