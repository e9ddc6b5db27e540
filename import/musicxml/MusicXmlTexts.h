#pragma once
// The words a MusicXML score writes beside its notes: its title and creators, its parts' names
// and the verses past the first.

#include <pugixml.hpp>
#include <string>
#include <vector>

// The work's title, else the movement's, else the first credit of the title's type.
std::string TitleOf(pugi::xml_node score);
// The score's creator of a kind ("composer", "lyricist"), from its identification.
std::string CreatorOf(pugi::xml_node score, const char* type);
// A score-part's part-name, else its abbreviation; empty when it has neither.
std::string PartNameOf(pugi::xml_node scorePart);
// The words of every verse but the first, in written order, a line each: syllables joined as
// their syllabic says, a verse cut at a bound the sheet can hold.
std::vector<std::string> FurtherVerses(const std::vector<pugi::xml_node>& measures, int& leftOut);
