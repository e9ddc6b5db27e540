#pragma once
// The song file's grid as a score, and back. The grid is one file format among the others: a
// song read from it becomes a score without loss, and a score is written to it with what the
// grid cannot hold counted.

#include "score/Score.h"

class CSongData;

// A song's beat is a quarter of the score: 6720 ticks. Each grid place is a sixth of it.
constexpr int64_t kSongBeatTicks = kTicksPerQuarter;
constexpr int64_t kGridSixthTicks = kSongBeatTicks / 6;

// Every note of the grid at the time it sounds, drawn where the grid draws it: entry 1 sounds on
// the cell's second quarter beat (on its third, in a cell of a triplet or a beat counted in
// three) though it is drawn a sixth after the cell. Chord names, key, tempo, title (as UTF-8)
// and fame come along; the song's other voices and repeats too.
Score ScoreOfSong(const CSongData& song);
