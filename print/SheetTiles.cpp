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
    const int clearance = DotsFor(kCutClearanceMm, dotsPerInch);
    tiles.columns = SplitSpan(sheetWidth, pageWidth, band, stringLines, clearance);
    // As many columns, but as wide as each other: the last no strip of a string or two.
    const int count = static_cast<int>(tiles.columns.size());
    if (count > 1) {
        const int even = (std::max(sheetWidth, 0) + (count - 1) * band + count - 1) / count;
        for (int slack = 0; even + slack < pageWidth; slack += std::max(clearance, 1)) {
            std::vector<SheetSpan> balanced = SplitSpan(sheetWidth, even + slack, band, stringLines, clearance);
            if (static_cast<int>(balanced.size()) == count) {
                tiles.columns = std::move(balanced);
                break;
            }
        }
    }
    tiles.rows = SplitSpan(sheetHeight, pageHeight, band, {}, 0);
    return tiles;
}
