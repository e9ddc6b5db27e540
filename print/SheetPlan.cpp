#include "print/SheetPlan.h"

#include "print/PlayingSheets.h"
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

} // namespace

SheetFont SheetFontOfText(TextKind kind)
{
    return kind == TextKind::kChord           ? SheetFont::kChord
           : kind == TextKind::kMeasureNumber ? SheetFont::kMeasureNumber
           : kind == TextKind::kCount         ? SheetFont::kCount
           : kind == TextKind::kSign          ? SheetFont::kSign
                                              : SheetFont::kWord;
}

namespace {

// The chosen texts placed beside the circles of a score drawn into `target`: their printed
// size decides where they find room. With `within`, they keep inside it (picture pixels).
ScoreWords PlaceWords(const FittedScore& fitted, const WordChoices& choices, const DeviceRect& target,
                      const SheetTextMeasure& measure, PlayingMarks marks = {}, const std::vector<double>& fences = {},
                      const TextBox* within = nullptr)
{
    const PictureStretch map(fitted.geometry, target);
    // Measured once per distinct text: a song repeats its syllables and chords.
    std::map<std::pair<TextKind, std::string>, std::pair<double, double>> measured;
    const TextExtent extent = [&](TextKind kind, const std::string& utf8) -> std::pair<double, double> {
        auto [it, added] = measured.try_emplace({kind, utf8});
        if (added) {
            const auto [width, height] = measure(SheetFontOfText(kind), utf8);
            it->second = {width / map.sx, height / map.sy};
        }
        return it->second;
    };
    return PlaceScoreWords(fitted.geometry, fitted.layout, choices, extent, within, marks, fences);
}

// What a sheet at scale adds to its circles.
PlayingMarks MarksAtScale(const SheetSettings& sheet)
{
    return PlayingMarks{true, true, sheet.shown.counts};
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
        if (m.numbered)
            widen(m.numberBox);
    return reach;
}

// The four circle kinds with their captions in rows `kindRow` high from (left, top), a row
// no wider than `width`; returns the last row's top, and in `right` the rows' right end.
double PlaceKinds(LegendPlace& l, double left, double top, double width, double largest, double kindRow, int dpi,
                  const SheetTextMeasure& measure, double& right)
{
    const double gap = Dots(kKindGapMm, dpi);
    double x = left, y = top;
    for (const auto& [mark, caption] : kMarkCaptions) {
        const double captionWidth = measure(SheetFont::kText, caption).first;
        const double item = largest + gap + captionWidth;
        if (x > left && x + item > left + width) {
            x = left;
            y += kindRow;
        }
        l.kinds.push_back({mark, x + largest / 2, y + kindRow / 2,
                           SheetLabel{caption, SheetBox{x + largest + gap, y, captionWidth + Dots(1, dpi), kindRow}}});
        right = std::max(right, x + item);
        x += item + Dots(kKeyGapMm, dpi);
    }
    return y;
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
        // At scale the legend keeps to a column, and what the switches show takes a line of its own.
        const double factsHeight = (rightLimit > 0 ? 2 : 1) * textHeight;
        l.title = SheetBox{left, y, columnWidth, titleHeight};
        l.facts = SheetBox{left, y + titleHeight, columnWidth, factsHeight};
        y += titleHeight + factsHeight + dots(kBlockGapMm);
    }
    double right = 0;
    y = PlaceKinds(l, left, y, columnWidth, largest, kindRow, dpi, measure, right);
    double bottom = y + kindRow;
    if (scaleBar) {
        // The caption under the bar: a column of glued pages is seldom wider than the bar.
        const double high = dots(kScaleBarHighMm);
        const double captionWidth = width(SheetFont::kText, kScaleCaption);
        l.scaleBar = true;
        l.bar = SheetBox{left, bottom + dots(kBlockGapMm), dots(kScaleBarMm), high};
        l.barCaption = {kScaleCaption, SheetBox{left, l.bar.Bottom(), captionWidth + dots(1), textHeight}};
        bottom = l.barCaption.box.Bottom();
        right = std::max({right, l.bar.Right(), l.barCaption.box.Right()});
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
    plan.shown.counts = false; // the fitted page shows every length by its room
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
    plan.words = PlaceWords(fitted, sheet.shown, PlaceItem(plan.placement, 0, 0, score.width, score.height), measure,
                            MarksAtScale(sheet));
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
                const double edge = Dots(kTextEdgeMm, dpi);
                page.label = {TileLabel(number, tiles.Count(), static_cast<int>(column) + 1, static_cast<int>(row) + 1),
                              SheetBox{edge, double(page.down.to - page.down.from),
                                       std::max(paper.pageWidth - 2 * edge, 1.0), Dots(kPageLabelMm - kTextEdgeMm, dpi)}};
            }
            plan.pages.push_back(page);
        }
    }
}


// ---- A sheet at scale on a page of its own ----

// Where the strings start on the page, and time 0 below that: room for the first measure's mark
// and the texts on it.
constexpr double kStringsTopMm = 3.0, kFirstMeasureMm = 4.5;
// The strings go on this far past a sheet's last measure line or last note.
constexpr double kStringsEndMm = 2.0;
// The legend's block on a page: its width at most, the room round it, the search's step.
constexpr double kNumberRoomMm = 4.5; // a measure number of two figures before the lowest string
constexpr double kBlockWidthMm = 110, kBlockClearMm = 1.0, kBlockStepMm = 2.0;

// Device boxes of everything drawn on a sheet, for finding free paper.
struct Drawn {
    std::vector<SheetBox> boxes;
    struct Segment {
        double x1, y1, x2, y2;
    };
    std::vector<Segment> segments;

    static bool Overlap(const SheetBox& a, const SheetBox& b)
    {
        return a.left < b.Right() && b.left < a.Right() && a.top < b.Bottom() && b.top < a.Bottom();
    }

    static bool Crosses(const Segment& s, const SheetBox& b)
    {
        // Clipped to the box's rows, the segment's x range meets its columns.
        double ya = s.y1, yb = s.y2, xa = s.x1, xb = s.x2;
        if (ya > yb) {
            std::swap(ya, yb);
            std::swap(xa, xb);
        }
        const double top = std::max(ya, b.top), bottom = std::min(yb, b.Bottom());
        if (top > bottom)
            return false;
        const auto xAt = [&](double y) { return yb == ya ? xa : xa + (xb - xa) * (y - ya) / (yb - ya); };
        const double x1 = xAt(top), x2 = xAt(bottom);
        return std::max(x1, x2) > b.left && std::min(x1, x2) < b.Right();
    }

    bool Free(const SheetBox& b) const
    {
        for (const SheetBox& d : boxes)
            if (Overlap(d, b))
                return false;
        for (const Segment& s : segments)
            if (Crosses(s, b))
                return false;
        return true;
    }
};

Drawn DrawnOn(const SheetPlan& plan, const ScoreGeometry& score)
{
    const PictureStretch s(score, plan.score);
    Drawn d;
    const auto box = [&](const TextBox& t) {
        return SheetBox{s.left + t.left * s.sx, s.top + t.top * s.sy, (t.right - t.left) * s.sx, (t.bottom - t.top) * s.sy};
    };
    for (const PlacedNote& n : score.notes)
        d.boxes.push_back(box({double(n.left), double(n.top), double(n.right), double(n.bottom)}));
    for (const FlowLine& flow : score.flows)
        d.segments.push_back({s.X(score.notes[flow.from].x), s.Y(score.notes[flow.from].y), s.X(score.notes[flow.to].x),
                              s.Y(score.notes[flow.to].y)});
    for (const PlacedText& t : plan.words.words)
        d.boxes.push_back(box(t.box));
    for (const PlacedText& t : plan.words.chords)
        d.boxes.push_back(box(t.box));
    for (const PlacedMeasure& m : plan.words.measures)
        if (m.numbered)
            d.boxes.push_back(box(m.numberBox));
    for (const SheetLabel& name : plan.legend.stringNames)
        d.boxes.push_back(name.box);
    return d;
}

// The legend's block (title, facts, circle kinds, scale bar) with its top left corner at
// (left, top) and `width` wide; returns its bottom.
double PlaceBlock(LegendPlace& l, double left, double top, double width, int dpi, const SheetTextMeasure& measure,
                  double largest, bool scaleBar)
{
    const auto dots = [dpi](double mm) { return Dots(mm, dpi); };
    const double titleHeight = measure(SheetFont::kTitle, {}).second;
    const double textHeight = measure(SheetFont::kText, {}).second;
    const double kindRow = std::max(largest, textHeight);
    double y = top;
    if (l.songFacts) {
        l.title = SheetBox{left, y, width, titleHeight};
        l.facts = SheetBox{left, y + titleHeight, width, 2 * textHeight}; // wraps onto a second line
        y += titleHeight + 2 * textHeight + dots(kBlockClearMm);
    }
    l.kinds.clear();
    double right = 0;
    y = PlaceKinds(l, left, y, width, largest, kindRow, dpi, measure, right) + kindRow;
    l.scaleBar = scaleBar;
    if (scaleBar) {
        const double high = dots(kScaleBarHighMm);
        l.bar = SheetBox{left, y + dots(kBlockClearMm), dots(kScaleBarMm), high};
        y = l.bar.Bottom();
        const double captionWidth = measure(SheetFont::kText, kScaleCaption).first;
        l.barCaption = {kScaleCaption, SheetBox{left, y, captionWidth + dots(1), textHeight}};
        y += textHeight;
    }
    return y;
}

// The names under the strings, then the block below them where the page has room, else on the
// free paper among the strings nearest the page's foot, else smaller without the scale bar;
// where nothing of the block finds room, the names alone.
void PlaceLegendOnPage(SheetPlan& plan, const ScoreGeometry& score, const SheetTextMeasure& measure, bool songFacts,
                       const SheetBox& textArea)
{
    const int dpi = plan.dotsPerInch;
    const auto dots = [dpi](double mm) { return Dots(mm, dpi); };
    const PictureStretch s(score, plan.score);
    LegendPlace& l = plan.legend;
    l = PlaceLegend(score, plan.score, plan.scoreEnd, dpi, measure, false, false, 0);
    for (SheetLabel& name : l.stringNames) // the outermost names keep off the edge
        name.box.left = std::clamp(name.box.left, textArea.left, textArea.Right() - name.box.width);
    double namesBottom = plan.scoreEnd;
    for (const SheetLabel& name : l.stringNames)
        namesBottom = std::max(namesBottom, name.box.Bottom());
    l.drawn = true;
    l.songFacts = songFacts;
    const double largest = 12 * std::max(s.sx, s.sy);
    const double width = std::min(textArea.width, dots(kBlockWidthMm));
    const Drawn drawn = DrawnOn(plan, score);
    for (const bool bar : {true, false}) {
        LegendPlace trial = l;
        const double height = PlaceBlock(trial, 0, 0, width, dpi, measure, largest, bar);
        const double clear = dots(kBlockClearMm);
        const double firstString = score.stringX.empty() ? textArea.left : s.X(score.stringX.front());
        const double belowLeft = std::clamp(firstString, textArea.left, std::max(textArea.left, textArea.Right() - width));
        const double belowTop = namesBottom + dots(kBlockGapMm);
        if (belowTop + height <= textArea.Bottom()) {
            PlaceBlock(l, belowLeft, belowTop, width, dpi, measure, largest, bar);
            l.bounds = SheetBox{textArea.left, double(plan.scoreEnd), textArea.width, belowTop + height - plan.scoreEnd};
            l.bottom = belowTop + height;
            return;
        }
        const double step = dots(kBlockStepMm);
        for (double top = textArea.Bottom() - height; top >= textArea.top; top -= step) {
            for (double left = textArea.left; left + width <= textArea.Right(); left += step) {
                const SheetBox room{left - clear, top - clear, width + 2 * clear, height + 2 * clear};
                if (!drawn.Free(room))
                    continue;
                PlaceBlock(l, left, top, width, dpi, measure, largest, bar);
                l.onWhite = true;
                l.bounds = SheetBox{left, top, width, height};
                l.bottom = namesBottom;
                return;
            }
        }
    }
    l.songFacts = false;
    l.kinds.clear();
    l.scaleBar = false;
    l.bounds = SheetBox{textArea.left, double(plan.scoreEnd), textArea.width, namesBottom - plan.scoreEnd};
    l.bottom = namesBottom;
}

// The further verses as a block of lines `width` wide at most, its top left at the origin;
// returns its size.
std::pair<double, double> VerseBlock(const std::vector<std::string>& verses, double width, const SheetTextMeasure& measure,
                                     std::vector<SheetLabel>& lines)
{
    const double height = measure(SheetFont::kText, {}).second;
    double widest = 0;
    lines.clear();
    for (const std::string& verse : verses) {
        const double w = std::min(measure(SheetFont::kText, verse).first + 1, width);
        lines.push_back({verse, SheetBox{0, lines.size() * height, w, height}});
        widest = std::max(widest, w);
    }
    return {widest, lines.size() * height};
}

// The verses on free paper of a page: below everything where there is room, else among the
// strings nearest the page's foot; left out where they find none.
void PlaceVersesOnPage(SheetPlan& plan, const ScoreGeometry& score, const std::vector<std::string>& verses,
                       const SheetTextMeasure& measure, const SheetBox& textArea)
{
    const int dpi = plan.dotsPerInch;
    std::vector<SheetLabel> lines;
    const auto [width, height] = VerseBlock(verses, std::min(textArea.width, Dots(kBlockWidthMm, dpi)), measure, lines);
    if (lines.empty())
        return;
    Drawn drawn = DrawnOn(plan, score);
    if (plan.legend.onWhite || !plan.legend.kinds.empty())
        drawn.boxes.push_back(plan.legend.bounds);
    const double clear = Dots(kBlockClearMm, dpi), step = Dots(kBlockStepMm, dpi);
    const auto put = [&](double left, double top) {
        for (SheetLabel& line : lines) {
            line.box.left += left;
            line.box.top += top;
        }
        plan.legend.verses = lines;
    };
    const double below = std::max(plan.legend.bottom, plan.legend.bounds.Bottom()) + Dots(kBlockGapMm, dpi);
    if (below + height <= textArea.Bottom()) {
        put(textArea.left, below);
        return;
    }
    for (double top = textArea.Bottom() - height; top >= textArea.top; top -= step)
        for (double left = textArea.left; left + width <= textArea.Right(); left += step)
            if (drawn.Free(SheetBox{left - clear, top - clear, width + 2 * clear, height + 2 * clear})) {
                put(left, top);
                return;
            }
}

// The verses below the legend of a sheet that grows for them (glued columns, the SVG).
void AddVersesBelow(SheetPlan& plan, const std::vector<std::string>& verses, const SheetTextMeasure& measure)
{
    const int dpi = plan.dotsPerInch;
    std::vector<SheetLabel> lines;
    const double left = plan.legend.bounds.left + Dots(kBlockGapMm, dpi);
    const auto [width, height] = VerseBlock(verses, Dots(kBlockWidthMm, dpi), measure, lines);
    if (lines.empty())
        return;
    const double top = std::max<double>(plan.legend.bottom, plan.scoreEnd) + Dots(kBlockGapMm, dpi);
    for (SheetLabel& line : lines) {
        line.box.left += left;
        line.box.top += top;
    }
    plan.legend.verses = lines;
    plan.sheetHeight = std::max(plan.sheetHeight, static_cast<int>(std::ceil(top + height)) + DotsFor(kSheetMarginMm, dpi));
    plan.sheetWidth = std::max(plan.sheetWidth, static_cast<int>(std::ceil(left + width)) + DotsFor(kSheetMarginMm, dpi));
}

struct PageFrame {
    ScoreFrame frame;
    PagePlacement placement;
    TextBox textArea; // picture pixels
    SheetBox textAreaOnPage;
};

// The picture of one sheet across one page: the strings centred on the paper's width, starting
// near its top; texts keep within the page's text margin.
PageFrame FrameOnPage(const FittedScore& score, const SheetSettings& sheet, const SheetPaper& paper, int height)
{
    const ScoreFrame& whole = score.frame;
    const int dpi = paper.mode.yResolution;
    PageFrame f;
    f.placement = TrueScalePlacement(sheet.spacing.Tenths(), whole.stringSpacing, dpi);
    // The picture spans the paper's width, so that no circle beside an outer line is cut.
    f.placement.marginX = 0;
    f.placement.marginY = DotsFor(kStringsTopMm, dpi);
    const double scale = f.placement.scale > 0 ? f.placement.scale : 1;
    f.frame = whole;
    f.frame.width = std::max(1, static_cast<int>(paper.pageWidth / scale));
    f.frame.height = height;
    const int n = std::clamp(whole.stringCount, 0, kMaxStrings), S = whole.stringSpacing;
    // The strings in the middle of the paper, moved right as far as it takes and the paper
    // allows to leave the measure numbers room before the lowest string. The lines, and the
    // circles the tune puts on them, keep off both edges where the paper is wide enough; every
    // sheet of the tune puts its strings at the same place.
    const double span = std::max(n - 1, 0) * S;
    const double wanted = (Dots(kTextEdgeMm + kNumberRoomMm, dpi) - f.placement.marginX) / scale + LargestRadius();
    const double width = f.frame.width, edge = Dots(kLineEdgeMm, dpi) / scale;
    double low = edge, high = width - edge - span;
    const std::vector<int>& lines = score.geometry.stringX;
    for (const PlacedNote& note : score.geometry.notes) {
        const double at = lines.empty() ? 0 : note.x - lines.front(), radius = (note.right - note.left) / 2.0;
        low = std::max(low, edge + radius - at);
        high = std::min(high, width - edge - radius - at);
    }
    const double first = low <= high ? std::clamp(std::max((width - span) / 2, wanted), low, high) : (low + high) / 2;
    // String i at (i + 1) S - L.
    f.frame.leftOffset = static_cast<int>(std::lround(S - first));
    const double text = Dots(kTextEdgeMm, dpi);
    f.textAreaOnPage = SheetBox{text, text, paper.pageWidth - 2 * text, paper.pageHeight - 2 * text};
    f.textArea = TextBox{(text - f.placement.marginX) / scale, (text - f.placement.marginY) / scale,
                         (paper.pageWidth - text - f.placement.marginX) / scale,
                         (paper.pageHeight - text - f.placement.marginY) / scale};
    return f;
}

SheetPlan PlanOnPage(const FittedScore& fitted, const SheetSettings& sheet, const SheetPaper& paper,
                     const PageFrame& frame, const SheetTextMeasure& measure, bool songFacts, bool lastSheet)
{
    const ScoreGeometry& score = fitted.geometry;
    const int dpi = paper.mode.yResolution;
    SheetPlan plan;
    plan.layout = SheetLayout::kAtScale;
    plan.dotsPerInch = dpi;
    plan.shown = sheet.shown;
    plan.placement = frame.placement;
    plan.score = PlaceItem(plan.placement, 0, 0, score.width, score.height);
    plan.words = PlaceWords(fitted, sheet.shown, plan.score, measure, MarksAtScale(sheet), {}, &frame.textArea);
    plan.scoreEnd = ScoreEnd(score, plan.score, dpi);
    plan.pageWidth = plan.sheetWidth = paper.pageWidth;
    plan.sheetHeight = paper.pageHeight;
    PlaceLegendOnPage(plan, score, measure, songFacts, frame.textAreaOnPage);
    if (lastSheet)
        PlaceVersesOnPage(plan, score, fitted.layout.verses, measure, frame.textAreaOnPage);
    SheetPage page;
    page.across = {0, paper.pageWidth};
    page.down = {0, paper.pageHeight};
    page.legend = true;
    plan.pages.push_back(page);
    return plan;
}

double PictureMillimetres(const FittedScore& score, const SheetSettings& sheet)
{
    return score.frame.stringSpacing > 0 ? sheet.spacing.Millimetres() / score.frame.stringSpacing : 1.0;
}

// Whether the strings, with the paper kept clear at both edges, go across a page this wide.
bool StringsFit(int stringCount, const SheetSettings& sheet, double widthMm)
{
    const double span = std::max(0, std::clamp(stringCount, 0, kMaxStrings) - 1) * sheet.spacing.Millimetres();
    return span + 2 * kLineEdgeMm <= widthMm + 1e-9;
}

// What a page of one sheet holds besides its strings, above and below them, about.
constexpr double kBesideStringsMm = 15;

// Whether a sheet goes on one page of this size without cutting the harp's strings much short.
bool OnePageHolds(int stringCount, const SheetSettings& sheet, double widthMm, double heightMm)
{
    return StringsFit(stringCount, sheet, widthMm) && heightMm - kBesideStringsMm >= 0.9 * sheet.harpHeightMm;
}

} // namespace

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

bool SuitsLandscape(int stringCount, const SheetSettings& sheet, double paperWidthMm, double paperLengthMm)
{
    if (sheet.FitsPaper())
        return false;
    const double narrow = std::min(paperWidthMm, paperLengthMm), wide = std::max(paperWidthMm, paperLengthMm);
    return !OnePageHolds(stringCount, sheet, narrow, wide) && OnePageHolds(stringCount, sheet, wide, narrow);
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
                                              songFacts, true, 0);
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
