#pragma once
// Harps as players name them: string count, lowest note, tuning and the distance between
// neighbouring strings, filled in at once by the settings dialog's "楽器" choice and by the
// renderer's --harp.

#include "common/TextTranslation.h"
#include "settings/ConfigRecord.h"
#include "settings/SheetSettings.h"
#include "settings/Tuning.h"

#include <array>
#include <string_view>

struct HarpPreset {
    const char* option;     // as the renderer's --harp takes it
    const char* dialogText; // UTF-8, as the settings dialog lists it
    int stringCount;
    int lowestNote;
    Tuning tuning;
    int spacingTenthsMm;    // distance between neighbouring strings, in tenths of a millimetre
    int sheetHeightMm = kHarpHeightMm; // the longest strings a sheet underlay for it holds
};

extern const std::array<HarpPreset, 5> kHarpPresets;
constexpr const char* kOtherHarpText = QT_TRANSLATE_NOOP("CConfigDlg", "その他");

// The preset named by `option` (case-insensitive), or nullptr.
const HarpPreset* FindHarpPreset(std::string_view option);

// The preset whose strings the record holds (count, lowest note and every string's note), or
// nullptr: a harp set by hand. The spacing does not decide it, so that a player who prints a
// preset's harp fitted to the paper still sees the harp's name.
const HarpPreset* RecogniseHarpPreset(const ConfigRecord& record);

// Writes the preset's count, lowest note and string table into the record.
void ApplyHarpPreset(const HarpPreset& preset, ConfigRecord& record);

// The spacing a sheet to play from takes when none is given: the recognised harp's, else the
// chromatic harps' 11.5 mm.
PaperSpacing HarpSpacing(const ConfigRecord& record);
