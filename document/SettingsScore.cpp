#include "document/SettingsScore.h"

#include "document/TuneDocument.h"

#include <algorithm>

namespace {
constexpr int kLowestMidiNote = 0, kHighestMidiNote = 127;
} // namespace

ScoreFrame ScoreFrameOf(const ConfigRecord& settings)
{
    ScoreFrame frame;
    frame.width = (settings.stringCount + 1) * settings.lineSpacing;
    frame.height = settings.verticalSize;
    frame.stringSpacing = settings.lineSpacing;
    frame.leftOffset = settings.leftAdjust;
    frame.stringCount = settings.stringCount;
    // A damaged file's pitches are held to the MIDI note range where they are used; the record
    // keeps them as stored.
    for (size_t i = 0; i < frame.stringPitches.size(); ++i)
        frame.stringPitches[i] = std::clamp(settings.stringNotes[i], kLowestMidiNote, kHighestMidiNote);
    return frame;
}

FittedScore FitScore(const ConfigRecord& settings, Score& score, MeasureRange measures)
{
    TuneDocument tune;
    tune.Adopt(std::move(score));
    tune.SetHarp(ScoreFrameOf(settings), settings.lowestNote);
    tune.Fit();
    tune.ShowRange(measures, RepeatDrawing::kLines);
    score = tune.Release(); // the caller's score stands fitted
    return tune.Fitted();
}
