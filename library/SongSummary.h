#pragma once
// The library's view of a song file: its list title and fame level from the 320-byte
// summary block, read without parsing the rest of the file.

#include "song/SummaryBlock.h"

#include <string>

struct SongSummary {
    std::string title; // raw CP932 bytes
    int fame = 0;
};

// A file too short for the block, or one that cannot be opened, yields no block: its title
// is the file name without ".mwd" and its fame level 0.
SongSummary ReadSongSummary(const std::string& path, const std::string& fileName);
