#pragma once
// The order in which a score's measures are played: repeats taken, first and second endings
// chosen, and da capo, dal segno, fine and coda followed where the score marks them. The
// song's grid holds the tune as played; the written measures are kept beside it.

#include "song/SongRepeats.h"

#include <vector>

// Indices into `marks`, in playing order. A backward repeat outside an ending is taken as often
// as it says; inside an ending, while an ending for the next time through waits ahead. After
// a jump (da capo or dal segno) repeats are not taken again and only the last ending of each
// group is played, as players do.
std::vector<int> PlayOrder(const std::vector<MeasureMarks>& marks);
