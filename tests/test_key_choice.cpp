#include "tests/SongAsScore.h"
#include "import/ScoreImport.h"
#include "render/KeyChoice.h"
#include "document/SettingsScore.h"
#include "settings/ConfigRecord.h"
#include "settings/Tuning.h"
#include "song/CSongData.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <string_view>

namespace {

// A tune in C that uses all seven of its notes, F and B among them, and repeats its first part.
constexpr std::string_view kTuneInC = "X:1\nT:Scale song\nM:4/4\nL:1/4\nK:C\n"
                                      "|:C D E F|G A B c:|c B A G|F E D C|]\n";

std::unique_ptr<CSongData> Tune(std::string_view abc = kTuneInC)
{
    ImportOutcome loaded = ImportScoreBytes(ScoreFormat::Abc, std::vector<uint8_t>(abc.begin(), abc.end()), "tune.abc");
    return std::move(loaded.song);
}

ConfigRecord Harp(Tuning tuning, int strings, int lowest)
{
    ConfigRecord r = DefaultConfigRecord();
    r.stringCount = strings;
    r.lowestNote = lowest;
    FillStringNotes(r, tuning);
    return r;
}

FittedScore Whole(const ScoreFrame& frame, const CSongData& song, int transposition,
                  RepeatDrawing repeats = RepeatDrawing::kLines)
{
    return LayOutFittedScore(frame, song, {1, 64}, transposition, repeats);
}

} // namespace

class KeyChoiceTest : public ::testing::TestWithParam<RepeatDrawing> {
protected:
    RecordingSink sink;
};

TEST_P(KeyChoiceTest, EveryOfferedCountAndKeyIsWhatTheSheetThenShows)
{
    for (const ConfigRecord& harp : {DefaultConfigRecord(), Harp(Tuning::GMajor, 15, 55), Harp(Tuning::Chromatic, 12, 60)}) {
        const ScoreFrame frame = ScoreFrameOf(harp);
        std::unique_ptr<CSongData> fitted = Tune();
        const int fit = MoveSongToKey(*fitted, 0, std::nullopt, frame, harp.lowestNote);
        const std::vector<KeyOffer> offers = OfferKeys(Whole(frame, *fitted, fit, GetParam()), fitted->keyIndex);
        ASSERT_EQ(offers.size(), 25u);
        for (const KeyOffer& offer : offers) {
            std::unique_ptr<CSongData> song = Tune();
            ASSERT_EQ(MoveSongToKey(*song, 0, offer.transposition, frame, harp.lowestNote), offer.transposition);
            const FittedScore shown = Whole(frame, *song, offer.transposition, GetParam());
            EXPECT_EQ(shown.notesWithoutString, offer.missingNotes)
                << harp.stringCount << " strings, " << ShiftText(offer.transposition);
            EXPECT_EQ(song->keyIndex, offer.keyIndex) << ShiftText(offer.transposition);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(LinesAndWrittenOut, KeyChoiceTest,
                         ::testing::Values(RepeatDrawing::kLines, RepeatDrawing::kWrittenOut));

TEST(KeyOffersTest, DiatonicGHarpOffersTheKeysItsStringsHoldFirst)
{
    RecordingSink sink;
    const ConfigRecord harp = Harp(Tuning::GMajor, 15, 55); // G3 to G5, F sharp
    const ScoreFrame frame = ScoreFrameOf(harp);
    std::unique_ptr<CSongData> song = Tune();
    const FittedScore written = Whole(frame, *song, 0);
    const std::vector<KeyOffer> offers = OfferKeys(written, song->keyIndex);
    // Only a fifth up (or a fourth down) turns every F into F sharp's neighbour and keeps B.
    ASSERT_GE(offers.size(), 2u);
    EXPECT_EQ(KeyOfferText(offers[0]), "ト長調 (G) — 全音が弦にある");
    EXPECT_EQ(offers[0].transposition, -5);
    EXPECT_EQ(offers[1].transposition, 7);
    EXPECT_GT(offers[2].missingNotes, 0);
    // In D each of the written B's (two as written, four as played) wants a C sharp.
    const auto d = std::find_if(offers.begin(), offers.end(), [](const KeyOffer& o) { return o.transposition == 2; });
    ASSERT_NE(d, offers.end());
    EXPECT_EQ(KeyOfferText(*d), "ニ長調 (D) — 2音不足");

    const std::vector<KeyOffer> each = OfferEachKey(written, song->keyIndex);
    ASSERT_EQ(each.size(), 12u);
    EXPECT_EQ(each[0].transposition, -5) << "the nearer of the two that fit";
    EXPECT_EQ(TranspositionForKey(written, song->keyIndex, "G"), -5);
    EXPECT_EQ(TranspositionForKey(written, song->keyIndex, "D"), 2);
    EXPECT_EQ(TranspositionForKey(written, song->keyIndex, "Bb"), -2);
    EXPECT_EQ(TranspositionForKey(written, song->keyIndex, "A#"), -2);
    for (const char* refused : {"Em", "H", "", "Gx", "G#b", "m"})
        EXPECT_FALSE(TranspositionForKey(written, song->keyIndex, refused)) << refused;
}

TEST(KeyOffersTest, ChromaticHarpKeepsTheOrderAndNamesEveryKey)
{
    RecordingSink sink;
    const ScoreFrame frame = ScoreFrameOf(DefaultConfigRecord()); // 25 strings, G3 to G5
    std::unique_ptr<CSongData> song = Tune("X:1\nT:Minor\nM:3/4\nL:1/4\nK:Em\nE F G|B A G|E3|]\n");
    const FittedScore written = Whole(frame, *song, 0);
    const std::vector<KeyOffer> offers = OfferKeys(written, song->keyIndex);
    for (size_t i = 0; i < offers.size(); ++i)
        EXPECT_EQ(offers[i].transposition, kMinOfferedShift + static_cast<int>(i));
    EXPECT_EQ(KeyOfferText(offers[12]), "ホ短調 (Em) — 全音が弦にある");
    EXPECT_EQ(KeyOfferText(offers[14]), "嬰ヘ短調 (F#m) — 全音が弦にある");
    EXPECT_EQ(KeyName(offers[18].keyIndex), "嬰イ短調");
    EXPECT_EQ(TranspositionForKey(written, song->keyIndex, "Am"), 5);
    EXPECT_FALSE(TranspositionForKey(written, song->keyIndex, "A"));
    // E4 to B4 rises past G5 from +9: an octave up, A5 and B5 have no string.
    EXPECT_EQ(offers[12 + 12].missingNotes, 2);
    EXPECT_EQ(ShiftText(-3), "−3");
    EXPECT_EQ(ShiftText(0), "±0");
}
