#include "import/musicxml/MusicXmlPart.h"

#include "common/Utf8.h"
#include "import/musicxml/MusicXmlNotes.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <string_view>

namespace {

constexpr long kMaxBeatsTerm = 1000;     // one number of a <beats> sum
constexpr int64_t kMaxBeatsSum = 1000000; // the whole sum, as for any other integer read

// The state that runs through a part in file order.
struct PartState {
    double divisions = 1;
    int transpose = 0; // semitones from written to sounding pitch
    int numerator = 4, denominator = 4;
    int staff = 1; // keys and transpositions given for one staff count for the upper one
    std::vector<int> openEnding;
};

class MeasureReader {
public:
    MeasureReader(PartState& state, PartContent& part, MeasureContent& out, VoiceTally& melody)
        : s(state), part(part), out(out), melody(melody)
    {
    }

    void Read(pugi::xml_node data)
    {
        out.numerator = s.numerator;
        out.denominator = s.denominator;
        for (pugi::xml_node child = data.first_child(); child; child = child.next_sibling()) {
            const char* name = child.name();
            if (!std::strcmp(name, "note"))
                Note(child);
            else if (!std::strcmp(name, "backup"))
                pos = std::max(0.0, pos - Ticks(child.child("duration")));
            else if (!std::strcmp(name, "forward"))
                Advance(Ticks(child.child("duration")));
            else if (!std::strcmp(name, "attributes"))
                Attributes(child);
            else if (!std::strcmp(name, "harmony"))
                Harmony(child);
            else if (!std::strcmp(name, "direction"))
                Direction(child);
            else if (!std::strcmp(name, "sound"))
                Sound(child);
            else if (!std::strcmp(name, "barline"))
                Barline(child);
        }
        out.nominal = std::max<int64_t>(1, int64_t(out.numerator) * 4 * kTicksPerQuarter / out.denominator);
        out.length = furthest > 0 ? std::llround(furthest) : out.nominal;
        if (!s.openEnding.empty())
            out.marks.ending = s.openEnding;
        if (closeEnding)
            s.openEnding.clear();
    }

private:
    // Ticks of a duration element; 0 for one that is missing, not positive or not a number.
    double Ticks(pugi::xml_node duration) const
    {
        const double d = Number(duration);
        if (!(d > 0) || !std::isfinite(d))
            return 0;
        const double ticks = d / s.divisions * kTicksPerQuarter;
        return ticks < double(kMaxReadTicks) ? ticks : double(kMaxReadTicks);
    }

    // A duration rounded to whole divisions (a triplet eighth at 256 divisions is 85 or 86)
    // is taken as written, so that tuplets land on the same places whatever the divisions.
    double RhythmTicks(const NoteView& note) const
    {
        const double ticks = Ticks(note.duration);
        const double written = note.WrittenTicks();
        const double division = kTicksPerQuarter / s.divisions;
        return ticks > 0 && written > 0 && std::abs(written - ticks) < division ? written : ticks;
    }

    void Advance(double ticks)
    {
        pos += ticks;
        furthest = std::max(furthest, pos);
    }

    void Note(pugi::xml_node element)
    {
        NoteView note(element);
        chordHead.Apply(note);
        if (note.grace)
            return; // takes no time
        const double ticks = RhythmTicks(note);
        if (ticks <= 0) {
            ++part.skipped;
            return;
        }
        const double onset = note.chord ? lastOnset : pos;
        if (!note.chord) {
            lastOnset = pos;
            Advance(ticks);
        }
        if (note.cue)
            return;
        melody.Add(note);
        MeasureNote n;
        n.staff = note.staff;
        n.voice = note.voice;
        n.at = std::llround(onset);
        n.duration = std::llround(ticks);
        if (n.duration <= 0) {
            ++part.skipped;
            return;
        }
        if (note.pitch) {
            n.pitch = SoundingPitch(note.pitch);
            if (n.pitch < 0) {
                ++part.skipped;
                return;
            }
        } else if (!note.rest) {
            return; // unpitched: silence for the melody
        }
        n.tieStart = note.tieStart;
        n.tieStop = note.tieStop;
        for (pugi::xml_node t = note.lyric.first_child(); t && n.lyric.size() <= kMaxMelodyTextBytes;
             t = t.next_sibling())
            if (t.name()[0] == 't' && !std::strcmp(t.name(), "text"))
                n.lyric.append(t.child_value(), std::min(std::strlen(t.child_value()), kMaxMelodyTextBytes + 1));
        n.lyric = CutUtf8(std::move(n.lyric), kMaxMelodyTextBytes);
        out.notes.push_back(std::move(n));
    }

    int SoundingPitch(pugi::xml_node pitch) const
    {
        const int written = WrittenPitch(pitch);
        const int value = written + s.transpose;
        return (written >= 0 && value >= 0 && value <= 127) ? value : -1;
    }

    void Attributes(pugi::xml_node attributes)
    {
        if (pugi::xml_node divisions = attributes.child("divisions")) {
            const double d = Number(divisions);
            if (!(d > 0) || !std::isfinite(d))
                part.readable = false;
            else
                s.divisions = d;
        }
        for (pugi::xml_node key : attributes.children("key")) {
            if (part.hasKey || !key.child("fifths") || !ForStaff(key))
                continue;
            part.hasKey = true;
            part.keyFifths = std::clamp(Integer(key.child("fifths"), 0), -15, 15);
            const std::string mode = key.child_value("mode");
            part.keyMinor = mode == "minor" || mode == "aeolian" || mode == "dorian" || mode == "phrygian" ||
                            mode == "locrian";
            static constexpr std::array<std::pair<const char*, ChurchMode>, 7> kModes{{
                {"ionian", ChurchMode::Ionian},
                {"dorian", ChurchMode::Dorian},
                {"phrygian", ChurchMode::Phrygian},
                {"lydian", ChurchMode::Lydian},
                {"mixolydian", ChurchMode::Mixolydian},
                {"aeolian", ChurchMode::Aeolian},
                {"locrian", ChurchMode::Locrian},
            }};
            for (const auto& [name, church] : kModes)
                if (mode == name)
                    part.keyMode = church;
        }
        if (pugi::xml_node time = attributes.child("time"); time.child("beats") && time.child("beat-type")) {
            // "3+2" counts 5; the sum is held where no product with it can overflow.
            int64_t sum = 0;
            std::stringstream parts(time.child_value("beats"));
            for (std::string piece; std::getline(parts, piece, '+') && sum < kMaxBeatsSum;)
                sum += std::clamp<long>(std::strtol(piece.c_str(), nullptr, 10), 0, kMaxBeatsTerm);
            const int beats = static_cast<int>(std::min(sum, kMaxBeatsSum));
            const int type = Integer(time.child("beat-type"), 0);
            if (beats > 0 && type > 0 && type <= 64) {
                s.numerator = out.numerator = beats;
                s.denominator = out.denominator = type;
            }
        }
        for (pugi::xml_node t : attributes.children("transpose"))
            if (ForStaff(t))
                s.transpose = std::clamp(Integer(t.child("chromatic"), 0), -48, 48) +
                              12 * std::clamp(Integer(t.child("octave-change"), 0), -4, 4);
    }

    bool ForStaff(pugi::xml_node element) const
    {
        return !element.attribute("number") || element.attribute("number").as_int() == s.staff;
    }

    void Harmony(pugi::xml_node harmony)
    {
        pugi::xml_node root = harmony.child("root");
        const char* step = root.child_value("root-step");
        const std::string kind = harmony.child_value("kind");
        if (step[0] < 'A' || step[0] > 'G' || kind == "none")
            return;
        const double offset = harmony.child("offset") ? Number(harmony.child("offset")) : 0;
        const double at = pos + (std::isfinite(offset) ? offset / s.divisions * kTicksPerQuarter : 0);
        ChordSymbol c;
        c.onset = std::llround(std::clamp(at, 0.0, double(kMaxReadTicks)));
        c.root = step[0];
        c.alter = std::clamp(Integer(root.child("root-alter"), 0), -1, 1);
        c.suffix = SuffixOf(kind);
        out.chords.push_back(std::move(c));
    }

    static std::string SuffixOf(const std::string& kind)
    {
        static const std::pair<const char*, const char*> kSuffixes[] = {
            {"major", ""},          {"minor", "m"},          {"augmented", "aug"},    {"diminished", "dim"},
            {"dominant", "7"},      {"major-seventh", "maj7"}, {"minor-seventh", "m7"}, {"diminished-seventh", "dim7"},
            {"augmented-seventh", "aug7"}, {"half-diminished", "m7b5"}, {"major-minor", "mM7"},
            {"major-sixth", "6"},   {"minor-sixth", "m6"},   {"dominant-ninth", "9"}, {"major-ninth", "maj9"},
            {"minor-ninth", "m9"},  {"dominant-11th", "11"}, {"major-11th", "maj11"}, {"minor-11th", "m11"},
            {"dominant-13th", "13"}, {"major-13th", "maj13"}, {"minor-13th", "m13"}, {"suspended-second", "sus2"},
            {"suspended-fourth", "sus4"}, {"power", "5"},
        };
        for (const auto& [name, suffix] : kSuffixes)
            if (kind == name)
                return suffix;
        return "";
    }

    void Direction(pugi::xml_node direction)
    {
        for (pugi::xml_node type : direction.children("direction-type")) {
            pugi::xml_node metronome = type.child("metronome");
            const double perMinute = Number(metronome.child("per-minute"));
            const double unit = UnitQuarters(metronome.child_value("beat-unit"), metronome.child("beat-unit-dot"));
            if (out.metronomeTempo == 0 && perMinute > 0 && unit > 0)
                out.metronomeTempo = perMinute * unit;
        }
        if (pugi::xml_node sound = direction.child("sound"))
            Sound(sound);
    }

    static double UnitQuarters(const std::string& unit, bool dotted)
    {
        static const std::pair<const char*, double> kUnits[] = {
            {"whole", 4}, {"half", 2}, {"quarter", 1}, {"eighth", 0.5}, {"16th", 0.25}, {"32nd", 0.125}};
        for (const auto& [name, quarters] : kUnits)
            if (unit == name)
                return dotted ? quarters * 1.5 : quarters;
        return 0;
    }

    void Sound(pugi::xml_node sound)
    {
        const double tempo = sound.attribute("tempo").as_double(0);
        if (out.soundTempo == 0 && tempo > 0 && std::isfinite(tempo))
            out.soundTempo = tempo;
        MeasureMarks& m = out.marks;
        if (pugi::xml_attribute a = sound.attribute("segno"))
            m.segno = a.as_string();
        if (pugi::xml_attribute a = sound.attribute("coda"))
            m.coda = a.as_string();
        if (pugi::xml_attribute a = sound.attribute("tocoda"))
            m.toCoda = a.as_string();
        if (pugi::xml_attribute a = sound.attribute("dalsegno"))
            m.dalSegno = a.as_string();
        m.daCapo |= !std::strcmp(sound.attribute("dacapo").as_string(), "yes");
        m.fine |= static_cast<bool>(sound.attribute("fine"));
    }

    void Barline(pugi::xml_node barline)
    {
        if (pugi::xml_node repeat = barline.child("repeat")) {
            if (!std::strcmp(repeat.attribute("direction").as_string(), "forward"))
                out.marks.forwardRepeat = true;
            else
                out.marks.backwardRepeat = std::clamp(repeat.attribute("times").as_int(2), 1, 1000);
        }
        if (pugi::xml_node ending = barline.child("ending")) {
            const std::string type = ending.attribute("type").as_string();
            if (type == "start") {
                s.openEnding.clear();
                std::string numbers = ending.attribute("number").as_string();
                std::replace_if(numbers.begin(), numbers.end(), [](char c) { return c < '0' || c > '9'; }, ' ');
                std::stringstream list(numbers);
                for (int v; list >> v && s.openEnding.size() < 16;)
                    s.openEnding.push_back(v);
                out.marks.endingStart = !s.openEnding.empty();
            } else if (type == "stop" || type == "discontinue") {
                closeEnding = true;
            }
        }
        if (out.marks.backwardRepeat > 0)
            closeEnding = true; // a first ending without a stop ends with its repeat
    }

    PartState& s;
    PartContent& part;
    MeasureContent& out;
    VoiceTally& melody;
    double pos = 0, furthest = 0, lastOnset = 0;
    bool closeEnding = false;
    ChordHead chordHead;
};

// The part's voices with pitched notes, by staff and on each staff by first appearance, and
// each note's voice among them: a lookup per note by name, for a part may write thousands.
template <class IsMelody>
void IndexVoices(PartContent& part, IsMelody isMelody)
{
    using Key = std::pair<int, std::string_view>;
    std::map<Key, size_t> seen; // -> order of first appearance
    for (const MeasureContent& m : part.measures)
        for (const MeasureNote& n : m.notes)
            if (n.pitch != MelodyNote::kRest)
                seen.emplace(Key{n.staff, n.voice}, seen.size());
    std::vector<std::pair<Key, size_t>> voices(seen.begin(), seen.end());
    std::sort(voices.begin(), voices.end(), [](const auto& a, const auto& b) {
        return a.first.first != b.first.first ? a.first.first < b.first.first : a.second < b.second;
    });
    for (size_t i = 0; i < voices.size(); ++i) {
        seen[voices[i].first] = i;
        part.voices.push_back(PartVoice{voices[i].first.first, voices[i].first.second.data()});
    }
    for (MeasureContent& m : part.measures)
        for (MeasureNote& n : m.notes)
            if (n.pitch != MelodyNote::kRest) {
                n.voiceIndex = static_cast<int>(seen[Key{n.staff, n.voice}]);
                if (part.melodyVoice < 0 && isMelody(n))
                    part.melodyVoice = n.voiceIndex;
            }
}

} // namespace

MelodyVoice FindMelodyVoice(const std::vector<pugi::xml_node>& data)
{
    VoiceTally tally;
    for (pugi::xml_node measure : data) {
        ChordHead chordHead;
        for (pugi::xml_node element = measure.first_child(); element; element = element.next_sibling())
            if (!std::strcmp(element.name(), "note")) {
                NoteView note(element);
                chordHead.Apply(note);
                tally.Add(note);
            }
    }
    return tally.Result();
}

PartContent ReadPartMeasures(const std::vector<pugi::xml_node>& data)
{
    PartContent part;
    PartState state;
    VoiceTally tally;
    // Measures past this can never be played; a file of millions of empty ones must not
    // cost a record each.
    const size_t count = std::min(data.size(), kMaxPlayedMeasures);
    part.skipped += static_cast<int>(std::min<size_t>(data.size() - count, INT_MAX / 2));
    part.measures.resize(count);
    for (size_t i = 0; i < count && part.readable; ++i)
        MeasureReader(state, part, part.measures[i], tally).Read(data[i]);
    const MelodyVoice melody = tally.Result();
    auto isMelody = [&](const MeasureNote& n) {
        return n.staff == melody.staff && !std::strcmp(n.voice, melody.voice.c_str());
    };
    IndexVoices(part, isMelody);
    for (MeasureContent& m : part.measures) {
        for (MeasureNote& n : m.notes)
            if (!isMelody(n) && n.pitch != MelodyNote::kRest) {
                m.others.push_back(std::move(n));
                m.others.back().lyric.clear(); // a voice beside the melody is drawn without words
            }
        std::erase_if(m.notes, [&](const MeasureNote& n) { return !isMelody(n); });
    }
    return part;
}

std::vector<int64_t> WrittenMeasureLengths(const std::vector<pugi::xml_node>& data)
{
    const PartContent part = ReadPartMeasures(data);
    std::vector<int64_t> lengths;
    if (!part.readable)
        return lengths;
    lengths.reserve(part.measures.size());
    for (const MeasureContent& m : part.measures)
        lengths.push_back(m.length);
    return lengths;
}
