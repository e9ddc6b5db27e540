#pragma once
// The printed sheet as a value: how large it is, where the score, its words and its legend
// stand on it, and which part of it each page shows. Made once per print, preview, PDF or SVG;
// the one page drawing only follows it.

#include "print/PageArithmetic.h"
#include "print/SheetTiles.h"
#include "render/FittedScore.h"
#include "render/ScoreWords.h"
#include "settings/SheetSettings.h"

#include <array>
#include <functional>
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

// The faces of the sheet's texts; the Qt side knows their fonts.
enum class SheetFont { kWord, kChord, kMeasureNumber, kStringName, kTitle, kText, kCount, kSign };

// The face a text beside the circles is written in.
SheetFont SheetFontOfText(TextKind kind);

// Width and height of a UTF-8 text in a face, in device pixels at the paper's resolution; the
// height is the face's line height, whatever the text.
using SheetTextMeasure = std::function<std::pair<double, double>(SheetFont font, const std::string& utf8)>;

// Device pixels of the sheet, or of a page where said.
struct SheetBox {
    double left = 0, top = 0, width = 0, height = 0;
    double Right() const { return left + width; }
    double Bottom() const { return top + height; }
};

struct SheetLabel {
    std::string text; // UTF-8
    SheetBox box;
};

// Below the score: each string's name, the song's facts and the four circle kinds, and at the
// harp's scale a 100 mm bar. Drawn whole or not at all.
struct LegendPlace {
    bool drawn = false;
    bool onWhite = false; // it stands among the strings, on paper cleared for it
    SheetBox bounds;   // what it covers, with the score's width
    double bottom = 0; // its lowest edge
    std::vector<SheetLabel> stringNames;
    bool songFacts = false;
    SheetBox title, facts;
    struct Kind {
        NoteMark mark;
        double centreX, centreY;
        SheetLabel caption;
    };
    std::vector<Kind> kinds;
    bool scaleBar = false;
    SheetBox bar;
    SheetLabel barCaption;
    std::vector<SheetLabel> verses; // further verses, on a sheet's last page
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
    ScoreWords words; // in picture pixels, as the circles
    LegendPlace legend;
    std::vector<SheetPage> pages;
    // One of several sheets a range at scale is cut into: which, and the measures it holds.
    int sheetNumber = 1, sheetCount = 1;
    MeasureRange measures{};
};

// What one print makes: the sheets, each with its part of the score, drawn page after page.
struct SheetSet {
    std::vector<FittedScore> scores; // one per sheet
    std::vector<SheetPlan> sheets;

    size_t PageCount() const;
    int WordsLeftOut() const;
};

// No text stands nearer the paper's edge than this, and no line or circle nearer than the second.
constexpr double kTextEdgeMm = 5.0, kLineEdgeMm = 2.0;

// Plans the sheet of a fitted score on the paper: fitted to it (one page, or the two A4 halves
// of an A3 sheet) or at the settings' spacing over as many pages as it takes. `songFacts`
// gives the legend its title and facts lines.
SheetPlan PlanSheet(const FittedScore& score, const SheetSettings& sheet, const SheetPaper& paper,
                    const SheetTextMeasure& measure, bool songFacts);

// The print of a fitted score: fitted to the paper, one sheet as PlanSheet makes it; at scale,
// the range on as many sheets as the harp's strings (`sheet.harpHeightMm`) take, each on one
// page where its strings fit the paper's width, else on columns of pages glued together.
SheetSet PlanSheets(const FittedScore& score, const SheetSettings& sheet, const SheetPaper& paper,
                    const SheetTextMeasure& measure, bool songFacts);

// Whether a sheet at scale of `stringCount` strings wants the paper turned: its strings fit the
// paper's width only when it lies across.
bool SuitsLandscape(int stringCount, const SheetSettings& sheet, double paperWidthMm, double paperLengthMm);

// The whole sheet on one page of its own size, as the SVG holds it: fitted to A3, or at the
// settings' spacing.
SheetSet PlanWholeSheet(const FittedScore& score, const SheetSettings& sheet, int dotsPerInch,
                        const SheetTextMeasure& measure, bool songFacts);
