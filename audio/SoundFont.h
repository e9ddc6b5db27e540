#pragma once
// Which soundfont the harp sounds from: the player's own when named in sound.ini and usable,
// else the fullest General MIDI soundfont the distribution installed.

#include <span>
#include <string>

constexpr const char* kSoundSettingsFileName = "sound.ini";

// FluidSynth's GM soundfont first, then the small one, then whatever the system's alternative
// names.
extern const char* const kDistributionSoundFonts[3];

// The diagnostics of FluidSynth and of the libraries under it (ALSA's, GLib's for libinstpatch)
// handed to the program instead of standard error, and dropped there: the program says what
// matters in its own words (no device, no soundfont, a soundfont replaced).
void QuietSoundLibraries();

// A regular file (a FIFO or device is never opened) that holds the harp within the limits of
// SoundFontCheck.h.
bool IsSoundFontFile(const std::string& path);

// The player's choice when it is a soundfont, else the first installed one; "" when none is.
std::string ChooseSoundFont(const std::string& playersChoice,
                            std::span<const char* const> installed = kDistributionSoundFonts);

// The `soundfont=` value of the `[sound]` group of a small text file; "" when the file is
// missing, not a regular file, over 4 KiB or holds no such line.
std::string ReadSoundFontSetting(const std::string& iniPath);
