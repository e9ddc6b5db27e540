// The open tune as the window, the renderer and the settings' score hold it: one way from a
// file to what is drawn, whatever order the player takes the steps in.

#include "document/SettingsScore.h"
#include "document/TuneDocument.h"
#include "settings/ConfigRecord.h"
#include "settings/Tuning.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <cstring>

namespace {

// Two voices, the second under the first; the melody reaches above a 15-string harp in G.
constexpr const char* kDuet = "X:1\nT:Duet\nM:4/4\nL:1/4\nK:G\n"
                              "V:1\nG A B c|d e f g|a g f e|d2 G2|]\n"
                              "V:2\nB, C D E|F G A B|c B A G|F2 B,2|]\n";

ScoreFrame Harp(Tuning tuning, int strings, int lowest)
{
    ConfigRecord r = DefaultConfigRecord();
    r.stringCount = strings;
    r.lowestNote = lowest;
    FillStringNotes(r, tuning);
    return ScoreFrameOf(r);
}

std::vector<int> MelodyPitches(const TuneDocument& tune)
{
    std::vector<int> pitches;
    for (const ScoreNote& n : tune.Fitted().layout.notes)
        pitches.push_back(n.pitch);
    return pitches;
}

class TuneDocumentTest : public ::testing::Test {
protected:
    std::string Duet()
    {
        const std::string path = sandbox.Path("duet.abc");
        WriteFileBytes(path, std::vector<uint8_t>(kDuet, kDuet + std::strlen(kDuet)));
        return path;
    }
    SandboxDir sandbox;
    RecordingSink sink;
};

} // namespace

// A key chosen, another harp, other voices: each step starts from the tune as written, so no
// order of them moves the notes twice.
TEST_F(TuneDocumentTest, EveryStepStartsFromTheTuneAsWritten)
{
    TuneDocument tune;
    tune.SetHarp(Harp(Tuning::Chromatic, 25, 55), 55);
    ASSERT_TRUE(tune.Load(Duet(), {}));
    EXPECT_FALSE(tune.Read().failed);
    tune.Fit();
    tune.Show(std::nullopt, {1, 4}, RepeatDrawing::kLines);
    const std::vector<int> fitted = MelodyPitches(tune);
    const int fit = tune.FitTransposition();

    // Up a fifth and back to the fit: the notes the fit drew.
    tune.Show(7, {1, 4}, RepeatDrawing::kLines);
    EXPECT_EQ(tune.Fitted().transposition, 7);
    EXPECT_EQ(MelodyPitches(tune)[0], 67 + 7);
    tune.Show(std::nullopt, {2, 3}, RepeatDrawing::kLines);
    tune.ShowRange({1, 4}, RepeatDrawing::kLines);
    EXPECT_EQ(MelodyPitches(tune), fitted);
    EXPECT_EQ(tune.Fitted().transposition, fit);

    // A smaller harp while a key is chosen: fitted again from the written tune, not from the key.
    tune.Show(5, {1, 4}, RepeatDrawing::kLines);
    tune.SetHarp(Harp(Tuning::GMajor, 15, 55), 55);
    tune.Fit();
    tune.Show(std::nullopt, {1, 4}, RepeatDrawing::kLines);
    const int smallFit = tune.FitTransposition();
    EXPECT_EQ(tune.Fitted().transposition, smallFit);
    EXPECT_EQ(MelodyPitches(tune)[0], 67 + smallFit);
    EXPECT_EQ(tune.Fitted().notesWithoutString, 0);

    // The second voice read in beside the melody: the fit is the same whole-tune shift again.
    VoiceChoice both;
    both[VoiceRole::kMelody] = 1, both[VoiceRole::kSecond] = 2;
    ASSERT_TRUE(tune.ReadVoicesAgain(both));
    EXPECT_EQ(tune.Path(), Duet());
    tune.Fit();
    tune.Show(std::nullopt, {1, 4}, RepeatDrawing::kLines);
    ASSERT_EQ(tune.Fitted().layout.voices.size(), 1u);
    EXPECT_EQ(tune.Fitted().layout.voices[0].notes.front().pitch, 59 + tune.FitTransposition());
    EXPECT_EQ(MelodyPitches(tune)[0], 67 + tune.FitTransposition());
    EXPECT_EQ(tune.DrawnVoices(), both);
}

// What cannot be read leaves the open tune as it was, or opens as the empty song, said so.
TEST_F(TuneDocumentTest, AFileThatCannotBeReadIsTheEmptySongAndOtherVoicesItLacksChangeNothing)
{
    TuneDocument tune;
    tune.SetHarp(Harp(Tuning::Chromatic, 25, 55), 55);
    EXPECT_FALSE(tune.Open());
    EXPECT_EQ(tune.Fitted().layout.notes.size(), 0u) << "the harp's strings alone";
    ASSERT_TRUE(tune.Load(Duet(), {}));
    tune.Fit();
    tune.Show(std::nullopt, {1, 4}, RepeatDrawing::kLines);
    const std::vector<int> shown = MelodyPitches(tune);

    VoiceChoice absent;
    absent[VoiceRole::kMelody] = 1, absent[VoiceRole::kSecond] = 9;
    EXPECT_FALSE(tune.ReadVoicesAgain(absent));
    EXPECT_EQ(sink.Take().size(), 1u);
    tune.ShowRange({1, 4}, RepeatDrawing::kLines);
    EXPECT_EQ(MelodyPitches(tune), shown);

    const std::string damaged = sandbox.Path("damaged.musicxml");
    const std::string cut = "<?xml version=\"1.0\"?><score-partwise><part-list><score-part id=\"P1\">";
    WriteFileBytes(damaged, std::vector<uint8_t>(cut.begin(), cut.end()));
    ASSERT_TRUE(tune.Load(damaged, {}));
    EXPECT_TRUE(tune.Read().failed);
    EXPECT_EQ(tune.Format(), ScoreFormat::SongFile);
    EXPECT_TRUE(tune.Read().bytes.empty()) << "the library is never given a file that did not read";
    tune.Fit();
    tune.Show(std::nullopt, {1, 32}, RepeatDrawing::kLines);
    EXPECT_EQ(tune.Fitted().measures.last, 4) << "the empty song's four measures";
}

// A read for drawing and playing leaves the song file's grid out; the score is the same.
TEST_F(TuneDocumentTest, AReadWithoutTheGridDrawsTheSameScore)
{
    ImportRequest drawing;
    drawing.grid = false;
    TuneDocument with, without;
    for (TuneDocument* tune : {&with, &without}) {
        tune->SetHarp(Harp(Tuning::Chromatic, 25, 55), 55);
        ASSERT_TRUE(tune->Load(Duet(), tune == &with ? ImportRequest{} : drawing));
        tune->Fit();
        tune->Show(std::nullopt, {1, 4}, RepeatDrawing::kLines);
    }
    EXPECT_TRUE(with.Read().song);
    EXPECT_FALSE(without.Read().song);
    EXPECT_FALSE(without.Read().cancelled);
    EXPECT_EQ(without.Song()->voices.front().events, with.Song()->voices.front().events);
    EXPECT_EQ(MelodyPitches(without), MelodyPitches(with));
    VoiceChoice both;
    both[VoiceRole::kMelody] = 1, both[VoiceRole::kSecond] = 2;
    ASSERT_TRUE(without.ReadVoicesAgain(both));
    EXPECT_FALSE(without.Read().song) << "read again as it was read";
}
