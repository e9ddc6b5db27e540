#include "render/WrittenScore.h"

#include "common/TextTranslation.h"
#include "score/Score.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <set>

namespace {

// Where each written measure is cut from: the played measure of its first pass.
struct WrittenCut {
    std::vector<int64_t> playedFrom, playedTo; // on the song's timeline
    std::vector<int32_t> start;                // on the written timeline, then its end
    std::vector<int> byTime;                   // the written measures by where they are cut from
};

RepeatFallback CutWritten(const RepeatForm& form, int64_t songLength, WrittenCut& cut)
{
    const size_t written = form.marks.size(), played = form.order.size();
    if (form.cut)
        return RepeatFallback::kTooLong;
    if (played == 0 || played >= kMaxPlayedMeasures || form.starts.size() != played + 1)
        return RepeatFallback::kMalformed;
    std::vector<int> first(written, -1);
    for (size_t k = 0; k < played; ++k) {
        const int w = form.order[k];
        if (w < 0 || static_cast<size_t>(w) >= written || form.starts[k] > form.starts[k + 1])
            return RepeatFallback::kMalformed;
        if (first[static_cast<size_t>(w)] < 0)
            first[static_cast<size_t>(w)] = static_cast<int>(k);
    }
    if (std::find(first.begin(), first.end(), -1) != first.end())
        return RepeatFallback::kMalformed; // a measure the way through never reaches
    cut.start.push_back(0);
    for (size_t w = 0; w < written; ++w) {
        const auto k = static_cast<size_t>(first[w]);
        // The first measure takes the grid's start with it: a pickup's rest comes before it.
        const int64_t from = k == 0 ? 0 : std::clamp<int64_t>(form.starts[k], 0, songLength);
        const int64_t to = std::clamp<int64_t>(form.starts[k + 1], from, songLength);
        cut.playedFrom.push_back(from);
        cut.playedTo.push_back(to);
        cut.start.push_back(static_cast<int32_t>(cut.start.back() + (to - from)));
        cut.byTime.push_back(static_cast<int>(w));
    }
    std::sort(cut.byTime.begin(), cut.byTime.end(),
              [&](int a, int b) { return cut.playedFrom[size_t(a)] < cut.playedFrom[size_t(b)]; });
    return RepeatFallback::kNone;
}

// The written measure a played time falls in, when that is the measure's first pass; else -1.
int WrittenAt(const WrittenCut& cut, int64_t time)
{
    // The pieces never overlap: the last one starting at or before the time is the only candidate.
    const auto after = std::upper_bound(cut.byTime.begin(), cut.byTime.end(), time,
                                        [&](int64_t t, int w) { return t < cut.playedFrom[size_t(w)]; });
    if (after == cut.byTime.begin())
        return -1;
    const int w = *std::prev(after);
    return time < cut.playedTo[size_t(w)] ? w : -1;
}

std::string EndingText(const std::vector<int>& numbers)
{
    std::string text;
    for (int n : numbers)
        text += std::to_string(n) + ".";
    return text;
}

// The first note from `time` on and the last before it, or -1.
int FirstNoteFrom(const ScoreLayout& layout, int32_t time)
{
    const auto it = std::lower_bound(layout.notes.begin(), layout.notes.end(), time,
                                     [](const ScoreNote& n, int32_t t) { return n.time < t; });
    return it == layout.notes.end() ? -1 : static_cast<int>(it - layout.notes.begin());
}

int LastNoteBefore(const ScoreLayout& layout, int32_t time)
{
    const int next = FirstNoteFrom(layout, time);
    const int last = next < 0 ? static_cast<int>(layout.notes.size()) - 1 : next - 1;
    return last;
}

void AddJumpsAndSigns(const RepeatForm& form, const WrittenCut& cut, ScoreLayout& out)
{
    const auto startOf = [&](int w) { return cut.start[static_cast<size_t>(w)]; };
    const auto endOf = [&](int w) { return cut.start[static_cast<size_t>(w) + 1]; };
    // The note the line leaves: the measure's last; the note it enters: the measure's first.
    const auto leaving = [&](int w) {
        const int i = LastNoteBefore(out, endOf(w));
        return i >= 0 && out.notes[static_cast<size_t>(i)].time >= startOf(w) ? i : -1;
    };
    const auto entering = [&](int w) {
        const int i = FirstNoteFrom(out, startOf(w));
        return i >= 0 && out.notes[static_cast<size_t>(i)].time < endOf(w) ? i : -1;
    };
    std::set<std::pair<int32_t, int32_t>> seen;
    for (size_t k = 0; k + 1 < form.order.size(); ++k) {
        const int a = form.order[k], b = form.order[k + 1];
        if (b == a + 1)
            continue;
        // A measure without a note hands its end or start on to the nearest note.
        int from = leaving(a), to = entering(b);
        if (from < 0)
            from = LastNoteBefore(out, endOf(a));
        if (to < 0)
            to = FirstNoteFrom(out, startOf(b));
        if (from < 0 || to < 0)
            continue;
        const int32_t fromTime = out.notes[static_cast<size_t>(from)].time, toTime = out.notes[static_cast<size_t>(to)].time;
        if (seen.insert({fromTime, toTime}).second) {
            ScoreJump jump{fromTime, toTime};
            jump.fromMeasure = a + 1 - out.numberShift;
            jump.toMeasure = b + 1 - out.numberShift;
            out.jumps.push_back(jump);
        }
    }
    for (size_t w = 0; w < form.marks.size(); ++w) {
        const MeasureMarks& m = form.marks[w];
        const int firstNote = entering(static_cast<int>(w)), lastNote = leaving(static_cast<int>(w));
        const auto add = [&](int note, SignKind kind, std::string text) {
            if (note >= 0)
                out.signs.push_back({out.notes[static_cast<size_t>(note)].time, kind, std::move(text)});
        };
        if (m.endingStart && !m.ending.empty())
            add(firstNote, SignKind::kEnding, EndingText(m.ending));
        if (!m.segno.empty())
            add(firstNote, SignKind::kSegno, {});
        if (!m.coda.empty())
            add(firstNote, SignKind::kCoda, {});
        if (m.fine)
            add(lastNote, SignKind::kFine, "Fine");
        if (m.daCapo)
            add(lastNote, SignKind::kDaCapo, "D.C.");
        if (!m.dalSegno.empty())
            add(lastNote, SignKind::kDalSegno, "D.S.");
        if (!m.toCoda.empty())
            add(lastNote, SignKind::kToCoda, {});
    }
    std::stable_sort(out.signs.begin(), out.signs.end(),
                     [](const ScoreSign& a, const ScoreSign& b) { return a.time < b.time; });
}

} // namespace

ScoreLayout LayOutWritten(const Score& score)
{
    ScoreLayout played = LayOutMeasures(score, 1, std::max(1, score.measureCount));
    RepeatForm form = score.repeats;
    for (int64_t& start : form.starts)
        start = UnitsOfTicks(start, score.meter.beatTicks);
    if (!form.Jumps())
        return played;
    WrittenCut cut;
    played.fallback = CutWritten(form, played.totalLength, cut);
    if (played.fallback != RepeatFallback::kNone)
        return played;

    ScoreLayout out;
    out.melodyName = played.melodyName;
    out.totalLength = cut.start.back();
    out.pickupStart = played.pickupStart;
    out.numberShift = played.numberShift;
    out.verses = played.verses;
    out.beatDivision = played.beatDivision;
    const auto written = [&](int w, int64_t time) {
        return static_cast<int32_t>(cut.start[static_cast<size_t>(w)] + (time - cut.playedFrom[static_cast<size_t>(w)]));
    };
    for (size_t i = 0; i < played.notes.size(); ++i) {
        const int w = WrittenAt(cut, played.notes[i].time);
        if (w < 0)
            continue;
        ScoreNote note = played.notes[i];
        const int32_t at = written(w, note.time);
        note.sound += at - note.time;
        note.time = at;
        out.notes.push_back(note);
        out.words.push_back(i < played.words.size() ? played.words[i] : std::string());
    }
    for (const LaidVoice& voice : played.voices) {
        LaidVoice& once = out.voices.emplace_back(LaidVoice{voice.role, voice.name, {}});
        for (ScoreNote note : voice.notes)
            if (const int w = WrittenAt(cut, note.time); w >= 0) {
                const int32_t at = written(w, note.time);
                note.sound += at - note.time;
                note.time = at;
                once.notes.push_back(note);
            }
        std::stable_sort(once.notes.begin(), once.notes.end(),
                         [](const ScoreNote& a, const ScoreNote& b) { return a.time < b.time; });
    }
    // Chord names where they change in the written order: a measure reached by a jump shows
    // the chord it starts with even when the measure played before it ended in the same.
    std::string before;
    for (size_t w = 0; w < cut.playedFrom.size(); ++w) {
        const int64_t from = cut.playedFrom[w], to = cut.playedTo[w];
        const auto add = [&](int32_t time, const std::string& name) {
            if (name != before)
                out.chords.push_back({time, name});
            before = name;
        };
        // The chords by time: the one in force at the piece's start, then those inside it.
        auto it = std::upper_bound(played.chords.begin(), played.chords.end(), from,
                                   [](int64_t t, const ScoreChord& c) { return t < c.time; });
        if (it != played.chords.begin())
            add(cut.start[w], std::prev(it)->name);
        for (; it != played.chords.end() && it->time < to; ++it)
            add(written(static_cast<int>(w), it->time), it->name);
        // Bar lines that close nothing after the last note make no measure of their own.
        if (cut.start[w + 1] > cut.start[w] || w + 1 < cut.playedFrom.size())
            out.measures.push_back({cut.start[w], static_cast<int>(w) + 1});
    }
    // Marks whose measures all fall past the song's end leave nothing to draw once.
    if (out.measures.empty()) {
        played.fallback = RepeatFallback::kMalformed;
        return played;
    }
    AddJumpsAndSigns(form, cut, out);
    for (const int w : form.order) {
        const int32_t a = cut.start[static_cast<size_t>(w)], b = cut.start[static_cast<size_t>(w) + 1];
        if (!out.playing.empty() && out.playing.back().second == a)
            out.playing.back().second = b;
        else
            out.playing.push_back({a, b});
    }
    return out;
}

namespace {

// The routing's work (pairs of lines compared) grows with the lines, up to a bound that
// keeps any score's routing within some tens of milliseconds; a score that needs more is
// written out. Folk tunes with many endings use a few thousand.
constexpr int64_t kRouteWorkBase = 100000;
constexpr int64_t kRouteWorkPerLine = 4000;
constexpr int64_t kMostRouteWork = 2000000;

// A routed line's place, in string units: strings at 0, 1, ...; gap g at g + 0.5.
struct Route {
    int32_t from, to;
    double fromX, toX, gapX;
    int32_t Top() const { return std::min(from, to); }
    int32_t Bottom() const { return std::max(from, to); }
};

bool Between(double x, double a, double b)
{
    return x > std::min(a, b) && x < std::max(a, b);
}

bool Overlap(double a1, double a2, double b1, double b2)
{
    return std::max(std::min(a1, a2), std::min(b1, b2)) < std::min(std::max(a1, a2), std::max(b1, b2));
}

// Whether two routes run into each other: side by side in one gap, a piece across another's,
// or two pieces along one row.
// Two lines that both leave one note, or both enter one, may share its side: they run as one
// out of the circle and part where the nearer turns, so that only its corner meets the other.
bool Meet(const Route& a, const Route& b)
{
    if (a.gapX == b.gapX && a.Top() <= b.Bottom() && b.Top() <= a.Bottom())
        return true;
    const auto shared = [](const Route& r, const Route& other, int32_t row, double x) {
        return (row == r.from && x == r.fromX && other.from == row && other.fromX == x) ||
               (row == r.to && x == r.toX && other.to == row && other.toX == x);
    };
    const auto acrossRun = [&](const Route& r, const Route& run) {
        for (const auto& [row, x] : {std::pair{r.from, r.fromX}, std::pair{r.to, r.toX}})
            if (row >= run.Top() && row <= run.Bottom() && Between(run.gapX, x, r.gapX) && !shared(r, run, row, x))
                return true;
        return false;
    };
    if (acrossRun(a, b) || acrossRun(b, a))
        return true;
    for (const auto& [rowA, xA] : {std::pair{a.from, a.fromX}, std::pair{a.to, a.toX}})
        for (const auto& [rowB, xB] : {std::pair{b.from, b.fromX}, std::pair{b.to, b.toX}})
            if (rowA == rowB && Overlap(xA, a.gapX, xB, b.gapX) && !(xA == xB && shared(a, b, rowA, xA)))
                return true;
    return false;
}

// The flow lines from note to note, in string units and times: each runs from one note that
// has a string to the next.
struct Flow {
    int32_t from, to;
    int a, b;
};

std::vector<Flow> FlowsOf(const ScoreLayout& layout, const ScoreFrame& frame)
{
    std::vector<Flow> flows;
    std::optional<std::pair<int32_t, int>> last;
    for (const ScoreNote& n : layout.notes) {
        const int string = StringOf(frame, n.pitch);
        if (string < 0)
            continue;
        if (last)
            flows.push_back({last->first, n.time, last->second, string});
        last = std::pair{n.time, string};
    }
    return flows;
}

// Whether a flow line crosses the run of a line in gap `g` between the times `top` and
// `bottom`: it passes the gap at a time inside the run.
bool FlowCrossesRun(const std::vector<Flow>& flows, int32_t top, int32_t bottom, int g)
{
    const double x = g + 0.5;
    auto it = std::lower_bound(flows.begin(), flows.end(), top, [](const Flow& f, int32_t t) { return f.to <= t; });
    for (; it != flows.end() && it->from < bottom; ++it)
        if (Between(x, it->a, it->b))
            return true;
    return false;
}

// The string of the note at `time`; -1 when it has none.
int StringAt(const ScoreLayout& layout, const ScoreFrame& frame, int32_t time)
{
    const int i = FirstNoteFrom(layout, time);
    if (i < 0 || layout.notes[static_cast<size_t>(i)].time != time)
        return -1;
    return StringOf(frame, layout.notes[static_cast<size_t>(i)].pitch);
}

} // namespace

namespace {

bool RouteClearOf(ScoreLayout& layout, const ScoreFrame& frame, const std::vector<Flow>* clearOf)
{
    const int gaps = std::clamp(frame.stringCount, 0, kMaxStrings) - 1;
    // The lines to route, short ones first, so that a line inside a longer one's span keeps
    // the nearer gaps. A note without a string draws no line.
    struct Line {
        size_t jump;
        int a, b;                  // the strings of its ends
        std::vector<int> gaps;     // to try, shortest line first
        std::vector<size_t> below; // earlier lines whose rows it shares, earliest first
    };
    std::vector<size_t> byLength(layout.jumps.size());
    for (size_t i = 0; i < byLength.size(); ++i)
        byLength[i] = i;
    std::stable_sort(byLength.begin(), byLength.end(), [&](size_t x, size_t y) {
        const ScoreJump &p = layout.jumps[x], &q = layout.jumps[y];
        return std::abs(p.to - p.from) < std::abs(q.to - q.from);
    });
    std::vector<Line> lines;
    for (const size_t i : byLength) {
        const ScoreJump& jump = layout.jumps[i];
        if (jump.from == jump.to)
            return false; // out of a note and back into it on the same row
        const int a = StringAt(layout, frame, jump.from), b = StringAt(layout, frame, jump.to);
        if (a >= 0 && b >= 0)
            lines.push_back({i, a, b, {}, {}});
    }
    // The work allowed, counted in pairs of lines looked at: a search that finds no gaps
    // within it gives up, and the score is written out.
    const int64_t budget =
        std::min(kMostRouteWork, kRouteWorkBase + kRouteWorkPerLine * static_cast<int64_t>(lines.size()));
    int64_t work = 0;
    // Only lines that share a row can run into each other: pair them once, sweeping by time.
    std::vector<size_t> byTop(lines.size());
    for (size_t k = 0; k < byTop.size(); ++k)
        byTop[k] = k;
    const auto top = [&](size_t k) { return std::min(layout.jumps[lines[k].jump].from, layout.jumps[lines[k].jump].to); };
    const auto bottom = [&](size_t k) { return std::max(layout.jumps[lines[k].jump].from, layout.jumps[lines[k].jump].to); };
    std::sort(byTop.begin(), byTop.end(), [&](size_t x, size_t y) { return top(x) < top(y); });
    for (size_t u = 0; u < byTop.size(); ++u)
        for (size_t v = u + 1; v < byTop.size() && top(byTop[v]) <= bottom(byTop[u]); ++v) {
            if (++work > budget)
                return false;
            const auto [early, late] = std::minmax(byTop[u], byTop[v]);
            lines[late].below.push_back(early);
        }
    for (Line& line : lines) {
        std::sort(line.below.begin(), line.below.end());
        const ScoreJump& jump = layout.jumps[line.jump];
        for (int g = 0; g < gaps; ++g)
            if (!clearOf || !FlowCrossesRun(*clearOf, std::min(jump.from, jump.to), std::max(jump.from, jump.to), g))
                line.gaps.push_back(g);
        const auto length = [&](int g) { return std::abs(g + 0.5 - line.a) + std::abs(g + 0.5 - line.b); };
        std::stable_sort(line.gaps.begin(), line.gaps.end(), [&](int x, int y) { return length(x) < length(y); });
    }
    // Each line takes the first free gap in its order. A line that finds none sends the search
    // back to the latest line that blocked one of its gaps, not merely to the one before it:
    // lines between that share no row with it cannot help, however their gaps are chosen.
    std::vector<Route> routes(lines.size());
    std::vector<size_t> next(lines.size(), 0);          // the position in gaps to try next
    std::vector<std::set<size_t>> blockedBy(lines.size()); // earlier lines that took a gap from it
    size_t k = 0;
    while (k < lines.size()) {
        Line& line = lines[k];
        const ScoreJump& jump = layout.jumps[line.jump];
        bool placed = false;
        while (!placed && next[k] < line.gaps.size()) {
            const Route r{jump.from, jump.to, double(line.a), double(line.b), line.gaps[next[k]++] + 0.5};
            placed = true;
            for (const size_t j : line.below) {
                if (++work > budget)
                    return false;
                if (Meet(r, routes[j])) {
                    blockedBy[k].insert(j);
                    placed = false;
                    break;
                }
            }
            if (placed)
                routes[k] = r;
        }
        if (placed) {
            ++k;
            continue;
        }
        if (blockedBy[k].empty())
            return false; // no gap at all, whatever the others take
        const size_t back = *blockedBy[k].rbegin();
        blockedBy[k].erase(back);
        blockedBy[back].insert(blockedBy[k].begin(), blockedBy[k].end());
        for (size_t j = back + 1; j <= k; ++j) {
            next[j] = 0;
            blockedBy[j].clear();
        }
        k = back;
    }
    for (ScoreJump& jump : layout.jumps)
        jump.gap.reset();
    for (size_t k2 = 0; k2 < lines.size(); ++k2)
        layout.jumps[lines[k2].jump].gap = static_cast<int>(std::lround(routes[k2].gapX - 0.5));
    return true;
}

} // namespace

bool RouteJumps(ScoreLayout& layout, const ScoreFrame& frame)
{
    // Clear of the flow lines where the strings allow it; else crossing them, rather than
    // written out.
    const std::vector<Flow> flows = FlowsOf(layout, frame);
    return RouteClearOf(layout, frame, &flows) || RouteClearOf(layout, frame, nullptr);
}

std::vector<JumpLine> JumpLines(const ScoreGeometry& score, const ScoreLayout& layout)
{
    std::vector<JumpLine> lines;
    const auto noteAt = [&](int32_t time) -> const PlacedNote* {
        for (const PlacedNote& n : score.notes)
            if (n.source >= 0 && static_cast<size_t>(n.source) < layout.notes.size() &&
                layout.notes[static_cast<size_t>(n.source)].time == time)
                return &n;
        return nullptr;
    };
    const int top = ScoreY(score, layout.totalLength, 0), bottom = ScoreY(score, layout.totalLength, layout.totalLength);
    for (const ScoreJump& jump : layout.jumps) {
        if (!jump.gap || *jump.gap < 0 || static_cast<size_t>(*jump.gap) + 1 >= score.stringX.size())
            continue;
        const size_t gap = static_cast<size_t>(*jump.gap);
        const int x = (score.stringX[gap] + score.stringX[gap + 1]) / 2;
        const PlacedNote* from = jump.fromShown ? noteAt(jump.from) : nullptr;
        const PlacedNote* to = jump.toShown ? noteAt(jump.to) : nullptr;
        if ((jump.fromShown && !from) || (jump.toShown && !to))
            continue;
        // Beside a circle, on the gap's side of it.
        const auto side = [&](const PlacedNote& n) {
            const int radius = (n.right - n.left) / 2;
            return JumpLine::Point{n.x < x ? n.x + radius : n.x - radius, n.y};
        };
        // An end beyond the range: the line runs on to the range's edge the way it goes.
        const auto edge = [&](int32_t time) { return JumpLine::Point{x, time < 0 ? top : bottom}; };
        JumpLine line;
        if (from) {
            line.points = {side(*from), {x, from->y}};
        } else {
            line.points = {edge(jump.from)};
            if (to)
                line.label = FilledText(CoreText::translate("Legend", "第%1小節から"), {std::to_string(jump.fromMeasure)});
        }
        if (to) {
            line.points.push_back({x, to->y});
            line.points.push_back(side(*to));
        } else {
            line.points.push_back(edge(jump.to));
            line.arrow = false;
            // Back to the first written measure, a pickup too, is back to the start.
            if (from)
                line.label = jump.toMeasure + layout.numberShift <= 1
                                 ? CoreText::translate("Legend", "冒頭へ")
                                 : FilledText(CoreText::translate("Legend", "第%1小節へ"), {std::to_string(jump.toMeasure)});
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

JumpArrow ArrowOf(const JumpLine& line)
{
    // As long as a short note's circle is wide, half as wide as long.
    constexpr double kLength = 6, kHalfWidth = 2.2;
    JumpArrow head{};
    if (line.points.size() < 2)
        return head;
    const JumpLine::Point tip = line.points.back(), before = line.points[line.points.size() - 2];
    const double dx = tip.x - before.x, dy = tip.y - before.y;
    const double length = std::max(std::hypot(dx, dy), 1e-9);
    const double ux = dx / length, uy = dy / length;
    head.base = {tip.x - ux * kLength, tip.y - uy * kLength};
    head.corners = {std::pair{double(tip.x), double(tip.y)},
                    std::pair{head.base.first - uy * kHalfWidth, head.base.second + ux * kHalfWidth},
                    std::pair{head.base.first + uy * kHalfWidth, head.base.second - ux * kHalfWidth}};
    return head;
}

std::string FallbackNotice(RepeatFallback why)
{
    switch (why) {
    case RepeatFallback::kNone: break;
    case RepeatFallback::kMalformed: return CoreText::translate("Legend", "繰り返しを展開（記号がそろっていないため）");
    case RepeatFallback::kTooLong: return CoreText::translate("Legend", "繰り返しを展開（曲が長すぎるため）");
    case RepeatFallback::kCrossing: return CoreText::translate("Legend", "繰り返しを展開（線が弦の間に収まらないため）");
    }
    return {};
}

const char* FallbackName(RepeatFallback why)
{
    switch (why) {
    case RepeatFallback::kNone: break;
    case RepeatFallback::kMalformed: return "malformed";
    case RepeatFallback::kTooLong: return "too_long";
    case RepeatFallback::kCrossing: return "crossing";
    }
    return "none";
}
