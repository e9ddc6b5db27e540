#pragma once
// The printed sheet as a value: how large it is, where the score, its words and its legend
// stand on it, and which part of it each page shows. Made once per print, preview, PDF or SVG;
// the one page drawing only follows it.

#include "print/PageArithmetic.h"
#include "print/LegendPlace.h"
#include "print/SheetText.h"
#include "print/SheetTiles.h"
#include "render/FittedScore.h"
#include "render/ScoreWords.h"
#include "settings/SheetSettings.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The scale check's length on paper.
constexpr double kScaleBarMm = 100;

// The paper a job prints on, as the printer holds it.
struct SheetPaper {
    DeviceMode mode;
    int16_t expectedPaperSize = PaperSize::kA3; // what a sheet fitted to the paper is made for
    int pageWidth = 0, pageHeight = 0;          // the printable area, in device pixels
};

enum class SheetLayout {
    kOnePage, // the sheet fitted to the paper it was made for
    kHalves,  // the A3 sheet at its own scale over two A4 pages
    kAtScale, // the harp's own scale, cut into as many pages as it takes
};

struct SheetPage {
    SheetSpan across, down; // the sheet's part the page shows
    bool cut = false;       // only what reaches that part goes to the page
    bool legend = false;    // the legend is drawn on this page
    // The glue bands it shares with its neighbours, sheet pixels.
    std::vector<SheetSpan> bandsAcross, bandsDown;
    SheetLabel label; // where the page goes, in page pixels; empty on a sheet of one page
    int number = 0, column = 0, row = 0; // its label's page and place among the glued ones, from 1
};

struct SheetPlan {
    SheetLayout layout = SheetLayout::kOnePage;
    int dotsPerInch = 0;
    int sheetWidth = 0, sheetHeight = 0; // the whole sheet, device pixels
    int pageWidth = 0;                   // the printable width the pages share
    PagePlacement placement;             // picture pixels to the sheet
    DeviceRect score{};                  // the score's picture on the sheet
    int scoreEnd = 0;                    // where its strings end: at scale, soon after the last note
    WordChoices shown;
    bool colourVoices = false; // the voices in their colours, else all in black
    ScoreWords words; // in picture pixels, as the circles
    LegendPlace legend;
    std::vector<SheetPage> pages;
    // One of several sheets a range at scale is cut into: which, and the measures it holds.
    int sheetNumber = 1, sheetCount = 1;
    MeasureRange measures{};
    // The score the sheet draws: the fitted range, or at scale the part of it this sheet holds.
    FittedScore content;
    // The player the sheet is drawn for; none for the whole group's sheet.
    std::optional<PlayerView> player;
};

// What one print makes: the sheets, each with its part of the score, drawn page after page.
struct SheetSet {
    std::vector<SheetPlan> sheets;

    size_t PageCount() const;
    int WordsLeftOut() const;
};

// No text stands nearer the paper's edge than this, and no line or circle nearer than the second.
constexpr double kTextEdgeMm = 5.0, kLineEdgeMm = 2.0;
