#pragma once
// The whole path a read melody takes in the programs: the song builder, the fitting to the
// strings (one per semitone, and a diatonic harp) and the layout of the first and the last
// measures shown. Aborts when the song holds a note past its end.

#include "import/MelodyScore.h"
#include "import/SongBuilder.h"
#include "document/SettingsScore.h"
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

    // The score as the programs draw it: every note at its own time, three voices beside it.
    std::vector<ChosenVoice> voices;
    const VoiceRole roles[] = {VoiceRole::kSecond, VoiceRole::kThird, VoiceRole::kAccompaniment};
    for (size_t i = 0; i < melody.voices.size() && i < 3; ++i)
        voices.push_back({roles[i], melody.voices[i].name, static_cast<int>(i) + 1, &melody.voices[i].notes});
    ScoreBuildReport report;
    Score exact = ScoreOfMelody(melody, "fuzz", voices, report);
    const FittedScore drawn = FitScore(settings, exact, FirstShownMeasures(exact));
    if (exact.measureCount > kMaxShownMeasures)
        (void)LayOutFittedScore(drawn.frame, exact, MeasureRange{exact.measureCount - kMaxShownMeasures + 1, exact.measureCount},
                                drawn.transposition);
}
