#include "import/abc/AbcPlayout.h"

#include "import/abc/AbcLimits.h"

namespace {

bool IsRepeatStart(const AbcEvent& e)
{
    return e.kind == AbcEvent::Kind::Bar && e.repeatStart;
}

} // namespace

void AbcPlayout::Play(Melody& out)
{
    const std::vector<AbcEvent>& events = tune.events;
    jumpsTaken.assign(events.size(), 0);
    // Endings written from each event up to the next start of a repeat.
    endingsAhead.assign(events.size() + 1, 0);
    for (size_t i = events.size(); i-- > 0;)
        endingsAhead[i] = events[i].endings | (i + 1 < events.size() && IsRepeatStart(events[i + 1]) ? 0 : endingsAhead[i + 1]);

    int played = 0, chordsPlayed = 0;
    for (size_t i = 0; i < events.size();) {
        const AbcEvent& event = events[i];
        if (event.kind == AbcEvent::Kind::Bar) {
            if (event.measureLine && !skipping)
                NotePickup(out);
            i = AtBar(i);
            continue;
        }
        if (!skipping) {
            const bool timed = event.kind == AbcEvent::Kind::Note || event.kind == AbcEvent::Kind::Rest;
            if (timed && ++played > kAbcMaxPlayedNotes) {
                ++out.skipped;
                break;
            }
            if (event.kind == AbcEvent::Kind::Chord && ++chordsPlayed > kAbcMaxPlayedNotes) {
                ++out.skipped;
                ++i;
                continue;
            }
            PlayEvent(event, out);
        }
        ++i;
    }
}

// Takes a bar line as a player does; returns the event to go on with.
size_t AbcPlayout::AtBar(size_t i)
{
    const AbcEvent& bar = tune.events[i];
    const uint32_t passBit = 1u << pass; // pass never exceeds kAbcMaxEndingNumber
    if (skipping) { // passing over an ending for another time; its repeat marks are its own
        if (bar.endings)
            skipping = (bar.endings & passBit) == 0;
        else if (bar.repeatStart || bar.thick) {
            skipping = false;
            StartSection(i);
        }
        return i + 1;
    }
    if (bar.repeatEnds > 0) {
        // Inside endings, go back while an ending waits for the next time through.
        const bool back = pass < kAbcMaxEndingNumber &&
                          (inEnding ? (endingsAhead[sectionStart] & (1u << (pass + 1))) != 0 : jumpsTaken[i] == 0);
        if (back) {
            ++jumpsTaken[i];
            ++pass;
            inEnding = false;
            return sectionStart;
        }
        if (!bar.endings)
            StartSection(i);
    }
    if (bar.endings) {
        inEnding = true;
        skipping = (bar.endings & passBit) == 0;
    }
    if (bar.repeatStart || (bar.thick && inEnding && !bar.endings))
        StartSection(i);
    return i + 1;
}

void AbcPlayout::StartSection(size_t bar)
{
    sectionStart = bar + 1;
    pass = 1;
    inEnding = false;
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
        break;
    }
}

// A note tied to the one before it at the same pitch lengthens that one.
void AbcPlayout::PlayNote(const AbcEvent& event, Melody& out)
{
    MelodyNote note{now, event.duration, event.pitch, event.pitch == MelodyNote::kRest ? std::string() : event.lyric};
    const bool tieGoesOn = event.tieAfter && event.pitch != MelodyNote::kRest;
    if (!ties.Continue(out.notes, note, lastTied, tieGoesOn)) {
        out.notes.push_back(std::move(note));
        ties.Added(out.notes.size() - 1, event.pitch, tieGoesOn);
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
