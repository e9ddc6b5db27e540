#pragma once
// The meter a score is written in, as its import read it; a song file does not keep one.

struct TimeSignature {
    int numerator = 4;
    int denominator = 4;
    bool operator==(const TimeSignature&) const = default;
};
