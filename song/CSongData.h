#pragma once
// The in-memory song: the whole content of one song file in fixed-capacity arrays.

#include "song/ChordNaming.h"
#include "song/MeterBeats.h"
#include "song/ModalKey.h"
#include "song/SongRepeats.h"
#include "song/SongVoices.h"
#include "song/SummaryBlock.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Note entry values other than note numbers 0..127.
namespace NoteEntry {
constexpr int32_t kRest = -1;
constexpr int32_t kContinuation = -2;
constexpr int32_t kEmpty = -3;
} // namespace NoteEntry

struct ChordRecord {
    char first[kChordNameSize];  // chord of the first half of the beat
    char second[kChordNameSize]; // chord of the second half, may be empty
};

// Half a beat. Entries 0 and 1 are its quarter beats; entry 2 is an extra note that lasts as
// long as a note in entry 1 would.
struct Cell {
    int32_t entry[3];
    char text[3][8];
};

class CSongData {
public:
    static constexpr int kBeatCapacity = 1024;
    static constexpr int kCellCount = 2 * kBeatCapacity;
    static constexpr int kSummarySize = SummaryBlock::kSize;
    static constexpr int kSongTextSize = 2048;
    static constexpr int kKeyNameSize = 16;
    static constexpr int kPathSize = 260;
    static constexpr int kPackedLineCount = 12;
    static constexpr int kPackedLineSize = 2048;

    // Reads the song file (see CSongDataReader.cpp). The three counts are in/out: in, the
    // empty song made when the file cannot be opened; out, the values read. The optional
    // meter word slot is in/out as well. Problems are shown as messages; the result is
    // always a usable song.
    CSongData(const char* path, int32_t& measures, int32_t& beats, int32_t& key,
              int32_t* meterWordSlot = nullptr);
    virtual ~CSongData();

    CSongData(const CSongData&) = delete;
    CSongData& operator=(const CSongData&) = delete;

    void Reset();
    void CreateEmpty(int32_t measures, int32_t beats, int32_t key, int32_t meter);
    void SetKeyName(int32_t key);

    // Length in cells (half beats) of the note at half-beat `halfBeat` of measure `measure`;
    // `laterEntry` tells that it stands in entry 1 or 2.
    double GetNoteLength(int32_t measure, int32_t halfBeat, bool laterEntry) const;
    // Lowest and highest note number in measures first..end-1 (0-based); negative first or
    // end mean the song's start or end. 128 and -1 when there are none.
    void GetPitchRange(int32_t& lowest, int32_t& highest, int32_t first, int32_t end) const;
    static void TransposePitch(int32_t semitones, int32_t& entry);
    void TransposeCells(int32_t semitones);
    void Transpose(int32_t semitones);
    static void ShowSongError(uint32_t code);

    // Beats the song occupies, held within the arrays' capacity.
    int32_t BeatCount() const;
    const char* PackedLine(int index) const { return packedLines.at(static_cast<size_t>(index)).get(); }
    int32_t Tempo() const { return SummaryBlock::Tempo(summaryBlock); }
    // The tempo the song is played at: the score's own where the stored one only comes near it.
    int32_t PlayedTempo() const { return playedTempo ? *playedTempo : Tempo(); }
    int FameLevel() const { return SummaryBlock::Fame(summaryBlock); }
    std::string ListTitle() const { return SummaryBlock::Title(summaryBlock); } // raw CP932
    // The summary's fields as writers set them; the title is CP932, cut on a character.
    void SetListTitle(std::string_view cp932) { SummaryBlock::SetTitle(summaryBlock, cp932); }
    void SetFameLevel(uint8_t fame) { SummaryBlock::SetFame(summaryBlock, fame); }
    void SetTempo(int32_t bpm) { SummaryBlock::SetTempo(summaryBlock, bpm); }

    ChordRecord chordTable[kBeatCapacity];
    Cell cells[kCellCount];
    uint8_t summaryBlock[kSummarySize];
    int32_t measureCount = 0;
    int16_t beatsPerMeasure = 4;
    int16_t meterWord = 0;
    int32_t keyIndex = 0;
    char songText[kSongTextSize];
    uint8_t beatTable1[kBeatCapacity];
    uint8_t beatTable2[kBeatCapacity];
    char keyName[kKeyNameSize] = {};
    char sourcePath[kPathSize] = {};
    std::array<std::unique_ptr<char[]>, kPackedLineCount> packedLines;
    // What an imported score tells beyond the song file, which keeps none of it: the time units
    // of the first measure before its pickup starts (0 without one), and who wrote it (UTF-8).
    int32_t pickupStart = 0;
    std::string composer, lyricist;
    std::vector<std::string> verses; // further verses' words, a line each
    int versesLeftOut = 0;           // verse lines the reader could not keep
    RepeatForm repeats; // written measures and play order, starts in time units; empty for song files
    // An imported score's tempo where the stored field cannot hold it, in the song's beats,
    // and its compound meter, whose beats the grid holds dotted. Song files keep neither.
    std::optional<int32_t> playedTempo;
    std::optional<MeterBeats> meter;
    std::optional<ChurchMode> keyMode; // an imported key's mode other than major and minor
    std::vector<SongVoice> voices; // drawn beside the melody, transposed with it; song files keep none
    // The key's name after fitting: the key table's, or the mode's on its tonic.
    std::string KeyLabel() const;

private:
    void FillEmptyContent();
    void LoadFile(const char* path, int32_t& measures, int32_t& beats, int32_t& key, int32_t* meterWordSlot);
    void UnpackTextLines();
    void NormaliseNinthChords();
    void NormaliseSongText();
    void HoldWithinCapacity();
};
