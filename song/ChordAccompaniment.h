#pragma once
// An accompaniment for a second player made from a song's chord names: the root on each change
// of chord, with its fifth, an octave or more under the melody, held until the next change or
// the measure's end.

#include "song/SongVoices.h"

class CSongData;

// The accompaniment of the song's chord names ("コードから"); no notes when it names no chord
// whose root is known.
SongVoice AccompanimentFromChords(const CSongData& song);

// Whether the song names a chord an accompaniment can be made from.
bool HasChordNames(const CSongData& song);
