#pragma once
// The score the settings make of a song: their harp, their picture size, their lowest note.

#include "render/FittedScore.h"
#include "settings/ConfigRecord.h"

struct Score;

// The harp and picture of the settings: (strings + 1) x spacing wide, the vertical size high;
// every string's pitch within 0..127.
ScoreFrame ScoreFrameOf(const ConfigRecord& settings);

// Fits the song to the settings' harp (moving its notes) and lays out the measures.
FittedScore FitScore(const ConfigRecord& settings, Score& score, MeasureRange measures);
