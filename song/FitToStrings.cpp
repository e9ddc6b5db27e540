#include "song/FitToStrings.h"

#include "song/CSongData.h"

#include <algorithm>
#include <bitset>
#include <cstdlib>

int FitToStrings(CSongData& song, int lowestNote, int highestString)
{
    int total = 0;
    auto runWhile = [&](int step, auto outOfReach) {
        for (int i = 0; i < kMaxFitSteps; ++i) {
            int lowest = 0, highest = 0;
            song.GetPitchRange(lowest, highest, -1, -1);
            if (highest < 0 || !outOfReach(lowest, highest))
                return; // no notes, or this side fits
            song.Transpose(step);
            total += step;
        }
    };
    const auto tooLow = [&](int lowest, int) { return lowest < lowestNote; };
    const auto tooHigh = [&](int, int highest) { return highest > highestString; };
    runWhile(+12, tooLow);
    runWhile(-12, tooHigh);
    runWhile(+1, tooLow);
    runWhile(-1, tooHigh);
    return total;
}

namespace {

bool OnePerSemitone(std::span<const int32_t> strings)
{
    for (size_t i = 1; i < strings.size(); ++i)
        if (strings[i] != strings[i - 1] + 1)
            return false;
    return true;
}

// Calls `visit` with every note entry the song uses.
template <class Visit>
void ForEachNote(const CSongData& song, Visit visit)
{
    const int cells = std::min(song.BeatCount() * 2, CSongData::kCellCount);
    for (int c = 0; c < cells; ++c)
        for (int32_t v : song.cells[c].entry)
            if (v >= 0)
                visit(v);
}

struct ShiftScore {
    int shift = 0;
    int missing = 0;
    bool withinRange = false;

    // Fewer notes without a string, then within the range, then smaller, then upward.
    bool BetterThan(const ShiftScore& o) const
    {
        if (missing != o.missing)
            return missing < o.missing;
        if (withinRange != o.withinRange)
            return withinRange;
        if (std::abs(shift) != std::abs(o.shift))
            return std::abs(shift) < std::abs(o.shift);
        return shift > o.shift;
    }
};

} // namespace

int CountNotesWithoutString(const CSongData& song, int shift, std::span<const int32_t> strings)
{
    std::bitset<128> hasString;
    for (int32_t s : strings)
        if (s >= 0 && s < 128)
            hasString.set(static_cast<size_t>(s));
    int missing = 0;
    ForEachNote(song, [&](int32_t note) {
        CSongData::TransposePitch(shift, note);
        missing += (note < 128 && hasString.test(static_cast<size_t>(note))) ? 0 : 1;
    });
    return missing;
}

int FitToStringTable(CSongData& song, int lowestNote, std::span<const int32_t> strings)
{
    if (strings.empty())
        return 0;
    if (OnePerSemitone(strings))
        return FitToStrings(song, lowestNote, strings.back());

    const auto [low, high] = std::minmax_element(strings.begin(), strings.end());
    int songLow = 0, songHigh = 0;
    song.GetPitchRange(songLow, songHigh, -1, -1);
    if (songHigh < 0)
        return 0; // no notes
    ShiftScore best;
    bool any = false;
    for (int shift = -kMaxTableShift; shift <= kMaxTableShift; ++shift) {
        ShiftScore s{shift, CountNotesWithoutString(song, shift, strings),
                     int64_t(songLow) + shift >= *low && int64_t(songHigh) + shift <= *high};
        if (!any || s.BetterThan(best))
            best = s;
        any = true;
    }
    if (best.shift != 0)
        song.Transpose(best.shift);
    return best.shift;
}
