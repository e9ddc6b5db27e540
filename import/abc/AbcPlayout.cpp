#include "import/abc/AbcPlayout.h"

#include "import/abc/AbcLimits.h"
#include "import/VoiceCandidates.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {

// ABC names no marks, so one segno and one coda serve every jump.
constexpr const char* kSegno = "segno";
constexpr const char* kCoda = "coda";

using MarkSet = uint8_t;

MarkSet Bit(AbcMark mark)
{
    return static_cast<MarkSet>(1u << static_cast<int>(mark));
}

void SetMarks(MeasureMarks& m, MarkSet marks)
{
    if (marks & Bit(AbcMark::Segno))
        m.segno = kSegno;
    if (marks & Bit(AbcMark::Coda))
        m.coda = kCoda;
    if (marks & Bit(AbcMark::ToCoda))
        m.toCoda = kCoda;
    if (marks & Bit(AbcMark::DalSegno))
        m.dalSegno = kSegno;
    m.daCapo |= (marks & Bit(AbcMark::DaCapo)) != 0;
    m.fine |= (marks & Bit(AbcMark::Fine)) != 0;
}

// An ending runs on to a repeat sign, but a later ending whose run ends in one with no
// ending after it is a bar long: the measures after it are a section repeated on its own,
// as in "|2 A4 | a2 e2 | cB A2 :|". A first ending keeps its run up to its repeat.
void CloseLaterEndingsBeforeTheirSection(std::vector<MeasureMarks>& marks)
{
    for (size_t s = 0; s < marks.size(); ++s) {
        if (!marks[s].endingStart || std::find(marks[s].ending.begin(), marks[s].ending.end(), 1) != marks[s].ending.end())
            continue;
        size_t e = s;
        while (e + 1 < marks.size() && !marks[e + 1].endingStart && !marks[e + 1].ending.empty())
            ++e;
        const bool endingFollows = e + 1 < marks.size() && marks[e + 1].endingStart;
        if (e > s && marks[e].backwardRepeat > 0 && !endingFollows)
            for (size_t k = s + 1; k <= e; ++k)
                marks[k].ending.clear();
        s = e;
    }
}

} // namespace

AbcMeasures CutIntoMeasures(const std::vector<AbcEvent>& events)
{
    AbcMeasures out;
    const size_t bars = static_cast<size_t>(
        std::count_if(events.begin(), events.end(), [](const AbcEvent& e) { return e.kind == AbcEvent::Kind::Bar; }));
    out.marks.reserve(bars + 1);
    out.measures.reserve(bars + 1);
    // What the bar lines before the measure being gathered open.
    bool forward = false, endsEnding = false;
    uint32_t endings = 0;
    size_t first = 0;
    bool timed = false;
    // A segno or coda stands before the note it marks, across bar lines. A jump or fine
    // belongs to the measure it is written in; one after a bar line with no note before the
    // next closes the measure before it, as in "c2 |!D.C.!|]".
    MarkSet here = 0, beforeNote = 0, closing = 0;
    auto close = [&](size_t end) {
        MeasureMarks m;
        SetMarks(m, std::exchange(here, 0));
        m.forwardRepeat = forward;
        if (endings) {
            m.endingStart = true;
            for (int n = 1; n < 32; ++n)
                if (endings >> n & 1)
                    m.ending.push_back(n);
        } else if (!endsEnding && !out.marks.empty()) {
            m.ending = out.marks.back().ending; // an ending runs on to a repeat sign or thick bar
        }
        out.marks.push_back(std::move(m));
        out.measures.push_back(AbcMeasure{first, end, false});
    };
    for (size_t i = 0; i < events.size(); ++i) {
        const AbcEvent& e = events[i];
        if (e.kind == AbcEvent::Kind::Mark) {
            AbcMark mark = e.mark;
            if (mark == AbcMark::Fermata) {
                const bool beforeThickBar = i + 1 < events.size() && events[i + 1].kind == AbcEvent::Kind::Bar &&
                                            events[i + 1].thick;
                if (!beforeThickBar)
                    continue; // a fermata over a note says nothing of the way through
                mark = AbcMark::Fine;
            }
            const bool waits = mark == AbcMark::Segno || mark == AbcMark::Coda;
            (waits ? beforeNote : timed ? here : closing) |= Bit(mark);
            continue;
        }
        if (e.kind != AbcEvent::Kind::Bar) {
            if (e.kind == AbcEvent::Kind::Note || e.kind == AbcEvent::Kind::Rest) {
                timed = true;
                here |= std::exchange(beforeNote, 0) | std::exchange(closing, 0);
            }
            continue;
        }
        if (timed) {
            close(i);
            first = i + 1;
            timed = false;
            forward = endsEnding = false;
            endings = 0;
        }
        // What the line closes belongs to the measure before it; before the first measure
        // there is nothing for a jump to close.
        if (!out.marks.empty()) {
            SetMarks(out.marks.back(), closing);
            if (e.repeatEnds > 0)
                out.marks.back().backwardRepeat = 2; // ABC repeats once, whatever the colons
            out.measures.back().closedByMeasureLine |= e.measureLine;
        }
        closing = 0;
        forward |= e.repeatStart;
        endings |= e.endings;
        endsEnding |= e.repeatEnds > 0 || e.repeatStart || e.thick;
    }
    if (!out.marks.empty())
        SetMarks(out.marks.back(), closing);
    // Bar lines after the last note close nothing: no empty measure of their own at the end.
    if (timed || (out.marks.empty() && first < events.size()))
        close(events.size());
    CloseLaterEndingsBeforeTheirSection(out.marks);
    return out;
}

void AbcPlayout::Play(Melody& out)
{
    const AbcMeasures cut = CutIntoMeasures(tune.events);
    int played = 0, chordsPlayed = 0;
    out.repeats.marks = cut.marks;
    const std::vector<int> order = PlayOrder(cut.marks);
    // Each played measure's start, and where the playing stopped.
    const auto markStart = [&] { out.repeats.starts.push_back(now); };
    std::vector<int> passes(cut.measures.size(), 0);
    for (int index : order) {
        const AbcMeasure& measure = cut.measures[index];
        out.repeats.order.push_back(index);
        if (static_cast<size_t>(index) < passes.size())
            pass = passes[static_cast<size_t>(index)]++;
        markStart();
        for (size_t i = measure.first; i < measure.end; ++i) {
            const AbcEvent& event = tune.events[i];
            const bool timed = event.kind == AbcEvent::Kind::Note || event.kind == AbcEvent::Kind::Rest;
            if (timed && ++played > kAbcMaxPlayedNotes) {
                ++out.skipped;
                markStart();
                out.repeats.cut = true;
                return;
            }
            if (event.kind == AbcEvent::Kind::Chord && ++chordsPlayed > kAbcMaxPlayedNotes) {
                ++out.skipped;
                continue;
            }
            PlayEvent(event, out);
        }
        if (measure.closedByMeasureLine)
            NotePickup(out);
    }
    markStart();
}

void AbcPlayout::PlayEvent(const AbcEvent& event, Melody& out)
{
    switch (event.kind) {
    case AbcEvent::Kind::Note:
        PlayNote(event, out);
        break;
    case AbcEvent::Kind::Rest:
        out.notes.push_back(MelodyNote{now, event.duration, MelodyNote::kRest, {}});
        now += event.duration;
        lastTied = false;
        break;
    case AbcEvent::Kind::Meter:
        meterNumerator = event.numerator;
        meterDenominator = event.denominator;
        if (!out.meters.empty() && out.meters.back().onset == now)
            out.meters.pop_back();
        if (out.meters.empty() || out.meters.back().numerator != event.numerator ||
            out.meters.back().denominator != event.denominator)
            out.meters.push_back(MeterChange{now, event.numerator, event.denominator});
        break;
    case AbcEvent::Kind::Chord: {
        ChordSymbol chord = tune.chords[event.chordIndex];
        chord.onset = now;
        out.chords.push_back(std::move(chord));
        break;
    }
    case AbcEvent::Kind::Bar:
    case AbcEvent::Kind::Mark:
        break;
    }
}

// The syllable a pass sings: its own verse where the note's w: block has one, else the first.
std::string AbcPlayout::LyricOf(const AbcEvent& event) const
{
    const int verse = pass + 1;
    if (verse <= 1 || verse > event.lyricVerses)
        return event.lyric;
    for (const auto& [number, text] : event.laterLyrics)
        if (number == verse)
            return text;
    return {};
}

// A note tied to the one before it at the same pitch lengthens that one.
void AbcPlayout::PlayNote(const AbcEvent& event, Melody& out)
{
    MelodyNote note{now, event.duration, event.pitch, event.pitch == MelodyNote::kRest ? std::string() : LyricOf(event)};
    const bool tieGoesOn = event.tieAfter && event.pitch != MelodyNote::kRest;
    if (!ties.Continue(out.notes, note, lastTied, tieGoesOn)) {
        out.notes.push_back(std::move(note));
        ties.Added(out.notes.size() - 1, event.pitch, tieGoesOn);
    }
    // A tie after a chord ties each of its pitches.
    if (event.pitch != MelodyNote::kRest)
        for (int pitch : event.under) {
            const MelodyNote under{now, event.duration, pitch, {}};
            if (ties.Continue(out.notes, under, lastTied, tieGoesOn) || out.notes.size() >= kMaxCandidateNotes)
                continue;
            out.notes.push_back(under);
            ties.Added(out.notes.size() - 1, pitch, tieGoesOn);
        }
    now += event.duration;
    lastTied = tieGoesOn;
}

// The first bar line after some music: a first measure shorter than its meter is a pickup.
void AbcPlayout::NotePickup(Melody& out)
{
    if (pickupDecided || now == 0)
        return;
    pickupDecided = true;
    const int64_t measure = 4 * kTicksPerQuarter * meterNumerator / meterDenominator;
    if (now < measure)
        out.pickupTicks = now;
}
