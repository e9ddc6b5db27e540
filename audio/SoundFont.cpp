#include "audio/SoundFont.h"

#include "audio/HarpSynth.h"
#include "audio/SoundFontCheck.h"

#include <alsa/asoundlib.h>
#include <fluidsynth.h>
#include <glib.h>

#include <fstream>
#include <mutex>
#include <sstream>
#include <sys/stat.h>

const char* const kDistributionSoundFonts[3] = {
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
};

namespace {

constexpr off_t kMaxSettingsBytes = 4096;

bool IsRegularFile(const std::string& path, off_t* size = nullptr)
{
    struct stat st;
    if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    if (size)
        *size = st.st_size;
    return true;
}

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

void DropFluidText(int, const char*, void*) {}
void DropAlsaText(const char*, int, const char*, int, const char*, ...) {}
void DropGLibText(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

} // namespace

void QuietSoundLibraries()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
            fluid_set_log_function(level, DropFluidText, nullptr);
        // Without a sound server ALSA names every device it cannot open.
        snd_lib_error_set_handler(DropAlsaText);
        // libinstpatch, FluidSynth's second reader, logs through GLib's default domain when a
        // soundfont is damaged.
        g_log_set_default_handler(DropGLibText, nullptr);
    });
}

bool IsSoundFontFile(const std::string& path)
{
    return IsRegularFile(path) && CheckSoundFont(path, 0, HarpSynth::kHarpProgram) == SoundFontFault::kNone;
}

std::string ChooseSoundFont(const std::string& playersChoice, std::span<const char* const> installed)
{
    if (IsSoundFontFile(playersChoice))
        return playersChoice;
    for (const char* path : installed)
        if (IsSoundFontFile(path))
            return path;
    return "";
}

std::string ReadSoundFontSetting(const std::string& iniPath)
{
    off_t size = 0;
    if (!IsRegularFile(iniPath, &size) || size > kMaxSettingsBytes)
        return "";
    std::ifstream in(iniPath, std::ios::binary);
    std::string line, group;
    std::string found;
    bool first = true;
    while (std::getline(in, line)) {
        if (first && line.rfind("\xEF\xBB\xBF", 0) == 0)
            line.erase(0, 3);
        first = false;
        line = Trimmed(line);
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            group = Trimmed(line.substr(1, line.size() - 2));
            continue;
        }
        const size_t equals = line.find('=');
        if (group == "sound" && equals != std::string::npos && Trimmed(line.substr(0, equals)) == "soundfont")
            found = Trimmed(line.substr(equals + 1));
    }
    return found;
}
