#include "render/ScoreLayout.h"

#include "song/CSongData.h"

#include <algorithm>
#include <cstdint>

ScoreLayout LayOutMeasures(const CSongData& song, int first, int last)
{
    ScoreLayout layout;
    const int beats = song.beatsPerMeasure;
    if (first < 1 || last < first || beats <= 0)
        return layout;
    // The range comes from the settings file and the beats from the song file: neither bounds it.
    layout.totalLength = static_cast<int32_t>(
        std::min<int64_t>(INT32_MAX, (int64_t(last) - first + 1) * beats * kUnitsPerBeat));
    const int firstCell = 2 * beats * (first - 1);
    for (int m = first - 1; m <= last - 1; ++m) {
        for (int b = 0; b < beats; ++b) {
            for (int h = 0; h < 2; ++h) {
                const int c = (m * beats + b) * 2 + h;
                if (c >= CSongData::kCellCount)
                    return layout;
                for (int k = 0; k < 3; ++k) {
                    const int32_t v = song.cells[c].entry[k];
                    if (v < 0)
                        continue;
                    const auto length = static_cast<int32_t>(kUnitsPerCell * song.GetNoteLength(m, 2 * b + h, k != 0));
                    layout.notes.push_back({kUnitsPerCell * (c - firstCell) + k, v, length});
                }
            }
        }
    }
    return layout;
}
