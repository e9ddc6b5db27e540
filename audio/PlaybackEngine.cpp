#include "audio/PlaybackEngine.h"

#include "audio/HarpSynth.h"
#include "audio/SchedulePlayer.h"
#include "audio/SoundFont.h"

#include <algorithm>
#include <chrono>
#include <vector>

PlaybackEngine::PlaybackEngine(AudioOutputFactory openOutput, std::string soundFont,
                               std::function<void(uint64_t, PlaybackReport)> report,
                               std::span<const char* const> installed)
    : openOutput(std::move(openOutput)), soundFont(std::move(soundFont)), report(std::move(report)),
      installed(installed)
{
    worker = std::thread([this] { Work(); });
}

PlaybackEngine::~PlaybackEngine()
{
    {
        std::lock_guard lock(mutex);
        quitting = true;
        wanted.reset();
        ++generation;
    }
    changed.notify_all();
    worker.join();
}

uint64_t PlaybackEngine::Start(const PlaySchedule& schedule, int64_t from, bool loop)
{
    {
        std::lock_guard lock(mutex);
        if (player)
            player->Mute();
        wanted = Request{schedule, from, loop, ++lastSession};
        beginning.reset();
        ++generation;
    }
    changed.notify_all();
    return lastSession;
}

void PlaybackEngine::Stop()
{
    {
        std::lock_guard lock(mutex);
        if (player)
            player->Mute();
        wanted.reset();
        beginning.reset();
        ++generation;
    }
    changed.notify_all();
}

void PlaybackEngine::SetLoop(bool loop)
{
    std::lock_guard lock(mutex);
    if (player)
        player->SetLoop(loop);
    if (wanted)
        wanted->loop = loop;
    if (beginning)
        beginning->loop = loop;
}

void PlaybackEngine::Change(const PlaySchedule& changed)
{
    std::lock_guard lock(mutex);
    // Not yet begun: the session begins in the changed schedule at the place asked for.
    for (std::optional<Request>* waiting : {&wanted, &beginning})
        if (*waiting) {
            Request& r = **waiting;
            r.from = r.from * r.schedule.tempoPercent / std::max(changed.tempoPercent, 1);
            r.schedule = changed;
            return;
        }
    if (player) {
        player->Change(changed);
    }
}

int PlaybackEngine::Passes() const
{
    const SchedulePlayer* p = playing.load();
    return p ? p->Passes() : 0;
}

int64_t PlaybackEngine::Position() const
{
    const SchedulePlayer* p = playing.load();
    return p ? p->Position() : 0;
}

bool PlaybackEngine::Ended() const
{
    const SchedulePlayer* p = playing.load();
    return p && p->Ended();
}

int PlaybackEngine::LastStarted() const
{
    const SchedulePlayer* p = playing.load();
    return p ? p->LastStarted() : -1;
}

bool PlaybackEngine::LoadSynth(int sampleRate, uint64_t session)
{
    if (synth)
        return true;
    std::vector<std::string> soundFonts{soundFont};
    soundFonts.insert(soundFonts.end(), installed.begin(), installed.end());
    size_t taken = 0;
    std::unique_ptr<HarpSynth> loaded = LoadHarpSynth(soundFonts, sampleRate, &taken);
    if (!loaded)
        return false; // tried again at the next start: a soundfont may be installed meanwhile
    synth = std::move(loaded);
    {
        std::lock_guard lock(mutex);
        player = std::make_unique<SchedulePlayer>(*synth);
        playing.store(player.get());
    }
    // Once for the engine, as the synthesizer is loaded once.
    if (!soundFont.empty() && taken > 0)
        report(session, PlaybackReport::kSoundFontReplaced);
    return true;
}

void PlaybackEngine::HearFadeOut()
{
    // The fade and the device's buffers after it, in frames; bounded in time so that a device
    // that stopped asking for buffers does not hold the next start.
    const int64_t needed = latency.load() + 1;
    const auto limit = std::chrono::steady_clock::now() +
                       std::chrono::milliseconds(SchedulePlayer::kFadeMilliseconds + kFadeWaitMarginMs +
                                                 1000 * needed / kSampleRate);
    while (player && player->QuietFrames() < needed && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

void PlaybackEngine::Work()
{
    uint64_t handled = 0;
    for (;;) {
        std::optional<Request> request;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return generation != handled; });
            if (quitting)
                break;
            handled = generation;
            request = std::move(wanted);
            wanted.reset();
            beginning = request;
        }
        // The device goes first, so that nothing renders while the player is set anew; the
        // stop's fade is heard out before, and every voice is stopped after it.
        if (output)
            HearFadeOut();
        output.reset();
        if (synth)
            synth->Reset();
        if (!request)
            continue;
        if (!LoadSynth(request->schedule.sampleRate, request->session)) {
            report(request->session, PlaybackReport::kNoSoundFont);
            continue;
        }
        {
            std::lock_guard lock(mutex);
            if (generation != handled)
                continue; // stopped or started again meanwhile
            if (beginning)
                request = std::move(beginning);
            beginning.reset();
            player->Begin(request->schedule, request->from, request->loop);
        }
        SchedulePlayer* p = player.get();
        output = openOutput ? openOutput(request->schedule.sampleRate,
                                         [p](float* left, float* right, int frames) { p->Render(left, right, frames); })
                            : nullptr;
        latency.store(output ? output->LatencyFrames() : 0);
        report(request->session, output ? PlaybackReport::kStarted : PlaybackReport::kNoDevice);
    }
    output.reset();
}
