#pragma once
// The one model of a tune beneath everything the program does with it: every reader builds it,
// the song file's grid is only one way in and out of it, and fitting, layout, drawing, printing
// and playing read nothing else. Nothing here knows a file format.

#include "song/MeterBeats.h"
#include "song/ModalKey.h"
#include "song/SongRepeats.h"
#include "song/SongVoices.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Time is counted in ticks. The resolution divides evenly by 64ths of a quarter and by 3, 5
// and 7, so tuplets and dotted values of every common kind are exact.
constexpr int64_t kTicksPerQuarter = 6720;

// Where the song file's grid draws a note: its places stand a sixth of a beat apart, although
// the grid's later entries sound at a quarter beat (see ScoreOfSong). Ticks, like the onset.
struct GridPlace {
    int64_t onset = 0;
    int64_t length = 0;
    bool operator==(const GridPlace&) const = default;
};

// One onset of one voice: a single note or a chord of several pitches sounding together.
struct ScoreEvent {
    int64_t onset = 0;         // ticks from the start of the sheet's first measure
    int64_t length = 1;        // ticks, at least one
    std::vector<int> pitches;  // sounding note numbers 0..127, lowest first, none twice
    std::string lyric;         // the first verse's syllable, UTF-8
    // A chord's fifth that an accompaniment made: left out where the harp has no string for it.
    bool optional = false;
    std::optional<GridPlace> drawn; // where it is drawn when that is not where it sounds

    int64_t DrawnOnset() const { return drawn ? drawn->onset : onset; }
    int64_t DrawnLength() const { return drawn ? drawn->length : length; }
    bool operator==(const ScoreEvent&) const = default;
};

struct ScoreVoice {
    VoiceRole role = VoiceRole::kMelody;
    std::string name;   // UTF-8
    int candidate = 0;  // the file's voice it came from (1-based); 0: the melody, or made here
    std::vector<ScoreEvent> events; // by onset
};

struct ScoreChordName {
    int64_t onset = 0;
    std::string name; // UTF-8, as written: "F#m7", "Bb"
    // A song file's name, which its 7-byte field holds: a transposition cuts it to that again.
    bool songField = false;
    bool operator==(const ScoreChordName&) const = default;
};

struct TempoMark {
    int64_t onset = 0;
    double beatsPerMinute = 120; // of the sheet's counted beat
};

// How the sheet counts the tune: measures of equal length from the first meter, its beat a
// quarter, a half or a dotted value, and how that beat divides.
struct SheetMeter {
    int beatsPerMeasure = 4;
    int64_t beatTicks = kTicksPerQuarter;
    int division = 2; // 3 where the beat is dotted
    std::optional<MeterBeats> written; // the compound meter the beats are counted from
    int64_t MeasureTicks() const { return beatsPerMeasure * beatTicks; }
};

struct Score {
    std::string title; // UTF-8; the file's stem when the file names none
    std::string composer, lyricist;
    std::vector<std::string> verses; // the words of further verses, a line each
    int versesLeftOut = 0;
    int fame = 0;         // the library's fame level
    std::string source;   // the file it was read from

    // The melody first, then the other drawn voices in the order of their roles.
    std::vector<ScoreVoice> voices;
    std::vector<ScoreChordName> chords; // by onset
    std::vector<TempoMark> tempos;      // by onset; the first at 0
    SheetMeter meter;
    int measureCount = 1;    // measures of the sheet, a padded pickup measure included
    int64_t pickupTicks = 0; // the sheet's time before an imported pickup's first beat; 0 for none
    // A song file's range lists no measure past its grid's 1024 beats, however far it reaches.
    std::optional<int> listedBeats;
    int keyIndex = 0;        // into kKeyTable
    std::optional<ChurchMode> keyMode; // a mode other than major and minor
    // Written measures and play order, starts in ticks of the sheet; empty when the tune is
    // played straight through as it stands.
    RepeatForm repeats;

    int64_t Length() const { return int64_t(measureCount) * meter.MeasureTicks(); }
    double Tempo() const { return tempos.empty() ? 120 : tempos.front().beatsPerMinute; }
    // Beats per minute as the player plays them.
    int PlayedTempo() const { return static_cast<int>(Tempo() + 0.5); }
    const ScoreVoice* Melody() const { return voices.empty() ? nullptr : &voices.front(); }
    std::string KeyLabel() const;
    // The same in the chosen language, for the sheet and the window.
    std::string ShownKeyLabel() const;
};

// Moves every voice, the chord names and the key by `semitones`; pitches fold into 0..127 by
// octaves, as a transposed song file's notes do.
void TransposeScore(Score& score, int semitones);
