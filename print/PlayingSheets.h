#pragma once
// The sheet at the harp's scale gives time its own room, rather than spreading the measures
// over the picture's height: every pluck stands clear of the one before, and the tune is cut at
// measure lines into sheets no longer than the harp's strings.

#include "render/FittedScore.h"

#include <vector>

// How time takes room on such a sheet, in picture pixels (they scale with the string spacing,
// as the circles do).
namespace SheetRoom {
constexpr int kBeat = 20;            // a beat of notes that follow each other evenly
constexpr double kLongShare = 0.5;   // each beat of a long note or rest after its first
constexpr int kLongestBeats = 4;     // a gap longer than this takes no more room
constexpr int kMeasureStart = 4;     // added before the first note of a measure
constexpr double kClearMm = 0.8;     // least paper between two circles' (or rings') edges
} // namespace SheetRoom

// Where every drawn note's time, every measure start and the range's end stand, time 0 at `top`:
// each gap gets a beat's room per beat up to one beat, then less, and never less than the
// circles on both sides with the clear paper between them; a later time always stands lower.
std::vector<TimeMark> PlayingTimeline(const FittedScore& score, double pixelsPerMm, int top);

// The measures one sheet holds: [first, end) of the laid-out range.
struct SheetCut {
    size_t first = 0, end = 0;
    bool operator==(const SheetCut&) const = default;
};

// The y of each measure's start on the timeline, then the range's end.
std::vector<int> MeasureStarts(const FittedScore& score, const std::vector<TimeMark>& timeline);

// Cuts the measures (`starts` as above) into as few sheets as hold them, each at most `room`
// long; then each sheet but the last filled to 85 % at least, cuts after 4 or 8 measures, no
// measure alone on a sheet. A measure longer than `room` gets a sheet of its own.
std::vector<SheetCut> CutIntoSheets(const std::vector<int>& starts, int room);

// One sheet's part of the score: its measures' notes, words and chords from time 0, on
// `frame`'s strings and picture, the timeline moved so that the sheet's first measure starts at
// `top`.
FittedScore SheetScore(const FittedScore& whole, const std::vector<TimeMark>& timeline, SheetCut cut,
                       const ScoreFrame& frame, int top);
