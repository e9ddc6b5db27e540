#include "tests/SongAsScore.h"
#include "common/FileServices.h"
#include "import/ScoreImport.h"
#include "print/PlayingSheets.h"
#include "print/SheetPlanning.h"
#include "document/SettingsScore.h"
#include "settings/HarpPresets.h"
#include "song/CSongData.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace {

constexpr int kDpi = 300;

// Every character as wide as 0.55 of its face's height, the height as the face's size on paper:
// the plan needs no fonts to be tested.
std::pair<double, double> FixedMeasure(SheetFont font, const std::string& utf8)
{
    const double mm = font == SheetFont::kWord            ? 2.8
                      : font == SheetFont::kChord         ? 3.0
                      : font == SheetFont::kMeasureNumber ? 2.4
                      : font == SheetFont::kStringName    ? 2.5
                      : font == SheetFont::kTitle         ? 5.0
                                                          : 3.2;
    size_t characters = 0;
    for (const unsigned char c : utf8)
        characters += (c & 0xC0) != 0x80;
    const double height = Dots(mm, kDpi);
    return {0.55 * height * static_cast<double>(characters), height};
}

struct PaperCase {
    const char* name;
    double widthMm, lengthMm; // as it lies in the printer
    int16_t code;
};

constexpr PaperCase kA3{"A3", 297, 420, PaperSize::kA3};
constexpr PaperCase kA4{"A4", 210, 297, PaperSize::kA4};
constexpr PaperCase kB4{"B4", 257, 364, 0};
constexpr PaperCase kLetter{"Letter", 215.9, 279.4, 0};

// The paper a PDF printer gives: its whole size printable but for a 5 mm border.
// A legend with the song's facts; the texts do not move what the plan places.
const std::optional<SongFacts> kWithFacts = SongFacts{};

SheetPaper PaperOf(const PaperCase& paper, bool landscape)
{
    SheetPaper p;
    const double width = landscape ? paper.lengthMm : paper.widthMm;
    const double length = landscape ? paper.widthMm : paper.lengthMm;
    p.mode.orientation = landscape ? 2 : 1;
    p.mode.paperSize = paper.code;
    p.mode.paperWidth = static_cast<int16_t>(std::lround(width * 10));
    p.mode.paperLength = static_cast<int16_t>(std::lround(length * 10));
    p.mode.printQuality = p.mode.yResolution = kDpi;
    p.pageWidth = DotsFor(width - 10, kDpi);
    p.pageHeight = DotsFor(length - 10, kDpi);
    return p;
}

struct Fitted {
    std::unique_ptr<CSongData> song;
    FittedScore score;
};

Fitted FitSample(const std::string& path, const char* harp)
{
    ConfigRecord record = DefaultConfigRecord();
    ApplyHarpPreset(*FindHarpPreset(harp), record);
    Fitted f;
    f.song = LoadScoreFile(path).song;
    f.score = FitScore(record, *f.song, FirstShownMeasures(*f.song));
    return f;
}

std::string SamplePath(const char* name)
{
    return JoinPath(DP_SAMPLE_DIR, name);
}

SheetSettings AtScale(int tenths, WordChoices shown = {})
{
    return SheetSettings{PaperSpacing::TenthsMm(tenths), shown};
}

} // namespace

TEST(SheetPlan, FittedSheetTakesOneA3PageOrTwoA4Halves)
{
    const Fitted f = FitSample(SamplePath("jinglebells.mwd"), "25");
    const SheetSettings fit;

    const SheetPlan a3 = PlanSheet(f.score, fit, PaperOf(kA3, false), FixedMeasure, kWithFacts);
    EXPECT_EQ(a3.layout, SheetLayout::kOnePage);
    ASSERT_EQ(a3.pages.size(), 1u);
    EXPECT_EQ(a3.pages[0].down.from, 0);
    EXPECT_TRUE(a3.pages[0].label.text.empty());
    EXPECT_TRUE(a3.legend.drawn && a3.pages[0].legend);
    EXPECT_GE(a3.legend.bounds.top, a3.score.bottom) << "the legend stands below the score";
    EXPECT_EQ(a3.score.left, 0) << "the picture starts at the printable area's corner";

    // A4 where A3 is expected: the printer is turned, and the A3 sheet goes over two pages.
    SheetPaper a4 = PaperOf(kA4, true);
    const SheetPlan halves = PlanSheet(f.score, fit, a4, FixedMeasure, kWithFacts);
    EXPECT_EQ(halves.layout, SheetLayout::kHalves);
    ASSERT_EQ(halves.pages.size(), 2u);
    const SheetPage &first = halves.pages[0], &second = halves.pages[1];
    EXPECT_EQ(first.down.to - first.down.from, a4.pageHeight);
    ASSERT_EQ(first.bandsDown.size(), 1u);
    EXPECT_EQ(first.bandsDown, second.bandsDown) << "both halves show the same band";
    EXPECT_EQ(second.down.from, first.bandsDown[0].from);
    EXPECT_EQ(first.bandsDown[0].to, first.down.to);
    EXPECT_NEAR(first.bandsDown[0].to - first.bandsDown[0].from, Dots(kHalvesOverlapMm, kDpi), 1);
    EXPECT_EQ(first.label.text, "1/2");
    EXPECT_EQ(second.label.text, "2/2");
    for (const SheetPage& page : halves.pages) {
        EXPECT_LE(page.label.box.Right(), a4.pageWidth) << "the label stays on the paper";
        EXPECT_GE(page.label.box.top, 0);
    }
    // The same sheet as on one A3 page, at its own scale: A4 landscape is as wide as A3.
    EXPECT_EQ(halves.score, a3.score);
}

TEST(SheetPlan, WholeSheetIsOnePageOfItsOwnSize)
{
    const Fitted f = FitSample(SamplePath("jinglebells.mwd"), "37");
    const SheetPlan fitted = PlanWholeSheet(f.score, SheetSettings{}, 600, FixedMeasure, kWithFacts).sheets.front();
    EXPECT_EQ(fitted.sheetWidth, DotsFor(297, 600));
    EXPECT_EQ(fitted.sheetHeight, DotsFor(420, 600));
    ASSERT_EQ(fitted.pages.size(), 1u);

    const SheetPlan scaled = PlanWholeSheet(f.score, AtScale(115), 600, FixedMeasure, kWithFacts).sheets.front();
    ASSERT_EQ(scaled.pages.size(), 1u);
    EXPECT_EQ(scaled.pages[0].across.to, scaled.sheetWidth);
    EXPECT_EQ(scaled.pages[0].down.to, scaled.sheetHeight);
    EXPECT_FALSE(scaled.pages[0].cut);
    EXPECT_TRUE(scaled.legend.drawn);
    EXPECT_TRUE(scaled.legend.scaleBar);
    EXPECT_NEAR(scaled.legend.bar.width, Dots(kScaleBarMm, 600), 0.01);
}

struct TrueScaleCase {
    const char* harp;
    PaperCase paper;
    bool landscape;
};

class SheetPlanAtScale : public ::testing::TestWithParam<TrueScaleCase> {};

// Every preset on every paper: the pages tile the whole sheet with 10 mm bands, no cut runs
// along a string line, each page fits the printable area and says where it goes, and the
// legend lies inside the sheet on the pages it reaches.
TEST_P(SheetPlanAtScale, PagesTileTheSheet)
{
    const TrueScaleCase c = GetParam();
    const Fitted f = FitSample(SamplePath("jinglebells.mwd"), c.harp);
    const HarpPreset& preset = *FindHarpPreset(c.harp);
    const SheetPaper paper = PaperOf(c.paper, c.landscape);
    const SheetPlan plan =
        PlanSheet(f.score, AtScale(preset.spacingTenthsMm, {true, true, true}), paper, FixedMeasure, kWithFacts);
    SCOPED_TRACE(std::string(c.harp) + " on " + c.paper.name + (c.landscape ? " landscape" : ""));

    ASSERT_EQ(plan.layout, SheetLayout::kAtScale);
    ASSERT_FALSE(plan.pages.empty());
    // Strings stand at the harp's spacing on paper.
    const ScoreGeometry& g = f.score.geometry;
    const PictureStretch s(g, plan.score);
    const double spread = s.X(g.stringX.back()) - s.X(g.stringX.front());
    EXPECT_NEAR(spread, Dots(preset.spacingTenthsMm / 10.0 * (preset.stringCount - 1), kDpi), 1.0);

    // Rows and columns, read back from the pages.
    std::vector<SheetSpan> columns, rows;
    for (const SheetPage& page : plan.pages) {
        if (std::find(columns.begin(), columns.end(), page.across) == columns.end())
            columns.push_back(page.across);
        if (std::find(rows.begin(), rows.end(), page.down) == rows.end())
            rows.push_back(page.down);
        EXPECT_TRUE(page.cut);
        EXPECT_LE(page.across.to - page.across.from, paper.pageWidth);
        EXPECT_LE(page.down.to - page.down.from + (plan.pages.size() > 1 ? DotsFor(kPageLabelMm, kDpi) : 0),
                  paper.pageHeight);
    }
    EXPECT_EQ(columns.size() * rows.size(), plan.pages.size());
    const int band = DotsFor(kHalvesOverlapMm, kDpi);
    for (const auto* spans : {&columns, &rows}) {
        EXPECT_EQ(spans->front().from, 0);
        for (size_t k = 1; k < spans->size(); ++k)
            EXPECT_EQ((*spans)[k].from, (*spans)[k - 1].to - band) << "neighbours share the glue band";
    }
    EXPECT_EQ(columns.back().to, plan.sheetWidth);
    EXPECT_EQ(rows.back().to, plan.sheetHeight);
    for (size_t k = 0; k + 1 < columns.size(); ++k)
        for (const int x : g.stringX)
            for (const int cut : {columns[k].to, columns[k + 1].from})
                EXPECT_GE(std::abs(cut - s.X(x)), DotsFor(kCutClearanceMm, kDpi) - 1) << "a cut misses every string";

    // Labels: "n/N (列c・行r)…" on every page of a split sheet, none on a single page.
    for (size_t k = 0; k < plan.pages.size(); ++k) {
        const SheetPage& page = plan.pages[k];
        if (plan.pages.size() == 1) {
            EXPECT_TRUE(page.label.text.empty());
            continue;
        }
        EXPECT_EQ(page.label.text.rfind(std::to_string(k + 1) + "/" + std::to_string(plan.pages.size()) + " (列", 0), 0u)
            << page.label.text;
        EXPECT_GE(page.label.box.top, page.down.to - page.down.from);
        EXPECT_LE(page.label.box.Bottom(), paper.pageHeight + 1);
    }

    // The score and the legend inside the sheet's margin; the legend drawn on some page.
    const int margin = DotsFor(kSheetMarginMm, kDpi);
    EXPECT_TRUE(plan.legend.drawn);
    EXPECT_GE(plan.legend.bounds.top, plan.score.bottom);
    EXPECT_LE(plan.legend.bounds.Bottom(), plan.sheetHeight - margin + 1);
    EXPECT_LE(plan.legend.bounds.Right(), plan.sheetWidth - margin + 1);
    EXPECT_EQ(plan.legend.stringNames.size(), g.stringX.size());
    EXPECT_TRUE(std::any_of(plan.pages.begin(), plan.pages.end(), [](const SheetPage& p) { return p.legend; }));
    if (plan.legend.scaleBar) // left out rather than add a row of pages
        EXPECT_NEAR(plan.legend.bar.width, Dots(kScaleBarMm, kDpi), 0.01);
}

INSTANTIATE_TEST_SUITE_P(
    EveryPresetAndPaper, SheetPlanAtScale,
    ::testing::ValuesIn([] {
        std::vector<TrueScaleCase> cases;
        for (const HarpPreset& preset : kHarpPresets)
            for (const PaperCase& paper : {kA3, kA4, kB4, kLetter})
                for (const bool landscape : {false, true})
                    cases.push_back({preset.option, paper, landscape});
        return cases;
    }()),
    [](const ::testing::TestParamInfo<TrueScaleCase>& info) {
        return std::string("harp") + info.param.harp + "_" + info.param.paper.name +
               (info.param.landscape ? "_landscape" : "_portrait");
    });

// Page counts a player can check with a ruler: strings wider than the paper take more
// columns, and a taller paper fewer rows.
TEST(SheetPlan, PageCountsFollowTheHarpsWidth)
{
    const Fitted wide = FitSample(SamplePath("jinglebells.mwd"), "37");
    const auto columns = [&](const SheetPlan& plan) {
        int n = 0;
        for (const SheetPage& page : plan.pages)
            n += page.down.from == 0;
        return n;
    };
    // 36 gaps of 11.5 mm are 414 mm: three A4 widths, two A3 widths, and still two A3 lengths
    // of 410 printable mm.
    EXPECT_EQ(columns(PlanSheet(wide.score, AtScale(115), PaperOf(kA4, false), FixedMeasure, kWithFacts)), 3);
    EXPECT_EQ(columns(PlanSheet(wide.score, AtScale(115), PaperOf(kA3, false), FixedMeasure, kWithFacts)), 2);
    EXPECT_EQ(columns(PlanSheet(wide.score, AtScale(115), PaperOf(kA3, true), FixedMeasure, kWithFacts)), 2);
    EXPECT_EQ(columns(PlanSheet(wide.score, AtScale(100), PaperOf(kA3, true), FixedMeasure, kWithFacts)), 1);
    // Half the spacing, half the width.
    EXPECT_EQ(columns(PlanSheet(wide.score, AtScale(50), PaperOf(kA4, false), FixedMeasure, kWithFacts)), 1);
}

// The words of さくらさくら beside their circles, none covering one, none left out.
TEST(SheetPlan, WordsArePlacedOnceForTheWholeSheet)
{
    const Fitted f = FitSample(JoinPath(DP_SCORE_DIR, "sakura.musicxml"), "25");
    ASSERT_FALSE(f.score.layout.words.empty());
    const size_t syllables = static_cast<size_t>(std::count_if(f.score.layout.words.begin(), f.score.layout.words.end(),
                                                               [](const std::string& w) { return !w.empty(); }));
    for (const SheetSettings& sheet : {SheetSettings{}, AtScale(115, {true, true, true})}) {
        const SheetPlan plan = PlanSheet(f.score, sheet, PaperOf(kA4, sheet.FitsPaper()), FixedMeasure, kWithFacts);
        EXPECT_EQ(plan.words.words.size() + static_cast<size_t>(plan.words.wordsLeftOut), syllables);
        EXPECT_EQ(plan.words.wordsLeftOut, 0);
        for (const PlacedText& word : plan.words.words)
            for (const PlacedNote& n : f.score.geometry.notes)
                EXPECT_FALSE(word.box.Overlaps({double(n.left), double(n.top), double(n.right), double(n.bottom)}))
                    << word.text;
        EXPECT_EQ(plan.words.measures.size(), f.score.layout.measures.size());
    }
    // Nothing is placed that the player did not choose.
    const SheetPlan bare = PlanSheet(f.score, AtScale(115, {false, false, false}), PaperOf(kA4, false), FixedMeasure, kWithFacts);
    EXPECT_TRUE(bare.words.words.empty() && bare.words.chords.empty() && bare.words.measures.empty());
}

// A score with no notes and a harp of no strings still gets a sheet, never a division by zero.
TEST(SheetPlan, EmptyScoresPlanWithoutFault)
{
    ScoreFrame frame;
    frame.width = 832;
    frame.height = 830;
    frame.stringSpacing = 32;
    const FittedScore nothing = UnfittedScore(frame);
    for (const SheetSettings& sheet : {SheetSettings{}, AtScale(115)}) {
        const SheetPlan plan = PlanSheet(nothing, sheet, PaperOf(kA4, false), FixedMeasure, std::nullopt);
        EXPECT_FALSE(plan.pages.empty());
        EXPECT_TRUE(plan.legend.stringNames.empty());
        EXPECT_FALSE(plan.legend.songFacts);
    }
}

namespace {

// Measures of equal length `each`, their starts and the range's end.
std::vector<int> EvenStarts(size_t measures, int each)
{
    std::vector<int> starts;
    for (size_t i = 0; i <= measures; ++i)
        starts.push_back(static_cast<int>(i) * each);
    return starts;
}

} // namespace

TEST(PlayingSheets, MeasuresAreCutIntoFewFullSheetsAtPhrases)
{
    const auto check = [](const std::vector<int>& starts, int room, const std::vector<SheetCut>& cuts, bool full = true) {
        ASSERT_FALSE(cuts.empty());
        EXPECT_EQ(cuts.front().first, 0u);
        EXPECT_EQ(cuts.back().end, starts.size() - 1) << "every measure on a sheet";
        for (size_t k = 0; k < cuts.size(); ++k) {
            if (k > 0) {
                EXPECT_EQ(cuts[k].first, cuts[k - 1].end);
            }
            const int length = starts[cuts[k].end] - starts[cuts[k].first];
            if (cuts[k].end - cuts[k].first > 1) {
                EXPECT_LE(length, room);
            }
            if (full && k + 1 < cuts.size()) {
                EXPECT_GE(length, 0.7 * room) << "sheet " << k + 1 << " nearly full";
            }
        }
    };
    // 48 measures of which 10 fit a sheet: five sheets, not the six a cut every eight would take.
    std::vector<int> starts = EvenStarts(48, 10);
    std::vector<SheetCut> cuts = CutIntoSheets(starts, 100);
    check(starts, 100, cuts);
    EXPECT_EQ(cuts.size(), 5u);
    // 32 measures of which 9 fit: four sheets of eight, at the phrases, rather than 9+9+9+5.
    starts = EvenStarts(32, 10);
    cuts = CutIntoSheets(starts, 90);
    check(starts, 90, cuts);
    ASSERT_EQ(cuts.size(), 4u);
    for (const SheetCut& c : cuts)
        EXPECT_EQ(c.end - c.first, 8u);
    // 9 measures of which 8 fit: no measure is left alone on the last sheet, phrase or not.
    starts = EvenStarts(9, 10);
    cuts = CutIntoSheets(starts, 80);
    check(starts, 80, cuts);
    EXPECT_GE(cuts.back().end - cuts.back().first, 2u);
    // A measure longer than a sheet gets one of its own; the rest go on as before.
    starts = {0, 10, 20, 400, 410, 420};
    cuts = CutIntoSheets(starts, 100);
    check(starts, 100, cuts, false);
    EXPECT_TRUE(std::any_of(cuts.begin(), cuts.end(), [](const SheetCut& c) { return c.first == 2 && c.end == 3; }));
    EXPECT_EQ(CutIntoSheets({0}, 100), (std::vector<SheetCut>{{0, 0}})) << "no measure: one empty sheet";
}

TEST(PlayingSheets, EveryPluckStandsClearOfTheOneBefore)
{
    // Jingle Bells whole: quarters, eighths, halves and a whole note.
    ConfigRecord record = DefaultConfigRecord();
    ApplyHarpPreset(*FindHarpPreset("25"), record);
    const std::unique_ptr<CSongData> song = LoadScoreFile(SamplePath("jinglebells.mwd")).song;
    const FittedScore score = FitScore(record, *song, MeasureRange{1, song->measureCount});
    const double perMm = score.frame.stringSpacing / 11.5;
    const std::vector<TimeMark> line = PlayingTimeline(score, perMm, 12);
    ASSERT_FALSE(line.empty());
    EXPECT_EQ(line.front(), (TimeMark{0, 12}));
    for (size_t i = 1; i < line.size(); ++i) {
        EXPECT_GT(line[i].time, line[i - 1].time);
        EXPECT_GT(line[i].y, line[i - 1].y) << "a later time stands lower";
    }
    ScoreGeometry g;
    g.timeline = line;
    // Circles clear by the least paper, and a longer gap never shorter than a shorter one.
    std::map<int, std::pair<int, int>> roomOfGap; // gap -> least and most room
    const std::vector<ScoreNote>& notes = score.layout.notes;
    for (size_t i = 1; i < score.geometry.notes.size(); ++i) {
        const PlacedNote &a = score.geometry.notes[i - 1], &b = score.geometry.notes[i];
        const int32_t ta = notes[static_cast<size_t>(a.source)].time, tb = notes[static_cast<size_t>(b.source)].time;
        if (ta == tb)
            continue;
        const int room = ScoreY(g, score.layout.totalLength, tb) - ScoreY(g, score.layout.totalLength, ta);
        const double clear = room - (a.right - a.left) / 2.0 - (b.right - b.left) / 2.0;
        EXPECT_GE(clear / perMm, SheetRoom::kClearMm - 0.01);
        auto [it, added] = roomOfGap.try_emplace(tb - ta, room, room);
        it->second = {std::min(it->second.first, room), std::max(it->second.second, room)};
    }
    for (auto it = roomOfGap.begin(); std::next(it) != roomOfGap.end(); ++it) {
        // The most a gap takes, without its measure's start, stays below the least of a longer one.
        EXPECT_LE(it->second.second - SheetRoom::kMeasureStart, std::next(it)->second.first)
            << it->first << " against " << std::next(it)->first << " time units";
    }
    // A gap takes less than its share of time once it is longer than a beat.
    ASSERT_TRUE(roomOfGap.count(kUnitsPerBeat) && roomOfGap.count(4 * kUnitsPerBeat));
    EXPECT_LT(roomOfGap[4 * kUnitsPerBeat].first, 4 * roomOfGap[kUnitsPerBeat].first);
}

TEST(PlayingSheets, OneSheetHoldsItsMeasuresFromTimeZero)
{
    ConfigRecord record = DefaultConfigRecord();
    ApplyHarpPreset(*FindHarpPreset("25"), record);
    const std::unique_ptr<CSongData> song = LoadScoreFile(SamplePath("jinglebells.mwd")).song;
    const FittedScore whole = FitScore(record, *song, MeasureRange{1, song->measureCount});
    const std::vector<TimeMark> line = PlayingTimeline(whole, 2.78, 12);
    const FittedScore part = SheetScore(whole, line, SheetCut{8, 16}, whole.frame, 12);
    EXPECT_EQ(part.measures.first, 9);
    EXPECT_EQ(part.measures.last, 16);
    ASSERT_FALSE(part.layout.measures.empty());
    EXPECT_EQ(part.layout.measures.front().time, 0);
    EXPECT_EQ(part.geometry.timeline.front().y, 12) << "its first measure starts at the top";
    const int32_t from = whole.layout.measures[8].time, to = whole.layout.measures[16].time;
    const auto inPart = std::count_if(whole.layout.notes.begin(), whole.layout.notes.end(),
                                      [&](const ScoreNote& n) { return n.time >= from && n.time < to; });
    EXPECT_EQ(static_cast<long>(part.layout.notes.size()), inPart);
    EXPECT_EQ(part.layout.words.size(), part.layout.notes.size());
}

TEST(PlayingSheets, PagesFollowWhatTheHarpsStringsNeed)
{
    // The paper turns only where the strings then fit across it and the sheet stays long.
    const auto turned = [](const char* harp, const PaperCase& paper) {
        const HarpPreset& p = *FindHarpPreset(harp);
        return SuitsLandscape(p.stringCount, AtScale(p.spacingTenthsMm), paper.widthMm, paper.lengthMm);
    };
    EXPECT_TRUE(turned("37", kA3));
    EXPECT_FALSE(turned("25", kA3));
    EXPECT_FALSE(turned("25", kA4)) << "two glued A4 pages rather than short sheets";
    EXPECT_FALSE(turned("18", kA4));
    EXPECT_FALSE(turned("37", kA4));
    EXPECT_FALSE(SuitsLandscape(37, SheetSettings{}, 297, 420)) << "the fitted sheet keeps its page";

    ConfigRecord record = DefaultConfigRecord();
    ApplyHarpPreset(*FindHarpPreset("18"), record);
    const std::unique_ptr<CSongData> song = LoadScoreFile(SamplePath("jinglebells.mwd")).song;
    const FittedScore whole = FitScore(record, *song, MeasureRange{1, song->measureCount});
    const SheetSet set = PlanSheets(whole, AtScale(115), PaperOf(kA4, false), FixedMeasure, kWithFacts);
    ASSERT_GE(set.sheets.size(), 3u);
    EXPECT_EQ(set.PageCount(), set.sheets.size()) << "one A4 page a sheet";
    int measures = 0;
    for (size_t k = 0; k < set.sheets.size(); ++k) {
        const SheetPlan& plan = set.sheets[k];
        EXPECT_EQ(plan.sheetNumber, static_cast<int>(k) + 1);
        EXPECT_EQ(plan.sheetCount, static_cast<int>(set.sheets.size()));
        EXPECT_TRUE(plan.legend.drawn);
        EXPECT_TRUE(plan.legend.songFacts) << "each sheet says which it is and what it holds";
        EXPECT_LE(plan.legend.bounds.Bottom(), plan.sheetHeight);
        measures += plan.measures.last - plan.measures.first + 1;
    }
    EXPECT_EQ(measures, song->measureCount);

    // Taller harps' strings are not cut to a shorter harp's sheet.
    SheetSettings short_ = AtScale(115);
    short_.harpHeightMm = 150;
    EXPECT_GT(PlanSheets(whole, short_, PaperOf(kA4, false), FixedMeasure, kWithFacts).sheets.size(), set.sheets.size());
}

TEST(PlayingSheets, AMeasureLongerThanTheStringsIsPrintedWholeOnGluedRows)
{
    ConfigRecord record = DefaultConfigRecord();
    ApplyHarpPreset(*FindHarpPreset("18"), record);
    const std::unique_ptr<CSongData> song = LoadScoreFile(SamplePath("jinglebells.mwd")).song;
    const FittedScore score = FitScore(record, *song, MeasureRange{1, 4});
    SheetSettings tiny = AtScale(115);
    tiny.harpHeightMm = 20; // shorter than any measure
    constexpr PaperCase kStrip{"strip", 210, 40, 0}; // lower than a measure, too
    const SheetSet set = PlanSheets(score, tiny, PaperOf(kStrip, false), FixedMeasure, kWithFacts);
    ASSERT_EQ(set.sheets.size(), 4u) << "a sheet for each measure";
    for (size_t k = 0; k < set.sheets.size(); ++k) {
        const SheetPlan& plan = set.sheets[k];
        EXPECT_EQ(plan.measures.first, static_cast<int>(k) + 1);
        int shown = 0;
        for (const SheetPage& page : plan.pages)
            shown = std::max(shown, page.down.to);
        EXPECT_GE(shown, plan.scoreEnd) << "the strings are on paper to their end";
    }
}
