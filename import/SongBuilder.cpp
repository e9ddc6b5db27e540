#include "import/SongBuilder.h"

#include "common/ByteIO.h"
#include "common/Cp932.h"
#include "import/HighestNote.h"
#include "song/CSongData.h"
#include "song/ChordNaming.h"
#include "song/SummaryBlock.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int kSixthsPerBeat = 6;
constexpr int64_t kUnitsPerBeat = 6; // as the score's layout counts time
constexpr int kQuartersPerBeat = 4;
constexpr int64_t kWholeTicks = 4 * kTicksPerQuarter;
constexpr int kMaxNumerator = 128;
// Onsets and ends this close to a place count as on it: a 48th of a beat, far below what a
// reader hears, covers converters that start notes a tick late and rounded durations.
constexpr int64_t kSlackPerBeat = 48;

// Drawn sixth of a beat -> quarter-beat position of the continuation chain, or -1 for the
// two places that only entry 2 holds.
constexpr int kChainQuarter[kSixthsPerBeat] = {0, 1, -1, 2, 3, -1};
// Quarter beat -> the sixth of a beat it is drawn on.
constexpr int kQuarterSixth[kQuartersPerBeat] = {0, 1, 3, 4};

// Nearest multiple of `unit` in `value / unit` terms; a tie goes down or up as asked.
int64_t NearestStep(int64_t value, int64_t unit, bool tieUp)
{
    const int64_t q = value / unit, rem = value % unit;
    return (2 * rem > unit || (tieUp && 2 * rem == unit)) ? q + 1 : q;
}

void SetText(Cell& cell, int entry, const std::string& utf8)
{
    const std::string bytes = CutCp932(Utf8ToCp932(utf8), SongBuilder::kEntryTextBytes);
    std::memset(cell.text[entry], 0, sizeof cell.text[entry]);
    std::memcpy(cell.text[entry], bytes.data(), bytes.size());
}

} // namespace

SongMeter SongBuilder::MeterFor(int numerator, int denominator)
{
    if (numerator < 1 || numerator > kMaxNumerator || denominator < 1 || kWholeTicks % denominator != 0 ||
        (denominator & (denominator - 1)) != 0)
        return SongMeter{};
    const MeterBeats written{numerator, denominator};
    SongMeter m{written.BeatsPerMeasure(), written.BeatUnits(kWholeTicks), written.Division()};
    while (m.beatsPerMeasure > kMaxGridBeats) {
        if (m.beatsPerMeasure % 2 == 0) {
            m.beatsPerMeasure /= 2;
        } else if (m.beatsPerMeasure % 3 == 0) {
            m.beatsPerMeasure /= 3;
            m.beatTicks *= 3;
        } else {
            int divisor = kMaxGridBeats;
            while (m.beatsPerMeasure % divisor != 0)
                --divisor;
            m.beatsPerMeasure = divisor;
        }
    }
    return m;
}

int SongBuilder::KeyIndexFor(int fifths, bool minor)
{
    if (fifths >= -7 && fifths <= 7) {
        if (!minor)
            return fifths >= 0 ? fifths : 7 - fifths;
        return fifths >= 0 ? 15 + fifths : 22 - fifths;
    }
    // Theoretical signatures: the first key of that mode on the same tonic.
    const int tonic = PitchClass(7 * fifths + (minor ? 9 : 0));
    const KeyMode mode = minor ? KeyMode::Minor : KeyMode::Major;
    for (int i = 0; i < kKeyCount; ++i)
        if (kKeyTable[i].mode == mode && kKeyTable[i].pitchClass == tonic)
            return i;
    return 0;
}

void SongBuilder::ChooseGrid()
{
    MeterChange first;
    for (const MeterChange& change : melody.meters)
        if (change.onset <= melody.pickupTicks)
            first = change;
    meter = MeterFor(first.numerator, first.denominator);
    writtenMeter = MeterBeats{first.numerator, first.denominator};
    const int64_t measureTicks = meter.beatsPerMeasure * meter.beatTicks;
    padTicks = (measureTicks - std::max<int64_t>(melody.pickupTicks, 0) % measureTicks) % measureTicks;

    int64_t end = 0, lastPitched = -1;
    for (const MelodyNote& n : melody.notes) {
        if (n.duration <= 0)
            continue;
        end = std::max(end, n.onset + n.duration + padTicks);
        if (n.pitch >= 0)
            lastPitched = std::max(lastPitched, n.onset + padTicks);
    }
    int64_t measuresNeeded = (end + measureTicks - 1) / measureTicks;
    // A measure overfull by less than the grid's finest step (a rounded rest, a converter's
    // tick) holds nothing the grid could show: it makes no measure of its own.
    const int64_t whole = end / measureTicks * measureTicks;
    if (end - whole > 0 && end - whole < meter.beatTicks / kSixthsPerBeat && lastPitched < whole)
        measuresNeeded = end / measureTicks;
    measuresNeeded = std::max<int64_t>(1, measuresNeeded);
    const int maxMeasures = kMaxBeats / meter.beatsPerMeasure;
    report.truncated = measuresNeeded > maxMeasures;
    measureCount = static_cast<int>(std::min<int64_t>(measuresNeeded, maxMeasures));
    beatCount = measureCount * meter.beatsPerMeasure;
}

int64_t SongBuilder::SlackTicks() const
{
    return meter.beatTicks / kSlackPerBeat;
}

bool SongBuilder::NearQuarter(int64_t onset, int64_t& sixth) const
{
    const int64_t L = meter.beatTicks;
    const int64_t quarter = NearestStep(onset * kQuartersPerBeat, L, false);
    sixth = quarter / kQuartersPerBeat * kSixthsPerBeat + kQuarterSixth[quarter % kQuartersPerBeat];
    return std::abs(onset * kQuartersPerBeat - quarter * L) <= SlackTicks() * kQuartersPerBeat;
}

int64_t SongBuilder::PlaceOf(int64_t onset) const
{
    // A sixteenth after the beat lies halfway between two sixths; a tick late must not tip it.
    int64_t sixth = 0;
    return NearQuarter(onset, sixth) ? sixth : NearestStep(onset * kSixthsPerBeat, meter.beatTicks, false);
}

bool SongBuilder::StandsNear(int64_t onset, int64_t sixth) const
{
    // Within the slack of the drawn place, or of the quarter beat that the place stands for.
    int64_t quarterSixth = 0;
    return std::abs(onset * kSixthsPerBeat - sixth * meter.beatTicks) <= SlackTicks() * kSixthsPerBeat ||
           (NearQuarter(onset, quarterSixth) && quarterSixth == sixth);
}

int64_t SongBuilder::GridEnd() const
{
    return int64_t(beatCount) * meter.beatTicks;
}

bool SongBuilder::SoundsWith(const Placed& earlier, int64_t onset, int64_t duration) const
{
    // Held past the later onset by more than a legato hair, or a blip beside a note at
    // least twice as long, as an accompaniment note struck a hair early and let go.
    return earlier.end - onset > SlackTicks() || 2 * (earlier.end - earlier.onset) <= duration;
}

std::vector<SongBuilder::Placed> SongBuilder::MelodyLine()
{
    std::vector<const MelodyNote*> notes;
    for (const MelodyNote& n : melody.notes)
        if (n.pitch >= 0 && n.pitch <= 127 && n.duration > 0 && n.onset >= 0)
            notes.push_back(&n);
    OrderHighestFirst(notes, [](const MelodyNote* n) { return n->onset; }, [](const MelodyNote* n) { return n->pitch; });
    std::vector<Placed> line;
    for (size_t i = 0; i < notes.size();) {
        const MelodyNote& top = *notes[i];
        std::string lyric;
        size_t j = i;
        for (; j < notes.size() && notes[j]->onset == top.onset; ++j)
            if (lyric.empty())
                lyric = notes[j]->lyric;
        if (!top.lyric.empty())
            lyric = top.lyric;
        i = j;
        const int64_t onset = top.onset + padTicks;
        // Onsets within the slack of notes that sound together (a chord spread by a hair)
        // contend for one place on the grid, where the earlier would win: a lower note a hair
        // ahead gives way unless it lasts longer; at one pitch the longer stays. The one that
        // yields is left out whole, never left cut short. Notes of a fast run follow each other
        // and keep their own places, or are counted where the grid has none for them.
        bool yields = false;
        while (!line.empty() && onset - line.back().onset <= SlackTicks() && line.back().pitch <= top.pitch &&
               SoundsWith(line.back(), onset, top.duration)) {
            const int64_t earlier = line.back().end - line.back().onset;
            yields = top.pitch > line.back().pitch ? top.duration < earlier : top.duration <= earlier;
            if (yields)
                break;
            if (lyric.empty())
                lyric = line.back().lyric;
            line.pop_back();
        }
        if (yields) {
            ++report.dropped;
            continue;
        }
        if (!line.empty() && line.back().end > onset) {
            // Rounded durations and legato playing let a note outlast its successor by a hair.
            if (line.back().pitch > top.pitch && line.back().end - onset > SlackTicks())
                continue; // a higher note still sounds
            line.back().end = onset;
        }
        line.push_back(Placed{onset, onset + top.duration, top.pitch, lyric});
    }
    return line;
}

void SongBuilder::PlaceNotes(CSongData& song, const std::vector<Placed>& line)
{
    const int64_t L = meter.beatTicks;
    const int64_t gridEnd = GridEnd();
    const int64_t chainLength = int64_t(beatCount) * kQuartersPerBeat;
    assigned.assign(static_cast<size_t>(chainLength), false);

    // Where each note stands: its sixth of a beat, and the chain position its continuation
    // starts from (the own entry's next, or the next cell for entry 2).
    struct Spot {
        int64_t sixth, own, next;
    };
    std::vector<Spot> spots;
    std::vector<const Placed*> kept;
    // A note just before the end may round onto the place past it; it stands on the last one.
    const int64_t lastPlace = int64_t(beatCount) * kSixthsPerBeat - 1;
    int64_t lastSixth = -1;
    for (const Placed& p : line) {
        if (p.onset >= gridEnd)
            break;
        const int64_t sixth = std::min(PlaceOf(p.onset), lastPlace);
        if (sixth <= lastSixth) {
            ++report.dropped;
            continue;
        }
        if (!StandsNear(p.onset, sixth))
            ++report.moved;
        lastSixth = sixth;
        const int64_t beat = sixth / kSixthsPerBeat;
        const int within = static_cast<int>(sixth % kSixthsPerBeat);
        Spot s{sixth, -1, 0};
        if (kChainQuarter[within] >= 0) {
            s.own = beat * kQuartersPerBeat + kChainQuarter[within];
            s.next = s.own + 1;
        } else {
            s.next = beat * kQuartersPerBeat + (within == 2 ? 2 : 4);
        }
        spots.push_back(s);
        kept.push_back(&p);
    }

    for (size_t i = 0; i < kept.size(); ++i) {
        const Placed& p = *kept[i];
        const Spot& s = spots[i];
        const int64_t beat = s.sixth / kSixthsPerBeat;
        const int within = static_cast<int>(s.sixth % kSixthsPerBeat);
        const int cellIndex = static_cast<int>(beat * 2 + within / 3);
        Cell& cell = song.cells[cellIndex];
        const int entry = s.own >= 0 ? static_cast<int>(s.own % 2) : 2;
        cell.entry[entry] = p.pitch;
        ++report.placed;
        SetText(cell, entry, p.lyric);
        if (s.own >= 0)
            assigned[static_cast<size_t>(s.own)] = true;

        // The next note's own entry, or for entry 2 the chain position it continues from.
        const int64_t barrier = i + 1 < kept.size() ? (spots[i + 1].own >= 0 ? spots[i + 1].own : spots[i + 1].next)
                                                    : chainLength;
        const int64_t end = NearestStep(std::min(p.end, gridEnd) * kQuartersPerBeat, L, true);
        for (int64_t q = s.next; q < std::min({end, barrier, chainLength}); ++q) {
            song.cells[q / 2].entry[q % 2] = NoteEntry::kContinuation;
            assigned[static_cast<size_t>(q)] = true;
        }
    }
}

void SongBuilder::FillRests(CSongData& song) const
{
    const int64_t quartersPerMeasure = int64_t(meter.beatsPerMeasure) * kQuartersPerBeat;
    for (size_t q = 0; q < assigned.size(); ++q) {
        if (assigned[q])
            continue;
        const bool runStart = q == 0 || assigned[q - 1] || int64_t(q) % quartersPerMeasure == 0;
        song.cells[q / 2].entry[q % 2] = runStart ? NoteEntry::kRest : NoteEntry::kContinuation;
    }
}

void SongBuilder::PlaceChords(CSongData& song) const
{
    for (int g = 0; g < beatCount; ++g)
        std::memset(&song.chordTable[g], 0, sizeof song.chordTable[g]);
    for (const ChordSymbol& chord : melody.chords) {
        const int root = FindNoteName(std::string(1, chord.root));
        const int64_t at = chord.onset + padTicks;
        if (root < 0 || chord.root == 0 || at < 0 || at >= GridEnd())
            continue;
        const int64_t half = at * 2 / meter.beatTicks;
        const char* sharp = kNoteNames[PitchClass(root + chord.alter)];
        const std::string name = (chord.alter < 0 ? ToFlatName(sharp) : std::string(sharp)) + Utf8ToCp932(chord.suffix);
        const std::string fitted = CutCp932(name, kChordNameSize - 1);
        ChordRecord& record = song.chordTable[half / 2];
        char(&field)[kChordNameSize] = half % 2 ? record.second : record.first;
        std::memset(field, 0, kChordNameSize);
        std::memcpy(field, fitted.data(), fitted.size());
        NormaliseNinthChordName(field);
    }
}

void SongBuilder::SetSummary(CSongData& song, const std::string& fallbackTitle) const
{
    song.SetListTitle(Utf8ToCp932(melody.title.empty() ? fallbackTitle : melody.title));
    song.composer = melody.composer;
    song.lyricist = melody.lyricist;
    song.verses = melody.verses;
    song.versesLeftOut = melody.versesLeftOut;
    song.pickupStart = static_cast<int32_t>(padTicks * kUnitsPerBeat / std::max<int64_t>(meter.beatTicks, 1));
    SetRepeats(song);

    const double quarters =
        melody.tempoQuarterBpm > 0 && std::isfinite(melody.tempoQuarterBpm) ? melody.tempoQuarterBpm : kDefaultQuarterTempo;
    const double bpm = std::round(quarters * kTicksPerQuarter / static_cast<double>(meter.beatTicks));
    // The grid's field holds 40..240; the score's own tempo goes beside it.
    song.SetTempo(SummaryBlock::NearestKeptTempo(bpm));
    if (bpm != song.Tempo())
        song.playedTempo = static_cast<int32_t>(
            std::clamp(bpm, double(SummaryBlock::kMinPlayedTempo), double(SummaryBlock::kMaxPlayedTempo)));
    if (meter.division == 3)
        song.meter = writtenMeter;
    song.SetFameLevel(0);
    if (melody.hasKey)
        song.keyMode = melody.keyMode;
}

// The written measures on the song's timeline: a played measure starts at the sixth of a beat
// nearest its written start, the first at the grid's start (before a pickup's rest), and none
// past the grid's end; a form cut there keeps the measures that start within it.
void SongBuilder::SetRepeats(CSongData& song) const
{
    const RepeatForm& form = melody.repeats;
    if (form.marks.empty() || form.starts.size() != form.order.size() + 1)
        return;
    RepeatForm& kept = song.repeats;
    kept.marks = form.marks;
    kept.cut = form.cut || report.truncated;
    const int64_t end = GridEnd() * kUnitsPerBeat / meter.beatTicks;
    for (size_t k = 0; k < form.order.size(); ++k) {
        const int64_t at = k == 0 ? 0 : NearestStep((form.starts[k] + padTicks) * kUnitsPerBeat, meter.beatTicks, false);
        // A measure without time (bar lines closing nothing at the end) is no cut, nor is one
        // past the grid's end of a melody not cut short: it holds no note of the melody.
        if (at >= end && form.starts[k + 1] > form.starts[k] && kept.cut)
            break;
        kept.order.push_back(form.order[k]);
        kept.starts.push_back(std::min(at, end));
    }
    kept.starts.push_back(
        kept.cut ? end : std::min(end, NearestStep((form.starts.back() + padTicks) * kUnitsPerBeat, meter.beatTicks, false)));
}

void SongBuilder::CountBarsOffGrid()
{
    const int64_t measureTicks = meter.beatsPerMeasure * meter.beatTicks;
    for (const int64_t bar : melody.bars)
        if (const int64_t at = bar + padTicks; at > 0 && at < GridEnd() && at % measureTicks != 0)
            ++report.barsOffGrid;
}

std::unique_ptr<CSongData> SongBuilder::Build(const std::string& fallbackTitle)
{
    report = SongBuildReport{};
    report.skipped = melody.skipped;
    ChooseGrid();
    int32_t measures = measureCount, beats = meter.beatsPerMeasure;
    int32_t key = melody.hasKey ? KeyIndexFor(melody.keyFifths, melody.keyMinor) : 0;
    auto song = std::make_unique<CSongData>(nullptr, measures, beats, key);
    PlaceNotes(*song, MelodyLine());
    CountBarsOffGrid();
    FillRests(*song);
    PlaceChords(*song);
    SetSummary(*song, fallbackTitle);
    return song;
}

std::vector<VoiceNote> SongBuilder::VoiceNotes(const std::vector<MelodyNote>& notes, bool oneLine) const
{
    const int64_t end = int64_t(beatCount) * kUnitsPerBeat;
    std::vector<VoiceNote> out;
    for (const MelodyNote& n : notes) {
        if (n.pitch < 0 || n.pitch > 127 || n.duration <= 0 || n.onset < 0 || n.onset > kMaxBeats * meter.beatTicks)
            continue;
        const int64_t start = PlaceOf(n.onset + padTicks);
        if (start < 0 || start >= end)
            continue;
        const int64_t stop = std::min(PlaceOf(n.onset + n.duration + padTicks), end);
        out.push_back({static_cast<int32_t>(start), n.pitch, static_cast<int32_t>(std::max<int64_t>(stop - start, 1)), false});
    }
    std::sort(out.begin(), out.end(), [](const VoiceNote& a, const VoiceNote& b) {
        return a.time != b.time ? a.time < b.time : a.pitch > b.pitch;
    });
    out.erase(std::unique(out.begin(), out.end(),
                          [&](const VoiceNote& a, const VoiceNote& b) {
                              return a.time == b.time && (oneLine || a.pitch == b.pitch);
                          }),
              out.end());
    if (oneLine)
        for (size_t i = 0; i + 1 < out.size(); ++i)
            out[i].length = std::min(out[i].length, out[i + 1].time - out[i].time);
    if (out.size() > kMaxVoiceNotes)
        out.resize(kMaxVoiceNotes);
    return out;
}
