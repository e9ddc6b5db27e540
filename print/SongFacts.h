#pragma once
// What a sheet's legend tells about the song, besides the strings and the circle kinds. UTF-8.

#include "song/SongVoices.h"

#include <array>
#include <string>

struct SongFacts {
    std::string title;
    std::string key; // after fitting to the strings
    int beatsPerMeasure = 0;
    int tempo = 0;           // beats per minute, as the score plays
    std::string meterName;   // a meter counted in dotted beats ("8分の6拍子"); empty otherwise
    int firstMeasure = 0, lastMeasure = 0;
    int songMeasures = 0; // the song's own count: a range that leaves some out says so
    bool pickup = false;  // a sheet at scale numbers from the first full measure
    std::string composer, lyricist;
    std::string repeatsNotice; // why a score with repeats is written out although lines were asked for
    std::array<std::string, kVoiceRoleCount> partNames; // each role's part, as its file names it
};
