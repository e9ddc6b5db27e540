#include "import/PlayOrder.h"

#include <algorithm>

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

} // namespace

std::vector<int> PlayOrder(const std::vector<MeasureMarks>& marks)
{
    const int n = static_cast<int>(marks.size());
    std::vector<int> order;
    std::vector<int> repeatsDone(marks.size(), 0);
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
        if (m.ending.empty() && inEnding)
            pass = 1; // the ending group is behind us
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
            if (repeatsDone[i] < m.backwardRepeat - 1) {
                ++repeatsDone[i];
                ++pass;
                i = repeatStart;
                backFromRepeat = true;
                inEnding = false;
                continue;
            }
            repeatStart = i + 1; // a later backward repeat without a forward one returns here
            if (m.ending.empty())
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
