#include "audio/SchedulePlayer.h"

#include "audio/HarpSynth.h"

#include <algorithm>

static_assert(kVoiceChannelCount <= HarpSynth::kHarpChannels && HarpSynth::kHarpChannels <= HarpSynth::kClickChannel,
              "every voice plays the harp, none on the percussion channel");

std::vector<SchedulePlayer::Event> SchedulePlayer::EventsOf(const PlaySchedule& schedule)
{
    std::vector<Event> events;
    events.reserve(schedule.notes.size() * 2 + schedule.clicks.size() * 2);
    for (size_t i = 0; i < schedule.notes.size(); ++i) {
        const ScheduledNote& n = schedule.notes[i];
        events.push_back({n.start, Kind::kOn, n.muted ? -1 : n.pitch, static_cast<int>(i), n.channel});
        events.push_back({n.end, Kind::kOff, n.muted ? -1 : n.pitch, static_cast<int>(i), n.channel});
    }
    const int64_t clickFrames = int64_t(schedule.sampleRate) * kClickMilliseconds / 1000;
    for (const ScheduledClick& c : schedule.clicks) {
        events.push_back({c.frame, Kind::kClick, c.accent ? 1 : 0, -1, HarpSynth::kClickChannel});
        events.push_back({c.frame + clickFrames, Kind::kClickOff, c.accent ? 1 : 0, -1, HarpSynth::kClickChannel});
    }
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.frame != b.frame ? a.frame < b.frame : a.kind < b.kind;
    });
    return events;
}

size_t SchedulePlayer::FirstEventAt(int64_t frame) const
{
    return static_cast<size_t>(
        std::lower_bound(events.begin(), events.end(), frame, [](const Event& e, int64_t f) { return e.frame < f; }) -
        events.begin());
}

void SchedulePlayer::Begin(const PlaySchedule& played, int64_t from, bool loopOn)
{
    {
        std::lock_guard lock(changeMutex);
        pending.reset();
        changePending.store(false);
    }
    schedule = played;
    events = EventsOf(schedule);
    from = std::clamp<int64_t>(from, 0, schedule.length);
    next = FirstEventAt(from);
    tailLeft = TailFrames();
    released = false;
    position.store(from);
    loop.store(loopOn);
    muted.store(false);
    ended.store(false);
    lastStarted.store(-1);
    passes.store(0);
    passLimit = 0;
    fadeLeft = -1;
    quietFrames.store(0);
    // Cheap, unlike a synthesizer made anew: whatever the last pass left ringing is gone.
    synth.Reset();
}

void SchedulePlayer::Change(const PlaySchedule& changed)
{
    std::lock_guard lock(changeMutex);
    pending = changed;
    changePending.store(true);
}

void SchedulePlayer::TakeChange()
{
    std::optional<PlaySchedule> taken;
    {
        std::lock_guard lock(changeMutex);
        taken.swap(pending);
        changePending.store(false);
    }
    if (!taken)
        return;
    const int64_t at = position.load();
    const bool ringing = at >= schedule.length;
    // Frames scale inversely with the speed, count-in included, so the same place in the
    // music lies at the reached frame times the old speed over the new.
    const int64_t moved = ringing ? at : at * schedule.tempoPercent / std::max(taken->tempoPercent, 1);
    const size_t dispatched = next;
    const bool sameEvents = taken->notes.size() == schedule.notes.size() && taken->clicks.size() == schedule.clicks.size();
    schedule = std::move(*taken);
    events = EventsOf(schedule);
    if (ringing) {
        position.store(schedule.length + TailFrames() - tailLeft);
        next = events.size();
        return;
    }
    int64_t reached = std::clamp<int64_t>(moved, 0, schedule.length);
    if (sameEvents) {
        // What was played stays played and nothing is skipped, whatever the rounding did: the
        // place is held between the last event dispatched and the next one.
        next = dispatched;
        if (next > 0)
            reached = std::max(reached, events[next - 1].frame);
        if (next < events.size())
            reached = std::min(reached, events[next].frame);
    } else {
        next = FirstEventAt(reached);
    }
    position.store(reached);
}

void SchedulePlayer::DispatchUpTo(int64_t frame)
{
    for (; next < events.size() && events[next].frame <= frame; ++next) {
        const Event& e = events[next];
        switch (e.kind) {
        case Kind::kOn:
            if (e.pitch >= 0)
                synth.NoteOn(e.pitch, e.channel);
            lastStarted.store(e.note);
            break;
        case Kind::kOff:
            if (e.pitch >= 0)
                synth.NoteOff(e.pitch, e.channel);
            break;
        case Kind::kClick: synth.Click(e.pitch == 1, schedule.clickVolume); break;
        case Kind::kClickOff: synth.ClickOff(e.pitch == 1); break;
        }
    }
}

int SchedulePlayer::RenderFade(float* left, float* right, int frames)
{
    if (fadeLeft < 0)
        fadeLeft = FadeFrames();
    const int64_t total = FadeFrames();
    const int n = static_cast<int>(std::min<int64_t>(frames, fadeLeft));
    if (n > 0) {
        synth.Write(left, right, n);
        for (int i = 0; i < n; ++i) {
            const float gain = float(fadeLeft - i - 1) / float(total);
            left[i] *= gain;
            right[i] *= gain;
        }
        fadeLeft -= n;
    }
    if (fadeLeft == 0 && n > 0)
        synth.Reset(); // the strings stopped: nothing of this pass sounds in the next
    return n;
}

void SchedulePlayer::Render(float* left, float* right, int frames)
{
    if (changePending.load())
        TakeChange();
    int done = 0;
    int64_t at = position.load();
    if (muted.load() && !ended.load())
        done = RenderFade(left, right, frames);
    while (done < frames) {
        if (muted.load() || ended.load())
            break;
        if (at >= schedule.length) {
            if (!released) {
                // Whatever still sounds at the end of the measures is let go, as a player would.
                DispatchUpTo(schedule.length);
                synth.ReleaseAll();
                released = true;
            }
            if (loop.load() && schedule.length > schedule.loopStart && (passLimit <= 0 || passes.load() + 1 < passLimit)) {
                at = schedule.loopStart;
                next = FirstEventAt(at);
                released = false;
                tailLeft = TailFrames();
                position.store(at);
                passes.fetch_add(1);
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
    if (ended.load() || fadeLeft == 0)
        quietFrames.fetch_add(frames - done);
}
