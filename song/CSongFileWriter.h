#pragma once
// Builds the bytes of a song file in any of its layouts: for the sample tool, the importers'
// "save as song file" and the tests, which state every file they read in code.

#include "song/CSongData.h"

#include <cstdint>
#include <string>
#include <vector>

namespace SongLayout {
constexpr uint32_t kOldest = 32780;
constexpr uint32_t kOld = 81932;
constexpr uint32_t kSummary = 90444;
constexpr uint32_t kSongText = 92492;
constexpr uint32_t kCurrent = 94540;
} // namespace SongLayout

class CSongFileWriter {
public:
    // A song of rests: every quarter-beat position of the chain holds a rest entry, every
    // entry 2 is empty.
    CSongFileWriter(int measures, int beats, int key = 0);
    // Everything the song holds, its packed text lines packed again into the texts of the
    // entries that are not notes, as the song reader expects them.
    explicit CSongFileWriter(const CSongData& song);

    // Position p of the continuation chain is (cell p / 2, entry p % 2); a beat has 4.
    // A note of `quarters` quarter beats: its entry, then continuation entries.
    void AddNote(int position, int pitch, int quarters, const std::string& lyricCp932 = "");
    void AddRest(int position, int quarters);
    void SetEntry(int cell, int entry, int32_t value);
    void SetText(int cell, int entry, const std::string& bytes);
    void SetChord(int beat, const std::string& first, const std::string& second = "");

    void SetTitleUtf8(const std::string& title);
    void SetFame(int fame);
    void SetTempo(int32_t tempo);
    void SetSummaryByte(size_t offset, uint8_t value);
    void SetSummaryInt32(size_t offset, int32_t value);
    void SetSongText(const std::string& bytes);
    void SetBeatTable(int table, int beat, uint8_t value);
    // Trailer fields as stored, including values the reader must repair or refuse.
    void SetTrailer(int32_t measures, int16_t beats, int16_t meterWord, int32_t key);

    std::vector<uint8_t> Build(uint32_t layoutSize = SongLayout::kCurrent) const;
    bool Write(const std::string& path, uint32_t layoutSize = SongLayout::kCurrent) const;

private:
    SummaryBlock::Block Summary() { return SummaryBlock::Block(summary.data(), SummaryBlock::kSize); }

    std::vector<ChordRecord> chords;
    std::vector<Cell> cells;
    std::vector<uint8_t> summary;
    std::string songText;
    std::vector<uint8_t> beatTables[2];
    int32_t measures;
    int16_t beats;
    int16_t meterWord = 1;
    int32_t key;
};

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
