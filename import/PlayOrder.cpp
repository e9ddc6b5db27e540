#include "import/PlayOrder.h"

#include <algorithm>
#include <cstdint>

namespace {

// Measures from an ending's first measure to the one after its group member ends.
int EndOfEnding(const std::vector<MeasureMarks>& marks, int start)
{
    int i = start + 1;
    while (i < static_cast<int>(marks.size()) && !marks[i].ending.empty() && !marks[i].endingStart)
        ++i;
    return i;
}

int FindMark(const std::vector<MeasureMarks>& marks, const std::string MeasureMarks::*field, const std::string& name,
             int from)
{
    for (int i = from; i < static_cast<int>(marks.size()); ++i)
        if (marks[i].*field == name)
            return i;
    for (int i = 0; i < from && i < static_cast<int>(marks.size()); ++i)
        if (marks[i].*field == name)
            return i;
    return -1;
}

// Per measure, the ending numbers that start from it up to the next forward repeat: whether
// an ending still waits for the next time through. Numbers beyond 63 are not looked for.
std::vector<uint64_t> EndingsAhead(const std::vector<MeasureMarks>& marks)
{
    std::vector<uint64_t> ahead(marks.size() + 1, 0);
    for (size_t i = marks.size(); i-- > 0;) {
        uint64_t here = 0;
        if (marks[i].endingStart)
            for (int number : marks[i].ending)
                if (number > 0 && number < 64)
                    here |= uint64_t{1} << number;
        ahead[i] = here | (i + 1 < marks.size() && marks[i + 1].forwardRepeat ? 0 : ahead[i + 1]);
    }
    return ahead;
}

} // namespace

std::vector<int> PlayOrder(const std::vector<MeasureMarks>& marks)
{
    const int n = static_cast<int>(marks.size());
    std::vector<int> order;
    order.reserve(marks.size());
    std::vector<int> repeatsDone(marks.size(), 0);
    const std::vector<uint64_t> endingsAhead = EndingsAhead(marks);
    int i = 0, repeatStart = 0, pass = 1;
    bool jumped = false, codaTaken = false, backFromRepeat = false, inEnding = false;
    while (i < n && order.size() < kMaxPlayedMeasures) {
        const MeasureMarks& m = marks[i];
        if (m.forwardRepeat && !backFromRepeat) {
            repeatStart = i;
            pass = 1;
        }
        backFromRepeat = false;
        if (m.endingStart) {
            const int after = EndOfEnding(marks, i);
            const bool last = after >= n || !marks[after].endingStart;
            const bool play = jumped ? last : std::find(m.ending.begin(), m.ending.end(), pass) != m.ending.end();
            if (!play) {
                i = after;
                continue;
            }
        }
        if (m.ending.empty() && inEnding) {
            // The ending group is behind us: a later backward repeat without a forward one
            // returns here, not into the section the endings closed.
            pass = 1;
            repeatStart = i;
        }
        inEnding = !m.ending.empty();
        order.push_back(i);

        if (jumped && m.fine)
            break;
        if (jumped && !codaTaken && !m.toCoda.empty()) {
            const int target = FindMark(marks, &MeasureMarks::coda, m.toCoda, i + 1);
            if (target >= 0) {
                codaTaken = true;
                i = target;
                continue;
            }
        }
        if (m.backwardRepeat > 0 && !jumped) {
            // Inside an ending the endings count the passes: go back while one waits for the
            // next time through, whatever the sign's own count says.
            const bool again = m.ending.empty() ? repeatsDone[i] < m.backwardRepeat - 1
                                                : pass < 63 && (endingsAhead[repeatStart] >> (pass + 1) & 1) != 0;
            if (again) {
                ++repeatsDone[i];
                ++pass;
                i = repeatStart;
                backFromRepeat = true;
                inEnding = false;
                continue;
            }
            repeatStart = i + 1; // a later backward repeat without a forward one returns here
            // An ending right after the sign is the one for this time through.
            if (m.ending.empty() && !(i + 1 < n && marks[i + 1].endingStart))
                pass = 1;
        }
        if (!jumped && (m.daCapo || !m.dalSegno.empty())) {
            const int target = m.daCapo ? 0 : FindMark(marks, &MeasureMarks::segno, m.dalSegno, 0);
            if (target >= 0) {
                jumped = true;
                inEnding = false;
                i = target;
                continue;
            }
        }
        ++i;
    }
    return order;
}
