#pragma once
// Where the tunes of an ABC file are. A tune starts at an X: line and ends at the next blank
// line; a first block of lines without X:, ended by a blank line, is the file header whose
// fields apply to every tune. Only X: and the tune header's first T: are read here, so a
// collection of thousands of tunes is listed in one pass over its lines.

#include <string>
#include <string_view>
#include <vector>

struct AbcTuneSpan {
    int number = 0;     // of X:; 0 when it gives none
    std::string title;  // the first T: before K:, UTF-8
    size_t begin = 0;   // byte offset of the X: line
    size_t end = 0;     // byte offset just past the tune's last line
};

struct AbcFileLayout {
    char separator = '\n';
    size_t headerEnd = 0; // the file header is [0, headerEnd)
    std::vector<AbcTuneSpan> tunes; // at most kAbcMaxTunes
};

// Lines of text[begin, end): ended by "\n", "\r\n", or "\r" in files that use nothing else.
class AbcLines {
public:
    AbcLines(std::string_view text, size_t begin, size_t end, char separator);
    static char SeparatorOf(std::string_view text);
    bool Next(std::string_view& line);
    size_t Offset() const { return pos; } // where the next line starts

private:
    std::string_view text;
    size_t pos;
    size_t end;
    char separator;
};

AbcFileLayout ScanAbcFile(std::string_view text);

// The text of a T: field as a title.
std::string AbcTitle(std::string_view value);
