#pragma once
// What a score writes about repeating its measures, and the order they are played in. Song
// files keep none of it: their grid holds the song as played. An imported score keeps it
// beside the grid, so that its sheet can draw each written measure once.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

struct MeasureMarks {
    bool forwardRepeat = false;
    int backwardRepeat = 0;   // times the section is played when the measure ends it; 0 none
    std::vector<int> ending;  // numbers of the ending the measure belongs to; empty outside one
    bool endingStart = false; // the first measure of its ending
    std::string segno, coda;  // names of the marks standing in the measure
    std::string toCoda, dalSegno; // jumps at the measure's end, by the name of their target
    bool daCapo = false;
    bool fine = false;

    // Whether the measure says anything of the way through.
    bool Steers() const
    {
        return forwardRepeat || backwardRepeat > 0 || !ending.empty() || !segno.empty() || !coda.empty() ||
               !toCoda.empty() || !dalSegno.empty() || daCapo || fine;
    }
};

// A played score never grows past this many measures, whatever its repeat counts say.
constexpr size_t kMaxPlayedMeasures = 65536;

// The written measures and the way through them. `starts` are on the played timeline: ticks
// in a melody, time units from the song's start in a song.
struct RepeatForm {
    std::vector<MeasureMarks> marks; // one per written measure
    std::vector<int> order;          // the written measure each played measure plays
    std::vector<int64_t> starts;     // where each played measure starts, then where the last ends
    bool cut = false;                // the tune as played went on past the last measure kept

    // Whether the way through is other than straight on, one written measure after another.
    // A tune cut short of its last measure jumps only when some measure marks a way to.
    bool Jumps() const
    {
        for (size_t k = 0; k < order.size(); ++k)
            if (order[k] != static_cast<int>(k))
                return true;
        return order.size() != marks.size() &&
               std::any_of(marks.begin(), marks.end(), [](const MeasureMarks& m) { return m.Steers(); });
    }
};
