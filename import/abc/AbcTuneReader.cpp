#include "import/abc/AbcTuneReader.h"

#include "import/abc/AbcFile.h"
#include "import/abc/AbcLimits.h"
#include "import/abc/AbcLyrics.h"
#include "import/abc/AbcPlayout.h"
#include "import/abc/AbcText.h"
#include "import/VoiceCandidates.h"

#include <algorithm>

namespace {

bool IsFieldLine(std::string_view line)
{
    const char c = line.empty() ? '\0' : line[0];
    return line.size() >= 2 && line[1] == ':' && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '+');
}

} // namespace

void AbcTuneReader::ReadFileHeaderLine(std::string_view line)
{
    inFileHeader = true;
    ReadLine(line);
    inFileHeader = false;
}

void AbcTuneReader::ReadLine(std::string_view line)
{
    if (line.size() > kAbcMaxLineBytes) {
        ++skipped;
        return;
    }
    if (line.starts_with("%")) { // comments and directives leave a w: block open
        if (line.starts_with("%%"))
            ReadDirective(AbcStripComment(line.substr(2)));
        return;
    }
    if (IsFieldLine(line)) {
        const std::string_view value = AbcStripComment(line.substr(2));
        if (line[0] == '+') {
            if (lyricsPending && lyricBytes + 1 + value.size() > kAbcMaxLyricBlockBytes)
                ++skipped;
            else if (lyricsPending && !lyrics.empty()) {
                (lyrics.back() += ' ') += value;
                lyricBytes += 1 + value.size();
            }
            return;
        }
        if (line[0] != 'w')
            FlushLyrics();
        ReadField(line[0], value);
        return;
    }
    if (inFileHeader || AbcTrim(line).empty())
        return;
    FlushLyrics();
    if (inHeader) // music before K: starts the body all the same
        EndHeader();
    ReadMusicLine(line);
}

void AbcTuneReader::ReadField(char letter, std::string_view value)
{
    if (letter != 'w')
        lastWasLyrics = false;
    switch (letter) {
    case 'M': ReadMeter(value); break;
    case 'L': ReadUnitLength(value); break;
    case 'Q': ReadTempo(value); break;
    case 'I': ReadDirective(value); break;
    case 'K':
        if (!inFileHeader)
            ReadKey(value);
        break;
    case 'V':
        if (!inFileHeader)
            ReadVoice(value);
        break;
    case 'T':
        if (inHeader && !inFileHeader && title.empty())
            title = AbcTitle(value);
        break;
    case 'C':
        if (inHeader && !inFileHeader && composer.empty())
            composer = AbcTitle(value);
        break;
    case 'W': // the words of further verses, printed after the tune
        if (inFileHeader)
            break;
        if (verses.size() < kMaxVerseLines)
            verses.push_back(AbcTitle(value));
        else
            ++versesLeftOut;
        break;
    case 'w':
        if (!inHeader)
            ReadLyricLine(value);
        break;
    default: // X:, P:, and the other fields a melody does not need
        break;
    }
}

void AbcTuneReader::ReadMusicLine(std::string_view line)
{
    lastWasLyrics = false;
    AbcTokenizer tokenizer(line);
    AbcToken token;
    while (tokenizer.Next(token)) {
        if (token.kind == AbcTokenKind::InlineField) {
            // A [V:] before any note names the voice the music starts in, as a V: line does.
            if (token.fieldLetter != 'w' && token.fieldLetter != 'T')
                ReadField(token.fieldLetter, AbcTrim(token.text));
            continue;
        }
        musicSeen = true;
        if (inMelodyVoice)
            music.Read(token);
        else if (currentOther >= 0)
            InOtherVoice([&](AbcMusicReader& other) { other.Read(token); });
        else
            CountLeftOut(token);
    }
    music.EndLine();
    InOtherVoice([](AbcMusicReader& other) {
        other.EndLine();
        other.TakeLyricSlots(); // its words are not read
    });
}

void AbcTuneReader::ReadDirective(std::string_view text)
{
    constexpr std::string_view kPropagate = "propagate-accidentals";
    if (!text.starts_with(kPropagate))
        return;
    const std::string_view mode = AbcTrim(text.substr(kPropagate.size()));
    AbcMusicReader::Propagation propagation;
    if (mode == "not")
        propagation = AbcMusicReader::Propagation::Note;
    else if (mode == "octave")
        propagation = AbcMusicReader::Propagation::Octave;
    else if (mode == "pitch")
        propagation = AbcMusicReader::Propagation::Pitch;
    else
        return;
    music.SetPropagation(propagation);
    headerMusic.SetPropagation(propagation);
    for (OtherVoice& other : others)
        other.music.SetPropagation(propagation);
}

void AbcTuneReader::ReadMeter(std::string_view value)
{
    AbcMeter meter;
    if (!ParseAbcMeter(value, meter)) {
        ++skipped;
    } else if (inHeader) {
        headerMeter = meter; // written when the body starts
    } else if (inMelodyVoice) {
        music.SetMeter(meter);
    } else {
        InOtherVoice([&](AbcMusicReader& other) { other.SetMeter(meter); });
    }
}

void AbcTuneReader::ReadUnitLength(std::string_view value)
{
    AbcFraction length;
    if (!ParseAbcUnitLength(value, length)) {
        ++skipped;
        return;
    }
    unitGiven = unitGiven || inHeader;
    if (inMelodyVoice || inHeader) {
        unit = length;
        music.SetUnit(length);
    } else {
        InOtherVoice([&](AbcMusicReader& other) { other.SetUnit(length); });
    }
}

void AbcTuneReader::ReadTempo(std::string_view value)
{
    if (inHeader) { // its beat may depend on an L: still to come
        if (!headerTempoGiven)
            headerTempo = value, headerTempoGiven = true;
        return;
    }
    const double quarters = ParseAbcTempo(value, unit);
    if (quarters < 0)
        ++skipped;
    else if (tempo == 0)
        tempo = quarters;
}

void AbcTuneReader::ReadKey(std::string_view value)
{
    AbcKey key;
    AbcClef clef;
    if (!ParseAbcKey(value, key, clef))
        ++skipped;
    if (inHeader)
        headerClef.Update(clef);
    if (inMelodyVoice) {
        ApplyClef(clef);
        if (key.named)
            music.SetKey(key);
    } else if (currentOther >= 0) {
        OtherVoice& other = others[static_cast<size_t>(currentOther)];
        other.clef.Update(clef);
        other.music.SetPitchShift(other.clef.Shift());
        if (key.named)
            other.music.SetKey(key);
    }
    if (key.named && !keySeen)
        firstKey = key, keySeen = true;
    if (inHeader)
        EndHeader();
}

void AbcTuneReader::ReadVoice(std::string_view value)
{
    AbcClef clef;
    const std::string_view id = ParseAbcVoice(value, clef);
    if (!voiceNamed) {
        melodyVoice = id;
        melodyUnnamed = musicSeen;
        voiceNamed = true;
    }
    const std::string_view name = ParseAbcVoiceName(value);
    const bool melody = !melodyUnnamed && id == melodyVoice;
    if (melody) {
        ApplyClef(clef);
        if (melodyName.empty())
            melodyName = name;
    }
    const int other = melody ? -1 : OtherVoiceFor(id, name, clef);
    if (inHeader) // header V: lines only declare voices; the body starts in the first
        return;
    inMelodyVoice = melody;
    currentOther = other;
    if (other < 0 || others[static_cast<size_t>(other)].started)
        return;
    OtherVoice& started = others[static_cast<size_t>(other)];
    started.started = true;
    started.music = headerMusic;
    AbcClef declared = headerClef;
    declared.Update(started.clef);
    started.clef = declared;
    started.music.SetPitchShift(started.clef.Shift());
}

// A voice beyond what the list holds is not read; its notes count as left out, a chord as
// the one note its voice would keep.
void AbcTuneReader::CountLeftOut(const AbcToken& token)
{
    if (token.kind == AbcTokenKind::ChordStart)
        leftOutChord = true;
    else if (token.kind == AbcTokenKind::ChordEnd && leftOutChord)
        leftOutChord = false, ++skipped;
    else if (token.kind == AbcTokenKind::Note && !leftOutChord)
        ++skipped;
}

// The voice of that id, added when the list has room; its clef updated as the melody's is.
int AbcTuneReader::OtherVoiceFor(std::string_view id, std::string_view name, const AbcClef& clef)
{
    auto it = std::find_if(others.begin(), others.end(), [&](const OtherVoice& v) { return v.id == id; });
    if (it == others.end()) {
        if (others.size() + 1 >= kMaxVoiceCandidates)
            return -1;
        it = others.insert(others.end(), OtherVoice{std::string(id), {}, {}, false, {}});
    }
    if (it->name.empty())
        it->name = name;
    it->clef.Update(clef);
    if (it->started)
        it->music.SetPitchShift(it->clef.Shift());
    return static_cast<int>(it - others.begin());
}

void AbcTuneReader::ApplyClef(const AbcClef& clef)
{
    melodyClef.Update(clef);
    music.SetPitchShift(melodyClef.Shift());
}

// Adjacent w: lines are the verses of the notes before them, the first line the first verse.
void AbcTuneReader::ReadLyricLine(std::string_view value)
{
    if (!inMelodyVoice)
        return;
    if (!lastWasLyrics)
        FlushLyrics();
    lastWasLyrics = true;
    if (lyrics.size() >= static_cast<size_t>(kAbcMaxVerses) || lyricBytes + value.size() > kAbcMaxLyricBlockBytes) {
        ++versesLeftOut;
        return;
    }
    lyrics.emplace_back(value);
    lyricBytes += value.size();
    lyricsPending = true;
}

void AbcTuneReader::FlushLyrics()
{
    if (!lyricsPending)
        return;
    lyricsPending = false;
    const std::vector<AbcLyricSlot> slots = music.TakeLyricSlots();
    std::vector<AbcEvent>& events = music.Written().events;
    const int count = static_cast<int>(lyrics.size());
    for (int v = 0; v < count; ++v) {
        AlignAbcLyrics(SplitAbcLyrics(lyrics[static_cast<size_t>(v)]), slots, events, v + 1);
        // Later verses are read as text too, for the sheets that show each measure once.
        if (v > 0) {
            if (sungVerses.size() < static_cast<size_t>(v))
                sungVerses.resize(static_cast<size_t>(v));
            if (std::string text = AbcVerseText(lyrics[static_cast<size_t>(v)]); !text.empty())
                sungVerses[static_cast<size_t>(v - 1)].push_back(std::move(text));
        }
    }
    for (const AbcLyricSlot& slot : slots)
        if (slot.event < events.size())
            events[slot.event].lyricVerses = count;
    lyrics.clear();
    lyricBytes = 0;
}

// Without L:, the unit is a sixteenth for meters below 3/4, otherwise an eighth.
void AbcTuneReader::EndHeader()
{
    inHeader = false;
    if (!unitGiven) {
        const bool small = !headerMeter.free && 4 * headerMeter.numerator < 3 * headerMeter.denominator;
        unit = AbcFraction{1, small ? 16 : 8};
        music.SetUnit(unit);
    }
    music.SetMeter(headerMeter);
    if (headerTempoGiven)
        ReadTempo(headerTempo);
    headerMusic = music;
    headerMusic.TakeLyricSlots();
}

bool AbcTuneReader::Finish(Melody& out)
{
    FlushLyrics();
    if (inHeader)
        EndHeader();
    out = Melody{};
    AbcPlayout(music.Written()).Play(out);
    out.title = title;
    out.composer = composer;
    while (!verses.empty() && verses.back().empty())
        verses.pop_back();
    // The sung verses first, each in its lines, then the W: words.
    for (const std::vector<std::string>& sung : sungVerses)
        out.verses.insert(out.verses.end(), sung.begin(), sung.end());
    out.verses.insert(out.verses.end(), verses.begin(), verses.end());
    out.versesLeftOut = versesLeftOut;
    out.hasKey = keySeen && !firstKey.none;
    out.keyFifths = out.hasKey ? firstKey.fifths : 0;
    out.keyMinor = out.hasKey && firstKey.minor;
    out.keyMode = out.hasKey ? firstKey.mode : std::nullopt;
    out.tempoQuarterBpm = tempo;
    out.skipped += skipped + music.Skipped();
    ListVoices(out);
    out.skipped += leftOutChord; // a chord of a voice not read, open at the end
    return std::any_of(out.notes.begin(), out.notes.end(),
                       [](const MelodyNote& n) { return n.pitch != MelodyNote::kRest; });
}

// The melody first, as it was played out; then every other voice played out on its own, by
// its own bar lines: ABC voices repeat alike.
void AbcTuneReader::ListVoices(Melody& out)
{
    auto text = [](std::string_view raw) { return CutUtf8(AbcTextToUtf8(raw), kAbcMaxTitleBytes); };
    // Music before any V: is the tune's first voice, which ABC numbers 1.
    const std::string melodyId = voiceNamed && !melodyUnnamed ? text(melodyVoice) : "1";
    out.melodyVoice = AddVoiceCandidate(
        out, VoiceCandidate{melodyName.empty() ? "V:" + melodyId : text(melodyName), "V:" + melodyId,
                            PitchedNotesOf(out.notes)});
    for (OtherVoice& other : others) {
        if (!other.started)
            continue;
        Melody played;
        AbcPlayout(other.music.Written()).Play(played);
        out.skipped += other.music.Skipped() + played.skipped;
        const std::string id = text(other.id);
        AddVoiceCandidate(out, VoiceCandidate{other.name.empty() ? "V:" + id : text(other.name), "V:" + id,
                                              PitchedNotesOf(played.notes)});
    }
}
