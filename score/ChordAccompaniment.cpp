#include "score/ChordAccompaniment.h"

#include <algorithm>
#include <string_view>

namespace {

// The pitch class of a chord name's root ("F#m7" gives 6, "Bb/D" 10), or -1.
int RootOf(std::string_view name)
{
    if (name.empty() || name[0] < 'A' || name[0] > 'G')
        return -1;
    const size_t length = name.size() > 1 && (name[1] == '#' || name[1] == 'b') ? 2 : 1;
    return FindNoteName(name.substr(0, length));
}

struct Change {
    int64_t time;
    int root;
};

std::vector<Change> ChordChanges(const Score& score)
{
    std::vector<Change> changes;
    std::string_view before;
    for (const ScoreChordName& chord : score.chords) {
        const std::string_view name = chord.name;
        if (name.empty() || name == before)
            continue;
        before = name;
        if (const int root = RootOf(name); root >= 0)
            changes.push_back({chord.onset, root});
    }
    return changes;
}

} // namespace

bool HasChordNames(const Score& score)
{
    return !ChordChanges(score).empty();
}

bool AddChordAccompaniment(Score& score)
{
    ScoreVoice made = AccompanimentFromChords(score);
    if (made.events.empty())
        return false;
    std::erase_if(score.voices, [](const ScoreVoice& v) { return v.role == VoiceRole::kAccompaniment; });
    score.voices.push_back(std::move(made));
    return true;
}

ScoreVoice AccompanimentFromChords(const Score& score)
{
    ScoreVoice voice;
    voice.role = VoiceRole::kAccompaniment;
    voice.name = "コードから";
    const std::vector<Change> changes = ChordChanges(score);
    if (changes.empty())
        return voice;
    int lowest = 128, highest = -1;
    if (const ScoreVoice* melody = score.Melody())
        for (const ScoreEvent& e : melody->events)
            for (const int pitch : e.pitches) {
                lowest = std::min(lowest, pitch);
                highest = std::max(highest, pitch);
            }
    if (highest < 0)
        lowest = 60; // no melody: under middle C
    const int64_t measure = std::max<int64_t>(score.meter.MeasureTicks(), 1);
    const int64_t songEnd = score.listedBeats ? std::min(score.Length(), *score.listedBeats * score.meter.beatTicks)
                                              : score.Length();
    for (size_t i = 0; i < changes.size() && voice.events.size() + 2 <= kMaxVoiceNotes; ++i) {
        const Change& change = changes[i];
        const int64_t measureEnd = (change.time / measure + 1) * measure;
        const int64_t next = i + 1 < changes.size() ? changes[i + 1].time : songEnd;
        const int64_t length = std::max<int64_t>(std::min({next, measureEnd, songEnd}) - change.time, 1);
        // The highest root at least an octave under the melody's lowest note.
        int root = lowest - 12 - PitchClass(lowest - 12 - change.root);
        if (root < 0)
            root += 12 * ((-root + 11) / 12);
        voice.events.push_back({change.time, length, {root}, {}, false, std::nullopt});
        // The fifth over the root while that stays an octave under the melody, else under it.
        const int fifth = root + 7 <= lowest - 12 ? root + 7 : root - 5;
        if (fifth >= 0) {
            voice.events.push_back({change.time, length, {fifth}, {}, true, std::nullopt});
        }
    }
    return voice;
}
