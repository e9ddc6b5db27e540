#pragma once
// Where a written score's jump lines run: each in a gap between strings, clear of the other
// lines and, where the strings leave room, of every voice the sheet draws.

#include "render/ScoreGeometry.h"
#include "render/ScoreLayout.h"

// Chooses the gap between strings each jump's line runs in, on the frame's strings: no two
// lines share a gap where they run side by side, no line's piece crosses another, and two
// lines leave or enter a note on the same side only when both leave it or both enter it (they
// run as one out of the circle). Where some routing allows it, no line crosses a drawn voice's
// circle, flow line or synch line; else none crosses the melody's flow lines; else they may.
// False, with the gaps unset, when some jump finds no gap.
bool RouteJumps(ScoreLayout& layout, const ScoreFrame& frame);
