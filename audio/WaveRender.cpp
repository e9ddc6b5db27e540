#include "audio/WaveRender.h"

#include "audio/HarpSynth.h"
#include "audio/SchedulePlayer.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kBlockFrames = 1024;

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

int16_t ToSample(float value, int64_t& clipped)
{
    if (std::isnan(value)) {
        ++clipped;
        return 0;
    }
    const float scaled = value * 32767.0f;
    if (scaled > 32767.0f || scaled < -32767.0f) {
        ++clipped;
        return scaled > 0 ? 32767 : -32767;
    }
    return static_cast<int16_t>(std::lrint(scaled));
}

} // namespace

std::vector<int16_t> RenderPass(const PlaySchedule& schedule, HarpSynth& synth, int64_t* clipped)
{
    SchedulePlayer player(synth);
    player.Begin(schedule, 0, false);
    const int64_t frames = player.PassFrames();
    std::vector<int16_t> samples;
    samples.reserve(static_cast<size_t>(frames) * 2);
    float left[kBlockFrames], right[kBlockFrames];
    int64_t over = 0;
    for (int64_t at = 0; at < frames; at += kBlockFrames) {
        const int n = static_cast<int>(std::min<int64_t>(kBlockFrames, frames - at));
        player.Render(left, right, n);
        for (int i = 0; i < n; ++i) {
            samples.push_back(ToSample(left[i], over));
            samples.push_back(ToSample(right[i], over));
        }
    }
    if (clipped)
        *clipped = over;
    return samples;
}

std::vector<uint8_t> WaveFileBytes(std::span<const int16_t> interleaved, int sampleRate, int channels)
{
    const uint32_t dataBytes = static_cast<uint32_t>(interleaved.size() * 2);
    std::vector<uint8_t> out;
    out.reserve(44 + dataBytes);
    const auto tag = [&](const char* four) { out.insert(out.end(), four, four + 4); };
    tag("RIFF");
    PutLe(out, 36 + dataBytes, 4);
    tag("WAVE");
    tag("fmt ");
    PutLe(out, 16, 4);
    PutLe(out, 1, 2); // PCM
    PutLe(out, static_cast<uint32_t>(channels), 2);
    PutLe(out, static_cast<uint32_t>(sampleRate), 4);
    PutLe(out, static_cast<uint32_t>(sampleRate * channels * 2), 4);
    PutLe(out, static_cast<uint32_t>(channels * 2), 2);
    PutLe(out, 16, 2);
    tag("data");
    PutLe(out, dataBytes, 4);
    for (const int16_t s : interleaved)
        PutLe(out, static_cast<uint16_t>(s), 2);
    return out;
}
