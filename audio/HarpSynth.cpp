#include "audio/HarpSynth.h"

#include "audio/SoundFont.h"
#include "audio/SoundFontCheck.h"

#include <fluidsynth.h>

#include <algorithm>
#include <mutex>

namespace {

constexpr int kVelocity = 96;
// FluidSynth's block, FLUID_BUFSIZE: it renders this many frames at a time.
constexpr int kSynthBlockFrames = 64;
// A released string is damped within a fraction of a second (the soundfont's own release,
// in timecents, shortened fourfold), so that one note does not blur the next.
constexpr float kReleaseOffset = -2400.0f;
// A click is damped at once when it is let go: left to the kit's own release, the wood block
// sounds again 110-150 ms after its stroke, a second tick on every beat. It goes dry as well
// (General MIDI's reverb and chorus sends), so that nothing follows its stroke.
constexpr int kReverbSend = 91, kChorusSend = 93;
constexpr float kClickReleaseOffset = -12000.0f;

} // namespace

HarpSynth::HarpSynth(const std::string& soundFont, int sampleRate) : soundFont(soundFont)
{
    QuietSoundLibraries();
    settings = new_fluid_settings();
    if (!settings)
        return;
    fluid_settings_setnum(settings, "synth.sample-rate", sampleRate);
    // A melody of one voice peaks well below full scale at this gain, even with its reverb.
    fluid_settings_setnum(settings, "synth.gain", 0.5);
    fluid_settings_setint(settings, "synth.chorus.active", 0);
    fluid_settings_setint(settings, "synth.cpu-cores", 1);
    // Only the harp's samples are read, so even a large soundfont loads at once.
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    Load();
}

bool HarpSynth::Load()
{
    fluid_synth_t* made = new_fluid_synth(settings);
    if (!made)
        return false;
    // Checked again at every load, as the file may have changed since.
    const bool usable = CheckSoundFont(soundFont, 0, kHarpProgram) == SoundFontFault::kNone;
    const int loaded = usable ? fluid_synth_sfload(made, soundFont.c_str(), 1) : -1;
    // The kit's tables are checked as the harp's are before FluidSynth reads its samples.
    const bool kit = usable && CheckSoundFont(soundFont, kDrumBank, 0) == SoundFontFault::kNone;
    fluid_synth_t* old = synth;
    const int oldFont = font;
    const bool oldDrums = drums;
    synth = made;
    font = loaded;
    drums = kit;
    if (font < 0 || !SelectHarp()) {
        delete_fluid_synth(made);
        synth = old;
        font = oldFont;
        drums = oldDrums;
        return false;
    }
    if (old)
        delete_fluid_synth(old);
    written = 0;
    return true;
}

bool HarpSynth::SelectHarp()
{
    for (int channel = 0; channel < kHarpChannels; ++channel) {
        if (fluid_synth_program_select(synth, channel, font, 0, kHarpProgram) != FLUID_OK)
            return false;
        fluid_synth_set_gen(synth, channel, GEN_VOLENVRELEASE, kReleaseOffset);
    }
    SelectClick();
    return true;
}

void HarpSynth::SelectClick()
{
    fluid_synth_cc(synth, kClickChannel, kReverbSend, 0);
    fluid_synth_cc(synth, kClickChannel, kChorusSend, 0);
    fluid_synth_set_gen(synth, kClickChannel, GEN_VOLENVRELEASE, kClickReleaseOffset);
    if (drums && fluid_synth_set_channel_type(synth, kClickChannel, CHANNEL_TYPE_DRUM) == FLUID_OK &&
        fluid_synth_program_select(synth, kClickChannel, font, kDrumBank, 0) == FLUID_OK)
        return;
    drums = false;
    fluid_synth_set_channel_type(synth, kClickChannel, CHANNEL_TYPE_MELODIC);
    fluid_synth_program_select(synth, kClickChannel, font, 0, kHarpProgram);
    fluid_synth_set_gen(synth, kClickChannel, GEN_VOLENVRELEASE, kReleaseOffset);
}

int HarpSynth::ClickPitch(bool accent) const
{
    // Above the harp's strings, a fourth apart, when the harp stands in for the kit.
    if (!drums)
        return accent ? 96 : 91;
    return accent ? kAccentClick : kClick;
}

void HarpSynth::Click(bool accent, int volumePercent)
{
    // A velocity of 0 would be a note-off: no volume is no click.
    const int velocity = (accent ? 127 : 90) * std::clamp(volumePercent, 0, 100) / 100;
    if (synth && velocity > 0)
        fluid_synth_noteon(synth, kClickChannel, ClickPitch(accent), velocity);
}

void HarpSynth::ClickOff(bool accent)
{
    if (synth)
        fluid_synth_noteoff(synth, kClickChannel, ClickPitch(accent));
}

HarpSynth::~HarpSynth()
{
    if (synth)
        delete_fluid_synth(synth);
    if (settings)
        delete_fluid_settings(settings);
}

namespace {

bool PlayableOn(int pitch, int channel)
{
    return pitch >= 0 && pitch <= 127 && channel >= 0 && channel < HarpSynth::kHarpChannels;
}

} // namespace

void HarpSynth::NoteOn(int pitch, int channel)
{
    if (synth && PlayableOn(pitch, channel))
        fluid_synth_noteon(synth, channel, pitch, kVelocity);
}

void HarpSynth::NoteOff(int pitch, int channel)
{
    if (synth && PlayableOn(pitch, channel))
        fluid_synth_noteoff(synth, channel, pitch);
}

void HarpSynth::ReleaseAll()
{
    if (!synth)
        return;
    for (int channel = 0; channel < kHarpChannels; ++channel)
        fluid_synth_all_notes_off(synth, channel);
    fluid_synth_all_notes_off(synth, kClickChannel);
}

void HarpSynth::Silence()
{
    if (!synth)
        return;
    // FluidSynth keeps state past every reset: the rest of the block it rendered last, handed
    // out before anything new, the reverb's modulation and what its voices last played. Only a
    // synthesizer made anew renders the same notes to the same samples, so one is made; should
    // the soundfont no longer load, the old one goes on, reset as far as it can be.
    if (Load())
        return;
    fluid_synth_system_reset(synth);
    SelectHarp();
}

void HarpSynth::Reset()
{
    if (!synth)
        return;
    for (int channel = 0; channel < kHarpChannels; ++channel) {
        fluid_synth_all_notes_off(synth, channel);
        fluid_synth_all_sounds_off(synth, channel);
    }
    fluid_synth_all_notes_off(synth, kClickChannel);
    fluid_synth_all_sounds_off(synth, kClickChannel);
    // No system reset: FluidSynth's lets voices it was told to stop ring on, and the channels
    // were never changed from how they were loaded.
    // FluidSynth renders whole blocks and hands out the rest of the last one before anything
    // new: those frames were made before the reset, so they are taken and dropped.
    const int64_t left = (kSynthBlockFrames - written % kSynthBlockFrames) % kSynthBlockFrames;
    if (left > 0) {
        float dropL[kSynthBlockFrames], dropR[kSynthBlockFrames];
        Write(dropL, dropR, static_cast<int>(left));
    }
}

void HarpSynth::Write(float* left, float* right, int frames)
{
    if (synth && frames > 0 && fluid_synth_write_float(synth, frames, left, 0, 1, right, 0, 1) == FLUID_OK) {
        written += frames;
        return;
    }
    std::fill(left, left + std::max(frames, 0), 0.0f);
    std::fill(right, right + std::max(frames, 0), 0.0f);
}

std::unique_ptr<HarpSynth> LoadHarpSynth(std::span<const std::string> soundFonts, int sampleRate, size_t* taken)
{
    for (size_t i = 0; i < soundFonts.size(); ++i) {
        if (soundFonts[i].empty())
            continue;
        auto synth = std::make_unique<HarpSynth>(soundFonts[i], sampleRate);
        if (!synth->Ready())
            continue;
        if (taken)
            *taken = i;
        return synth;
    }
    return nullptr;
}
