#pragma once
// Where notes sound together, the melody is the highest: every reader and the song builder
// order simultaneous notes by this one rule, highest first at each onset, the written order
// kept among equals.

#include <algorithm>
#include <vector>

template <class Note, class Onset, class Pitch>
void OrderHighestFirst(std::vector<Note>& notes, Onset onsetOf, Pitch pitchOf)
{
    std::stable_sort(notes.begin(), notes.end(), [&](const Note& a, const Note& b) {
        return onsetOf(a) != onsetOf(b) ? onsetOf(a) < onsetOf(b) : pitchOf(a) > pitchOf(b);
    });
}
