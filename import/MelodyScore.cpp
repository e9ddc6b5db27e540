#include "import/MelodyScore.h"

#include "import/SongBuilder.h"
#include "song/ChordNaming.h"
#include "song/SummaryBlock.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

struct Sheet {
    SheetMeter meter;
    int64_t pad = 0;     // ticks before the melody's first: the pickup's missing beats
    int64_t end = 0;     // ticks of the sheet
};

bool Sounds(const MelodyNote& n)
{
    return n.pitch >= 0 && n.pitch <= 127 && n.duration > 0 && n.onset >= 0;
}

Sheet ChooseSheet(const Melody& melody, const std::vector<ChosenVoice>& voices, ScoreBuildReport& report)
{
    Sheet sheet;
    const MeterChange first = melody.meters.empty() ? MeterChange{} : melody.meters.front();
    const SongMeter m = SongBuilder::MeterFor(first.numerator, first.denominator);
    sheet.meter = SheetMeter{m.beatsPerMeasure, m.beatTicks, m.division, std::nullopt};
    if (m.division == 3)
        sheet.meter.written = MeterBeats{first.numerator, first.denominator};
    const int64_t measure = sheet.meter.MeasureTicks();
    sheet.pad = (measure - std::max<int64_t>(melody.pickupTicks, 0) % measure) % measure;

    int64_t end = 0, lastPitched = -1;
    const auto reach = [&](const MelodyNote& n) {
        if (n.duration <= 0 || n.onset < 0)
            return;
        end = std::max(end, n.onset + n.duration + sheet.pad);
        if (n.pitch >= 0)
            lastPitched = std::max(lastPitched, n.onset + sheet.pad);
    };
    std::for_each(melody.notes.begin(), melody.notes.end(), reach);
    for (const ChosenVoice& v : voices)
        if (v.notes)
            std::for_each(v.notes->begin(), v.notes->end(), reach);
    int64_t measures = (end + measure - 1) / measure;
    // A measure overfull by a converter's tick or a rounded rest holds nothing to draw.
    const int64_t whole = end / measure * measure;
    if (end > whole && end - whole < m.beatTicks / 6 && lastPitched < whole)
        measures = end / measure;
    const int64_t most = std::max(1, kMaxSheetBeats / std::max(m.beatsPerMeasure, 1));
    report.cut = measures > most;
    sheet.end = std::clamp<int64_t>(measures, 1, most) * measure;
    return sheet;
}

// The notes of one voice as events: those that start together and last alike one chord, a
// pitch held twice at one time once.
std::vector<ScoreEvent> EventsOf(const std::vector<MelodyNote>& notes, const Sheet& sheet, ScoreBuildReport& report)
{
    std::vector<const MelodyNote*> sounding;
    for (const MelodyNote& n : notes)
        if (Sounds(n) && n.onset + sheet.pad < sheet.end)
            sounding.push_back(&n);
    std::stable_sort(sounding.begin(), sounding.end(), [](const MelodyNote* a, const MelodyNote* b) {
        return std::tie(a->onset, a->duration, a->pitch) < std::tie(b->onset, b->duration, b->pitch);
    });
    std::vector<ScoreEvent> events;
    for (size_t i = 0; i < sounding.size(); ++i) {
        const MelodyNote& n = *sounding[i];
        const bool sameTime = !events.empty() && events.back().onset == n.onset + sheet.pad;
        if (sameTime && std::find(events.back().pitches.begin(), events.back().pitches.end(), n.pitch) !=
                            events.back().pitches.end()) {
            ++report.dropped; // the string is plucked once
            continue;
        }
        if (!sameTime || events.back().length != n.duration)
            events.push_back({n.onset + sheet.pad, n.duration, {}, {}, false, std::nullopt});
        ScoreEvent& e = events.back();
        e.pitches.push_back(n.pitch);
        if (e.lyric.empty())
            e.lyric = n.lyric;
    }
    return events;
}

// As the song file names chords: the root spelt as written (Cb is B), the suffix, ninths as "add9".
std::string ChordName(const ChordSymbol& chord)
{
    const int root = FindNoteName(std::string(1, chord.root));
    const char* sharp = kNoteNames[PitchClass(root + chord.alter)];
    std::string name = (chord.alter < 0 ? ToFlatName(sharp) : std::string(sharp)) + chord.suffix;
    const size_t keep = name.size() > 1 && name[1] == '9' ? 1 : name.size() > 2 && name[1] != 0 && name[2] == '9' ? 2 : 0;
    if (keep > 0)
        name = name.substr(0, keep) + "add9";
    return name;
}

void AddRepeats(const Melody& melody, const Sheet& sheet, const ScoreBuildReport& report, Score& score)
{
    const RepeatForm& form = melody.repeats;
    if (form.marks.empty() || form.starts.size() != form.order.size() + 1)
        return;
    RepeatForm& kept = score.repeats;
    kept.marks = form.marks;
    kept.cut = form.cut || report.cut;
    for (size_t k = 0; k < form.order.size(); ++k) {
        const int64_t at = k == 0 ? 0 : form.starts[k] + sheet.pad;
        // A measure past the end of a tune cut short is left out with what follows it.
        if (at >= sheet.end && form.starts[k + 1] > form.starts[k] && kept.cut)
            break;
        kept.order.push_back(form.order[k]);
        kept.starts.push_back(std::min(at, sheet.end));
    }
    kept.starts.push_back(kept.cut ? sheet.end : std::min(sheet.end, form.starts.back() + sheet.pad));
}

} // namespace

Score ScoreOfMelody(const Melody& melody, const std::string& fallbackTitle, const std::vector<ChosenVoice>& voices,
                    ScoreBuildReport& report)
{
    report = ScoreBuildReport{};
    const Sheet sheet = ChooseSheet(melody, voices, report);
    Score score;
    score.title = melody.title.empty() ? fallbackTitle : melody.title;
    score.composer = melody.composer;
    score.lyricist = melody.lyricist;
    score.verses = melody.verses;
    score.versesLeftOut = melody.versesLeftOut;
    score.meter = sheet.meter;
    score.measureCount = static_cast<int>(sheet.end / sheet.meter.MeasureTicks());
    score.pickupTicks = sheet.pad;
    if (melody.hasKey) {
        score.keyIndex = SongBuilder::KeyIndexFor(melody.keyFifths, melody.keyMinor);
        score.keyMode = melody.keyMode;
    }
    const double quarters = melody.tempoQuarterBpm > 0 && std::isfinite(melody.tempoQuarterBpm)
                                ? melody.tempoQuarterBpm
                                : SongBuilder::kDefaultQuarterTempo;
    const double bpm = std::round(quarters * kTicksPerQuarter / static_cast<double>(sheet.meter.beatTicks));
    score.tempos.push_back(
        {0, std::clamp(bpm, double(SummaryBlock::kMinPlayedTempo), double(SummaryBlock::kMaxPlayedTempo))});

    ScoreVoice& tune = score.voices.emplace_back();
    if (melody.melodyVoice >= 0 && static_cast<size_t>(melody.melodyVoice) < melody.voices.size())
        tune.name = melody.voices[static_cast<size_t>(melody.melodyVoice)].name;
    tune.events = EventsOf(melody.notes, sheet, report);
    for (const ScoreEvent& e : tune.events)
        report.placed += static_cast<int>(e.pitches.size());
    for (const ChosenVoice& chosen : voices) {
        if (!chosen.notes)
            continue;
        ScoreBuildReport own;
        ScoreVoice& voice = score.voices.emplace_back();
        voice.role = chosen.role;
        voice.name = chosen.name;
        voice.candidate = chosen.candidate;
        voice.events = EventsOf(*chosen.notes, sheet, own);
        report.dropped += own.dropped;
    }
    for (const ChordSymbol& chord : melody.chords) {
        const int64_t at = chord.onset + sheet.pad;
        if (FindNoteName(std::string(1, chord.root)) < 0 || chord.root == 0 || at < 0 || at >= sheet.end)
            continue;
        score.chords.push_back({at, ChordName(chord)});
    }
    std::stable_sort(score.chords.begin(), score.chords.end(),
                     [](const ScoreChordName& a, const ScoreChordName& b) { return a.onset < b.onset; });
    // A later symbol at the same time replaces an earlier one.
    for (size_t i = score.chords.size(); i-- > 1;)
        if (score.chords[i - 1].onset == score.chords[i].onset)
            score.chords.erase(score.chords.begin() + static_cast<std::ptrdiff_t>(i - 1));
    AddRepeats(melody, sheet, report, score);
    return score;
}
