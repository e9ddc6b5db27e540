#pragma once
// The neutral melody that every score-file reader produces and SongBuilder consumes. Nothing
// here knows a file format or the song grid.

#include "score/Score.h"
#include "song/ModalKey.h"
#include "song/SongRepeats.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Time is counted in the score's ticks (kTicksPerQuarter) from the start of the first measure
// as written (a pickup starts at tick 0).

// Lyrics and chord suffixes are cut to this many bytes when read, at a character boundary. A
// song cell shows at most 7 bytes and every character takes at least one, so nothing a cell
// could show is lost, and a passage repeated a thousand times copies no more than this.
constexpr size_t kMaxMelodyTextBytes = 32;


struct MelodyNote {
    static constexpr int kRest = -1;

    int64_t onset = 0;
    int64_t duration = 0; // ties already merged; always > 0 in a reader's result
    int pitch = kRest;    // sounding MIDI note number 0..127, or kRest
    std::string lyric;    // first-verse syllable, UTF-8, empty when none
};

struct MeterChange {
    int64_t onset = 0;
    int numerator = 4;
    int denominator = 4;
};

struct ChordSymbol {
    int64_t onset = 0;
    char root = 'C';    // 'A'..'G'
    int alter = 0;      // -1 flat, 0, +1 sharp
    std::string suffix; // as written after the root: "", "m", "7", "m7", "maj7", "dim", ...
};

// A voice the file holds besides or as the melody: a staff's voice of a MusicXML part, a V:
// voice of an ABC tune, a MIDI track (the channels of a single-track file). Its notes as
// played, on the melody's timeline, so that the sheet can draw it under the melody.
struct VoiceCandidate {
    std::string name;   // UTF-8: the part's, voice's or track's own name, else a made-up one
    std::string origin; // where the file holds it, for --info: "P1 staff 1 voice 1", "V:2", "track 3"
    std::vector<MelodyNote> notes; // pitched notes, ties merged, repeats played out; no lyrics
};

struct Melody {
    std::string title;                 // UTF-8, empty when the file names none
    std::string composer, lyricist;    // UTF-8, empty when the file names none
    std::vector<std::string> verses;   // the words of further verses, a line each (UTF-8)
    int versesLeftOut = 0;             // verse lines beyond what the reader keeps
    std::vector<MelodyNote> notes;     // any order; simultaneous notes allowed
    std::vector<MeterChange> meters;   // by onset; empty means 4/4 throughout
    std::vector<ChordSymbol> chords;   // by onset
    int keyFifths = 0;                 // first key signature: sharps > 0, flats < 0
    bool keyMinor = false;             // minor mode (other modes: by the major/minor they share)
    bool hasKey = false;
    std::optional<ChurchMode> keyMode; // the mode the file names, when neither major nor minor
    double tempoQuarterBpm = 0;        // quarter notes per minute; 0 when the file gives none
    int64_t pickupTicks = 0;           // length of an incomplete first measure; 0 when full
    std::vector<int64_t> bars;         // written bar lines between measures, in playing order;
                                       // empty when the reader does not tell them
    int skipped = 0;                   // things the reader could not read and left out
    RepeatForm repeats;                // written measures and play order (starts in ticks);
                                       // empty when the reader does not tell them
    // Every voice of the file (of the chosen tune, for ABC) a player may draw beside the
    // melody, in the file's order, and which of them `notes` was taken from (-1: none).
    std::vector<VoiceCandidate> voices;
    int melodyVoice = -1;
};

// What a reader can fail with; the values are the "IMPT" message codes.
enum class ImportStatus : uint32_t {
    Ok = 0,
    Unreadable = 1,  // not readable as a score of this format
    NoMelody = 2,    // no pitched note in the chosen part, tune or track
    NoSuchChoice = 4 // the part, tune or track asked for does not exist
};

// One part (MusicXML), tune (ABC) or track (MIDI) a user can choose from one file.
struct MelodyChoice {
    int number = 0;     // part and track: 1-based position; tune: its X: number
    std::string name;   // UTF-8
    int noteCount = -1; // -1 when not counted (tunes are listed without reading their bodies)
};

// A reader lists at most this many voices of a file; later ones are left out.
constexpr size_t kMaxVoiceCandidates = 16;

// Readers take this to mean "the first part, tune or track with notes".
constexpr int kDefaultChoice = -1;
