#pragma once
// The one place that knows every score format: tells a file's format from its name and
// content, lets the user choose a part where a file holds several, runs the format's reader
// and the song builder, and shows the "IMPT" messages. Readers themselves show nothing.

#include "import/Melody.h"
#include "import/MelodyScore.h"
#include "import/SongBuilder.h"
#include "score/ChordAccompaniment.h"
#include "score/Score.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CSongData;

enum class ScoreFormat {
    SongFile, // the program's own .mwd, read by the song reader
    MusicXml, // .musicxml, .xml and compressed .mxl
    Abc,      // .abc tune collections
    Midi,     // .mid and .midi, formats 0 and 1
};

struct ScoreFormatInfo {
    ScoreFormat format;
    const char* description; // UTF-8, for the load dialog's filter
    const char* patterns;    // ";"-separated
    const char* choiceTitle; // title of the dialog that chooses among the file's melodies
    const char* noSuchChoice; // the message when the part, tune or track asked for is not there
};

// Every format, in the order the load dialog offers them.
const std::vector<ScoreFormatInfo>& ScoreFormats();

// The load dialog's filter in ChooseFileToOpen's form: all score files first, then each
// format alone, then all files.
std::string ScoreFileFilter();

// Files larger than this are not read as scores.
constexpr size_t kMaxScoreFileBytes = 64u << 20;

// A name ending in ".mwd" (any case) is a song file; any other file is told by its content,
// and content that is no score format is read as a song file, as the song reader reads any file,
// unless the name is a score's (LoadScoreFile then refuses it).
bool IsSongFileName(const std::string& path);
ScoreFormat DetectScoreFormat(const std::vector<uint8_t>& content);

// What a chooser returns when the user cancels; any other value is a choice's number (an ABC
// tune may be numbered 0).
constexpr int kChoiceCancelled = -2;

// The line a chooser shows for one choice: the part's name, the tune's X: number and title,
// the track's name and note count.
std::string ChoiceLabel(ScoreFormat format, const MelodyChoice& choice);

// Asks the user for one of the file's melodies: returns the chosen number or kChoiceCancelled.
using MelodyChooser = std::function<int(const std::string& titleUtf8, const std::vector<MelodyChoice>& choices)>;

// A voice of the file as the load dialog and --info list it.
struct VoiceOffer {
    int number = 0;           // from 1, in the file's order, as --voices names it
    std::string name, origin; // UTF-8
    int noteCount = 0;
    int lowest = 0, highest = 0; // note numbers
};

// What a player draws: the voice of each role (by number; 0 for none, and for the melody the
// one the melody rule takes), and an accompaniment made from the chord names in a pattern;
// each role's voice moved by octaves of its own.
struct VoiceChoice {
    std::array<int, kVoiceRoleCount> voice{}; // indexed by VoiceRole
    bool chordAccompaniment = false;
    ChordPattern chordPattern = ChordPattern::kRootFifth;
    std::array<int, kVoiceRoleCount> octave{}; // semitones, a multiple of 12 within ±kMaxVoiceOctaveShift
    int& operator[](VoiceRole role) { return voice[static_cast<size_t>(role)]; }
    int operator[](VoiceRole role) const { return voice[static_cast<size_t>(role)]; }
    bool operator==(const VoiceChoice&) const = default;
};

// The most a voice is moved by octaves of its own, in semitones.
constexpr int kMaxVoiceOctaveShift = 36;

// "-12", "+24", "0": a voice's own move; none unless a multiple of 12 within the bound.
std::optional<int> VoiceOctaveShift(std::string_view text);

// Moves each role's voice of the score by the choice's octaves, its notes kept within 0..127.
void MoveVoicesByOctaves(Score& score, const VoiceChoice& choice);

// The line the load dialog shows for a voice: its name, note count and range.
std::string VoiceLabel(const VoiceOffer& voice);

// Asks the user which voices to draw, the melody rule's voice `melody` (a number) offered as
// the melody; `chords` tells that the tune names chords. None when the user cancels.
using VoiceChooser = std::function<std::optional<VoiceChoice>(
    const std::string& titleUtf8, const std::vector<VoiceOffer>& voices, int melody, bool chords)>;

struct ImportRequest {
    int choice = kDefaultChoice; // a part, tune or track asked for by number
    MelodyChooser chooser;       // asked when the file has several and no choice was given
    // The voices drawn; none: the melody alone, unless the voice chooser is asked.
    std::optional<VoiceChoice> voices;
    // Asked when the file has several voices and no choice was given. For a score of parts or
    // tracks it takes the part chooser's place: choosing the melody's voice chooses its part.
    VoiceChooser voiceChooser;
    // Writes the tune as a song file's grid beside the score (`song` and `report`), as writing
    // a song file and the renderer's facts need; a caller that only draws and plays does without.
    bool grid = true;
};

struct ImportOutcome {
    // The tune as read: what every later stage reads. Its song file form beside it, for writing.
    Score score;
    std::unique_ptr<CSongData> song; // null when the user cancelled, or a score's grid was not asked for
    bool cancelled = false;          // the user cancelled a choice: nothing was read
    ScoreFormat format = ScoreFormat::SongFile;
    bool failed = false; // a message was shown and the song is the empty one
    ScoreBuildReport read;  // what the score could not hold
    SongBuildReport report; // what the song file's grid could not hold
    std::vector<VoiceOffer> voices; // the file's voices; empty for a song file
    int melodyVoice = 0;            // the number of the voice the melody was taken from; 0 none
    VoiceChoice drawn;              // the voices the song draws
    std::vector<uint8_t> bytes;     // LoadScoreFile's: the score's file as it was read
};

// Reads any score file as the main window and the renderer load it. After a failure the song
// is the empty song of 4 measures of 4 beats that a damaged song file also gives.
ImportOutcome LoadScoreFile(const std::string& path, const ImportRequest& request = {});

// The import of bytes already in memory; `name` is the file name the title falls back on.
ImportOutcome ImportScoreBytes(ScoreFormat format, const std::vector<uint8_t>& bytes, const std::string& name,
                               const ImportRequest& request = {});
