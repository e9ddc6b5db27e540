#pragma once
// The values of the ABC fields a melody depends on: M:, L:, Q:, K: and V:. Each function
// reads one field's text (comment already removed) and knows nothing of the tune around it.

#include "song/ModalKey.h"

#include <array>
#include <optional>
#include <string_view>

struct AbcFraction {
    int num = 1;
    int den = 8;
};

struct AbcMeter {
    bool free = true; // M:none, or no M: at all
    int numerator = 4;
    int denominator = 4;
};

// Octave changes from a clef ("treble-8") and from octave=N, in semitones; each is
// remembered separately, as a later field may name one without the other.
struct AbcClef {
    bool clefGiven = false;
    int clefShift = 0;
    bool octaveGiven = false;
    int octaveShift = 0;

    void Update(const AbcClef& later);
    int Shift() const { return clefShift + octaveShift; }
};

struct AbcKey {
    bool named = false;  // a tonic, "none", a bagpipe key or explicit accidentals were given
    bool none = false;   // K:none: no signature
    int fifths = 0;      // of the tonic and mode, -7..7 (enharmonically folded)
    bool minor = false;  // minor, or a mode with a minor third
    std::optional<ChurchMode> mode; // a mode named other than major or minor
    std::array<int, 7> accidentals{}; // the signature by letter C D E F G A B
};

// false when the text is not a meter (M:0/0, M:x); "C", "C|" and "none" are meters.
bool ParseAbcMeter(std::string_view text, AbcMeter& meter);

// false when the text is not a unit length (L:1/0).
bool ParseAbcUnitLength(std::string_view text, AbcFraction& unit);

// Quarter notes per minute, 0 when the field names no tempo (Q:"Allegro"), -1 when it is
// unreadable. A bare number counts unit lengths.
double ParseAbcTempo(std::string_view text, AbcFraction unit);

// false when the first word is neither a key nor a clef setting.
bool ParseAbcKey(std::string_view text, AbcKey& key, AbcClef& clef);

// The voice's id (its first word); its clef settings go to `clef`.
std::string_view ParseAbcVoice(std::string_view text, AbcClef& clef);

// The voice's name= (else nm=) as written, without its quotes; empty when it gives none.
std::string_view ParseAbcVoiceName(std::string_view text);
