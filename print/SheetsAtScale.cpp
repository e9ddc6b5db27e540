// A sheet at the harp's scale: placed and sized, cut into glued pages, or on a page of its own.

#include "print/SheetSteps.h"

#include "common/TextTranslation.h"
#include "song/ChordNaming.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace SheetSteps {

std::string TileLabel(int page, int pages, int column, int row)
{
    return FilledText(CoreText::translate("Legend", "%1/%2 (列%3・行%4)　点線の間を隣のページと重ねて貼る"),
                      {std::to_string(page), std::to_string(pages), std::to_string(column), std::to_string(row)});
}

void LeaveOutPagesWithoutNotes(SheetPlan& plan)
{
    if (plan.pages.size() < 2)
        return;
    const ScoreGeometry& score = plan.content.geometry;
    const PictureStretch s(score, plan.score);
    const auto meets = [](double from, double to, const SheetSpan& span) { return from < span.to && span.from < to; };
    // The legend's own block, not the string names that run under every page.
    const LegendPlace& l = plan.legend;
    std::vector<SheetBox> block;
    if (l.drawn) {
        if (l.songFacts)
            block.insert(block.end(), {l.title, l.facts});
        for (const LegendPlace::Kind& kind : l.kinds)
            block.push_back(kind.caption.box);
        for (const LegendPlace::Key& key : l.keys)
            block.push_back(key.caption.box);
        if (l.scaleBar)
            block.insert(block.end(), {l.bar, l.barCaption.box});
    }
    for (const SheetLabel& verse : l.verses)
        block.push_back(verse.box);
    const auto holds = [&](const SheetPage& page) {
        for (const SheetBox& box : block)
            if (meets(box.left, box.Right(), page.across) && meets(box.top, box.Bottom(), page.down))
                return true;
        const auto within = [&](double left, double top, double right, double bottom) {
            return meets(s.X(left), s.X(right), page.across) && meets(s.Y(top), s.Y(bottom), page.down);
        };
        for (const PlacedNote& n : score.notes)
            if (within(n.left, n.top, n.right, n.bottom))
                return true;
        for (const FlowLine& flow : score.flows) {
            const PlacedNote &a = score.notes[flow.from], &b = score.notes[flow.to];
            if (within(std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)))
                return true;
        }
        return false;
    };
    std::vector<SheetPage> kept;
    std::copy_if(plan.pages.begin(), plan.pages.end(), std::back_inserter(kept), holds);
    if (kept.size() == plan.pages.size() || kept.empty())
        return;
    // The pages left keep their place in the gluing and are counted again.
    const int before = static_cast<int>(plan.pages.size()), after = static_cast<int>(kept.size());
    const std::string gap = CoreText::translate("Legend", "　");
    for (int i = 0; i < after; ++i) {
        SheetPage& page = kept[static_cast<size_t>(i)];
        const std::string old = TileLabel(page.number, before, page.column, page.row);
        if (page.number > 0 && page.label.text.rfind(old, 0) == 0) {
            std::string rest = page.label.text.substr(old.size());
            if (after == 1 && rest.rfind(gap, 0) == 0)
                rest.erase(0, gap.size());
            page.label.text = (after > 1 ? TileLabel(i + 1, after, page.column, page.row) : std::string()) + rest;
            page.number = after > 1 ? i + 1 : 0;
        }
        // A band is glued only to a page still there.
        const auto shared = [&](const SheetSpan& band, bool across) {
            return std::any_of(kept.begin(), kept.end(), [&](const SheetPage& other) {
                return &other != &page && (across ? meets(band.from, band.to, other.across) && meets(page.down.from, page.down.to, other.down)
                                                  : meets(band.from, band.to, other.down) && meets(page.across.from, page.across.to, other.across));
            });
        };
        std::erase_if(page.bandsAcross, [&](const SheetSpan& band) { return !shared(band, true); });
        std::erase_if(page.bandsDown, [&](const SheetSpan& band) { return !shared(band, false); });
    }
    plan.pages = std::move(kept);
}

namespace {

// Where the string lines stand on the sheet: no page is cut along one.
std::vector<int> StringLinesOnSheet(const SheetPlan& plan, const ScoreGeometry& score)
{
    std::vector<int> lines;
    const PictureStretch s(score, plan.score);
    for (const int x : score.stringX)
        lines.push_back(static_cast<int>(std::lround(s.X(x))));
    return lines;
}

} // namespace

// The sheet at the harp's scale: placed, its words beside the circles, as wide as its strings
// and texts and as long as its strings; no legend yet, not yet cut into pages.
SheetPlan PlaceAtScale(const FittedScore& fitted, const SheetSettings& sheet, int dpi, const SheetTextMeasure& measure)
{
    const ScoreGeometry& score = fitted.geometry;
    SheetPlan plan;
    plan.layout = SheetLayout::kAtScale;
    plan.dotsPerInch = dpi;
    plan.shown = sheet.shown;
    plan.colourVoices = sheet.colourVoices;
    plan.placement = TrueScalePlacement(sheet.spacing.Tenths(), score.stringSpacing, dpi);
    // The texts' room depends on the rectangle's size only, which the margin does not change.
    plan.words = PlaceWords(fitted, sheet.shown, PlaceItem(plan.placement, 0, 0, score.width, score.height), measure,
                            MarksAtScale(sheet));
    const std::optional<std::pair<double, double>> reach = WordsReach(plan.words);
    if (!score.stringX.empty()) {
        // The picture's blank left of the outermost circles (or texts) is left out, the sheet's
        // margin kept.
        const double outermost = score.stringX.front() + 0.5 - LargestRadius();
        const double kept = reach ? std::min(outermost, reach->first) : outermost;
        plan.placement.marginX -= static_cast<int>(std::max(0.0, kept) * plan.placement.scale);
    }
    plan.score = PlaceItem(plan.placement, 0, 0, score.width, score.height);
    const PictureStretch s(score, plan.score);
    plan.scoreEnd = ScoreEnd(score, plan.score, dpi);
    DropWordsAfter((plan.scoreEnd - s.top) / s.sy - 0.5, plan.words);

    // The blank right of the last circle (or text) goes too.
    double right = std::max(double(plan.placement.marginX), LastCircleRight(score, plan.score));
    if (reach)
        right = std::max(right, s.left + reach->second * s.sx);
    const int margin = DotsFor(kSheetMarginMm, dpi);
    plan.sheetWidth = static_cast<int>(std::ceil(right)) + margin;
    plan.sheetHeight = plan.scoreEnd + margin;
    return plan;
}

// The legend below the strings, its circle kinds left of `rightLimit` and the block right of
// `leftLimit`; the sheet grows to hold it.
void AddLegendAtScale(SheetPlan& plan, const ScoreGeometry& score, const SheetTextMeasure& measure, bool songFacts,
                      double rightLimit, bool kinds, double leftLimit, const std::vector<LegendPlace::Key>& keys)
{
    const int dpi = plan.dotsPerInch, margin = DotsFor(kSheetMarginMm, dpi);
    plan.legend =
        PlaceLegend(score, plan.score, plan.scoreEnd, dpi, measure, songFacts, true, rightLimit, kinds, leftLimit, keys);
    plan.sheetWidth = std::max(plan.sheetWidth, static_cast<int>(std::ceil(plan.legend.bounds.Right())) + margin);
    plan.sheetHeight =
        static_cast<int>(std::ceil(std::max<double>(plan.scoreEnd, plan.legend.bounds.Bottom()))) + margin;
    plan.legend.drawn = plan.legend.bottom <= plan.sheetHeight;
}

// The columns of pages a sheet this wide takes on the paper.
std::vector<SheetSpan> ColumnsOf(const SheetPlan& plan, const ScoreGeometry& score, const SheetPaper& paper)
{
    return TileSheet(plan.sheetWidth, plan.sheetHeight, paper.pageWidth, paper.pageHeight, plan.dotsPerInch,
                     StringLinesOnSheet(plan, score))
        .columns;
}

namespace {

// The fewest neighbouring columns that hold every circle whole, off the printer's margin at an
// edge that a column left out makes the paper's; all of them when there is no circle.
std::pair<size_t, size_t> ColumnsWithNotes(const SheetPlan& plan, const ScoreGeometry& score,
                                           const std::vector<SheetSpan>& columns)
{
    if (columns.empty() || score.notes.empty())
        return {0, columns.empty() ? 0 : columns.size() - 1};
    const PictureStretch s(score, plan.score);
    double left = s.X(score.notes.front().left), right = s.X(score.notes.front().right);
    for (const PlacedNote& n : score.notes) {
        left = std::min(left, s.X(n.left));
        right = std::max(right, s.X(n.right));
    }
    const double clear = Dots(kTextEdgeMm, plan.dotsPerInch);
    size_t first = 0;
    for (size_t k = 1; k < columns.size(); ++k)
        if (columns[k].from + clear <= left)
            first = k;
    size_t last = columns.size() - 1;
    for (size_t k = columns.size() - 1; k-- > first;)
        if (columns[k].to - clear >= right)
            last = k;
    return {first, last};
}

// How many rows of pages a sheet this long takes.
size_t RowsFor(const SheetPlan& plan, const ScoreGeometry& score, const SheetPaper& paper, int height)
{
    const int dpi = plan.dotsPerInch;
    std::vector<int> lines;
    const PictureStretch s(score, plan.score);
    for (const int x : score.stringX)
        lines.push_back(static_cast<int>(std::lround(s.X(x))));
    return TileSheet(plan.sheetWidth, height, paper.pageWidth, paper.pageHeight - DotsFor(kPageLabelMm, dpi), dpi, lines)
        .rows.size();
}

// "左端の弦 D3": where a page next to a column left out lies under the strings.
std::string OuterStringMark(const SheetPlan& plan, const ScoreGeometry& score, const SheetSpan& column, bool left)
{
    const PictureStretch s(score, plan.score);
    std::optional<size_t> found;
    for (size_t i = 0; i < score.stringX.size() && i < score.stringPitch.size(); ++i) {
        const double x = s.X(score.stringX[i]);
        if (x >= column.from && x < column.to && (!found || !left))
            found = i;
    }
    if (!found)
        return {};
    return FilledText(CoreText::translate("Legend", left ? QT_TRANSLATE_NOOP("Legend", "左端の弦 %1")
                                                         : QT_TRANSLATE_NOOP("Legend", "右端の弦 %1")),
                      {NoteNameWithOctave(score.stringPitch[*found])});
}

} // namespace

// A sheet at scale larger than the paper, in the order each step needs the last: its width
// decides its columns, the columns where the words and the legend keep off the glue bands,
// the legend (and the verses) its length, and the length the rows of pages. Columns without a
// note are left out; the legend takes the first column printed, below the last note, and is
// made smaller rather than add a row of pages.
SheetPlan PlanGluedSheet(const FittedScore& fitted, const SheetSettings& sheet, const SheetPaper& paper,
                         const SheetTextMeasure& measure, bool songFacts, const std::vector<std::string>& verses)
{
    const ScoreGeometry& score = fitted.geometry;
    const int dpi = paper.mode.yResolution;
    SheetPlan plan = PlaceAtScale(fitted, sheet, dpi, measure);
    double legendLimit = LastCircleRight(score, plan.score), legendLeft = 0;
    const std::vector<SheetSpan> columns = ColumnsOf(plan, score, paper);
    std::optional<std::pair<size_t, size_t>> kept;
    if (columns.size() > 1) {
        // The texts move off the edges the pages are glued along, rather than being cut there;
        // how far they reach has already set the sheet's width. Beside a column left out the
        // page's edge is the paper's: they keep the printer's margin off it.
        const PictureStretch s(score, plan.score);
        kept = ColumnsWithNotes(plan, score, columns);
        std::vector<double> fences;
        for (size_t k = 1; k < columns.size(); ++k)
            for (const int x : {columns[k].from, columns[k - 1].to})
                fences.push_back((x - s.left) / s.sx);
        // Fences half a millimetre apart, so that not even a count's figure stands between them.
        for (double mm = 0; mm <= kTextEdgeMm; mm += 0.5) {
            if (kept->first > 0)
                fences.push_back((columns[kept->first].from + Dots(mm, dpi) - s.left) / s.sx);
            if (kept->second + 1 < columns.size())
                fences.push_back((columns[kept->second].to - Dots(mm, dpi) - s.left) / s.sx);
        }
        std::sort(fences.begin(), fences.end());
        fences.erase(std::unique(fences.begin(), fences.end()), fences.end());
        plan.words = PlaceWords(fitted, sheet.shown, plan.score, measure, MarksAtScale(sheet), fences);
        DropWordsAfter((plan.scoreEnd - s.top) / s.sy - 0.5, plan.words);
        // The legend keeps to the first column printed, off the bands it is glued along.
        const SheetSpan& first = columns[kept->first];
        legendLeft = kept->first > 0 ? first.from + Dots(kTextEdgeMm, dpi) : 0;
        legendLimit = kept->first + 1 < columns.size() ? columns[kept->first + 1].from - Dots(kTextEdgeMm, dpi)
                                                       : first.to - Dots(kTextEdgeMm, dpi);
    }
    // The whole legend, else the sheet's title and facts, else the string names alone: the
    // first that takes no more rows of pages than the names do.
    const std::vector<LegendPlace::Key> keys = LegendKeys(fitted, plan.colourVoices);
    SheetPlan names = plan;
    AddLegendAtScale(names, score, measure, false, legendLimit, false, legendLeft);
    const size_t rows = RowsFor(names, score, paper, names.sheetHeight);
    bool placed = false;
    for (const bool kinds : {true, false}) {
        SheetPlan trial = plan;
        AddLegendAtScale(trial, score, measure, songFacts, legendLimit, kinds, legendLeft, keys);
        if (RowsFor(trial, score, paper, trial.sheetHeight) <= rows) {
            plan = std::move(trial);
            placed = true;
            break;
        }
    }
    if (!placed)
        plan = std::move(names);
    AddVersesBelow(plan, verses, measure);
    CutIntoPages(plan, score, paper, kept);
    return plan;
}

// Cuts a sheet at scale into pages of the paper's printable area, glued along shared bands;
// only the columns `kept` names are printed, the pages beside one left out saying which string
// their outer line is.
void CutIntoPages(SheetPlan& plan, const ScoreGeometry& score, const SheetPaper& paper,
                  std::optional<std::pair<size_t, size_t>> kept)
{
    const int dpi = plan.dotsPerInch;
    const std::vector<int> lines = StringLinesOnSheet(plan, score);
    SheetTiles tiles = TileSheet(plan.sheetWidth, plan.sheetHeight, paper.pageWidth, paper.pageHeight, dpi, lines);
    if (tiles.Count() > 1) // each page then says where it goes, below its window
        tiles = TileSheet(plan.sheetWidth, plan.sheetHeight, paper.pageWidth, paper.pageHeight - DotsFor(kPageLabelMm, dpi),
                          dpi, lines);
    size_t from = 0, to = tiles.columns.empty() ? 0 : tiles.columns.size() - 1;
    if (kept && kept->second < tiles.columns.size() && kept->first <= kept->second)
        std::tie(from, to) = *kept;
    const size_t shownColumns = to - from + 1;
    const int count = static_cast<int>(shownColumns * tiles.rows.size());
    plan.pageWidth = paper.pageWidth;
    const double reach = DotsFor(kLegendReachMm, dpi);
    const SheetBox& legend = plan.legend.bounds;
    for (size_t row = 0; row < tiles.rows.size(); ++row) {
        for (size_t column = from; column <= to; ++column) {
            SheetPage page;
            page.across = tiles.columns[column];
            page.down = tiles.rows[row];
            page.cut = true;
            page.legend = plan.legend.drawn && legend.left - reach < page.across.to &&
                          page.across.from < legend.Right() + reach && legend.top - reach < page.down.to &&
                          page.down.from < legend.Bottom() + reach;
            for (size_t k = from + 1; k <= to; ++k)
                if (k == column || k == column + 1)
                    page.bandsAcross.push_back({tiles.columns[k].from, tiles.columns[k - 1].to});
            for (size_t k = 1; k < tiles.rows.size(); ++k)
                if (k == row || k == row + 1)
                    page.bandsDown.push_back({tiles.rows[k].from, tiles.rows[k - 1].to});
            if (count > 1 || shownColumns < tiles.columns.size()) {
                const int number = static_cast<int>(row * shownColumns + (column - from) + 1);
                const double edge = Dots(kTextEdgeMm, dpi);
                std::string text = count > 1 ? TileLabel(number, count, static_cast<int>(column - from) + 1,
                                                         static_cast<int>(row) + 1)
                                             : std::string();
                if (count > 1) {
                    page.number = number;
                    page.column = static_cast<int>(column - from) + 1;
                    page.row = static_cast<int>(row) + 1;
                }
                // A column left out beside this page: the player finds the sheet's place by its outer string.
                for (const bool left : {true, false}) {
                    const bool outOnThatSide = left ? column == from && from > 0 : column == to && to + 1 < tiles.columns.size();
                    const std::string mark = outOnThatSide ? OuterStringMark(plan, score, page.across, left) : std::string();
                    if (!mark.empty())
                        text += (text.empty() ? "" : CoreText::translate("Legend", "　")) + mark;
                }
                page.label = {text, SheetBox{edge, double(page.down.to - page.down.from),
                                             std::max(paper.pageWidth - 2 * edge, 1.0), Dots(kPageLabelMm - kTextEdgeMm, dpi)}};
            }
            plan.pages.push_back(page);
        }
    }
}

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
    // Many printers cannot print the paper's outer 5 mm; nothing but glue bands goes there.
    const double width = f.frame.width, edge = Dots(kTextEdgeMm, dpi) / scale;
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
    plan.colourVoices = sheet.colourVoices;
    plan.placement = frame.placement;
    plan.score = PlaceItem(plan.placement, 0, 0, score.width, score.height);
    plan.words = PlaceWords(fitted, sheet.shown, plan.score, measure, MarksAtScale(sheet), {}, &frame.textArea);
    plan.scoreEnd = ScoreEnd(score, plan.score, dpi);
    plan.pageWidth = plan.sheetWidth = paper.pageWidth;
    plan.sheetHeight = paper.pageHeight;
    PlaceLegendOnPage(plan, score, measure, songFacts, frame.textAreaOnPage, LegendKeys(fitted, plan.colourVoices));
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

// Whether a sheet goes on one page of this size without cutting the harp's strings much short.
bool OnePageHolds(int stringCount, const SheetSettings& sheet, double widthMm, double heightMm)
{
    return StringsFit(stringCount, sheet, widthMm) && heightMm - kBesideStringsMm >= 0.9 * sheet.harpHeightMm;
}

} // namespace SheetSteps

bool SuitsLandscape(int stringCount, const SheetSettings& sheet, double paperWidthMm, double paperLengthMm)
{
    if (sheet.FitsPaper())
        return false;
    const double narrow = std::min(paperWidthMm, paperLengthMm), wide = std::max(paperWidthMm, paperLengthMm);
    return !SheetSteps::OnePageHolds(stringCount, sheet, narrow, wide) && SheetSteps::OnePageHolds(stringCount, sheet, wide, narrow);
}
