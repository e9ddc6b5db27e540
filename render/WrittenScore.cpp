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
