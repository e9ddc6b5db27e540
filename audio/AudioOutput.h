#pragma once
// The sound device as the playback sees it: opened with a function that fills its buffers,
// closed by destroying it. Tests hand in a device of their own and call the function
// themselves, so that they set the clock.

#include <cstdint>
#include <functional>
#include <memory>

using FillBuffers = std::function<void(float* left, float* right, int frames)>;

class IAudioOutput {
public:
    // Waits until `fill` is called no more.
    virtual ~IAudioOutput() = default;
    // Frames between the end of the buffer last filled and the listener's ear, as the sound
    // system tells it; 0 when it tells nothing.
    virtual int64_t LatencyFrames() const { return 0; }
};

// Opens a device that calls `fill` from a thread of its own; nullptr when there is none. May
// wait on the device, so it is never called on the window's thread.
using AudioOutputFactory = std::function<std::unique_ptr<IAudioOutput>(int sampleRate, FillBuffers fill)>;

// FluidSynth's own drivers: PulseAudio, PipeWire, then ALSA.
std::unique_ptr<IAudioOutput> OpenFluidAudioOutput(int sampleRate, FillBuffers fill);
