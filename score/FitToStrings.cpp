#include "score/FitToStrings.h"

#include "score/Score.h"
#include "song/CSongData.h"

#include <algorithm>
#include <bitset>
#include <cstdlib>

namespace {

// Calls `visit` with every pitch of the melody.
template <class Visit>
void ForEachNote(const Score& score, Visit visit)
{
    if (const ScoreVoice* melody = score.Melody())
        for (const ScoreEvent& e : melody->events)
            for (const int pitch : e.pitches)
                visit(pitch);
}

} // namespace

void MelodyPitchRange(const Score& score, int& lowest, int& highest)
{
    lowest = 128;
    highest = -1;
    ForEachNote(score, [&](int pitch) {
        lowest = std::min(lowest, pitch);
        highest = std::max(highest, pitch);
    });
}

int FitToStrings(Score& score, int lowestNote, int highestString)
{
    int total = 0;
    auto runWhile = [&](int step, auto outOfReach) {
        for (int i = 0; i < kMaxFitSteps; ++i) {
            int lowest = 0, highest = 0;
            MelodyPitchRange(score, lowest, highest);
            if (highest < 0 || !outOfReach(lowest, highest))
                return; // no notes, or this side fits
            TransposeScore(score, step);
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

int CountNotesWithoutString(const Score& score, int shift, std::span<const int32_t> strings)
{
    std::bitset<128> hasString;
    for (int32_t s : strings)
        if (s >= 0 && s < 128)
            hasString.set(static_cast<size_t>(s));
    int missing = 0;
    ForEachNote(score, [&](int32_t note) {
        CSongData::TransposePitch(shift, note);
        missing += (note < 128 && hasString.test(static_cast<size_t>(note))) ? 0 : 1;
    });
    return missing;
}

int FitToStringTable(Score& score, int lowestNote, std::span<const int32_t> strings)
{
    if (strings.empty())
        return 0;
    if (OnePerSemitone(strings))
        return FitToStrings(score, lowestNote, strings.back());

    const auto [low, high] = std::minmax_element(strings.begin(), strings.end());
    int songLow = 0, songHigh = 0;
    MelodyPitchRange(score, songLow, songHigh);
    if (songHigh < 0)
        return 0; // no notes
    ShiftScore best;
    bool any = false;
    for (int shift = -kMaxTableShift; shift <= kMaxTableShift; ++shift) {
        ShiftScore s{shift, CountNotesWithoutString(score, shift, strings),
                     int64_t(songLow) + shift >= *low && int64_t(songHigh) + shift <= *high};
        if (!any || s.BetterThan(best))
            best = s;
        any = true;
    }
    if (best.shift != 0)
        TransposeScore(score, best.shift);
    return best.shift;
}
