// Loads any bytes as a song file, then runs every query, a fitting and the layout over it.

#include "fuzz/FuzzFile.h"
#include "render/ScoreLayout.h"
#include "song/CSongData.h"
#include "score/FitToStrings.h"
#include "score/SongScore.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string& path = ScratchFile(data, size);
    int32_t measures = 0, beats = 0, key = 0, meter = size % 3;
    auto song = std::make_unique<CSongData>(path.c_str(), measures, beats, key, size % 2 ? &meter : nullptr);
    int lowest = 0, highest = 0;
    song->GetPitchRange(lowest, highest, -1, -1);
    song->GetPitchRange(lowest, highest, 3, 1);
    for (int m = 0; m < song->measureCount && m < 4; ++m)
        for (int h = 0; h < 2 * song->beatsPerMeasure; ++h)
            (void)song->GetNoteLength(m, h, h % 2);
    song->Transpose(size % 2 ? 7 : -13);
    Score score = ScoreOfSong(*song);
    FitToStrings(score, 55, 79);
    TransposeScore(score, size % 2 ? 7 : -13);
    const int last = score.measureCount < 1 ? 1 : (score.measureCount > 40 ? 40 : score.measureCount);
    const ScoreLayout layout = LayOutMeasures(score, 1, last);
    (void)layout;
    return 0;
}
