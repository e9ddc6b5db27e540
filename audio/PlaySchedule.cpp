#include "audio/PlaySchedule.h"

#include "render/FittedScore.h"
#include "song/SummaryBlock.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <set>

std::vector<SoundingSpan> SoundingSpans(const FittedScore& score)
{
    std::vector<SoundingSpan> spans;
    spans.reserve(score.layout.notes.size());
    for (const ScoreNote& n : score.layout.notes)
        spans.push_back({double(n.sound), double(n.sound) + std::max(n.soundLength, 1)});
    return spans;
}

BeatClicks ClickBeats(int beatsPerMeasure)
{
    // The grid already counts a compound meter in its dotted beats, so every beat clicks.
    const int beats = std::clamp(beatsPerMeasure, 1, 16);
    BeatClicks clicks;
    clicks.measureLength = beats * kUnitsPerBeat;
    clicks.beats.clear();
    for (int b = 0; b < beats; ++b)
        clicks.beats.push_back(b * kUnitsPerBeat);
    return clicks;
}

int HeldTempoPercent(int percent)
{
    const int held = std::clamp(percent, kMinTempoPercent, kMaxTempoPercent);
    return held - held % kTempoStepPercent;
}

namespace {

// The clicks of the measures that start or run within [from, to), at `at` units for `from`.
void AddMetronome(const ScoreLayout& layout, const BeatClicks& beats, int32_t from, int32_t to, double at,
                  const std::function<int64_t(double)>& frameOf, std::vector<ScheduledClick>& clicks)
{
    for (size_t m = 0; m < layout.measures.size(); ++m) {
        const int32_t begin = layout.measures[m].time;
        const int32_t end = m + 1 < layout.measures.size() ? layout.measures[m + 1].time : layout.totalLength;
        if (end <= from || begin >= to)
            continue;
        for (const int32_t offset : beats.beats) {
            const int32_t t = begin + offset;
            if (t >= end)
                break;
            if (t >= from && t < to)
                clicks.push_back({frameOf(at + t - from), offset == 0});
        }
    }
}

// A drawn note of any voice, where it lies in the layout and how it sounds.
struct Sound {
    int32_t time; // layout units, as the stretches count
    SoundingSpan span;
    int pitch;
    int channel;
    int placed;
};

// A first measure that begins with silence, as a pickup stands in a measure of its own: the
// count goes on through the beats before its first note, so that the tune comes in on the
// count's next beat rather than after a silence as long as the beats it lacks.
void CountIntoPickup(const ScoreLayout& layout, const BeatClicks& beats, std::pair<int32_t, int32_t> stretch,
                     const std::vector<Sound>& drawn, double at, const std::function<int64_t(double)>& frameOf,
                     std::vector<ScheduledClick>& clicks)
{
    const auto starts = [&](const ScoreMeasure& m) { return m.time == stretch.first; };
    if (std::find_if(layout.measures.begin(), layout.measures.end(), starts) == layout.measures.end())
        return;
    double first = stretch.second;
    for (const Sound& d : drawn)
        if (d.time >= stretch.first && d.time < stretch.second)
            first = std::min(first, d.span.start);
    const double silent = first - stretch.first;
    for (size_t b = 0; b < beats.beats.size(); ++b) {
        const int32_t offset = beats.beats[b];
        const int32_t end = b + 1 < beats.beats.size() ? beats.beats[b + 1] : beats.measureLength;
        if (end > silent || offset >= stretch.second - stretch.first)
            break;
        clicks.push_back({frameOf(at + offset), offset == 0});
    }
}

int ChannelOf(VoiceRole role)
{
    return std::clamp(static_cast<int>(role), kMelodyChannel, kVoiceChannelCount - 1);
}

// The other voices' notes that have a circle: their own, or the one they share with a note
// drawn at the same time on the same string, as the geometry recorded it.
void AddVoiceSounds(const FittedScore& score, std::vector<Sound>& sounds)
{
    const ScoreLayout& layout = score.layout;
    for (size_t v = 0; v < layout.voices.size(); ++v) {
        const LaidVoice& voice = layout.voices[v];
        for (size_t k = 0; k < voice.notes.size(); ++k) {
            const ScoreNote& n = voice.notes[k];
            const int circle = score.geometry.CircleOf(static_cast<int>(v), k);
            if (circle < 0)
                continue; // no string: not drawn, not heard
            const double start = n.sound;
            sounds.push_back({n.time, {start, start + std::max(n.soundLength, 1)}, n.pitch, ChannelOf(voice.role), circle});
        }
    }
}

// Every drawn note by time, the melody's first at a time, so that a stretch finds its own among
// thousands of stretches.
std::vector<Sound> DrawnSounds(const FittedScore& score)
{
    const std::vector<SoundingSpan> spans = SoundingSpans(score);
    std::vector<Sound> sounds;
    for (size_t i = 0; i < score.geometry.notes.size(); ++i)
        if (const int source = score.geometry.notes[i].source; source >= 0 && static_cast<size_t>(source) < spans.size()) {
            const ScoreNote& n = score.layout.notes[static_cast<size_t>(source)];
            sounds.push_back({n.time, spans[static_cast<size_t>(source)], n.pitch, kMelodyChannel, static_cast<int>(i)});
        }
    AddVoiceSounds(score, sounds);
    std::stable_sort(sounds.begin(), sounds.end(), [](const Sound& a, const Sound& b) { return a.time < b.time; });
    return sounds;
}

} // namespace

PlaySchedule MakePlaySchedule(const FittedScore& score, int beatsPerMinute, int tempoPercent)
{
    PlayOptions options;
    options.tempoPercent = tempoPercent;
    return MakePlaySchedule(score, beatsPerMinute, options);
}

PlaySchedule MakePlaySchedule(const FittedScore& score, int beatsPerMinute, const PlayOptions& options)
{
    PlaySchedule schedule;
    const int sampleRate = options.sampleRate;
    schedule.sampleRate = sampleRate;
    // An imported score's own tempo may lie beyond the song file's 40..240; a damaged one
    // plays as the song reader repairs it.
    const int bpm = beatsPerMinute >= SummaryBlock::kMinPlayedTempo && beatsPerMinute <= SummaryBlock::kMaxPlayedTempo
                        ? beatsPerMinute
                        : SummaryBlock::kRepairedTempo;
    const int percent = HeldTempoPercent(options.tempoPercent);
    schedule.tempoPercent = percent;
    schedule.clickVolume = std::clamp(options.clickVolume, 0, 100);
    // A beat of kUnitsPerBeat units lasts 60 / bpm seconds at 100 %.
    const double framesPerUnit = 6000.0 * sampleRate / (double(bpm) * percent * kUnitsPerBeat);
    const std::function<int64_t(double)> frameOf = [&](double units) {
        return static_cast<int64_t>(std::llround(units * framesPerUnit));
    };
    // A score drawn once is played the way its jumps lead: each stretch in turn, its notes
    // after what was played before. Straight down, the whole range is one stretch.
    std::vector<std::pair<int32_t, int32_t>> way = score.layout.playing;
    if (way.empty() || options.writtenOrder)
        way = {{0, score.layout.totalLength}};
    if (options.passage) {
        const int32_t a = std::max(0, options.passage->first), b = std::min(score.layout.totalLength, options.passage->second);
        way.clear();
        if (a < b)
            way.push_back({a, b});
    }
    const std::vector<Sound> drawn = DrawnSounds(score);
    double before = 0;
    if (options.countIn && !way.empty()) {
        for (const int32_t offset : options.beats.beats)
            schedule.clicks.push_back({frameOf(offset), offset == 0});
        before = options.beats.measureLength;
        schedule.tuneStart = frameOf(before);
        if (!options.countInEveryPass)
            schedule.loopStart = schedule.tuneStart;
        if (!options.metronome)
            CountIntoPickup(score.layout, options.beats, way.front(), drawn, before, frameOf, schedule.clicks);
    }
    for (const auto& [from, to] : way) {
        const int64_t stretchEnd = frameOf(before + (to - from));
        auto it = std::lower_bound(drawn.begin(), drawn.end(), from, [](const Sound& d, int32_t t) { return d.time < t; });
        for (; it != drawn.end() && it->time < to; ++it) {
            ScheduledNote note;
            note.start = frameOf(before + it->span.start - from);
            // The stretch ends with its measures: what still sounds there is let go.
            note.end = std::min(std::max(note.start + 1, frameOf(before + it->span.end - from)), stretchEnd);
            note.pitch = it->pitch;
            note.placed = it->placed;
            note.channel = it->channel;
            note.muted = (options.muteMelody && it->channel == kMelodyChannel) ||
                         (it->channel >= 0 && it->channel < kVoiceChannelCount && options.mutedVoices.test(size_t(it->channel)));
            if (note.start < stretchEnd)
                schedule.notes.push_back(note);
        }
        if (options.metronome)
            AddMetronome(score.layout, options.beats, from, to, before, frameOf, schedule.clicks);
        before += to - from;
    }
    schedule.length = frameOf(before);
    std::stable_sort(schedule.notes.begin(), schedule.notes.end(),
                     [](const ScheduledNote& a, const ScheduledNote& b) { return a.start < b.start; });
    std::stable_sort(schedule.clicks.begin(), schedule.clicks.end(),
                     [](const ScheduledClick& a, const ScheduledClick& b) { return a.frame < b.frame; });
    return schedule;
}

int SoundingNoteAt(const PlaySchedule& schedule, int64_t frame)
{
    const auto& notes = schedule.notes;
    auto after = std::upper_bound(notes.begin(), notes.end(), frame,
                                  [](int64_t f, const ScheduledNote& n) { return f < n.start; });
    // The melody's latest note: the other voices' notes between are passed over.
    while (after != notes.begin() && std::prev(after)->channel != kMelodyChannel)
        --after;
    if (after == notes.begin())
        return -1;
    const auto latest = std::prev(after);
    return frame < latest->end ? static_cast<int>(latest - notes.begin()) : -1;
}

std::vector<int> SoundingNotesAt(const PlaySchedule& schedule, int64_t frame)
{
    const auto& notes = schedule.notes;
    const auto after = std::upper_bound(notes.begin(), notes.end(), frame,
                                        [](int64_t f, const ScheduledNote& n) { return f < n.start; });
    std::vector<int> sounding;
    for (auto it = notes.begin(); it != after; ++it)
        if (frame < it->end && it->placed >= 0)
            sounding.push_back(it->placed);
    std::sort(sounding.begin(), sounding.end());
    sounding.erase(std::unique(sounding.begin(), sounding.end()), sounding.end());
    return sounding;
}
