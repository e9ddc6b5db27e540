#pragma once
// What one ABC tune writes for its melody, in the order it is written: the step between
// reading the music (AbcMusicReader) and playing its repeats out (AbcPlayout).

#include "import/Melody.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The decorations that steer the play order. Where a mark stands is left to the cut into
// measures, which knows the bar lines around it. A fermata steers only right before a thick
// bar line, where older tunes write it for the fine.
enum class AbcMark : uint8_t { Segno, Coda, ToCoda, DaCapo, DalSegno, Fine, Fermata };

struct AbcEvent {
    enum class Kind : uint8_t { Note, Rest, Bar, Meter, Chord, Mark };

    Kind kind = Kind::Rest;
    int64_t duration = 0;      // Note, Rest: ticks, > 0
    int pitch = MelodyNote::kRest; // Note: sounding MIDI number; kRest when it was unreadable
    bool tieAfter = false;     // Note
    std::vector<int> under;    // Note: the chord's other pitches, highest first, none twice
    std::string lyric;         // Note: first-verse syllable
    // Note: the syllables of later verses by verse number (2, 3, ...), and how many verses
    // its w: block writes; a pass without its own verse sings the first.
    std::vector<std::pair<int, std::string>> laterLyrics;
    int lyricVerses = 0;

    bool measureLine = false;  // Bar: a bar line that ends a measure (a bare [2 does not)
    int repeatEnds = 0;        // Bar: colons before the line
    bool repeatStart = false;  // Bar
    bool thick = false;        // Bar: ||, [|, |]
    uint32_t endings = 0;      // Bar: bit n starts ending n

    int numerator = 4;         // Meter
    int denominator = 4;
    int chordIndex = -1;       // Chord: into AbcWrittenTune::chords (onset unset)
    AbcMark mark = AbcMark::Segno; // Mark
};

struct AbcWrittenTune {
    std::vector<AbcEvent> events;
    std::vector<ChordSymbol> chords;
};

// A written note as lyrics see it: which event, and after how many bar lines.
struct AbcLyricSlot {
    size_t event = 0;
    int bar = 0;
};
