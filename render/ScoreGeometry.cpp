#include "render/ScoreGeometry.h"

#include <algorithm>
#include <utility>

namespace {

// Circles stand 10 pixels below the time's line, so that the first note is not cut.
constexpr int kTopInset = 10;
// Far beyond any picture, yet far from overflowing when a circle's box is added.
constexpr int64_t kFarOff = 1 << 28;

int DrawnStrings(const ScoreFrame& frame)
{
    return std::clamp(frame.stringCount, 0, kMaxStrings);
}

} // namespace

NoteMark MarkOf(int length)
{
    if (length == 6)
        return NoteMark::kOneBeat;
    if (length < 12)
        return NoteMark::kShorter;
    if (length == 24)
        return NoteMark::kFourBeats;
    return NoteMark::kOtherLong;
}

MarkStyle StyleOf(NoteMark mark)
{
    switch (mark) {
    case NoteMark::kOneBeat: return {true, 12};
    case NoteMark::kShorter: return {true, 8};
    case NoteMark::kFourBeats: return {false, 12};
    case NoteMark::kOtherLong: break;
    }
    return {false, 8};
}

int StringOf(const ScoreFrame& frame, int pitch)
{
    const int n = DrawnStrings(frame);
    for (int j = 0; j < n; ++j)
        if (frame.stringPitches[static_cast<size_t>(j)] == pitch)
            return j;
    return -1;
}

int TimeToY(int height, int totalLength, int64_t time)
{
    if (totalLength <= 0)
        return kTopInset;
    // The product in 64 bits, held in range: a note list handed in may hold any time.
    const int64_t below = std::clamp<int64_t>(int64_t(height) * time / totalLength, -kFarOff, kFarOff);
    return static_cast<int>(below) + kTopInset;
}

int ScoreY(const ScoreGeometry& score, int totalLength, int64_t time)
{
    const std::vector<TimeMark>& line = score.timeline;
    if (line.empty())
        return TimeToY(score.height, totalLength, time);
    if (time <= line.front().time)
        return line.front().y;
    if (time >= line.back().time)
        return line.back().y;
    const auto after = std::upper_bound(line.begin(), line.end(), time,
                                        [](int64_t t, const TimeMark& m) { return t < m.time; });
    const TimeMark& b = *after;
    const TimeMark& a = *(after - 1);
    return a.y + static_cast<int>((int64_t(b.y - a.y) * (time - a.time)) / std::max<int64_t>(b.time - a.time, 1));
}

ScoreGeometry ComputeScoreGeometry(const ScoreFrame& frame, const std::vector<ScoreNote>& notes,
                                   std::vector<TimeMark> timeline)
{
    ScoreGeometry g;
    g.timeline = std::move(timeline);
    g.width = frame.width;
    g.height = frame.height;
    g.stringSpacing = frame.stringSpacing;
    const int n = DrawnStrings(frame);
    const int S = frame.stringSpacing, L = frame.leftOffset, H = frame.height, T = frame.totalLength;
    for (int i = 0; i < n; ++i) {
        g.stringX.push_back((i + 1) * S - L);
        g.stringPitch.push_back(frame.stringPitches[static_cast<size_t>(i)]);
    }
    if (T <= 0)
        return g;
    g.notes.reserve(notes.size());
    for (size_t i = 0; i < notes.size(); ++i) {
        const ScoreNote& note = notes[i];
        const int j = StringOf(frame, note.pitch);
        if (j < 0)
            continue;
        const NoteMark mark = MarkOf(note.length);
        const int d = StyleOf(mark).diameter;
        const int x = g.stringX[static_cast<size_t>(j)];
        const int y = g.timeline.empty() ? TimeToY(H, T, note.time) : ScoreY(g, T, note.time);
        const int left = x - d / 2, top = y - d / 2;
        g.notes.push_back({x, y, mark, left, top, left + d, top + d, static_cast<int>(i)});
    }
    // The melody is played in list order, so each drawn note leads to the next one drawn.
    g.flows.reserve(g.notes.empty() ? 0 : g.notes.size() - 1);
    for (size_t i = 1; i < g.notes.size(); ++i)
        g.flows.push_back({i - 1, i, FlowKind::kSolid});
    return g;
}

std::vector<FlowEnds> FlowEndsByNote(const ScoreGeometry& score)
{
    std::vector<FlowEnds> ends(score.notes.size());
    for (const FlowLine& f : score.flows) {
        if (f.from < ends.size())
            ends[f.from].out = f;
        if (f.to < ends.size())
            ends[f.to].in = f;
    }
    return ends;
}
