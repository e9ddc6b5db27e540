#pragma once
// Note names, the key table and the transposition of chord names.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

constexpr int kChordNameSize = 8; // at most 7 bytes and a NUL

extern const std::array<const char*, 12> kNoteNames; // sharp spelling, index = pitch class

enum class KeyMode : uint8_t { Major = 0, Minor = 1 };

struct KeyEntry {
    KeyMode mode;
    int8_t accidentals; // sharps when positive, flats when negative
    const char* name;
    int32_t pitchClass;
};

constexpr int kKeyCount = 30;
extern const std::array<KeyEntry, kKeyCount> kKeyTable;

// Reduces any integer into 0..11.
int PitchClass(int value);

// The sharp name with its octave, middle C (note 60) being "C4".
std::string NoteNameWithOctave(int noteNumber);

// The flat spelling of a sharp name; other names are their own.
std::string ToFlatName(std::string_view sharpName);

// Pitch class of a chord root in sharp or flat spelling, or -1.
int FindNoteName(std::string_view root);

// Moves the root of the chord name in its 8-byte field by the semitones; "Skip" and the
// empty name stay. A name that grows past 7 bytes keeps its root and as much of its suffix
// as fits. Returns false when the root was not recognised; the name is then moved as if it
// were pitch class 11, and song error 0 is shown when `report` is set.
bool TransposeChordName(int semitones, char (&name)[kChordNameSize], bool report = true);

// Ninth chords are kept as "add9": a name whose second or third byte is "9" becomes its
// first one or two bytes followed by "add9" (C9 gives Cadd9, Cm9 gives Cmadd9).
void NormaliseNinthChordName(char (&name)[kChordNameSize]);
