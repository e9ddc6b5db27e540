#include "render/ScoreLayout.h"

#include "song/CSongData.h"

#include <cstring>

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace {

// A fixed-size text field up to its first zero; a field without one is read whole.
std::string_view Bounded(const char* field, size_t size)
{
    return {field, strnlen(field, size)};
}

} // namespace

ScoreLayout LayOutMeasures(const CSongData& song, int first, int last)
{
    ScoreLayout layout;
    const int beats = song.beatsPerMeasure;
    if (first < 1 || last < first || beats <= 0)
        return layout;
    // The range comes from the settings file and the beats from the song file: neither bounds it.
    layout.totalLength = static_cast<int32_t>(
        std::min<int64_t>(INT32_MAX, (int64_t(last) - first + 1) * beats * kUnitsPerBeat));
    const int firstCell = 2 * beats * (first - 1);
    layout.verses = song.verses;
    layout.beatDivision = song.meter ? song.meter->Division() : 2;
    if (song.pickupStart > 0 && song.pickupStart < beats * kUnitsPerBeat) {
        layout.numberShift = 1;
        layout.pickupStart = first == 1 ? song.pickupStart : 0;
    }
    const int32_t rangeStart = kUnitsPerCell * firstCell;
    const int64_t rangeEnd = rangeStart + int64_t(layout.totalLength);
    for (const SongVoice& voice : song.voices) {
        LaidVoice& laid = layout.voices.emplace_back(LaidVoice{voice.role, voice.name, {}});
        for (const VoiceNote& n : voice.notes)
            if (n.time >= rangeStart && n.time < rangeEnd) {
                ScoreNote note{n.time - rangeStart, n.pitch, n.length};
                // A voice's note stands on a place of the grid, which the player times by its entry.
                note.entry = static_cast<uint8_t>(n.time % kUnitsPerCell);
                note.optional = n.optional;
                laid.notes.push_back(note);
            }
    }
    std::string_view chordBefore;
    for (int m = first - 1; m <= last - 1; ++m) {
        if (int64_t(m) * beats * 2 < CSongData::kCellCount)
            layout.measures.push_back({kUnitsPerCell * (2 * m * beats - firstCell), m + 1});
        for (int b = 0; b < beats; ++b) {
            for (int h = 0; h < 2; ++h) {
                const int c = (m * beats + b) * 2 + h;
                if (c >= CSongData::kCellCount)
                    return layout;
                const int32_t cellTime = kUnitsPerCell * (c - firstCell);
                const ChordRecord& chords = song.chordTable[c / 2];
                const std::string_view chord = Bounded(h == 0 ? chords.first : chords.second, kChordNameSize);
                if (!chord.empty() && chord != chordBefore) {
                    layout.chords.push_back({cellTime, std::string(chord)});
                    chordBefore = chord;
                }
                for (int k = 0; k < 3; ++k) {
                    const int32_t v = song.cells[c].entry[k];
                    if (v < 0)
                        continue;
                    const auto length = static_cast<int32_t>(kUnitsPerCell * song.GetNoteLength(m, 2 * b + h, k != 0));
                    layout.notes.push_back({cellTime + k, v, length, static_cast<uint8_t>(k)});
                    layout.words.emplace_back(Bounded(song.cells[c].text[k], sizeof song.cells[c].text[k]));
                }
            }
        }
    }
    return layout;
}

ScoreLayout PartOfLayout(const ScoreLayout& all, size_t firstMeasure, size_t endMeasure, int32_t from, int32_t to,
                         bool withEnd)
{
    const auto inside = [&](int32_t time) { return time >= from && (time < to || (withEnd && time <= to)); };
    ScoreLayout part;
    for (size_t i = 0; i < all.notes.size(); ++i) {
        if (!inside(all.notes[i].time))
            continue;
        ScoreNote note = all.notes[i];
        note.time -= from;
        part.notes.push_back(note);
        part.words.push_back(i < all.words.size() ? all.words[i] : std::string());
    }
    for (const LaidVoice& voice : all.voices) {
        LaidVoice& cut = part.voices.emplace_back(LaidVoice{voice.role, voice.name, {}});
        for (ScoreNote note : voice.notes)
            if (inside(note.time)) {
                note.time -= from;
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
