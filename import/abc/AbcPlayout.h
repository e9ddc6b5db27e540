#pragma once
// Plays a written tune out in time order: repeats and endings taken as a player takes
// them, tied notes merged, meters and chord names placed at their onsets, and a short first
// bar reported as the pickup.

#include "import/TiedNotes.h"
#include "import/abc/AbcEvent.h"

class AbcPlayout {
public:
    explicit AbcPlayout(const AbcWrittenTune& tune) : tune(tune) {}

    // Fills notes, meters, chords and pickupTicks of `out`; adds to its skipped count.
    void Play(Melody& out);

private:
    void PlayEvent(const AbcEvent& event, Melody& out);
    void PlayNote(const AbcEvent& event, Melody& out);
    size_t AtBar(size_t index);
    void StartSection(size_t bar);
    void NotePickup(Melody& out);

    const AbcWrittenTune& tune;
    int64_t now = 0;
    bool lastTied = false;     // the note before has a tie after it
    TiedNotes ties{0};         // a written tie meets exactly
    int meterNumerator = 4, meterDenominator = 4;
    bool pickupDecided = false;

    // The repeat being played: where a backward repeat returns to, which time through it
    // this is, whether an ending for another time is being passed over.
    size_t sectionStart = 0;
    int pass = 1;
    bool skipping = false;
    bool inEnding = false;
    std::vector<int> jumpsTaken;         // per event: backward repeats already taken there
    std::vector<uint32_t> endingsAhead;  // per event: endings written up to the next |:
};
