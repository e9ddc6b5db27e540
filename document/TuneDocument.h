#pragma once
// The open tune: the score as read, the voices drawn and their roles, the key chosen, the tune's
// sheet shown, and the score fitted to the harp and laid out. The window, the renderer and the
// score the settings make all load, fit and lay out through it, so they cannot go different ways.

#include "import/ScoreImport.h"
#include "render/FittedScore.h"
#include "render/KeyChoice.h"
#include "score/Score.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TuneDocument {
public:
    TuneDocument();
    ~TuneDocument();

    // Reads a tune. False when the user cancelled a choice: the open tune stays. A file that
    // cannot be read opens as the empty song, with the message said, and Read().failed tells so.
    bool Load(const std::string& path, const ImportRequest& request);
    // The same file read again with other voices; false, and nothing changes, when it cannot be.
    bool ReadVoicesAgain(const VoiceChoice& voices);
    // Lets the old tune go before a new one is read.
    void Close();
    // A score read elsewhere, as written, in place of the tune; and the tune handed back.
    void Adopt(Score song);
    Score Release();

    // The harp everything is fitted to and laid out on, and the lowest note it lets a fit use.
    void SetHarp(const ScoreFrame& frame, int lowestNote);
    // Fits the tune to the harp from its written form; the key then is the fit's.
    void Fit();
    // Fits it again from where it stands and lays out the shown measures anew (a harp changed
    // under it: the fit only shifts the whole tune).
    void FitAgain(RepeatDrawing repeats);
    // Moves the tune to `key` (none: the fit's) and lays out `measures`, held within the tune.
    void Show(KeyChoice key, MeasureRange measures, RepeatDrawing repeats);
    // Another range of the tune as it stands.
    void ShowRange(MeasureRange measures, RepeatDrawing repeats);
    // A range laid out beside the shown one, lent its routed jumps.
    FittedScore LayOut(MeasureRange measures, RepeatDrawing repeats) const;
    FittedScore LayOutWhole(RepeatDrawing repeats) const;

    bool Open() const { return score != nullptr; }
    const Score* Song() const { return score.get(); }
    Score* EditSong() { return score.get(); }
    const FittedScore& Fitted() const { return fitted; }
    const ScoreFrame& Frame() const { return frame; }
    int LowestNote() const { return lowestNote; }
    KeyChoice ChosenKey() const { return chosenKey; }
    int FitTransposition() const { return fitTransposition; }

    // What the tune was read from and how: the read's outcome, its score moved into the document.
    const ImportOutcome& Read() const { return read; }
    ImportOutcome& EditRead() { return read; }
    const std::string& Path() const { return path; }
    // The tune now stands in another file (the library's copy of it).
    void SetPath(std::string file) { path = std::move(file); }
    // A song file when the read failed and the empty song stands in for it.
    ScoreFormat Format() const { return read.failed ? ScoreFormat::SongFile : read.format; }
    int Choice() const { return choice; }
    void SetChoice(int chosen) { choice = chosen; }
    // The voices the tune draws, the melody's named even where the read took the default.
    VoiceChoice DrawnVoices() const;

    // The name of the tune's sheet shown; empty: none of them.
    const std::string& SheetShown() const { return sheetShown; }
    void SetSheetShown(std::string name) { sheetShown = std::move(name); }

private:
    void Take(ImportOutcome& loaded);

    std::unique_ptr<Score> score;
    ImportOutcome read;
    std::string path;
    int choice = kDefaultChoice;
    bool grid = true; // the read writes the song file's grid too
    std::string sheetShown;

    ScoreFrame frame;
    int lowestNote = 0;
    int applied = 0;          // semitones the score stands from its written form
    int fitTransposition = 0; // what the fit moved it
    KeyChoice chosenKey;      // none: the fit's
    FittedScore fitted;
};
