#include "audio/PlaySchedule.h"

#include "render/FittedScore.h"
#include "song/SummaryBlock.h"

#include <algorithm>
#include <cmath>
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

PlaySchedule MakePlaySchedule(const FittedScore& score, int beatsPerMinute, int tempoPercent, int sampleRate)
{
    PlaySchedule schedule;
    schedule.sampleRate = sampleRate;
    // An imported score's own tempo may lie beyond the song file's 40..240; a damaged one
    // plays as the song reader repairs it.
    const int bpm = beatsPerMinute >= SummaryBlock::kMinPlayedTempo && beatsPerMinute <= SummaryBlock::kMaxPlayedTempo
                        ? beatsPerMinute
                        : SummaryBlock::kRepairedTempo;
    const int percent = std::clamp(tempoPercent, kMinTempoPercent, kMaxTempoPercent);
    // A unit is a sixth of a beat: 60 / (bpm x 6) seconds at 100 %.
    const double framesPerUnit = 1000.0 * sampleRate / (double(bpm) * percent);
    const auto frameOf = [&](double units) { return static_cast<int64_t>(std::llround(units * framesPerUnit)); };
    // A score drawn once is played the way its jumps lead: each stretch in turn, its notes
    // after what was played before. Straight down, the whole range is one stretch.
    std::vector<std::pair<int32_t, int32_t>> way = score.layout.playing;
    if (way.empty())
        way.push_back({0, score.layout.totalLength});
    const std::vector<SoundingSpan> spans = SoundingSpans(score);
    // The drawn notes by time, so that a stretch finds its own among thousands of stretches.
    std::vector<std::pair<int32_t, size_t>> drawn;
    for (size_t i = 0; i < score.geometry.notes.size(); ++i)
        if (const int source = score.geometry.notes[i].source; source >= 0 && static_cast<size_t>(source) < spans.size())
            drawn.push_back({score.layout.notes[static_cast<size_t>(source)].time, i});
    std::stable_sort(drawn.begin(), drawn.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    double before = 0;
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
            if (note.start < stretchEnd)
                schedule.notes.push_back(note);
        }
        before += to - from;
    }
    schedule.length = frameOf(before);
    std::stable_sort(schedule.notes.begin(), schedule.notes.end(),
                     [](const ScheduledNote& a, const ScheduledNote& b) { return a.start < b.start; });
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
