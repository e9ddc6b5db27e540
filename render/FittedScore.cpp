#include "render/FittedScore.h"

#include "render/JumpRouting.h"
#include "render/WrittenScore.h"

#include "score/FitToStrings.h"
#include "score/Score.h"
#include "song/CSongData.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <tuple>
#include <utility>
#include <vector>
#include <optional>
#include <span>

MeasureRange FirstShownMeasures(const Score& score)
{
    return MeasureRange{1, std::min(score.measureCount, kMaxShownMeasures)};
}

FittedScore UnfittedScore(const ScoreFrame& frame)
{
    FittedScore score;
    score.frame = frame;
    score.frame.totalLength = 0;
    score.measures = MeasureRange{1, 0};
    score.geometry = ComputeScoreGeometry(score.frame, score.layout.notes);
    return score;
}

namespace {

// Octaves tried for an accompaniment note without a string, nearest first, down before up
// so that it stays under the melody.
constexpr int kOctaveTries[] = {-12, 12, -24, 24, -36, 36};

// The pitch itself when it has a string, else its nearest octave that has one.
std::optional<int32_t> OctaveOnAString(const ScoreFrame& frame, int32_t pitch)
{
    if (StringOf(frame, pitch) >= 0)
        return pitch;
    for (const int octave : kOctaveTries)
        if (pitch + octave >= 0 && pitch + octave < 128 && StringOf(frame, pitch + octave) >= 0)
            return pitch + octave;
    return std::nullopt;
}

// The other voices' notes by pitch: those that need their own string, and the accompaniment's,
// which any octave serves; a fifth the accompaniment may leave out counts in neither.
struct OtherPitches {
    PitchCounts own{}, anyOctave{};
};

OtherPitches OtherVoicesPitches(const Score& score)
{
    OtherPitches counts;
    for (size_t v = 1; v < score.voices.size(); ++v) {
        PitchCounts& into = score.voices[v].role == VoiceRole::kAccompaniment ? counts.anyOctave : counts.own;
        for (const ScoreEvent& e : score.voices[v].events)
            if (!e.optional)
                for (const int p : e.pitches)
                    ++into[static_cast<size_t>(std::clamp(p, 0, 127))];
    }
    return counts;
}

// Notes of the other voices that no string takes after a move of `shift` semitones; an
// accompaniment's note counts only when no octave of it has a string.
int VoiceNotesWithoutString(const OtherPitches& counts, int shift, const ScoreFrame& frame)
{
    int missing = 0;
    for (int32_t p = 0; p < 128; ++p) {
        const int own = counts.own[static_cast<size_t>(p)], anyOctave = counts.anyOctave[static_cast<size_t>(p)];
        if (own == 0 && anyOctave == 0)
            continue;
        int32_t pitch = p;
        CSongData::TransposePitch(shift, pitch);
        if (own > 0 && StringOf(frame, pitch) < 0)
            missing += own;
        if (anyOctave > 0 && !OctaveOnAString(frame, pitch))
            missing += anyOctave;
    }
    return missing;
}

} // namespace

namespace {

// How well a move of the whole score fits the group: the melody whole first, then the fewest
// notes of the other voices without a string, then the key nearest the written one.
struct GroupFit {
    int shift = 0;
    int melodyMissing = 0;
    bool melodyWithinRange = false;
    int othersMissing = 0;

    auto Order() const
    {
        const int fromKey = std::abs(shift) % 12;
        return std::tuple(melodyMissing, !melodyWithinRange, othersMissing, std::min(fromKey, 12 - fromKey),
                          std::abs(shift), shift < 0);
    }
};

} // namespace

int FitScoreToFrame(Score& score, const ScoreFrame& frame, int lowestNote)
{
    const auto strings = std::span<const int32_t>(frame.stringPitches.data(),
                                                  static_cast<size_t>(std::clamp(frame.stringCount, 0, kMaxStrings)));
    const int alone = FitToStringTable(score, lowestNote, strings);
    int songLow = 0, songHigh = 0;
    MelodyPitchRange(score, songLow, songHigh);
    if (score.voices.size() <= 1 || strings.empty() || songHigh < 0)
        return alone;
    // The melody alone's fit only tells where to look: every move within reach of it is weighed
    // for the whole group, from the score as written.
    const auto [low, high] = std::minmax_element(strings.begin(), strings.end());
    std::vector<GroupFit> fits;
    const PitchCounts melody = MelodyPitchCounts(score);
    for (int step = -kMaxTableShift; step <= kMaxTableShift; ++step)
        fits.push_back({alone + step, CountNotesWithoutString(melody, step, strings),
                        songLow + step >= *low && songHigh + step <= *high, 0});
    const int fewest = std::min_element(fits.begin(), fits.end(), [](const GroupFit& a, const GroupFit& b) {
                           return a.melodyMissing < b.melodyMissing;
                       })->melodyMissing;
    std::optional<GroupFit> best;
    const OtherPitches others = OtherVoicesPitches(score);
    for (GroupFit& fit : fits) {
        if (fit.melodyMissing != fewest)
            continue; // the others' notes are counted only where the melody loses least
        fit.othersMissing = VoiceNotesWithoutString(others, fit.shift - alone, frame);
        if (!best || fit.Order() < best->Order())
            best = fit;
    }
    if (best->shift != alone)
        TransposeScore(score, best->shift - alone);
    return best->shift;
}

int VoiceNotesWithoutString(const LaidVoice& voice, const ScoreFrame& frame, int shift)
{
    int missing = 0;
    for (const ScoreNote& n : voice.notes) {
        if (n.optional)
            continue;
        int32_t pitch = n.pitch;
        CSongData::TransposePitch(shift, pitch);
        const bool found = voice.role == VoiceRole::kAccompaniment ? OctaveOnAString(frame, pitch).has_value()
                                                                   : StringOf(frame, pitch) >= 0;
        missing += found ? 0 : 1;
    }
    return missing;
}

namespace {

// The pitch an accompaniment's note is drawn at: itself or its nearest octave with a string
// that neither the melody nor the voice plucks at that time, else its nearest with a string.
int32_t FreeOctave(const ScoreFrame& frame, const ScoreNote& note, const std::set<std::pair<int32_t, int32_t>>& melody,
                   const std::set<std::pair<int32_t, int32_t>>& voice)
{
    const auto free = [&](int32_t pitch) {
        return pitch >= 0 && pitch < 128 && StringOf(frame, pitch) >= 0 && !melody.contains({note.time, pitch}) &&
               !voice.contains({note.time, pitch});
    };
    if (free(note.pitch))
        return note.pitch;
    for (const int octave : kOctaveTries)
        if (free(note.pitch + octave))
            return note.pitch + octave;
    return OctaveOnAString(frame, note.pitch).value_or(note.pitch);
}

} // namespace

void FitVoicesToStrings(ScoreLayout& layout, const ScoreFrame& frame, std::vector<int>& missing)
{
    missing.assign(layout.voices.size(), 0);
    if (layout.voices.empty())
        return;
    std::set<std::pair<int32_t, int32_t>> melody; // time, pitch
    for (const ScoreNote& n : layout.notes)
        melody.insert({n.time, n.pitch});
    for (size_t v = 0; v < layout.voices.size(); ++v) {
        LaidVoice& voice = layout.voices[v];
        std::vector<ScoreNote> kept;
        kept.reserve(voice.notes.size());
        std::set<std::pair<int32_t, int32_t>> plucked;
        for (ScoreNote note : voice.notes) {
            if (voice.role == VoiceRole::kAccompaniment) {
                note.pitch = FreeOctave(frame, note, melody, plucked);
                if (plucked.contains({note.time, note.pitch}))
                    continue; // an octave of a note the voice already plucks there: drawn once
            }
            if (StringOf(frame, note.pitch) < 0) {
                if (note.optional)
                    continue; // a fifth the harp lacks
                ++missing[v];
            }
            plucked.insert({note.time, note.pitch});
            kept.push_back(note);
        }
        voice.notes = std::move(kept);
    }
}

namespace {

bool SameStrings(const ScoreFrame& a, const ScoreFrame& b)
{
    return a.stringCount == b.stringCount && a.stringPitches == b.stringPitches;
}

std::shared_ptr<const ScoreLayout> RoutedWritten(const ScoreFrame& frame, const Score& song)
{
    auto whole = std::make_shared<ScoreLayout>(LayOutWritten(song));
    if (whole->fallback == RepeatFallback::kNone && !RouteJumps(*whole, frame))
        whole->fallback = RepeatFallback::kCrossing;
    return whole;
}

} // namespace

FittedScore LayOutFittedScore(const ScoreFrame& frame, const Score& song, MeasureRange measures, int transposition,
                              RepeatDrawing repeats, const FittedScore* before)
{
    FittedScore score;
    score.measureCount = song.measureCount;
    if (repeats == RepeatDrawing::kLines && song.repeats.Jumps()) {
        score.written = before && before->written && SameStrings(before->frame, frame) ? before->written
                                                                                        : RoutedWritten(frame, song);
        const ScoreLayout& whole = *score.written;
        if (whole.fallback == RepeatFallback::kNone && !whole.measures.empty()) {
            const int count = static_cast<int>(whole.measures.size());
            measures.last = std::clamp(measures.last, 1, count);
            measures.first = std::clamp(measures.first, 1, measures.last);
            const bool toEnd = measures.last == count;
            const int32_t from = whole.measures[static_cast<size_t>(measures.first - 1)].time;
            const int32_t to = toEnd ? whole.totalLength : whole.measures[static_cast<size_t>(measures.last)].time;
            score.layout = PartOfLayout(whole, static_cast<size_t>(measures.first - 1), static_cast<size_t>(measures.last),
                                        from, to, toEnd);
            score.layout.pickupStart = measures.first == 1 ? whole.pickupStart : 0;
            score.measureCount = count;
        } else {
            score.layout = LayOutMeasures(song, measures.first, measures.last);
            score.layout.fallback = whole.fallback;
        }
    } else {
        score.layout = LayOutMeasures(song, measures.first, measures.last);
    }
    score.frame = frame;
    score.frame.totalLength = score.layout.totalLength;
    FitVoicesToStrings(score.layout, score.frame, score.voiceNotesWithoutString);
    score.transposition = transposition;
    score.measures = measures;
    const std::vector<ScoreNote>& notes = score.layout.notes;
    score.geometry = ComputeScoreGeometry(score.frame, notes);
    AddVoices(score.geometry, score.frame, score.layout);
    score.geometry.jumps = JumpLines(score.geometry, score.layout);
    score.notesWithoutString = static_cast<int>(std::count_if(
        notes.begin(), notes.end(), [&](const ScoreNote& n) { return StringOf(score.frame, n.pitch) < 0; }));
    return score;
}
