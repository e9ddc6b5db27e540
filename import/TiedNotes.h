#pragma once
// Tied notes become one note, the same way for every format: a note that continues a tie held
// at its pitch, and starts where the held note ends, lengthens that note instead of standing
// alone. Readers meet the notes in playing order and say of each whether a tie ends on it and
// whether one goes on from it.

#include "import/Melody.h"

#include <cstdint>
#include <map>
#include <vector>

class TiedNotes {
public:
    // slack: how far apart in ticks a tied note and its continuation may meet (rounding).
    explicit TiedNotes(int64_t slack) : slack(slack) {}

    // True when the note continued a held tie and lengthened the note in `notes`; the caller
    // then adds nothing. Otherwise the caller adds the note and tells Added where.
    bool Continue(std::vector<MelodyNote>& notes, const MelodyNote& note, bool tieEnds, bool tieGoesOn);
    void Added(size_t index, int pitch, bool tieGoesOn);

private:
    int64_t slack;
    std::map<int, size_t> held; // pitch -> the note a tie goes on from
};
