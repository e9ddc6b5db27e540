#include "document/TuneDocument.h"

#include "song/CSongData.h"

#include <algorithm>

TuneDocument::TuneDocument() = default;
TuneDocument::~TuneDocument() = default;

bool TuneDocument::Load(const std::string& file, const ImportRequest& request)
{
    ImportOutcome loaded = LoadScoreFile(file, request);
    if (loaded.cancelled)
        return false; // the user cancelled the choice of a part
    Take(loaded);
    path = file;
    choice = request.choice;
    grid = request.grid;
    sheetShown.clear();
    return true;
}

bool TuneDocument::ReadVoicesAgain(const VoiceChoice& chosen)
{
    ImportRequest request;
    request.choice = choice;
    request.voices = chosen;
    request.grid = grid;
    ImportOutcome loaded = LoadScoreFile(path, request);
    if (loaded.cancelled || loaded.failed)
        return false; // said why; what is shown stays
    Take(loaded);
    return true;
}

void TuneDocument::Take(ImportOutcome& loaded)
{
    score = std::make_unique<Score>(std::move(loaded.score));
    loaded.score = Score{};
    if (loaded.failed)
        loaded.bytes.clear();
    read = std::move(loaded);
    applied = 0; // read as written
}

void TuneDocument::Close()
{
    score.reset();
    read = ImportOutcome{};
}

void TuneDocument::Adopt(Score song)
{
    score = std::make_unique<Score>(std::move(song));
    read = ImportOutcome{};
    applied = 0;
}

Score TuneDocument::Release()
{
    Score song = score ? std::move(*score) : Score{};
    score.reset();
    return song;
}

VoiceChoice TuneDocument::DrawnVoices() const
{
    VoiceChoice drawn = read.drawn;
    if (drawn[VoiceRole::kMelody] == 0)
        drawn[VoiceRole::kMelody] = read.melodyVoice;
    return drawn;
}

void TuneDocument::SetHarp(const ScoreFrame& harp, int lowest)
{
    frame = harp;
    lowestNote = lowest;
    if (!score)
        fitted = UnfittedScore(frame);
}

void TuneDocument::Fit()
{
    if (!score)
        return;
    if (applied != 0)
        TransposeScore(*score, -applied);
    fitTransposition = FitScoreToFrame(*score, frame, lowestNote);
    applied = fitTransposition;
    chosenKey.reset();
}

void TuneDocument::FitAgain(RepeatDrawing repeats)
{
    if (!score) {
        fitted = UnfittedScore(frame);
        return;
    }
    applied += FitScoreToFrame(*score, frame, lowestNote);
    fitted = LayOutFittedScore(frame, *score, fitted.measures, applied, repeats);
}

void TuneDocument::Show(KeyChoice key, MeasureRange measures, RepeatDrawing repeats)
{
    if (!score)
        return;
    chosenKey = key;
    if (key || applied != fitTransposition)
        applied = MoveScoreToKey(*score, applied, key, frame, lowestNote);
    // A range kept from another time is held within the tune; the written layout holds its own.
    if (repeats == RepeatDrawing::kWrittenOut || !score->repeats.Jumps()) {
        measures.last = std::clamp(measures.last, 1, std::max(1, score->measureCount));
        measures.first = std::clamp(measures.first, 1, measures.last);
    }
    // Laid out anew, never lent the old layout: its pitches or its harp may be other.
    fitted = LayOutFittedScore(frame, *score, measures, applied, repeats);
}

void TuneDocument::ShowRange(MeasureRange measures, RepeatDrawing repeats)
{
    if (score)
        fitted = LayOut(measures, repeats);
}

FittedScore TuneDocument::LayOut(MeasureRange measures, RepeatDrawing repeats) const
{
    if (!score)
        return UnfittedScore(frame);
    return LayOutFittedScore(frame, *score, measures, applied, repeats, &fitted);
}

FittedScore TuneDocument::LayOutWhole(RepeatDrawing repeats) const
{
    return LayOut({1, std::max(1, fitted.measureCount)}, repeats);
}
