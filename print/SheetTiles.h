#pragma once
// The sheet at the harp's own scale: where the picture stands on it, and how a sheet larger
// than the paper is cut into columns and rows of pages that overlap for gluing.

#include "print/PageArithmetic.h"

#include <vector>

// Blank paper round everything the sheet shows, so that no text comes nearer a page's edge than
// a printer can print.
constexpr double kSheetMarginMm = 5.0;
// A cut keeps this far from every string line, so that no line is lost along an edge.
constexpr double kCutClearanceMm = 1.0;
// Room below a split sheet's window on each page for the line that tells where the page goes,
// with the printer's margin below it.
constexpr double kPageLabelMm = 10.0;

// Picture pixels to device pixels when `lineSpacing` picture pixels are `spacingTenthsMm` on
// paper, the picture starting after the sheet's margin.
PagePlacement TrueScalePlacement(int spacingTenthsMm, int lineSpacing, int dotsPerInch);

// Device pixels of the sheet one page shows: from..to-1.
struct SheetSpan {
    int from = 0, to = 0;
    bool operator==(const SheetSpan&) const = default;
};

struct SheetTiles {
    std::vector<SheetSpan> columns, rows; // pages go row by row, left to right
    int Count() const { return static_cast<int>(columns.size() * rows.size()); }
};

// Spans at most `pageLength` long that cover 0..sheetLength-1, each starting `overlap` before
// the previous one ends. Each end, and the start that follows it, keeps `clearance` from every
// position in `keepClear`; where no such place exists the span takes the whole page.
std::vector<SheetSpan> SplitSpan(int sheetLength, int pageLength, int overlap, const std::vector<int>& keepClear,
                                 int clearance);

// The pages of a sheet on paper whose window is pageWidth x pageHeight, sharing the 10 mm band
// of the halves; column cuts miss the string lines at `stringLines` (sheet pixels), and the
// columns share the sheet's width about evenly.
SheetTiles TileSheet(int sheetWidth, int sheetHeight, int pageWidth, int pageHeight, int dotsPerInch,
                     const std::vector<int>& stringLines);
