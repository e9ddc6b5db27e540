#include "import/midi/MidiNotes.h"

#include "import/HighestNote.h"

#include <algorithm>

namespace {

constexpr int kChannels = 16;
constexpr int kPitches = 128;

// The same string cannot sound twice: a note ends where the next one of its pitch starts.
void CutAtNextOfSamePitch(std::vector<MidiTimedNote>& notes)
{
    std::vector<size_t> order(notes.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return notes[a].pitch != notes[b].pitch ? notes[a].pitch < notes[b].pitch : notes[a].start < notes[b].start;
    });
    for (size_t k = 0; k + 1 < order.size(); ++k) {
        MidiTimedNote& n = notes[order[k]];
        const MidiTimedNote& next = notes[order[k + 1]];
        if (next.pitch == n.pitch)
            n.end = std::min(n.end, next.start);
    }
}

} // namespace

std::vector<MidiTimedNote> PairNotes(const std::vector<MidiNoteEvent>& events, int64_t trackEnd, int& skipped)
{
    std::vector<MidiTimedNote> notes;
    // The notes of one channel and pitch still sounding, earliest first: those before `first`
    // have ended. An off takes the earliest without moving the rest, so that thousands of
    // stacked notes of one pitch cost no more than as many notes of different pitches.
    struct Sounding {
        std::vector<size_t> notes;
        size_t first = 0;
    };
    std::vector<Sounding> sounding(kChannels * kPitches);
    for (const MidiNoteEvent& e : events) {
        Sounding& open = sounding[(e.channel & (kChannels - 1)) * kPitches + (e.pitch & (kPitches - 1))];
        if (e.on) {
            if (open.first == open.notes.size()) {
                open.notes.clear();
                open.first = 0;
            }
            open.notes.push_back(notes.size());
            notes.push_back({e.tick, -1, e.pitch});
        } else if (open.first < open.notes.size()) {
            notes[open.notes[open.first++]].end = e.tick;
        }
    }
    for (MidiTimedNote& n : notes) {
        if (n.end < 0)
            n.end = trackEnd;
        if (n.end <= n.start)
            ++skipped;
    }
    CutAtNextOfSamePitch(notes);
    std::erase_if(notes, [](const MidiTimedNote& n) { return n.end <= n.start; });
    return notes;
}

std::vector<MidiTimedNote> HighestAtEachOnset(std::vector<MidiTimedNote> notes)
{
    OrderHighestFirst(notes, [](const MidiTimedNote& n) { return n.start; }, [](const MidiTimedNote& n) { return n.pitch; });
    notes.erase(std::unique(notes.begin(), notes.end(),
                            [](const MidiTimedNote& a, const MidiTimedNote& b) { return a.start == b.start; }),
                notes.end());
    return notes;
}
