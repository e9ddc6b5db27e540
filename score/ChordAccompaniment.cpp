#include "score/ChordAccompaniment.h"

#include "common/TextTranslation.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

struct PatternNames {
    ChordPattern pattern;
    const char* name;
    const char* label;
};

constexpr std::array<PatternNames, kChordPatternCount> kPatterns{{
    {ChordPattern::kRoot, "root", QT_TRANSLATE_NOOP("ChordPattern", "根音")},
    {ChordPattern::kRootFifth, "root-fifth", QT_TRANSLATE_NOOP("ChordPattern", "根音と5度")},
    {ChordPattern::kBassChord, "bass-chord", QT_TRANSLATE_NOOP("ChordPattern", "ベースと和音")},
    {ChordPattern::kBroken, "broken", QT_TRANSLATE_NOOP("ChordPattern", "分散和音")},
    {ChordPattern::kBlock, "block", QT_TRANSLATE_NOOP("ChordPattern", "和音")},
}};

const PatternNames& NamesOf(ChordPattern pattern)
{
    for (const PatternNames& p : kPatterns)
        if (p.pattern == pattern)
            return p;
    return kPatterns[1];
}

// A chord as the accompaniment plays it: its root's pitch class and the semitones of its third
// and fifth over the root.
struct ChordTones {
    int root = -1;
    int third = 4;
    int fifth = 7;
};

// "F#m7" gives 6 with a minor third, "Bb/D" 10, "Cdim" a diminished fifth; a name whose root
// is no note gives a root of -1.
ChordTones TonesOf(std::string_view name)
{
    ChordTones tones;
    if (name.empty() || name[0] < 'A' || name[0] > 'G')
        return tones;
    const size_t length = name.size() > 1 && (name[1] == '#' || name[1] == 'b') ? 2 : 1;
    tones.root = FindNoteName(name.substr(0, length));
    std::string_view kind = name.substr(length);
    kind = kind.substr(0, std::min(kind.find('/'), kind.size())); // the bass note is not the chord's
    const auto startsWith = [&](std::string_view s) { return kind.substr(0, s.size()) == s; };
    if (startsWith("dim") || startsWith("m7b5")) {
        tones.third = 3;
        tones.fifth = 6;
    } else if (startsWith("aug") || startsWith("+")) {
        tones.fifth = 8;
    } else if (startsWith("m") && !startsWith("maj")) {
        tones.third = 3;
    }
    if (kind.find("sus2") != std::string_view::npos)
        tones.third = 2;
    else if (kind.find("sus") != std::string_view::npos)
        tones.third = 5;
    return tones;
}

struct Strike {
    int64_t start, end; // ticks
    ChordTones tones;
};

// A strike at every written chord with a known root, and on the first beat of every measure it
// carries into; each lasts until the next.
std::vector<Strike> StrikesOf(const Score& score, int64_t songEnd)
{
    struct Written {
        int64_t onset;
        ChordTones tones;
    };
    std::vector<Written> written;
    for (const ScoreChordName& chord : score.chords)
        if (const ChordTones tones = TonesOf(chord.name); tones.root >= 0 && chord.onset < songEnd)
            written.push_back({chord.onset, tones});
    const int64_t measure = std::max<int64_t>(score.meter.MeasureTicks(), 1);
    std::vector<Strike> strikes;
    for (size_t i = 0; i < written.size(); ++i) {
        const int64_t end = i + 1 < written.size() ? written[i + 1].onset : songEnd;
        for (int64_t at = written[i].onset; at < end;) {
            const int64_t next = std::min(end, (at / measure + 1) * measure);
            strikes.push_back({at, next, written[i].tones});
            at = next;
        }
    }
    return strikes;
}

} // namespace

const char* ChordPatternName(ChordPattern pattern)
{
    return NamesOf(pattern).name;
}

const char* ChordPatternLabel(ChordPattern pattern)
{
    return NamesOf(pattern).label;
}

std::optional<ChordPattern> ChordPatternNamed(std::string_view name)
{
    for (const PatternNames& p : kPatterns)
        if (name == p.name)
            return p.pattern;
    return std::nullopt;
}

bool HasChordNames(const Score& score)
{
    return std::any_of(score.chords.begin(), score.chords.end(),
                       [](const ScoreChordName& c) { return TonesOf(c.name).root >= 0; });
}

bool AddChordAccompaniment(Score& score, ChordPattern pattern)
{
    ScoreVoice made = AccompanimentFromChords(score, pattern);
    if (made.events.empty())
        return false;
    std::erase_if(score.voices, [](const ScoreVoice& v) { return v.role == VoiceRole::kAccompaniment; });
    score.voices.push_back(std::move(made));
    return true;
}

ScoreVoice AccompanimentFromChords(const Score& score, ChordPattern pattern)
{
    ScoreVoice voice;
    voice.role = VoiceRole::kAccompaniment;
    voice.name = CoreText::translate("ScoreImport", "コードから");
    int lowest = 128, highest = -1;
    if (const ScoreVoice* melody = score.Melody())
        for (const ScoreEvent& e : melody->events)
            for (const int pitch : e.pitches) {
                lowest = std::min(lowest, pitch);
                highest = std::max(highest, pitch);
            }
    if (highest < 0)
        lowest = 60; // no melody: under middle C
    const int64_t measure = std::max<int64_t>(score.meter.MeasureTicks(), 1);
    const int64_t beat = std::max<int64_t>(score.meter.beatTicks, 1);
    const int64_t songEnd = score.listedBeats ? std::min(score.Length(), *score.listedBeats * score.meter.beatTicks)
                                              : score.Length();
    const int ceiling = lowest - 12; // the accompaniment stays an octave under the melody
    for (const Strike& strike : StrikesOf(score, songEnd)) {
        // The highest root at least an octave under the melody's lowest note.
        int root = ceiling - PitchClass(ceiling - strike.tones.root);
        if (root < 0)
            root += 12 * ((-root + 11) / 12);
        // A tone over the root while that stays under the ceiling, else the octave under it.
        const auto tone = [&](int interval) { return root + interval <= ceiling ? root + interval : root + interval - 12; };
        const int third = tone(strike.tones.third), fifth = tone(strike.tones.fifth);
        const auto add = [&](int64_t at, int64_t until, int pitch, bool optional) {
            if (pitch >= 0 && pitch < 128 && voice.events.size() < kMaxVoiceNotes)
                voice.events.push_back({at, std::max<int64_t>(until - at, 1), {pitch}, {}, optional, std::nullopt});
        };
        const auto held = [&](std::initializer_list<int> pitches) {
            for (const int p : pitches)
                add(strike.start, strike.end, p, p == fifth && p != root);
        };
        switch (pattern) {
        case ChordPattern::kRoot:
            held({root});
            break;
        case ChordPattern::kRootFifth:
            held({root, fifth});
            break;
        case ChordPattern::kBlock:
            held({root, third, fifth});
            break;
        case ChordPattern::kBassChord:
        case ChordPattern::kBroken:
            // Beat by beat from the strike: a strike off the beat plays until the next beat.
            for (int64_t at = strike.start, k = 0; at < strike.end; ++k) {
                const int64_t next = std::min(strike.end, (at / beat + 1) * beat);
                if (pattern == ChordPattern::kBroken) {
                    const int tones[] = {root, fifth, third, fifth};
                    add(at, next, tones[k % 4], k % 2 == 1);
                } else if (at == strike.start || at % measure == 0) {
                    add(at, next, root, false);
                } else {
                    add(at, next, third, false);
                    add(at, next, fifth, true);
                }
                at = next;
            }
            break;
        }
    }
    return voice;
}
