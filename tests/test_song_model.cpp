#include "tests/SongAsScore.h"
#include "song/CSongData.h"
#include "score/FitToStrings.h"
#include "score/SongScore.h"
#include "song/CSongFileWriter.h"
#include "tests/support/TestSupport.h"

#include <cstring>
#include <gtest/gtest.h>

class SongModelTest : public ::testing::Test {
protected:
    SandboxDir sandbox;
    RecordingSink sink;

    // A song object made from the writer's bytes, read back through the loader.
    std::unique_ptr<CSongData> Load(const CSongFileWriter& writer, uint32_t layout = SongLayout::kCurrent)
    {
        const std::string path = sandbox.Path("song.mwd");
        writer.Write(path, layout);
        int32_t m = 0, b = 0, k = 0;
        return std::make_unique<CSongData>(path.c_str(), m, b, k);
    }
    std::unique_ptr<CSongData> Empty(int measures, int beats, int key)
    {
        int32_t m = measures, b = beats, k = key;
        auto song = std::make_unique<CSongData>(nullptr, m, b, k);
        return song;
    }
};

TEST_F(SongModelTest, CreateEmptyFillsOneRestPerMeasure)
{
    auto song = Empty(2, 3, 0);
    EXPECT_EQ(song->measureCount, 2);
    EXPECT_EQ(song->beatsPerMeasure, 3);
    EXPECT_EQ(song->meterWord, 1);
    for (int c = 0; c < CSongData::kCellCount; ++c) {
        const bool measureStart = c % 6 == 0;
        ASSERT_EQ(song->cells[c].entry[0], measureStart ? -1 : -2) << c;
        ASSERT_EQ(song->cells[c].entry[1], -2) << c;
        ASSERT_EQ(song->cells[c].entry[2], -3) << c;
    }
    EXPECT_EQ(song->GetNoteLength(0, 0, false), 6.0);
    EXPECT_EQ(song->GetNoteLength(1, 0, false), 6.0);
    for (int g = 0; g < 6; ++g)
        EXPECT_STREQ(song->chordTable[g].first, "C ");
    for (int g = 6; g < CSongData::kBeatCapacity; ++g)
        ASSERT_STREQ(song->chordTable[g].first, "----");
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(SongModelTest, NoteLengthsFollowTheContinuationChain)
{
    CSongFileWriter w(1, 4);
    w.SetEntry(0, 0, 60);
    w.SetEntry(0, 1, -2);
    w.SetEntry(1, 0, -2);
    w.SetEntry(1, 1, 62);
    w.SetEntry(2, 0, -1);
    w.SetEntry(3, 2, 64); // an extra note lasts as an entry-1 note would
    w.SetEntry(4, 0, -2);
    w.SetEntry(4, 1, -2);
    auto song = Load(w);
    EXPECT_EQ(song->GetNoteLength(0, 0, false), 1.5);
    EXPECT_EQ(song->GetNoteLength(0, 1, true), 0.5);
    EXPECT_EQ(song->GetNoteLength(0, 3, true), 1.5);
    // The walk ends at the grid's end.
    EXPECT_GT(song->GetNoteLength(255, 7, true), 0.0);
    EXPECT_EQ(song->GetNoteLength(100000, 0, false), 0.5);
}

TEST_F(SongModelTest, PitchRangeCountsEveryEntryOfTheSpan)
{
    CSongFileWriter w(3, 4);
    w.AddNote(0, 60, 4);
    w.SetEntry(9, 2, 50); // measure 1, entry 2 only
    w.AddNote(16 * 2, 70, 4);
    auto song = Load(w);
    int lo = 0, hi = 0;
    song->GetPitchRange(lo, hi, -1, -1);
    EXPECT_EQ(lo, 50);
    EXPECT_EQ(hi, 70);
    song->GetPitchRange(lo, hi, 1, 2);
    EXPECT_EQ(lo, 50);
    EXPECT_EQ(hi, 50);
    auto empty = Empty(4, 4, 0);
    empty->GetPitchRange(lo, hi, -1, -1);
    EXPECT_EQ(lo, 128);
    EXPECT_EQ(hi, -1);
    song->GetPitchRange(lo, hi, 2000, 900000);
    EXPECT_EQ(lo, 128) << "a span past the grid reads nothing";
}

TEST(SongModel, TransposePitchFoldsByOctaves)
{
    auto moved = [](int v, int n) {
        int32_t e = v;
        CSongData::TransposePitch(n, e);
        return e;
    };
    EXPECT_EQ(moved(120, 12), 120);
    EXPECT_EQ(moved(127, 1), 116);
    EXPECT_EQ(moved(0, -1), 11);
    EXPECT_EQ(moved(60, 0), 60);
    EXPECT_EQ(moved(5, -130), 7);
    EXPECT_EQ(moved(-1, 5), -1);
    EXPECT_EQ(moved(-2, 5), -2);
}

TEST_F(SongModelTest, TransposeMovesKeyChordsAndNotes)
{
    struct KeyCase {
        int key, semitones, expected;
    };
    for (const KeyCase& c : {KeyCase{0, -1, 5}, KeyCase{25, -1, 17}, KeyCase{15, 2, 17}, KeyCase{0, 1, 7},
                             KeyCase{12, 12, 7}, KeyCase{0, -25, 5}}) {
        auto song = Empty(1, 4, c.key);
        song->Transpose(c.semitones);
        EXPECT_EQ(song->keyIndex, c.expected) << "key " << c.key << " by " << c.semitones;
    }
    CSongFileWriter w(1, 4);
    w.AddNote(0, 60, 4);
    w.SetChord(0, "Am", "E7");
    w.SetChord(5, "G");   // beyond the song: untouched
    auto song = Load(w);
    song->Transpose(2);
    EXPECT_EQ(song->cells[0].entry[0], 62);
    EXPECT_EQ(song->cells[0].entry[1], -2);
    EXPECT_STREQ(song->chordTable[0].first, "Bm");
    EXPECT_STREQ(song->chordTable[0].second, "F#7");
    EXPECT_STREQ(song->chordTable[5].first, "G");
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(SongModelTest, DamagedChordTableReportsOncePerTransposition)
{
    CSongFileWriter w(4, 4);
    for (int g = 0; g < 16; ++g)
        w.SetChord(g, "Xx", "Hm");
    auto song = Load(w);
    song->Transpose(1);
    EXPECT_EQ(sink.Take().size(), 1u);
}

TEST_F(SongModelTest, KeyNamesGetTheirBlank)
{
    auto song = Empty(1, 4, 18);
    EXPECT_STREQ(song->keyName, "F#m");
    song->SetKeyName(7);
    EXPECT_STREQ(song->keyName, "C# ");
    song->SetKeyName(27);
    EXPECT_STREQ(song->keyName, "Bbm");
    song->SetKeyName(99);
    EXPECT_STREQ(song->keyName, "C ") << "an index outside the table never reads past it";
}

TEST_F(SongModelTest, FittingFollowsTheFourLoopsInOrder)
{
    struct FitCase {
        int low, high, expectedLow, expectedHigh, shift;
    };
    for (const FitCase& c : {FitCase{40, 64, 55, 79, 15}, FitCase{60, 90, 49, 79, -11}, FitCase{55, 79, 55, 79, 0},
                             FitCase{60, 61, 60, 61, 0}}) {
        CSongFileWriter w(2, 4);
        w.AddNote(0, c.low, 4);
        w.AddNote(16, c.high, 4);
        auto song = Load(w);
        EXPECT_EQ(FitToStrings(*song, 55, 79), c.shift) << c.low << ".." << c.high;
        int lo = 0, hi = 0;
        song->GetPitchRange(lo, hi, -1, -1);
        EXPECT_EQ(lo, c.expectedLow);
        EXPECT_EQ(hi, c.expectedHigh);
    }
}

TEST_F(SongModelTest, FittingEndsWhereNoFoldCanReach)
{
    CSongFileWriter w(1, 4);
    w.AddNote(0, 66, 4);
    auto song = Load(w);
    // A highest string of pitch 0: the note folds between 6 and 127 for ever.
    const int shift = FitToStrings(*song, 55, 0);
    EXPECT_LE(std::abs(shift), 4 * kMaxFitSteps * 12);
    auto silent = Empty(4, 4, 0);
    EXPECT_EQ(FitToStrings(*silent, 55, 79), 0) << "a song without notes is not transposed";
    EXPECT_EQ(silent->keyIndex, 0);
}
