// Loads any bytes as a settings file, checks that the result can size a picture safely, then
// fits a song to its harp, lays it out, places it and names the strings as the sheet's legend
// does.

#include "fuzz/FuzzFile.h"
#include "import/SongBuilder.h"
#include "settings/CConfigControl.h"
#include "document/SettingsScore.h"
#include "score/SongScore.h"
#include "song/CSongData.h"
#include "song/ChordNaming.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// A tune from the lowest to the highest note a song can hold, so that every fitting rule runs.
Melody Tune()
{
    Melody melody;
    const int pitches[] = {60, 62, 64, 0, 67, 72, 127, 55, 79, 48};
    int64_t onset = 0;
    for (const int pitch : pitches) {
        melody.notes.push_back(MelodyNote{onset, kTicksPerQuarter, pitch, "la"});
        onset += kTicksPerQuarter;
    }
    return melody;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string& path = ScratchFile(data, size);
    const ConfigRecord r = LoadConfigFile(path);
    if (r.stringCount < 5 || r.stringCount > 37 || r.lineSpacing < 4 || r.lineSpacing > 36 ||
        r.verticalSize < 100 || r.verticalSize > 2000 || r.leftAdjust < 0 || r.leftAdjust > 100 ||
        !std::isfinite(r.displayZoom) || r.displayZoom < 0.1 || r.displayZoom > 4.0)
        std::abort();

    static const Melody tune = Tune();
    SongBuilder builder(tune);
    const auto song = builder.Build("fuzz");
    Score score = ScoreOfSong(*song);
    const FittedScore fitted = FitScore(r, score, FirstShownMeasures(score));
    const ScoreGeometry& g = fitted.geometry;
    if (g.stringPitch.size() != g.stringX.size())
        std::abort();
    for (const int pitch : g.stringPitch) {
        if (pitch < 0 || pitch > 127 || NoteNameWithOctave(pitch).size() > 4)
            std::abort();
    }
    for (const PlacedNote& note : g.notes)
        if (std::find(g.stringX.begin(), g.stringX.end(), note.x) == g.stringX.end())
            std::abort();
    return 0;
}
