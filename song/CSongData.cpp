#include "song/CSongData.h"

#include "common/ByteIO.h"
#include "common/Cp932.h"
#include "common/ErrorCodes.h"
#include "common/Messages.h"

#include <algorithm>
#include <cstring>

namespace {

// (cell, entry) positions of the continuation chain, which runs through entries 0 and 1.
struct ChainPosition {
    int cell;
    int entry;
    void Advance()
    {
        if (entry == 0) {
            entry = 1;
        } else {
            entry = 0;
            ++cell;
        }
    }
};

} // namespace

CSongData::~CSongData() = default;

void CSongData::Reset()
{
    std::memset(chordTable, 0, sizeof chordTable);
    std::memset(cells, 0, sizeof cells);
    SummaryBlock::MakeNew(summaryBlock);
    std::memset(songText, 0, sizeof songText);
    std::memset(beatTable1, 0, sizeof beatTable1);
    std::memset(beatTable2, 0, sizeof beatTable2);
    measureCount = 0;
    beatsPerMeasure = 4;
    keyIndex = 0;
    for (auto& line : packedLines) {
        if (!line)
            line = std::make_unique<char[]>(kPackedLineSize);
        std::memset(line.get(), 0, kPackedLineSize);
    }
}

void CSongData::CreateEmpty(int32_t measures, int32_t beats, int32_t key, int32_t meter)
{
    Reset();
    measureCount = measures;
    beatsPerMeasure = static_cast<int16_t>(beats);
    keyIndex = key;
    meterWord = static_cast<int16_t>(meter);
    SetKeyName(keyIndex);
    FillEmptyContent();
}

void CSongData::FillEmptyContent()
{
    if (beatsPerMeasure == 0) {
        ShowSongError(SongError::kSongInformation);
        return;
    }
    const int64_t used = int64_t(measureCount) * beatsPerMeasure;
    for (int g = 0; g < kBeatCapacity; ++g) {
        ChordRecord& chord = chordTable[g];
        std::memset(&chord, 0, sizeof chord);
        if (g < used)
            std::memcpy(chord.first, keyName, std::min<size_t>(std::strlen(keyName), kChordNameSize - 1));
        else
            std::memcpy(chord.first, "----", 4);
        // Every measure, also past the song's end, holds one rest lasting the whole measure.
        const bool measureStart = g % beatsPerMeasure == 0;
        for (int h = 0; h < 2; ++h) {
            Cell& cell = cells[2 * g + h];
            std::memset(&cell, 0, sizeof cell);
            cell.entry[0] = (measureStart && h == 0) ? NoteEntry::kRest : NoteEntry::kContinuation;
            cell.entry[1] = NoteEntry::kContinuation;
            cell.entry[2] = NoteEntry::kEmpty;
        }
        beatTable1[g] = 0;
        beatTable2[g] = 0;
    }
    std::memset(songText, 0, sizeof songText);
}

void CSongData::SetKeyName(int32_t key)
{
    const char* name = kKeyTable[(key >= 0 && key < kKeyCount) ? key : 0].name;
    std::memset(keyName, 0, sizeof keyName);
    std::strcpy(keyName, name);
    if (keyName[std::strlen(keyName) - 1] != 'm')
        std::strcat(keyName, " ");
}

int32_t CSongData::BeatCount() const
{
    const int64_t used = int64_t(measureCount) * beatsPerMeasure;
    return static_cast<int32_t>(std::clamp<int64_t>(used, 0, kBeatCapacity));
}

double CSongData::GetNoteLength(int32_t measure, int32_t halfBeat, bool laterEntry) const
{
    const int64_t c = int64_t(measure) * beatsPerMeasure * 2 + halfBeat;
    ChainPosition pos = laterEntry ? ChainPosition{static_cast<int>(c) + 1, 0} : ChainPosition{static_cast<int>(c), 1};
    if (c < 0 || c >= kCellCount)
        return 0.5;
    double length = 0.5;
    while (pos.cell < kCellCount && cells[pos.cell].entry[pos.entry] == NoteEntry::kContinuation) {
        length += 0.5;
        pos.Advance();
    }
    return length;
}

void CSongData::GetPitchRange(int32_t& lowest, int32_t& highest, int32_t first, int32_t end) const
{
    lowest = 128;
    highest = -1;
    if (first < 0)
        first = 0;
    if (end < 0)
        end = measureCount;
    const int64_t cellsPerMeasure = int64_t(beatsPerMeasure) * 2;
    const int64_t from = std::clamp<int64_t>(first * cellsPerMeasure, 0, kCellCount);
    const int64_t to = std::clamp<int64_t>(end * cellsPerMeasure, 0, kCellCount);
    for (int64_t c = from; c < to; ++c) {
        for (int32_t v : cells[c].entry) {
            if (v < 0)
                continue;
            highest = std::max(highest, v);
            lowest = std::min(lowest, v);
        }
    }
}

void CSongData::TransposePitch(int32_t semitones, int32_t& entry)
{
    if (entry < 0)
        return;
    // Fold by octaves into 0..127; never clip.
    int64_t e = int64_t(entry) + semitones;
    if (e > 127)
        e -= ((e - 127 + 11) / 12) * 12;
    if (e < 0)
        e += ((-e + 11) / 12) * 12;
    entry = static_cast<int32_t>(e);
}

void CSongData::TransposeCells(int32_t semitones)
{
    const int cellsUsed = 2 * BeatCount();
    for (int c = 0; c < cellsUsed; ++c)
        for (int32_t& v : cells[c].entry)
            TransposePitch(semitones, v);
    for (SongVoice& voice : voices)
        for (VoiceNote& note : voice.notes)
            TransposePitch(semitones, note.pitch);
}

void CSongData::Transpose(int32_t semitones)
{
    // A damaged chord table would otherwise raise one message per beat and per step.
    bool reported = false;
    for (int g = 0; g < BeatCount(); ++g) {
        for (auto* name : {&chordTable[g].first, &chordTable[g].second})
            if (!TransposeChordName(semitones, *name, !reported))
                reported = true;
    }
    TransposeCells(semitones);
    const KeyEntry& key = kKeyTable[(keyIndex >= 0 && keyIndex < kKeyCount) ? keyIndex : 0];
    const int target = PitchClass(key.pitchClass + semitones % 12);
    for (int i = 0; i < kKeyCount; ++i) {
        if (kKeyTable[i].mode == key.mode && kKeyTable[i].pitchClass == target) {
            keyIndex = i;
            break;
        }
    }
}

std::string CSongData::KeyLabel() const
{
    const int key = (keyIndex >= 0 && keyIndex < kKeyCount) ? keyIndex : 0;
    return keyMode ? ModalKeyName(key, *keyMode) : std::string(kKeyTable[static_cast<size_t>(key)].name);
}

void CSongData::ShowSongError(uint32_t code)
{
    ShowSongErrorMessage(code);
}

