#include "audio/WaveRender.h"

#include "audio/HarpSynth.h"
#include "audio/SchedulePlayer.h"
#include "common/ErrorCodes.h"
#include "common/FileServices.h"
#include "common/Messages.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

constexpr int kBlockFrames = 1024;
constexpr int kChannels = 2;

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

void PutSamples(std::vector<uint8_t>& out, std::span<const int16_t> samples)
{
    for (const int16_t s : samples)
        PutLe(out, static_cast<uint16_t>(s), 2);
}

// While it lives, the signals that stop a long render from outside remove the temporary file
// and then end the program as they would have. The handler may only use what is safe in one:
// the path waits in a static buffer, and a signal whose action is not the default (ignored
// under nohup, or the program's own) is left alone.
class TempFileOnSignal {
public:
    explicit TempFileOnSignal(const std::string& temp)
    {
        if (temp.empty() || temp.size() >= sizeof path || armed)
            return;
        std::memcpy(path, temp.c_str(), temp.size() + 1);
        armed = 1;
        struct sigaction action {};
        action.sa_handler = &Remove;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND; // the default action is back when the handler runs
        for (size_t i = 0; i < kSignals.size(); ++i) {
            installed[i] = sigaction(kSignals[i], nullptr, &previous[i]) == 0 && previous[i].sa_handler == SIG_DFL &&
                           !(previous[i].sa_flags & SA_SIGINFO) && sigaction(kSignals[i], &action, nullptr) == 0;
        }
        owner = true;
    }
    ~TempFileOnSignal()
    {
        if (!owner)
            return;
        for (size_t i = 0; i < kSignals.size(); ++i)
            if (installed[i])
                sigaction(kSignals[i], &previous[i], nullptr);
        armed = 0;
    }
    TempFileOnSignal(const TempFileOnSignal&) = delete;
    TempFileOnSignal& operator=(const TempFileOnSignal&) = delete;

private:
    static constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};

    static void Remove(int signal)
    {
        if (armed)
            unlink(path);
        raise(signal); // delivered, with the default action, as the handler returns
    }

    static inline char path[PATH_MAX];
    static inline volatile sig_atomic_t armed = 0;
    std::array<struct sigaction, kSignals.size()> previous{};
    std::array<bool, kSignals.size()> installed{};
    bool owner = false;
};

} // namespace

void RenderPassBlocks(const PlaySchedule& schedule, HarpSynth& synth,
                      const std::function<bool(std::span<const int16_t>)>& take, int64_t* clipped, int passes)
{
    // Made anew, so that a schedule renders to the same samples whatever played before.
    synth.Silence();
    SchedulePlayer player(synth);
    player.Begin(schedule, 0, passes > 1);
    player.LimitPasses(passes);
    const int64_t frames = SchedulePlayer::PassesFramesOf(schedule, passes);
    float left[kBlockFrames], right[kBlockFrames];
    int16_t block[kBlockFrames * kChannels];
    int64_t over = 0;
    for (int64_t at = 0; at < frames; at += kBlockFrames) {
        const int n = static_cast<int>(std::min<int64_t>(kBlockFrames, frames - at));
        player.Render(left, right, n);
        for (int i = 0; i < n; ++i) {
            block[2 * i] = ToSample(left[i], over);
            block[2 * i + 1] = ToSample(right[i], over);
        }
        if (!take(std::span<const int16_t>(block, static_cast<size_t>(n) * kChannels)))
            break;
    }
    if (clipped)
        *clipped = over;
}

std::vector<int16_t> RenderPass(const PlaySchedule& schedule, HarpSynth& synth, int64_t* clipped, int passes)
{
    std::vector<int16_t> samples;
    RenderPassBlocks(
        schedule, synth,
        [&](std::span<const int16_t> block) {
            samples.insert(samples.end(), block.begin(), block.end());
            return true;
        },
        clipped, passes);
    return samples;
}

int64_t WaveFrames(const PlaySchedule& schedule, int passes)
{
    return SchedulePlayer::PassesFramesOf(schedule, passes);
}

int64_t WaveDataBytes(int64_t frames)
{
    return frames * kChannels * 2;
}

std::vector<uint8_t> WaveHeader(int64_t frames, int sampleRate, int channels)
{
    const auto dataBytes = static_cast<uint32_t>(std::clamp<int64_t>(frames * channels * 2, 0, kMaxWaveDataBytes));
    std::vector<uint8_t> out;
    out.reserve(44);
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
    return out;
}

std::vector<uint8_t> WaveFileBytes(std::span<const int16_t> interleaved, int sampleRate, int channels)
{
    std::vector<uint8_t> out = WaveHeader(static_cast<int64_t>(interleaved.size()) / channels, sampleRate, channels);
    out.reserve(out.size() + interleaved.size() * 2);
    PutSamples(out, interleaved);
    return out;
}

bool WriteWaveFile(const std::string& path, const PlaySchedule& schedule, HarpSynth& synth, int passes)
{
    const int64_t frames = WaveFrames(schedule, passes);
    if (WaveDataBytes(frames) > kMaxWaveDataBytes) { // its sizes could not say how long it is
        ShowGeneralError(GeneralError::kCannotOpenFile);
        return false;
    }
    const std::string temp = BeginReplacingFile(path);
    const TempFileOnSignal removal(temp);
    FILE* file = temp.empty() ? nullptr : std::fopen(temp.c_str(), "wb");
    bool written = file != nullptr;
    if (file) {
        const std::vector<uint8_t> header = WaveHeader(frames, schedule.sampleRate, kChannels);
        written = std::fwrite(header.data(), 1, header.size(), file) == header.size();
        std::vector<uint8_t> bytes;
        RenderPassBlocks(schedule, synth, [&](std::span<const int16_t> block) {
            bytes.clear();
            PutSamples(bytes, block);
            written = written && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
            return written;
        }, nullptr, passes);
        written = std::fflush(file) == 0 && written;
        written = std::fclose(file) == 0 && written;
    }
    if (!temp.empty() && FinishReplacingFile(path, temp, written))
        return true;
    ShowGeneralError(GeneralError::kCannotOpenFile);
    return false;
}
