#pragma once
// What a player reads beside the circles: each note's syllable, the chord names where the
// chord changes, and the measures with their numbers. Placed in picture pixels, as the circles
// are, so that the page only has to scale them; no text covers a circle.

#include "render/ScoreGeometry.h"
#include "render/ScoreLayout.h"
#include "settings/SheetSettings.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

struct TextBox {
    double left = 0, top = 0, right = 0, bottom = 0;

    bool Overlaps(const TextBox& other) const
    {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
};

struct PlacedText {
    std::string text; // UTF-8
    TextBox box;
};

struct PlacedMeasure {
    int y = 0;      // where the measure starts: its mark runs across the strings there
    int number = 0; // as the song counts its measures
    TextBox numberBox; // in the margin before the lowest string
    bool numbered = true; // false: the number found no room, only the mark is drawn
};

// A dot beside a dotted note's circle.
struct PlacedDot {
    double x, y, radius;
};

// A rest of a beat or more, marked on the line between the notes around it, with its length in
// beats where it is longer than one.
struct PlacedRest {
    TextBox mark;
    std::string beats; // "" for one beat
    TextBox label;
};

// A written score's mark beside its note: an ending's number, "Fine", "D.C.", "D.S." as text;
// the segno and coda as their signs, drawn in the box.
struct PlacedSign {
    SignKind kind;
    std::string text; // UTF-8; empty for the segno and coda
    TextBox box;
    bool turned = false; // the text runs down the box, turned a quarter clockwise
};

struct ScoreWords {
    std::vector<PlacedText> words;
    int wordsLeftOut = 0; // syllables that found no free place
    std::vector<PlacedText> chords;
    int chordsLeftOut = 0;
    std::vector<PlacedMeasure> measures;
    int numbersLeftOut = 0; // measure numbers that found no room inside `within`
    std::vector<PlacedDot> dots;
    std::vector<PlacedRest> rests;
    std::vector<PlacedText> counts; // "1", "+", "2" (and "a" in threes) beside the notes
    std::vector<PlacedSign> signs;
    int signsLeftOut = 0;
};

// What a sheet to play from adds, since its room no longer shows every length: dots, rest
// marks and, when chosen, the counts. The page fitted to the paper has none of them.
struct PlayingMarks {
    bool dots = false;
    bool rests = false;
    bool counts = false;
    bool numbersBesideNotes = false; // a measure's number beside its first note, not before the lowest string
};

enum class TextKind { kWord, kChord, kMeasureNumber, kCount, kSign };

// Width and height a UTF-8 text of the kind takes on the sheet, in picture pixels.
using TextExtent = std::function<std::pair<double, double>(TextKind kind, const std::string& utf8)>;

// `score` must have been computed from `layout`'s notes; its jump lines are kept clear of every
// text, and the layout's signs go beside their notes before anything else. A syllable goes beside its circle on
// the side away from the line to the next note, or moved along its string's gap when that
// place is taken; a chord name goes in the margin after the highest string, else in the first
// free gap at its height; a place that would cover a circle, a line or another text is not
// taken, and what finds none is left out and counted. With `within` (picture pixels), every
// text keeps inside it, and a measure number with no room before the lowest string goes into
// the first free gap above it, or is left out. No text or mark crosses a fence: a picture x
// where pages are glued.
ScoreWords PlaceScoreWords(const ScoreGeometry& score, const ScoreLayout& layout, const WordChoices& choices,
                           const TextExtent& extent, const TextBox* within = nullptr, PlayingMarks marks = {},
                           const std::vector<double>& fences = {});

// How many dots a length in time units carries: one for 1.5 times a plain length, two for 1.75.
int DotsOfLength(int length);
