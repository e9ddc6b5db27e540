#pragma once
// FluidSynth with a General MIDI soundfont, set to the harp, rendering into the caller's
// buffers. One thread at a time uses it: the device's while it plays, its owner otherwise.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

struct _fluid_hashtable_t;
struct _fluid_synth_t;

class HarpSynth {
public:
    // GM program 47, "Orchestral Harp", counted from 0.
    static constexpr int kHarpProgram = 46;
    // General MIDI's percussion: channel 10 (9 from 0), the standard kit of bank 128, and
    // the wood blocks that click the metronome.
    static constexpr int kClickChannel = 9;
    static constexpr int kDrumBank = 128;
    static constexpr int kAccentClick = 76, kClick = 77;

    // Loads the soundfont when it holds the harp within the limits of SoundFontCheck.h;
    // Ready() tells whether it could.
    HarpSynth(const std::string& soundFont, int sampleRate);
    ~HarpSynth();
    HarpSynth(const HarpSynth&) = delete;
    HarpSynth& operator=(const HarpSynth&) = delete;

    bool Ready() const { return synth != nullptr; }
    // On channel 0 (the melody's) or another voice's; every voice's channel plays the harp.
    void NoteOn(int pitch, int channel = 0);
    void NoteOff(int pitch, int channel = 0);
    // The channels that play the harp: 0 up to this, none of them the percussion's.
    static constexpr int kHarpChannels = 5;
    // A metronome's click on the percussion channel, or a short high harp tone when the
    // soundfont holds no usable drum kit; ClickOff lets that tone go.
    void Click(bool accent, int volumePercent = 100);
    void ClickOff(bool accent);
    // Whether clicks sound on the drum kit (else on the harp tone).
    bool ClicksOnDrums() const { return drums; }
    // Every note released; what still rings fades as a plucked string does.
    void ReleaseAll();
    // Quiet at once and as new: what it renders from here on is what a synthesizer just made
    // would render, so that the same notes give the same samples. Makes the synthesizer anew,
    // which takes milliseconds: for the offline renders, never between two buffers.
    void Silence();
    // Quiet at once: every voice of every channel stopped, in the time of a buffer; what comes
    // next starts clean (but for the reverb's last echo, far below hearing).
    void Reset();
    // Overwrites frames samples of each channel.
    void Write(float* left, float* right, int frames);

private:
    bool Load();
    bool SelectHarp();
    void SelectClick();
    int ClickPitch(bool accent) const;

    std::string soundFont;
    _fluid_hashtable_t* settings = nullptr;
    int font = -1;
    _fluid_synth_t* synth = nullptr;
    bool drums = false; // the soundfont's drum kit passed the check
    int64_t written = 0; // frames written since the synthesizer was made
};

// The synthesizer on the first of `soundFonts` that loads with the harp, its index in `taken`;
// nullptr when none does.
std::unique_ptr<HarpSynth> LoadHarpSynth(std::span<const std::string> soundFonts, int sampleRate,
                                         size_t* taken = nullptr);
