#pragma once
// The voices every reader offers beside the melody are bounded alike: at most
// kMaxVoiceCandidates of them, each as long as a melody may be, and all their notes together
// at most kMaxCandidateNotes, so that a file of many long voices costs no more than a few melodies.

#include "import/Melody.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <utility>

constexpr size_t kMaxCandidateNotes = 400000;

// Notes the candidates listed so far leave room for.
inline size_t VoiceNotesLeft(const Melody& melody)
{
    size_t used = 0;
    for (const VoiceCandidate& v : melody.voices)
        used += v.notes.size();
    return used < kMaxCandidateNotes ? kMaxCandidateNotes - used : 0;
}

// Lists the voice when it has notes and the list has room, its notes cut to the room left;
// its index in the list, or -1 when it is not listed. The notes left out count in `skipped`.
inline int AddVoiceCandidate(Melody& melody, VoiceCandidate voice)
{
    const size_t room = melody.voices.size() < kMaxVoiceCandidates ? VoiceNotesLeft(melody) : 0;
    const size_t kept = std::min(voice.notes.size(), room);
    const size_t left = voice.notes.size() - kept;
    melody.skipped += static_cast<int>(std::min<size_t>(left, size_t(INT_MAX - std::max(melody.skipped, 0))));
    if (kept == 0)
        return -1;
    voice.notes.resize(kept);
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
