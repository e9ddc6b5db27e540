#pragma once
// The offline road of the sound: the same player and synthesizer the window plays through,
// rendered block by block and stored as a RIFF WAVE file (16-bit PCM, stereo).

#include "audio/PlaySchedule.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

class HarpSynth;

// Renders one pass of the schedule with its ringing out and hands each block of interleaved
// left and right samples to `take`, which returns false to stop. A sample beyond full scale is
// held at it and a NaN becomes silence; `clipped` counts both.
// With `passes` above 1 the schedule is looped that many times before the ringing out.
void RenderPassBlocks(const PlaySchedule& schedule, HarpSynth& synth,
                      const std::function<bool(std::span<const int16_t>)>& take, int64_t* clipped = nullptr,
                      int passes = 1);

// The whole pass (or passes) in memory.
std::vector<int16_t> RenderPass(const PlaySchedule& schedule, HarpSynth& synth, int64_t* clipped = nullptr,
                                int passes = 1);

// A WAVE file's sizes are 32-bit, the RIFF chunk's counting 36 bytes besides the samples: a
// file holds at most this many bytes of them.
constexpr int64_t kMaxWaveDataBytes = 0xFFFFFFFFLL - 36;

// The frames WriteWaveFile writes for the schedule's passes, and the bytes they take.
int64_t WaveFrames(const PlaySchedule& schedule, int passes = 1);
int64_t WaveDataBytes(int64_t frames);

// The 44 bytes before the samples of a 16-bit PCM WAVE file of `frames` frames (at most
// kMaxWaveDataBytes of them).
std::vector<uint8_t> WaveHeader(int64_t frames, int sampleRate, int channels);
// A whole WAVE file of the interleaved samples.
std::vector<uint8_t> WaveFileBytes(std::span<const int16_t> interleaved, int sampleRate, int channels);

// Writes one pass as a WAVE file, a block at a time so that a long song never sits in memory,
// whole or not at all like every file the programs write; false after the message of a failed
// write, or of one past kMaxWaveDataBytes. SIGTERM, SIGINT or SIGHUP while it writes remove the
// temporary file before they end the program.
bool WriteWaveFile(const std::string& path, const PlaySchedule& schedule, HarpSynth& synth, int passes = 1);
