#include "import/musicxml/MusicXmlReader.h"

#include "common/TextTranslation.h"
#include "common/Utf8.h"
#include "import/musicxml/MusicXmlPart.h"
#include "import/TiedNotes.h"
#include "import/VoiceCandidates.h"
#include "import/musicxml/MxlContainer.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <pugixml.hpp>
#include <string>

namespace {

// A melody never holds more notes than this; what follows is left out. More than every
// position of 1024 beats could show, even as chords of sixteen.
constexpr size_t kMaxMelodyNotes = 100000;
// A tie joins notes that meet within this many ticks (rounding of odd divisions).
constexpr int64_t kTieSlack = 2;
// A parsed document costs some 80 bytes per node and 48 per attribute, however few bytes
// the text spends on them; a document with more '<' and '=' than this is refused before it
// is parsed, so that a 64 MiB file stays well within 256 MiB. Scores of some 13 MB pass.
constexpr size_t kMaxXmlMarkup = size_t(5) << 17;

// An upper bound of the nodes and attributes the document would make: every node but the
// last text has a '<' of its own, every attribute an '='.
bool WithinMarkupLimit(const uint8_t* text, size_t size)
{
    size_t markup = 0;
    for (const uint8_t* end = text + size; text < end && markup <= kMaxXmlMarkup; ++text)
        markup += *text == '<' || *text == '=';
    return markup <= kMaxXmlMarkup;
}

struct Part {
    std::string id;
    std::vector<pugi::xml_node> data; // each measure's music for this part
    MelodyVoice melody;
    std::string name; // its part-name, else its abbreviation; empty when it has neither
};

// A voice's name and origin hold a voice text of the file cut to this, and a part name cut to
// kMaxPartNameBytes: a file may name a voice with a megabyte.
constexpr size_t kMaxVoiceTextBytes = 32;
constexpr size_t kMaxPartNameBytes = 256;

// Where a measure of the melody's part was played: another part's measure of the same place
// in the file is played there too, so that every voice lies on the melody's timeline.
struct PlayedMeasure {
    int index = 0;
    int64_t start = 0, length = 0;
};

std::string Trimmed(const char* text)
{
    std::string s = text;
    const size_t a = s.find_first_not_of(" \t\r\n");
    const size_t b = s.find_last_not_of(" \t\r\n");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

std::string TitleOf(pugi::xml_node score)
{
    std::string title = Trimmed(score.child("work").child_value("work-title"));
    if (title.empty())
        title = Trimmed(score.child_value("movement-title"));
    for (pugi::xml_node credit : score.children("credit")) {
        if (!title.empty())
            break;
        if (Trimmed(credit.child_value("credit-type")) == "title")
            title = Trimmed(credit.child_value("credit-words"));
    }
    return title;
}

// The words of every verse but the first, in written order, a line each: syllables joined as
// their syllabic says, a verse cut at a bound the sheet can hold.
std::vector<std::string> FurtherVerses(const std::vector<pugi::xml_node>& measures, int& leftOut)
{
    constexpr size_t kMaxVerses = 64, kMaxVerseBytes = 2000;
    std::map<std::string, std::string> verses;
    std::set<std::string> beyond; // verse numbers past the first kMaxVerses, counted once each
    for (pugi::xml_node measure : measures)
        for (pugi::xml_node note : measure.children("note"))
            for (pugi::xml_node lyric : note.children("lyric")) {
                const std::string number = lyric.attribute("number").as_string("1");
                if (number == "1")
                    continue;
                if (!verses.contains(number) && verses.size() >= kMaxVerses) {
                    if (beyond.size() < kMaxVerses)
                        beyond.insert(number);
                    continue;
                }
                std::string& line = verses[number];
                const std::string syllabic = Trimmed(lyric.child_value("syllabic"));
                const std::string text = Trimmed(lyric.child_value("text"));
                if (text.empty() || line.size() > kMaxVerseBytes)
                    continue;
                line += text;
                if (syllabic != "begin" && syllabic != "middle")
                    line += ' ';
            }
    std::vector<std::pair<int, std::string>> numbered;
    for (auto& [number, line] : verses) {
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        if (!line.empty())
            numbered.push_back({std::atoi(number.c_str()), CutUtf8(std::move(line), kMaxVerseBytes)});
    }
    std::sort(numbered.begin(), numbered.end());
    leftOut = static_cast<int>(beyond.size());
    std::vector<std::string> out;
    for (auto& [number, line] : numbered)
        out.push_back(std::move(line));
    return out;
}

// The score's creator of a kind ("composer", "lyricist"), from its identification.
std::string CreatorOf(pugi::xml_node score, const char* type)
{
    for (pugi::xml_node creator : score.child("identification").children("creator"))
        if (std::string_view(creator.attribute("type").value()) == type)
            return Trimmed(creator.child_value());
    return {};
}

// Tempo of the first measure that states one, in playing order.
double FirstTempo(const std::vector<MeasureContent>& measures, const std::vector<int>& order)
{
    for (int i : order)
        if (measures[i].soundTempo > 0)
            return measures[i].soundTempo;
    for (int i : order)
        if (measures[i].metronomeTempo > 0)
            return measures[i].metronomeTempo;
    return 0;
}

// A score often states its tempo in the first part only; another part borrows it.
double TempoOfAnyPart(const std::vector<Part>& parts)
{
    for (const Part& part : parts)
        for (pugi::xml_node measure : part.data) {
            for (pugi::xml_node sound : measure.children("sound"))
                if (const double t = sound.attribute("tempo").as_double(0); t > 0 && t < 1e6)
                    return t;
            for (pugi::xml_node direction : measure.children("direction"))
                if (const double t = direction.child("sound").attribute("tempo").as_double(0); t > 0 && t < 1e6)
                    return t;
        }
    return 0;
}

// Lays the measures out in playing order and merges ties on the way.
class MelodyAssembler {
public:
    explicit MelodyAssembler(Melody& out) : out(out) {}

    // Notes from `length` on are left out: a voice that overflows its measure would push
    // every later measure off its place.
    void Add(const MeasureContent& m, int64_t start, int64_t length)
    {
        // Once a limit is reached the measure's rest is counted, not walked: a measure of a
        // million chord notes or symbols may be repeated a thousand times.
        if (out.notes.size() >= kMaxMelodyNotes)
            Skip(m.notes.size());
        else
            for (MeasureNote n : m.notes) {
                if (start + n.at >= kMaxReadTicks || n.at >= length) {
                    Skip(1); // past anything a song can hold, or past the measure's end
                    continue;
                }
                n.duration = std::min(n.duration, length - n.at);
                AddNote(n, start + n.at);
            }
        AddChords(m, start);
    }

    void AddChords(const MeasureContent& m, int64_t start)
    {
        // Repeats copy chord symbols as they copy notes, and are held to the same limit.
        for (size_t i = 0; i < m.chords.size(); ++i) {
            if (out.chords.size() >= kMaxMelodyNotes) {
                Skip(m.chords.size() - i);
                break;
            }
            if (start + m.chords[i].onset >= kMaxReadTicks) {
                Skip(1);
                continue;
            }
            out.chords.push_back(m.chords[i]);
            out.chords.back().onset += start;
        }
    }

    void Skip(size_t count)
    {
        out.skipped = static_cast<int>(std::min<uint64_t>(INT_MAX, uint64_t(out.skipped) + count));
    }

private:
    void AddNote(const MeasureNote& n, int64_t onset)
    {
        if (n.pitch == MelodyNote::kRest) {
            Push(MelodyNote{onset, n.duration, MelodyNote::kRest, {}});
            return;
        }
        MelodyNote note{onset, n.duration, n.pitch, n.lyric};
        if (ties.Continue(out.notes, note, n.tieStop, n.tieStart))
            return;
        if (Push(std::move(note)))
            ties.Added(out.notes.size() - 1, n.pitch, n.tieStart);
    }

    bool Push(MelodyNote note)
    {
        if (out.notes.size() >= kMaxMelodyNotes) {
            Skip(1);
            return false;
        }
        out.notes.push_back(std::move(note));
        return true;
    }

    Melody& out;
    TiedNotes ties{kTieSlack};
};

// Notes the voices beside the melody may visit, repeats and all, in one reading of a file: a
// measure of thousands of notes played a thousand times is walked no further.
constexpr size_t kMaxVoiceWalk = size_t(10) * kMaxCandidateNotes;

// The voices of one part besides the melody, laid out measure by measure as the melody's
// measures are played, each with its ties merged; chords stay whole.
class VoiceAssembler {
public:
    // room: notes all the voices together may still take; walk: notes they may still visit.
    VoiceAssembler(size_t voiceCount, size_t room, size_t& walk)
        : voices(voiceCount), ties(voiceCount, TiedNotes{kTieSlack}), room(room), walk(walk)
    {
    }

    void Add(const std::vector<MeasureNote>& notes, int64_t start, int64_t length)
    {
        for (const MeasureNote& n : notes) {
            if (walk == 0)
                return;
            --walk;
            if (n.voiceIndex < 0 || size_t(n.voiceIndex) >= voices.size() || start + n.at >= kMaxReadTicks ||
                n.at >= length)
                continue;
            std::vector<MelodyNote>& into = voices[size_t(n.voiceIndex)];
            TiedNotes& tied = ties[size_t(n.voiceIndex)];
            const MelodyNote note{start + n.at, std::min(n.duration, length - n.at), n.pitch, {}};
            if (tied.Continue(into, note, n.tieStop, n.tieStart))
                continue;
            if (room == 0 || into.size() >= kMaxMelodyNotes) {
                ++leftOut; // past what the voices may hold
                continue;
            }
            into.push_back(note);
            --room;
            tied.Added(into.size() - 1, n.pitch, n.tieStart);
        }
    }

    std::vector<MelodyNote> Take(size_t voice) { return std::move(voices[voice]); }
    size_t LeftOut() const { return leftOut; }

private:
    std::vector<std::vector<MelodyNote>> voices;
    std::vector<TiedNotes> ties;
    size_t room;
    size_t& walk;
    size_t leftOut = 0;
};

// "Piano 上段 声部2": the part's name, its staff when the part writes notes on several, its
// voice when the staff has several.
class VoiceNaming {
public:
    VoiceNaming(std::string partName, const std::vector<PartVoice>& voices) : partName(std::move(partName))
    {
        for (const PartVoice& v : voices)
            ++voicesOnStaff[v.staff];
        upperAndLower = voicesOnStaff.size() == 2 && voicesOnStaff.begin()->first == 1 &&
                        voicesOnStaff.rbegin()->first == 2;
    }

    std::string Name(const PartVoice& v) const
    {
        std::string name = partName;
        if (upperAndLower)
            name += v.staff == 1 ? CoreText::translate("ScoreImport", " 上段") : CoreText::translate("ScoreImport", " 下段");
        else if (voicesOnStaff.size() > 1)
            name += FilledText(CoreText::translate("ScoreImport", " 第%1段"), {std::to_string(v.staff)});
        if (voicesOnStaff.at(v.staff) > 1)
            name += FilledText(CoreText::translate("ScoreImport", " 声部%1"), {CutUtf8(v.voice, kMaxVoiceTextBytes)});
        return name;
    }

private:
    std::string partName;
    std::map<int, int> voicesOnStaff;
    bool upperAndLower = false;
};

bool WritesHarmony(const std::vector<pugi::xml_node>& data)
{
    return std::any_of(data.begin(), data.end(), [](pugi::xml_node m) { return static_cast<bool>(m.child("harmony")); });
}

} // namespace

struct MusicXmlScore::Impl {
    std::vector<uint8_t> unpacked; // a compressed score's text, parsed where it lies
    pugi::xml_document doc;
    std::vector<Part> parts;
    std::vector<MelodyChoice> choices;
    std::string title, composer, lyricist;

    bool Index(pugi::xml_node score, bool timewise);
    ImportStatus Read(const Part& part, Melody& out) const;
    void ListVoices(const Part& melodyPart, const PartContent& content, const std::vector<PlayedMeasure>& played,
                    Melody& out) const;
    void AddPartVoices(size_t partIndex, const PartContent& content, const std::vector<PlayedMeasure>& played,
                       bool melodyPart, size_t& walk, Melody& out) const;
    void BorrowChords(const Part& melodyPart, const std::vector<PlayedMeasure>& played, MelodyAssembler& assembler) const;
    struct Held {
        int64_t shortest = INT64_MAX, longest = 0;
    };
    std::vector<Held> LengthsOtherPartsHold(const Part& part) const;
    static int64_t MeasureLength(const MeasureContent& m, const Held& others, bool first);
};

// Per measure, the shortest and the longest length any other part writes for it; none where
// no other part has the measure.
std::vector<MusicXmlScore::Impl::Held> MusicXmlScore::Impl::LengthsOtherPartsHold(const Part& part) const
{
    std::vector<Held> held(std::min(part.data.size(), kMaxPlayedMeasures));
    for (const Part& other : parts) {
        if (&other == &part)
            continue;
        const std::vector<int64_t> lengths = WrittenMeasureLengths(other.data);
        for (size_t i = 0; i < std::min(lengths.size(), held.size()); ++i) {
            held[i].shortest = std::min(held[i].shortest, lengths[i]);
            held[i].longest = std::max(held[i].longest, lengths[i]);
        }
    }
    return held;
}

// A measure is as long as every part makes it: the shortest of them, never shorter than its
// meter when one runs over it (where only the melody's part runs over, the others keep the bar
// line), and never shorter than a part that fills a measure the melody's part leaves short. A
// short first measure is the pickup the melody's part writes.
int64_t MusicXmlScore::Impl::MeasureLength(const MeasureContent& m, const Held& others, bool first)
{
    if (first && m.length < m.nominal)
        return m.length;
    const int64_t shortest = std::min(m.length, others.shortest);
    const int64_t longest = std::max(m.length, others.longest);
    return std::max(std::min(m.nominal, longest), shortest);
}

bool MusicXmlScore::Impl::Index(pugi::xml_node score, bool timewise)
{
    std::map<std::string, size_t> byId;
    auto partFor = [&](const char* id) -> Part& {
        auto [it, added] = byId.emplace(id, parts.size());
        if (added)
            parts.push_back(Part{id, {}, {}, {}});
        return parts[it->second];
    };
    if (timewise) {
        for (pugi::xml_node measure : score.children("measure")) {
            std::set<std::string> seen;
            for (pugi::xml_node part : measure.children("part"))
                if (seen.insert(part.attribute("id").as_string()).second)
                    partFor(part.attribute("id").as_string()).data.push_back(part);
        }
    } else {
        for (pugi::xml_node part : score.children("part")) {
            // Two parts under one id stay two parts.
            parts.push_back(Part{part.attribute("id").as_string(), {}, {}, {}});
            for (pugi::xml_node measure : part.children("measure"))
                parts.back().data.push_back(measure);
        }
    }
    std::map<std::string, std::string> names;
    for (pugi::xml_node sp : score.child("part-list").children("score-part")) {
        std::string name = Trimmed(sp.child_value("part-name"));
        if (name.empty())
            name = Trimmed(sp.child_value("part-abbreviation"));
        names.emplace(sp.attribute("id").as_string(), name);
    }
    for (size_t i = 0; i < parts.size(); ++i) {
        Part& p = parts[i];
        // One part needs no count to be chosen; its reading finds out whether it has notes.
        if (parts.size() > 1)
            p.melody = FindMelodyVoice(p.data);
        const auto name = names.find(p.id);
        if (name != names.end())
            p.name = CutUtf8(name->second, kMaxPartNameBytes);
        choices.push_back(MelodyChoice{static_cast<int>(i) + 1,
                                       name != names.end() && !name->second.empty() ? name->second : p.id, parts.size() > 1 ? p.melody.pitched : -1});
    }
    title = TitleOf(score);
    composer = CreatorOf(score, "composer");
    lyricist = CreatorOf(score, "lyricist");
    return true;
}

ImportStatus MusicXmlScore::Impl::Read(const Part& part, Melody& out) const
{
    const PartContent content = ReadPartMeasures(part.data);
    if (!content.readable)
        return ImportStatus::Unreadable;
    std::vector<MeasureMarks> marks;
    marks.reserve(content.measures.size());
    for (const MeasureContent& m : content.measures)
        marks.push_back(m.marks);
    const std::vector<int> order = PlayOrder(marks);

    out = Melody{};
    out.title = title;
    out.composer = composer;
    out.lyricist = lyricist;
    out.verses = FurtherVerses(part.data, out.versesLeftOut);
    out.hasKey = content.hasKey;
    out.keyFifths = content.keyFifths;
    out.keyMinor = content.keyMinor;
    out.keyMode = content.keyMode;
    out.skipped = content.skipped;
    out.tempoQuarterBpm = FirstTempo(content.measures, order);
    if (out.tempoQuarterBpm == 0)
        out.tempoQuarterBpm = TempoOfAnyPart(parts);

    size_t total = 0;
    for (int i : order)
        total += content.measures[i].notes.size();
    out.notes.reserve(std::min(total, kMaxMelodyNotes));
    MelodyAssembler assembler(out);
    // The other parts are read only when a measure of this one is not as long as its meter.
    const bool uneven = std::any_of(content.measures.begin(), content.measures.end(),
                                    [](const MeasureContent& m) { return m.length != m.nominal; });
    const std::vector<Held> held = uneven ? LengthsOtherPartsHold(part) : std::vector<Held>{};
    int64_t start = 0;
    std::vector<PlayedMeasure> played;
    played.reserve(order.size());
    out.repeats.marks = std::move(marks);
    for (size_t k = 0; k < order.size(); ++k) {
        const MeasureContent& m = content.measures[order[k]];
        out.repeats.order.push_back(order[k]);
        out.repeats.starts.push_back(start);
        if (k == 0 && m.length < m.nominal)
            out.pickupTicks = m.length;
        if (k > 0)
            out.bars.push_back(start);
        if (out.meters.empty() || out.meters.back().numerator != m.numerator ||
            out.meters.back().denominator != m.denominator)
            out.meters.push_back(MeterChange{start, m.numerator, m.denominator});
        // A wrong signature or a cadenza that every part writes keeps its notes.
        const int64_t length =
            m.length == m.nominal ? m.length : MeasureLength(m, held[size_t(order[k])], k == 0);
        assembler.Add(m, start, length);
        played.push_back(PlayedMeasure{order[k], start, length});
        start += length;
        if (start > kMaxReadTicks) {
            out.repeats.cut = k + 1 < order.size();
            out.skipped += out.skipped < INT_MAX; // the song cannot hold more; the builder reports the cut
            break;
        }
    }
    out.repeats.starts.push_back(start);
    const bool ownChords = std::any_of(content.measures.begin(), content.measures.end(),
                                       [](const MeasureContent& m) { return !m.chords.empty(); });
    if (!ownChords)
        BorrowChords(part, played, assembler);
    ListVoices(part, content, played, out);
    const bool anyNote = std::any_of(out.notes.begin(), out.notes.end(),
                                     [](const MelodyNote& n) { return n.pitch != MelodyNote::kRest; });
    return anyNote ? ImportStatus::Ok : ImportStatus::NoMelody;
}

// The parts in order, each read once: every voice with pitched notes until the list is full.
void MusicXmlScore::Impl::ListVoices(const Part& melodyPart, const PartContent& content,
                                     const std::vector<PlayedMeasure>& played, Melody& out) const
{
    size_t walk = kMaxVoiceWalk;
    for (size_t i = 0; i < parts.size() && out.voices.size() < kMaxVoiceCandidates; ++i) {
        if (&parts[i] == &melodyPart) {
            AddPartVoices(i, content, played, true, walk, out);
            continue;
        }
        if (parts[i].melody.pitched == 0)
            continue;
        const PartContent other = ReadPartMeasures(parts[i].data);
        if (other.readable)
            AddPartVoices(i, other, played, false, walk, out);
    }
}

void MusicXmlScore::Impl::AddPartVoices(size_t partIndex, const PartContent& content,
                                        const std::vector<PlayedMeasure>& played, bool melodyPart, size_t& walk,
                                        Melody& out) const
{
    // Only the voices the list can still take are laid out, so that a part of thousands costs
    // no more than one of sixteen; one whose notes all lie past the melody's measures leaves
    // its place empty.
    const size_t count = std::min(content.voices.size(), kMaxVoiceCandidates - out.voices.size());
    VoiceAssembler assembler(count, VoiceNotesLeft(out), walk);
    for (const PlayedMeasure& p : played) {
        if (size_t(p.index) >= content.measures.size())
            continue; // a part shorter than the melody's is silent there
        const MeasureContent& m = content.measures[size_t(p.index)];
        assembler.Add(m.others, p.start, p.length);
        if (!melodyPart) // the melody voice of another part is one of its voices like the rest
            assembler.Add(m.notes, p.start, p.length);
    }
    out.skipped = static_cast<int>(std::min<uint64_t>(INT_MAX, uint64_t(std::max(out.skipped, 0)) + assembler.LeftOut()));
    const std::string& named = parts[partIndex].name;
    const std::string partName = named.empty() ? FilledText(CoreText::translate("ScoreImport", "パート %1"), {std::to_string(partIndex + 1)}) : named;
    const VoiceNaming naming(partName, content.voices);
    for (size_t v = 0; v < count; ++v) {
        const bool melody = melodyPart && int(v) == content.melodyVoice;
        VoiceCandidate voice;
        voice.name = naming.Name(content.voices[v]);
        // P and the part's place in the score: its id in the file is any text.
        voice.origin = "P" + std::to_string(partIndex + 1) + " staff " + std::to_string(content.voices[v].staff) +
                       " voice " + CutUtf8(content.voices[v].voice, kMaxVoiceTextBytes);
        voice.notes = melody ? PitchedNotesOf(out.notes) : assembler.Take(v);
        const int listed = AddVoiceCandidate(out, std::move(voice));
        if (melody)
            out.melodyVoice = listed;
    }
}

// A part without chord symbols shows those of the first part that writes some, laid on its
// own measures as they are played.
void MusicXmlScore::Impl::BorrowChords(const Part& melodyPart, const std::vector<PlayedMeasure>& played,
                                       MelodyAssembler& assembler) const
{
    for (const Part& p : parts) {
        if (&p == &melodyPart || !WritesHarmony(p.data))
            continue;
        const PartContent other = ReadPartMeasures(p.data);
        const bool any = std::any_of(other.measures.begin(), other.measures.end(),
                                     [](const MeasureContent& m) { return !m.chords.empty(); });
        if (!other.readable || !any)
            continue;
        for (const PlayedMeasure& m : played)
            if (size_t(m.index) < other.measures.size())
                assembler.AddChords(other.measures[size_t(m.index)], m.start);
        return;
    }
}

namespace {

// Whether the text, in code units of `width` bytes in the given order, starts with markup
// after any blanks: a "<" followed by "?", "!" or "s".
bool StartsWithMarkup(const std::vector<uint8_t>& bytes, size_t width, XmlByteOrder order)
{
    // The ASCII character of the unit at i, or 0 when the unit is none.
    auto character = [&](size_t i) -> uint8_t {
        if (i + width > bytes.size())
            return 0;
        uint8_t ascii = 0;
        for (size_t k = 0; k < width; ++k) {
            const uint8_t b = bytes[i + (order == XmlByteOrder::LittleEndian ? k : width - 1 - k)];
            if (k == 0 ? b == 0 : b != 0)
                return 0;
            if (k == 0)
                ascii = b;
        }
        return ascii < 0x80 ? ascii : 0;
    };
    size_t at = 0;
    while (character(at) != 0 && std::strchr(" \t\r\n", character(at)))
        at += width;
    return character(at) == '<' && character(at + width) != 0 && std::strchr("?!s", character(at + width));
}

} // namespace

XmlByteOrder XmlInUtf16WithoutMark(const std::vector<uint8_t>& bytes)
{
    for (const XmlByteOrder order : {XmlByteOrder::LittleEndian, XmlByteOrder::BigEndian})
        if (StartsWithMarkup(bytes, 2, order))
            return order;
    return XmlByteOrder::None;
}

XmlByteOrder XmlInUtf32(const std::vector<uint8_t>& bytes)
{
    static constexpr uint8_t kLittleMark[] = {0xFF, 0xFE, 0, 0}, kBigMark[] = {0, 0, 0xFE, 0xFF};
    if (bytes.size() >= 4 && std::equal(kLittleMark, kLittleMark + 4, bytes.begin()))
        return XmlByteOrder::LittleEndian;
    if (bytes.size() >= 4 && std::equal(kBigMark, kBigMark + 4, bytes.begin()))
        return XmlByteOrder::BigEndian;
    for (const XmlByteOrder order : {XmlByteOrder::LittleEndian, XmlByteOrder::BigEndian})
        if (StartsWithMarkup(bytes, 4, order))
            return order;
    return XmlByteOrder::None;
}

MusicXmlScore::MusicXmlScore() : impl(std::make_unique<Impl>()) {}
MusicXmlScore::~MusicXmlScore() = default;

ImportStatus MusicXmlScore::Open(const std::vector<uint8_t>& bytes)
{
    impl = std::make_unique<Impl>();
    pugi::xml_parse_result parsed;
    if (LooksLikeZip(bytes)) {
        std::vector<uint8_t>& root = impl->unpacked;
        if (!UnpackMxlRootFile(bytes, root) || !WithinMarkupLimit(root.data(), root.size()))
            return ImportStatus::Unreadable;
        parsed = impl->doc.load_buffer_inplace(root.data(), root.size());
    } else {
        if (!WithinMarkupLimit(bytes.data(), bytes.size()))
            return ImportStatus::Unreadable;
        // pugixml recognises UTF-16 and UTF-32 without a mark only when "<" is the very first
        // character.
        const XmlByteOrder utf32 = XmlInUtf32(bytes), utf16 = XmlInUtf16WithoutMark(bytes);
        const pugi::xml_encoding encoding = utf32 == XmlByteOrder::LittleEndian   ? pugi::encoding_utf32_le
                                            : utf32 == XmlByteOrder::BigEndian    ? pugi::encoding_utf32_be
                                            : utf16 == XmlByteOrder::LittleEndian ? pugi::encoding_utf16_le
                                            : utf16 == XmlByteOrder::BigEndian    ? pugi::encoding_utf16_be
                                                                                  : pugi::encoding_auto;
        parsed = impl->doc.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, encoding);
    }
    if (!parsed)
        return ImportStatus::Unreadable;
    pugi::xml_node score = impl->doc.document_element();
    const bool timewise = !std::strcmp(score.name(), "score-timewise");
    if (!timewise && std::strcmp(score.name(), "score-partwise") != 0)
        return ImportStatus::Unreadable;
    impl->Index(score, timewise);
    return ImportStatus::Ok;
}

const std::vector<MelodyChoice>& MusicXmlScore::Parts() const
{
    return impl->choices;
}

ImportStatus MusicXmlScore::Read(int choice, Melody& out) const
{
    const std::vector<Part>& parts = impl->parts;
    if (choice == kDefaultChoice) {
        if (parts.size() == 1)
            return impl->Read(parts.front(), out);
        const auto first = std::find_if(parts.begin(), parts.end(), [](const Part& p) { return p.melody.pitched > 0; });
        if (first == parts.end())
            return ImportStatus::NoMelody;
        return impl->Read(*first, out);
    }
    if (choice < 1 || choice > static_cast<int>(parts.size()))
        return ImportStatus::NoSuchChoice;
    const Part& part = parts[static_cast<size_t>(choice - 1)];
    return parts.size() == 1 || part.melody.pitched > 0 ? impl->Read(part, out) : ImportStatus::NoMelody;
}
