#include "import/abc/AbcMusicReader.h"

#include "import/abc/AbcLimits.h"
#include "import/abc/AbcText.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string_view>
#include <utility>

namespace {

constexpr int64_t kWholeTicks = 4 * kTicksPerQuarter;
constexpr std::array<int, 7> kSemitones{0, 2, 4, 5, 7, 9, 11}; // C D E F G A B
constexpr int kMaxOctaveMarks = 10;

int LetterIndex(char letter)
{
    static constexpr char kLetters[] = "CDEFGAB";
    const char upper = letter >= 'a' ? static_cast<char>(letter - 'a' + 'A') : letter;
    for (int i = 0; i < 7; ++i)
        if (kLetters[i] == upper)
            return i;
    return 0;
}

// The q of (p when it is not written: three in the time of two, two in the time of three...
int DefaultTupletQ(int p, const AbcMeter& meter)
{
    switch (p) {
    case 2: case 4: case 8: return 3;
    case 3: case 6: return 2;
    default: return !meter.free && meter.numerator % 3 == 0 && meter.numerator > 3 ? 3 : 2;
    }
}

// The decorations that say where to play on; every other one only ornaments a note.
std::optional<AbcMark> MarkOf(std::string_view name)
{
    static constexpr std::pair<std::string_view, AbcMark> kMarks[] = {
        {"segno", AbcMark::Segno},        {"S", AbcMark::Segno},
        {"coda", AbcMark::Coda},          {"O", AbcMark::Coda},
        {"dacoda", AbcMark::ToCoda},      {"tocoda", AbcMark::ToCoda},
        {"D.C.", AbcMark::DaCapo},        {"dacapo", AbcMark::DaCapo},
        {"D.C.alfine", AbcMark::DaCapo},  {"D.C.alcoda", AbcMark::DaCapo},
        {"D.S.", AbcMark::DalSegno},      {"D.S.alfine", AbcMark::DalSegno},
        {"D.S.alcoda", AbcMark::DalSegno}, {"fine", AbcMark::Fine},
        {"H", AbcMark::Fermata},          {"fermata", AbcMark::Fermata},
    };
    for (const auto& [markName, mark] : kMarks)
        if (name == markName)
            return mark;
    return std::nullopt;
}

// What lead sheets write after a chord's root: qualities ("m", "maj", "dim", "+", "sus"),
// extensions and alterations ("7", "b9", "add9", "6/9", "(#11)"). "Fine", "Coda" or "Bass" start
// with a letter a root may be, but go on with text no chord writes.
bool IsChordSuffix(std::string_view text)
{
    static constexpr std::string_view kPieces[] = {
        "maj", "min", "dim", "aug", "sus", "add", "alt", "mi", "ma", "m", "M", "-", "+", "o", "b", "#",
        "(", ")", ",", "\u00B0", "\u00F8", "\u0394", "\u266D", "\u266F"};
    while (!text.empty()) {
        if (text.front() >= '0' && text.front() <= '9') {
            text.remove_prefix(1);
            continue;
        }
        if (text.size() >= 2 && text.front() == '/' && text[1] >= '0' && text[1] <= '9') {
            text.remove_prefix(1); // 6/9
            continue;
        }
        const auto piece = std::find_if(std::begin(kPieces), std::end(kPieces),
                                        [&](std::string_view p) { return text.starts_with(p); });
        if (piece == std::end(kPieces))
            return false;
        text.remove_prefix(piece->size());
    }
    return true;
}

// The accidental after a root or a bass note: +1, -1, or 0 with nothing taken.
int TakeAccidental(std::string_view& text)
{
    for (const auto& [sign, alter] : {std::pair<std::string_view, int>{"#", 1}, {"b", -1}, {"\u266F", 1}, {"\u266D", -1}})
        if (text.starts_with(sign)) {
            text.remove_prefix(sign.size());
            return alter;
        }
    return 0;
}

// "/E", "/Bb" at the end of a chord name.
bool IsBassNote(std::string_view text)
{
    if (text.size() < 2 || text.front() != '/' || text[1] < 'A' || text[1] > 'G')
        return false;
    text.remove_prefix(2);
    TakeAccidental(text);
    return text.empty();
}

// "Am7" -> A, 0, "m7"; "(Bb7)" -> B, -1, "7"; "F#m/C#" -> F, +1, "m/C#". False for annotations:
// a chord name is a root, an accidental, a suffix chords write and a bass note, nothing else.
bool ParseChordSymbol(std::string_view text, ChordSymbol& chord)
{
    text = AbcTrim(text);
    const bool bracketed = !text.empty() && text.front() == '(';
    if (bracketed)
        text.remove_prefix(1);
    text = text.substr(0, std::min(text.find_first_of(" \t"), text.size()));
    if (bracketed && text.ends_with(")"))
        text.remove_suffix(1);
    if (text.empty() || text.front() < 'A' || text.front() > 'G')
        return false;
    chord.root = text.front();
    text.remove_prefix(1);
    chord.alter = TakeAccidental(text);
    const size_t slash = text.rfind('/');
    const bool bass = slash != std::string_view::npos && IsBassNote(text.substr(slash));
    if (!IsChordSuffix(bass ? text.substr(0, slash) : text))
        return false;
    chord.suffix = CutUtf8(AbcTextToUtf8(text), kMaxMelodyTextBytes);
    return true;
}

} // namespace

AbcMusicReader::AbcMusicReader() : maxEvents(kAbcMaxEvents)
{
    barAccidentals.fill(kNoAccidental);
}

void AbcMusicReader::SetMeter(const AbcMeter& m)
{
    meter = m;
    if (m.free)
        return;
    AbcEvent event;
    event.kind = AbcEvent::Kind::Meter;
    event.numerator = m.numerator;
    event.denominator = m.denominator;
    AddEvent(event);
}

void AbcMusicReader::Read(const AbcToken& token)
{
    if (overlay && token.kind != AbcTokenKind::Bar)
        return;
    switch (token.kind) {
    case AbcTokenKind::Note: ReadNote(token); break;
    case AbcTokenKind::Rest:
    case AbcTokenKind::MeasureRest: ReadRest(token); break;
    case AbcTokenKind::ChordStart:
        if (chord.open)
            Skip();
        chord = Chord{};
        chord.open = true;
        break;
    case AbcTokenKind::ChordEnd:
        if (chord.open)
            CloseChord(token.lengthNum, token.lengthDen);
        else
            Skip();
        break;
    case AbcTokenKind::Tie: ReadTie(); break;
    case AbcTokenKind::Broken: ReadBroken(token); break;
    case AbcTokenKind::Tuplet: ReadTuplet(token); break;
    case AbcTokenKind::Bar:
    case AbcTokenKind::Ending: ReadBar(token); break;
    case AbcTokenKind::ChordSymbol: ReadChordSymbol(token); break;
    case AbcTokenKind::Overlay: overlay = true; break;
    case AbcTokenKind::Unknown: Skip(); break;
    case AbcTokenKind::Decoration: ReadDecoration(token); break;
    case AbcTokenKind::Grace:
    case AbcTokenKind::InlineField: break;
    }
}

void AbcMusicReader::EndLine()
{
    if (chord.open) {
        Skip();
        CloseChord(1, 1);
    }
}

void AbcMusicReader::ReadNote(const AbcToken& token)
{
    const int letter = LetterIndex(token.letter);
    const int octave = (token.letter >= 'a' ? 1 : 0) + token.octaveMarks;
    const int pitch = PitchOf(token, letter, octave);
    if (pitch < 0)
        Skip();
    if (chord.open) {
        if (!chord.hasNote)
            chord.lengthNum = token.lengthNum, chord.lengthDen = token.lengthDen;
        chord.hasNote = true;
        if (pitch > chord.highest)
            chord.highest = pitch, chord.highestLetter = letter, chord.highestOctave = octave;
        if (pitch >= 0 && std::find(chord.pitches.begin(), chord.pitches.end(), pitch) == chord.pitches.end())
            chord.pitches.push_back(pitch);
        return;
    }
    AbcEvent event;
    event.kind = AbcEvent::Kind::Note;
    event.pitch = pitch < 0 ? MelodyNote::kRest : pitch;
    event.duration = Ticks(token.lengthNum, token.lengthDen);
    AddTimed(std::move(event), letter, octave);
}

void AbcMusicReader::ReadRest(const AbcToken& token)
{
    if (chord.open)
        return Skip();
    AbcEvent event;
    event.kind = AbcEvent::Kind::Rest;
    if (token.kind == AbcTokenKind::MeasureRest) {
        const int64_t measure = meter.free ? kWholeTicks : kWholeTicks * meter.numerator / meter.denominator;
        const bool readable = token.lengthNum >= 1 && measure * token.lengthNum <= kWholeTicks * kAbcMaxNoteWholes;
        event.duration = readable ? measure * token.lengthNum : 0;
        if (event.duration == 0 || !AddEvent(event))
            return Skip();
        lastTimed = static_cast<int>(tune.events.size()) - 1;
        return;
    }
    event.duration = Ticks(token.lengthNum, token.lengthDen);
    AddTimed(std::move(event), 0, 0);
}

void AbcMusicReader::CloseChord(int lengthNum, int lengthDen)
{
    chord.open = false;
    if (!chord.hasNote)
        return Skip();
    AbcEvent event;
    event.kind = AbcEvent::Kind::Note;
    event.pitch = chord.highest < 0 ? MelodyNote::kRest : chord.highest;
    event.duration = Ticks(int64_t(chord.lengthNum) * lengthNum, int64_t(chord.lengthDen) * lengthDen);
    event.tieAfter = chord.tie;
    std::sort(chord.pitches.begin(), chord.pitches.end(), std::greater<int>());
    if (!chord.pitches.empty())
        event.under.assign(chord.pitches.begin() + 1, chord.pitches.end());
    AddTimed(std::move(event), chord.highestLetter, chord.highestOctave);
    if (chord.tie && chord.highest >= 0)
        tiePending = true, tiedLetter = chord.highestLetter, tiedOctave = chord.highestOctave, tiedPitch = chord.highest;
}

// Applies the tuplet and a pending broken rhythm, then writes the note or rest.
void AbcMusicReader::AddTimed(AbcEvent event, int letter, int octave)
{
    if (tupletLeft > 0 && --tupletLeft == 0)
        tupletP = tupletQ = 1;
    event.duration = event.duration * brokenNum / brokenDen;
    brokenNum = brokenDen = 1;
    if (event.kind == AbcEvent::Kind::Note)
        tiePending = false;
    if (event.duration <= 0)
        return Skip();
    const bool note = event.kind == AbcEvent::Kind::Note;
    if (!AddEvent(std::move(event)))
        return Skip();
    lastTimed = static_cast<int>(tune.events.size()) - 1;
    lastLetter = letter, lastOctave = octave;
    if (note)
        lyricSlots.push_back(AbcLyricSlot{tune.events.size() - 1, bar});
}

bool AbcMusicReader::AddEvent(AbcEvent event)
{
    if (tune.events.size() >= maxEvents)
        return false;
    tune.events.push_back(std::move(event));
    return true;
}

int AbcMusicReader::PitchOf(const AbcToken& token, int letter, int octave)
{
    if (std::abs(octave) > kMaxOctaveMarks)
        return -1;
    const int slot = letter * kOctaveSlots + (propagation == Propagation::Octave ? octave + kMaxOctaveMarks : 0);
    int accidental = keyAccidentals[letter];
    if (token.accidental != AbcToken::kNoAccidental) {
        accidental = token.accidental;
        if (propagation != Propagation::Note)
            barAccidentals[slot] = accidental;
    } else if (tiePending && letter == tiedLetter && octave == tiedOctave) {
        return tiedPitch; // a tied note keeps its accidental across the bar line
    } else if (barAccidentals[slot] != kNoAccidental) {
        accidental = barAccidentals[slot];
    }
    const int pitch = 60 + 12 * octave + kSemitones[letter] + accidental + shift;
    return pitch >= 0 && pitch <= 127 ? pitch : -1;
}

int64_t AbcMusicReader::Ticks(int64_t num, int64_t den) const
{
    constexpr int64_t kMaxTerm = int64_t(kAbcMaxLengthTerm) * kAbcMaxLengthTerm;
    if (num < 1 || den < 1 || num > kMaxTerm || den > kMaxTerm)
        return 0;
    const int64_t n = kWholeTicks * unit.num * num * tupletQ;
    const int64_t d = int64_t(unit.den) * den * tupletP;
    const int64_t ticks = (n + d / 2) / d;
    return ticks <= kWholeTicks * kAbcMaxNoteWholes ? ticks : 0;
}

void AbcMusicReader::ReadTie()
{
    if (chord.open) {
        chord.tie = true;
        return;
    }
    if (lastTimed < 0 || static_cast<size_t>(lastTimed) + 1 != tune.events.size())
        return;
    AbcEvent& last = tune.events[lastTimed];
    if (last.kind != AbcEvent::Kind::Note || last.pitch == MelodyNote::kRest)
        return;
    last.tieAfter = true;
    tiePending = true, tiedLetter = lastLetter, tiedOctave = lastOctave, tiedPitch = last.pitch;
}

// A>B: the first longer by half, the second shorter by as much; >> and >>> by 3/4 and 7/8.
void AbcMusicReader::ReadBroken(const AbcToken& token)
{
    // One mark between two notes; a second one before the next note would shorten the same
    // note again.
    const bool pending = brokenDen != 1;
    if (token.count > kAbcMaxBrokenRhythm || lastTimed < 0 || chord.open || pending)
        return Skip();
    const int half = 1 << token.count;
    const int longer = 2 * half - 1, shorter = 1;
    AbcEvent& previous = tune.events[lastTimed];
    const bool firstLonger = token.direction == '>';
    const int64_t changed = previous.duration * (firstLonger ? longer : shorter) / half;
    if (changed <= 0)
        return Skip();
    previous.duration = changed;
    brokenNum = firstLonger ? shorter : longer;
    brokenDen = half;
}

void AbcMusicReader::ReadTuplet(const AbcToken& token)
{
    const int p = token.p;
    const int q = token.q > 0 ? token.q : DefaultTupletQ(p, meter);
    const int r = token.r > 0 ? token.r : p;
    if (p < 2 || p > kAbcMaxTupletTerm || q > kAbcMaxTupletTerm || r > kAbcMaxTupletNotes)
        return Skip();
    tupletP = p, tupletQ = q, tupletLeft = r;
}

void AbcMusicReader::ReadBar(const AbcToken& token)
{
    overlay = false;
    AbcEvent event;
    event.kind = AbcEvent::Kind::Bar;
    event.endings = token.endings;
    if (token.kind == AbcTokenKind::Bar) {
        event.measureLine = !token.dotted;
        event.repeatEnds = token.repeatEnds;
        event.repeatStart = token.repeatStarts > 0;
        event.thick = token.thick;
        barAccidentals.fill(kNoAccidental);
        bar += token.dotted ? 0 : 1;
    }
    if (!AddEvent(std::move(event)))
        Skip();
}

// A mark already among the marks just written says nothing new: a run of marks costs at most
// one event of each kind, however long it is.
void AbcMusicReader::ReadDecoration(const AbcToken& token)
{
    const std::optional<AbcMark> mark = MarkOf(token.text);
    if (!mark)
        return;
    for (auto e = tune.events.rbegin(); e != tune.events.rend() && e->kind == AbcEvent::Kind::Mark; ++e)
        if (e->mark == *mark)
            return;
    AbcEvent event;
    event.kind = AbcEvent::Kind::Mark;
    event.mark = *mark;
    if (!AddEvent(std::move(event)))
        Skip();
}

void AbcMusicReader::ReadChordSymbol(const AbcToken& token)
{
    ChordSymbol symbol;
    if (!ParseChordSymbol(token.text, symbol))
        return; // an annotation
    AbcEvent event;
    event.kind = AbcEvent::Kind::Chord;
    event.chordIndex = static_cast<int>(tune.chords.size());
    if (AddEvent(std::move(event)))
        tune.chords.push_back(std::move(symbol));
}
