#include "import/PlayOrder.h"

#include <algorithm>
#include <cstdint>
#include <climits>
#include <map>

namespace {

// Per measure, the measure after the ending that starts there (up to the next ending's start
// or the first measure outside one); computed once, for a walk may reach an ending many times.
std::vector<int> EndsOfEndings(const std::vector<MeasureMarks>& marks)
{
    const int n = static_cast<int>(marks.size());
    std::vector<int> end(marks.size() + 1, n);
    for (int i = n - 1; i >= 0; --i) {
        const bool continues = i + 1 < n && !marks[i + 1].ending.empty() && !marks[i + 1].endingStart;
        end[i] = continues ? end[i + 1] : i + 1;
    }
    return end;
}

// Where each jump of a measure lands, looked up once: a walk visits a jump's measure many
// times, and a missing mark must not be searched for at every visit. The coda is the first
// after the jump, else the first from the start; the segno the first from the start.
struct JumpTargets {
    std::vector<int> coda, segno; // per measure, -1 for none
};

JumpTargets FindJumpTargets(const std::vector<MeasureMarks>& marks)
{
    const int n = static_cast<int>(marks.size());
    std::map<std::string, std::vector<int>> codas, segnos;
    for (int i = 0; i < n; ++i) {
        if (!marks[i].coda.empty())
            codas[marks[i].coda].push_back(i);
        if (!marks[i].segno.empty())
            segnos[marks[i].segno].push_back(i);
    }
    JumpTargets t{std::vector<int>(marks.size(), -1), std::vector<int>(marks.size(), -1)};
    for (int i = 0; i < n; ++i) {
        if (!marks[i].toCoda.empty())
            if (const auto it = codas.find(marks[i].toCoda); it != codas.end()) {
                const auto after = std::upper_bound(it->second.begin(), it->second.end(), i);
                t.coda[i] = after != it->second.end() ? *after : it->second.front();
            }
        if (!marks[i].dalSegno.empty())
            if (const auto it = segnos.find(marks[i].dalSegno); it != segnos.end())
                t.segno[i] = it->second.front();
    }
    return t;
}

// Whether the measure opens a repeated section inside an ending: a second ending that is
// also where the next repeat starts. Its number belongs to the section before it.
bool OpensInEnding(const MeasureMarks& m)
{
    return m.forwardRepeat && !m.ending.empty();
}

// Per measure, the ending numbers that start from it up to the next forward repeat: whether
// an ending still waits for the next time through. Numbers beyond 63 are not looked for.
std::vector<uint64_t> EndingsAhead(const std::vector<MeasureMarks>& marks)
{
    const auto numbers = [&](size_t i) {
        uint64_t bits = 0;
        if (marks[i].endingStart)
            for (int number : marks[i].ending)
                if (number > 0 && number < 64)
                    bits |= uint64_t{1} << number;
        return bits;
    };
    std::vector<uint64_t> ahead(marks.size() + 1, 0);
    for (size_t i = marks.size(); i-- > 0;) {
        const bool nextOpens = i + 1 < marks.size() && marks[i + 1].forwardRepeat;
        const uint64_t after = nextOpens ? (OpensInEnding(marks[i + 1]) ? numbers(i + 1) : 0) : ahead[i + 1];
        ahead[i] = (OpensInEnding(marks[i]) ? 0 : numbers(i)) | after;
    }
    return ahead;
}

// Measures the walk never reached (an ending numbered for no pass, one after a jump that
// skips it) are played where they stand: where the walk first steps forward over them, else
// after the walk's first pass through the measure before them. No written note is lost for
// a numbering the player reads past.
void PlayUnreached(size_t written, std::vector<int>& order)
{
    std::vector<bool> reached(written, false);
    for (int w : order)
        reached[static_cast<size_t>(w)] = true;
    std::map<int, int> runs; // first -> last of each run of unreached measures, not yet placed
    for (size_t w = 0; w < written; ++w)
        if (!reached[w])
            runs[w > 0 && !reached[w - 1] ? std::prev(runs.end())->first : static_cast<int>(w)] = static_cast<int>(w);
    if (runs.empty())
        return;
    // Runs to play after order[k]; slot order.size() holds those played first of all.
    std::vector<std::vector<std::pair<int, int>>> after(order.size() + 1);
    const auto take = [&](size_t slot, int above, int below) {
        for (auto it = runs.upper_bound(above); it != runs.end() && it->second < below; it = runs.erase(it))
            after[slot].push_back(*it);
    };
    for (size_t k = 0; k < order.size(); ++k)
        take(k, order[k], k + 1 < order.size() ? order[k + 1] : INT_MAX);
    std::vector<size_t> firstPass(written, order.size());
    for (size_t k = order.size(); k-- > 0;)
        firstPass[static_cast<size_t>(order[k])] = k;
    for (const auto& [first, last] : runs)
        after[first > 0 ? firstPass[static_cast<size_t>(first - 1)] : order.size()].push_back({first, last});
    std::vector<int> out;
    out.reserve(std::min(kMaxPlayedMeasures, order.size() + written));
    const auto play = [&](size_t slot) {
        for (const auto& [first, last] : after[slot])
            for (int v = first; v <= last && out.size() < kMaxPlayedMeasures; ++v)
                out.push_back(v);
    };
    play(order.size());
    for (size_t k = 0; k < order.size() && out.size() < kMaxPlayedMeasures; ++k) {
        out.push_back(order[k]);
        play(k);
    }
    order = std::move(out);
}

} // namespace

std::vector<int> PlayOrder(const std::vector<MeasureMarks>& marks)
{
    const int n = static_cast<int>(marks.size());
    std::vector<int> order;
    order.reserve(marks.size());
    std::vector<int> repeatsDone(marks.size(), 0);
    const std::vector<uint64_t> endingsAhead = EndingsAhead(marks);
    const std::vector<int> endOfEnding = EndsOfEndings(marks);
    const JumpTargets targets = FindJumpTargets(marks);
    int i = 0, repeatStart = 0, pass = 1;
    bool jumped = false, codaTaken = false, backFromRepeat = false, inEnding = false;
    while (i < n && order.size() < kMaxPlayedMeasures) {
        const MeasureMarks& m = marks[i];
        // An ending that opens the next repeat is chosen by the pass of the section before
        // it, and played whenever its own repeat returns to it.
        if (m.endingStart && !(backFromRepeat && OpensInEnding(m))) {
            const int after = endOfEnding[i];
            const bool last = after >= n || !marks[after].endingStart;
            const bool play = jumped ? last : std::find(m.ending.begin(), m.ending.end(), pass) != m.ending.end();
            if (!play) {
                i = after;
                backFromRepeat = false;
                continue;
            }
        }
        if (m.forwardRepeat && !backFromRepeat) {
            repeatStart = i;
            pass = 1;
        }
        backFromRepeat = false;
        // After the last measure's repeat a jump back finds no section start in the score.
        const bool sectionInEnding =
            repeatStart < n && OpensInEnding(marks[static_cast<size_t>(repeatStart)]);
        if (m.ending.empty() && inEnding && !sectionInEnding) {
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
            const int target = targets.coda[i];
            if (target >= 0) {
                codaTaken = true;
                i = target;
                continue;
            }
        }
        if (m.backwardRepeat > 0 && !jumped) {
            // Inside an ending the endings count the passes: go back while one waits for the
            // next time through, whatever the sign's own count says.
            // A section opened inside an ending, with no endings of its own, counts by its sign.
            const bool bySign = m.ending.empty() || endingsAhead[static_cast<size_t>(repeatStart)] == 0;
            const bool again = bySign ? repeatsDone[i] < m.backwardRepeat - 1
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
            const int target = m.daCapo ? 0 : targets.segno[i];
            if (target >= 0) {
                jumped = true;
                inEnding = false;
                i = target;
                continue;
            }
        }
        ++i;
    }
    PlayUnreached(marks.size(), order);
    return order;
}
