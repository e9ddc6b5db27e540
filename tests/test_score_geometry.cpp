#include "tests/SongAsScore.h"
#include "render/ScoreGeometry.h"
#include "song/ChordNaming.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

// 25 strings on 55..79, spacing 32, left offset 10, in an 832 x 830 picture.
ScoreFrame DefaultFrame(int totalLength)
{
    ScoreFrame f;
    f.width = 832;
    f.height = 830;
    f.stringSpacing = 32;
    f.leftOffset = 10;
    f.stringCount = 25;
    for (int i = 0; i < 25; ++i)
        f.stringPitches[static_cast<size_t>(i)] = 55 + i;
    f.totalLength = totalLength;
    return f;
}

} // namespace

TEST(ScoreGeometry, CircleKindByLength)
{
    const std::pair<int, NoteMark> cases[] = {
        {Sixths(6), NoteMark::kOneBeat},    {Sixths(3), NoteMark::kShorter},   {Sixths(1), NoteMark::kShorter},
        {Sixths(9), NoteMark::kShorter},    {Sixths(12), NoteMark::kOtherLong}, {Sixths(18), NoteMark::kOtherLong},
        {Sixths(24), NoteMark::kFourBeats}, {Sixths(48), NoteMark::kOtherLong}, {Sixths(6) + 1, NoteMark::kShorter},
    };
    for (auto [length, mark] : cases)
        EXPECT_EQ(MarkOf(length), mark) << length;
    EXPECT_EQ(StyleOf(NoteMark::kOneBeat).diameter, 12);
    EXPECT_TRUE(StyleOf(NoteMark::kShorter).black);
    EXPECT_FALSE(StyleOf(NoteMark::kFourBeats).black);
    EXPECT_EQ(StyleOf(NoteMark::kOtherLong).diameter, 8);
}

TEST(ScoreGeometry, StringsAndNotesStandWhereThePictureDrawsThem)
{
    const ScoreGeometry g = ComputeScoreGeometry(DefaultFrame(768), {{384, 60, Sixths(6)}, {0, 79, Sixths(3)}});
    ASSERT_EQ(g.stringX.size(), 25u);
    EXPECT_EQ(g.stringX.front(), 22);
    EXPECT_EQ(g.stringX.back(), 790);
    EXPECT_EQ(g.stringPitch.front(), 55);
    ASSERT_EQ(g.notes.size(), 2u);
    const PlacedNote& c4 = g.notes[0];
    EXPECT_EQ(c4.x, 182);
    EXPECT_EQ(c4.y, 425);
    EXPECT_EQ(c4.mark, NoteMark::kOneBeat);
    EXPECT_EQ(c4.left, 176);
    EXPECT_EQ(c4.top, 419);
    EXPECT_EQ(c4.right, 188);
    EXPECT_EQ(c4.bottom, 431);
    EXPECT_EQ(g.notes[1].y, 10) << "a note at time 0 stands 10 pixels down";

    // 4980 / 96 truncates to 51.
    EXPECT_EQ(ComputeScoreGeometry(DefaultFrame(96), {{6, 60, Sixths(6)}}).notes[0].y, 61);
}

TEST(ScoreGeometry, NotesWithoutAStringAreLeftOut)
{
    const ScoreGeometry g = ComputeScoreGeometry(DefaultFrame(96), {{0, 60, Sixths(6)}, {6, 54, Sixths(6)}, {12, 80, Sixths(6)}, {18, 62, Sixths(6)}});
    ASSERT_EQ(g.notes.size(), 2u);
    EXPECT_EQ(g.notes[1].x, (62 - 55 + 1) * 32 - 10);

    ScoreFrame fewer = DefaultFrame(96);
    fewer.stringCount = 6; // up to C4
    EXPECT_EQ(ComputeScoreGeometry(fewer, {{0, 60, Sixths(6)}, {6, 62, Sixths(6)}}).notes.size(), 1u);
    fewer.stringCount = 99; // held within the table
    EXPECT_EQ(ComputeScoreGeometry(fewer, {}).stringX.size(), size_t(kMaxStrings));
}

TEST(ScoreGeometry, FlowLinesJoinTheDrawnNotesAndRunOnPastANoteWithoutAString)
{
    const ScoreGeometry g =
        ComputeScoreGeometry(DefaultFrame(96), {{0, 60, Sixths(6)}, {6, 54, Sixths(6)}, {12, 62, Sixths(6)}, {18, 80, Sixths(6)}, {24, 64, Sixths(6)}});
    ASSERT_EQ(g.notes.size(), 3u);
    EXPECT_EQ(g.flows, (std::vector<FlowLine>{{0, 1, FlowKind::kSolid}, {1, 2, FlowKind::kSolid}}));
    const std::vector<FlowEnds> ends = FlowEndsByNote(g);
    ASSERT_EQ(ends.size(), 3u);
    EXPECT_FALSE(ends[0].in);
    EXPECT_EQ(ends[0].out, (FlowLine{0, 1}));
    EXPECT_EQ(ends[1].in, (FlowLine{0, 1}));
    EXPECT_EQ(ends[2].in, (FlowLine{1, 2}));
    EXPECT_FALSE(ends[2].out) << "the last note leads nowhere";
    EXPECT_TRUE(ComputeScoreGeometry(DefaultFrame(96), {{0, 60, Sixths(6)}}).flows.empty());
}

TEST(ScoreGeometry, NoLengthPlacesNoNoteAndWildTimesStayInRange)
{
    EXPECT_TRUE(ComputeScoreGeometry(DefaultFrame(0), {{0, 60, Sixths(6)}}).notes.empty());
    const int far = std::numeric_limits<int32_t>::max();
    const ScoreGeometry g = ComputeScoreGeometry(DefaultFrame(1), {{far, 60, Sixths(6)}, {-far, 60, Sixths(6)}});
    ASSERT_EQ(g.notes.size(), 2u);
    EXPECT_GT(g.notes[0].bottom, g.notes[0].top);
    EXPECT_GT(g.notes[0].y, 830);
    EXPECT_LT(g.notes[1].y, 0);
}

TEST(NoteNames, SharpNameAndOctaveWithMiddleCInOctaveFour)
{
    EXPECT_EQ(NoteNameWithOctave(60), "C4");
    EXPECT_EQ(NoteNameWithOctave(55), "G3");
    EXPECT_EQ(NoteNameWithOctave(61), "C#4");
    EXPECT_EQ(NoteNameWithOctave(79), "G5");
    EXPECT_EQ(NoteNameWithOctave(0), "C-1");
    EXPECT_EQ(NoteNameWithOctave(127), "G9");
}
