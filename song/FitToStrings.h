#pragma once

class CSongData;

// Transposes the song by octaves, then by semitones, until its lowest note is at least
// `lowestNote` and its highest at most `highestString`: up by 12 while too low, down by 12
// while too high, then the same by 1. Each of the four loops stops after kMaxFitSteps, so
// strings that no fold of the song can reach never hang the caller. Returns the semitones
// applied in all.
constexpr int kMaxFitSteps = 128;
int FitToStrings(CSongData& song, int lowestNote, int highestString);
