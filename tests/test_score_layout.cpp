#include "tests/SongAsScore.h"
#include "render/ScoreLayout.h"
#include "song/CSongData.h"
#include "song/CSongFileWriter.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

class ScoreLayoutTest : public ::testing::Test {
protected:
    SandboxDir sandbox;
    RecordingSink sink;
    std::unique_ptr<CSongData> Load(const CSongFileWriter& w)
    {
        const std::string path = sandbox.Path("song.mwd");
        w.Write(path);
        int32_t m = 0, b = 0, k = 0;
        return std::make_unique<CSongData>(path.c_str(), m, b, k);
    }
};

TEST_F(ScoreLayoutTest, LengthsInTimeUnitsFollowTheContinuations)
{
    CSongFileWriter w(8, 4);
    int position = 0;
    for (int quarters : {1, 2, 3, 4, 8, 16}) {
        w.AddNote(position, 60 + quarters, quarters);
        position += quarters;
    }
    auto song = Load(w);
    const ScoreLayout layout = LayOutMeasures(*song, 1, 3);
    EXPECT_EQ(layout.totalLength, Sixths(3 * 4 * 6));
    const std::vector<ScoreNote> expected = {{0, 61, Sixths(1)},          {Sixths(1), 62, Sixths(3)},
                                             {Sixths(4), 63, Sixths(4)},  {Sixths(9), 64, Sixths(6)},
                                             {Sixths(15), 68, Sixths(12)}, {Sixths(27), 76, Sixths(24)}};
    EXPECT_EQ(layout.notes, expected);
}

TEST_F(ScoreLayoutTest, EntriesOfOneCellFollowInOrderAndTimesStartAtTheFirstMeasure)
{
    CSongFileWriter w(4, 3);
    const int cell = 2 * 3 * 2 + 1; // measure 3, beat 0, second half
    w.SetEntry(cell, 0, 60);
    w.SetEntry(cell, 1, 62);
    w.SetEntry(cell, 2, 64);
    auto song = Load(w);
    const ScoreLayout layout = LayOutMeasures(*song, 3, 4);
    EXPECT_EQ(layout.totalLength, Sixths(2 * 3 * 6));
    ASSERT_EQ(layout.notes.size(), 3u);
    EXPECT_EQ(layout.notes[0], (ScoreNote{Sixths(3), 60, Sixths(1)}));
    EXPECT_EQ(layout.notes[1], (ScoreNote{Sixths(4), 62, Sixths(1)}));
    EXPECT_EQ(layout.notes[2], (ScoreNote{Sixths(5), 64, Sixths(1)}));
    // A cell of three entries is a triplet's: each sounds where it is drawn.
    EXPECT_EQ(layout.notes[1].sound, Sixths(4));
    EXPECT_EQ(layout.notes[2].sound, Sixths(5));
}

TEST_F(ScoreLayoutTest, DensestRangeAndRangesBeyondTheGrid)
{
    CSongFileWriter w(128, 8);
    for (int c = 0; c < CSongData::kCellCount; ++c)
        for (int k = 0; k < 3; ++k)
            w.SetEntry(c, k, 60 + k);
    auto song = Load(w);
    EXPECT_EQ(LayOutMeasures(*song, 1, 32).notes.size(), 1536u);
    EXPECT_EQ(LayOutMeasures(*song, 1, 128).notes.size(), 2048u * 3);
    EXPECT_EQ(LayOutMeasures(*song, 120, 200).notes.size(), 9u * 16 * 3) << "cells past the grid are not read";
    EXPECT_TRUE(LayOutMeasures(*song, 5, 4).notes.empty());
    EXPECT_TRUE(LayOutMeasures(*song, 0, 4).notes.empty());
    // A last measure from a damaged settings file: the height's time span is held, not wrapped.
    const ScoreLayout far = LayOutMeasures(*song, 1, INT32_MAX);
    EXPECT_EQ(far.totalLength, INT32_MAX);
    EXPECT_EQ(far.notes.size(), 2048u * 3);
}
