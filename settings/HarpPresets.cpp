#include "settings/HarpPresets.h"

#include "common/TextTranslation.h"
#include <cctype>

// Chromatic table harps share 11.5 mm between strings; small diatonic lap harps are wider.
const std::array<HarpPreset, 5> kHarpPresets = {{
    {"37", QT_TRANSLATE_NOOP("CConfigDlg", "37弦 (G2–G5)"), 37, 43, Tuning::Chromatic, 115},
    {"25", QT_TRANSLATE_NOOP("CConfigDlg", "25弦 (G3–G5)"), 25, 55, Tuning::Chromatic, 115},
    {"21", QT_TRANSLATE_NOOP("CConfigDlg", "21弦 (A3–F5)"), 21, 57, Tuning::Chromatic, 115},
    {"18", QT_TRANSLATE_NOOP("CConfigDlg", "18弦 (B3–E5)"), 18, 59, Tuning::Chromatic, 115},
    {"15G", QT_TRANSLATE_NOOP("CConfigDlg", "15弦 ト長調 (G3–G5)"), 15, 55, Tuning::GMajor, 145},
}};

const HarpPreset* FindHarpPreset(std::string_view option)
{
    for (const HarpPreset& preset : kHarpPresets) {
        const std::string_view name = preset.option;
        if (name.size() != option.size())
            continue;
        bool same = true;
        for (size_t i = 0; i < name.size() && same; ++i)
            same = std::toupper(static_cast<unsigned char>(name[i])) == std::toupper(static_cast<unsigned char>(option[i]));
        if (same)
            return &preset;
    }
    return nullptr;
}

const HarpPreset* RecogniseHarpPreset(const ConfigRecord& record)
{
    for (const HarpPreset& preset : kHarpPresets) {
        if (record.stringCount != preset.stringCount || record.lowestNote != preset.lowestNote)
            continue;
        ConfigRecord filled = record;
        ApplyHarpPreset(preset, filled);
        if (filled.stringNotes == record.stringNotes)
            return &preset;
    }
    return nullptr;
}

void ApplyHarpPreset(const HarpPreset& preset, ConfigRecord& record)
{
    record.stringCount = preset.stringCount;
    record.lowestNote = preset.lowestNote;
    FillStringNotes(record, preset.tuning);
}

PaperSpacing HarpSpacing(const ConfigRecord& record)
{
    const HarpPreset* harp = RecogniseHarpPreset(record);
    return PaperSpacing::TenthsMm(harp ? harp->spacingTenthsMm : 115);
}
