#include "audio/PlaySchedule.h"

#include "render/FittedScore.h"
#include "song/SummaryBlock.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <set>

std::vector<SoundingSpan> SoundingSpans(const FittedScore& score)
{
    const std::vector<ScoreNote>& notes = score.layout.notes;
    std::set<int32_t> tripletCells;
    for (const ScoreNote& n : notes)
        if (n.entry == 2) {
            tripletCells.insert(n.time - 2);
            tripletCells.insert(n.time - 2 + kUnitsPerCell);
        }
    std::vector<SoundingSpan> spans;
    spans.reserve(notes.size());
    for (const ScoreNote& n : notes) {
        const int entry = n.entry;
        const double cell = n.time - entry;
        double start = cell;
        // A beat counted in three holds its eighths where they are drawn, as a triplet does.
        if (entry == 1)
            start = tripletCells.count(n.time - 1) || score.layout.beatDivision == 3 ? cell + 1 : cell + 1.5;
        else if (entry == 2)
            start = cell + 2;
        // The layout holds whole units, so a length of k quarter beats (1.5 k units) is cut
        // to floor(1.5 k); k comes back whole. A later entry's length is counted from the
        // quarter beat after the cell's start.
        const double length = 1.5 * ((2 * n.length + 2) / 3);
        const double end = entry == 0 ? cell + length : cell + 1.5 + length;
        spans.push_back({start, std::max(end, start + 0.5)});
    }
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
    // A unit is a sixth of a beat: 60 / (bpm x 6) seconds at 100 %.
    const double framesPerUnit = 1000.0 * sampleRate / (double(bpm) * percent);
    const std::function<int64_t(double)> frameOf = [&](double units) {
        return static_cast<int64_t>(std::llround(units * framesPerUnit));
    };
    // A score drawn once is played the way its jumps lead: each stretch in turn, its notes
    // after what was played before. Straight down, the whole range is one stretch.
    std::vector<std::pair<int32_t, int32_t>> way = score.layout.playing;
    if (way.empty())
        way.push_back({0, score.layout.totalLength});
    if (options.passage) {
        // A passage is played as the way passes through it, repeats included.
        std::vector<std::pair<int32_t, int32_t>> within;
        for (const auto& [from, to] : way) {
            const int32_t a = std::max(from, options.passage->first), b = std::min(to, options.passage->second);
            if (a < b)
                within.push_back({a, b});
        }
        way = std::move(within);
    }
    const std::vector<SoundingSpan> spans = SoundingSpans(score);
    // The drawn notes by time, so that a stretch finds its own among thousands of stretches.
    std::vector<std::pair<int32_t, size_t>> drawn;
    for (size_t i = 0; i < score.geometry.notes.size(); ++i)
        if (const int source = score.geometry.notes[i].source; source >= 0 && static_cast<size_t>(source) < spans.size())
            drawn.push_back({score.layout.notes[static_cast<size_t>(source)].time, i});
    std::stable_sort(drawn.begin(), drawn.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    double before = 0;
    if (options.countIn && !way.empty()) {
        for (const int32_t offset : options.beats.beats)
            schedule.clicks.push_back({frameOf(offset), offset == 0});
        before = options.beats.measureLength;
        schedule.tuneStart = frameOf(before);
        if (!options.countInEveryPass)
            schedule.loopStart = schedule.tuneStart;
    }
    for (const auto& [from, to] : way) {
        const int64_t stretchEnd = frameOf(before + (to - from));
        auto it = std::lower_bound(drawn.begin(), drawn.end(), from, [](const auto& d, int32_t t) { return d.first < t; });
        for (; it != drawn.end() && it->first < to; ++it) {
            const size_t i = it->second;
            const int source = score.geometry.notes[i].source;
            const SoundingSpan& span = spans[static_cast<size_t>(source)];
            ScheduledNote note;
            note.start = frameOf(before + span.start - from);
            // The stretch ends with its measures: what still sounds there is let go.
            note.end = std::min(std::max(note.start + 1, frameOf(before + span.end - from)), stretchEnd);
            note.pitch = score.layout.notes[static_cast<size_t>(source)].pitch;
            note.placed = static_cast<int>(i);
            note.muted = options.muteMelody;
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
    if (after == notes.begin())
        return -1;
    const auto latest = std::prev(after);
    return frame < latest->end ? static_cast<int>(latest - notes.begin()) : -1;
}
