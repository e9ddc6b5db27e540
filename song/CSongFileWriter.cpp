#include "song/CSongFileWriter.h"

#include "common/ByteIO.h"
#include "common/Cp932.h"
#include "common/FileServices.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

CSongFileWriter::CSongFileWriter(int measures, int beats, int key)
    : chords(CSongData::kBeatCapacity), cells(CSongData::kCellCount), summary(CSongData::kSummarySize, 0),
      beatTables{std::vector<uint8_t>(CSongData::kBeatCapacity, 0), std::vector<uint8_t>(CSongData::kBeatCapacity, 0)},
      measures(measures), beats(static_cast<int16_t>(beats)), key(key)
{
    std::memset(chords.data(), 0, chords.size() * sizeof(ChordRecord));
    for (Cell& cell : cells) {
        std::memset(&cell, 0, sizeof cell);
        cell.entry[0] = NoteEntry::kRest;
        cell.entry[1] = NoteEntry::kRest;
        cell.entry[2] = NoteEntry::kEmpty;
    }
    SummaryBlock::MakeNew(Summary());
}

CSongFileWriter::CSongFileWriter(const CSongData& song)
    : chords(song.chordTable, song.chordTable + CSongData::kBeatCapacity),
      cells(song.cells, song.cells + CSongData::kCellCount),
      summary(song.summaryBlock, song.summaryBlock + CSongData::kSummarySize),
      songText(FieldText(song.songText, CSongData::kSongTextSize)),
      beatTables{std::vector<uint8_t>(song.beatTable1, song.beatTable1 + CSongData::kBeatCapacity),
                 std::vector<uint8_t>(song.beatTable2, song.beatTable2 + CSongData::kBeatCapacity)},
      measures(song.measureCount), beats(song.beatsPerMeasure), meterWord(song.meterWord), key(song.keyIndex)
{
    // Twelve NUL-terminated lines laid end to end over the texts of non-note entries.
    std::string packed;
    for (int i = 0; i < CSongData::kPackedLineCount; ++i)
        packed += std::string(FieldText(song.PackedLine(i), CSongData::kPackedLineSize)) + '\0';
    size_t at = 0;
    for (Cell& cell : cells)
        for (int k = 0; k < 3; ++k) {
            if (cell.entry[k] >= 0)
                continue;
            for (char& byte : cell.text[k])
                byte = at < packed.size() ? packed[at++] : 0;
        }
}

void CSongFileWriter::SetEntry(int cell, int entry, int32_t value)
{
    cells.at(cell).entry[entry] = value;
}

void CSongFileWriter::SetText(int cell, int entry, const std::string& bytes)
{
    char* text = cells.at(cell).text[entry];
    std::memset(text, 0, 8);
    std::memcpy(text, bytes.data(), std::min<size_t>(bytes.size(), 8));
}

void CSongFileWriter::AddNote(int position, int pitch, int quarters, const std::string& lyric)
{
    SetEntry(position / 2, position % 2, pitch);
    if (!lyric.empty())
        SetText(position / 2, position % 2, lyric);
    for (int q = 1; q < quarters; ++q)
        SetEntry((position + q) / 2, (position + q) % 2, NoteEntry::kContinuation);
}

void CSongFileWriter::AddRest(int position, int quarters)
{
    AddNote(position, NoteEntry::kRest, quarters);
}

void CSongFileWriter::SetChord(int beat, const std::string& first, const std::string& second)
{
    ChordRecord& c = chords.at(beat);
    std::memset(&c, 0, sizeof c);
    std::memcpy(c.first, first.data(), std::min<size_t>(first.size(), 8));
    std::memcpy(c.second, second.data(), std::min<size_t>(second.size(), 8));
}

void CSongFileWriter::SetTitleUtf8(const std::string& title)
{
    SummaryBlock::SetTitle(Summary(), Utf8ToCp932(title));
}

void CSongFileWriter::SetFame(int fame) { SummaryBlock::SetFame(Summary(), static_cast<uint8_t>(fame)); }
void CSongFileWriter::SetTempo(int32_t tempo) { SummaryBlock::SetTempo(Summary(), tempo); }
void CSongFileWriter::SetSummaryByte(size_t offset, uint8_t value) { summary.at(offset) = value; }
void CSongFileWriter::SetSummaryInt32(size_t offset, int32_t value) { bytes::WriteInt32(summary, offset, value); }
void CSongFileWriter::SetSongText(const std::string& bytes) { songText = bytes.substr(0, CSongData::kSongTextSize); }
void CSongFileWriter::SetBeatTable(int table, int beat, uint8_t value) { beatTables[table].at(beat) = value; }

void CSongFileWriter::SetTrailer(int32_t m, int16_t b, int16_t meter, int32_t k)
{
    measures = m;
    beats = b;
    meterWord = meter;
    key = k;
}

std::vector<uint8_t> CSongFileWriter::Build(uint32_t layoutSize) const
{
    const bool oldChords = layoutSize == SongLayout::kOldest || layoutSize == SongLayout::kOld;
    const bool oldCells = layoutSize == SongLayout::kOldest;
    std::vector<uint8_t> out(layoutSize, 0);
    std::span<uint8_t> b(out);
    size_t at = 0;
    for (const ChordRecord& c : chords) {
        std::memcpy(out.data() + at, c.first, 8);
        if (!oldChords)
            std::memcpy(out.data() + at + 8, c.second, 8);
        at += oldChords ? 8 : 16;
    }
    for (const Cell& cell : cells) {
        bytes::WriteInt32(b, at, cell.entry[0]);
        if (oldCells) {
            std::memcpy(out.data() + at + 4, cell.text[0], 8);
            at += 12;
            continue;
        }
        bytes::WriteInt32(b, at + 4, cell.entry[1]);
        bytes::WriteInt32(b, at + 8, cell.entry[2]);
        std::memcpy(out.data() + at + 12, cell.text, 24);
        at += 36;
    }
    if (!oldChords) {
        std::memcpy(out.data() + at, summary.data(), summary.size());
        at += summary.size();
    }
    bytes::WriteInt32(b, at, measures);
    bytes::WriteInt16(b, at + 4, beats);
    bytes::WriteInt16(b, at + 6, meterWord);
    bytes::WriteInt32(b, at + 8, key);
    at += 12;
    if (layoutSize >= SongLayout::kSongText && at + CSongData::kSongTextSize <= out.size())
        std::memcpy(out.data() + at, songText.data(), songText.size());
    if (layoutSize >= SongLayout::kCurrent) {
        std::memcpy(out.data() + SongLayout::kSongText, beatTables[0].data(), CSongData::kBeatCapacity);
        std::memcpy(out.data() + SongLayout::kSongText + CSongData::kBeatCapacity, beatTables[1].data(),
                    CSongData::kBeatCapacity);
    }
    return out;
}

bool CSongFileWriter::Write(const std::string& path, uint32_t layoutSize) const
{
    return WriteBytes(path, Build(layoutSize));
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    // Never truncated first: a write cut short would leave neither the old file nor the new.
    return WriteWholeFile(path, bytes.data(), bytes.size()) != 0;
}
