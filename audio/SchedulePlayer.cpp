#include "audio/SchedulePlayer.h"

#include "audio/HarpSynth.h"

#include <algorithm>

void SchedulePlayer::Begin(const PlaySchedule& played, int64_t from, bool loopOn)
{
    schedule = played;
    events.clear();
    events.reserve(schedule.notes.size() * 2);
    for (size_t i = 0; i < schedule.notes.size(); ++i) {
        const ScheduledNote& n = schedule.notes[i];
        events.push_back({n.start, true, n.pitch, static_cast<int>(i)});
        events.push_back({n.end, false, n.pitch, static_cast<int>(i)});
    }
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.frame != b.frame ? a.frame < b.frame : (!a.on && b.on);
    });
    from = std::clamp<int64_t>(from, 0, schedule.length);
    next = static_cast<size_t>(std::lower_bound(events.begin(), events.end(), from,
                                                [](const Event& e, int64_t f) { return e.frame < f; }) -
                               events.begin());
    tailLeft = TailFrames();
    released = false;
    position.store(from);
    loop.store(loopOn);
    muted.store(false);
    ended.store(false);
    lastStarted.store(-1);
    synth.Silence();
}

void SchedulePlayer::DispatchUpTo(int64_t frame)
{
    for (; next < events.size() && events[next].frame <= frame; ++next) {
        const Event& e = events[next];
        if (e.on) {
            synth.NoteOn(e.pitch);
            lastStarted.store(e.note);
        } else {
            synth.NoteOff(e.pitch);
        }
    }
}

void SchedulePlayer::Render(float* left, float* right, int frames)
{
    int done = 0;
    int64_t at = position.load();
    while (done < frames) {
        if (muted.load() || ended.load())
            break;
        if (at >= schedule.length) {
            if (!released) {
                // Whatever still sounds at the end of the measures is let go, as a player would.
                synth.ReleaseAll();
                released = true;
            }
            if (loop.load() && schedule.length > 0) {
                at = 0;
                next = 0;
                released = false;
                tailLeft = TailFrames();
                position.store(0);
                continue;
            }
            const int n = static_cast<int>(std::min<int64_t>(frames - done, tailLeft));
            synth.Write(left + done, right + done, n);
            done += n;
            tailLeft -= n;
            // The clock runs on past the measures, so no note is taken to sound any more.
            position.store(schedule.length + TailFrames() - tailLeft);
            if (tailLeft <= 0)
                ended.store(true);
            continue;
        }
        DispatchUpTo(at);
        int64_t until = schedule.length;
        if (next < events.size())
            until = std::min(until, events[next].frame);
        const int n = static_cast<int>(std::min<int64_t>(frames - done, until - at));
        synth.Write(left + done, right + done, n);
        done += n;
        at += n;
        position.store(at);
    }
    std::fill(left + done, left + frames, 0.0f);
    std::fill(right + done, right + frames, 0.0f);
}
