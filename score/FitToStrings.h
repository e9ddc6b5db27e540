#pragma once

#include <array>
#include <cstdint>
#include <span>

struct Score;

// Transposes the score by octaves, until its melody's lowest note, then by semitones, until its lowest note is at least
// `lowestNote` and its highest at most `highestString`: up by 12 while too low, down by 12
// while too high, then the same by 1. Each of the four loops stops after kMaxFitSteps, so
// strings that no fold of the song can reach never hang the caller. Returns the semitones
// applied in all.
constexpr int kMaxFitSteps = 128;
int FitToStrings(Score& score, int lowestNote, int highestString);

// Fits the song to any table of string notes. Strings one per semitone take FitToStrings with
// `lowestNote` and the top string. Any other table (a diatonic harp) takes, among the shifts
// -kMaxTableShift..+kMaxTableShift, the one that leaves the fewest notes without a string;
// ties go to a shift that keeps every note within the strings' range, then to the smallest
// shift, then to the upward one. Returns the semitones applied.
constexpr int kMaxTableShift = 36;
int FitToStringTable(Score& score, int lowestNote, std::span<const int32_t> strings);

// Notes of the whole melody that would have no string after moving it by `shift` semitones.
int CountNotesWithoutString(const Score& score, int shift, std::span<const int32_t> strings);

// How many of a set of notes stand at each pitch: a move is weighed once per pitch, not per note.
using PitchCounts = std::array<int, 128>;
PitchCounts MelodyPitchCounts(const Score& score);
int CountNotesWithoutString(const PitchCounts& pitches, int shift, std::span<const int32_t> strings);

// The melody's lowest and highest note; 128 and -1 when it has none.
void MelodyPitchRange(const Score& score, int& lowest, int& highest);
