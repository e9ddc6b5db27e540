#include "score/Score.h"

#include "common/ErrorCodes.h"
#include "common/Messages.h"
#include "song/CSongData.h"

namespace {

// False when the name's root is no note: it is still renamed, as a song file's chord is.
bool TransposeChord(int semitones, ScoreChordName& chord)
{
    const std::string& current = chord.name;
    if (current.empty() || current == "Skip")
        return true;
    const size_t rootLength = current.size() > 1 && (current[1] == '#' || current[1] == 'b') ? 2 : 1;
    const int pitch = FindNoteName(std::string_view(current).substr(0, rootLength));
    std::string moved = std::string(kNoteNames[PitchClass(pitch + semitones)]) + current.substr(rootLength);
    if (chord.songField && moved.size() > kChordNameSize - 1)
        moved.resize(kChordNameSize - 1);
    chord.name = std::move(moved);
    return pitch >= 0;
}

} // namespace

std::string Score::KeyLabel() const
{
    const int key = (keyIndex >= 0 && keyIndex < kKeyCount) ? keyIndex : 0;
    return keyMode ? ModalKeyName(key, *keyMode) : std::string(kKeyTable[static_cast<size_t>(key)].name);
}

std::string Score::ShownKeyLabel() const
{
    const int key = (keyIndex >= 0 && keyIndex < kKeyCount) ? keyIndex : 0;
    return keyMode ? ShownModalKeyName(key, *keyMode) : std::string(kKeyTable[static_cast<size_t>(key)].name);
}

void TransposeScore(Score& score, int semitones)
{
    // A damaged chord name is told once a transposition, not once a chord.
    bool reported = false;
    for (ScoreChordName& chord : score.chords)
        if (!TransposeChord(semitones, chord) && !reported) {
            ShowSongErrorMessage(SongError::kSongInformation);
            reported = true;
        }
    for (ScoreVoice& voice : score.voices)
        for (ScoreEvent& event : voice.events)
            for (int& pitch : event.pitches) {
                int32_t p = pitch;
                CSongData::TransposePitch(semitones, p);
                pitch = p;
            }
    const KeyEntry& key = kKeyTable[(score.keyIndex >= 0 && score.keyIndex < kKeyCount) ? score.keyIndex : 0];
    const int target = PitchClass(key.pitchClass + semitones % 12);
    for (int i = 0; i < kKeyCount; ++i)
        if (kKeyTable[i].mode == key.mode && kKeyTable[i].pitchClass == target) {
            score.keyIndex = i;
            break;
        }
}
