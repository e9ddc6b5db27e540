#pragma once
// Tunings of the harp's strings. The settings record stores every string's note, so a tuning
// is a way of filling that table, and the table tells which tuning it holds.

#include "common/TextTranslation.h"
#include "settings/ConfigRecord.h"

#include <array>

enum class Tuning { Chromatic, CMajor, GMajor, DMajor, FMajor, BbMajor, Other };

struct TuningName {
    Tuning tuning;
    const char* dialogText; // UTF-8, as the settings dialog lists it
    const char* option;     // as the renderer's --tuning takes it
};

// Every tuning a user can choose, in the dialog's order; Other is only recognised.
extern const std::array<TuningName, 6> kTuningNames;
constexpr const char* kOtherTuningText = QT_TRANSLATE_NOOP("CConfigDlg", "その他");

// Whether the note is a string note of the tuning; every note is in the chromatic one.
bool IsInTuning(Tuning tuning, int note);

// The lowest note a tuning can start on: the note itself when it belongs to the tuning, else
// the nearest tuning note above it, or below when that would leave the settings' range.
int LowestNoteInTuning(Tuning tuning, int lowestNote);

// Rewrites string notes 0 to stringCount - 1 upward from lowestNote through the tuning's
// notes. Other leaves the table as it is.
void FillStringNotes(ConfigRecord& record, Tuning tuning);

// The tuning whose table from the record's lowest note the record holds, else Other.
Tuning RecogniseTuning(const ConfigRecord& record);
