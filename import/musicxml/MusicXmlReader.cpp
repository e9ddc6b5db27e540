#include "import/musicxml/MusicXmlReader.h"

#include "common/TextTranslation.h"
#include "common/Utf8.h"
#include "import/VoiceCandidates.h"
#include "import/musicxml/MusicXmlAssembly.h"
#include "import/musicxml/MusicXmlPart.h"
#include "import/musicxml/MusicXmlTexts.h"
#include "import/musicxml/MxlContainer.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <set>
#include <pugixml.hpp>
#include <string>

namespace {

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

// Where a measure of the melody's part was played: another part's measure of the same place
// in the file is played there too, so that every voice lies on the melody's timeline.
struct PlayedMeasure {
    int index = 0;
    int64_t start = 0, length = 0;
};

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
        names.emplace(sp.attribute("id").as_string(), PartNameOf(sp));
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
