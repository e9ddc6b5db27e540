#pragma once
// An accompaniment for a second player made from a song's chord names: a strike at every
// written chord name (the same name written again included) and on the first beat of every
// measure a chord carries into, played in a pattern, an octave or more under the melody.

#include "score/Score.h"

#include <optional>
#include <string_view>

// How the accompaniment plays each chord.
enum class ChordPattern : uint8_t {
    kRoot,      // the root, held
    kRootFifth, // the root with its fifth, held
    kBassChord, // the root on the first beat, the chord's other notes together on the others
    kBroken,    // root, fifth, third, fifth on successive beats
    kBlock,     // the triad at once, held
};
constexpr int kChordPatternCount = 5;

// The names --voices and a tune's sheet use: "root", "root-fifth", "bass-chord", "broken", "block".
const char* ChordPatternName(ChordPattern pattern);
std::optional<ChordPattern> ChordPatternNamed(std::string_view name);
// The roles dialog's: "根音", "根音と5度", "ベースと和音", "分散和音", "和音".
const char* ChordPatternLabel(ChordPattern pattern);

// The accompaniment of the song's chord names ("コードから"); no notes when it names no chord
// whose root is known.
ScoreVoice AccompanimentFromChords(const Score& score, ChordPattern pattern = ChordPattern::kRootFifth);

// Whether the song names a chord an accompaniment can be made from.
bool HasChordNames(const Score& score);

// Makes the score's accompaniment from its chord names, replacing any it has; false when it
// names no chord to make one from.
bool AddChordAccompaniment(Score& score, ChordPattern pattern = ChordPattern::kRootFifth);
