#include "song/ChordAccompaniment.h"

#include "song/CSongData.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

constexpr int32_t kUnitsPerCell = 3; // the grid's half beat in time units (a sixth of a beat)

// The pitch class of a chord name's root ("F#m7" gives 6, "Bb/D" 10), or -1.
int RootOf(std::string_view name)
{
    if (name.empty() || name[0] < 'A' || name[0] > 'G')
        return -1;
    const size_t length = name.size() > 1 && (name[1] == '#' || name[1] == 'b') ? 2 : 1;
    return FindNoteName(name.substr(0, length));
}

std::string_view NameAt(const CSongData& song, int cell)
{
    const ChordRecord& record = song.chordTable[cell / 2];
    const char* field = cell % 2 == 0 ? record.first : record.second;
    return {field, strnlen(field, kChordNameSize)};
}

struct Change {
    int32_t time;
    int root;
};

std::vector<Change> ChordChanges(const CSongData& song)
{
    std::vector<Change> changes;
    const int cells = std::min(2 * song.BeatCount(), CSongData::kCellCount);
    std::string_view before;
    for (int c = 0; c < cells; ++c) {
        const std::string_view name = NameAt(song, c);
        if (name.empty() || name == before)
            continue;
        before = name;
        if (const int root = RootOf(name); root >= 0)
            changes.push_back({kUnitsPerCell * c, root});
    }
    return changes;
}

} // namespace

bool HasChordNames(const CSongData& song)
{
    return !ChordChanges(song).empty();
}

SongVoice AccompanimentFromChords(const CSongData& song)
{
    SongVoice voice;
    voice.role = VoiceRole::kAccompaniment;
    voice.name = "コードから";
    const std::vector<Change> changes = ChordChanges(song);
    if (changes.empty())
        return voice;
    int lowest = 0, highest = 0;
    song.GetPitchRange(lowest, highest, -1, -1);
    if (highest < 0)
        lowest = 60; // no melody: under middle C
    const int32_t measure = std::max<int32_t>(song.beatsPerMeasure, 1) * 2 * kUnitsPerCell;
    const int32_t songEnd = std::min(song.BeatCount() * 2, CSongData::kCellCount) * kUnitsPerCell;
    for (size_t i = 0; i < changes.size() && voice.notes.size() + 2 <= kMaxVoiceNotes; ++i) {
        const Change& change = changes[i];
        const int32_t measureEnd = (change.time / measure + 1) * measure;
        const int32_t next = i + 1 < changes.size() ? changes[i + 1].time : songEnd;
        const int32_t length = std::max<int32_t>(std::min({next, measureEnd, songEnd}) - change.time, 1);
        // The highest root at least an octave under the melody's lowest note.
        int root = lowest - 12 - PitchClass(lowest - 12 - change.root);
        if (root < 0)
            root += 12 * ((-root + 11) / 12);
        voice.notes.push_back({change.time, root, length, false});
        // The fifth over the root while that stays an octave under the melody, else under it.
        const int fifth = root + 7 <= lowest - 12 ? root + 7 : root - 5;
        if (fifth >= 0)
            voice.notes.push_back({change.time, fifth, length, true});
    }
    return voice;
}
