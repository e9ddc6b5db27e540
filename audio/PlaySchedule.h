#pragma once
// What the harp sounds of a fitted score: every note that has a string, at its pitch after
// the fitting, timed in frames of the output at the song's tempo times the player's choice.
// The window, the renderer and the tests all time the sound and the mark from this one list.

#include <cstdint>
#include <vector>

struct FittedScore;

constexpr int kSampleRate = 44100;
constexpr int kMinTempoPercent = 50, kMaxTempoPercent = 150;

struct ScheduledNote {
    int64_t start = 0; // frame of the note-on
    int64_t end = 0;   // frame of the note-off, after start
    int pitch = 0;
    int placed = -1; // the drawn note: an index into the score's geometry.notes
};

struct PlaySchedule {
    int sampleRate = kSampleRate;
    std::vector<ScheduledNote> notes; // by start
    int64_t length = 0;               // frames of the shown measures; a loop starts again here
};

// Where a laid-out note sounds, in time units (sixths of a beat) from the first shown measure.
// The grid draws entry 1 a sixth after the cell, but it stands for the second quarter of the
// half beat; only in a cell that takes part in a triplet (entry 2 used there or in the cell
// before) is it the sixth it is drawn at.
struct SoundingSpan {
    double start;
    double end;
};
std::vector<SoundingSpan> SoundingSpans(const FittedScore& score);

// The schedule of the shown measures; a tempo outside 20..960 (an imported score's own may
// lie beyond the song file's 40..240) is taken as the song reader repairs it, the percentage
// is held within 50..150.
PlaySchedule MakePlaySchedule(const FittedScore& score, int beatsPerMinute, int tempoPercent,
                              int sampleRate = kSampleRate);

// The note sounding at `frame`: the latest one started whose end has not passed; -1 in a rest
// or outside the schedule.
int SoundingNoteAt(const PlaySchedule& schedule, int64_t frame);
