#pragma once
// Lyrics of a w: line: split into syllables, then laid on the notes written since the
// previous w: line, one syllable per note; rests and grace notes take none.

#include "import/abc/AbcEvent.h"

#include <string>
#include <string_view>
#include <vector>

struct AbcSyllable {
    enum class Kind { Text, Blank, Bar };
    Kind kind = Kind::Text;
    std::string text; // UTF-8
};

// Words split at blanks and hyphens; "_" holds the previous syllable one more note and "*"
// skips one (both Blank); "~" is a blank inside a syllable, "\-" a hyphen inside it; "|"
// moves on to the next bar. A hyphen after a blank or another hyphen is a Blank of its own.
std::vector<AbcSyllable> SplitAbcLyrics(std::string_view line);

// Gives the notes in `slots` their syllables of verse `verse` (1 the first); excess syllables
// are dropped, notes without one keep none.
void AlignAbcLyrics(const std::vector<AbcSyllable>& syllables, const std::vector<AbcLyricSlot>& slots,
                    std::vector<AbcEvent>& events, int verse = 1);

// The words of a w: line as a line of text to read: syllables joined, words apart.
std::string AbcVerseText(std::string_view line);
