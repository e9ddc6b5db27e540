#include "tests/SongAsScore.h"
#include "settings/CConfigControl.h"
#include "document/SettingsScore.h"
#include "settings/Tuning.h"
#include "song/ChordNaming.h"
#include "song/CSongData.h"
#include "song/CSongFileWriter.h"
#include "score/FitToStrings.h"
#include "score/SongScore.h"
#include "tests/support/TestSupport.h"

#include <climits>
#include <gtest/gtest.h>

namespace {

ConfigRecord Harp(Tuning tuning, int count, int lowest)
{
    ConfigRecord r = DefaultConfigRecord();
    r.stringCount = count;
    r.lowestNote = lowest;
    FillStringNotes(r, tuning);
    return r;
}

std::span<const int32_t> Strings(const ConfigRecord& r)
{
    return std::span<const int32_t>(r.stringNotes.data(), static_cast<size_t>(r.stringCount));
}

} // namespace

TEST(TuningTest, MajorScaleStringsAndTheirRecognition)
{
    const ConfigRecord c15 = Harp(Tuning::CMajor, 15, 55);
    const std::vector<int32_t> gToG{55, 57, 59, 60, 62, 64, 65, 67, 69, 71, 72, 74, 76, 77, 79};
    EXPECT_EQ(std::vector<int32_t>(Strings(c15).begin(), Strings(c15).end()), gToG);

    for (const TuningName& t : kTuningNames) {
        const int lowest = LowestNoteInTuning(t.tuning, 55);
        EXPECT_EQ(RecogniseTuning(Harp(t.tuning, 22, lowest)), t.tuning) << t.option;
    }
    EXPECT_EQ(RecogniseTuning(DefaultConfigRecord()), Tuning::Chromatic);
    ConfigRecord handMade = c15;
    handMade.stringNotes[3] = 61;
    EXPECT_EQ(RecogniseTuning(handMade), Tuning::Other);
    // Strings past the count are no part of the tuning.
    ConfigRecord tail = c15;
    tail.stringNotes[20] = 0;
    EXPECT_EQ(RecogniseTuning(tail), Tuning::CMajor);
}

TEST(TuningTest, LowestNoteMovesUpToTheScaleUnlessThatLeavesTheRange)
{
    EXPECT_EQ(LowestNoteInTuning(Tuning::CMajor, 54), 55) << "F# in C major: G";
    EXPECT_EQ(LowestNoteInTuning(Tuning::GMajor, 53), 54) << "F in G major: F#";
    EXPECT_EQ(LowestNoteInTuning(Tuning::FMajor, 59), 58) << "B in F major: C5 is out of the range, Bb";
    EXPECT_EQ(LowestNoteInTuning(Tuning::Chromatic, 59), 59);
    EXPECT_EQ(LowestNoteInTuning(Tuning::Chromatic, 43), 43) << "G2, the 37-string harp's lowest string";

    // A damaged settings file's lowest note: answered at once, inside the range, and filling
    // the table from it overflows nothing.
    EXPECT_EQ(LowestNoteInTuning(Tuning::GMajor, INT_MIN), 43);
    EXPECT_EQ(LowestNoteInTuning(Tuning::GMajor, INT_MAX), 59);
    for (Tuning t : {Tuning::Chromatic, Tuning::GMajor}) {
        const ConfigRecord high = Harp(t, 37, INT_MAX);
        EXPECT_LE(high.stringNotes[36], 127 + 2 * 36);
        EXPECT_GE(Harp(t, 37, INT_MIN).stringNotes[0], 0);
    }
}

class TableFittingTest : public ::testing::Test {
protected:
    std::unique_ptr<CSongData> Song(const std::vector<int>& notes)
    {
        CSongFileWriter w(static_cast<int>(notes.size()), 4);
        for (size_t i = 0; i < notes.size(); ++i)
            w.AddNote(static_cast<int>(i) * 16, notes[i], 4);
        const std::string path = sandbox.Path("song.mwd");
        w.Write(path);
        int32_t m = 0, b = 0, k = 0;
        return std::make_unique<CSongData>(path.c_str(), m, b, k);
    }

    SandboxDir sandbox;
    RecordingSink sink;
    const ConfigRecord harp = Harp(Tuning::CMajor, 15, 55);
};

TEST_F(TableFittingTest, EachTieRuleDecidesInItsTurn)
{
    struct Case {
        std::vector<int> notes;
        int shift, missing;
        const char* rule;
    };
    for (const Case& c : {
             Case{{50, 68}, 9, 0, "only +9 puts both notes on strings"},
             Case{{50, 73}, 5, 1, "one note is left out either way; +5 keeps both within the strings"},
             Case{{50}, 5, 0, "every fit is within the strings; the smallest shift wins"},
             Case{{56}, 1, 0, "-1 and +1 both fit; the upward one wins"},
         }) {
        auto song = Song(c.notes);
        EXPECT_EQ(FitToStringTable(*song, harp.lowestNote, Strings(harp)), c.shift) << c.rule;
        EXPECT_EQ(CountNotesWithoutString(*song, 0, Strings(harp)), c.missing) << c.rule;
    }
}

TEST_F(TableFittingTest, TheSongMovesOnceWithItsKeyAndAChromaticTableFitsAsBefore)
{
    auto song = Song({50, 68});
    FitToStringTable(*song, harp.lowestNote, Strings(harp));
    int lo = 0, hi = 0;
    song->GetPitchRange(lo, hi, -1, -1);
    EXPECT_EQ(lo, 59);
    EXPECT_EQ(hi, 77);
    EXPECT_STREQ(kKeyTable[static_cast<size_t>(song->keyIndex)].name, "A") << "C moved up by 9";

    const ConfigRecord chromatic = DefaultConfigRecord();
    for (int low : {40, 60}) {
        auto a = Song({low, low + 30}), b = Song({low, low + 30});
        EXPECT_EQ(FitToStringTable(*a, 55, Strings(chromatic)), FitToStrings(*b, 55, 79)) << low;
    }
    int32_t m = 4, b = 4, k = 0;
    CSongData silent("", m, b, k);
    EXPECT_EQ(FitToStringTable(silent, harp.lowestNote, Strings(harp)), 0) << "a song without notes stays";
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(TableFittingTest, ANoteBeyondEveryHarpFromADamagedFileDoesNotOverflow)
{
    // The largest entry a file can hold: the fitting's range test must not wrap it round.
    auto song = Song({60, INT32_MAX});
    const int shift = FitToStringTable(*song, harp.lowestNote, Strings(harp));
    EXPECT_EQ(shift, 0) << "no shift puts the song within the strings; the smallest wins";
}

// A damaged setup.ini's string table: every use holds it to 0..127, the file keeps it as stored.
TEST_F(TableFittingTest, ADamagedStringTableIsHeldWhereItIsUsedAndKeptAsStored)
{
    for (const int first : {INT_MAX, INT_MIN}) {
        SCOPED_TRACE(first);
        ConfigRecord stored = Harp(Tuning::Chromatic, 25, 55);
        stored.stringNotes[0] = first;
        stored.stringNotes[5] = first == INT_MAX ? INT_MIN : INT_MAX;
        stored.stringNotes[9] = 200;
        const ConfigImage image = EncodeConfigRecord(stored);
        const std::string path = sandbox.Path("setup.ini");
        WriteFileBytes(path, std::vector<uint8_t>(image.begin(), image.end()));

        const ConfigRecord loaded = LoadConfigFile(path);
        EXPECT_EQ(loaded.stringNotes, stored.stringNotes) << "the record stays as stored";
        EXPECT_EQ(EncodeConfigRecord(loaded), image);

        const ScoreFrame frame = ScoreFrameOf(loaded);
        EXPECT_EQ(frame.stringPitches[0], first == INT_MAX ? 127 : 0);
        EXPECT_EQ(frame.stringPitches[5], first == INT_MAX ? 0 : 127);
        EXPECT_EQ(frame.stringPitches[9], 127);
        EXPECT_EQ(frame.stringPitches[1], 56) << "sound strings as they are";

        auto song = Song({60, 62, 64, 65});
        const FittedScore fitted = FitScore(loaded, *song, MeasureRange{1, 4});
        ASSERT_EQ(fitted.geometry.stringPitch.size(), 25u);
        for (const int pitch : fitted.geometry.stringPitch) {
            EXPECT_GE(pitch, 0);
            EXPECT_LE(pitch, 127);
            EXPECT_LE(NoteNameWithOctave(pitch).size(), 4u);
        }
    }
    EXPECT_EQ(sink.Count(), 0u);
}
