#pragma once
// The layout of a measure range into plain score notes; the drawing only consumes them.

#include <cstdint>
#include <string>
#include <vector>

class CSongData;

// A time unit is a sixth of a beat: a cell is 3, a beat 6.
constexpr int kUnitsPerBeat = 6;
constexpr int kUnitsPerCell = 3;

struct ScoreNote {
    int32_t time;   // from the top, in time units
    int32_t pitch;  // note number
    int32_t length; // in time units
    bool operator==(const ScoreNote&) const = default;
};

// A chord name where the chord changes, as the song holds it (CP932).
struct ScoreChord {
    int32_t time;
    std::string name;
};

struct ScoreMeasure {
    int32_t time;
    int number; // 1-based, as the song counts its measures
};

struct ScoreLayout {
    int32_t totalLength = 0; // time units the picture height stands for
    std::vector<ScoreNote> notes;
    std::vector<std::string> words;     // one per note: its syllable as the song holds it (CP932)
    std::vector<ScoreChord> chords;     // in time order
    std::vector<ScoreMeasure> measures; // the start of each measure laid out
    // An imported pickup: the time units before it at the top (the range starting with the
    // song), and 1 when the score numbers its measures from the first full one.
    int32_t pickupStart = 0;
    int numberShift = 0;
    std::vector<std::string> verses; // the song's further verses (UTF-8), for the sheet's last page
};

// Lays out measures first..last (1-based, inclusive) in time order; entries of one cell
// follow each other as 0, 1, 2. Cells past the song's capacity are not read.
ScoreLayout LayOutMeasures(const CSongData& song, int first, int last);
