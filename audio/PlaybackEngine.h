#pragma once
// Playback off the window's thread. A worker of its own loads the synthesizer (once, at the
// first start) and opens and closes the device, the only steps that may wait; the caller only posts what it
// wants and reads the clock. Each start is a session, numbered, so that a late report of an
// earlier one is told apart.

#include "audio/AudioOutput.h"
#include "audio/PlaySchedule.h"
#include "audio/SoundFont.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>

class HarpSynth;
class SchedulePlayer;

enum class PlaybackReport {
    kStarted,     // the device plays the session
    kNoDevice,    // no device could be opened
    kNoSoundFont, // no soundfont could be loaded
    // The player's soundfont could not be used and an installed one is played instead; told
    // once, before the session's kStarted or kNoDevice.
    kSoundFontReplaced,
};

class PlaybackEngine {
public:
    // `report` is called on the worker thread with the session it concerns. `soundFont` is the
    // player's choice (may be empty), looked at on the worker when the first session starts.
    // `installed` are the soundfonts looked for when the player names none that is usable.
    PlaybackEngine(AudioOutputFactory openOutput, std::string soundFont,
                   std::function<void(uint64_t session, PlaybackReport)> report,
                   std::span<const char* const> installed = kDistributionSoundFonts);
    // Stops, closes the device and joins the worker.
    ~PlaybackEngine();
    PlaybackEngine(const PlaybackEngine&) = delete;
    PlaybackEngine& operator=(const PlaybackEngine&) = delete;

    // Starts the schedule at frame `from`; returns the new session. Never waits on the device.
    uint64_t Start(const PlaySchedule& schedule, int64_t from, bool loop);
    // Fades out from the next buffer on; the device is closed on the worker once the fade has
    // been heard, and every voice is stopped.
    void Stop();
    void SetLoop(bool loop);
    // The playing session goes on in `changed` from the same place in the music, without a
    // gap; nothing happens when nothing plays.
    void Change(const PlaySchedule& changed);

    // The schedule frame the sound has reached (0 before the device plays).
    int64_t Position() const;
    // The session's pass and its ringing out are over.
    bool Ended() const;
    // The schedule note last started, -1 before the first.
    int LastStarted() const;
    // The device's latency as it reports it, 0 before it plays.
    int64_t LatencyFrames() const { return latency.load(); }
    // The passes begun again by the loop in this session.
    int Passes() const;

private:
    struct Request {
        PlaySchedule schedule;
        int64_t from = 0;
        bool loop = false;
        uint64_t session = 0;
    };
    void Work();
    // The worker's, before it closes the device: waits until the stop's fade has reached the ear.
    void HearFadeOut();
    static constexpr int kFadeWaitMarginMs = 60;
    // The worker's: the synthesizer and its player, once; false when no soundfont loads.
    bool LoadSynth(int sampleRate, uint64_t session);

    AudioOutputFactory openOutput;
    std::string soundFont;
    std::function<void(uint64_t, PlaybackReport)> report;
    std::span<const char* const> installed;

    std::mutex mutex;
    std::condition_variable changed;
    std::optional<Request> wanted; // under mutex; taken by the worker
    std::optional<Request> beginning; // under mutex: taken, not yet begun
    uint64_t generation = 0;       // under mutex; bumped by every Start and Stop
    bool quitting = false;         // under mutex
    uint64_t lastSession = 0;      // the caller's

    // The worker's alone, but for the player's atomics that the caller reads.
    std::unique_ptr<HarpSynth> synth;
    std::unique_ptr<SchedulePlayer> player;
    std::atomic<SchedulePlayer*> playing{nullptr}; // the player, for the caller's reads
    std::unique_ptr<IAudioOutput> output;
    std::atomic<int64_t> latency{0};
    std::thread worker;
};
