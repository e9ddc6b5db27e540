#include "render/FittedScore.h"

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

FittedScore LayOutFittedScore(const ScoreFrame& frame, const CSongData& song, MeasureRange measures, int transposition)
{
    FittedScore score;
    score.layout = LayOutMeasures(song, measures.first, measures.last);
    score.frame = frame;
    score.frame.totalLength = score.layout.totalLength;
    score.transposition = transposition;
    score.measures = measures;
    const std::vector<ScoreNote>& notes = score.layout.notes;
    score.geometry = ComputeScoreGeometry(score.frame, notes);
    score.notesWithoutString = static_cast<int>(std::count_if(
        notes.begin(), notes.end(), [&](const ScoreNote& n) { return StringOf(score.frame, n.pitch) < 0; }));
    return score;
}
