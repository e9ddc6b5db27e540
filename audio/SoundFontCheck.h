#pragma once
// A soundfont's own tables read before FluidSynth is handed the file: whether it holds the harp,
// and whether what FluidSynth would read of it fits in memory. FluidSynth reads the preset
// tables whole and the harp's samples whole, trusting the sizes the file claims; a sparse file
// of a few kilobytes may claim gigabytes.

#include <cstdint>
#include <string>

// The preset tables of FluidR3_GM take under 1 MiB.
constexpr uint64_t kMaxPresetTableBytes = 16ull << 20;
// The harp's samples of the distribution's soundfonts take a few MiB; a concert harp sampled
// string by string at length stays well below this.
constexpr uint64_t kMaxHarpSampleBytes = 256ull << 20;

enum class SoundFontFault {
    kNone,
    kNotSoundFont, // no RIFF "sfbk" file
    kDamaged,      // a chunk, table or sample reaching past what holds it
    kNoHarp,       // no preset 47 in bank 0, or one without a sample
    kTooLarge,     // tables or harp samples over the limits above
};

SoundFontFault CheckSoundFont(const std::string& path, int bank, int program);
