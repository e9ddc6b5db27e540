#pragma once
// The melody and the voices beside it laid out in playing order from a part's measures, ties
// merged on the way, and the names the voices are offered under; bounded as every voice is.

#include "import/TiedNotes.h"
#include "import/VoiceCandidates.h"
#include "import/musicxml/MusicXmlPart.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

// A melody never holds more notes than this; what follows is left out. More than every
// position of 1024 beats could show, even as chords of sixteen.
constexpr size_t kMaxMelodyNotes = 100000;
// A tie joins notes that meet within this many ticks (rounding of odd divisions).
constexpr int64_t kTieSlack = 2;

// A voice's name and origin hold a voice text of the file cut to this, and a part name cut to
// kMaxPartNameBytes: a file may name a voice with a megabyte.
constexpr size_t kMaxVoiceTextBytes = 32;
constexpr size_t kMaxPartNameBytes = 256;

// Notes the voices beside the melody may visit, repeats and all, in one reading of a file: a
// measure of thousands of notes played a thousand times is walked no further.
constexpr size_t kMaxVoiceWalk = size_t(10) * kMaxCandidateNotes;

// Lays the measures out in playing order and merges ties on the way.
class MelodyAssembler {
public:
    explicit MelodyAssembler(Melody& out) : out(out) {}

    // Notes from `length` on are left out: a voice that overflows its measure would push
    // every later measure off its place.
    void Add(const MeasureContent& m, int64_t start, int64_t length);
    void AddChords(const MeasureContent& m, int64_t start);
    void Skip(size_t count);

private:
    void AddNote(const MeasureNote& n, int64_t onset);
    bool Push(MelodyNote note);

    Melody& out;
    TiedNotes ties{kTieSlack};
};

// The voices of one part besides the melody, laid out measure by measure as the melody's
// measures are played, each with its ties merged; chords stay whole.
class VoiceAssembler {
public:
    // room: notes all the voices together may still take; walk: notes they may still visit.
    VoiceAssembler(size_t voiceCount, size_t room, size_t& walk);

    void Add(const std::vector<MeasureNote>& notes, int64_t start, int64_t length);

    std::vector<MelodyNote> Take(size_t voice) { return std::move(voices[voice]); }
    size_t LeftOut() const { return leftOut; }

private:
    std::vector<std::vector<MelodyNote>> voices;
    std::vector<TiedNotes> ties;
    size_t room;
    size_t& walk;
    size_t leftOut = 0;
};

// "Piano 上段 声部2": the part's name, its staff when the part writes notes on several, its
// voice when the staff has several.
class VoiceNaming {
public:
    VoiceNaming(std::string partName, const std::vector<PartVoice>& voices);

    std::string Name(const PartVoice& v) const;

private:
    std::string partName;
    std::map<int, int> voicesOnStaff;
    bool upperAndLower = false;
};
