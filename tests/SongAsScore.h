#pragma once
// The tests written against songs read from song files reach the score model through these:
// each makes the song's score, runs the stage on it, and moves the song as the score moved, so
// that a test may go on reading either. Layout times stay the layout's units.

#include "render/FittedScore.h"
#include "render/KeyChoice.h"
#include "document/SettingsScore.h"
#include "render/WrittenScore.h"
#include "score/ChordAccompaniment.h"
#include "score/FitToStrings.h"
#include "score/SongScore.h"
#include "song/CSongData.h"

// Layout units of `sixths` sixths of a beat, as a song file's grid counts time.
constexpr int32_t Sixths(int64_t sixths)
{
    return static_cast<int32_t>(sixths * kUnitsPerSixth);
}

inline int FitToStrings(CSongData& song, int lowestNote, int highestString)
{
    Score score = ScoreOfSong(song);
    const int shift = FitToStrings(score, lowestNote, highestString);
    if (shift != 0)
        song.Transpose(shift);
    return shift;
}

inline int FitToStringTable(CSongData& song, int lowestNote, std::span<const int32_t> strings)
{
    Score score = ScoreOfSong(song);
    const int shift = FitToStringTable(score, lowestNote, strings);
    if (shift != 0)
        song.Transpose(shift);
    return shift;
}

inline int CountNotesWithoutString(const CSongData& song, int shift, std::span<const int32_t> strings)
{
    return CountNotesWithoutString(ScoreOfSong(song), shift, strings);
}

inline int FitSongToFrame(CSongData& song, const ScoreFrame& frame, int lowestNote)
{
    Score score = ScoreOfSong(song);
    const int shift = FitScoreToFrame(score, frame, lowestNote);
    if (shift != 0)
        song.Transpose(shift);
    return shift;
}

inline int MoveSongToKey(CSongData& song, int applied, KeyChoice chosen, const ScoreFrame& frame, int lowestNote)
{
    Score score = ScoreOfSong(song);
    const int now = MoveScoreToKey(score, applied, chosen, frame, lowestNote);
    if (now != applied)
        song.Transpose(now - applied);
    return now;
}

inline ScoreLayout LayOutMeasures(const CSongData& song, int first, int last)
{
    return LayOutMeasures(ScoreOfSong(song), first, last);
}

inline ScoreLayout LayOutWritten(const CSongData& song)
{
    return LayOutWritten(ScoreOfSong(song));
}

inline FittedScore LayOutFittedScore(const ScoreFrame& frame, const CSongData& song, MeasureRange measures,
                                     int transposition, RepeatDrawing repeats = RepeatDrawing::kLines,
                                     const FittedScore* before = nullptr)
{
    return LayOutFittedScore(frame, ScoreOfSong(song), measures, transposition, repeats, before);
}

inline FittedScore FitScore(const ConfigRecord& settings, CSongData& song, MeasureRange measures)
{
    Score score = ScoreOfSong(song);
    FittedScore fitted = FitScore(settings, score, measures);
    if (fitted.transposition != 0)
        song.Transpose(fitted.transposition);
    return fitted;
}

inline MeasureRange FirstShownMeasures(const CSongData& song)
{
    return FirstShownMeasures(ScoreOfSong(song));
}

inline bool HasChordNames(const CSongData& song)
{
    return HasChordNames(ScoreOfSong(song));
}

// The accompaniment's notes as the grid counts them: sixths of a beat.
inline SongVoice AccompanimentFromChords(const CSongData& song)
{
    const ScoreVoice made = AccompanimentFromChords(ScoreOfSong(song));
    SongVoice voice{made.role, made.name, made.candidate, {}};
    for (const ScoreEvent& e : made.events)
        for (const int pitch : e.pitches)
            voice.notes.push_back({static_cast<int32_t>(e.onset / kGridSixthTicks), pitch,
                                   static_cast<int32_t>(e.length / kGridSixthTicks), e.optional});
    return voice;
}

// The notes of measures first..last as the song file's grid places them, in sixths of a beat.
inline std::vector<ScoreNote> GridNotes(const CSongData& song, int first, int last)
{
    std::vector<ScoreNote> notes;
    for (const ScoreNote& n : LayOutMeasures(song, first, last).notes)
        notes.push_back({n.time / kUnitsPerSixth, n.pitch, n.length / kUnitsPerSixth});
    return notes;
}
