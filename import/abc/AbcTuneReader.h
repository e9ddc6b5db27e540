#pragma once
// Reads the lines of one ABC tune: the file header's fields, the tune header up to K:, then
// the body. Field lines and inline fields set the music reader up; music lines of the first
// voice go to it token by token; w: lines put lyrics on the notes written before them.

#include "import/abc/AbcMusicReader.h"

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

    std::vector<std::string> lyrics; // the verses of the current w: block, each with its +: lines
    size_t lyricBytes = 0;
    bool lyricsPending = false;
    std::vector<std::vector<std::string>> sungVerses; // verse 2 on: the text of each block's line
    int versesLeftOut = 0; // w: and W: lines beyond what a tune keeps
    bool lastWasLyrics = false;
    int skipped = 0;
};
