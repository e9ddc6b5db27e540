#include "render/ScoreWords.h"

#include "render/TextObstacles.h"
#include "render/WrittenScore.h"
#include "song/MeterBeats.h"

#include <algorithm>
#include <cmath>

namespace {

// Room kept between a text and what it must not touch, in picture pixels.
constexpr double kPad = 1.0;
// A syllable strays from its circle by at most this share of the string spacing.
constexpr double kWordReach = 0.6;

TextBox BoxBeside(double x, double y, double radius, int side, double width, double height)
{
    TextBox box;
    box.top = y - height / 2;
    box.bottom = y + height / 2;
    if (side > 0) {
        box.left = x + radius + kPad;
        box.right = box.left + width;
    } else {
        box.right = x - radius - kPad;
        box.left = box.right - width;
    }
    return box;
}

TextBox Grown(const TextBox& box, double by)
{
    return {box.left - by, box.top - by, box.right + by, box.bottom + by};
}

bool Inside(const TextBox& box, const TextBox& area)
{
    return box.left >= area.left && box.right <= area.right && box.top >= area.top && box.bottom <= area.bottom;
}

double Spacing(const ScoreGeometry& score)
{
    return score.stringX.size() >= 2 ? score.stringX[1] - score.stringX[0] : 32;
}

// Picture pixels of a jump line's half width, with room, and of a drawn segno or coda sign.
constexpr double kJumpHalfWidth = 1.5;
constexpr double kSignSize = 9;

// Picture pixels of the marks a sheet to play from adds.
constexpr double kDotRadius = 1.3;
constexpr double kRestWidth = 7, kRestHeight = 2.5;

// The beats of a rest as a player counts them: "2", "1.5".
std::string BeatsText(int units)
{
    if (units % kUnitsPerBeat == 0)
        return std::to_string(units / kUnitsPerBeat);
    const int64_t tenths = int64_t(units) * 10 / kUnitsPerBeat;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

// The side of a note's circle away from the flow line to the next note; the last looks back.
int SideAway(const ScoreGeometry& score, const std::vector<FlowEnds>& flows, size_t i)
{
    const PlacedNote& note = score.notes[i];
    for (const std::optional<FlowLine>& flow : {flows[i].out, flows[i].in}) {
        if (!flow)
            continue;
        const PlacedNote& other = score.notes[flow->from == i ? flow->to : flow->from];
        if (other.x != note.x)
            return other.x > note.x ? -1 : 1;
    }
    return 1;
}

// Places for a text beside a circle: the preferred side first, then the other, each nearest
// the circle's height first and straying at most `reach` along the string.
std::vector<TextBox> PlacesBeside(const PlacedNote& note, int side, double width, double height, double reach)
{
    const double radius = (note.right - note.left) / 2.0;
    std::vector<TextBox> places;
    for (int s : {side, -side})
        for (double dy = 0; dy <= reach; dy += height / 2)
            for (double sign : {-1.0, 1.0})
                if (dy > 0 || sign > 0)
                    places.push_back(BoxBeside(note.x, note.y + sign * dy, radius, s, width, height));
    return places;
}

} // namespace

int DotsOfLength(int length)
{
    for (int64_t plain = kUnitsPerBeat / 16; plain <= 16 * kUnitsPerBeat; plain *= 2) {
        if (int64_t(length) * 2 == plain * 3)
            return 1;
        if (int64_t(length) * 4 == plain * 7)
            return 2;
    }
    return 0;
}

ScoreWords PlaceScoreWords(const ScoreGeometry& score, const ScoreLayout& layout, const WordChoices& choices,
                           const TextExtent& extent, const TextBox* within, PlayingMarks marks,
                           const std::vector<double>& fences)
{
    ScoreWords out;
    const TextBox area = within ? *within : TextBox{0, 0, double(score.width), double(score.height)};
    TextObstacles taken(score.width, score.height);
    for (const double x : fences)
        taken.AddBox({x - kPad, 0, x + kPad, double(score.height)});
    double largestRadius = 0;
    for (const PlacedNote& n : score.notes) {
        taken.AddBox({double(n.left), double(n.top), double(n.right), double(n.bottom)});
        largestRadius = std::max(largestRadius, (n.right - n.left) / 2.0);
    }
    for (const FlowLine& flow : score.flows)
        taken.AddLine(score.notes[flow.from].x, score.notes[flow.from].y, score.notes[flow.to].x, score.notes[flow.to].y);
    const std::vector<FlowEnds> flows = FlowEndsByNote(score);
    // An upright or level line no text may stand on, as on a circle.
    const auto keepOff = [&](int ax, int ay, int bx, int by) {
        taken.AddBox(Grown({double(std::min(ax, bx)), double(std::min(ay, by)), double(std::max(ax, bx)),
                            double(std::max(ay, by))},
                           kJumpHalfWidth));
    };
    // A synch line tells which plucks fall at once: a text on it would read as one of them.
    for (const SynchLine& synch : score.synchs)
        keepOff(score.notes[synch.from].x, score.notes[synch.from].y, score.notes[synch.to].x, score.notes[synch.to].y);
    // A jump line is read as a way to follow.
    for (const JumpLine& line : score.jumps) {
        for (size_t i = 1; i < line.points.size(); ++i)
            keepOff(line.points[i - 1].x, line.points[i - 1].y, line.points[i].x, line.points[i].y);
        if (line.arrow && line.points.size() >= 2) {
            const JumpArrow head = ArrowOf(line);
            TextBox box{head.corners[0].first, head.corners[0].second, head.corners[0].first, head.corners[0].second};
            for (const auto& [x, y] : head.corners)
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x), std::max(box.bottom, y)};
            taken.AddBox(box);
        }
    }
    const double spacing = Spacing(score);
    // A text over a string line reads as a mark on that string: signs keep to the gaps.
    const auto acrossString = [&](const TextBox& box) {
        return std::any_of(score.stringX.begin(), score.stringX.end(),
                           [&](int x) { return x + 0.5 > box.left && x - 0.5 < box.right; });
    };
    const auto offStrings = [&](std::vector<TextBox> places) {
        places.erase(std::remove_if(places.begin(), places.end(), acrossString), places.end());
        return places;
    };
    // Takes the first place inside the picture that keeps off the circles and texts already
    // there, and off the lines too unless `overLines`; false when none does.
    const auto takeFirst = [&](const std::vector<TextBox>& places, bool overLines, std::vector<PlacedText>& into,
                               const std::string& text) {
        for (const TextBox& box : places) {
            if (!Inside(box, area) || taken.HitsBox(Grown(box, kPad / 2)) || (!overLines && taken.HitsLine(box)))
                continue;
            taken.AddBox(box);
            into.push_back({text, box});
            return true;
        }
        return false;
    };

    // Where a cut line goes on to: beside its open end, inside the picture.
    for (const JumpLine& line : score.jumps) {
        if (line.label.empty() || line.points.size() < 2)
            continue;
        const bool atStart = line.arrow; // a line with its arrowhead came in from the edge
        const JumpLine::Point end = atStart ? line.points.front() : line.points.back();
        const JumpLine::Point next = atStart ? line.points[1] : line.points[line.points.size() - 2];
        const auto [w, h] = extent(TextKind::kSign, line.label);
        // Along the line from its end, on either side of it.
        const double top = next.y > end.y ? end.y : end.y - h;
        std::vector<TextBox> places;
        for (const int side : {1, -1}) {
            const double near = end.x + side * (kJumpHalfWidth + kPad);
            places.push_back({side > 0 ? near : near - w, top, side > 0 ? near + w : near, top + h});
        }
        // Too wide for the half gap beside the line, it runs down along the line instead.
        const double turnedTop = next.y > end.y ? end.y : end.y - w;
        std::vector<TextBox> turned;
        for (const int side : {1, -1}) {
            const double near = end.x + side * (kJumpHalfWidth + kPad);
            turned.push_back({side > 0 ? near : near - h, turnedTop, side > 0 ? near + h : near, turnedTop + w});
        }
        std::vector<PlacedText> found;
        if (takeFirst(offStrings(places), false, found, line.label))
            out.signs.push_back({SignKind::kLineEnd, line.label, found.front().box});
        else if (takeFirst(offStrings(turned), false, found, line.label) ||
                 takeFirst(offStrings(turned), true, found, line.label))
            out.signs.push_back({SignKind::kLineEnd, line.label, found.front().box, true});
        else if (takeFirst(places, false, found, line.label) || takeFirst(places, true, found, line.label))
            out.signs.push_back({SignKind::kLineEnd, line.label, found.front().box});
        else
            ++out.signsLeftOut;
    }

    // The marks of the way through come first: a player cannot do without them.
    for (const ScoreSign& sign : layout.signs) {
        const auto at = std::find_if(score.notes.begin(), score.notes.end(), [&](const PlacedNote& n) {
            return n.source >= 0 && static_cast<size_t>(n.source) < layout.notes.size() &&
                   layout.notes[static_cast<size_t>(n.source)].time == sign.time;
        });
        if (at == score.notes.end())
            continue;
        const bool drawn = sign.kind == SignKind::kSegno || sign.kind == SignKind::kCoda || sign.kind == SignKind::kToCoda;
        const auto [w, h] = drawn ? std::pair{kSignSize, kSignSize} : extent(TextKind::kSign, sign.text);
        const size_t i = static_cast<size_t>(at - score.notes.begin());
        const std::vector<TextBox> places = PlacesBeside(*at, SideAway(score, flows, i), w, h, kWordReach * spacing);
        std::vector<PlacedText> found;
        if (takeFirst(offStrings(places), false, found, sign.text) || takeFirst(offStrings(places), true, found, sign.text) ||
            takeFirst(places, false, found, sign.text) || takeFirst(places, true, found, sign.text))
            out.signs.push_back({sign.kind, sign.text, found.front().box});
        else
            ++out.signsLeftOut;
    }

    if (choices.measures && !score.stringX.empty()) {
        for (const ScoreMeasure& m : layout.measures) {
            if (m.number < 1)
                continue; // a pickup, numbered 0 as the score does
            PlacedMeasure placed;
            placed.y = ScoreY(score, layout.totalLength, m.time);
            placed.number = m.number;
            const auto [w, h] = extent(TextKind::kMeasureNumber, std::to_string(m.number));
            const double y = placed.y + h / 2 + kPad;
            if (marks.numbersBesideNotes) {
                // Beside the measure's first note, so that it stands on whichever page holds the note.
                const auto first = std::find_if(score.notes.begin(), score.notes.end(), [&](const PlacedNote& n) {
                    return n.source >= 0 && static_cast<size_t>(n.source) < layout.notes.size() &&
                           layout.notes[static_cast<size_t>(n.source)].time >= m.time;
                });
                if (first != score.notes.end()) {
                    const double r = (first->right - first->left) / 2.0;
                    std::vector<TextBox> places = {BoxBeside(first->x, first->y, r, -1, w, h),
                                                   BoxBeside(first->x, first->y, r, 1, w, h),
                                                   BoxBeside(first->x, y, r, -1, w, h),
                                                   BoxBeside(first->x, y, r, 1, w, h)};
                    // Else the gaps nearest the note, just below the mark.
                    for (int d = 0; d < 3; ++d)
                        for (const int side : {-1, 1}) {
                            const double mid = first->x + side * (d + 0.5) * spacing;
                            places.push_back({mid - w / 2, y - h / 2, mid + w / 2, y + h / 2});
                        }
                    // Not into a band two glued pages share: there it would stand at a page's edge.
                    std::vector<TextBox> open;
                    for (const TextBox& box : places) {
                        bool inBand = false;
                        for (size_t f = 0; f + 1 < fences.size(); ++f)
                            inBand = inBand || (fences[f + 1] - fences[f] < spacing && box.left < fences[f + 1] &&
                                                box.right > fences[f]);
                        if (!inBand)
                            open.push_back(box);
                    }
                    std::vector<PlacedText> found;
                    if (takeFirst(open, false, found, {})) {
                        placed.numberBox = found.front().box;
                        out.measures.push_back(placed);
                        continue;
                    }
                    // Far from the note a number would be read as another measure's: the mark alone.
                    ++out.numbersLeftOut;
                    placed.numbered = false;
                    out.measures.push_back(placed);
                    continue;
                }
            }
            placed.numberBox = BoxBeside(score.stringX.front(), y, largestRadius, -1, w, h);
            if (within && !Inside(placed.numberBox, area)) {
                // No margin on this paper: the gaps from the lowest string up, just below the mark.
                std::vector<TextBox> places;
                for (size_t s = 1; s < score.stringX.size(); ++s) {
                    const double mid = (score.stringX[s] + score.stringX[s - 1]) / 2.0;
                    places.push_back({mid - w / 2, y - h / 2, mid + w / 2, y + h / 2});
                }
                std::vector<PlacedText> found;
                if (!takeFirst(places, false, found, {})) {
                    ++out.numbersLeftOut;
                    placed.numbered = false;
                    out.measures.push_back(placed);
                    continue;
                }
                placed.numberBox = found.front().box;
                out.measures.push_back(placed);
                continue;
            }
            out.measures.push_back(placed);
            taken.AddBox(placed.numberBox);
        }
    }

    if (marks.dots) {
        for (size_t i = 0; i < score.notes.size(); ++i) {
            const PlacedNote& note = score.notes[i];
            if (note.source < 0 || static_cast<size_t>(note.source) >= layout.notes.size())
                continue;
            const int count = DotsOfLength(layout.notes[static_cast<size_t>(note.source)].length);
            if (count == 0)
                continue;
            const double radius = (note.right - note.left) / 2.0;
            const int away = SideAway(score, flows, i);
            for (const int side : {away, -away}) {
                std::vector<TextBox> boxes;
                for (int k = 0; k < count; ++k) {
                    const double x = note.x + side * (radius + 2 * kPad + kDotRadius + k * 3 * kDotRadius);
                    boxes.push_back({x - kDotRadius, note.y - kDotRadius, x + kDotRadius, note.y + kDotRadius});
                }
                const bool free = std::all_of(boxes.begin(), boxes.end(), [&](const TextBox& b) {
                    return Inside(b, area) && !taken.HitsBox(Grown(b, kPad / 2)) && !taken.HitsLine(b);
                });
                if (!free)
                    continue;
                for (const TextBox& b : boxes) {
                    taken.AddBox(b);
                    out.dots.push_back({(b.left + b.right) / 2, double(note.y), kDotRadius});
                }
                break;
            }
        }
    }

    if (marks.rests) {
        // The gap after the last sound before a note: every laid-out note counts, drawn or not.
        const std::vector<ScoreNote>& all = layout.notes;
        for (const FlowLine& flow : score.flows) {
            const PlacedNote &a = score.notes[flow.from], &b = score.notes[flow.to];
            if (a.source < 0 || b.source < 0 || static_cast<size_t>(b.source) >= all.size())
                continue;
            const int32_t from = all[static_cast<size_t>(a.source)].time, to = all[static_cast<size_t>(b.source)].time;
            int32_t end = from;
            for (size_t k = static_cast<size_t>(a.source); k < static_cast<size_t>(b.source); ++k)
                end = std::max(end, all[k].time + all[k].length);
            const int32_t rest = to - end;
            if (to <= from || rest < kUnitsPerBeat)
                continue;
            const double y = ScoreY(score, layout.totalLength, end + rest / 2);
            const double x = b.y == a.y ? (a.x + b.x) / 2.0 : a.x + double(b.x - a.x) * (y - a.y) / (b.y - a.y);
            PlacedRest placed;
            placed.mark = {x - kRestWidth / 2, y - kRestHeight / 2, x + kRestWidth / 2, y + kRestHeight / 2};
            taken.AddBox(placed.mark);
            if (rest > kUnitsPerBeat) {
                placed.beats = BeatsText(rest);
                const auto [w, h] = extent(TextKind::kCount, placed.beats);
                std::vector<TextBox> places;
                for (const int side : {1, -1})
                    places.push_back(BoxBeside(x, y, kRestWidth / 2, side, w, h));
                std::vector<PlacedText> found;
                if (takeFirst(places, false, found, placed.beats) || takeFirst(places, true, found, placed.beats))
                    placed.label = found.front().box;
                else
                    placed.beats.clear(); // the mark alone
            }
            out.rests.push_back(placed);
        }
    }

    if (choices.words) {
        for (size_t i = 0; i < score.notes.size(); ++i) {
            const PlacedNote& note = score.notes[i];
            if (note.source < 0 || static_cast<size_t>(note.source) >= layout.words.size())
                continue;
            std::string word = layout.words[static_cast<size_t>(note.source)];
            word.erase(word.find_last_not_of(' ') + 1);
            word.erase(0, word.find_first_not_of(' '));
            if (word.empty())
                continue;
            const auto [w, h] = extent(TextKind::kWord, word);
            // Away from the line to the next note; first a place that crosses no line either,
            // then one that only keeps off circles and texts.
            const std::vector<TextBox> places = PlacesBeside(note, SideAway(score, flows, i), w, h, kWordReach * spacing);
            if (!takeFirst(places, false, out.words, word) && !takeFirst(places, true, out.words, word))
                ++out.wordsLeftOut;
        }
    }

    if (marks.counts) {
        size_t measure = 0;
        for (size_t i = 0; i < score.notes.size(); ++i) {
            const PlacedNote& note = score.notes[i];
            if (note.source < 0 || static_cast<size_t>(note.source) >= layout.notes.size())
                continue;
            const int32_t time = layout.notes[static_cast<size_t>(note.source)].time;
            while (measure + 1 < layout.measures.size() && layout.measures[measure + 1].time <= time)
                ++measure;
            const int32_t start = layout.measures.empty() ? 0 : layout.measures[measure].time;
            // Counts fall on sixths of a beat; a note between them has none.
            const int32_t into = time - start;
            const std::string text = into % kUnitsPerSixth == 0 ? CountAt(into / kUnitsPerSixth, layout.beatDivision) : "";
            if (text.empty())
                continue;
            const auto [w, h] = extent(TextKind::kCount, text);
            // Toward the line the syllable keeps away from.
            takeFirst(PlacesBeside(note, -SideAway(score, flows, i), w, h, kWordReach * spacing), false, out.counts, text);
        }
    }

    if (choices.chords && !score.stringX.empty()) {
        for (const ScoreChord& chord : layout.chords) {
            const std::string& name = chord.name;
            if (name.empty())
                continue;
            const auto [w, h] = extent(TextKind::kChord, name);
            const double y = ScoreY(score, layout.totalLength, chord.time);
            // The margin after the highest string first, then each gap from the top string down.
            std::vector<TextBox> places{BoxBeside(score.stringX.back(), y, largestRadius, 1, w, h)};
            for (size_t s = score.stringX.size(); s-- > 1;) {
                const double mid = (score.stringX[s] + score.stringX[s - 1]) / 2.0;
                places.push_back({mid - w / 2, y - h / 2, mid + w / 2, y + h / 2});
            }
            places.push_back(BoxBeside(score.stringX.front(), y, largestRadius, -1, w, h));
            if (!takeFirst(places, false, out.chords, name))
                ++out.chordsLeftOut;
        }
    }
    return out;
}
