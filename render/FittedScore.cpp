#include "render/FittedScore.h"

#include "render/WrittenScore.h"

#include "score/FitToStrings.h"
#include "score/Score.h"
#include "song/CSongData.h"

#include <algorithm>
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

// Notes of the other voices that no string takes after a move of `shift` semitones; an
// accompaniment's note counts only when no octave of it has a string.
int VoiceNotesWithoutString(const Score& score, int shift, const ScoreFrame& frame)
{
    int missing = 0;
    for (size_t v = 1; v < score.voices.size(); ++v) {
        const ScoreVoice& voice = score.voices[v];
        for (const ScoreEvent& e : voice.events)
            for (const int p : e.pitches) {
                int32_t pitch = p;
                CSongData::TransposePitch(shift, pitch);
                const bool found = voice.role == VoiceRole::kAccompaniment ? OctaveOnAString(frame, pitch).has_value()
                                                                           : StringOf(frame, pitch) >= 0;
                missing += found || e.optional ? 0 : 1;
            }
    }
    return missing;
}

} // namespace

int FitScoreToFrame(Score& score, const ScoreFrame& frame, int lowestNote)
{
    const auto strings = std::span<const int32_t>(frame.stringPitches.data(),
                                                  static_cast<size_t>(std::clamp(frame.stringCount, 0, kMaxStrings)));
    int shift = FitToStringTable(score, lowestNote, strings);
    if (score.voices.size() <= 1)
        return shift;
    // Octaves that lose the melody no note may still give the other voices their strings.
    const int melodyMissing = CountNotesWithoutString(score, 0, strings);
    int best = 0, bestMissing = VoiceNotesWithoutString(score, 0, frame);
    for (const int octave : kOctaveTries) {
        if (bestMissing == 0 || CountNotesWithoutString(score, octave, strings) > melodyMissing)
            continue;
        if (const int missing = VoiceNotesWithoutString(score, octave, frame); missing < bestMissing) {
            best = octave;
            bestMissing = missing;
        }
    }
    if (best != 0) {
        TransposeScore(score, best);
        shift += best;
    }
    return shift;
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

void FitVoicesToStrings(ScoreLayout& layout, const ScoreFrame& frame, std::vector<int>& missing)
{
    missing.assign(layout.voices.size(), 0);
    for (size_t v = 0; v < layout.voices.size(); ++v) {
        LaidVoice& voice = layout.voices[v];
        std::vector<ScoreNote> kept;
        kept.reserve(voice.notes.size());
        for (ScoreNote note : voice.notes) {
            if (voice.role == VoiceRole::kAccompaniment)
                note.pitch = OctaveOnAString(frame, note.pitch).value_or(note.pitch);
            if (StringOf(frame, note.pitch) < 0) {
                if (note.optional)
                    continue; // a fifth the harp lacks
                ++missing[v];
            }
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
