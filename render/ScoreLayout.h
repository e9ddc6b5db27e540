#pragma once
// The layout of a measure range into plain score notes; the drawing only consumes them.

#include "song/SongVoices.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct Score;

// Time units count a beat in 80640: every tick of a score falls on a unit, whatever its beat
// (a quarter, a half, a dotted quarter), and the song file's sixths of a beat are 13440 each.
constexpr int kUnitsPerBeat = 80640;
constexpr int kUnitsPerSixth = kUnitsPerBeat / 6;
constexpr int kUnitsPerCell = 3 * kUnitsPerSixth;

// The units of a score's time in ticks, when its beat lasts `beatTicks`; the nearest where a
// beat of no common length leaves no whole unit.
int64_t UnitsOfTicks(int64_t ticks, int64_t beatTicks);

struct ScoreNote {
    int32_t time;   // from the top, in time units: where it is drawn
    int32_t pitch;  // note number
    int32_t length; // in time units, as drawn
    // Where and how long it sounds: where it is drawn, but for a song file's later grid entries.
    int32_t sound = 0, soundLength = 0;
    // Another voice's note that may be left out where the harp has no string for it (a chord's fifth).
    bool optional = false;
    // A note is where and how long it stands.
    bool operator==(const ScoreNote& o) const { return time == o.time && pitch == o.pitch && length == o.length; }
};

// A voice drawn beside the melody, its notes by time as the melody's are.
struct LaidVoice {
    VoiceRole role = VoiceRole::kSecond;
    std::string name; // UTF-8
    std::vector<ScoreNote> notes;
};

// A chord name where the chord changes (UTF-8).
struct ScoreChord {
    int32_t time;
    std::string name;
};

struct ScoreMeasure {
    int32_t time;
    int number; // 1-based, as the song counts its measures
};

// A way the play order takes other than on to the next measure: a line out of the note at
// time `from` into the note at time `to`. An end outside the laid-out range is not drawn; the
// line runs to the range's edge there.
struct ScoreJump {
    int32_t from = 0, to = 0;
    bool fromShown = true, toShown = true;
    int fromMeasure = 0, toMeasure = 0; // the measures of its ends, as the score numbers them
    std::optional<int> gap = std::nullopt; // the line runs between strings gap and gap + 1, once routed
    bool operator==(const ScoreJump&) const = default;
};

// What a written score marks beside a note: an ending's number at its first note, the segno
// and coda where they stand, "Fine" and the jumps at the last note before them.
// kLineEnd names the measure at a cut line's other end, beside its open end.
enum class SignKind : uint8_t { kEnding, kSegno, kCoda, kFine, kDaCapo, kDalSegno, kToCoda, kLineEnd };

struct ScoreSign {
    int32_t time; // of the note it stands beside
    SignKind kind;
    std::string text; // UTF-8: "1.", "Fine", "D.C."; empty for the segno and coda marks
    bool operator==(const ScoreSign&) const = default;
};

// Why a score with repeats is laid out as played although jump lines were asked for.
enum class RepeatFallback : uint8_t {
    kNone,
    kMalformed, // the play order leaves a written measure out or never ends
    kTooLong,   // the song holds only part of the tune as played
    kCrossing,  // the jumps need more gaps between strings than the harp has
};

struct ScoreLayout {
    int32_t totalLength = 0; // time units the picture height stands for
    std::vector<ScoreNote> notes;       // the melody's
    std::string melodyName;             // the melody's part as the file names it (UTF-8), or empty
    std::vector<LaidVoice> voices;      // the other voices drawn, in the song's order
    std::vector<std::string> words;     // one per note: its syllable (UTF-8)
    std::vector<ScoreChord> chords;     // in time order
    std::vector<ScoreMeasure> measures; // the start of each measure laid out
    // An imported pickup: the time units before it at the top (the range starting with the
    // song), and 1 when the score numbers its measures from the first full one.
    int32_t pickupStart = 0;
    int numberShift = 0;
    std::vector<std::string> verses; // the song's further verses (UTF-8), for the sheet's last page
    int beatDivision = 2; // the parts a beat is counted in: 3 in a compound meter
    // A written score drawn once: its jumps and marks, and why it is not when it has repeats.
    std::vector<ScoreJump> jumps;
    std::vector<ScoreSign> signs;
    RepeatFallback fallback = RepeatFallback::kNone;
    // The way a player goes through a written score: its stretches of time in playing order
    // ([first, second)); empty when it is played straight down.
    std::vector<std::pair<int32_t, int32_t>> playing;
};

// Measures [firstMeasure, endMeasure) of `layout.measures` and what stands from `from` up to
// `to` (and at `to` too when `withEnd`), with times from `from`; measures keep their numbers.
// Jumps keep their gaps; an end beyond the part is marked not shown, and a jump that passes
// the whole part stays as a line through it.
ScoreLayout PartOfLayout(const ScoreLayout& layout, size_t firstMeasure, size_t endMeasure, int32_t from, int32_t to,
                         bool withEnd);

// Lays out measures first..last (1-based, inclusive) of the score in time order: each voice's
// notes where they are drawn, a chord a note for each pitch, lowest first.
ScoreLayout LayOutMeasures(const Score& score, int first, int last);
