#pragma once
// The voices every reader offers beside the melody are bounded alike: at most
// kMaxVoiceCandidates of them, each as long as a melody may be, and all their notes together
// at most kMaxVoiceNotes, so that a file of many long voices costs no more than a few melodies.

#include "import/Melody.h"

#include <algorithm>
#include <cstddef>
#include <utility>

constexpr size_t kMaxVoiceNotes = 400000;

// Notes the candidates listed so far leave room for.
inline size_t VoiceNotesLeft(const Melody& melody)
{
    size_t used = 0;
    for (const VoiceCandidate& v : melody.voices)
        used += v.notes.size();
    return used < kMaxVoiceNotes ? kMaxVoiceNotes - used : 0;
}

// Lists the voice when it has notes and the list has room, its notes cut to the room left;
// its index in the list, or -1 when it is not listed.
inline int AddVoiceCandidate(Melody& melody, VoiceCandidate voice)
{
    if (voice.notes.empty() || melody.voices.size() >= kMaxVoiceCandidates)
        return -1;
    voice.notes.resize(std::min(voice.notes.size(), VoiceNotesLeft(melody)));
    if (voice.notes.empty())
        return -1;
    melody.voices.push_back(std::move(voice));
    return static_cast<int>(melody.voices.size()) - 1;
}

// The pitched notes of a melody as a voice shows them: no rests, no words.
inline std::vector<MelodyNote> PitchedNotesOf(const std::vector<MelodyNote>& notes)
{
    std::vector<MelodyNote> pitched;
    for (const MelodyNote& n : notes)
        if (n.pitch != MelodyNote::kRest)
            pitched.push_back(MelodyNote{n.onset, n.duration, n.pitch, {}});
    return pitched;
}
