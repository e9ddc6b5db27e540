#pragma once
// A score with repeats drawn as it is written: each written measure once, and a jump line for
// every way back or forward the play order takes. The song's grid holds the tune as played;
// the written measures are cut from its first pass through each.

#include "render/ScoreGeometry.h"
#include "render/ScoreLayout.h"

#include <array>
#include <string>
#include <utility>

struct Score;

// The whole song as written, with its jumps (not yet routed) and marks; when the song's form
// cannot be drawn so, the song as played with `fallback` saying why. A song without repeats is
// laid out as played, with no fallback.
ScoreLayout LayOutWritten(const Score& score);

// The lines of the layout's routed jumps on a picture computed from its notes: out of the
// note's circle sideways to the gap, along it, and into the other note's circle from the side.
// An end outside the range runs to the picture's first or last time instead.
std::vector<JumpLine> JumpLines(const ScoreGeometry& score, const ScoreLayout& layout);

// The arrowhead at a line's last point, in picture pixels: its tip there, its base back along
// the last piece.
struct JumpArrow {
    std::array<std::pair<double, double>, 3> corners; // tip first
    std::pair<double, double> base;
};
JumpArrow ArrowOf(const JumpLine& line);

// What a sheet and the renderer's facts say about a fallback; empty for none.
std::string FallbackNotice(RepeatFallback why); // UTF-8, for the sheet
const char* FallbackName(RepeatFallback why);   // "crossing", for the facts
