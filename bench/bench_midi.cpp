// The MIDI reader next to its bounded decode of the same file alone, measured in one run.

#include "import/midi/MidiFile.h"
#include "import/midi/MidiReader.h"
#include "tests/support/MidiBytes.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kMeasures = 400;

// A song as a keyboard's sequencer writes it: conductor, melody, chords, bass and drums, with
// controllers and program changes; about 2000 notes in 4/4.
const std::vector<uint8_t>& SequencerSong()
{
    static const std::vector<uint8_t> bytes = [] {
        MidiTrackBytes conductor, melody, chords, bass, drums;
        conductor.Name("Bench").TimeSignature(0, 4, 2).KeySignature(0, 1, false).Tempo(0, 500000).End();
        melody.Name("Melody").Raw({0x00, 0xC0, 73, 0x00, 0xB0, 7, 100});
        chords.Name("Chords").Raw({0x00, 0xC1, 0});
        bass.Name("Bass").Raw({0x00, 0xC2, 33});
        drums.Name("Drums");
        for (int m = 0; m < kMeasures; ++m) {
            for (int beat = 0; beat < 4; ++beat)
                melody.Note(0, 67 + (m * 5 + beat * 3) % 12, 480);
            melody.Raw({0x00, 0xB0, 11, uint8_t(64 + m % 32)});
            const int root = 48 + (m * 7) % 12;
            chords.On(0, 1, root).On(0, 1, root + 4).On(0, 1, root + 7);
            chords.Off(1920, 1, root).Off(0, 1, root + 4).Off(0, 1, root + 7);
            bass.Note(0, root - 12, 960, 2).Note(0, root - 5, 960, 2);
            for (int beat = 0; beat < 4; ++beat)
                drums.Note(0, beat % 2 ? 38 : 36, 480, 9);
        }
        for (MidiTrackBytes* t : {&melody, &chords, &bass, &drums})
            t->End();
        return MidiFileBytes(1, 480, {conductor, melody, chords, bass, drums});
    }();
    return bytes;
}

void Import_Midi(benchmark::State& state)
{
    const std::vector<uint8_t>& bytes = SequencerSong();
    size_t notes = 0;
    for (auto _ : state) {
        Melody melody;
        benchmark::DoNotOptimize(ReadMidi(bytes, kDefaultChoice, melody));
        notes = melody.notes.size();
    }
    state.counters["notes"] = static_cast<double>(notes);
}
BENCHMARK(Import_Midi)->Unit(benchmark::kMicrosecond);

// Decodes the file into its tracks' names, notes and timing, without choosing a melody.
void Baseline_BareMidiDecode(benchmark::State& state)
{
    const std::vector<uint8_t>& bytes = SequencerSong();
    for (auto _ : state) {
        MidiFile file;
        benchmark::DoNotOptimize(ReadMidiFile(bytes, file));
        benchmark::DoNotOptimize(file.tracks.data());
    }
}
BENCHMARK(Baseline_BareMidiDecode)->Unit(benchmark::kMicrosecond);

} // namespace
