#include "common/FileServices.h"
#include "import/ScoreImport.h"
#include "print/SheetPlan.h"
#include "render/SettingsScore.h"
#include "settings/HarpPresets.h"
#include "song/CSongData.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

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

    const SheetPlan a3 = PlanSheet(f.score, fit, PaperOf(kA3, false), FixedMeasure, true);
    EXPECT_EQ(a3.layout, SheetLayout::kOnePage);
    ASSERT_EQ(a3.pages.size(), 1u);
    EXPECT_EQ(a3.pages[0].down.from, 0);
    EXPECT_TRUE(a3.pages[0].label.text.empty());
    EXPECT_TRUE(a3.legend.drawn && a3.pages[0].legend);
    EXPECT_GE(a3.legend.bounds.top, a3.score.bottom) << "the legend stands below the score";
    EXPECT_EQ(a3.score.left, 0) << "the picture starts at the printable area's corner";

    // A4 where A3 is expected: the printer is turned, and the A3 sheet goes over two pages.
    SheetPaper a4 = PaperOf(kA4, true);
    const SheetPlan halves = PlanSheet(f.score, fit, a4, FixedMeasure, true);
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
    const SheetPlan fitted = PlanWholeSheet(f.score, SheetSettings{}, 600, FixedMeasure, true).sheets.front();
    EXPECT_EQ(fitted.sheetWidth, DotsFor(297, 600));
    EXPECT_EQ(fitted.sheetHeight, DotsFor(420, 600));
    ASSERT_EQ(fitted.pages.size(), 1u);

    const SheetPlan scaled = PlanWholeSheet(f.score, AtScale(115), 600, FixedMeasure, true).sheets.front();
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
        PlanSheet(f.score, AtScale(preset.spacingTenthsMm, {true, true, true}), paper, FixedMeasure, true);
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
    EXPECT_EQ(columns(PlanSheet(wide.score, AtScale(115), PaperOf(kA4, false), FixedMeasure, true)), 3);
    EXPECT_EQ(columns(PlanSheet(wide.score, AtScale(115), PaperOf(kA3, false), FixedMeasure, true)), 2);
    EXPECT_EQ(columns(PlanSheet(wide.score, AtScale(115), PaperOf(kA3, true), FixedMeasure, true)), 2);
    EXPECT_EQ(columns(PlanSheet(wide.score, AtScale(100), PaperOf(kA3, true), FixedMeasure, true)), 1);
    // Half the spacing, half the width.
    EXPECT_EQ(columns(PlanSheet(wide.score, AtScale(50), PaperOf(kA4, false), FixedMeasure, true)), 1);
}

// The words of さくらさくら beside their circles, none covering one, none left out.
TEST(SheetPlan, WordsArePlacedOnceForTheWholeSheet)
{
    const Fitted f = FitSample(JoinPath(DP_SCORE_DIR, "sakura.musicxml"), "25");
    ASSERT_FALSE(f.score.layout.words.empty());
    const size_t syllables = static_cast<size_t>(std::count_if(f.score.layout.words.begin(), f.score.layout.words.end(),
                                                               [](const std::string& w) { return !w.empty(); }));
    for (const SheetSettings& sheet : {SheetSettings{}, AtScale(115, {true, true, true})}) {
        const SheetPlan plan = PlanSheet(f.score, sheet, PaperOf(kA4, sheet.FitsPaper()), FixedMeasure, true);
        EXPECT_EQ(plan.words.words.size() + static_cast<size_t>(plan.words.wordsLeftOut), syllables);
        EXPECT_EQ(plan.words.wordsLeftOut, 0);
        for (const PlacedText& word : plan.words.words)
            for (const PlacedNote& n : f.score.geometry.notes)
                EXPECT_FALSE(word.box.Overlaps({double(n.left), double(n.top), double(n.right), double(n.bottom)}))
                    << word.text;
        EXPECT_EQ(plan.words.measures.size(), f.score.layout.measures.size());
    }
    // Nothing is placed that the player did not choose.
    const SheetPlan bare = PlanSheet(f.score, AtScale(115, {false, false, false}), PaperOf(kA4, false), FixedMeasure, true);
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
        const SheetPlan plan = PlanSheet(nothing, sheet, PaperOf(kA4, false), FixedMeasure, false);
        EXPECT_FALSE(plan.pages.empty());
        EXPECT_TRUE(plan.legend.stringNames.empty());
        EXPECT_FALSE(plan.legend.songFacts);
    }
}
