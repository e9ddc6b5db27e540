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
    int lowest = 0, highest = 0;
    MelodyPitchRange(score, lowest, highest);
    auto runWhile = [&](int step, auto outOfReach) {
        for (int i = 0; i < kMaxFitSteps; ++i) {
            if (highest < 0 || !outOfReach(lowest, highest))
                return; // no notes, or this side fits
            TransposeScore(score, step);
            total += step;
            // Within 0..127 every note moves by the step; a note folded by octaves moves the range otherwise.
            if (lowest + step >= 0 && highest + step <= 127)
                lowest += step, highest += step;
            else
                MelodyPitchRange(score, lowest, highest);
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

PitchCounts MelodyPitchCounts(const Score& score)
{
    PitchCounts counts{};
    ForEachNote(score, [&](int pitch) { ++counts[static_cast<size_t>(std::clamp(pitch, 0, 127))]; });
    return counts;
}

int CountNotesWithoutString(const PitchCounts& pitches, int shift, std::span<const int32_t> strings)
{
    std::bitset<128> hasString;
    for (int32_t s : strings)
        if (s >= 0 && s < 128)
            hasString.set(static_cast<size_t>(s));
    int missing = 0;
    for (int32_t pitch = 0; pitch < 128; ++pitch) {
        if (pitches[static_cast<size_t>(pitch)] == 0)
            continue;
        int32_t note = pitch;
        CSongData::TransposePitch(shift, note);
        if (!(note < 128 && hasString.test(static_cast<size_t>(note))))
            missing += pitches[static_cast<size_t>(pitch)];
    }
    return missing;
}

int CountNotesWithoutString(const Score& score, int shift, std::span<const int32_t> strings)
{
    return CountNotesWithoutString(MelodyPitchCounts(score), shift, strings);
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
    const PitchCounts pitches = MelodyPitchCounts(score);
    for (int shift = -kMaxTableShift; shift <= kMaxTableShift; ++shift) {
        ShiftScore s{shift, CountNotesWithoutString(pitches, shift, strings),
                     int64_t(songLow) + shift >= *low && int64_t(songHigh) + shift <= *high};
        if (!any || s.BetterThan(best))
            best = s;
        any = true;
    }
    if (best.shift != 0)
        TransposeScore(score, best.shift);
    return best.shift;
}
