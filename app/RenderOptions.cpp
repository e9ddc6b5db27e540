#include "app/RenderOptions.h"

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
#include "document/SettingsScore.h"
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

const char* const kRenderUsage = QT_TRANSLATE_NOOP(
    "RenderOptions",
    "usage: dovrelplinvara-render [--settings FILE] [--tuning chromatic|C|G|D|F|Bb] [--strings N]\n"
    "                             [--lowest NOTE] [--harp NAME] [--measures FIRST-LAST|all] [--zoom Z]\n"
    "                             [--spacing MM|fit] [--paper A3|A4|B4|Letter] [--landscape|--portrait]\n"
    "                             [--lyrics on|off] [--chords on|off] [--measure-numbers on|off] [--counts on|off]\n"
    "                             [--colour on|off] [--player ROLE|all [--others faint|hide]]\n"
    "                             [--repeats lines|written] [--transpose N | --key NAME]\n"
    "                             [--part N | --tune N | --track N] [--voices ROLE=N[@SHIFT][,...]]\n"
    "                             [--write-mwd OUT.mwd [--title TEXT] [--fame N]]\n"
    "                             [--audio OUT.wav [--tempo PERCENT] [--count-in on|off] [--metronome on|off]\n"
    "                                              [--from MEASURE] [--to MEASURE] [--loop N]]\n"
    "                             [--language ja|en|de] [--info] [--notes] [--events]\n"
    "                             SONG [OUTPUT.png | OUTPUT.pdf | OUTPUT.svg]\n"
    "  Draws the score of SONG (a song file or a score) as the main window would: OUTPUT.png\n"
    "  is the picture (at --zoom, 0.1-4, as the screen shows it), OUTPUT.pdf the pages the print\n"
    "  command makes on --paper (A3, the default: one page; A4: the A3 sheet at its scale over two pages),\n"
    "  OUTPUT.svg the A3 sheet on one page. SONG may also be an ABC collection or a MIDI file.\n"
    "  --part N reads part N (from 1) of a MusicXML score, --tune N the ABC tune X:N, --track N\n"
    "  track N (from 1) of a MIDI file, instead of the first with notes.\n"
    "  --voices draws the file's voices N (numbered as --info lists them in voice.N) in the roles\n"
    "  melody, 2, 3, 4 and acc (the accompaniment); acc=chords makes the accompaniment from the\n"
    "  chord names, acc=chords:PATTERN in a pattern: root, root-fifth (the default), bass-chord,\n"
    "  broken or block. @SHIFT moves that voice alone by octaves (-36, -24, -12, 12, 24 or 36\n"
    "  semitones): 4=3@-12. --write-mwd writes the song as read, before fitting, as a song file; --title\n"
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
    "  --player ROLE (melody, 2, 3, 4 or acc, a role the sheet draws) draws the sheet for the\n"
    "  player of that voice: the same layout, that voice as on the group's sheet and the others\n"
    "  thin and light grey (--others faint, the default) or left out (--others hide); the legend\n"
    "  names the part. --player all gives every drawn voice's player a sheet, one after the\n"
    "  other, in OUTPUT.pdf.\n"
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
    "  (measures counted as --measures counts them), --loop N plays it N times.\n"
    "  --language ja, en or de gives the messages, this usage and the sheet's legend in Japanese\n"
    "  (the default), English or German.\n");

namespace {

constexpr int kMaxGivenTransposition = 48; // four octaves each way: beyond, every note folds


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

} // namespace

// The page size a --paper name stands for; B4 is the Japanese size printers here hold.
std::optional<QPageSize::PageSizeId> PaperOf(const std::string& name)
{
    const std::optional<PaperChoice> paper = name.empty() ? PaperChoice::kA3 : PaperNamed(name);
    if (!paper)
        return std::nullopt;
    return PageSizeOf(*paper);
}

namespace {

// Both names lead to one file (through links, or as the same text for a file not yet there).
bool SameFile(const std::string& a, const std::string& b)
{
    struct stat sa, sb;
    if (stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return a == b;
}

// ROLE=N[@SHIFT][,...]: each role once, each voice in one role, N from 1, acc also
// "chords[:PATTERN]", SHIFT the voice's own octaves in semitones;
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
        const std::string role = item.substr(0, equals);
        const size_t atSign = item.find('@', equals);
        const std::string number =
            item.substr(equals + 1, atSign == std::string::npos ? std::string::npos : atSign - equals - 1);
        std::optional<VoiceRole> named;
        for (int r = 0; r < kVoiceRoleCount; ++r)
            if (role == VoiceRoleName(static_cast<VoiceRole>(r)))
                named = static_cast<VoiceRole>(r);
        if (!named)
            return entry + "names no role: the roles are melody, 2, 3, 4 and acc";
        if (given[static_cast<size_t>(*named)])
            return entry + "gives the role " + role + " a second time";
        given[static_cast<size_t>(*named)] = true;
        if (atSign != std::string::npos) {
            const std::optional<int> shift = VoiceOctaveShift(std::string_view(item).substr(atSign + 1));
            if (!shift)
                return entry + "moves a voice by no octaves: @ takes a multiple of 12 from -36 to 36";
            choice.octave[static_cast<size_t>(*named)] = *shift;
        }
        const std::string chords = "chords";
        if (*named == VoiceRole::kAccompaniment && number.rfind(chords, 0) == 0 &&
            (number.size() == chords.size() || number[chords.size()] == ':')) {
            choice.chordAccompaniment = true;
            if (number.size() > chords.size()) {
                const std::optional<ChordPattern> pattern = ChordPatternNamed(number.substr(chords.size() + 1));
                if (!pattern)
                    return entry + "names no pattern: the patterns are root, root-fifth, bass-chord, broken and block";
                choice.chordPattern = *pattern;
            }
        } else if (int n = 0; ParseInt(number, 1, 1 << 16, n)) {
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

} // namespace

// "" on success, else the reason for the usage error.
std::string ParseRenderOptions(const std::vector<std::string>& args, RenderOptions& o, bool& help)
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
                return QT_TRANSLATE_NOOP("RenderOptions", "--settings needs a file");
        } else if (a == "--measures") {
            int consumed = 0;
            if (value(v) && v == "all") {
                o.haveMeasures = o.allMeasures = true;
                continue;
            }
            if (v.empty() || std::sscanf(v.c_str(), "%d-%d%n", &o.first, &o.last, &consumed) != 2 ||
                consumed != static_cast<int>(v.size()))
                return QT_TRANSLATE_NOOP("RenderOptions", "--measures needs FIRST-LAST");
            o.haveMeasures = true;
        } else if (a == "--zoom") {
            // The settings' own range: a smaller factor leaves no picture to write.
            char* end = nullptr;
            if (!value(v) || (o.zoom = std::strtod(v.c_str(), &end), *end != 0) ||
                !(o.zoom >= ConfigRange::kZoomMin && o.zoom <= ConfigRange::kZoomMax))
                return "--zoom needs a factor from 0.1 to 4, not \"" + v + "\"";
        } else if (a == "--tuning") {
            if (!value(v))
                return QT_TRANSLATE_NOOP("RenderOptions", "--tuning needs chromatic, C, G, D, F or Bb");
            for (const TuningName& t : kTuningNames)
                if (v == t.option)
                    o.tuning = t.tuning;
            if (!o.tuning)
                return QT_TRANSLATE_NOOP("RenderOptions", "--tuning needs chromatic, C, G, D, F or Bb");
        } else if (a == "--strings") {
            if (int count = 0; !value(v) || !ParseInt(v, ConfigRange::kStringsMin, ConfigRange::kStringsMax, count))
                return QT_TRANSLATE_NOOP("RenderOptions", "--strings needs a count from 5 to 37");
            else
                o.strings = count;
        } else if (a == "--lowest") {
            if (!value(v) || !(o.lowestNote = ParseNote(v)))
                return QT_TRANSLATE_NOOP("RenderOptions", "--lowest needs a note number or a name such as G3");
        } else if (a == "--paper") {
            if (!value(o.paper) || o.paper.empty() || !PaperOf(o.paper))
                return QT_TRANSLATE_NOOP("RenderOptions", "--paper needs A3, A4, B4 or Letter");
        } else if (a == "--landscape") {
            o.landscape = true;
        } else if (a == "--portrait") {
            o.portrait = true;
        } else if (a == "--spacing") {
            if (!value(v) || !(o.spacing = ParseSpacing(v)))
                return QT_TRANSLATE_NOOP("RenderOptions", "--spacing needs fit or millimetres from 5.0 to 20.0 with at most one decimal");
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
                return QT_TRANSLATE_NOOP("RenderOptions", "--colour needs on or off");
            o.colour = v == "on";
        } else if (a == "--player") {
            if (!value(v))
                return QT_TRANSLATE_NOOP("RenderOptions", "--player needs melody, 2, 3, 4, acc or all");
            o.players.who = v == "all" ? SheetPlayers::Who::kEveryone : SheetPlayers::Who::kOne;
            bool named = v == "all";
            for (int r = 0; r < kVoiceRoleCount; ++r)
                if (v == VoiceRoleName(static_cast<VoiceRole>(r))) {
                    o.players.role = static_cast<VoiceRole>(r);
                    named = true;
                }
            if (!named)
                return "--player needs melody, 2, 3, 4, acc or all, not \"" + v + "\"";
        } else if (a == "--others") {
            if (!value(v) || (v != "faint" && v != "hide"))
                return QT_TRANSLATE_NOOP("RenderOptions", "--others needs faint or hide");
            o.players.others = v == "faint" ? OthersDrawn::kFaint : OthersDrawn::kHidden;
            o.othersGiven = true;
        } else if (a == "--repeats") {
            if (!value(v) || (v != "lines" && v != "written"))
                return QT_TRANSLATE_NOOP("RenderOptions", "--repeats needs lines or written");
            o.repeats = v == "lines" ? RepeatDrawing::kLines : RepeatDrawing::kWrittenOut;
        } else if (a == "--harp") {
            if (!value(v) || !(o.harp = FindHarpPreset(v)))
                return QT_TRANSLATE_NOOP("RenderOptions", "--harp needs one of 37, 25, 21, 18 or 15G");
        } else if (a == "--part" || a == "--tune" || a == "--track") {
            // A tune is named by its X: number, which may be 0; parts and tracks count from 1.
            const int least = a == "--tune" ? 0 : 1;
            if (o.part != kDefaultChoice)
                return QT_TRANSLATE_NOOP("RenderOptions", "give only one of --part, --tune and --track");
            if (!value(v) || !ParseInt(v, least, INT_MAX, o.part))
                return a + (least ? " needs a number from 1" : " needs the tune's X: number");
        } else if (a == "--voices") {
            if (!value(v))
                return QT_TRANSLATE_NOOP("RenderOptions", "--voices needs ROLE=N[,ROLE=N...] with the roles melody, 2, 3, 4 and acc");
            VoiceChoice voices;
            if (std::string problem = ParseVoices(v, voices); !problem.empty())
                return problem;
            o.voices = voices;
        } else if (a == "--write-mwd") {
            if (!value(o.writeMwd))
                return QT_TRANSLATE_NOOP("RenderOptions", "--write-mwd needs a file");
        } else if (a == "--title") {
            if (std::string title; !value(title))
                return QT_TRANSLATE_NOOP("RenderOptions", "--title needs a text");
            else
                o.title = title;
        } else if (a == "--fame") {
            if (int fame = 0; !value(v) || !ParseInt(v, 0, 255, fame))
                return QT_TRANSLATE_NOOP("RenderOptions", "--fame needs a number from 0 to 255");
            else
                o.fame = fame;
        } else if (a == "--audio") {
            if (!value(o.audio) || o.audio.empty())
                return QT_TRANSLATE_NOOP("RenderOptions", "--audio needs a file");
        } else if (a == "--tempo") {
            if (int percent = 0; !value(v) || !ParseInt(v, kMinTempoPercent, kMaxTempoPercent, percent) ||
                                 percent % kTempoStepPercent != 0)
                return QT_TRANSLATE_NOOP("RenderOptions", "--tempo needs a percentage from 25 to 200 in steps of 5");
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
                return QT_TRANSLATE_NOOP("RenderOptions", "--loop needs a number of passes from 1 to 99");
            else
                o.loop = n;
        } else if (a == "--transpose") {
            int semitones = 0;
            if (!value(v) || !ParseInt(v, -kMaxGivenTransposition, kMaxGivenTransposition, semitones))
                return QT_TRANSLATE_NOOP("RenderOptions", "--transpose needs semitones from -48 to 48");
            o.transpose = semitones;
        } else if (a == "--key") {
            if (!value(v) || v.empty())
                return QT_TRANSLATE_NOOP("RenderOptions", "--key needs a key name such as G, Bb or Em");
            o.key = v;
        } else if (a == "--language") {
            if (!value(v) || !(o.language = LanguageNamed(v)))
                return QT_TRANSLATE_NOOP("RenderOptions", "--language needs ja, en or de");
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
        return QT_TRANSLATE_NOOP("RenderOptions", "");
    if (positional.empty() || positional.size() > 2)
        return positional.empty() ? "no SONG given" : "too many arguments";
    o.song = positional[0];
    if (positional.size() == 2)
        o.output = positional[1];
    // --info tells the pages the PDF would have.
    if (!o.paper.empty() && !HasSuffix(o.output, ".pdf") && !o.info)
        return QT_TRANSLATE_NOOP("RenderOptions", "--paper applies to OUTPUT.pdf and --info only");
    if ((o.landscape || o.portrait) && !HasSuffix(o.output, ".pdf") && !o.info)
        return QT_TRANSLATE_NOOP("RenderOptions", "--landscape and --portrait apply to OUTPUT.pdf and --info only");
    if (o.landscape && o.portrait)
        return QT_TRANSLATE_NOOP("RenderOptions", "give --landscape or --portrait, not both");
    if (o.spacing && !HasSuffix(o.output, ".pdf") && !HasSuffix(o.output, ".svg") && !o.info)
        return QT_TRANSLATE_NOOP("RenderOptions", "--spacing applies to OUTPUT.pdf, OUTPUT.svg and --info only");
    const bool forPlayers = o.players.who != SheetPlayers::Who::kGroup;
    if (o.othersGiven && !forPlayers)
        return QT_TRANSLATE_NOOP("RenderOptions", "--others applies to --player only");
    if (forPlayers && !HasSuffix(o.output, ".pdf") && !HasSuffix(o.output, ".svg") && !o.info)
        return QT_TRANSLATE_NOOP("RenderOptions", "--player applies to OUTPUT.pdf, OUTPUT.svg and --info only");
    if (o.players.who == SheetPlayers::Who::kEveryone && HasSuffix(o.output, ".svg"))
        return QT_TRANSLATE_NOOP("RenderOptions", "--player all applies to OUTPUT.pdf: an SVG holds one sheet");
    if (o.harp && (o.tuning || o.strings || o.lowestNote))
        return QT_TRANSLATE_NOOP("RenderOptions", "--harp already sets the strings: give it without --tuning, --strings and --lowest");
    // Writing would destroy the song being read.
    if (!o.writeMwd.empty() && SameFile(o.writeMwd, o.song))
        return QT_TRANSLATE_NOOP("RenderOptions", "--write-mwd must not name SONG itself");
    if (!o.output.empty() && SameFile(o.output, o.song))
        return QT_TRANSLATE_NOOP("RenderOptions", "OUTPUT must not be SONG itself");
    if (o.transpose && o.key)
        return QT_TRANSLATE_NOOP("RenderOptions", "give --transpose or --key, not both");
    if ((o.tempoPercent || o.countIn || o.metronome || o.from || o.to || o.loop) && o.audio.empty())
        return QT_TRANSLATE_NOOP("RenderOptions", "--tempo, --count-in, --metronome, --from, --to and --loop apply to --audio only");
    if (!o.audio.empty() && (SameFile(o.audio, o.song) || (!o.output.empty() && SameFile(o.audio, o.output))))
        return QT_TRANSLATE_NOOP("RenderOptions", "--audio must name a file of its own");
    return QT_TRANSLATE_NOOP("RenderOptions", "");
}

// The harp of --tuning, --strings and --lowest, in the settings' string table; the tuning the
// settings hold serves when none is given.
void UseHarpOptions(const RenderOptions& o, ConfigRecord& settings)
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
