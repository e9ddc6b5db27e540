#pragma once
// An accompaniment for a second player made from a song's chord names: the root on each change
// of chord, with its fifth, an octave or more under the melody, held until the next change or
// the measure's end.

#include "score/Score.h"

// The accompaniment of the song's chord names ("コードから"); no notes when it names no chord
// whose root is known.
ScoreVoice AccompanimentFromChords(const Score& score);

// Whether the song names a chord an accompaniment can be made from.
bool HasChordNames(const Score& score);

// Makes the score's accompaniment from its chord names, replacing any it has; false when it
// names no chord to make one from.
bool AddChordAccompaniment(Score& score);
