#include "import/abc/AbcFile.h"

#include "import/abc/AbcLimits.h"
#include "import/abc/AbcText.h"

#include <cstring>

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr size_t kMaxTuneNumberDigits = 9;

bool IsBlankLine(std::string_view line)
{
    for (const char c : line)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\f' && c != '\v')
            return false;
    return true;
}

int TuneNumber(std::string_view value)
{
    value = AbcTrim(value);
    int number = 0;
    size_t digits = 0;
    for (; digits < value.size() && value[digits] >= '0' && value[digits] <= '9'; ++digits)
        if (digits < kMaxTuneNumberDigits)
            number = number * 10 + (value[digits] - '0');
    return digits > 0 && digits <= kMaxTuneNumberDigits ? number : 0;
}

} // namespace

std::string AbcTitle(std::string_view value)
{
    return CutUtf8(AbcTextToUtf8(AbcStripComment(value)), kAbcMaxTitleBytes);
}

AbcLines::AbcLines(std::string_view text, size_t begin, size_t end, char separator)
    : text(text), pos(begin), end(end), separator(separator)
{
}

char AbcLines::SeparatorOf(std::string_view text)
{
    if (text.empty() || std::memchr(text.data(), '\n', text.size()))
        return '\n';
    return std::memchr(text.data(), '\r', text.size()) ? '\r' : '\n';
}

bool AbcLines::Next(std::string_view& line)
{
    if (pos >= end)
        return false;
    const void* found = std::memchr(text.data() + pos, separator, end - pos);
    const size_t stop = found ? static_cast<size_t>(static_cast<const char*>(found) - text.data()) : end;
    line = text.substr(pos, stop - pos);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    pos = found ? stop + 1 : end;
    return true;
}

AbcFileLayout ScanAbcFile(std::string_view text)
{
    AbcFileLayout layout;
    layout.separator = AbcLines::SeparatorOf(text);
    const size_t start = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    AbcLines lines(text, start, text.size(), layout.separator);
    bool firstBlock = true;   // may still be the file header
    bool inTune = false;
    bool inTuneHeader = false;
    std::string_view line;
    for (size_t lineStart = start; lines.Next(line); lineStart = lines.Offset()) {
        if (line.starts_with("X:")) {
            if (inTune)
                layout.tunes.back().end = lineStart;
            if (layout.tunes.size() >= static_cast<size_t>(kAbcMaxTunes))
                return layout;
            layout.tunes.push_back(AbcTuneSpan{TuneNumber(line.substr(2)), {}, lineStart, text.size()});
            inTune = inTuneHeader = true;
            firstBlock = false;
        } else if (line.empty() || IsBlankLine(line)) {
            if (firstBlock)
                layout.headerEnd = lineStart;
            if (inTune)
                layout.tunes.back().end = lineStart;
            firstBlock = inTune = inTuneHeader = false;
        } else if (inTuneHeader && line.size() >= 2 && line[1] == ':' && line.size() <= kAbcMaxLineBytes) {
            AbcTuneSpan& tune = layout.tunes.back();
            if (line[0] == 'T' && tune.title.empty())
                tune.title = AbcTitle(line.substr(2));
            inTuneHeader = line[0] != 'K';
        }
    }
    return layout;
}
