#include "import/ScoreImport.h"

#include "common/TextTranslation.h"
#include "common/ErrorCodes.h"
#include "common/FileServices.h"
#include "common/Messages.h"
#include "import/abc/AbcReader.h"
#include "import/midi/MidiReader.h"
#include "import/musicxml/MusicXmlReader.h"
#include "song/CSongData.h"
#include "score/ChordAccompaniment.h"
#include "score/SongScore.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

// One import's reader. It may keep what List parsed for Read, so a file is parsed once.
class IScoreFileReader {
public:
    virtual ~IScoreFileReader() = default;
    virtual bool List(const std::vector<uint8_t>& bytes, std::vector<MelodyChoice>& choices) = 0;
    virtual ImportStatus Read(const std::vector<uint8_t>& bytes, int choice, Melody& out) = 0;
};

// A reader made of a format's two free functions.
template <auto ListFunction, auto ReadFunction>
class FunctionReader : public IScoreFileReader {
public:
    bool List(const std::vector<uint8_t>& bytes, std::vector<MelodyChoice>& choices) override
    {
        return ListFunction(bytes, choices);
    }
    ImportStatus Read(const std::vector<uint8_t>& bytes, int choice, Melody& out) override
    {
        return ReadFunction(bytes, choice, out);
    }
};

class MusicXmlFileReader : public IScoreFileReader {
public:
    bool List(const std::vector<uint8_t>& bytes, std::vector<MelodyChoice>& choices) override
    {
        if (score.Open(bytes) != ImportStatus::Ok)
            return false;
        choices = score.Parts();
        return true;
    }
    ImportStatus Read(const std::vector<uint8_t>&, int choice, Melody& out) override
    {
        return score.Read(choice, out);
    }

private:
    MusicXmlScore score;
};

std::unique_ptr<IScoreFileReader> ReaderFor(ScoreFormat format)
{
    switch (format) {
    case ScoreFormat::MusicXml: return std::make_unique<MusicXmlFileReader>();
    case ScoreFormat::Abc: return std::make_unique<FunctionReader<&ListAbcTunes, &ReadAbc>>();
    case ScoreFormat::Midi: return std::make_unique<FunctionReader<&ListMidiTracks, &ReadMidi>>();
    case ScoreFormat::SongFile: break;
    }
    return nullptr;
}

const ScoreFormatInfo& InfoFor(ScoreFormat format)
{
    for (const ScoreFormatInfo& info : ScoreFormats())
        if (info.format == format)
            return info;
    return ScoreFormats().front();
}

std::string FileStem(const std::string& path)
{
    std::string name = path.substr(path.find_last_of('/') + 1);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// Up to limit + 1 bytes, so that a caller can tell a file past the limit; false when the file
// cannot be opened. The song files' rules hold for every format: a path over the limit or a
// file that is not a regular one is refused, and then fails as a song file does.
bool ReadFileStart(const std::string& path, size_t limit, std::vector<uint8_t>& out)
{
    const int fd = OpenRegularFile(path);
    if (fd < 0)
        return false;
    out.clear();
    uint8_t buffer[65536];
    while (out.size() <= limit) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        out.insert(out.end(), buffer, buffer + std::min(static_cast<size_t>(n), limit + 1 - out.size()));
    }
    close(fd);
    return true;
}

std::unique_ptr<CSongData> EmptySong()
{
    int32_t measures = 4, beats = 4, key = 0;
    auto song = std::make_unique<CSongData>(nullptr, measures, beats, key);
    song->CreateEmpty(4, 4, 0, 0);
    return song;
}

// What is missing may be one of the file's parts, tunes or tracks (named as the format names them)
// or one of the voices asked for: `ofVoice`.
ImportOutcome Failure(ScoreFormat format, uint32_t code, bool ofVoice = false)
{
    if (code == ImportError::kNoSuchChoice && !ofVoice)
        ShowMessage(FormatCodedMessage("IMPT", code, CoreText::translate("Messages", InfoFor(format).noSuchChoice)));
    else
        ShowImportError(code);
    ImportOutcome outcome;
    outcome.format = format;
    outcome.failed = true;
    outcome.song = EmptySong();
    outcome.score = ScoreOfSong(*outcome.song);
    return outcome;
}

// The score format a file's name claims (its patterns in ScoreFormats()); SongFile for any
// other name.
ScoreFormat FormatOfName(const std::string& path)
{
    for (const ScoreFormatInfo& info : ScoreFormats()) {
        if (info.format == ScoreFormat::SongFile)
            continue;
        const std::string patterns = info.patterns;
        for (size_t at = 0; at < patterns.size();) {
            const size_t end = std::min(patterns.find(';', at), patterns.size());
            if (HasSuffix(path, patterns.substr(at + 1, end - at - 1))) // after the "*"
                return info.format;
            at = end + 1;
        }
    }
    return ScoreFormat::SongFile;
}

std::unique_ptr<CSongData> ReadSongFile(const std::string& path)
{
    int32_t measures = 0, beats = 0, key = 0;
    return std::make_unique<CSongData>(path.c_str(), measures, beats, key);
}

} // namespace

std::optional<int> VoiceOctaveShift(std::string_view text)
{
    const bool sign = !text.empty() && (text.front() == '-' || text.front() == '+');
    const std::string_view digits = text.substr(sign ? 1 : 0);
    if (digits.empty() || digits.size() > 2 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int value = std::stoi(std::string(digits)) * (text.front() == '-' ? -1 : 1);
    if (value % 12 != 0 || std::abs(value) > kMaxVoiceOctaveShift)
        return std::nullopt;
    return value;
}

void MoveVoicesByOctaves(Score& score, const VoiceChoice& choice)
{
    for (ScoreVoice& voice : score.voices) {
        const int shift = choice.octave[static_cast<size_t>(voice.role)];
        if (shift == 0)
            continue;
        for (ScoreEvent& e : voice.events) {
            for (int& p : e.pitches) {
                p += shift;
                while (p > 127)
                    p -= 12;
                while (p < 0)
                    p += 12;
            }
            std::sort(e.pitches.begin(), e.pitches.end());
            e.pitches.erase(std::unique(e.pitches.begin(), e.pitches.end()), e.pitches.end());
        }
    }
}

std::string VoiceLabel(const VoiceOffer& voice)
{
    return FilledText(CoreText::translate("ScoreImport", "%1 (%2音, %3–%4)"), {voice.name, std::to_string(voice.noteCount),
                                                                NoteNameWithOctave(voice.lowest), NoteNameWithOctave(voice.highest)});
}

namespace {

std::vector<VoiceOffer> OffersOf(const Melody& melody)
{
    std::vector<VoiceOffer> offers;
    for (size_t i = 0; i < melody.voices.size(); ++i) {
        const VoiceCandidate& c = melody.voices[i];
        VoiceOffer offer{static_cast<int>(i) + 1, c.name, c.origin, 0, 127, 0};
        for (const MelodyNote& n : c.notes)
            if (n.pitch >= 0) {
                ++offer.noteCount;
                offer.lowest = std::min(offer.lowest, n.pitch);
                offer.highest = std::max(offer.highest, n.pitch);
            }
        if (offer.noteCount == 0)
            offer.lowest = offer.highest = 0;
        offers.push_back(std::move(offer));
    }
    return offers;
}

// Whether every voice the choice names is one of the file's, none of them in two roles.
bool ChoiceFits(const VoiceChoice& choice, size_t voices)
{
    std::vector<bool> taken(voices + 1, false);
    for (const int n : choice.voice) {
        if (n == 0)
            continue;
        if (n < 0 || static_cast<size_t>(n) > voices || taken[static_cast<size_t>(n)])
            return false;
        taken[static_cast<size_t>(n)] = true;
    }
    return true;
}

// Voice 1 is the melody rule's voice and the others keep the file's order. `first` is the
// file's index of the voice numbered 1: the same for every part read of one import, so that
// the numbers of --voices and of a tune's saved sheet name the same voices.
void NumberFromMelody(Melody& melody, int first)
{
    if (first <= 0 || static_cast<size_t>(first) >= melody.voices.size())
        return;
    const auto at = melody.voices.begin() + first;
    std::rotate(melody.voices.begin(), at, at + 1);
    if (melody.melodyVoice == first)
        melody.melodyVoice = 0;
    else if (melody.melodyVoice >= 0 && melody.melodyVoice < first)
        ++melody.melodyVoice;
}

ImportOutcome Cancelled(ScoreFormat format)
{
    ImportOutcome outcome;
    outcome.format = format;
    outcome.cancelled = true;
    return outcome;
}

} // namespace

ImportOutcome ImportScoreBytes(ScoreFormat format, const std::vector<uint8_t>& bytes, const std::string& name,
                               const ImportRequest& request)
{
    std::unique_ptr<IScoreFileReader> reader = ReaderFor(format);
    std::vector<MelodyChoice> choices;
    if (!reader || bytes.size() > kMaxScoreFileBytes || !reader->List(bytes, choices))
        return Failure(format, ImportError::kUnreadable);

    int choice = request.choice;
    std::vector<MelodyChoice> offered;
    std::copy_if(choices.begin(), choices.end(), std::back_inserter(offered),
                 [](const MelodyChoice& c) { return c.noteCount != 0; });
    // Parts and tracks are all offered as voices; tunes still are chosen first.
    const bool voicesChoosePart = request.voiceChooser && !request.voices && format != ScoreFormat::Abc;
    const bool askPart = choice == kDefaultChoice && offered.size() > 1 && request.chooser;
    const auto choosePart = [&] {
        for (MelodyChoice& c : offered)
            c.name = ChoiceLabel(format, c);
        choice = request.chooser(InfoFor(format).choiceTitle, offered);
    };
    if (askPart && !voicesChoosePart) {
        choosePart();
        if (choice == kChoiceCancelled)
            return Cancelled(format);
    }

    Melody melody;
    if (const ImportStatus status = reader->Read(bytes, choice, melody); status != ImportStatus::Ok)
        return Failure(format, static_cast<uint32_t>(status));
    // A reader that offers no voices of the parts leaves them to the part chooser after all.
    if (askPart && voicesChoosePart && melody.voices.size() <= 1) {
        choosePart();
        if (choice == kChoiceCancelled)
            return Cancelled(format);
        melody = Melody{};
        if (const ImportStatus status = reader->Read(bytes, choice, melody); status != ImportStatus::Ok)
            return Failure(format, static_cast<uint32_t>(status));
    }
    const int firstVoice = melody.melodyVoice;
    NumberFromMelody(melody, firstVoice);
    ImportOutcome outcome;
    outcome.voices = OffersOf(melody);
    outcome.melodyVoice = melody.melodyVoice >= 0 && static_cast<size_t>(melody.melodyVoice) < melody.voices.size()
                              ? melody.melodyVoice + 1
                              : 0;
    std::optional<VoiceChoice> drawn = request.voices;
    if (!drawn && request.voiceChooser && outcome.voices.size() > 1) {
        drawn = request.voiceChooser(InfoFor(ScoreFormat::MusicXml).choiceTitle, outcome.voices, outcome.melodyVoice,
                                     !melody.chords.empty());
        if (!drawn)
            return Cancelled(format);
    }
    if (drawn && !ChoiceFits(*drawn, melody.voices.size()))
        return Failure(format, ImportError::kNoSuchChoice, true); // the tune is there, a voice is not
    // Another voice as the melody: the part or track whose melody it is is read as the melody,
    // with its own measures, words and repeats; a voice that is no part's melody brings only
    // its notes.
    if (drawn && (*drawn)[VoiceRole::kMelody] != 0 && (*drawn)[VoiceRole::kMelody] != outcome.melodyVoice) {
        const int wanted = (*drawn)[VoiceRole::kMelody];
        bool read = false;
        if (format != ScoreFormat::Abc)
            for (size_t k = 0; k < offered.size() && k < kMaxVoiceCandidates && !read; ++k) {
                Melody other;
                if (offered[k].number == choice || reader->Read(bytes, offered[k].number, other) != ImportStatus::Ok)
                    continue;
                NumberFromMelody(other, firstVoice);
                if (other.melodyVoice == wanted - 1 && other.voices.size() == melody.voices.size()) {
                    melody = std::move(other);
                    read = true;
                }
            }
        if (!read) {
            melody.notes = melody.voices[static_cast<size_t>(wanted - 1)].notes;
            melody.melodyVoice = wanted - 1;
        }
        outcome.melodyVoice = wanted;
    }
    outcome.format = format;
    if (request.grid) {
        SongBuilder builder(melody);
        outcome.song = builder.Build(FileStem(name));
        outcome.report = builder.Report();
    }
    std::vector<ChosenVoice> chosen;
    if (drawn) {
        outcome.drawn = *drawn;
        outcome.drawn[VoiceRole::kMelody] = outcome.melodyVoice;
        for (const VoiceRole role : {VoiceRole::kSecond, VoiceRole::kThird, VoiceRole::kFourth, VoiceRole::kAccompaniment}) {
            const int n = (*drawn)[role];
            if (n <= 0)
                continue;
            const VoiceCandidate& c = melody.voices[static_cast<size_t>(n - 1)];
            chosen.push_back({role, c.name, n, &c.notes});
        }
    }
    outcome.score = ScoreOfMelody(melody, FileStem(name), chosen, outcome.read);
    if (drawn && drawn->chordAccompaniment && (*drawn)[VoiceRole::kAccompaniment] == 0)
        AddChordAccompaniment(outcome.score, drawn->chordPattern);
    if (drawn)
        MoveVoicesByOctaves(outcome.score, *drawn);
    if (outcome.read.placed == 0)
        return Failure(format, ImportError::kNoMelody);
    if (outcome.read.cut)
        ShowMessage(FormatCodedMessage("IMPT", ImportError::kTooLong,
                                       FilledText(CoreText::translate("Messages", "曲が長すぎるため、%1拍を超える部分は省きました。"),
                                                  {std::to_string(kMaxSheetBeats)})));
    return outcome;
}

ImportOutcome LoadScoreFile(const std::string& path, const ImportRequest& request)
{
    // A song file draws its melody alone, or with the accompaniment of its chord names.
    const auto songFile = [&] {
        ImportOutcome outcome;
        outcome.song = ReadSongFile(path);
        outcome.score = ScoreOfSong(*outcome.song);
        if (!request.voices)
            return outcome;
        if (request.voices->chordAccompaniment && AddChordAccompaniment(outcome.score, request.voices->chordPattern)) {
            outcome.drawn.chordAccompaniment = true;
            outcome.drawn.chordPattern = request.voices->chordPattern;
        }
        // Only the roles a song file can draw keep their octaves.
        for (const VoiceRole role : {VoiceRole::kMelody, VoiceRole::kAccompaniment})
            outcome.drawn.octave[static_cast<size_t>(role)] = request.voices->octave[static_cast<size_t>(role)];
        MoveVoicesByOctaves(outcome.score, outcome.drawn);
        return outcome;
    };
    std::vector<uint8_t> bytes;
    if (IsSongFileName(path) || !ReadFileStart(path, kMaxScoreFileBytes, bytes))
        return songFile();
    const ScoreFormat format = DetectScoreFormat(bytes);
    if (format == ScoreFormat::SongFile) {
        // A file named as a score whose content is none is no song file either: reading it as
        // one would show an empty sheet as if something had been read.
        if (const ScoreFormat named = FormatOfName(path); named != ScoreFormat::SongFile)
            return Failure(named, ImportError::kUnreadable);
        return songFile();
    }
    ImportOutcome outcome = ImportScoreBytes(format, bytes, path, request);
    if (outcome.song) {
        const size_t n = std::min(path.size(), sizeof outcome.song->sourcePath - 1);
        std::memcpy(outcome.song->sourcePath, path.data(), n);
        outcome.song->sourcePath[n] = 0;
        outcome.score.source = path;
    }
    outcome.bytes = std::move(bytes);
    return outcome;
}
