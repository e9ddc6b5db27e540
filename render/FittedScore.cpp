#include "render/FittedScore.h"

#include "render/WrittenScore.h"

#include "song/CSongData.h"
#include "song/FitToStrings.h"

#include <algorithm>
#include <span>

MeasureRange FirstShownMeasures(const CSongData& song)
{
    return MeasureRange{1, std::min(song.measureCount, kMaxShownMeasures)};
}

FittedScore UnfittedScore(const ScoreFrame& frame)
{
    FittedScore score;
    score.frame = frame;
    score.frame.totalLength = 0;
    score.measures = MeasureRange{1, 0};
    score.geometry = ComputeScoreGeometry(score.frame, score.layout.notes);
    return score;
}

int FitSongToFrame(CSongData& song, const ScoreFrame& frame, int lowestNote)
{
    const auto strings = std::span<const int32_t>(frame.stringPitches.data(),
                                                  static_cast<size_t>(std::clamp(frame.stringCount, 0, kMaxStrings)));
    return FitToStringTable(song, lowestNote, strings);
}

namespace {

bool SameStrings(const ScoreFrame& a, const ScoreFrame& b)
{
    return a.stringCount == b.stringCount && a.stringPitches == b.stringPitches;
}

std::shared_ptr<const ScoreLayout> RoutedWritten(const ScoreFrame& frame, const CSongData& song)
{
    auto whole = std::make_shared<ScoreLayout>(LayOutWritten(song));
    if (whole->fallback == RepeatFallback::kNone && !RouteJumps(*whole, frame))
        whole->fallback = RepeatFallback::kCrossing;
    return whole;
}

} // namespace

FittedScore LayOutFittedScore(const ScoreFrame& frame, const CSongData& song, MeasureRange measures, int transposition,
                              RepeatDrawing repeats, const FittedScore* before)
{
    FittedScore score;
    score.measureCount = song.measureCount;
    if (repeats == RepeatDrawing::kLines && song.repeats.Jumps()) {
        score.written = before && before->written && SameStrings(before->frame, frame) ? before->written
                                                                                        : RoutedWritten(frame, song);
        const ScoreLayout& whole = *score.written;
        if (whole.fallback == RepeatFallback::kNone && !whole.measures.empty()) {
            const int count = static_cast<int>(whole.measures.size());
            measures.last = std::clamp(measures.last, 1, count);
            measures.first = std::clamp(measures.first, 1, measures.last);
            const bool toEnd = measures.last == count;
            const int32_t from = whole.measures[static_cast<size_t>(measures.first - 1)].time;
            const int32_t to = toEnd ? whole.totalLength : whole.measures[static_cast<size_t>(measures.last)].time;
            score.layout = PartOfLayout(whole, static_cast<size_t>(measures.first - 1), static_cast<size_t>(measures.last),
                                        from, to, toEnd);
            score.layout.pickupStart = measures.first == 1 ? whole.pickupStart : 0;
            score.measureCount = count;
        } else {
            score.layout = LayOutMeasures(song, measures.first, measures.last);
            score.layout.fallback = whole.fallback;
        }
    } else {
        score.layout = LayOutMeasures(song, measures.first, measures.last);
    }
    score.frame = frame;
    score.frame.totalLength = score.layout.totalLength;
    score.transposition = transposition;
    score.measures = measures;
    const std::vector<ScoreNote>& notes = score.layout.notes;
    score.geometry = ComputeScoreGeometry(score.frame, notes);
    score.geometry.jumps = JumpLines(score.geometry, score.layout);
    score.notesWithoutString = static_cast<int>(std::count_if(
        notes.begin(), notes.end(), [&](const ScoreNote& n) { return StringOf(score.frame, n.pitch) < 0; }));
    return score;
}
