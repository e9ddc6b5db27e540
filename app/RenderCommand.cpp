#include "app/RenderCommand.h"

#include "audio/HarpSynth.h"
#include "audio/PlaySchedule.h"
#include "audio/SoundFont.h"
#include "audio/WaveRender.h"
#include "common/Cp932.h"
#include "common/ErrorCodes.h"
#include "common/FileServices.h"
#include "common/Messages.h"
#include "controls/PictureScaling.h"
#include "import/ScoreImport.h"
#include "print/CPrintPicture.h"
#include "print/PrintTarget.h"
#include "print/ScoreJob.h"
#include "print/SheetPageDrawing.h"
#include "print/SheetPlanning.h"
#include "render/CScorePicture.h"
#include "render/KeyChoice.h"
#include "render/SettingsScore.h"
#include "render/WrittenScore.h"
#include "score/FitToStrings.h"
#include "score/ScoreEvents.h"
#include "settings/CConfigControl.h"
#include "settings/ConfigRecord.h"
#include "settings/HarpPresets.h"
#include "settings/SheetSettings.h"
#include "settings/Tuning.h"
#include "song/ChordNaming.h"
#include "song/CSongData.h"
#include "song/CSongFileWriter.h"

#include <QBuffer>
#include <QImage>
#include <QPrinter>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <numeric>
#include <ostream>
#include <set>
#include <sstream>
#include <string_view>
#include <sys/stat.h>

const char* const kRenderUsage =
    "usage: dovrelplinvara-render [--settings FILE] [--tuning chromatic|C|G|D|F|Bb] [--strings N]\n"
    "                             [--lowest NOTE] [--harp NAME] [--measures FIRST-LAST|all] [--zoom Z]\n"
    "                             [--spacing MM|fit] [--paper A3|A4|B4|Letter] [--landscape|--portrait]\n"
    "                             [--lyrics on|off] [--chords on|off] [--measure-numbers on|off] [--counts on|off]\n"
    "                             [--colour on|off]\n"
    "                             [--repeats lines|written] [--transpose N | --key NAME]\n"
    "                             [--part N | --tune N | --track N] [--voices ROLE=N[,ROLE=N...]]\n"
    "                             [--write-mwd OUT.mwd [--title TEXT] [--fame N]]\n"
    "                             [--audio OUT.wav [--tempo PERCENT] [--count-in on|off] [--metronome on|off]\n"
    "                                              [--from MEASURE] [--to MEASURE] [--loop N]]\n"
    "                             [--info] [--notes] [--events] SONG [OUTPUT.png | OUTPUT.pdf | OUTPUT.svg]\n"
    "  Draws the score of SONG (a song file or a score) as the main window would: OUTPUT.png\n"
    "  is the picture (at --zoom, 0.1-4, as the screen shows it), OUTPUT.pdf the pages the print\n"
    "  command makes on --paper (A3, the default: one page; A4: the A3 sheet at its scale over two pages),\n"
    "  OUTPUT.svg the A3 sheet on one page. SONG may also be an ABC collection or a MIDI file.\n"
    "  --part N reads part N (from 1) of a MusicXML score, --tune N the ABC tune X:N, --track N\n"
    "  track N (from 1) of a MIDI file, instead of the first with notes.\n"
    "  --voices draws the file's voices N (numbered as --info lists them in voice.N) in the roles\n"
    "  melody, 2, 3, 4 and acc (the accompaniment); acc=chords makes the accompaniment from the\n"
    "  chord names. --write-mwd writes the song as read, before fitting, as a song file; --title\n"
    "  and --fame (0-255) set the title and fame level the library lists it under.\n"
    "  --info writes the song's facts as key=value lines (with --paper, --landscape, --portrait or\n"
    "  --spacing also the sheets and pages of the PDF), --notes one line per laid-out note:\n"
    "  time, pitch and length in time units (a sixth of a beat), separated by TABs. --events one\n"
    "  line per drawn onset of every voice: onset and length as fractions of a whole note from the\n"
    "  first full measure (a pickup's onsets negative), the pitches (comma-separated), the role\n"
    "  and the syllable, separated by TABs.\n"
    "  --tuning, --strings and --lowest (a note number or a name such as G3) describe the harp\n"
    "  instead of the settings file: a chromatic harp or one tuned to a major scale. --harp NAME\n"
    "  takes a harp players know (37, 25, 21, 18 or 15G) with its strings, tuning and spacing.\n"
    "  --spacing MM (5.0-20.0) draws the sheet at the scale where neighbouring strings stand MM\n"
    "  apart on paper: OUTPUT.pdf on as many sheets as the harp's strings take, each on one page of\n"
    "  --paper where the strings fit across it (turned when only that fits, unless --landscape or\n"
    "  --portrait says), OUTPUT.svg on one page of the sheet's size; fit, the default, fits the\n"
    "  sheet to A3. --measures all takes the whole song.\n"
    "  --lyrics, --chords and --measure-numbers show or hide the words beside the notes, the chord\n"
    "  names and the measure marks with their numbers on the sheet (on, off and on by default);\n"
    "  --info tells in lyrics_left_out how many words found no room on it. --counts on puts the\n"
    "  beat beside each note on a beat and + beside one on the half beat, on the sheet at scale.\n"
    "  --colour on draws each voice in its colour on paper too, as the screen does (off by default).\n"
    "  --repeats lines (the default) draws a score's repeats, endings, D.C. and D.S. once, with a\n"
    "  line for each jump, and counts the written measures; written draws the tune as played.\n"
    "  --transpose N (-48-48) moves the song N semitones from the key it is written in, instead of\n"
    "  fitting it to the strings; --key NAME (G, Bb, Em...) takes the transposition that gives that\n"
    "  key, at the octave that leaves the fewest notes without a string. --info tells in keys= each\n"
    "  key with the notes its harp lacks in it (C:0,D:0,Eb:3,...).\n"
    "  --audio writes the shown measures as the window plays them, on the harp of the distribution's\n"
    "  General MIDI soundfont, as 16-bit PCM at 44.1 kHz; --tempo (25-200 in steps of 5, 100 by\n"
    "  default) is the percentage of the song's tempo. --count-in plays one measure of clicks\n"
    "  before the tune, --metronome clicks its beats; --from and --to play that passage instead\n"
    "  (measures counted as --measures counts them), --loop N plays it N times.\n";

namespace {

constexpr int kMaxGivenTransposition = 48; // four octaves each way: beyond, every note folds

struct Options {
    std::string settings;
    bool haveMeasures = false, allMeasures = false;
    int first = 0, last = 0;
    double zoom = 1.0;
    std::string paper; // empty: A3
    bool landscape = false, portrait = false;
    std::optional<PaperSpacing> spacing; // none: not given
    const HarpPreset* harp = nullptr;
    WordChoices words; // what the sheet shows besides the circles
    bool colour = false;
    RepeatDrawing repeats = RepeatDrawing::kLines;
    bool info = false, notes = false, events = false;
    int part = kDefaultChoice;
    std::optional<VoiceChoice> voices;
    std::string writeMwd;
    std::optional<std::string> title;
    std::optional<int> fame;
    std::string song, output;
    std::string audio;
    std::optional<int> tempoPercent; // none: the song's own tempo
    std::optional<bool> countIn, metronome;
    std::optional<int> from, to; // the passage played, in measures as the range counts them
    std::optional<int> loop;     // passes of it
    KeyChoice transpose;             // none: the fit's
    std::optional<std::string> key;  // a key name instead of semitones
    // The harp, when given on the command line instead of by the settings file.
    std::optional<Tuning> tuning;
    std::optional<int> strings, lowestNote; // none: from the settings
};

// A whole decimal number from least to most; an empty text, trailing characters or a value
// outside the range are refused.
bool ParseInt(const std::string& text, long least, long most, int& out)
{
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != 0 || errno == ERANGE || number < least || number > most)
        return false;
    out = static_cast<int>(number);
    return true;
}

// A note number 0..127, or a name such as G3, C#4 or Bb2 (C4 = 60); none when it is neither.
std::optional<int> ParseNote(const std::string& text)
{
    if (int number = 0; ParseInt(text, 0, 127, number))
        return number;
    size_t at = 0;
    while (at < text.size() && (std::isalpha(static_cast<unsigned char>(text[at])) || text[at] == '#'))
        ++at;
    const int pitchClass = at > 0 && at <= 2 ? FindNoteName(text.substr(0, at)) : -1;
    int octave = 0;
    if (pitchClass < 0 || !ParseInt(text.substr(at), -1, 9, octave))
        return std::nullopt;
    const int note = (octave + 1) * 12 + pitchClass;
    if (note > 127)
        return std::nullopt;
    return note;
}

// "fit", or millimetres with at most one decimal within the sheet settings' range; none when
// it is neither.
std::optional<PaperSpacing> ParseSpacing(const std::string& text)
{
    if (text == "fit")
        return PaperSpacing::FitToPaper();
    const size_t point = text.find('.');
    const std::string whole = text.substr(0, point);
    const std::string tenth = point == std::string::npos ? "0" : text.substr(point + 1);
    int millimetres = 0, tenths = 0;
    if (whole.empty() || whole.find_first_not_of("0123456789") != std::string::npos || tenth.size() != 1 ||
        !std::isdigit(static_cast<unsigned char>(tenth[0])) || !ParseInt(whole, 0, 99, millimetres) ||
        !ParseInt(tenth, 0, 9, tenths))
        return std::nullopt;
    const int value = millimetres * 10 + tenths;
    if (value < SheetRange::kSpacingMinTenths || value > SheetRange::kSpacingMaxTenths)
        return std::nullopt;
    return PaperSpacing::TenthsMm(value);
}

// The page size a --paper name stands for; B4 is the Japanese size printers here hold.
std::optional<QPageSize::PageSizeId> PaperOf(const std::string& name)
{
    const std::optional<PaperChoice> paper = name.empty() ? PaperChoice::kA3 : PaperNamed(name);
    if (!paper)
        return std::nullopt;
    return PageSizeOf(*paper);
}

// Both names lead to one file (through links, or as the same text for a file not yet there).
bool SameFile(const std::string& a, const std::string& b)
{
    struct stat sa, sb;
    if (stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return a == b;
}

// ROLE=N[,ROLE=N...]: each role once, each voice in one role, N from 1, acc also "chords";
// "" when the text is that, else what is wrong with which entry.
std::string ParseVoices(const std::string& text, VoiceChoice& choice)
{
    choice = {};
    std::vector<bool> given(kVoiceRoleCount, false);
    std::set<int> taken;
    size_t at = 0;
    while (at <= text.size()) {
        const size_t end = std::min(text.find(',', at), text.size());
        const std::string item = text.substr(at, end - at);
        const std::string entry = "--voices: \"" + item + "\" ";
        const size_t equals = item.find('=');
        if (equals == std::string::npos)
            return entry + "is no ROLE=N: the roles are melody, 2, 3, 4 and acc";
        const std::string role = item.substr(0, equals), number = item.substr(equals + 1);
        std::optional<VoiceRole> named;
        for (int r = 0; r < kVoiceRoleCount; ++r)
            if (role == VoiceRoleName(static_cast<VoiceRole>(r)))
                named = static_cast<VoiceRole>(r);
        if (!named)
            return entry + "names no role: the roles are melody, 2, 3, 4 and acc";
        if (given[static_cast<size_t>(*named)])
            return entry + "gives the role " + role + " a second time";
        given[static_cast<size_t>(*named)] = true;
        if (*named == VoiceRole::kAccompaniment && number == "chords")
            choice.chordAccompaniment = true;
        else if (int n = 0; ParseInt(number, 1, 1 << 16, n)) {
            if (!taken.insert(n).second)
                return entry + "gives voice " + number + " a second role";
            choice[*named] = n;
        } else
            return entry + (*named == VoiceRole::kAccompaniment ? "needs a voice's number from 1, or chords"
                                                                 : "needs a voice's number from 1");
        at = end + 1;
    }
    return "";
}

// "" on success, else the reason for the usage error.
std::string Parse(const std::vector<std::string>& args, Options& o, bool& help)
{
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& v) {
            if (i + 1 >= args.size())
                return false;
            v = args[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            help = true;
        } else if (a == "--settings") {
            if (!value(o.settings))
                return "--settings needs a file";
        } else if (a == "--measures") {
            int consumed = 0;
            if (value(v) && v == "all") {
                o.haveMeasures = o.allMeasures = true;
                continue;
            }
            if (v.empty() || std::sscanf(v.c_str(), "%d-%d%n", &o.first, &o.last, &consumed) != 2 ||
                consumed != static_cast<int>(v.size()))
                return "--measures needs FIRST-LAST";
            o.haveMeasures = true;
        } else if (a == "--zoom") {
            // The settings' own range: a smaller factor leaves no picture to write.
            char* end = nullptr;
            if (!value(v) || (o.zoom = std::strtod(v.c_str(), &end), *end != 0) ||
                !(o.zoom >= ConfigRange::kZoomMin && o.zoom <= ConfigRange::kZoomMax))
                return "--zoom needs a factor from 0.1 to 4, not \"" + v + "\"";
        } else if (a == "--tuning") {
            if (!value(v))
                return "--tuning needs chromatic, C, G, D, F or Bb";
            for (const TuningName& t : kTuningNames)
                if (v == t.option)
                    o.tuning = t.tuning;
            if (!o.tuning)
                return "--tuning needs chromatic, C, G, D, F or Bb";
        } else if (a == "--strings") {
            if (int count = 0; !value(v) || !ParseInt(v, ConfigRange::kStringsMin, ConfigRange::kStringsMax, count))
                return "--strings needs a count from 5 to 37";
            else
                o.strings = count;
        } else if (a == "--lowest") {
            if (!value(v) || !(o.lowestNote = ParseNote(v)))
                return "--lowest needs a note number or a name such as G3";
        } else if (a == "--paper") {
            if (!value(o.paper) || o.paper.empty() || !PaperOf(o.paper))
                return "--paper needs A3, A4, B4 or Letter";
        } else if (a == "--landscape") {
            o.landscape = true;
        } else if (a == "--portrait") {
            o.portrait = true;
        } else if (a == "--spacing") {
            if (!value(v) || !(o.spacing = ParseSpacing(v)))
                return "--spacing needs fit or millimetres from 5.0 to 20.0 with at most one decimal";
        } else if (a == "--lyrics" || a == "--chords" || a == "--measure-numbers" || a == "--counts") {
            if (!value(v) || (v != "on" && v != "off"))
                return a + " needs on or off";
            bool& choice = a == "--lyrics"   ? o.words.words
                           : a == "--chords" ? o.words.chords
                           : a == "--counts" ? o.words.counts
                                             : o.words.measures;
            choice = v == "on";
        } else if (a == "--colour") {
            if (!value(v) || (v != "on" && v != "off"))
                return "--colour needs on or off";
            o.colour = v == "on";
        } else if (a == "--repeats") {
            if (!value(v) || (v != "lines" && v != "written"))
                return "--repeats needs lines or written";
            o.repeats = v == "lines" ? RepeatDrawing::kLines : RepeatDrawing::kWrittenOut;
        } else if (a == "--harp") {
            if (!value(v) || !(o.harp = FindHarpPreset(v)))
                return "--harp needs one of 37, 25, 21, 18 or 15G";
        } else if (a == "--part" || a == "--tune" || a == "--track") {
            // A tune is named by its X: number, which may be 0; parts and tracks count from 1.
            const int least = a == "--tune" ? 0 : 1;
            if (o.part != kDefaultChoice)
                return "give only one of --part, --tune and --track";
            if (!value(v) || !ParseInt(v, least, INT_MAX, o.part))
                return a + (least ? " needs a number from 1" : " needs the tune's X: number");
        } else if (a == "--voices") {
            if (!value(v))
                return "--voices needs ROLE=N[,ROLE=N...] with the roles melody, 2, 3, 4 and acc";
            VoiceChoice voices;
            if (std::string problem = ParseVoices(v, voices); !problem.empty())
                return problem;
            o.voices = voices;
        } else if (a == "--write-mwd") {
            if (!value(o.writeMwd))
                return "--write-mwd needs a file";
        } else if (a == "--title") {
            if (std::string title; !value(title))
                return "--title needs a text";
            else
                o.title = title;
        } else if (a == "--fame") {
            if (int fame = 0; !value(v) || !ParseInt(v, 0, 255, fame))
                return "--fame needs a number from 0 to 255";
            else
                o.fame = fame;
        } else if (a == "--audio") {
            if (!value(o.audio) || o.audio.empty())
                return "--audio needs a file";
        } else if (a == "--tempo") {
            if (int percent = 0; !value(v) || !ParseInt(v, kMinTempoPercent, kMaxTempoPercent, percent) ||
                                 percent % kTempoStepPercent != 0)
                return "--tempo needs a percentage from 25 to 200 in steps of 5";
            else
                o.tempoPercent = percent;
        } else if (a == "--count-in" || a == "--metronome") {
            if (!value(v) || (v != "on" && v != "off"))
                return a + " needs on or off";
            (a == "--count-in" ? o.countIn : o.metronome) = v == "on";
        } else if (a == "--from" || a == "--to") {
            if (int m = 0; !value(v) || !ParseInt(v, 1, 1 << 20, m))
                return a + " needs a measure number";
            else
                (a == "--from" ? o.from : o.to) = m;
        } else if (a == "--loop") {
            if (int n = 0; !value(v) || !ParseInt(v, 1, 99, n))
                return "--loop needs a number of passes from 1 to 99";
            else
                o.loop = n;
        } else if (a == "--transpose") {
            int semitones = 0;
            if (!value(v) || !ParseInt(v, -kMaxGivenTransposition, kMaxGivenTransposition, semitones))
                return "--transpose needs semitones from -48 to 48";
            o.transpose = semitones;
        } else if (a == "--key") {
            if (!value(v) || v.empty())
                return "--key needs a key name such as G, Bb or Em";
            o.key = v;
        } else if (a == "--info") {
            o.info = true;
        } else if (a == "--notes") {
            o.notes = true;
        } else if (a == "--events") {
            o.events = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return "unknown option " + a;
        } else {
            positional.push_back(a);
        }
    }
    if (help)
        return "";
    if (positional.empty() || positional.size() > 2)
        return positional.empty() ? "no SONG given" : "too many arguments";
    o.song = positional[0];
    if (positional.size() == 2)
        o.output = positional[1];
    // --info tells the pages the PDF would have.
    if (!o.paper.empty() && !HasSuffix(o.output, ".pdf") && !o.info)
        return "--paper applies to OUTPUT.pdf and --info only";
    if ((o.landscape || o.portrait) && !HasSuffix(o.output, ".pdf") && !o.info)
        return "--landscape and --portrait apply to OUTPUT.pdf and --info only";
    if (o.landscape && o.portrait)
        return "give --landscape or --portrait, not both";
    if (o.spacing && !HasSuffix(o.output, ".pdf") && !HasSuffix(o.output, ".svg") && !o.info)
        return "--spacing applies to OUTPUT.pdf, OUTPUT.svg and --info only";
    if (o.harp && (o.tuning || o.strings || o.lowestNote))
        return "--harp already sets the strings: give it without --tuning, --strings and --lowest";
    // Writing would destroy the song being read.
    if (!o.writeMwd.empty() && SameFile(o.writeMwd, o.song))
        return "--write-mwd must not name SONG itself";
    if (!o.output.empty() && SameFile(o.output, o.song))
        return "OUTPUT must not be SONG itself";
    if (o.transpose && o.key)
        return "give --transpose or --key, not both";
    if ((o.tempoPercent || o.countIn || o.metronome || o.from || o.to || o.loop) && o.audio.empty())
        return "--tempo, --count-in, --metronome, --from, --to and --loop apply to --audio only";
    if (!o.audio.empty() && (SameFile(o.audio, o.song) || (!o.output.empty() && SameFile(o.audio, o.output))))
        return "--audio must name a file of its own";
    return "";
}

// The harp of --tuning, --strings and --lowest, in the settings' string table; the tuning the
// settings hold serves when none is given.
void UseHarpOptions(const Options& o, ConfigRecord& settings)
{
    if (o.harp) {
        ApplyHarpPreset(*o.harp, settings);
        return;
    }
    if (!o.tuning && !o.strings && !o.lowestNote)
        return;
    Tuning tuning = o.tuning.value_or(RecogniseTuning(settings));
    if (tuning == Tuning::Other)
        tuning = Tuning::Chromatic;
    if (o.strings)
        settings.stringCount = *o.strings;
    if (o.lowestNote)
        settings.lowestNote = *o.lowestNote;
    // The settings dialog's rule (B in F major gives B flat); a lowest note beyond the dialog's
    // range, which only the command line gives, takes the next tuning note above.
    settings.lowestNote = LowestNoteInTuning(tuning, settings.lowestNote);
    while (!IsInTuning(tuning, settings.lowestNote))
        ++settings.lowestNote;
    FillStringNotes(settings, tuning);
}

// The text as a terminal shows it on one line: control characters (C0, DEL, C1, the line and
// paragraph separators) and bytes that are no UTF-8 become U+FFFD. Names and titles come from
// the files read, and a newline or an escape in one would otherwise make lines of its own.
std::string OneLineText(std::string_view text)
{
    static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    const auto byte = [&](size_t i) { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u; };
    const auto follows = [&](size_t i) { return (byte(i) & 0xC0) == 0x80; };
    std::string shown;
    shown.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const unsigned c = byte(i);
        size_t length = 0;
        unsigned point = c;
        if (c < 0x80)
            length = 1;
        else if (c >= 0xC2 && c <= 0xDF && follows(i + 1)) {
            length = 2;
            point = (c & 0x1F) << 6 | (byte(i + 1) & 0x3F);
        } else if (c >= 0xE0 && c <= 0xEF && follows(i + 1) && follows(i + 2) && !(c == 0xE0 && byte(i + 1) < 0xA0) &&
                   !(c == 0xED && byte(i + 1) >= 0xA0)) {
            length = 3;
            point = (c & 0x0F) << 12 | (byte(i + 1) & 0x3F) << 6 | (byte(i + 2) & 0x3F);
        } else if (c >= 0xF0 && c <= 0xF4 && follows(i + 1) && follows(i + 2) && follows(i + 3) &&
                   !(c == 0xF0 && byte(i + 1) < 0x90) && !(c == 0xF4 && byte(i + 1) >= 0x90)) {
            length = 4;
            point = 0x10000; // no control among them
        }
        const bool control = point < 0x20 || point == 0x7F || (point >= 0x80 && point < 0xA0) || point == 0x2028 ||
                             point == 0x2029;
        if (length == 0 || control)
            shown += kReplacement;
        else
            shown.append(text.substr(i, length));
        i += std::max<size_t>(length, 1);
    }
    return shown;
}

// The key=value lines of --info: every one is written here, and so is one line.
class FactLines {
public:
    explicit FactLines(std::ostream& out) : out(out) {}
    template <typename Value>
    void operator()(std::string_view key, const Value& value)
    {
        std::ostringstream text;
        text << value;
        out << OneLineText(key) << '=' << OneLineText(text.str()) << '\n';
    }

private:
    std::ostream& out;
};

// A usage error says what was wrong on one line; the whole usage is --help's.
int UsageError(std::ostream& err, const std::string& problem)
{
    err << "dovrelplinvara-render: " << OneLineText(problem) << " (--help tells the usage)\n";
    return 2;
}

// What is wrong with the --voices given, for the file as read; "" when nothing is. A voice
// number the file lacks has already been refused by the import.
std::string VoicesProblem(const VoiceChoice& given, const ImportOutcome& loaded, const Score& song)
{
    const auto entry = [](VoiceRole role, const std::string& value) {
        return "--voices: \"" + std::string(VoiceRoleName(role)) + "=" + value + "\" ";
    };
    for (int r = 0; r < kVoiceRoleCount; ++r) {
        const auto role = static_cast<VoiceRole>(r);
        const int n = given[role];
        if (n == 0)
            continue;
        if (loaded.format == ScoreFormat::SongFile)
            return entry(role, std::to_string(n)) + "names a voice, but a song file holds its melody alone: it takes only acc=chords";
        // Drawn in its own role and as the melody, a voice would be drawn twice.
        if (role != VoiceRole::kMelody && given[VoiceRole::kMelody] == 0 && n == loaded.melodyVoice)
            return entry(role, std::to_string(n)) + "gives the melody's voice a second role (melody=N chooses another melody)";
    }
    if (given.chordAccompaniment && std::none_of(song.voices.begin(), song.voices.end(), [](const ScoreVoice& v) {
            return v.role == VoiceRole::kAccompaniment;
        }))
        return entry(VoiceRole::kAccompaniment, "chords") + "finds no chord names to make an accompaniment from";
    return "";
}

// Time units in sixths of a beat, as --notes counts them: "4", or "4/3" between sixths.
std::string SixthsText(int64_t units)
{
    if (units % kUnitsPerSixth == 0)
        return std::to_string(units / kUnitsPerSixth);
    const int64_t divisor = std::gcd(units, int64_t(kUnitsPerSixth));
    return std::to_string(units / divisor) + "/" + std::to_string(kUnitsPerSixth / divisor);
}

// "3 h 25 min", "12 min 5 s" or "40 s".
std::string DurationText(int64_t seconds)
{
    const int64_t hours = seconds / 3600, minutes = seconds / 60 % 60, rest = seconds % 60;
    if (hours > 0)
        return std::to_string(hours) + " h " + std::to_string(minutes) + " min";
    if (minutes > 0)
        return std::to_string(minutes) + " min " + std::to_string(rest) + " s";
    return std::to_string(rest) + " s";
}

// The refusal of a WAVE file its 32-bit sizes cannot hold, with how long and large it would be.
std::string AudioTooLong(int64_t frames, int sampleRate)
{
    char size[32];
    std::snprintf(size, sizeof size, "%.1f GB", static_cast<double>(WaveDataBytes(frames)) / 1e9);
    const int64_t most = kMaxWaveDataBytes / WaveDataBytes(1);
    return "--audio would last " + DurationText(frames / sampleRate) + " (" + size +
           "), longer than the 4 GiB a WAVE file holds (" + DurationText(most / sampleRate) +
           "): play fewer measures or passes, or faster";
}

// The shown measures as the window plays them, rendered block by block and written whole.
bool WriteAudio(const std::string& path, const PlaySchedule& schedule, int passes, std::ostream& err)
{
    const std::vector<std::string> installed(std::begin(kDistributionSoundFonts), std::end(kDistributionSoundFonts));
    const std::unique_ptr<HarpSynth> synth = LoadHarpSynth(installed, kSampleRate);
    if (!synth) {
        err << "dovrelplinvara-render: no General MIDI soundfont found (install timgm6mb-soundfont)\n";
        return false;
    }
    if (!WriteWaveFile(path, schedule, *synth, passes)) {
        err << "dovrelplinvara-render: cannot write " << path << "\n";
        return false;
    }
    return true;
}

// The file's voices (voice.N=NAME|NOTES|LOWEST|HIGHEST), where the melody came from, what is
// drawn in which role, and each other voice's notes without a string over the whole song.
void WriteVoiceFacts(FactLines& fact, const ImportOutcome& loaded, const Score& song, const FittedScore& whole)
{
    if (loaded.voices.empty() && song.voices.size() <= 1)
        return; // a song file's melody alone
    for (const VoiceOffer& v : loaded.voices) {
        std::string name = v.name;
        std::replace(name.begin(), name.end(), '|', '/');
        fact("voice." + std::to_string(v.number), name + "|" + std::to_string(v.noteCount) + "|" +
                                                      std::to_string(v.lowest) + "|" + std::to_string(v.highest));
    }
    if (loaded.melodyVoice > 0 && static_cast<size_t>(loaded.melodyVoice) <= loaded.voices.size())
        fact("melody_from", loaded.voices[static_cast<size_t>(loaded.melodyVoice - 1)].origin);
    std::string drawn = "melody";
    if (loaded.melodyVoice > 0)
        drawn += ":" + std::to_string(loaded.melodyVoice);
    for (size_t v = 1; v < song.voices.size(); ++v)
        drawn += "," + std::string(VoiceRoleName(song.voices[v].role)) + ":" +
                 (song.voices[v].candidate > 0 ? std::to_string(song.voices[v].candidate) : std::string("chords"));
    fact("drawn_voices", drawn);
    fact("missing.melody", whole.notesWithoutString);
    for (size_t i = 0; i < whole.layout.voices.size() && i < whole.voiceNotesWithoutString.size(); ++i)
        fact(std::string("missing.") + VoiceRoleName(whole.layout.voices[i].role), whole.voiceNotesWithoutString[i]);
}

// The song's facts as --info tells them, before the sheets'.
void WriteSongFacts(FactLines& fact, const Score& song, const ImportOutcome& loaded, MeasureRange measures,
                    const FittedScore& score, const FittedScore& whole, bool writesSongFile)
{
    int lowest = 0, highest = 0;
    MelodyPitchRange(song, lowest, highest);
    std::string loadedKey = loaded.song->keyName;
    while (!loadedKey.empty() && loadedKey.back() == ' ')
        loadedKey.pop_back();
    fact("measures", song.measureCount);
    fact("beats", song.meter.beatsPerMeasure);
    // The key name is the one read; the fitting moved the key index along with the notes.
    fact("key", song.KeyLabel());
    fact("loaded_key", loadedKey);
    fact("transpose", score.transposition);
    fact("first", measures.first);
    fact("last", measures.last);
    fact("lowest", lowest);
    fact("highest", highest);
    fact("missing", score.notesWithoutString);
    fact("title", song.title);
    fact("fame", song.fame);
    fact("tempo", song.PlayedTempo());
    if (song.PlayedTempo() != loaded.song->Tempo()) // the tempo a song file of it keeps
        fact("stored_tempo", loaded.song->Tempo());
    if (const auto& meter = song.meter.written) // a meter counted in dotted beats
        fact("meter", std::to_string(meter->numerator) + "/" + std::to_string(meter->denominator));
    // The score holds every note at its own time; only a pitch struck twice at once is dropped.
    fact("moved", 0);
    fact("skipped", loaded.report.skipped);
    fact("dropped", loaded.read.dropped);
    if (writesSongFile) { // what the song file's grid could not hold
        const bool grid = loaded.format != ScoreFormat::SongFile;
        fact("mwd_moved", grid ? loaded.report.moved : 0);
        fact("mwd_dropped", grid ? std::max(loaded.read.placed - loaded.report.placed, loaded.report.dropped) : 0);
    }
    if (loaded.report.barsOffGrid > 0) // written bar lines the song's measures cannot follow
        fact("bars_off_grid", loaded.report.barsOffGrid);
    // The pickup's own length, which the song file's whole first measure does not keep.
    const int64_t beatTicks = std::max<int64_t>(song.meter.beatTicks, 1);
    if (const int64_t pickup = song.pickupTicks > 0 ? song.meter.MeasureTicks() - song.pickupTicks : 0; pickup > 0) {
        std::string beats = std::to_string(pickup / beatTicks);
        if (pickup % beatTicks)
            beats += "." + std::to_string(pickup * 10 / beatTicks % 10);
        fact("pickup_beats", beats);
    }
    const RepeatForm& form = song.repeats;
    fact("written_measures", form.marks.empty() ? song.measureCount : form.marks.size());
    fact("played_measures", form.marks.empty() ? song.measureCount : form.order.size());
    fact("repeats", score.DrawnOnce() ? "lines" : form.Jumps() ? "written" : "none");
    if (score.layout.fallback != RepeatFallback::kNone)
        fact("repeats_fallback", FallbackName(score.layout.fallback));
    std::string keys;
    for (const KeyOffer& offer : OfferEachKey(whole, song.keyIndex))
        keys += (keys.empty() ? "" : ",") + std::string(kKeyTable[static_cast<size_t>(offer.keyIndex)].name) + ":" +
                std::to_string(offer.missingNotes);
    fact("keys", keys);
    WriteVoiceFacts(fact, loaded, song, whole);
}

} // namespace

int RunRenderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    Options o;
    bool help = false;
    if (const std::string problem = Parse(args, o, help); !problem.empty())
        return UsageError(err, problem);
    if (help) {
        out << kRenderUsage;
        return 0;
    }

    if (!o.settings.empty() && !CanOpenFile(o.settings)) {
        err << "dovrelplinvara-render: cannot read the settings file " << o.settings << "\n";
        return 1;
    }
    // Without the user's file, the defaults.
    ConfigRecord settings = LoadConfigFile(
        o.settings.empty() ? JoinPath(JoinPath(UserConfigFolder(), "PV"), "setup.ini") : o.settings);
    UseHarpOptions(o, settings);

    // Said by its name here: the song file's own messages for an empty song tell nothing of it.
    if (!CanOpenFile(o.song)) {
        err << "dovrelplinvara-render: cannot open the song file " << o.song << "\n";
        return 1;
    }
    ImportRequest request;
    request.choice = o.part;
    request.voices = o.voices;
    ImportOutcome loaded = LoadScoreFile(o.song, request);
    if (loaded.failed)
        return 1;
    CSongData& grid = *loaded.song;
    Score& song = loaded.score;
    if (o.voices)
        if (const std::string problem = VoicesProblem(*o.voices, loaded, song); !problem.empty())
            return UsageError(err, problem);
    if (o.title) {
        grid.SetListTitle(Utf8ToCp932(*o.title));
        song.title = *o.title;
    }
    if (o.fame) {
        grid.SetFameLevel(static_cast<uint8_t>(*o.fame));
        song.fame = *o.fame;
    }
    // The song as read, before it is fitted to the strings; written once every usage is checked.
    const std::vector<uint8_t> asRead = o.writeMwd.empty() ? std::vector<uint8_t>() : CSongFileWriter(grid).Build();

    // The same score the main window makes from these settings; the range counts the measures
    // as drawn, written ones when repeats are drawn with lines.
    const ScoreFrame frame = ScoreFrameOf(settings);
    KeyChoice chosen = o.transpose;
    if (o.key) {
        const FittedScore written = LayOutFittedScore(frame, song, {1, std::max(1, song.measureCount)}, 0, o.repeats);
        chosen = TranspositionForKey(written, song.keyIndex, *o.key);
        if (!chosen) {
            const bool minor = song.keyIndex >= 0 && song.keyIndex < kKeyCount &&
                               kKeyTable[static_cast<size_t>(song.keyIndex)].mode == KeyMode::Minor;
            return UsageError(err, std::string("--key needs a ") +
                                       (minor ? "minor key such as Em or Bbm" : "major key such as G or Bb") +
                                       ", as the song is written in one, not \"" + *o.key + "\"");
        }
    }
    const int transposition = MoveScoreToKey(song, 0, chosen, frame, settings.lowestNote);
    const FittedScore opening = LayOutFittedScore(frame, song, FirstShownMeasures(song), transposition, o.repeats);
    const int count = opening.measureCount;
    MeasureRange measures = opening.measures;
    if (o.allMeasures)
        measures = MeasureRange{1, std::max(1, count)};
    else if (o.haveMeasures) {
        if (o.first < 1 || o.first > o.last || o.last > count)
            return UsageError(err, "the measures must lie within 1-" + std::to_string(count));
        measures = MeasureRange{o.first, o.last};
    }
    const FittedScore score = measures.first == opening.measures.first && measures.last == opening.measures.last
                                  ? opening
                                  : LayOutFittedScore(frame, song, measures, transposition, o.repeats, &opening);

    // The passage is laid out on its own, as the window plays a range it shows; a WAVE file
    // too long for its sizes is refused before anything is written.
    std::optional<PlaySchedule> played;
    const int passes = o.loop.value_or(1);
    if (!o.audio.empty()) {
        const MeasureRange passage{o.from.value_or(measures.first), o.to.value_or(measures.last)};
        if (passage.first > passage.last || passage.last > count)
            return UsageError(err, "--from and --to must lie within 1-" + std::to_string(count) + ", in order");
        const FittedScore layout = passage.first == measures.first && passage.last == measures.last
                                       ? score
                                       : LayOutFittedScore(frame, song, passage, transposition, o.repeats, &opening);
        PlayOptions play;
        play.tempoPercent = o.tempoPercent.value_or(100);
        play.countIn = o.countIn.value_or(false);
        play.metronome = o.metronome.value_or(false);
        play.beats = ClickBeats(song.meter.beatsPerMeasure);
        play.writtenOrder = o.from || o.to;
        played = MakePlaySchedule(layout, song.PlayedTempo(), play);
        if (const int64_t frames = WaveFrames(*played, passes); WaveDataBytes(frames) > kMaxWaveDataBytes)
            return UsageError(err, AudioTooLong(frames, played->sampleRate));
    }

    if (!o.writeMwd.empty() && loaded.report.truncated)
        ShowImportError(ImportError::kTooLong); // the song file holds 1024 beats
    if (!o.writeMwd.empty() && !WriteBytes(o.writeMwd, asRead)) {
        err << "dovrelplinvara-render: cannot write " << o.writeMwd << "\n";
        return 1;
    }
    FactLines fact(out);
    if (o.info) {
        const FittedScore whole =
            LayOutFittedScore(frame, song, {1, std::max(1, count)}, transposition, o.repeats, &opening);
        WriteSongFacts(fact, song, loaded, measures, score, whole, !o.writeMwd.empty());
    }
    // A preset's harp comes with its spacing unless one is given; otherwise the sheet fits.
    SheetSettings sheet;
    sheet.spacing = o.spacing ? *o.spacing
                    : o.harp  ? PaperSpacing::TenthsMm(o.harp->spacingTenthsMm)
                              : PaperSpacing::FitToPaper();
    sheet.shown = o.words;
    sheet.repeats = o.repeats;
    sheet.colourVoices = o.colour;
    if (o.harp)
        sheet.harpHeightMm = o.harp->sheetHeightMm;
    // The paper the PDF goes on; the other outputs tell of the A3 sheet.
    const auto paperPrinter = [&](const QString& fileName) {
        auto printer = A3PdfPrinter(fileName, 600);
        printer->setPageSize(QPageSize(*PaperOf(o.paper)));
        const QSizeF size = printer->pageLayout().pageSize().size(QPageSize::Millimeter);
        if (o.landscape || (!o.portrait && SuitsLandscape(score.frame.stringCount, sheet, size.width(), size.height())))
            printer->setPageOrientation(QPageLayout::Landscape);
        return printer;
    };
    if (o.info) {
        // The sheets the PDF would print, their texts measured on its printer as the print measures them.
        const std::unique_ptr<QPrinter> printer = paperPrinter(QString());
        const SheetPaper paper = PreparePaper(*printer, PaperSize::kA3, sheet.spacing);
        const SheetSet set =
            PlanSheets(score, sheet, paper, MeasureSheetText(printer.get(), paper.mode.yResolution),
                       SongFactsOf(song, score));
        fact("lyrics_left_out", set.WordsLeftOut() + song.versesLeftOut);
        // At scale the sheets are many; a paper asked for may take the A3 sheet on more than one page.
        if (!sheet.FitsPaper() || !o.paper.empty() || o.landscape || o.portrait) {
            fact("sheets", set.sheets.size());
            fact("pages", set.PageCount());
        }
    }
    if (o.notes) {
        for (const ScoreNote& n : score.layout.notes)
            out << SixthsText(n.time) << '\t' << n.pitch << '\t' << SixthsText(n.length) << "\tmelody\n";
        for (const LaidVoice& voice : score.layout.voices)
            for (const ScoreNote& n : voice.notes)
                out << SixthsText(n.time) << '\t' << n.pitch << '\t' << SixthsText(n.length) << '\t'
                    << VoiceRoleName(voice.role) << '\n';
    }

    if (o.events)
        WriteEventLines(out, song, measures.first, measures.last, OneLineText);

    int status = 0;
    if (played && !WriteAudio(o.audio, *played, passes, err))
        status = 1;
    if (!o.output.empty()) {
        bool written = false;
        const SongFacts facts = SongFactsOf(song, score);
        if (HasSuffix(o.output, ".pdf")) {
            CPrintPicture job;
            job.expectedPaperSize = PaperSize::kA3;
            DeviceMode mode;
            if (job.UsePrinter(paperPrinter(QString::fromStdString(o.output)), mode, sheet)) {
                written = PrintScorePicture(job, facts, score, sheet) && CanOpenFile(o.output);
            }
            job.ReleasePrinter();
        } else if (HasSuffix(o.output, ".svg")) {
            written = WriteScoreSvg(QString::fromStdString(o.output), facts, score, sheet);
        } else {
            const QImage surface = CScorePicture::Picture(score);
            const QImage picture = o.zoom == 1.0 ? surface : ScaleForShow(surface, o.zoom);
            QByteArray png;
            QBuffer buffer(&png);
            written = buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "PNG") &&
                      WriteWholeFile(o.output, png.constData(), static_cast<size_t>(png.size()));
        }
        if (!written) {
            err << "dovrelplinvara-render: cannot write " << o.output << "\n";
            status = 1;
        }
    }
    return status;
}
