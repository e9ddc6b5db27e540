#pragma once
// FluidSynth with a General MIDI soundfont, set to the harp, rendering into the caller's
// buffers. One thread at a time uses it: the device's while it plays, its owner otherwise.

#include <memory>
#include <span>
#include <string>

struct _fluid_hashtable_t;
struct _fluid_synth_t;

class HarpSynth {
public:
    // GM program 47, "Orchestral Harp", counted from 0.
    static constexpr int kHarpProgram = 46;

    // Loads the soundfont when it holds the harp within the limits of SoundFontCheck.h;
    // Ready() tells whether it could.
    HarpSynth(const std::string& soundFont, int sampleRate);
    ~HarpSynth();
    HarpSynth(const HarpSynth&) = delete;
    HarpSynth& operator=(const HarpSynth&) = delete;

    bool Ready() const { return synth != nullptr; }
    void NoteOn(int pitch);
    void NoteOff(int pitch);
    // Every note released; what still rings fades as a plucked string does.
    void ReleaseAll();
    // Quiet at once, as before the first note.
    void Silence();
    // Overwrites frames samples of each channel.
    void Write(float* left, float* right, int frames);

private:
    bool SelectHarp();

    _fluid_hashtable_t* settings = nullptr;
    int font = -1;
    _fluid_synth_t* synth = nullptr;
};

// The synthesizer on the first of `soundFonts` that loads with the harp, its index in `taken`;
// nullptr when none does.
std::unique_ptr<HarpSynth> LoadHarpSynth(std::span<const std::string> soundFonts, int sampleRate,
                                         size_t* taken = nullptr);
