#pragma once
// The renderer's command line: its usage text, the options it takes and how they are read.

#include "common/TextTranslation.h"
#include "import/ScoreImport.h"
#include "render/KeyChoice.h"
#include "settings/HarpPresets.h"
#include "settings/SheetSettings.h"
#include "settings/Tuning.h"

#include <QPageSize>

#include <optional>
#include <string>
#include <vector>

struct ConfigRecord;

// English, the renderer's own source language; translated where it is shown.
extern const char* const kRenderUsage;

struct RenderOptions {
    std::string settings;
    bool haveMeasures = false, allMeasures = false;
    int first = 0, last = 0;
    double zoom = 1.0;
    std::string paper; // empty: A3
    bool landscape = false, portrait = false;
    std::optional<PaperSpacing> spacing; // none: not given
    const HarpPreset* harp = nullptr;
    WordChoices words; // what the sheet shows besides the circles
    bool colour = false;
    SheetPlayers players;      // whose sheets the PDF holds: the group's unless --player
    bool othersGiven = false; // --others was given
    RepeatDrawing repeats = RepeatDrawing::kLines;
    bool info = false, notes = false, events = false;
    int part = kDefaultChoice;
    std::optional<VoiceChoice> voices;
    std::string writeMwd;
    std::optional<std::string> title;
    std::optional<int> fame;
    std::string song, output;
    std::string audio;
    std::optional<int> tempoPercent; // none: the song's own tempo
    std::optional<bool> countIn, metronome;
    std::optional<int> from, to; // the passage played, in measures as the range counts them
    std::optional<int> loop;     // passes of it
    KeyChoice transpose;             // none: the fit's
    std::optional<std::string> key;  // a key name instead of semitones
    // The harp, when given on the command line instead of by the settings file.
    std::optional<Tuning> tuning;
    std::optional<int> strings, lowestNote; // none: from the settings
    std::optional<Language> language;       // of the messages, --help and the legend; none: Japanese
};

// Reads the arguments; the problem as a usage error says it, empty when there is none.
std::string ParseRenderOptions(const std::vector<std::string>& args, RenderOptions& o, bool& help);

// The harp of --harp, --tuning, --strings and --lowest, in the settings' string table.
void UseHarpOptions(const RenderOptions& o, ConfigRecord& settings);

// The paper named by --paper; none for a name that is none.
std::optional<QPageSize::PageSizeId> PaperOf(const std::string& name);
