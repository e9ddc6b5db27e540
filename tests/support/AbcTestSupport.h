#pragma once
// ABC text for the reader's tests, and the melody written back as short text that a failed
// comparison shows plainly: "60:2 62:1 r:1" is pitch (or r for a rest) and length in units.

#include "import/abc/AbcReader.h"

#include <cstdint>
#include <numeric>
#include <string>
#include <string_view>
#include <vector>

inline std::vector<uint8_t> AbcBytes(std::string_view text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

struct AbcResult {
    ImportStatus status = ImportStatus::Unreadable;
    Melody melody;
};

inline AbcResult ReadAbcText(std::string_view text, int choice = kDefaultChoice)
{
    AbcResult result;
    result.status = ReadAbc(AbcBytes(text), choice, result.melody);
    return result;
}

// The notes in time order, lengths in units of `unit` ticks ("3/2" when not whole).
inline std::string NotesText(const Melody& melody, int64_t unit = kTicksPerQuarter / 2)
{
    std::string text;
    for (const MelodyNote& n : melody.notes) {
        if (!text.empty())
            text += ' ';
        text += n.pitch == MelodyNote::kRest ? "r" : std::to_string(n.pitch);
        const int64_t g = std::gcd(n.duration, unit);
        text += ':' + std::to_string(n.duration / g);
        if (unit / g != 1)
            text += '/' + std::to_string(unit / g);
    }
    return text;
}

inline std::string OnsetsText(const Melody& melody, int64_t unit = kTicksPerQuarter / 2)
{
    std::string text;
    for (const MelodyNote& n : melody.notes)
        text += (text.empty() ? "" : " ") + std::to_string(n.onset / unit);
    return text;
}

inline std::string LyricsText(const Melody& melody)
{
    std::string text;
    bool first = true;
    for (const MelodyNote& n : melody.notes)
        if (n.pitch != MelodyNote::kRest) {
            text += (first ? "" : "|") + n.lyric;
            first = false;
        }
    return text;
}
