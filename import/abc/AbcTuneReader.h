#pragma once
// Reads the lines of one ABC tune: the file header's fields, the tune header up to K:, then
// the body. Field lines and inline fields set the music reader up; music lines of the first
// voice go to it token by token; w: lines put lyrics on the notes written before them. The
// other voices are read alike, each by a music reader of its own, for the voices beside the
// melody.

#include "import/abc/AbcLimits.h"
#include "import/abc/AbcMusicReader.h"

#include <algorithm>
#include <string>
#include <string_view>

class AbcTuneReader {
public:
    // Lines before the first tune that hold fields for every tune.
    void ReadFileHeaderLine(std::string_view line);
    // The tune's lines from its X: line on, up to (not including) the blank line ending it.
    void ReadLine(std::string_view line);
    // Plays the tune out into `out` (replacing it); false when it has no pitched note.
    bool Finish(Melody& out);

private:
    void ReadField(char letter, std::string_view value);
    void ReadMusicLine(std::string_view line);
    void ReadDirective(std::string_view text);
    void ReadMeter(std::string_view value);
    void ReadUnitLength(std::string_view value);
    void ReadTempo(std::string_view value);
    void ReadKey(std::string_view value);
    void ReadVoice(std::string_view value);
    void ReadLyricLine(std::string_view value);
    void FlushLyrics();
    void EndHeader();
    void ApplyClef(const AbcClef& clef);

    // A V: voice besides the melody. It starts from what the tune header sets, as the melody
    // does, then follows its own fields.
    struct OtherVoice {
        std::string id, name; // as written
        AbcClef clef;         // of its V: lines
        bool started = false; // the body has reached it
        AbcMusicReader music;
    };
    int OtherVoiceFor(std::string_view id, std::string_view name, const AbcClef& clef);
    void CountLeftOut(const AbcToken& token);
    void ListVoices(Melody& out);

    // Runs a step of the current other voice's reading, within the events one voice may
    // write and those all of them may write together.
    template <class Step>
    void InOtherVoice(Step step)
    {
        if (currentOther < 0)
            return;
        AbcMusicReader& other = others[static_cast<size_t>(currentOther)].music;
        const size_t before = other.Written().events.size();
        const size_t own = before < size_t(kAbcMaxEvents) ? kAbcMaxEvents - before : 0;
        const size_t shared = otherEvents < kAbcMaxVoiceEvents ? kAbcMaxVoiceEvents - otherEvents : 0;
        other.LimitEvents(before + std::min(own, shared));
        step(other);
        otherEvents += other.Written().events.size() - before;
    }

    AbcMusicReader music;
    bool inFileHeader = false;
    bool inHeader = true;
    bool unitGiven = false;
    AbcFraction unit;
    AbcMeter headerMeter;
    std::string headerTempo;
    bool headerTempoGiven = false;

    std::string title;
    std::string composer;
    std::vector<std::string> verses;
    static constexpr size_t kMaxVerseLines = 512;
    bool keySeen = false;
    AbcKey firstKey;
    double tempo = 0;

    std::string melodyVoice; // the first voice named; the melody
    bool voiceNamed = false;
    bool melodyUnnamed = false; // music came before any V:, so that is the melody
    bool musicSeen = false;
    bool inMelodyVoice = true;
    AbcClef melodyClef;
    std::string melodyName;         // its name= or nm=
    std::vector<OtherVoice> others; // by first mention, as many as can be listed
    int currentOther = -1;          // the voice the body is in, when not the melody; -1: none kept
    size_t otherEvents = 0;         // what all the others hold
    bool leftOutChord = false;      // in a chord of a voice not read
    AbcMusicReader headerMusic;     // the reader as the header leaves it, for every voice to start from
    AbcClef headerClef;             // of the header's K:

    std::vector<std::string> lyrics; // the verses of the current w: block, each with its +: lines
    size_t lyricBytes = 0;
    bool lyricsPending = false;
    std::vector<std::vector<std::string>> sungVerses; // verse 2 on: the text of each block's line
    int versesLeftOut = 0; // w: and W: lines beyond what a tune keeps
    bool lastWasLyrics = false;
    int skipped = 0;
};
