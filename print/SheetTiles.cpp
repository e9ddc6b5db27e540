#include "print/SheetTiles.h"

#include <algorithm>
#include <cstdlib>

PagePlacement TrueScalePlacement(int spacingTenthsMm, int lineSpacing, int dotsPerInch)
{
    PagePlacement p;
    const double millimetresPerPixel = lineSpacing > 0 ? spacingTenthsMm / 10.0 / lineSpacing : 0;
    p.scale = millimetresPerPixel / 25.4 * dotsPerInch;
    p.marginX = p.marginY = DotsFor(kSheetMarginMm, dotsPerInch);
    return p;
}

namespace {

bool NearAny(int at, const std::vector<int>& positions, int clearance)
{
    return std::any_of(positions.begin(), positions.end(), [&](int x) { return std::abs(at - x) < clearance; });
}

} // namespace

std::vector<SheetSpan> SplitSpan(int sheetLength, int pageLength, int overlap, const std::vector<int>& keepClear,
                                 int clearance)
{
    const int length = std::max(sheetLength, 0);
    const int page = std::max(pageLength, 2);
    // A page too short for the band shares less rather than going backwards.
    const int band = std::clamp(overlap, 0, page / 2);
    std::vector<SheetSpan> spans;
    int from = 0;
    while (length - from > page) {
        int end = from + page;
        while (end > from + band + 1 && (NearAny(end, keepClear, clearance) || NearAny(end - band, keepClear, clearance)))
            --end;
        if (end <= from + band + 1)
            end = from + page;
        spans.push_back({from, end});
        from = end - band;
    }
    spans.push_back({from, length});
    return spans;
}

SheetTiles TileSheet(int sheetWidth, int sheetHeight, int pageWidth, int pageHeight, int dotsPerInch,
                     const std::vector<int>& stringLines)
{
    const int band = DotsFor(kHalvesOverlapMm, dotsPerInch);
    SheetTiles tiles;
    tiles.columns = SplitSpan(sheetWidth, pageWidth, band, stringLines, DotsFor(kCutClearanceMm, dotsPerInch));
    tiles.rows = SplitSpan(sheetHeight, pageHeight, band, {}, 0);
    return tiles;
}
