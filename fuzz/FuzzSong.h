#pragma once
// The whole path a read melody takes in the programs: the song builder, the fitting to the
// strings (one per semitone, and a diatonic harp) and the layout of the first and the last
// measures shown. Aborts when the song holds a note past its end.

#include "import/SongBuilder.h"
#include "render/SettingsScore.h"
#include "score/SongScore.h"
#include "settings/Tuning.h"
#include "song/CSongData.h"

#include <algorithm>
#include <cstdlib>

inline void BuildFitAndLayOut(const Melody& melody, bool diatonic)
{
    SongBuilder builder(melody);
    const auto song = builder.Build("fuzz");
    const int beats = song->BeatCount();
    for (int c = 2 * beats; c < CSongData::kCellCount; ++c)
        for (const int32_t entry : song->cells[c].entry)
            if (entry >= 0)
                std::abort();
    ConfigRecord settings = DefaultConfigRecord();
    FillStringNotes(settings, diatonic ? Tuning::GMajor : Tuning::Chromatic);
    // As the window and the renderer make it: fitted, laid out and placed.
    Score score = ScoreOfSong(*song);
    const FittedScore first = FitScore(settings, score, FirstShownMeasures(score));
    const int last = score.measureCount;
    if (last > kMaxShownMeasures)
        (void)LayOutFittedScore(first.frame, score, MeasureRange{last - kMaxShownMeasures + 1, last}, first.transposition);
}
