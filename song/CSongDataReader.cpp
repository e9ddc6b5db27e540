// The loading constructor of CSongData: reads a song file of any of its layouts.

#include "song/CSongData.h"

#include "common/ByteIO.h"
#include "common/Cp932.h"
#include "common/FileServices.h"
#include "common/Messages.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <span>
#include <vector>

namespace {

// Layouts are told apart by the file size alone.
constexpr uint32_t kOldestSize = 32780;  // 8-byte chord names, 12-byte cells
constexpr uint32_t kOldSize = 81932;     // 8-byte chord names, 36-byte cells
constexpr uint32_t kSongTextFrom = 92492;
constexpr uint32_t kBeatTablesFrom = 94540;
constexpr uint32_t kCurrentSize = kBeatTablesFrom;

constexpr size_t kOldCellSize = 12;
constexpr size_t kCellSize = 36;
constexpr size_t kTrailerSize = 12;

struct Layout {
    size_t chordArea;
    size_t cellArea;
    size_t summaryArea;
    size_t Trailer() const { return chordArea + cellArea + summaryArea; }
    bool OldChords() const { return chordArea == 8192; }
    bool OldCells() const { return cellArea == 24576; }
};

Layout LayoutForSize(uint32_t size)
{
    const bool oldChords = size == kOldestSize || size == kOldSize;
    return Layout{oldChords ? 8192u : 16384u, size == kOldestSize ? 24576u : 73728u, oldChords ? 0u : 320u};
}

void CopyField(char* to, std::span<const uint8_t> from, size_t offset, size_t size)
{
    std::memcpy(to, from.data() + offset, size);
}

} // namespace

CSongData::CSongData(const char* path, int32_t& measures, int32_t& beats, int32_t& key, int32_t* meterWordSlot)
{
    Reset();
    const size_t pathLength = path ? std::min(std::strlen(path), size_t(kPathSize - 1)) : 0;
    std::memcpy(sourcePath, path ? path : "", pathLength);
    sourcePath[pathLength] = 0;

    if (path && CanOpenFile(path)) {
        LoadFile(path, measures, beats, key, meterWordSlot);
    } else {
        CreateEmpty(measures, beats, key, 1);
    }
    SetKeyName(keyIndex);
    NormaliseSongText();

    if (beatsPerMeasure < 1 || beatsPerMeasure > 8) {
        char text[32];
        std::snprintf(text, sizeof text, "[%d]", beatsPerMeasure);
        ShowMessage(text);
        ShowMessage("time sign 0");
        measures = 4;
        beats = 4;
        key = 0;
        if (meterWordSlot)
            *meterWordSlot = 0;
        CreateEmpty(4, 4, 0, 0);
    }
    HoldWithinCapacity();
}

void CSongData::LoadFile(const char* path, int32_t& measures, int32_t& beats, int32_t& key, int32_t* meterWordSlot)
{
    const uint32_t size = GetFileSize(path);
    const Layout layout = LayoutForSize(size);

    // Every area of the current layout lies inside the buffer, whatever the file's size;
    // what the file does not hold stays zero.
    const size_t readSize = std::min<size_t>(size, kCurrentSize);
    std::vector<uint8_t> buffer(kCurrentSize, 0);
    ReadWholeFile(path, buffer.data(), readSize);
    const std::span<const uint8_t> data(buffer);

    for (int g = 0; g < kBeatCapacity; ++g) {
        ChordRecord& chord = chordTable[g];
        if (layout.OldChords()) {
            CopyField(chord.first, data, 8 * g, kChordNameSize);
        } else {
            CopyField(chord.first, data, 16 * g, kChordNameSize);
            CopyField(chord.second, data, 16 * g + 8, kChordNameSize);
        }
        chord.first[kChordNameSize - 1] = 0;
        chord.second[kChordNameSize - 1] = 0;
    }

    for (int c = 0; c < kCellCount; ++c) {
        Cell& cell = cells[c];
        if (layout.OldCells()) {
            const size_t at = layout.chordArea + kOldCellSize * c;
            cell.entry[0] = bytes::ReadInt32(data, at);
            cell.entry[1] = NoteEntry::kContinuation;
            cell.entry[2] = NoteEntry::kEmpty;
            CopyField(cell.text[0], data, at + 4, 8);
        } else {
            const size_t at = layout.chordArea + kCellSize * c;
            for (int k = 0; k < 3; ++k) {
                cell.entry[k] = bytes::ReadInt32(data, at + 4 * k);
                CopyField(cell.text[k], data, at + 12 + 8 * k, 8);
            }
        }
    }

    if (layout.summaryArea) {
        const size_t at = layout.chordArea + layout.cellArea;
        std::memcpy(summaryBlock, data.data() + at, kSummarySize);
        SummaryBlock::Repair(summaryBlock);
    }

    const size_t trailer = layout.Trailer();
    int32_t fileMeasures = bytes::ReadInt32(data, trailer);
    int16_t fileBeats = bytes::ReadInt16(data, trailer + 4);
    const int16_t fileMeter = bytes::ReadInt16(data, trailer + 6);
    int32_t fileKey = bytes::ReadInt32(data, trailer + 8);
    if (fileMeasures <= 0) {
        // Some writers left the time signature at the start of the summary block.
        const size_t fallback = layout.chordArea + layout.cellArea;
        fileMeasures = bytes::ReadInt32(data, fallback);
        fileBeats = static_cast<int16_t>(bytes::ReadInt32(data, fallback + 4));
        fileKey = bytes::ReadInt32(data, fallback + 8);
    }

    if (meterWordSlot) {
        if (*meterWordSlot != 2)
            *meterWordSlot = fileMeter == 0 ? 1 : fileMeter;
        meterWord = static_cast<int16_t>(*meterWordSlot);
    } else {
        meterWord = fileMeter;
    }

    if (size >= kSongTextFrom)
        CopyField(songText, data, trailer + kTrailerSize, kSongTextSize);
    if (size >= kBeatTablesFrom) {
        std::memcpy(beatTable1, data.data() + kSongTextFrom, kBeatCapacity);
        std::memcpy(beatTable2, data.data() + kSongTextFrom + kBeatCapacity, kBeatCapacity);
    }

    measureCount = fileMeasures;
    beatsPerMeasure = fileBeats;
    keyIndex = fileKey;
    measures = fileMeasures;
    beats = fileBeats;
    key = fileKey;

    UnpackTextLines();
    NormaliseNinthChords();
}

void CSongData::UnpackTextLines()
{
    // Texts of entries that are not notes carry twelve NUL-separated lines, laid end to end.
    int line = 0;
    size_t length = 0;
    for (int c = 0; c < kCellCount && line < kPackedLineCount; ++c) {
        for (int k = 0; k < 3 && line < kPackedLineCount; ++k) {
            if (cells[c].entry[k] >= 0)
                continue;
            char* text = cells[c].text[k];
            for (int i = 0; i < 8 && line < kPackedLineCount; ++i) {
                const char byte = text[i];
                text[i] = 0;
                if (byte == 0) {
                    ++line;
                    length = 0;
                } else if (length < kPackedLineSize - 1) {
                    packedLines[line][length++] = byte;
                }
            }
        }
    }
    for (auto& l : packedLines) {
        const auto first = static_cast<unsigned char>(l[0]);
        if (first == 0xCC || first == 0xCD)
            std::memset(l.get(), 0, kPackedLineSize);
    }
    // Lyrics that fill their whole field end at its last byte.
    for (Cell& cell : cells)
        for (auto& text : cell.text)
            text[7] = 0;
}

void CSongData::NormaliseNinthChords()
{
    for (int g = 0; g < BeatCount(); ++g)
        NormaliseNinthChordName(chordTable[g].first);
}

void CSongData::NormaliseSongText()
{
    // Runs of half- and full-width spaces become one half-width space; spaces before a line
    // break or at the end vanish. A lead byte and its trail byte are one character.
    const std::string_view source = FieldText(songText, kSongTextSize);
    std::string out;
    out.reserve(source.size());
    bool pendingSpace = false;
    for (size_t i = 0; i < source.size();) {
        const auto c = static_cast<unsigned char>(source[i]);
        const size_t width = (IsCp932LeadByte(c) && i + 1 < source.size()) ? 2 : 1;
        const bool space = c == 0x20 || (width == 2 && c == 0x81 && static_cast<unsigned char>(source[i + 1]) == 0x40);
        if (space) {
            pendingSpace = true;
        } else if (c == '\r' || c == '\n') {
            pendingSpace = false;
            out += source[i];
        } else {
            if (pendingSpace)
                out += ' ';
            pendingSpace = false;
            out.append(source.substr(i, width));
        }
        i += width;
    }
    if (out.size() > kSongTextSize - 1)
        out.resize(kSongTextSize - 1);
    std::memset(songText, 0, sizeof songText);
    std::memcpy(songText, out.data(), out.size());
}

void CSongData::HoldWithinCapacity()
{
    // The file's counts are never checked against the arrays; hold them here so that no
    // query or transposition can leave the 1024 beats or the key table.
    if (measureCount < 0)
        measureCount = 0;
    if (beatsPerMeasure > 0 && int64_t(measureCount) * beatsPerMeasure > kBeatCapacity)
        measureCount = kBeatCapacity / beatsPerMeasure;
    if (keyIndex < 0 || keyIndex >= kKeyCount) {
        keyIndex = 0;
        SetKeyName(keyIndex);
    }
}
