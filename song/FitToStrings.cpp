#include "song/FitToStrings.h"

#include "song/CSongData.h"

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
