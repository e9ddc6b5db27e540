#pragma once
// A MusicXML note's children gathered in one pass, the numbers and pitches the file writes, and
// the tally that finds a part's melody voice: what the part's reading and its counting share.

#include "import/musicxml/MusicXmlPart.h"

#include <cstdint>
#include <pugixml.hpp>
#include <vector>

// Decimal text as MusicXML writes numbers; NaN when it is none. Plain integers, by far the
// most common, are read without strtod.
double Number(pugi::xml_node node);
int Integer(pugi::xml_node node, int fallback);

// The MIDI number a <pitch> element writes, before any transposition; -1 when it names none.
int WrittenPitch(pugi::xml_node pitch);

// A note's children gathered in one pass: a score holds thousands of notes, and looking each
// child up by name would compare every name again and again.
struct NoteView {
    pugi::xml_node pitch, duration, lyric, type, timeModification;
    int dots = 0;
    const char* voice = "1";
    int staff = 1;
    bool grace = false, chord = false, cue = false, rest = false;
    bool tieStart = false, tieStop = false;
    bool voiceWritten = false, staffWritten = false;

    explicit NoteView(pugi::xml_node note);

    bool Sounds() const { return pitch && !grace && !cue; }

    // Ticks the note's type, dots and tuplet ratio give; 0 when the note writes no known type.
    double WrittenTicks() const;

private:
    void Tie(pugi::xml_node tie);
};

// A <chord/> note that writes no <voice> or <staff> of its own is in those of the note it
// sounds with: exporters often write them on the chord's first note only.
class ChordHead {
public:
    void Apply(NoteView& note)
    {
        if (!note.chord) {
            voice = note.voice, staff = note.staff;
            return;
        }
        if (!note.voiceWritten)
            note.voice = voice;
        if (!note.staffWritten)
            note.staff = staff;
    }

private:
    const char* voice = "1";
    int staff = 1;
};

// Counts sounding notes per voice of the upper staff. The melody is voice 1 when it has
// notes, else the voice that sounds highest on average: a tune is rarely written under its
// accompaniment, however many notes the accompaniment has.
class VoiceTally {
public:
    void Add(const NoteView& note);
    MelodyVoice Result() const;

private:
    struct Voice {
        const char* name; // text of the document
        int pitchedNotes = 0;
        int64_t pitchSum = 0;
        double Average() const { return pitchedNotes > 0 ? double(pitchSum) / pitchedNotes : -1; }
    };
    int staff = 0, pitched = 0;
    std::vector<Voice> voices; // in order of appearance
};
