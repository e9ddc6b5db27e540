#pragma once
// Gives the tokens of the melody voice their meaning: pitches from the key and the bar's
// accidentals, lengths from the unit length, tuplets and broken rhythm, the highest note of
// a chord. The result is the tune as written (AbcWrittenTune); fields are set from outside.

#include "import/abc/AbcEvent.h"
#include "import/abc/AbcFields.h"
#include "import/abc/AbcTokenizer.h"

#include <array>
#include <utility>

class AbcMusicReader {
public:
    // How far an accidental reaches until the bar line: the note only, the same note in its
    // octave, or the same letter in every octave (the default of ABC 2.1).
    enum class Propagation { Note, Octave, Pitch };

    AbcMusicReader();

    void SetKey(const AbcKey& key) { keyAccidentals = key.accidentals; }
    void SetUnit(AbcFraction length) { unit = length; }
    void SetMeter(const AbcMeter& meter); // a meter event when it has numbers
    void SetPitchShift(int semitones) { shift = semitones; }
    void SetPropagation(Propagation p) { propagation = p; }
    // Events the tune may hold at most; kAbcMaxEvents unless set.
    void LimitEvents(size_t count) { maxEvents = count; }

    void Read(const AbcToken& token);
    void EndLine(); // a chord left open ends here

    // Notes written since the last call, for the next lyric line.
    std::vector<AbcLyricSlot> TakeLyricSlots() { return std::exchange(lyricSlots, {}); }
    AbcWrittenTune& Written() { return tune; }
    int Skipped() const { return skipped; }

private:
    struct Chord {
        bool open = false;
        bool hasNote = false;
        int highest = -1;
        int highestLetter = 0, highestOctave = 0;
        std::vector<int> pitches;
        int lengthNum = 1, lengthDen = 1; // of its first note
        bool tie = false;
    };

    void ReadNote(const AbcToken& token);
    void ReadRest(const AbcToken& token);
    void ReadTie();
    void ReadBroken(const AbcToken& token);
    void ReadTuplet(const AbcToken& token);
    void ReadBar(const AbcToken& token);
    void ReadDecoration(const AbcToken& token);
    void ReadChordSymbol(const AbcToken& token);
    void CloseChord(int lengthNum, int lengthDen);
    int PitchOf(const AbcToken& token, int letter, int octave);
    int64_t Ticks(int64_t num, int64_t den) const;
    void AddTimed(AbcEvent event, int letter, int octave);
    bool AddEvent(AbcEvent event);
    void Skip() { ++skipped; }

    AbcWrittenTune tune;
    std::vector<AbcLyricSlot> lyricSlots;
    std::array<int, 7> keyAccidentals{};
    static constexpr int kOctaveSlots = 21;
    static constexpr int kNoAccidental = 99;
    std::array<int, 7 * kOctaveSlots> barAccidentals;
    Propagation propagation = Propagation::Pitch;
    AbcFraction unit;
    AbcMeter meter;
    int shift = 0;

    Chord chord;
    int tupletP = 1, tupletQ = 1, tupletLeft = 0;
    int brokenNum = 1, brokenDen = 1; // for the next note
    int lastTimed = -1;               // event index of the last note or rest
    bool tiePending = false;
    int tiedLetter = 0, tiedOctave = 0, tiedPitch = 0;
    int lastLetter = 0, lastOctave = 0;
    bool overlay = false;             // notes after & belong to another voice until the bar line
    int bar = 0;
    int skipped = 0;
    size_t maxEvents;
};
