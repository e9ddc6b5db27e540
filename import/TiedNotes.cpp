#include "import/TiedNotes.h"

#include <cstdlib>

bool TiedNotes::Continue(std::vector<MelodyNote>& notes, const MelodyNote& note, bool tieEnds, bool tieGoesOn)
{
    if (note.pitch == MelodyNote::kRest)
        return false;
    const auto open = held.find(note.pitch);
    if (!tieEnds || open == held.end())
        return false;
    MelodyNote& first = notes[open->second];
    if (std::abs(first.onset + first.duration - note.onset) > slack)
        return false;
    first.duration = note.onset + note.duration - first.onset;
    if (!tieGoesOn)
        held.erase(open);
    return true;
}

void TiedNotes::Added(size_t index, int pitch, bool tieGoesOn)
{
    if (pitch == MelodyNote::kRest)
        return;
    if (tieGoesOn)
        held[pitch] = index;
    else
        held.erase(pitch);
}
