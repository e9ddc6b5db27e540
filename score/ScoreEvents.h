#pragma once
// The exact listing of a score's notes: each onset of each voice with its time and length as
// fractions of a whole note, so that a test or a user can check every note against its file.

#include "score/Score.h"

#include <functional>
#include <ostream>
#include <string>
#include <string_view>

// "3/16", "-1/4", "0", "2": ticks as a fraction of a whole note, in lowest terms.
std::string WholeNoteFraction(int64_t ticks);

// One line per onset of every voice drawn in measures first..last (1-based), in time order:
// ONSET, LENGTH, PITCHES (comma-separated), ROLE and LYRIC, tab-separated. Onsets count from
// the first full measure, so that a pickup's notes stand before zero. `oneLine` keeps a lyric
// from the file on its line.
void WriteEventLines(std::ostream& out, const Score& score, int first, int last,
                     const std::function<std::string(std::string_view)>& oneLine);
