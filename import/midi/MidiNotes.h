#pragma once
// Turns a track's note-on and note-off events into notes, as keyboards and sequencers write
// them, and picks the melody line out of them.

#include <cstdint>
#include <vector>

struct MidiNoteEvent {
    int64_t tick = 0;
    int channel = 0;
    int pitch = 0;
    bool on = false; // a note-on of velocity 0 is an off
};

struct MidiTimedNote {
    int64_t start = 0;
    int64_t end = 0;
    int pitch = 0;
};

// Events in file order. Each off ends the earliest sounding note of its channel and pitch, so
// a new note written just before the off of the previous one at the same tick survives. A
// note still sounding when the next one of its pitch starts ends there; one never ended lasts
// to trackEnd. Notes that last no time are dropped; those the file left without a length
// count in skipped.
std::vector<MidiTimedNote> PairNotes(const std::vector<MidiNoteEvent>& events, int64_t trackEnd, int& skipped);

// The highest note at each onset, by onset.
std::vector<MidiTimedNote> HighestAtEachOnset(std::vector<MidiTimedNote> notes);
