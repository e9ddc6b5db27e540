#include "render/JumpRouting.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>

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

// What a line must keep clear of: the ways (flow and synch lines) its run may not cross, and
// on the rows of its ends what stands between its note and its gap. In string units and times.
class Clearance {
public:
    explicit Clearance(int gaps) : spans(static_cast<size_t>(std::max(gaps, 0))) {}

    // A way from string a at time ta to string b at time tb.
    void AddWay(double a, int32_t ta, double b, int32_t tb)
    {
        if (ta > tb)
            std::swap(a, b), std::swap(ta, tb);
        for (size_t g = 0; g < spans.size(); ++g)
            if (Between(g + 0.5, a, b))
                spans[g].push_back({ta, tb});
        if (ta == tb)
            return AddOnRow(ta, a, b);
        // Where it passes the rows the lines leave and enter.
        for (auto row = rows.upper_bound(ta); row != rows.end() && row->first < tb; ++row)
            row->second.push_back({a + (b - a) * double(row->first - ta) / double(tb - ta), std::nullopt});
    }

    // Rows to look at: only where a line leaves or enters a note do its pieces run sideways.
    void WatchRow(int32_t row) { rows.try_emplace(row); }
    // What stands on a row from string x (to string `to`, for a line along it).
    void AddOnRow(int32_t row, double x, std::optional<double> to = std::nullopt)
    {
        if (const auto found = rows.find(row); found != rows.end())
            found->second.push_back({x, to});
    }

    // Call once every way is added.
    void Index()
    {
        reach.assign(spans.size(), {});
        for (size_t g = 0; g < spans.size(); ++g) {
            std::sort(spans[g].begin(), spans[g].end());
            int32_t most = INT32_MIN;
            for (const auto& [from, to] : spans[g])
                reach[g].push_back(most = std::max(most, to));
        }
    }

    // Whether a line of `jump` from string a to string b may run in gap g.
    bool Allows(const ScoreJump& jump, int a, int b, int g) const
    {
        const int32_t top = std::min(jump.from, jump.to), bottom = std::max(jump.from, jump.to);
        const auto& s = spans[static_cast<size_t>(g)];
        const size_t before = static_cast<size_t>(
            std::lower_bound(s.begin(), s.end(), std::pair{bottom, INT32_MIN}) - s.begin());
        if (before > 0 && reach[static_cast<size_t>(g)][before - 1] > top)
            return false; // some way passes the gap while the line runs in it
        return PieceClear(jump.from, a, g + 0.5) && PieceClear(jump.to, b, g + 0.5);
    }

private:
    struct OnRow {
        double x;
        std::optional<double> to; // a way along the row runs from x to here
    };

    bool PieceClear(int32_t row, double from, double to) const
    {
        const auto found = rows.find(row);
        if (found == rows.end())
            return true;
        for (const OnRow& on : found->second)
            if (on.to ? Overlap(from, to, on.x, *on.to) : Between(on.x, from, to))
                return false;
        return true;
    }

    std::vector<std::vector<std::pair<int32_t, int32_t>>> spans; // per gap, by start
    std::vector<std::vector<int32_t>> reach;                    // the latest end so far
    std::map<int32_t, std::vector<OnRow>> rows;
};

// The string of the melody's note at `time` as the whole score is drawn; -1 when it has none.
int StringAt(const ScoreLayout& layout, const ScoreGeometry& drawn, int32_t time)
{
    const auto it = std::lower_bound(layout.notes.begin(), layout.notes.end(), time,
                                     [](const ScoreNote& n, int32_t t) { return n.time < t; });
    if (it == layout.notes.end() || it->time != time)
        return -1;
    const size_t note = static_cast<size_t>(it - layout.notes.begin());
    const int circle = note < drawn.melodyCircles.size() ? drawn.melodyCircles[note] : -1;
    return circle < 0 ? -1 : drawn.notes[static_cast<size_t>(circle)].string;
}

// Clear of every drawn voice (its circles, its flow lines and the synch lines between voices),
// or of the melody's flow lines alone.
Clearance ClearOf(const ScoreGeometry& drawn, const ScoreLayout& layout, int gaps, bool everyVoice)
{
    Clearance clear(gaps);
    if (everyVoice) {
        for (const ScoreJump& jump : layout.jumps) {
            clear.WatchRow(jump.from);
            clear.WatchRow(jump.to);
        }
        for (const PlacedNote& n : drawn.notes)
            clear.AddOnRow(n.time, n.string);
    }
    const auto way = [&](size_t from, size_t to) {
        const PlacedNote &a = drawn.notes[from], &b = drawn.notes[to];
        clear.AddWay(a.string, a.time, b.string, b.time);
    };
    for (const FlowLine& flow : drawn.flows)
        if (everyVoice || flow.role == VoiceRole::kMelody)
            way(flow.from, flow.to);
    if (everyVoice)
        for (const SynchLine& synch : drawn.synchs)
            way(synch.from, synch.to);
    clear.Index();
    return clear;
}

bool RouteClearOf(ScoreLayout& layout, const ScoreGeometry& drawn, int gaps, const Clearance* clear)
{
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
        const int a = StringAt(layout, drawn, jump.from), b = StringAt(layout, drawn, jump.to);
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
            if (!clear || clear->Allows(jump, line.a, line.b, g))
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
    if (layout.jumps.empty())
        return true;
    // The whole written score drawn once: every voice's circles and lines, with their strings.
    ScoreFrame whole = frame;
    whole.totalLength = std::max(1, layout.totalLength);
    whole.height = std::max(whole.height, 1);
    ScoreGeometry drawn = ComputeScoreGeometry(whole, layout.notes);
    AddVoices(drawn, whole, layout);
    // Clear of every voice where the strings allow it; else of the melody's flow lines; else
    // crossing them, rather than written out.
    const int gaps = std::clamp(frame.stringCount, 0, kMaxStrings) - 1;
    const Clearance everyVoice = ClearOf(drawn, layout, gaps, true);
    if (RouteClearOf(layout, drawn, gaps, &everyVoice))
        return true;
    const Clearance melody = ClearOf(drawn, layout, gaps, false);
    return RouteClearOf(layout, drawn, gaps, &melody) || RouteClearOf(layout, drawn, gaps, nullptr);
}
