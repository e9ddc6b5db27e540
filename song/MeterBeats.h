#pragma once
// How a written meter is counted: the beat a player counts, how many a measure holds and how
// a beat divides. Compound meters (3/8, 6/8, 9/8, 12/8, and the same over sixteenths) are
// counted in dotted beats of three parts; every other meter in its lower unit, halved.

#include "common/TextTranslation.h"

#include <cstdint>
#include <string>

struct MeterBeats {
    int numerator = 4;
    int denominator = 4;

    bool Compound() const { return denominator >= 8 && numerator >= 3 && numerator % 3 == 0; }
    int BeatsPerMeasure() const { return Compound() ? numerator / 3 : numerator; }
    // The parts a counted beat falls into: 3 in compound meters ("1 + a"), else 2 ("1 +").
    int Division() const { return Compound() ? 3 : 2; }
    // Length of the counted beat in the units of which a whole note holds `wholeUnits`.
    int64_t BeatUnits(int64_t wholeUnits) const
    {
        return wholeUnits / denominator * (Compound() ? 3 : 1);
    }
    // The meter as a score names it in the chosen language: "8分の6拍子", "6/8 time".
    std::string Name() const
    {
        return FilledText(CoreText::translate("Legend", "%1分の%2拍子"),
                          {std::to_string(denominator), std::to_string(numerator)});
    }
};

// What a player counts at `into` sixths of a beat from the measure's start: the beat's
// number on a beat, "+" and "a" on the later parts of a beat in three, "+" on the half of a
// beat in two; empty elsewhere.
inline std::string CountAt(int64_t into, int division)
{
    constexpr int64_t kSixths = 6;
    if (into < 0)
        return {};
    const int64_t within = into % kSixths;
    if (within == 0)
        return std::to_string(into / kSixths + 1);
    if (division == 3)
        return within == 2 ? "+" : within == 4 ? "a" : "";
    return within == 3 ? "+" : "";
}
