#pragma once
// One song fitted to one harp and laid out: the value the window, the renderer and the printer
// are handed. Built once per load or measure change; the picture, the page and the facts all
// read it, so they cannot disagree.

#include "render/ScoreGeometry.h"
#include "render/ScoreLayout.h"
#include "settings/SheetSettings.h"

#include <memory>
#include <vector>

struct Score;

// A newly loaded song shows measures 1 up to this many.
constexpr int kMaxShownMeasures = 32;

struct MeasureRange {
    int first = 1;
    int last = 1;
};

// Measures 1..min(measure count, kMaxShownMeasures).
MeasureRange FirstShownMeasures(const Score& score);

struct FittedScore {
    ScoreFrame frame;         // the harp and picture size, with the layout's total length
    int transposition = 0;    // semitones the fitting moved the song
    MeasureRange measures;
    ScoreLayout layout;       // the laid-out notes (also those without a string), words, chords, measures
    ScoreGeometry geometry;   // where strings and drawn notes stand
    int notesWithoutString = 0;     // the melody's
    std::vector<int> voiceNotesWithoutString; // one per layout voice
    // The measures the range counts: written ones when each is drawn once.
    int measureCount = 0;
    // The whole song as written, its jump lines routed on the frame's strings (or the reason
    // they could not be): every range of the song is cut from it. Empty for a song that
    // does not repeat or is laid out as played by choice.
    std::shared_ptr<const ScoreLayout> written;

    // Whether the layout draws each written measure once: only then has it a way to play through.
    bool DrawnOnce() const { return !layout.playing.empty(); }
};

// The score of no song: the frame's strings alone.
FittedScore UnfittedScore(const ScoreFrame& frame);

// Moves the score's notes onto the frame's strings (lowest allowed note `lowestNote`) and
// returns the semitones applied.
int FitScoreToFrame(Score& score, const ScoreFrame& frame, int lowestNote);

// The notes of a laid-out voice that would have no string after a move of `shift` semitones,
// counted as the sheet counts them: an accompaniment's note only when no octave of it has one,
// a fifth the accompaniment may leave out never.
int VoiceNotesWithoutString(const LaidVoice& voice, const ScoreFrame& frame, int shift);

// Moves the accompaniment's notes without a string by octaves where one has a string, leaves
// out its fifths the harp lacks, and counts each voice's notes still without one.
void FitVoicesToStrings(ScoreLayout& layout, const ScoreFrame& frame, std::vector<int>& missing);

// Lays out the measures of a score already fitted by `transposition` semitones. With jump
// lines asked for and a score that repeats, the measures are the written ones and the range is
// held within them; when its jumps cannot be drawn the song is laid out as played and the
// layout says why. `before`, a score of the same song as it stands, lends its routed written
// layout when its strings are the frame's, so that a new range routes nothing again.
FittedScore LayOutFittedScore(const ScoreFrame& frame, const Score& score, MeasureRange measures,
                              int transposition, RepeatDrawing repeats = RepeatDrawing::kLines,
                              const FittedScore* before = nullptr);
