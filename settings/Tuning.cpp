#include "settings/Tuning.h"

#include "common/TextTranslation.h"
#include "song/ChordNaming.h"

#include <algorithm>

const std::array<TuningName, 6> kTuningNames = {{
    {Tuning::Chromatic, QT_TRANSLATE_NOOP("CConfigDlg", "半音階"), "chromatic"},
    {Tuning::CMajor, QT_TRANSLATE_NOOP("CConfigDlg", "全音階 ハ長調"), "C"},
    {Tuning::GMajor, QT_TRANSLATE_NOOP("CConfigDlg", "全音階 ト長調"), "G"},
    {Tuning::DMajor, QT_TRANSLATE_NOOP("CConfigDlg", "全音階 ニ長調"), "D"},
    {Tuning::FMajor, QT_TRANSLATE_NOOP("CConfigDlg", "全音階 ヘ長調"), "F"},
    {Tuning::BbMajor, QT_TRANSLATE_NOOP("CConfigDlg", "全音階 変ロ長調"), "Bb"},
}};

namespace {

int Tonic(Tuning tuning)
{
    switch (tuning) {
    case Tuning::CMajor: return 0;
    case Tuning::GMajor: return 7;
    case Tuning::DMajor: return 2;
    case Tuning::FMajor: return 5;
    case Tuning::BbMajor: return 10;
    default: return -1;
    }
}

} // namespace

bool IsInTuning(Tuning tuning, int note)
{
    const int tonic = Tonic(tuning);
    if (tonic < 0)
        return true;
    // The major scale's steps above its tonic.
    constexpr bool kMajorStep[12] = {true, false, true, false, true, true, false, true, false, true, false, true};
    return kMajorStep[PitchClass(note - tonic)];
}

int LowestNoteInTuning(Tuning tuning, int lowestNote)
{
    // A damaged settings file may hold any number; the search starts inside the range.
    lowestNote = std::clamp(lowestNote, ConfigRange::kLowestNoteMin, ConfigRange::kLowestNoteMax);
    for (int up = lowestNote; up <= ConfigRange::kLowestNoteMax; ++up)
        if (IsInTuning(tuning, up))
            return up;
    for (int down = lowestNote - 1; down >= ConfigRange::kLowestNoteMin; --down)
        if (IsInTuning(tuning, down))
            return down;
    return lowestNote;
}

void FillStringNotes(ConfigRecord& record, Tuning tuning)
{
    if (tuning == Tuning::Chromatic) {
        FillStringNotes(record);
        return;
    }
    if (tuning == Tuning::Other)
        return;
    const int count = std::clamp(record.stringCount, 0, kMaxStrings);
    int note = std::clamp(record.lowestNote, 0, 127); // a damaged file's number cannot overflow the climb
    for (int i = 0; i < count; ++i) {
        while (!IsInTuning(tuning, note))
            ++note;
        record.stringNotes[static_cast<size_t>(i)] = note++;
    }
}

Tuning RecogniseTuning(const ConfigRecord& record)
{
    for (const TuningName& t : kTuningNames) {
        if (!IsInTuning(t.tuning, record.lowestNote))
            continue;
        ConfigRecord filled = record;
        FillStringNotes(filled, t.tuning);
        if (filled.stringNotes == record.stringNotes)
            return t.tuning;
    }
    return Tuning::Other;
}
