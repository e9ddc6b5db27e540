#include "print/SheetPlan.h"

#include "song/ChordNaming.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

// The legend on paper, in millimetres.
constexpr double kBelowScoreMm = 1.5; // from the ends of the string lines to their names
constexpr double kBlockGapMm = 4.0;   // between the names, the facts and the circle kinds
constexpr double kKeyGapMm = 8.0;     // between two circle kinds
constexpr double kKindGapMm = 1.5;    // from a circle kind to its caption
constexpr double kScaleBarHighMm = 1.5;
constexpr double kScaleTextGapMm = 3.0; // from the bar to its caption
constexpr double kEdgeMm = 2.0;         // from the page's edge to its label
// The legend's names under the outermost lines reach a little beside its bounds.
constexpr double kLegendReachMm = 10;
// A sheet at scale goes on this far after its last circle; the picture's blank below is not
// printed.
constexpr double kAfterLastNoteMm = 10;

constexpr std::array<std::pair<NoteMark, const char*>, 4> kMarkCaptions = {{
    {NoteMark::kOneBeat, "1拍"},
    {NoteMark::kShorter, "2拍未満（1拍以外）"},
    {NoteMark::kFourBeats, "4拍"},
    {NoteMark::kOtherLong, "2拍以上（4拍以外）"},
}};

constexpr const char* kScaleCaption = "100 mm　　100%で印刷";

// Picture pixels from a string line to the edge of the largest circle on it.
double LargestRadius()
{
    int diameter = 0;
    for (const NoteMark mark : {NoteMark::kOneBeat, NoteMark::kShorter, NoteMark::kFourBeats, NoteMark::kOtherLong})
        diameter = std::max(diameter, StyleOf(mark).diameter);
    return diameter / 2.0;
}

// Device x of the right edge of the largest circle on the score's last string.
double LastCircleRight(const ScoreGeometry& score, const DeviceRect& r)
{
    if (score.stringX.empty())
        return r.right;
    return std::min<double>(PictureStretch(score, r).X(score.stringX.back() + LargestRadius()), r.right);
}

SheetFont FontOf(TextKind kind)
{
    return kind == TextKind::kChord ? SheetFont::kChord
           : kind == TextKind::kMeasureNumber ? SheetFont::kMeasureNumber
                                              : SheetFont::kWord;
}

// The chosen texts placed beside the circles of a score drawn into `target`: their printed
// size decides where they find room.
ScoreWords PlaceWords(const FittedScore& fitted, const WordChoices& choices, const DeviceRect& target,
                      const SheetTextMeasure& measure)
{
    const PictureStretch map(fitted.geometry, target);
    // Measured once per distinct text: a song repeats its syllables and chords.
    std::map<std::pair<TextKind, std::string>, std::pair<double, double>> measured;
    const TextExtent extent = [&](TextKind kind, const std::string& utf8) -> std::pair<double, double> {
        auto [it, added] = measured.try_emplace({kind, utf8});
        if (added) {
            const auto [width, height] = measure(FontOf(kind), utf8);
            it->second = {width / map.sx, height / map.sy};
        }
        return it->second;
    };
    return PlaceScoreWords(fitted.geometry, fitted.layout, choices, extent);
}

// The leftmost and rightmost picture x the placed texts reach.
std::pair<double, double> WordsReach(const ScoreWords& words)
{
    std::pair<double, double> reach{1e9, -1e9};
    const auto widen = [&](const TextBox& b) {
        reach.first = std::min(reach.first, b.left);
        reach.second = std::max(reach.second, b.right);
    };
    for (const PlacedText& t : words.words)
        widen(t.box);
    for (const PlacedText& t : words.chords)
        widen(t.box);
    for (const PlacedMeasure& m : words.measures)
        widen(m.numberBox);
    return reach;
}

// The legend below `scoreEnd`, across the score's rectangle; the circle kinds keep left of
// `rightLimit` when it is above 0. Not yet told whether it is drawn.
LegendPlace PlaceLegend(const ScoreGeometry& score, const DeviceRect& target, double scoreEnd, int dpi,
                        const SheetTextMeasure& measure, bool songFacts, bool scaleBar, double rightLimit)
{
    const auto dots = [dpi](double mm) { return Dots(mm, dpi); };
    const auto width = [&](SheetFont font, const std::string& text) { return measure(font, text).first; };
    const double nameHeight = measure(SheetFont::kStringName, {}).second;
    const double titleHeight = measure(SheetFont::kTitle, {}).second;
    const double textHeight = measure(SheetFont::kText, {}).second;
    const PictureStretch s(score, target);
    LegendPlace l;

    // Names wider than the space between two lines go on two rows, every other one lower.
    std::vector<std::string> names;
    std::vector<double> nameWidths;
    double widest = 0;
    for (const int pitch : score.stringPitch) {
        names.push_back(NoteNameWithOctave(pitch));
        nameWidths.push_back(width(SheetFont::kStringName, names.back()));
        widest = std::max(widest, nameWidths.back());
    }
    const double spacing = score.stringX.size() > 1 ? (score.stringX[1] - score.stringX[0]) * s.sx : 2 * widest;
    const int nameRows = widest + dots(0.5) > spacing ? 2 : 1;

    const double left = score.stringX.empty() ? target.left + dots(kBlockGapMm) : s.X(score.stringX[0]);
    const double kindsEnd = rightLimit > 0 ? std::min<double>(rightLimit, target.right) : target.right;
    const double columnWidth = std::max(kindsEnd - left - dots(kBlockGapMm), 1.0);
    const double largest = 12 * std::max(s.sx, s.sy);
    const double kindRow = std::max(largest, textHeight);

    double y = scoreEnd + dots(kBelowScoreMm);
    const double namesTop = y;
    for (size_t i = 0; i < names.size(); ++i) {
        const double at = s.X(score.stringX[i]);
        const double w = nameWidths[i] + dots(1);
        const double top = namesTop + (nameRows == 2 && i % 2 == 1 ? nameHeight : 0);
        l.stringNames.push_back({names[i], SheetBox{at - w / 2, top, w, nameHeight}});
    }
    y += nameRows * nameHeight + dots(kBlockGapMm);
    l.songFacts = songFacts;
    if (songFacts) {
        l.title = SheetBox{left, y, columnWidth, titleHeight};
        l.facts = SheetBox{left, y + titleHeight, columnWidth, textHeight};
        y += titleHeight + textHeight + dots(kBlockGapMm);
    }
    double x = left, right = 0;
    for (const auto& [mark, caption] : kMarkCaptions) {
        const double captionWidth = width(SheetFont::kText, caption);
        const double item = largest + dots(kKindGapMm) + captionWidth;
        if (x > left && x + item > left + columnWidth) {
            x = left;
            y += kindRow;
        }
        l.kinds.push_back({mark, x + largest / 2, y + kindRow / 2,
                           SheetLabel{caption, SheetBox{x + largest + dots(kKindGapMm), y, captionWidth + dots(1), kindRow}}});
        right = std::max(right, x + item);
        x += item + dots(kKeyGapMm);
    }
    double bottom = y + kindRow;
    if (scaleBar) {
        const double barTop = bottom + dots(kBlockGapMm);
        bottom = barTop + std::max(dots(kScaleBarHighMm), textHeight);
        const double captionWidth = width(SheetFont::kText, kScaleCaption);
        right = std::max(right, left + dots(kScaleBarMm) + dots(kScaleTextGapMm) + captionWidth + dots(1));
        const double row = bottom - barTop, high = dots(kScaleBarHighMm);
        l.scaleBar = true;
        l.bar = SheetBox{left, barTop + (row - high) / 2, dots(kScaleBarMm), high};
        l.barCaption = {kScaleCaption,
                        SheetBox{left + dots(kScaleBarMm) + dots(kScaleTextGapMm), barTop, captionWidth + dots(1), row}};
    }
    const double boundsRight = std::max(right, kindsEnd);
    l.bounds = SheetBox{double(target.left), namesTop, boundsRight - target.left, bottom - namesTop};
    l.bottom = bottom;
    return l;
}

// Where the strings of a sheet at scale end: a little after the last circle, or where the
// picture does when that comes first. A page of paper is the music's, not the picture's.
int ScoreEnd(const ScoreGeometry& score, const DeviceRect& target, int dpi)
{
    const PictureStretch s(score, target);
    double last = target.top;
    for (const PlacedNote& note : score.notes)
        last = std::max(last, s.Y((note.top + note.bottom) / 2) + StyleOf(note.mark).diameter * s.sy / 2);
    return static_cast<int>(std::min<double>(target.bottom, std::ceil(last + Dots(kAfterLastNoteMm, dpi))));
}

// Measures and chords that would stand below the score's end (after the last note) are not on
// the sheet; the words belong to notes and always are.
void DropWordsAfter(double pictureY, ScoreWords& words)
{
    std::erase_if(words.measures, [&](const PlacedMeasure& m) { return m.y > pictureY; });
    std::erase_if(words.chords, [&](const PlacedText& c) { return c.box.top > pictureY; });
}

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
    plan.placement = ComputePagePlacement(sheetMode, score.width, score.height, 1.0);
    plan.score = PlaceItem(plan.placement, 0, 0, score.width, score.height);
    plan.words = PlaceWords(fitted, sheet.shown, plan.score, measure);
    plan.pageWidth = paper.pageWidth;
    plan.sheetWidth = paper.pageWidth;
    plan.sheetHeight = rows.pages.back().bottom;

    plan.scoreEnd = plan.score.bottom;
    plan.legend = PlaceLegend(score, plan.score, plan.scoreEnd, dpi, measure, songFacts, false, 0);
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

// The sheet at the harp's scale: placed, sized, not yet cut into pages.
SheetPlan PlanAtScale(const FittedScore& fitted, const SheetSettings& sheet, int dpi, const SheetTextMeasure& measure,
                      bool songFacts)
{
    const ScoreGeometry& score = fitted.geometry;
    SheetPlan plan;
    plan.layout = SheetLayout::kAtScale;
    plan.dotsPerInch = dpi;
    plan.shown = sheet.shown;
    plan.placement = TrueScalePlacement(sheet.spacing.Tenths(), score.stringSpacing, dpi);
    // The texts' room depends on the rectangle's size only, which the margin does not change.
    plan.words = PlaceWords(fitted, sheet.shown, PlaceItem(plan.placement, 0, 0, score.width, score.height), measure);
    const std::pair<double, double> reach = WordsReach(plan.words);
    if (!score.stringX.empty()) {
        // The picture's blank left of the outermost circles (or texts) is left out, the sheet's
        // margin kept.
        const double kept = std::min(score.stringX.front() + 0.5 - LargestRadius(), reach.first);
        plan.placement.marginX -= static_cast<int>(std::max(0.0, kept) * plan.placement.scale);
    }
    plan.score = PlaceItem(plan.placement, 0, 0, score.width, score.height);
    const PictureStretch s(score, plan.score);
    plan.scoreEnd = ScoreEnd(score, plan.score, dpi);
    DropWordsAfter((plan.scoreEnd - s.top) / s.sy - 0.5, plan.words);

    // The blank right of the last circle (or text) goes too, and the legend keeps to the
    // strings' width.
    const double lastCircle = LastCircleRight(score, plan.score);
    double right = std::max({double(plan.placement.marginX), lastCircle, s.left + reach.second * s.sx});
    plan.legend = PlaceLegend(score, plan.score, plan.scoreEnd, dpi, measure, songFacts, true, lastCircle);
    right = std::max(right, plan.legend.bounds.Right());
    const double bottom = std::max<double>(plan.scoreEnd, plan.legend.bounds.Bottom());
    const int margin = DotsFor(kSheetMarginMm, dpi);
    plan.sheetWidth = static_cast<int>(std::ceil(right)) + margin;
    plan.sheetHeight = static_cast<int>(std::ceil(bottom)) + margin;
    plan.legend.drawn = plan.legend.bottom <= plan.sheetHeight;
    return plan;
}

// One page's label, "2/6 (列2・行1)　点線の間を隣のページと重ねて貼る".
std::string TileLabel(int page, int pages, int column, int row)
{
    return std::to_string(page) + "/" + std::to_string(pages) + " (列" + std::to_string(column) + "・行" +
           std::to_string(row) + ")　点線の間を隣のページと重ねて貼る";
}

// Cuts a sheet at scale into pages of the paper's printable area, glued along shared bands.
void CutIntoPages(SheetPlan& plan, const ScoreGeometry& score, const SheetPaper& paper)
{
    const int dpi = plan.dotsPerInch;
    std::vector<int> lines;
    const PictureStretch s(score, plan.score);
    for (const int x : score.stringX)
        lines.push_back(static_cast<int>(std::lround(s.X(x))));
    SheetTiles tiles = TileSheet(plan.sheetWidth, plan.sheetHeight, paper.pageWidth, paper.pageHeight, dpi, lines);
    if (tiles.Count() > 1) // each page then says where it goes, below its window
        tiles = TileSheet(plan.sheetWidth, plan.sheetHeight, paper.pageWidth, paper.pageHeight - DotsFor(kPageLabelMm, dpi),
                          dpi, lines);
    plan.pageWidth = paper.pageWidth;
    const double reach = DotsFor(kLegendReachMm, dpi);
    const SheetBox& legend = plan.legend.bounds;
    for (size_t row = 0; row < tiles.rows.size(); ++row) {
        for (size_t column = 0; column < tiles.columns.size(); ++column) {
            SheetPage page;
            page.across = tiles.columns[column];
            page.down = tiles.rows[row];
            page.cut = true;
            page.legend = plan.legend.drawn && legend.left - reach < page.across.to &&
                          page.across.from < legend.Right() + reach && legend.top - reach < page.down.to &&
                          page.down.from < legend.Bottom() + reach;
            for (size_t k = 1; k < tiles.columns.size(); ++k)
                if (k == column || k == column + 1)
                    page.bandsAcross.push_back({tiles.columns[k].from, tiles.columns[k - 1].to});
            for (size_t k = 1; k < tiles.rows.size(); ++k)
                if (k == row || k == row + 1)
                    page.bandsDown.push_back({tiles.rows[k].from, tiles.rows[k - 1].to});
            if (tiles.Count() > 1) {
                const int number = static_cast<int>(row * tiles.columns.size() + column + 1);
                const double edge = Dots(kEdgeMm, dpi);
                page.label = {TileLabel(number, tiles.Count(), static_cast<int>(column) + 1, static_cast<int>(row) + 1),
                              SheetBox{edge, double(page.down.to - page.down.from),
                                       std::max(paper.pageWidth - 2 * edge, 1.0), Dots(kPageLabelMm, dpi)}};
            }
            plan.pages.push_back(page);
        }
    }
}

} // namespace

SheetPlan PlanSheet(const FittedScore& score, const SheetSettings& sheet, const SheetPaper& paper,
                    const SheetTextMeasure& measure, bool songFacts)
{
    if (sheet.FitsPaper())
        return PlanFitted(score, sheet, paper, measure, songFacts);
    SheetPlan plan = PlanAtScale(score, sheet, paper.mode.yResolution, measure, songFacts);
    CutIntoPages(plan, score.geometry, paper);
    return plan;
}

SheetPlan PlanWholeSheet(const FittedScore& score, const SheetSettings& sheet, int dotsPerInch,
                         const SheetTextMeasure& measure, bool songFacts)
{
    if (sheet.FitsPaper()) {
        SheetPaper a3;
        a3.mode.paperSize = PaperSize::kA3;
        a3.mode.paperWidth = 2970;
        a3.mode.paperLength = 4200;
        a3.mode.printQuality = a3.mode.yResolution = static_cast<int16_t>(dotsPerInch);
        a3.pageWidth = DotsFor(297, dotsPerInch);
        a3.pageHeight = DotsFor(420, dotsPerInch);
        return PlanFitted(score, sheet, a3, measure, songFacts);
    }
    SheetPlan plan = PlanAtScale(score, sheet, dotsPerInch, measure, songFacts);
    plan.pageWidth = plan.sheetWidth;
    SheetPage whole;
    whole.across = {0, plan.sheetWidth};
    whole.down = {0, plan.sheetHeight};
    whole.legend = plan.legend.drawn;
    plan.pages.push_back(whole);
    return plan;
}
