#include "print/SheetPlan.h"

#include "print/PlayingSheets.h"
#include "print/SheetSteps.h"

#include <algorithm>
#include <cmath>

using namespace SheetSteps;

SheetPlan PlanSheet(const FittedScore& score, const SheetSettings& sheet, const SheetPaper& paper,
                    const SheetTextMeasure& measure, bool songFacts)
{
    if (sheet.FitsPaper())
        return PlanFitted(score, sheet, paper, measure, songFacts);
    const int dpi = paper.mode.yResolution;
    SheetPlan plan = PlanAtScale(score, sheet, dpi, measure, songFacts);
    CutIntoPages(plan, score.geometry, paper);
    const PictureStretch s(score.geometry, plan.score);
    if (!plan.pages.empty() && !plan.pages.front().bandsAcross.empty()) {
        // The legend keeps to the first column, off the band it is glued along.
        const double limit = plan.pages.front().bandsAcross.front().from - Dots(kTextEdgeMm, dpi);
        plan.legend = PlaceLegend(score.geometry, plan.score, plan.scoreEnd, dpi, measure, songFacts, true, limit);
        plan.sheetHeight = static_cast<int>(std::ceil(std::max<double>(plan.scoreEnd, plan.legend.bounds.Bottom()))) +
                           DotsFor(kSheetMarginMm, dpi);
        plan.legend.drawn = true;
        plan.pages.clear();
        CutIntoPages(plan, score.geometry, paper);
    }
    // The texts move off the edges the pages are glued along, rather than being cut there.
    std::vector<double> fences;
    for (const SheetPage& page : plan.pages)
        for (const SheetSpan& band : page.bandsAcross)
            for (const int x : {band.from, band.to})
                fences.push_back((x - s.left) / s.sx);
    if (!fences.empty()) {
        std::sort(fences.begin(), fences.end());
        fences.erase(std::unique(fences.begin(), fences.end()), fences.end());
        plan.words = PlaceWords(score, sheet.shown, plan.score, measure, MarksAtScale(sheet), fences);
        DropWordsAfter((plan.scoreEnd - s.top) / s.sy - 0.5, plan.words);
    }
    return plan;
}

SheetSet PlanWholeSheet(const FittedScore& score, const SheetSettings& sheet, int dotsPerInch,
                        const SheetTextMeasure& measure, bool songFacts)
{
    SheetSet set;
    if (sheet.FitsPaper()) {
        SheetPaper a3;
        a3.mode.paperSize = PaperSize::kA3;
        a3.mode.paperWidth = 2970;
        a3.mode.paperLength = 4200;
        a3.mode.printQuality = a3.mode.yResolution = static_cast<int16_t>(dotsPerInch);
        a3.pageWidth = DotsFor(297, dotsPerInch);
        a3.pageHeight = DotsFor(420, dotsPerInch);
        set.scores.push_back(score);
        set.sheets.push_back(PlanFitted(score, sheet, a3, measure, songFacts));
        return set;
    }
    // The whole range on one long sheet: a web page has no paper to cut it for.
    const double mmPerPixel = PictureMillimetres(score, sheet);
    const int top = static_cast<int>(std::ceil(kFirstMeasureMm / mmPerPixel));
    const int end = static_cast<int>(std::ceil(kStringsEndMm / mmPerPixel));
    const std::vector<TimeMark> timeline = PlayingTimeline(score, 1 / mmPerPixel, top);
    const std::vector<int> starts = MeasureStarts(score, timeline);
    ScoreFrame frame = score.frame;
    frame.height = starts.back() - starts.front() + top + end;
    set.scores.push_back(SheetScore(score, timeline, SheetCut{0, starts.size() - 1}, frame, top));
    SheetPlan plan = PlanAtScale(set.scores.back(), sheet, dotsPerInch, measure, songFacts);
    AddVersesBelow(plan, score.layout.verses, measure);
    plan.pageWidth = plan.sheetWidth;
    plan.measures = set.scores.back().measures;
    SheetPage whole;
    whole.across = {0, plan.sheetWidth};
    whole.down = {0, plan.sheetHeight};
    whole.legend = plan.legend.drawn;
    plan.pages.push_back(whole);
    set.sheets.push_back(std::move(plan));
    return set;
}

size_t SheetSet::PageCount() const
{
    size_t pages = 0;
    for (const SheetPlan& plan : sheets)
        pages += plan.pages.size();
    return pages;
}

int SheetSet::WordsLeftOut() const
{
    int left = 0;
    for (const SheetPlan& plan : sheets)
        left += plan.words.wordsLeftOut;
    return left;
}

SheetSet PlanSheets(const FittedScore& score, const SheetSettings& sheet, const SheetPaper& paper,
                    const SheetTextMeasure& measure, bool songFacts)
{
    SheetSet set;
    if (sheet.FitsPaper()) {
        set.scores.push_back(score);
        set.sheets.push_back(PlanFitted(score, sheet, paper, measure, songFacts));
        return set;
    }
    const int dpi = std::max<int>(paper.mode.yResolution, 1);
    const double mmPerPixel = PictureMillimetres(score, sheet);
    const auto pixels = [&](double mm) { return static_cast<int>(std::floor(mm / mmPerPixel)); };
    const double pageWidthMm = paper.pageWidth * 25.4 / dpi, pageHeightMm = paper.pageHeight * 25.4 / dpi;
    // One page when the strings go across it, unless turning the paper would cut the sheet
    // far shorter than gluing columns of pages.
    const int strings = score.frame.stringCount;
    const bool onePage = OnePageHolds(strings, sheet, pageWidthMm, pageHeightMm) ||
                         (StringsFit(strings, sheet, pageWidthMm) && !StringsFit(strings, sheet, pageHeightMm));
    const int top = static_cast<int>(std::ceil(kFirstMeasureMm / mmPerPixel));
    const int end = static_cast<int>(std::ceil(kStringsEndMm / mmPerPixel));

    // What must stand on the page besides the strings decides how long they may be.
    const double nameHeightMm = measure(SheetFont::kStringName, {}).second * 25.4 / dpi;
    double besideMm = kStringsTopMm + kBelowScoreMm + 2 * nameHeightMm + kTextEdgeMm;
    if (!onePage) {
        const LegendPlace trial = PlaceLegend(score.geometry, DeviceRect{0, 0, paper.pageWidth, 0}, 0, dpi, measure,
                                              songFacts, true, std::nullopt);
        besideMm = 2 * kSheetMarginMm + trial.bounds.height * 25.4 / dpi + kPageLabelMm;
    }
    const double stringsMm = std::min<double>(sheet.harpHeightMm, pageHeightMm - besideMm);
    const int room = std::max(pixels(stringsMm) - top - end, 1);

    const std::vector<TimeMark> timeline = PlayingTimeline(score, 1 / mmPerPixel, top);
    const std::vector<int> starts = MeasureStarts(score, timeline);
    const std::vector<SheetCut> cuts = CutIntoSheets(starts, room);
    for (size_t k = 0; k < cuts.size(); ++k) {
        const SheetCut& cut = cuts[k];
        // MeasureStarts holds a start for every measure and the range's end, so every cut's ends are in it.
        const int height = starts[cut.end] - starts[cut.first] + top + end;
        SheetPlan plan;
        // A measure longer than the strings (a hostile file's) takes rows of glued pages rather
        // than running off its page.
        if (onePage && height <= pixels(stringsMm)) {
            const PageFrame frame = FrameOnPage(score, sheet, paper, height);
            set.scores.push_back(SheetScore(score, timeline, cut, frame.frame, top));
            plan = PlanOnPage(set.scores.back(), sheet, paper, frame, measure, songFacts, k + 1 == cuts.size());
        } else {
            ScoreFrame frame = score.frame;
            frame.height = height;
            set.scores.push_back(SheetScore(score, timeline, cut, frame, top));
            plan = PlanSheet(set.scores.back(), sheet, paper, measure, songFacts);
            if (k + 1 == cuts.size() && !score.layout.verses.empty()) {
                AddVersesBelow(plan, score.layout.verses, measure);
                plan.pages.clear();
                CutIntoPages(plan, set.scores.back().geometry, paper);
            }
        }
        plan.sheetNumber = static_cast<int>(k + 1);
        plan.sheetCount = static_cast<int>(cuts.size());
        plan.measures = set.scores.back().measures;
        set.sheets.push_back(std::move(plan));
    }
    return set;
}
