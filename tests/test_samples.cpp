#include "tests/SongAsScore.h"
#include "common/FileServices.h"
#include "library/CDirectoryFileList.h"
#include "library/SongSummary.h"
#include "song/CSongData.h"
#include "score/FitToStrings.h"
#include "score/SongScore.h"
#include "samples/MelodyText.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <set>

TEST(SampleLibrary, EverySampleLoadsAndFitsWithoutAMessage)
{
    RecordingSink sink;
    CDirectoryFileList list(DP_SAMPLE_DIR, "*.mwd");
    ASSERT_GE(list.EntryCount(), 12);
    std::set<int> beats, keys;
    std::multiset<int> fame;
    int longest = 0, widest = 0;
    bool lyrics = false;
    for (int i = 0; i < list.EntryCount(); ++i) {
        const std::string path = JoinPath(DP_SAMPLE_DIR, list.Entry(i));
        int32_t m = 0, b = 0, k = 0;
        CSongData song(path.c_str(), m, b, k);
        int lo = 0, hi = 0;
        song.GetPitchRange(lo, hi, -1, -1);
        widest = std::max(widest, hi - lo);
        FitToStrings(song, 55, 79);
        EXPECT_EQ(sink.Take(), std::vector<std::string>{}) << list.Entry(i);
        beats.insert(song.beatsPerMeasure);
        keys.insert(song.keyIndex);
        longest = std::max(longest, song.measureCount);
        fame.insert(song.FameLevel());
        for (const Cell& cell : song.cells)
            lyrics = lyrics || (cell.entry[0] >= 0 && cell.text[0][0] != 0);
        EXPECT_EQ(ReadSongSummary(path, list.Entry(i)).title, song.ListTitle());
    }
    EXPECT_TRUE(beats.count(2) && beats.count(3) && beats.count(4) && beats.count(6));
    EXPECT_GE(keys.size(), 4u);
    EXPECT_GT(longest, 32);
    EXPECT_GT(widest, 25);
    EXPECT_TRUE(lyrics);
    // Each of the library's four filters shows a different set.
    auto atLeast = [&](int t) { return std::distance(fame.lower_bound(t), fame.end()); };
    EXPECT_GT(atLeast(0), atLeast(40));
    EXPECT_GT(atLeast(40), atLeast(70));
    EXPECT_GT(atLeast(70), atLeast(100));
    EXPECT_GT(atLeast(100), 0);
}

TEST(MelodyText, ReportsMeasuresThatDoNotAddUp)
{
    EXPECT_EQ(ParseMelodyText("beats: 3\nC4 D4 | E4 |\n").error, "line 2: measure holds 8 quarter beats, not 12");
    EXPECT_NE(ParseMelodyText("H4 |").error, "");
    EXPECT_NE(ParseMelodyText("key: Q\nC4:4 |").error, "");
    const MelodyParseResult ok = ParseMelodyText("beats: 2\nC4:0.25 _:0.75 r | D4:2=la |\n");
    ASSERT_TRUE(ok.song) << ok.error;
    EXPECT_EQ(ok.measures, 2);
}
