#include "app/RenderCommand.h"
#include "app/RenderOptions.h"

#include "audio/HarpSynth.h"
#include "audio/PlaySchedule.h"
#include "audio/SoundFont.h"
#include "audio/WaveRender.h"
#include "common/Cp932.h"
#include "common/ErrorCodes.h"
#include "common/FileServices.h"
#include "common/Messages.h"
#include "common/QtTranslations.h"
#include "controls/PictureScaling.h"
#include "import/ScoreImport.h"
#include "print/CPrintPicture.h"
#include "print/PrintTarget.h"
#include "print/ScoreJob.h"
#include "print/SheetPageDrawing.h"
#include "print/SheetPlanning.h"
#include "render/CScorePicture.h"
#include "render/KeyChoice.h"
#include "render/PlayerGeometry.h"
#include "document/SettingsScore.h"
#include "document/TuneDocument.h"
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
#include <QCoreApplication>
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

namespace {

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
    err << "dovrelplinvara-render: "
        << OneLineText(QCoreApplication::translate("RenderCommand", "%1 (--help tells the usage)")
                           .arg(QCoreApplication::translate("RenderOptions", problem.c_str()))
                           .toStdString())
        << "\n";
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
    // As --voices takes them back: the chords' pattern and each voice's own octaves included.
    const auto moved = [&](VoiceRole role) {
        const int shift = loaded.drawn.octave[static_cast<size_t>(role)];
        return shift == 0 ? std::string() : "@" + std::to_string(shift);
    };
    std::string drawn = "melody";
    if (loaded.melodyVoice > 0)
        drawn += ":" + std::to_string(loaded.melodyVoice);
    drawn += moved(VoiceRole::kMelody);
    for (size_t v = 1; v < song.voices.size(); ++v) {
        const VoiceRole role = song.voices[v].role;
        drawn += "," + std::string(VoiceRoleName(role)) + ":" +
                 (song.voices[v].candidate > 0 ? std::to_string(song.voices[v].candidate)
                                               : "chords:" + std::string(ChordPatternName(loaded.drawn.chordPattern))) +
                 moved(role);
    }
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
    RenderOptions o;
    bool help = false;
    const std::string problem = ParseRenderOptions(args, o, help);
    // Each run speaks its own language: the tests run many in one process.
    if (const Language language = o.language.value_or(Language::kJapanese); language != InstalledLanguage())
        InstallLanguage(language);
    if (!problem.empty())
        return UsageError(err, problem);
    if (help) {
        out << QCoreApplication::translate("RenderOptions", kRenderUsage).toStdString();
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
    TuneDocument tune;
    if (!tune.Load(o.song, request) || tune.Read().failed)
        return 1;
    const ImportOutcome& loaded = tune.Read();
    CSongData& grid = *tune.EditRead().song;
    Score& song = *tune.EditSong();
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
    tune.SetHarp(ScoreFrameOf(settings), settings.lowestNote);
    KeyChoice chosen = o.transpose;
    if (o.key) {
        const FittedScore written = tune.LayOut({1, std::max(1, song.measureCount)}, o.repeats);
        chosen = TranspositionForKey(written, song.keyIndex, *o.key);
        if (!chosen) {
            const bool minor = song.keyIndex >= 0 && song.keyIndex < kKeyCount &&
                               kKeyTable[static_cast<size_t>(song.keyIndex)].mode == KeyMode::Minor;
            return UsageError(err, std::string("--key needs a ") +
                                       (minor ? "minor key such as Em or Bbm" : "major key such as G or Bb") +
                                       ", as the song is written in one, not \"" + *o.key + "\"");
        }
    }
    tune.Fit();
    tune.Show(chosen, FirstShownMeasures(song), o.repeats);
    const FittedScore opening = tune.Fitted();
    const int count = opening.measureCount;
    MeasureRange measures = opening.measures;
    if (o.allMeasures)
        measures = MeasureRange{1, std::max(1, count)};
    else if (o.haveMeasures) {
        if (o.first < 1 || o.first > o.last || o.last > count)
            return UsageError(err, "the measures must lie within 1-" + std::to_string(count));
        measures = MeasureRange{o.first, o.last};
    }
    if (measures.first != opening.measures.first || measures.last != opening.measures.last)
        tune.ShowRange(measures, o.repeats);
    const FittedScore& score = tune.Fitted();

    if (o.players.who == SheetPlayers::Who::kOne) {
        const std::vector<VoiceRole> drawn = DrawnRoles(score.geometry);
        if (std::find(drawn.begin(), drawn.end(), o.players.role) == drawn.end()) {
            std::string roles;
            for (const VoiceRole role : drawn)
                roles += (roles.empty() ? "" : ", ") + std::string(VoiceRoleName(role));
            return UsageError(err, std::string("--player ") + VoiceRoleName(o.players.role) +
                                       " names a voice the sheet does not draw; it draws " + roles);
        }
    }

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
                                       : tune.LayOut(passage, o.repeats);
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
    if (o.info)
        WriteSongFacts(fact, song, loaded, measures, score, tune.LayOutWhole(o.repeats), !o.writeMwd.empty());
    // A preset's harp comes with its spacing unless one is given; otherwise the sheet fits.
    SheetSettings sheet;
    sheet.spacing = o.spacing ? *o.spacing
                    : o.harp  ? PaperSpacing::TenthsMm(o.harp->spacingTenthsMm)
                              : PaperSpacing::FitToPaper();
    sheet.shown = o.words;
    sheet.repeats = o.repeats;
    sheet.colourVoices = o.colour;
    sheet.players = o.players;
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
            const QImage surface = CScorePicture::Picture(score, ScreenWords{o.zoom, false});
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
