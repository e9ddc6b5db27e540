#include "score/SongScore.h"

#include "common/Cp932.h"
#include "song/CSongData.h"

#include <algorithm>
#include <set>

namespace {

constexpr int64_t kSixth = kGridSixthTicks;
constexpr int kSixthsPerCell = 3;

// The cells that take part in a triplet: entry 2 is used there or in the cell before, by the
// melody or another voice.
std::set<int64_t> TripletCells(const CSongData& song, int cells)
{
    std::set<int64_t> triplet;
    for (int c = 0; c < cells; ++c)
        if (song.cells[c].entry[2] >= 0) {
            triplet.insert(c);
            triplet.insert(c + 1);
        }
    for (const SongVoice& voice : song.voices)
        for (const VoiceNote& n : voice.notes)
            if (n.time >= 0 && n.time % kSixthsPerCell == 2) {
                triplet.insert(n.time / kSixthsPerCell);
                triplet.insert(n.time / kSixthsPerCell + 1);
            }
    return triplet;
}

// Where the grid's place `sixth` sounds, in ticks: entry 1 on the cell's second quarter beat,
// unless the cell is a triplet's or the beat is counted in three.
int64_t SoundingTicks(int64_t sixth, const std::set<int64_t>& triplet, bool inThrees)
{
    const int64_t cell = sixth / kSixthsPerCell, entry = sixth % kSixthsPerCell;
    if (entry == 1 && !triplet.count(cell) && !inThrees)
        return cell * kSixthsPerCell * kSixth + 3 * kSixth / 2;
    return sixth * kSixth;
}

void AddMelody(const CSongData& song, Score& score)
{
    ScoreVoice& melody = score.voices.emplace_back();
    melody.role = VoiceRole::kMelody;
    const int beats = song.beatsPerMeasure;
    if (beats <= 0)
        return;
    const int cells = std::min(2 * song.BeatCount(), CSongData::kCellCount);
    const std::set<int64_t> triplet = TripletCells(song, cells);
    const bool inThrees = score.meter.division == 3;
    size_t entries = 0;
    for (int c = 0; c < cells; ++c)
        for (int k = 0; k < 3; ++k)
            entries += song.cells[c].entry[k] >= 0;
    melody.events.reserve(entries);
    for (int c = 0; c < cells; ++c) {
        const int measure = c / (2 * beats), halfBeat = c % (2 * beats);
        const int64_t cell = int64_t(c) * kSixthsPerCell * kSixth;
        for (int k = 0; k < 3; ++k) {
            const int32_t v = song.cells[c].entry[k];
            if (v < 0)
                continue;
            const double cellsLong = song.GetNoteLength(measure, halfBeat, k != 0);
            // The drawing counts a length of n half cells as floor(1.5 n) sixths.
            const auto drawnSixths = static_cast<int64_t>(kSixthsPerCell * cellsLong);
            // A later entry lasts from the quarter beat after the cell.
            const int64_t start = SoundingTicks(int64_t(c) * kSixthsPerCell + k, triplet, inThrees);
            const int64_t quarters = (2 * drawnSixths + 2) / 3;
            const int64_t sounding = 3 * kSixth / 2 * quarters;
            const int64_t end = k == 0 ? cell + sounding : cell + 3 * kSixth / 2 + sounding;
            ScoreEvent& event = melody.events.emplace_back();
            event.onset = start;
            event.length = std::max(end, start + kSixth / 2) - start;
            event.pitches = {v};
            event.lyric = Cp932ToUtf8(FieldText(song.cells[c].text[k], sizeof song.cells[c].text[k]));
            event.drawn = GridPlace{cell + k * kSixth, drawnSixths * kSixth};
        }
    }
}

void AddChords(const CSongData& song, Score& score)
{
    const int beats = std::min(song.BeatCount(), CSongData::kBeatCapacity);
    for (int g = 0; g < beats; ++g)
        for (int h = 0; h < 2; ++h) {
            const char* field = h == 0 ? song.chordTable[g].first : song.chordTable[g].second;
            const std::string_view name = FieldText(field, kChordNameSize);
            if (!name.empty())
                score.chords.push_back({(2 * g + h) * kSixthsPerCell * kSixth, Cp932ToUtf8(name), true});
        }
}

// The other voices' notes start and end on places of the grid, each sounding where a melody's
// note at that place would.
void AddVoices(const CSongData& song, Score& score)
{
    const int cells = std::min(2 * song.BeatCount(), CSongData::kCellCount);
    const std::set<int64_t> triplet = TripletCells(song, cells);
    const bool inThrees = score.meter.division == 3;
    for (const SongVoice& voice : song.voices) {
        ScoreVoice& laid = score.voices.emplace_back();
        laid.role = voice.role;
        laid.name = voice.name;
        laid.candidate = voice.candidate;
        for (const VoiceNote& n : voice.notes) {
            ScoreEvent event;
            const int64_t end = int64_t(n.time) + std::max(n.length, 1);
            event.onset = SoundingTicks(n.time, triplet, inThrees);
            event.length = std::max(SoundingTicks(end, triplet, inThrees), event.onset + kSixth / 2) - event.onset;
            event.pitches = {n.pitch};
            event.optional = n.optional;
            event.drawn = GridPlace{n.time * kSixth, (end - n.time) * kSixth};
            laid.events.push_back(std::move(event));
        }
    }
}

} // namespace

Score ScoreOfSong(const CSongData& song)
{
    Score score;
    score.title = Cp932ToUtf8(song.ListTitle());
    score.composer = song.composer;
    score.lyricist = song.lyricist;
    score.verses = song.verses;
    score.versesLeftOut = song.versesLeftOut;
    score.fame = song.FameLevel();
    score.source = FieldText(song.sourcePath, sizeof song.sourcePath);
    score.meter.beatsPerMeasure = song.beatsPerMeasure;
    score.meter.beatTicks = kSongBeatTicks;
    score.meter.division = song.meter ? song.meter->Division() : 2;
    score.meter.written = song.meter;
    score.measureCount = song.measureCount;
    score.listedBeats = CSongData::kBeatCapacity;
    score.pickupTicks = song.pickupStart * kSixth;
    score.tempos.push_back({0, double(song.PlayedTempo())});
    score.keyIndex = song.keyIndex;
    score.keyMode = song.keyMode;
    score.repeats = song.repeats;
    for (int64_t& start : score.repeats.starts)
        start *= kSixth;
    AddMelody(song, score);
    AddVoices(song, score);
    AddChords(song, score);
    return score;
}
