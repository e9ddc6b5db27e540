#include "render/ScoreLayout.h"

#include "score/Score.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string_view>

int64_t UnitsOfTicks(int64_t ticks, int64_t beatTicks)
{
    if (beatTicks <= 0)
        return 0;
    if (kUnitsPerBeat % beatTicks == 0)
        return ticks * (kUnitsPerBeat / beatTicks);
    const long double units = static_cast<long double>(ticks) * kUnitsPerBeat / beatTicks;
    return static_cast<int64_t>(units < 0 ? units - 0.5L : units + 0.5L);
}

namespace {

int32_t Held(int64_t units)
{
    return static_cast<int32_t>(std::clamp<int64_t>(units, INT32_MIN, INT32_MAX));
}

// The notes of a voice's events drawn within [from, to) ticks, at units from `from`; a word
// goes with each event's lowest pitch.
void LayOutEvents(const std::vector<ScoreEvent>& events, int64_t from, int64_t to, int64_t beatTicks,
                  std::vector<ScoreNote>& notes, std::vector<std::string>* words)
{
    const auto units = [&](int64_t ticks) { return Held(UnitsOfTicks(ticks, beatTicks)); };
    for (const ScoreEvent& e : events) {
        const int64_t at = e.DrawnOnset();
        if (at < from || at >= to)
            continue;
        for (size_t p = 0; p < e.pitches.size(); ++p) {
            ScoreNote note{units(at - from), e.pitches[p], units(e.DrawnLength())};
            note.sound = units(e.onset - from);
            note.soundLength = units(e.length);
            note.optional = e.optional;
            notes.push_back(note);
            if (words)
                words->push_back(p == 0 ? e.lyric : std::string());
        }
    }
}

} // namespace

ScoreLayout LayOutMeasures(const Score& score, int first, int last)
{
    ScoreLayout layout;
    const int beats = score.meter.beatsPerMeasure;
    const int64_t beatTicks = score.meter.beatTicks;
    if (first < 1 || last < first || beats <= 0 || beatTicks <= 0)
        return layout;
    // The range comes from the settings file and the beats from the song file: neither bounds it.
    layout.totalLength =
        static_cast<int32_t>(std::min<int64_t>(INT32_MAX, (int64_t(last) - first + 1) * beats * kUnitsPerBeat));
    layout.verses = score.verses;
    layout.beatDivision = score.meter.division;
    const int64_t measureTicks = int64_t(beats) * beatTicks;
    if (score.pickupTicks > 0 && score.pickupTicks < measureTicks) {
        layout.numberShift = 1;
        layout.pickupStart = first == 1 ? Held(UnitsOfTicks(score.pickupTicks, beatTicks)) : 0;
    }
    const int64_t from = (int64_t(first) - 1) * measureTicks;
    int64_t to = from + (int64_t(last) - first + 1) * measureTicks;
    int64_t listedEnd = last;
    if (score.listedBeats) {
        // A song file's grid ends within its capacity: the range stops listing there.
        listedEnd = std::min<int64_t>(last, (int64_t(*score.listedBeats) + beats - 1) / beats);
        to = std::min(to, int64_t(*score.listedBeats) * beatTicks);
    }
    for (int64_t m = first - 1; m < listedEnd; ++m)
        layout.measures.push_back({Held(UnitsOfTicks(m * measureTicks - from, beatTicks)), static_cast<int>(m + 1)});
    for (size_t v = 0; v < score.voices.size(); ++v) {
        const ScoreVoice& voice = score.voices[v];
        if (v == 0) {
            layout.melodyName = voice.name;
            LayOutEvents(voice.events, from, to, beatTicks, layout.notes, &layout.words);
            continue;
        }
        LaidVoice& laid = layout.voices.emplace_back(LaidVoice{voice.role, voice.name, {}});
        LayOutEvents(voice.events, from, to, beatTicks, laid.notes, nullptr);
    }
    std::string_view before;
    for (const ScoreChordName& chord : score.chords) {
        if (chord.onset < from || chord.onset >= to || chord.name.empty() || chord.name == before)
            continue;
        layout.chords.push_back({Held(UnitsOfTicks(chord.onset - from, beatTicks)), chord.name});
        before = chord.name;
    }
    return layout;
}

ScoreLayout PartOfLayout(const ScoreLayout& all, size_t firstMeasure, size_t endMeasure, int32_t from, int32_t to,
                         bool withEnd)
{
    const auto inside = [&](int32_t time) { return time >= from && (time < to || (withEnd && time <= to)); };
    ScoreLayout part;
    part.melodyName = all.melodyName;
    for (size_t i = 0; i < all.notes.size(); ++i) {
        if (!inside(all.notes[i].time))
            continue;
        ScoreNote note = all.notes[i];
        note.time -= from;
        note.sound -= from;
        part.notes.push_back(note);
        part.words.push_back(i < all.words.size() ? all.words[i] : std::string());
    }
    for (const LaidVoice& voice : all.voices) {
        LaidVoice& cut = part.voices.emplace_back(LaidVoice{voice.role, voice.name, {}});
        for (ScoreNote note : voice.notes)
            if (inside(note.time)) {
                note.time -= from;
                note.sound -= from;
                cut.notes.push_back(note);
            }
    }
    for (const ScoreChord& c : all.chords)
        if (inside(c.time))
            part.chords.push_back({c.time - from, c.name});
    for (size_t i = firstMeasure; i < endMeasure && i < all.measures.size(); ++i)
        part.measures.push_back({all.measures[i].time - from, all.measures[i].number});
    for (ScoreJump jump : all.jumps) {
        const int32_t high = std::min(jump.from, jump.to), low = std::max(jump.from, jump.to);
        if (low < from || high > to)
            continue;
        jump.fromShown = jump.fromShown && inside(jump.from);
        jump.toShown = jump.toShown && inside(jump.to);
        jump.from -= from;
        jump.to -= from;
        part.jumps.push_back(jump);
    }
    for (const auto& [start, end] : all.playing) {
        const int32_t a = std::max(start, from), b = std::min(end, to);
        if (a >= b)
            continue;
        if (!part.playing.empty() && part.playing.back().second == a - from)
            part.playing.back().second = b - from; // straight on
        else
            part.playing.push_back({a - from, b - from});
    }
    for (const ScoreSign& sign : all.signs)
        if (inside(sign.time))
            part.signs.push_back({sign.time - from, sign.kind, sign.text});
    part.totalLength = to - from;
    part.verses = all.verses;
    part.beatDivision = all.beatDivision;
    part.numberShift = all.numberShift;
    part.fallback = all.fallback;
    return part;
}
