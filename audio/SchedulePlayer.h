#pragma once
// Plays a schedule on the harp synthesizer, buffer by buffer: note-ons and -offs fall on their
// exact frames, and the frames rendered are the clock the window's mark follows. The device's
// thread and the offline renderer call Render alike.

#include "audio/PlaySchedule.h"

#include <atomic>
#include <cstdint>
#include <vector>

class HarpSynth;

class SchedulePlayer {
public:
    // After the last pass the strings ring out this long before the player ends.
    static constexpr int kTailMilliseconds = 1500;

    explicit SchedulePlayer(HarpSynth& synth) : synth(synth) {}

    // Only while nothing renders: starts the schedule at frame `from` (notes started before it
    // are not sounded).
    void Begin(const PlaySchedule& schedule, int64_t from, bool loop);
    // Any thread.
    void SetLoop(bool on) { loop.store(on); }
    // Any thread: from the next buffer on only silence.
    void Mute() { muted.store(true); }

    // The rendering thread: overwrites `frames` samples of each channel.
    void Render(float* left, float* right, int frames);

    // Any thread: the schedule frame the rendered sound has reached; the frame before it is the
    // last one rendered. Past the measures it counts the ringing out.
    int64_t Position() const { return position.load(); }
    // The last pass has been rendered with its ringing out.
    bool Ended() const { return ended.load(); }
    // The schedule note of the last note-on, -1 before the first.
    int LastStarted() const { return lastStarted.load(); }
    const PlaySchedule& Schedule() const { return schedule; }
    // The frames Render gives for one pass without a loop, ringing included.
    int64_t PassFrames() const { return PassFramesOf(schedule); }
    static int64_t PassFramesOf(const PlaySchedule& schedule)
    {
        return schedule.length + int64_t(schedule.sampleRate) * kTailMilliseconds / 1000;
    }

private:
    struct Event {
        int64_t frame;
        bool on;
        int pitch;
        int note;
    };
    void DispatchUpTo(int64_t frame);
    int64_t TailFrames() const { return int64_t(schedule.sampleRate) * kTailMilliseconds / 1000; }

    HarpSynth& synth;
    PlaySchedule schedule;
    std::vector<Event> events; // by frame, a note-off before a note-on of the same frame
    size_t next = 0;
    int64_t tailLeft = 0;
    bool released = false;
    std::atomic<int64_t> position{0};
    std::atomic<bool> loop{false}, muted{false}, ended{false};
    std::atomic<int> lastStarted{-1};
};
