#include "print/SheetPlanning.h"

#include "common/TextTranslation.h"
#include "print/PlayingSheets.h"
#include "print/SheetSteps.h"
#include "render/PlayerGeometry.h"

#include <algorithm>
#include <cmath>

using namespace SheetSteps;

namespace {

// The group's sheets again for each player the settings ask for, one player's after the other's:
// the same plan, so that every measure stands where it stands on the group's sheet.
SheetSet ForPlayers(SheetSet group, const SheetPlayers& players, const SheetTextMeasure& measure,
                    const std::optional<SongFacts>& facts)
{
    if (group.sheets.empty())
        return group;
    const std::vector<PlayerView> views = players.ViewsAmong(DrawnRoles(group.sheets.front().content.geometry));
    if (views.empty())
        return group;
    SheetSet set;
    for (const PlayerView& view : views)
        for (const SheetPlan& sheet : group.sheets) {
            SheetPlan plan = sheet;
            plan.player = view;
            plan.content.geometry = ForPlayer(sheet.content.geometry, view);
            KeepDrawnVoicesKeys(plan, measure);
            if (view.others == OthersDrawn::kHidden)
                LeaveOutPagesWithoutNotes(plan);
            WriteLegendTexts(plan, facts);
            set.sheets.push_back(std::move(plan));
        }
    return set;
}

SheetSet PlanGroupSheets(const FittedScore& score, const SheetSettings& sheet, const SheetPaper& paper,
                         const SheetTextMeasure& measure, const std::optional<SongFacts>& facts);

SheetSet PlanWholeGroupSheet(const FittedScore& score, const SheetSettings& sheet, int dotsPerInch,
                             const SheetTextMeasure& measure, const std::optional<SongFacts>& facts);

} // namespace

SheetPlan PlanSheet(const FittedScore& score, const SheetSettings& sheet, const SheetPaper& paper,
                    const SheetTextMeasure& measure, const std::optional<SongFacts>& facts)
{
    SheetPlan plan = sheet.FitsPaper() ? PlanFitted(score, sheet, paper, measure, facts.has_value())
                                       : PlanGluedSheet(score, sheet, paper, measure, facts.has_value(), {});
    plan.content = score;
    WriteLegendTexts(plan, facts);
    return plan;
}

SheetSet PlanWholeSheet(const FittedScore& score, const SheetSettings& sheet, int dotsPerInch,
                        const SheetTextMeasure& measure, const std::optional<SongFacts>& facts)
{
    return ForPlayers(PlanWholeGroupSheet(score, sheet, dotsPerInch, measure, facts), sheet.players, measure, facts);
}

SheetSet PlanSheets(const FittedScore& score, const SheetSettings& sheet, const SheetPaper& paper,
                    const SheetTextMeasure& measure, const std::optional<SongFacts>& facts)
{
    return ForPlayers(PlanGroupSheets(score, sheet, paper, measure, facts), sheet.players, measure, facts);
}

namespace {

SheetSet PlanWholeGroupSheet(const FittedScore& score, const SheetSettings& sheet, int dotsPerInch,
                             const SheetTextMeasure& measure, const std::optional<SongFacts>& facts)
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
        set.sheets.push_back(PlanFitted(score, sheet, a3, measure, facts.has_value()));
        set.sheets.back().content = score;
        WriteLegendTexts(set.sheets.back(), facts);
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
    FittedScore whole = SheetScore(score, timeline, SheetCut{0, starts.size() - 1}, frame, top);
    SheetPlan plan = PlaceAtScale(whole, sheet, dotsPerInch, measure);
    AddLegendAtScale(plan, whole.geometry, measure, facts.has_value(), LastCircleRight(whole.geometry, plan.score), true,
                     0, LegendKeys(whole, plan.colourVoices));
    AddVersesBelow(plan, score.layout.verses, measure);
    plan.pageWidth = plan.sheetWidth;
    plan.measures = whole.measures;
    plan.content = std::move(whole);
    SheetPage page;
    page.across = {0, plan.sheetWidth};
    page.down = {0, plan.sheetHeight};
    page.legend = plan.legend.drawn;
    plan.pages.push_back(page);
    WriteLegendTexts(plan, facts);
    set.sheets.push_back(std::move(plan));
    return set;
}

SheetSet PlanGroupSheets(const FittedScore& score, const SheetSettings& sheet, const SheetPaper& paper,
                         const SheetTextMeasure& measure, const std::optional<SongFacts>& facts)
{
    SheetSet set;
    if (sheet.FitsPaper()) {
        set.sheets.push_back(PlanSheet(score, sheet, paper, measure, facts));
        return set;
    }
    const bool songFacts = facts.has_value();
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

    // What must stand on the page besides the strings decides how long they may be: their
    // names, and on glued pages the margins and each page's label. The legend takes the free
    // paper below the last note; the page's height is the strings'.
    const double nameHeightMm = measure(SheetFont::kStringName, {}).second * 25.4 / dpi;
    double besideMm = kStringsTopMm + kBelowScoreMm + 2 * nameHeightMm + kTextEdgeMm;
    if (!onePage)
        besideMm = 2 * kSheetMarginMm + kBelowScoreMm + 2 * nameHeightMm + kPageLabelMm + 1; // 1 mm for rounding
    const double stringsMm = std::min<double>(sheet.harpHeightMm, pageHeightMm - besideMm);
    const int room = std::max(pixels(stringsMm) - top - end, 1);

    const std::vector<TimeMark> timeline = PlayingTimeline(score, 1 / mmPerPixel, top);
    const std::vector<int> starts = MeasureStarts(score, timeline);
    std::vector<SheetCut> cuts = CutIntoSheets(starts, room);
    // Every sheet of one page keeps room for its title and facts ("2/5枚", its measures) where
    // that costs no sheet; glued pages say their sheet in their labels.
    const double withLineMm =
        std::min<double>(sheet.harpHeightMm, pageHeightMm - besideMm - SheetLineHeight(measure, dpi) * 25.4 / dpi);
    if (onePage && songFacts && withLineMm < stringsMm && pixels(withLineMm) - top - end > 0) {
        std::vector<SheetCut> shorter = CutIntoSheets(starts, pixels(withLineMm) - top - end);
        if (shorter.size() <= cuts.size())
            cuts = std::move(shorter);
    }
    for (size_t k = 0; k < cuts.size(); ++k) {
        const SheetCut& cut = cuts[k];
        // MeasureStarts holds a start for every measure and the range's end, so every cut's ends are in it.
        const int height = starts[cut.end] - starts[cut.first] + top + end;
        const bool last = k + 1 == cuts.size();
        SheetPlan plan;
        FittedScore part;
        // A measure longer than the strings (a hostile file's) takes rows of glued pages rather
        // than running off its page.
        if (onePage && height <= pixels(stringsMm)) {
            const PageFrame frame = FrameOnPage(score, sheet, paper, height);
            part = SheetScore(score, timeline, cut, frame.frame, top);
            plan = PlanOnPage(part, sheet, paper, frame, measure, songFacts, last);
        } else {
            ScoreFrame frame = score.frame;
            frame.height = height;
            part = SheetScore(score, timeline, cut, frame, top);
            plan = PlanGluedSheet(part, sheet, paper, measure, songFacts,
                                  last ? score.layout.verses : std::vector<std::string>{});
        }
        plan.sheetNumber = static_cast<int>(k + 1);
        plan.sheetCount = static_cast<int>(cuts.size());
        if (cuts.size() > 1)
            for (SheetPage& page : plan.pages)
                if (!page.label.text.empty())
                    page.label.text += FilledText(CoreText::translate("Legend", "　%1/%2枚"),
                                                  {std::to_string(k + 1), std::to_string(cuts.size())});
        plan.measures = part.measures;
        plan.content = std::move(part);
        WriteLegendTexts(plan, facts);
        set.sheets.push_back(std::move(plan));
    }
    return set;
}

} // namespace
