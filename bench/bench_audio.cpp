// The offline sound next to the synthesizer rendering the same frames alone, measured in one
// run; the counter tells how many times faster than real time a 3-minute tune is written.

#include "audio/HarpSynth.h"
#include "audio/PlaySchedule.h"
#include "audio/SoundFont.h"
#include "audio/WaveRender.h"
#include "document/SettingsScore.h"
#include "score/SongScore.h"
#include "song/CSongData.h"
#include "song/CSongFileWriter.h"

#include <benchmark/benchmark.h>
#include <filesystem>

namespace {

// Three minutes at 120 beats per minute: 90 measures of eighths, quarters and a few long notes.
constexpr int kMeasures = 90;

struct Tune {
    std::unique_ptr<Score> song;
    FittedScore score;
};

const Tune& ThreeMinuteTune()
{
    static const Tune tune = [] {
        CSongFileWriter w(kMeasures, 4);
        w.SetTempo(120);
        for (int m = 0; m < kMeasures; ++m) {
            const int base = m * 16;
            if (m % 8 == 7) {
                w.AddNote(base, 60 + m % 12, 16);
                continue;
            }
            for (int q = 0; q < 8; q += 2)
                w.AddNote(base + q, 60 + (m * 3 + q) % 19, 2);
            w.AddNote(base + 8, 67 + m % 5, 4);
            w.AddNote(base + 12, 64 + m % 7, 4);
        }
        const std::string path = (std::filesystem::temp_directory_path() / "dovrel-bench-tune.mwd").string();
        w.Write(path);
        Tune t;
        int32_t measures = 0, beats = 0, key = 0;
        const CSongData read(path.c_str(), measures, beats, key);
        t.song = std::make_unique<Score>(ScoreOfSong(read));
        t.score = FitScore(DefaultConfigRecord(), *t.song, {1, kMeasures});
        return t;
    }();
    return tune;
}

void Audio_ThreeMinuteTune(benchmark::State& state)
{
    const Tune& tune = ThreeMinuteTune();
    HarpSynth synth(ChooseSoundFont(""), kSampleRate);
    if (!synth.Ready()) {
        state.SkipWithError("no soundfont");
        return;
    }
    const PlaySchedule schedule = MakePlaySchedule(tune.score, tune.song->PlayedTempo(), 100);
    size_t bytes = 0;
    for (auto _ : state) {
        const std::vector<int16_t> samples = RenderPass(schedule, synth);
        const std::vector<uint8_t> wave = WaveFileBytes(samples, kSampleRate, 2);
        bytes = wave.size();
        benchmark::DoNotOptimize(wave.data());
    }
    const double seconds = double(bytes - 44) / 4 / kSampleRate;
    state.counters["audio_s"] = seconds;
    state.counters["x_realtime"] = benchmark::Counter(seconds * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(Audio_ThreeMinuteTune)->Unit(benchmark::kMillisecond)->Iterations(3);

// The floor: the same frames of one held note from the synthesizer, without the schedule or
// the file.
void Baseline_SynthFrames(benchmark::State& state)
{
    const Tune& tune = ThreeMinuteTune();
    HarpSynth synth(ChooseSoundFont(""), kSampleRate);
    const PlaySchedule schedule = MakePlaySchedule(tune.score, tune.song->PlayedTempo(), 100);
    const int64_t frames = schedule.length + int64_t(kSampleRate) * 3 / 2;
    std::vector<float> left(1024), right(1024);
    for (auto _ : state) {
        synth.NoteOn(67);
        for (int64_t at = 0; at < frames; at += 1024)
            synth.Write(left.data(), right.data(), 1024);
        synth.Silence();
        benchmark::DoNotOptimize(left.data());
    }
}
BENCHMARK(Baseline_SynthFrames)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
