#pragma once
// The hand-written settings files' lines, read without the blanks and line ends around them.

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

inline std::string_view Trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The text's lines without their line feeds (a carriage return stays).
inline std::vector<std::string> LinesOf(std::string_view text)
{
    std::vector<std::string> lines;
    for (size_t from = 0; from < text.size();) {
        const size_t end = std::min(text.find('\n', from), text.size());
        lines.emplace_back(text.substr(from, end - from));
        from = end + 1;
    }
    return lines;
}
