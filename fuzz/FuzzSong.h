#pragma once
// The whole path a read melody takes in the programs: the song builder, the fitting to the
// strings (one per semitone, and a diatonic harp) and the layout of the first and the last
// measures shown. Aborts when the song holds a note past its end.

#include "import/SongBuilder.h"
#include "render/ScoreLayout.h"
#include "settings/Tuning.h"
#include "song/CSongData.h"
#include "song/FitToStrings.h"

#include <algorithm>
#include <cstdlib>
#include <span>

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
    FitToStringTable(*song, settings.lowestNote,
                     std::span<const int32_t>(settings.stringNotes.data(), static_cast<size_t>(settings.stringCount)));
    constexpr int kShown = 32;
    const int last = song->measureCount;
    (void)LayOutMeasures(*song, 1, std::min(last, kShown));
    if (last > kShown)
        (void)LayOutMeasures(*song, last - kShown + 1, last);
}
