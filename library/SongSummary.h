#pragma once
// The library's view of a song file: its list title and fame level from the 320-byte
// summary block, read without parsing the rest of the file.

#include <cstdint>
#include <string>

constexpr uint32_t kSummaryOffset = 90112;
constexpr uint32_t kSummarySize = 320;
constexpr uint32_t kSummaryTitleOffset = 256;
constexpr uint32_t kSummaryTitleEnd = 289;
constexpr uint32_t kSummaryFameOffset = 237;

struct SongSummary {
    std::string title; // raw CP932 bytes
    int fame = 0;
    bool hasBlock = false;
};

// A file too short for the block, or one that cannot be opened, yields no block: its title
// is the file name without ".mwd" and its fame level 0.
SongSummary ReadSongSummary(const std::string& path, const std::string& fileName);
