#pragma once
// The offline road of the sound: the same player and synthesizer the window plays through,
// rendered into memory and stored as a RIFF WAVE file (16-bit PCM, stereo).

#include "audio/PlaySchedule.h"

#include <cstdint>
#include <span>
#include <vector>

class HarpSynth;

// One pass of the schedule with its ringing out, interleaved left and right. A sample beyond
// full scale is held at it and a NaN becomes silence; `clipped` counts both.
std::vector<int16_t> RenderPass(const PlaySchedule& schedule, HarpSynth& synth, int64_t* clipped = nullptr);

// The bytes of a 16-bit PCM WAVE file of the interleaved samples.
std::vector<uint8_t> WaveFileBytes(std::span<const int16_t> interleaved, int sampleRate, int channels);
