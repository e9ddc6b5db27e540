#pragma once
// One MusicXML part read measure by measure, in the order the file writes them: each
// measure's notes of the melody voice relative to the measure's start, its chord symbols,
// meter, tempo and the marks that decide the playing order.

#include "import/Melody.h"
#include "import/PlayOrder.h"
#include "song/ModalKey.h"

#include <optional>
#include <pugixml.hpp>
#include <vector>

// Durations beyond this are cut to it: more than any song holds (1024 beats of at most a
// dotted whole note), small enough that no sum of them overflows.
constexpr int64_t kMaxReadTicks = 16384 * kTicksPerQuarter;

struct MeasureNote {
    int64_t at = 0; // ticks from the measure's start
    int64_t duration = 0;
    int pitch = MelodyNote::kRest;
    bool tieStart = false, tieStop = false;
    std::string lyric;
    int staff = 1;
    const char* voice = "1"; // text of the document, which outlives the reading
    int voiceIndex = -1;     // into PartContent::voices; -1 for a rest
};

struct MeasureContent {
    int64_t length = 0;  // ticks the measure lasts as written
    int64_t nominal = 0; // ticks its meter gives a full measure
    int numerator = 4, denominator = 4;
    std::vector<MeasureNote> notes;  // of the melody voice
    std::vector<MeasureNote> others; // the pitched notes of every other voice
    std::vector<ChordSymbol> chords; // onsets relative to the measure's start
    double soundTempo = 0, metronomeTempo = 0; // quarters per minute, 0 when none
    MeasureMarks marks;
};

// A staff's voice that has sounding pitched notes.
struct PartVoice {
    int staff = 1;
    const char* voice = "1"; // text of the document
};

struct PartContent {
    std::vector<MeasureContent> measures;
    // By staff, on each staff in the order the part first sounds them; the melody voice
    // among them at melodyVoice (-1 when it has no pitched note).
    std::vector<PartVoice> voices;
    int melodyVoice = -1;
    bool hasKey = false;
    int keyFifths = 0;
    bool keyMinor = false;
    std::optional<ChurchMode> keyMode; // a mode named other than major or minor
    int skipped = 0;
    bool readable = true; // false when a divisions value makes durations meaningless
};

// The part's melody voice: on the upper staff with sounding pitched notes (not grace, not
// cue), voice 1 when it has such notes, else the voice that sounds highest on average; and
// how many such notes the part has.
struct MelodyVoice {
    int staff = 1;
    std::string voice = "1";
    int pitched = 0;
};

// `data` holds each measure's music (the measure itself in a partwise file, the part's
// element inside it in a timewise one). Counting is a pass of its own, needed only to offer
// a choice among parts.
MelodyVoice FindMelodyVoice(const std::vector<pugi::xml_node>& data);
// Reads every voice, the melody voice's notes apart from the others', so that a part is
// walked once.
PartContent ReadPartMeasures(const std::vector<pugi::xml_node>& data);
// Each measure's length as written (MeasureContent::length); empty when the part's durations
// are meaningless.
std::vector<int64_t> WrittenMeasureLengths(const std::vector<pugi::xml_node>& data);
