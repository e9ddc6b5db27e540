#pragma once
// What the harp sounds of a fitted score: every note of every drawn voice that has a string,
// at its pitch after the fitting, each voice on a channel of its own, timed in frames of the output at the song's tempo times the player's choice,
// with the clicks of the count-in and the metronome. The window, the renderer and the tests
// all time the sound and the mark from this one list.

#include "render/ScoreLayout.h"

#include <bitset>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

struct FittedScore;

constexpr int kSampleRate = 44100;
// The melody plays on channel 0, the other voices on the next ones by their role; none
// reaches General MIDI's percussion channel (9 from 0).
constexpr int kMelodyChannel = 0;
constexpr int kVoiceChannelCount = 5;
constexpr int kMinTempoPercent = 25, kMaxTempoPercent = 200, kTempoStepPercent = 5;

struct ScheduledNote {
    int64_t start = 0; // frame of the note-on
    int64_t end = 0;   // frame of the note-off, after start
    int pitch = 0;
    int placed = -1;    // the drawn note: an index into the score's geometry.notes
    bool muted = false; // marked but not heard, for playing along
    // The voice's synthesizer channel, so that two voices on one pitch never stop each other.
    int channel = kMelodyChannel;
};

struct ScheduledClick {
    int64_t frame = 0;
    bool accent = false; // the measure's first beat
};

struct PlaySchedule {
    int sampleRate = kSampleRate;
    int tempoPercent = 100;
    std::vector<ScheduledNote> notes;   // by start
    std::vector<ScheduledClick> clicks; // by frame
    int64_t length = 0;                 // frames of one pass; a loop starts again at loopStart
    int64_t loopStart = 0;              // after a count-in played before the first pass only
    int64_t tuneStart = 0;              // the first frame of the music, after any count-in
    int clickVolume = 100;              // percent of the clicks' full loudness
};

// Where the metronome clicks within a measure of the song, in time units from its start.
struct BeatClicks {
    int32_t measureLength = 4 * kUnitsPerBeat;
    std::vector<int32_t> beats{0, kUnitsPerBeat, 2 * kUnitsPerBeat, 3 * kUnitsPerBeat};
};

// Every beat of the song's grid, which counts a compound meter (6/8, 9/8, 12/8) in its dotted
// beats already (song/MeterBeats.h).
BeatClicks ClickBeats(int beatsPerMeasure);

// Time units of the shown layout, [first, second): a passage chosen in it.
using UnitRange = std::pair<int32_t, int32_t>;

struct PlayOptions {
    int tempoPercent = 100;
    bool countIn = false;
    bool countInEveryPass = false; // with a loop: before each pass, not only the first
    bool metronome = false;
    bool muteMelody = false; // the other voices still sound
    // Voices by channel that are marked but not heard, as muteMelody does for the melody.
    std::bitset<kVoiceChannelCount> mutedVoices;
    int clickVolume = 100; // 0..100 % of the count-in's and the metronome's loudness
    // None: the whole layout, as its jumps lead. A passage plays its measures once each, in
    // the order written, so that a passage inside a repeat is not played twice a pass.
    std::optional<UnitRange> passage;
    bool writtenOrder = false; // the whole layout so too: it holds a passage laid out alone
    BeatClicks beats;
    int sampleRate = kSampleRate;
};

// Where a laid-out note sounds, in time units from the first shown measure.
struct SoundingSpan {
    double start;
    double end;
};
std::vector<SoundingSpan> SoundingSpans(const FittedScore& score);

// The schedule of the shown measures (or the passage); a tempo outside the song file's 40..240
// is taken as the reader repairs it, the percentage is held within 25..200.
PlaySchedule MakePlaySchedule(const FittedScore& score, int beatsPerMinute, const PlayOptions& options);
PlaySchedule MakePlaySchedule(const FittedScore& score, int beatsPerMinute, int tempoPercent);

// A percentage held within the range and on its 5 % steps.
int HeldTempoPercent(int percent);

// The melody's note sounding at `frame`: the latest one started whose end has not passed; -1 in
// a rest or outside the schedule.
int SoundingNoteAt(const PlaySchedule& schedule, int64_t frame);
// Every drawn note sounding at `frame`, of any voice: indices into the geometry's notes, in
// ascending order, a circle two voices share once.
std::vector<int> SoundingNotesAt(const PlaySchedule& schedule, int64_t frame);
