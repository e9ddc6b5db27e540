#include "print/PlayingSheets.h"

#include "render/WrittenScore.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

namespace {

// Room for a gap of `units` time units before the clear paper is counted.
double Spread(int64_t units)
{
    using namespace SheetRoom;
    const double beats = std::min<double>(double(units) / kUnitsPerBeat, kLongestBeats);
    return beats <= 1 ? kBeat * beats : kBeat * (1 + kLongShare * (beats - 1));
}

int32_t MeasureTime(const FittedScore& score, size_t index)
{
    const std::vector<ScoreMeasure>& m = score.layout.measures;
    return index < m.size() ? m[index].time : score.layout.totalLength;
}

} // namespace

std::vector<TimeMark> PlayingTimeline(const FittedScore& score, double pixelsPerMm, int top)
{
    using namespace SheetRoom;
    const ScoreLayout& layout = score.layout;
    const double clear = std::max(3.0, std::ceil(kClearMm * pixelsPerMm));
    // The drawn notes' times, each with the largest circle starting then, a shared circle's
    // ring counted as its edge. A pickup's empty beats take no room: time starts where it does.
    std::map<int32_t, double> radius{{std::max(layout.pickupStart, 0), 0.0}};
    for (const PlacedNote& n : score.geometry.notes) {
        const std::optional<int32_t> time = DrawnTime(layout, n);
        if (!time)
            continue;
        double& r = radius[*time];
        r = std::max(r, OuterRadius(n));
    }
    radius.try_emplace(std::max(layout.totalLength, radius.rbegin()->first), 0.0);

    std::vector<TimeMark> points;
    size_t measure = 0;
    double y = top;
    int32_t before = 0;
    double beforeRadius = 0;
    for (const auto& [time, r] : radius) {
        if (!points.empty()) {
            double room = Spread(time - before);
            if (r > 0)
                room = std::max(room, beforeRadius + r + clear);
            while (measure < layout.measures.size() && layout.measures[measure].time <= before)
                ++measure;
            const bool newMeasure = measure < layout.measures.size() && layout.measures[measure].time <= time;
            y += std::ceil(room) + (newMeasure && r > 0 ? kMeasureStart : 0);
        }
        points.push_back({time, static_cast<int>(y)});
        before = time;
        beforeRadius = r;
    }
    // Measure starts between two notes stand in proportion between them.
    ScoreGeometry line;
    line.timeline = points;
    std::vector<TimeMark> marks = points;
    for (const ScoreMeasure& m : layout.measures)
        if (!radius.contains(m.time))
            marks.push_back({m.time, ScoreY(line, layout.totalLength, m.time)});
    std::sort(marks.begin(), marks.end(), [](const TimeMark& a, const TimeMark& b) { return a.time < b.time; });
    return marks;
}

std::vector<int> MeasureStarts(const FittedScore& score, const std::vector<TimeMark>& timeline)
{
    ScoreGeometry line;
    line.timeline = timeline;
    std::vector<int> starts;
    for (size_t i = 0; i <= score.layout.measures.size(); ++i)
        starts.push_back(ScoreY(line, score.layout.totalLength, MeasureTime(score, i)));
    return starts;
}

std::vector<SheetCut> CutIntoSheets(const std::vector<int>& starts, int room)
{
    const size_t count = starts.size() > 0 ? starts.size() - 1 : 0;
    if (count == 0)
        return {SheetCut{0, 0}};
    // The cheapest way to sheet measures [i, count): fewest sheets first, then the wishes.
    constexpr double kSheet = 1000, kAlone = 400, kUnderfilled = 200, kNotPhrase = 10, kNotLongPhrase = 3;
    std::vector<double> cost(count + 1, std::numeric_limits<double>::infinity());
    std::vector<size_t> next(count + 1, count);
    cost[count] = 0;
    for (size_t i = count; i-- > 0;) {
        for (size_t j = i + 1; j <= count; ++j) {
            const int length = starts[j] - starts[i];
            if (length > room && j > i + 1)
                break;
            double c = kSheet + cost[j];
            if (j == i + 1 && count > 1)
                c += kAlone;
            if (j < count) {
                if (length < 0.85 * room)
                    c += kUnderfilled;
                if (j % 4 != 0)
                    c += kNotPhrase;
                if (j % 8 != 0)
                    c += kNotLongPhrase;
            }
            if (c < cost[i]) {
                cost[i] = c;
                next[i] = j;
            }
        }
    }
    std::vector<SheetCut> cuts;
    for (size_t i = 0; i < count; i = next[i])
        cuts.push_back({i, next[i]});
    return cuts;
}

FittedScore SheetScore(const FittedScore& whole, const std::vector<TimeMark>& timeline, SheetCut cut,
                       const ScoreFrame& frame, int top)
{
    const ScoreLayout& all = whole.layout;
    const bool last = cut.end >= all.measures.size();
    const int32_t from = std::max(MeasureTime(whole, cut.first), cut.first == 0 ? all.pickupStart : 0);
    const int32_t to = MeasureTime(whole, cut.end);
    FittedScore sheet;
    sheet.transposition = whole.transposition;
    sheet.layout = PartOfLayout(all, cut.first, cut.end, from, to, last);
    // Numbered as the score numbers them: a pickup is measure 0 and goes without a mark.
    for (ScoreMeasure& m : sheet.layout.measures)
        m.number -= all.numberShift;
    sheet.measures = {0, 0};
    for (const ScoreMeasure& m : sheet.layout.measures)
        if (m.number >= 1) {
            if (sheet.measures.first < 1)
                sheet.measures.first = m.number;
            sheet.measures.last = std::max(sheet.measures.last, m.number);
        }

    ScoreGeometry line;
    line.timeline = timeline;
    const int origin = ScoreY(line, all.totalLength, from);
    std::vector<TimeMark> own;
    for (const TimeMark& m : timeline)
        if (m.time >= from && m.time <= to)
            own.push_back({m.time - from, m.y - origin + top});
    sheet.frame = frame;
    sheet.frame.totalLength = sheet.layout.totalLength;
    sheet.geometry = ComputeScoreGeometry(sheet.frame, sheet.layout.notes, std::move(own));
    AddVoices(sheet.geometry, sheet.frame, sheet.layout);
    sheet.geometry.jumps = JumpLines(sheet.geometry, sheet.layout);
    sheet.notesWithoutString = static_cast<int>(std::count_if(
        sheet.layout.notes.begin(), sheet.layout.notes.end(),
        [&](const ScoreNote& n) { return StringOf(sheet.frame, n.pitch) < 0; }));
    return sheet;
}
