// The texts beside the circles of a sheet, placed at their printed size.

#include "print/SheetSteps.h"

#include <map>

#include <algorithm>
#include <cmath>

namespace SheetSteps {

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

// The chosen texts placed beside the circles of a score drawn into `target`: their printed
// size decides where they find room. With `within`, they keep inside it (picture pixels).
ScoreWords PlaceWords(const FittedScore& fitted, const WordChoices& choices, const DeviceRect& target,
                      const SheetTextMeasure& measure, PlayingMarks marks, const std::vector<double>& fences,
                      const TextBox* within)
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
    return PlayingMarks{true, true, sheet.shown.counts, true};
}

// The leftmost and rightmost picture x the placed texts reach; none without a text.
std::optional<std::pair<double, double>> WordsReach(const ScoreWords& words)
{
    std::optional<std::pair<double, double>> reach;
    const auto widen = [&](const TextBox& b) {
        reach = reach ? std::pair{std::min(reach->first, b.left), std::max(reach->second, b.right)}
                      : std::pair{b.left, b.right};
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

} // namespace SheetSteps

SheetFont SheetFontOfText(TextKind kind)
{
    return kind == TextKind::kChord           ? SheetFont::kChord
           : kind == TextKind::kMeasureNumber ? SheetFont::kMeasureNumber
           : kind == TextKind::kCount         ? SheetFont::kCount
           : kind == TextKind::kSign          ? SheetFont::kSign
                                              : SheetFont::kWord;
}
