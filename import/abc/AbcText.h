#pragma once
// Text in ABC fields and lyrics: UTF-8 by default, with backslash mnemonics for accented
// letters. Older collections are Latin-1; their bytes must still come out as valid UTF-8.

#include "common/Utf8.h"

#include <string>
#include <string_view>

// The line up to its first unescaped '%', without surrounding white space.
std::string_view AbcStripComment(std::string_view line);

std::string_view AbcTrim(std::string_view text);

// Decodes mnemonics (\'e, \"o, \ss, \u00e9, ...) and escapes (\%, \\). A byte that does not
// start a valid UTF-8 sequence is taken as Latin-1, so the result is always valid UTF-8.
std::string AbcTextToUtf8(std::string_view raw);
