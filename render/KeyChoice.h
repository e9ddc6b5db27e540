#pragma once
// The key the player plays in: the fit's, or a transposition of the song as written, with
// what each key would leave without a string.

#include "render/FittedScore.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct Score;

// The semitones from the song as written that the player chose; none: the automatic fit.
using KeyChoice = std::optional<int>;

// The window offers every transposition in this range.
constexpr int kMinOfferedShift = -12, kMaxOfferedShift = 12;

struct KeyOffer {
    int transposition = 0; // semitones from the song as written
    int keyIndex = 0;      // into kKeyTable: the key the song is in then
    int missingNotes = 0;  // drawn notes without a string then
};

// Moves a score that stands `applied` semitones from its written form to the chosen key, or
// to the fit when none is chosen; returns the semitones it then stands from the written form.
int MoveScoreToKey(Score& score, int applied, KeyChoice chosen, const ScoreFrame& frame, int lowestNote);

// Notes of every voice of `whole` (the score as drawn, at whole.transposition) that would have
// no string on its frame at `transposition` from the written song, counted as the sheet would
// then count them.
int MissingNotesAt(const FittedScore& whole, int transposition);

// The key of a song whose key index is `keyIndex` now, at `transposition` from the written
// form instead of `applied`.
int KeyIndexAt(int keyIndex, int applied, int transposition);

// Every transposition from kMinOfferedShift to kMaxOfferedShift in order; on a harp whose
// strings are not one per semitone those that leave no note without a string come first.
std::vector<KeyOffer> OfferKeys(const FittedScore& whole, int keyIndex);

// One offer for each of the twelve keys, at its nearest octave that fits (fewest notes
// without a string, then the smallest shift), from the written key upwards; on a diatonic
// harp the keys without missing notes first.
std::vector<KeyOffer> OfferEachKey(const FittedScore& whole, int keyIndex);

// The transposition that gives the key named as in the key table ("G", "Bb", "Em", also
// "Db" or "A#m"), at its nearest octave that fits; none when the name is no key or its mode
// is not the song's.
std::optional<int> TranspositionForKey(const FittedScore& whole, int keyIndex, std::string_view name);

// Whether the frame's strings run one per semitone (a chromatic harp).
bool StringsOnePerSemitone(const ScoreFrame& frame);

// "+2", "−3", "±0".
std::string ShiftText(int semitones);

// "ト長調", "変ロ長調", "嬰ヘ短調"; "G major", "b-Moll" in the chosen language.
std::string KeyName(int keyIndex);
// "ト長調 (G) — 全音が弦にある", "変ロ長調 (Bb) — 3音不足".
std::string KeyOfferText(const KeyOffer& offer);
