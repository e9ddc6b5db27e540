#pragma once
// Plays a written tune out in time order: its bar lines become the marks every reader gives
// the one play order, tied notes are merged, meters and chord names placed at their onsets,
// and a short first bar is reported as the pickup.

#include "import/PlayOrder.h"
#include "import/TiedNotes.h"
#include "import/abc/AbcEvent.h"

class AbcPlayout {
public:
    // A chord's other notes are played beside its highest, which alone carries the tie and the syllable.
    explicit AbcPlayout(const AbcWrittenTune& tune) : tune(tune) {}

    // Fills notes, meters, chords and pickupTicks of `out`; adds to its skipped count.
    void Play(Melody& out);

private:
    void PlayEvent(const AbcEvent& event, Melody& out);
    void PlayNote(const AbcEvent& event, Melody& out);
    std::string LyricOf(const AbcEvent& event) const;
    void NotePickup(Melody& out);

    const AbcWrittenTune& tune;
    int64_t now = 0;
    bool lastTied = false;     // the note before has a tie after it
    int pass = 0;              // times the measure being played was played before
    TiedNotes ties{0};         // a written tie meets exactly
    int meterNumerator = 4, meterDenominator = 4;
    bool pickupDecided = false;
};

// The written tune cut at its bar lines into the measures the play order walks: events
// first..end-1 of the tune, and whether a bar line that ends a measure closes them. Bar lines
// with no note between them act as one. The marks come from the bar lines and from the
// segno, coda, fine and jump decorations.
struct AbcMeasure {
    size_t first = 0, end = 0;
    bool closedByMeasureLine = false;
};

struct AbcMeasures {
    std::vector<AbcMeasure> measures;
    std::vector<MeasureMarks> marks; // one per measure
};

AbcMeasures CutIntoMeasures(const std::vector<AbcEvent>& events);
