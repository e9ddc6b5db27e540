#include "render/SettingsScore.h"

ScoreFrame ScoreFrameOf(const ConfigRecord& settings)
{
    ScoreFrame frame;
    frame.width = (settings.stringCount + 1) * settings.lineSpacing;
    frame.height = settings.verticalSize;
    frame.stringSpacing = settings.lineSpacing;
    frame.leftOffset = settings.leftAdjust;
    frame.stringCount = settings.stringCount;
    frame.stringPitches = settings.stringNotes;
    return frame;
}

FittedScore FitScore(const ConfigRecord& settings, CSongData& song, MeasureRange measures)
{
    const ScoreFrame frame = ScoreFrameOf(settings);
    const int transposition = FitSongToFrame(song, frame, settings.lowestNote);
    return LayOutFittedScore(frame, song, measures, transposition);
}
