#pragma once
// A small text notation for melodies, turned into song files by mwdmake (see
// samples/README.md for the notation).

#include "song/CSongFileWriter.h"

#include <memory>
#include <string>

struct MelodyParseResult {
    std::unique_ptr<CSongFileWriter> song;
    std::string error; // empty on success; otherwise "line N: what"
    int measures = 0;
};

MelodyParseResult ParseMelodyText(const std::string& text);
