#pragma once
// Plays a schedule on the harp synthesizer, buffer by buffer: note-ons, -offs and clicks fall
// on their exact frames, and the frames rendered are the clock the window's mark follows. The
// device's thread and the offline renderer call Render alike.

#include "audio/PlaySchedule.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

class HarpSynth;

class SchedulePlayer {
public:
    // After the last pass the strings ring out this long before the player ends.
    static constexpr int kTailMilliseconds = 1500;
    // A click's tone is let go this soon, so that a tone standing in for a drum stays short.
    static constexpr int kClickMilliseconds = 60;
    // A stop fades the sound out over this long, as a hand laid on the strings; a cut to
    // silence within a buffer clicks.
    static constexpr int kFadeMilliseconds = 20;

    explicit SchedulePlayer(HarpSynth& synth) : synth(synth) {}

    // Only while nothing renders: starts the schedule at frame `from` (notes started before it
    // are not sounded).
    void Begin(const PlaySchedule& schedule, int64_t from, bool loop);
    // Any thread: from the next buffer on the player goes on in `changed`, the same music at
    // another tempo or with other clicks or voices heard, from the same place in the music and
    // without a gap; what sounds keeps sounding.
    void Change(const PlaySchedule& changed);
    // Any thread.
    void SetLoop(bool on) { loop.store(on); }
    // Only while nothing renders, after Begin: a loop ends after this many passes (0: never).
    void LimitPasses(int count) { passLimit = count; }
    // Any thread: from the next buffer on the sound fades out over kFadeMilliseconds, then every
    // voice is stopped and only silence follows, so that the next Begin starts clean.
    void Mute() { muted.store(true); }
    // Any thread: frames of silence rendered since a stop's fade ended (or since the pass rang
    // out); 0 while it still sounds.
    int64_t QuietFrames() const { return quietFrames.load(); }

    // The rendering thread: overwrites `frames` samples of each channel.
    void Render(float* left, float* right, int frames);

    // Any thread: the schedule frame the rendered sound has reached; the frame before it is the
    // last one rendered. Past the measures it counts the ringing out.
    int64_t Position() const { return position.load(); }
    // The last pass has been rendered with its ringing out.
    bool Ended() const { return ended.load(); }
    // The schedule note of the last note-on, -1 before the first.
    int LastStarted() const { return lastStarted.load(); }
    // How many passes have begun again at the loop's start.
    int Passes() const { return passes.load(); }
    const PlaySchedule& Schedule() const { return schedule; }
    // The frames Render gives for one pass without a loop, ringing included.
    int64_t PassFrames() const { return PassFramesOf(schedule); }
    static int64_t PassFramesOf(const PlaySchedule& schedule)
    {
        return schedule.length + int64_t(schedule.sampleRate) * kTailMilliseconds / 1000;
    }
    // The frames of `count` passes looped, the ringing out after the last included.
    static int64_t PassesFramesOf(const PlaySchedule& schedule, int count)
    {
        return PassFramesOf(schedule) + int64_t(std::max(count, 1) - 1) * (schedule.length - schedule.loopStart);
    }

private:
    enum class Kind : uint8_t { kOff, kOn, kClickOff, kClick };
    struct Event {
        int64_t frame;
        Kind kind;
        int pitch; // a note's pitch; for a click, 1 when accented
        int note;
        int channel;
    };
    static std::vector<Event> EventsOf(const PlaySchedule& schedule);
    void TakeChange();
    void DispatchUpTo(int64_t frame);
    size_t FirstEventAt(int64_t frame) const;
    int64_t TailFrames() const { return int64_t(schedule.sampleRate) * kTailMilliseconds / 1000; }
    int64_t FadeFrames() const { return std::max<int64_t>(1, int64_t(schedule.sampleRate) * kFadeMilliseconds / 1000); }
    // The rendering thread's part of a stop: the fade, then the reset; the frames it wrote.
    int RenderFade(float* left, float* right, int frames);

    HarpSynth& synth;
    PlaySchedule schedule;
    std::vector<Event> events; // by frame, a note-off before a note-on of the same frame
    size_t next = 0;
    int64_t tailLeft = 0;
    bool released = false;
    int64_t fadeLeft = -1; // frames of the stop's fade still to render; -1 before a stop, 0 after it
    int passLimit = 0;
    std::mutex changeMutex;
    std::optional<PlaySchedule> pending; // under changeMutex
    std::atomic<bool> changePending{false};
    std::atomic<int64_t> position{0};
    std::atomic<int64_t> quietFrames{0};
    std::atomic<bool> loop{false}, muted{false}, ended{false};
    std::atomic<int> lastStarted{-1}, passes{0};
};
