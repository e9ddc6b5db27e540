// The legend below a sheet's strings or on its free paper, and the further verses.

#include "print/SheetSteps.h"
#include "common/TextTranslation.h"
#include "song/ChordNaming.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace SheetSteps {

constexpr std::array<std::pair<NoteMark, const char*>, 4> kMarkCaptions = {{
    {NoteMark::kOneBeat, QT_TRANSLATE_NOOP("Legend", "1拍")},
    {NoteMark::kShorter, QT_TRANSLATE_NOOP("Legend", "2拍未満（1拍以外）")},
    {NoteMark::kFourBeats, QT_TRANSLATE_NOOP("Legend", "4拍")},
    {NoteMark::kOtherLong, QT_TRANSLATE_NOOP("Legend", "2拍以上（4拍以外）")},
}};

constexpr const char* kScaleCaption = QT_TRANSLATE_NOOP("Legend", "100 mm　　100%で印刷");

namespace {

// The four circle kinds with their captions in rows `kindRow` high from (left, top), a row
// no wider than `width`; returns the last row's top, and in `right` the rows' right end.
double PlaceKinds(LegendPlace& l, double left, double top, double width, double largest, double kindRow, int dpi,
                  const SheetTextMeasure& measure, double& right)
{
    const double gap = Dots(kKindGapMm, dpi);
    double x = left, y = top;
    for (const auto& [mark, source] : kMarkCaptions) {
        const std::string caption = CoreText::translate("Legend", source);
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

// The keys to the voices from (left, top) in rows `row` high, each its sample and caption, a
// row no wider than `width`; returns the last row's bottom (`top` when there is none), and in
// `right` the rows' right end. A row too narrow for a caption cuts it when drawn.
double PlaceKeys(LegendPlace& l, double left, double top, double width, double row, int dpi,
                 const SheetTextMeasure& measure, double& right)
{
    if (l.keys.empty())
        return top;
    l.keysArea = SheetBox{left, top, width, row};
    const double sample = Dots(kKeySampleMm, dpi), gap = Dots(kKindGapMm, dpi);
    const double room = std::max(width - sample - gap, 1.0);
    double x = left, y = top, bottom = top;
    for (LegendPlace::Key& key : l.keys) {
        // A caption wider than the column wraps under itself rather than being cut; the words
        // break where they can, so a little more than the width is allowed for.
        const double need = measure(SheetFont::kText, key.caption.text).first + Dots(1, dpi);
        key.lines = need <= room ? 1 : std::min(kMaxKeyLines, static_cast<int>(std::ceil(need * 1.15 / room)));
        const double captionWidth = std::min(need, room);
        const double item = sample + gap + captionWidth;
        if (x > left && (x + item > left + width || key.lines > 1)) {
            x = left;
            y = bottom;
        }
        key.left = x;
        key.width = sample;
        key.centreY = y + row / 2;
        key.caption.box = SheetBox{x + sample + gap, y, captionWidth, row * key.lines};
        right = std::max(right, x + item);
        bottom = std::max(bottom, y + row * key.lines);
        if (key.lines > 1) {
            x = left;
            y = bottom;
        } else {
            x += item + Dots(kKeyGapMm, dpi);
        }
    }
    return bottom;
}

} // namespace

// The legend below `scoreEnd`, across the score's rectangle; the circle kinds keep left of
// `rightLimit` where one is given: a sheet at scale, whose legend keeps to a column. Not yet
// told whether it is drawn.
LegendPlace PlaceLegend(const ScoreGeometry& score, const DeviceRect& target, double scoreEnd, int dpi,
                        const SheetTextMeasure& measure, bool songFacts, bool scaleBar,
                        std::optional<double> rightLimit, bool kinds, double leftLimit,
                        const std::vector<LegendPlace::Key>& keys)
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

    const double left =
        std::max(score.stringX.empty() ? target.left + dots(kBlockGapMm) : s.X(score.stringX[0]), leftLimit);
    const double kindsEnd = rightLimit ? std::min<double>(*rightLimit, target.right) : target.right;
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
        const double factsHeight = (rightLimit ? 2 : 1) * textHeight;
        l.title = SheetBox{left, y, columnWidth, titleHeight};
        l.facts = SheetBox{left, y + titleHeight, columnWidth, factsHeight};
        l.shownOnItsOwnLine = rightLimit.has_value();
        y += titleHeight + factsHeight + dots(kBlockGapMm);
    }
    double right = 0;
    double bottom = y - dots(kBlockGapMm);
    if (kinds) {
        y = PlaceKinds(l, left, y, columnWidth, largest, kindRow, dpi, measure, right);
        l.keys = keys;
        bottom = PlaceKeys(l, left, y + kindRow, columnWidth, kindRow, dpi, measure, right);
    }
    if (kinds && scaleBar) {
        // The caption under the bar: a column of glued pages is seldom wider than the bar.
        const double high = dots(kScaleBarHighMm);
        const std::string caption = CoreText::translate("Legend", kScaleCaption);
        const double captionWidth = width(SheetFont::kText, caption);
        l.scaleBar = true;
        l.bar = SheetBox{left, bottom + dots(kBlockGapMm), dots(kScaleBarMm), high};
        l.barCaption = {caption, SheetBox{left, l.bar.Bottom(), captionWidth + dots(1), textHeight}};
        bottom = l.barCaption.box.Bottom();
        right = std::max({right, l.bar.Right(), l.barCaption.box.Right()});
    }
    const double boundsRight = std::max(right, kindsEnd);
    l.bounds = SheetBox{double(target.left), namesTop, boundsRight - target.left, bottom - namesTop};
    l.bottom = bottom;
    return l;
}

namespace {

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
// (left, top) and `width` wide; returns its bottom. Without `kinds` the block is the sheet's
// title and facts alone.
double PlaceBlock(LegendPlace& l, double left, double top, double width, int dpi, const SheetTextMeasure& measure,
                  double largest, bool scaleBar, bool kinds = true)
{
    const auto dots = [dpi](double mm) { return Dots(mm, dpi); };
    const double titleHeight = measure(SheetFont::kTitle, {}).second;
    const double textHeight = measure(SheetFont::kText, {}).second;
    const double kindRow = std::max(largest, textHeight);
    double y = top;
    if (l.songFacts) {
        l.title = SheetBox{left, y, width, titleHeight};
        l.facts = SheetBox{left, y + titleHeight, width, 2 * textHeight}; // wraps onto a second line
        l.shownOnItsOwnLine = true;
        y += titleHeight + 2 * textHeight;
        if (kinds)
            y += dots(kBlockClearMm);
    }
    l.kinds.clear();
    l.scaleBar = false;
    if (!kinds) {
        l.keys.clear();
        return y;
    }
    double right = 0;
    y = PlaceKinds(l, left, y, width, largest, kindRow, dpi, measure, right) + kindRow;
    y = PlaceKeys(l, left, y, width, kindRow, dpi, measure, right);
    l.scaleBar = scaleBar;
    if (scaleBar) {
        const double high = dots(kScaleBarHighMm);
        l.bar = SheetBox{left, y + dots(kBlockClearMm), dots(kScaleBarMm), high};
        y = l.bar.Bottom();
        const std::string caption = CoreText::translate("Legend", kScaleCaption);
        const double captionWidth = measure(SheetFont::kText, caption).first;
        l.barCaption = {caption, SheetBox{left, y, captionWidth + dots(1), textHeight}};
        y += textHeight;
    }
    return y;
}

} // namespace

double SheetLineHeight(const SheetTextMeasure& measure, int dpi)
{
    return Dots(kBlockGapMm, dpi) + measure(SheetFont::kTitle, {}).second + 2 * measure(SheetFont::kText, {}).second;
}

// The names under the strings, then the block below them: whole where the page has room, else
// without the scale bar, else the sheet's title and facts alone, else the names alone. Never
// among the strings: a player reads the lines, and a line that breaks reads as a missing string.
void PlaceLegendOnPage(SheetPlan& plan, const ScoreGeometry& score, const SheetTextMeasure& measure, bool songFacts,
                       const SheetBox& textArea, const std::vector<LegendPlace::Key>& keys)
{
    const int dpi = plan.dotsPerInch;
    const auto dots = [dpi](double mm) { return Dots(mm, dpi); };
    const PictureStretch s(score, plan.score);
    LegendPlace& l = plan.legend;
    l = PlaceLegend(score, plan.score, plan.scoreEnd, dpi, measure, false, false, std::nullopt, true, 0, keys);
    for (SheetLabel& name : l.stringNames) // the outermost names keep off the edge
        name.box.left = std::clamp(name.box.left, textArea.left, textArea.Right() - name.box.width);
    double namesBottom = plan.scoreEnd;
    for (const SheetLabel& name : l.stringNames)
        namesBottom = std::max(namesBottom, name.box.Bottom());
    l.drawn = true;
    l.songFacts = songFacts;
    const double largest = 12 * std::max(s.sx, s.sy);
    const double width = std::min(textArea.width, dots(kBlockWidthMm));
    const double firstString = score.stringX.empty() ? textArea.left : s.X(score.stringX.front());
    const double belowLeft = std::clamp(firstString, textArea.left, std::max(textArea.left, textArea.Right() - width));
    const double belowTop = namesBottom + dots(kBlockGapMm);
    for (const auto& [kinds, bar] : {std::pair{true, true}, std::pair{true, false}, std::pair{false, false}}) {
        if (!kinds && !songFacts)
            break;
        LegendPlace trial = l;
        const double height = PlaceBlock(trial, 0, 0, width, dpi, measure, largest, bar, kinds);
        if (belowTop + height > textArea.Bottom())
            continue;
        PlaceBlock(l, belowLeft, belowTop, width, dpi, measure, largest, bar, kinds);
        l.bounds = SheetBox{textArea.left, double(plan.scoreEnd), textArea.width, belowTop + height - plan.scoreEnd};
        l.bottom = belowTop + height;
        return;
    }
    l.songFacts = false;
    l.kinds.clear();
    l.keys.clear();
    l.scaleBar = false;
    l.bounds = SheetBox{textArea.left, double(plan.scoreEnd), textArea.width, namesBottom - plan.scoreEnd};
    l.bottom = namesBottom;
}

namespace {

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

// Places the whole block as the page's verses where it finds room; false when it finds none.
bool PlaceVerseBlock(SheetPlan& plan, const ScoreGeometry& score, const std::vector<std::string>& verses,
                     const SheetTextMeasure& measure, const SheetBox& textArea)
{
    const int dpi = plan.dotsPerInch;
    std::vector<SheetLabel> lines;
    const auto [width, height] = VerseBlock(verses, std::min(textArea.width, Dots(kBlockWidthMm, dpi)), measure, lines);
    if (lines.empty())
        return true;
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
        return true;
    }
    for (double top = textArea.Bottom() - height; top >= textArea.top; top -= step)
        for (double left = textArea.left; left + width <= textArea.Right(); left += step)
            if (drawn.Free(SheetBox{left - clear, top - clear, width + 2 * clear, height + 2 * clear})) {
                put(left, top);
                return true;
            }
    return false;
}

} // namespace

// The verses on free paper of a page: below everything where there is room, else among the
// strings nearest the page's foot. Where the whole block finds none, as many of its first
// lines as do, with a last line that tells how many are left out.
void PlaceVersesOnPage(SheetPlan& plan, const ScoreGeometry& score, const std::vector<std::string>& verses,
                       const SheetTextMeasure& measure, const SheetBox& textArea)
{
    plan.legend.versesLeftOut = 0;
    if (verses.empty() || PlaceVerseBlock(plan, score, verses, measure, textArea))
        return;
    const auto cut = [&](size_t kept) {
        std::vector<std::string> lines(verses.begin(), verses.begin() + static_cast<long>(kept));
        lines.push_back(FilledText(CoreText::translate("Legend", "（ほかの歌詞 %1行は入りません）"),
                                   {std::to_string(verses.size() - kept)}));
        return lines;
    };
    // A shorter block fits wherever a longer one does: the most lines that fit, by halves.
    size_t fits = 0, fails = verses.size();
    while (fails - fits > 1) {
        const size_t mid = (fits + fails) / 2;
        (PlaceVerseBlock(plan, score, cut(mid), measure, textArea) ? fits : fails) = mid;
    }
    if (!PlaceVerseBlock(plan, score, cut(fits), measure, textArea))
        plan.legend.verses.clear();
    plan.legend.versesLeftOut = static_cast<int>(verses.size() - fits);
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

void KeepDrawnVoicesKeys(SheetPlan& plan, const SheetTextMeasure& measure)
{
    LegendPlace& l = plan.legend;
    if (!plan.player || plan.player->others != OthersDrawn::kHidden || l.keys.empty())
        return;
    l.keys = LegendKeys(plan.content, plan.colourVoices, plan.player->role);
    double right = 0;
    PlaceKeys(l, l.keysArea.left, l.keysArea.top, l.keysArea.width, l.keysArea.height, plan.dotsPerInch, measure, right);
}

} // namespace SheetSteps
