// The sheet fitted to its paper: on one page, or the A3 sheet over two A4 halves.

#include "print/SheetSteps.h"

#include <algorithm>
#include <cmath>

namespace SheetSteps {

// The fitted sheet on one page, or the A3 sheet over the two A4 halves.
SheetPlan PlanFitted(const FittedScore& fitted, const SheetSettings& sheet, const SheetPaper& paper,
                     const SheetTextMeasure& measure, bool songFacts)
{
    const ScoreGeometry& score = fitted.geometry;
    const bool halves = PrintsOnHalves(paper.mode, paper.expectedPaperSize);
    const DeviceMode sheetMode = halves ? SheetOfHalves(paper.mode) : paper.mode;
    const int dpi = sheetMode.yResolution;
    const SheetPages rows = halves ? Halves(paper.pageHeight, dpi) : OnePage(paper.pageHeight);

    SheetPlan plan;
    plan.layout = halves ? SheetLayout::kHalves : SheetLayout::kOnePage;
    plan.dotsPerInch = dpi;
    plan.shown = sheet.shown;
    plan.colourVoices = sheet.colourVoices;
    plan.shown.counts = false; // the fitted page shows every length by its room
    plan.placement = ComputePagePlacement(sheetMode, score.width, score.height, 1.0);
    plan.score = PlaceItem(plan.placement, 0, 0, score.width, score.height);
    plan.words = PlaceWords(fitted, sheet.shown, plan.score, measure);
    plan.pageWidth = paper.pageWidth;
    plan.sheetWidth = paper.pageWidth;
    plan.sheetHeight = rows.pages.back().bottom;

    plan.scoreEnd = plan.score.bottom;
    plan.legend = PlaceLegend(score, plan.score, plan.scoreEnd, dpi, measure, songFacts, false, std::nullopt, true, 0,
                              LegendKeys(fitted, plan.colourVoices));
    const int paperBottom = static_cast<int>(sheetMode.paperLength / 2.54 / 100 * sheetMode.yResolution);
    plan.legend.drawn = plan.legend.bottom <= std::min(rows.pages.back().bottom, paperBottom);

    const bool band = rows.overlap.bottom > rows.overlap.top;
    for (size_t k = 0; k < rows.pages.size(); ++k) {
        SheetPage page;
        page.across = {0, paper.pageWidth};
        page.down = {rows.pages[k].top, rows.pages[k].bottom};
        page.legend = plan.legend.drawn;
        if (halves && band) {
            page.bandsDown.push_back({rows.overlap.top, rows.overlap.bottom});
            const std::string text = std::to_string(k + 1) + "/2";
            const double w = measure(SheetFont::kStringName, text).first + Dots(1, dpi);
            const double top = rows.overlap.top - rows.pages[k].top, bottom = rows.overlap.bottom - rows.pages[k].top;
            page.label = {text, SheetBox{paper.pageWidth - Dots(kEdgeMm, dpi) - w, top, w, bottom - top}};
        }
        plan.pages.push_back(page);
    }
    return plan;
}

} // namespace SheetSteps
