#pragma once
// The player's sheets of one tune, kept beside it in "NAME.EXT.ini" (a text file of [sheet]
// groups) so that the tune's own file never changes: the key, the measures, the harp and how the
// paper sheet is made and the voices drawn, each set under a name the player gives ("初心者用", "25弦").

#include "import/ScoreImport.h"
#include "render/FittedScore.h"
#include "render/KeyChoice.h"
#include "settings/SheetSettings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A file of a few sheets; anything larger is not ours and is never read whole.
constexpr size_t kMaxTuneSheetsFileBytes = 64 * 1024;
constexpr size_t kMaxTuneSheets = 64;
constexpr size_t kMaxTuneSheetNameBytes = 64;

// How the tune was being practised when its sheet was saved; what a file does not name stays
// as the player has it (files from before these keys name none).
struct SheetPractice {
    std::optional<int> tempoPercent;
    std::optional<MeasureRange> passage; // measures as the boxes count them
    std::optional<bool> loop, countIn, countInEveryPass, metronome, melodyMuted;
    bool operator==(const SheetPractice& o) const
    {
        const auto same = [](const std::optional<MeasureRange>& a, const std::optional<MeasureRange>& b) {
            return a.has_value() == b.has_value() && (!a || (a->first == b->first && a->last == b->last));
        };
        return tempoPercent == o.tempoPercent && same(passage, o.passage) && loop == o.loop && countIn == o.countIn &&
               countInEveryPass == o.countInEveryPass && metronome == o.metronome && melodyMuted == o.melodyMuted;
    }
};

struct TuneSheet {
    std::string name; // UTF-8, without control characters
    KeyChoice key;    // none: the fit
    MeasureRange measures{1, kMaxShownMeasures};
    std::vector<int32_t> strings; // the harp's string notes, lowest first; empty: the window's
    SheetSettings sheet;
    std::optional<VoiceChoice> voices; // none: whatever the tune draws when the sheet is chosen
    SheetPractice practice;
    // As read: the lines of the file whose value did not read ("12: key=+99"), so that the
    // window tells them; never written.
    std::vector<std::pair<int, std::string>> unread;

    bool operator==(const TuneSheet&) const;
};

// What the library lists a score under: a song file keeps these in its own summary.
struct LibraryListing {
    std::string title; // UTF-8
    int fame = 0;      // 0..255, as a song file's
    int choice = -1;   // the part, tune or track chosen when it was added; -1: the first
    bool operator==(const LibraryListing&) const = default;
};

struct TuneSheets {
    std::vector<TuneSheet> sheets;
    std::string defaultName;
    std::optional<LibraryListing> listing; // only for a score in the library
    std::vector<std::pair<int, std::string>> unread; // the listing's lines that did not read
    // The file as it was read, so that a save keeps what the program did not take from it:
    // comments, unknown keys and groups, sheets past kMaxTuneSheets. Empty for a new file.
    std::string fileText;

    const TuneSheet* Find(std::string_view name) const;
    // The default one, else the first; null when there is none.
    const TuneSheet* Default() const;
    // Replaces the sheet of that name or adds it after the others; the first becomes the default.
    void Put(TuneSheet sheet);
};

// "song.abc" keeps its sheets in "song.abc.ini".
std::string TuneSheetsPath(const std::string& tunePath);

// A name as the file keeps it: control characters left out, blanks trimmed, cut at a character
// to kMaxTuneSheetNameBytes.
std::string TuneSheetName(std::string_view typed);

enum class TuneSheetsRead {
    kNone,    // no file: the tune has no sheets of its own
    kRead,    // at least one sheet
    kDamaged, // something is there that is no file of sheets (empty, binary, too large, a FIFO, a link loop)
};

// Never blocks and never reports: a FIFO or device is not opened for reading, a large file is
// read no further than the bound.
TuneSheetsRead ReadTuneSheets(const std::string& path, TuneSheets& into);
// The voices line's value, "melody:1,2:3,acc:chords", and back; none for a value that is not
// one, as a role named twice, a voice in two roles or an unknown role.
std::string SheetVoicesText(const VoiceChoice& voices);
std::optional<VoiceChoice> ParseSheetVoices(std::string_view text);
// What the sheet asks of a tune of `tuneVoices` voices that it lacks, as the window says it when
// the sheet is applied: the first role whose voice is not the tune's; none when all are there.
std::optional<std::string> MissingSheetVoiceText(const TuneSheet& sheet, size_t tuneVoices);
// The file's text, and back; Parse gives false when neither a sheet nor a listing is in it.
std::string TuneSheetsText(const TuneSheets& sheets);
bool ParseTuneSheets(std::string_view text, TuneSheets& into);
// What the window says of a sheet's lines that did not read, the file named by its name; empty
// when every line read.
std::string UnreadSheetLinesText(const std::string& fileName, const std::vector<std::pair<int, std::string>>& unread);
// The sheets put into the file as it was read (`fileText`): the lines of a changed sheet, the
// default or the listing rewritten, new sheets added at the end, everything else kept. Written
// whole or left as it was; false after a message when it could not be written, or when the next
// reading would not get back every sheet (one past kMaxTuneSheets, a file past
// kMaxTuneSheetsFileBytes).
bool WriteTuneSheets(const std::string& path, const TuneSheets& sheets);
