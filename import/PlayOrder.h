#pragma once
// The order in which a score's measures are played: repeats taken, first and second endings
// chosen, and da capo, dal segno, fine and coda followed where the score marks them. The sheet
// we draw is read from top to bottom, so a repeat is written out as often as it is played.

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
};

// A played score never grows past this many measures, whatever its repeat counts say.
constexpr size_t kMaxPlayedMeasures = 65536;

// Indices into `marks`, in playing order. A backward repeat outside an ending is taken as often
// as it says; inside an ending, while an ending for the next time through waits ahead. After
// a jump (da capo or dal segno) repeats are not taken again and only the last ending of each
// group is played, as players do.
std::vector<int> PlayOrder(const std::vector<MeasureMarks>& marks);
