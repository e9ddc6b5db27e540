#include "render/SettingsScore.h"

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
    const ScoreFrame frame = ScoreFrameOf(settings);
    const int transposition = FitScoreToFrame(score, frame, settings.lowestNote);
    return LayOutFittedScore(frame, score, measures, transposition);
}
