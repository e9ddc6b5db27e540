// Several voices on one score: how they are placed beside the melody, fitted to the strings,
// made from chord names and chosen at import.

#include "tests/SongAsScore.h"
#include "import/ScoreImport.h"
#include "render/FittedScore.h"
#include "render/PlayerGeometry.h"
#include "render/ScoreGeometry.h"
#include "song/CSongData.h"
#include "score/ChordAccompaniment.h"
#include "score/SongScore.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

namespace {

// A chromatic harp of `count` strings from `lowest`, its picture tall enough to keep every
// note of a few measures apart.
ScoreFrame Chromatic(int lowest, int count, int totalLength)
{
    ScoreFrame frame;
    frame.width = (count + 1) * 20;
    frame.height = 40 * totalLength;
    frame.stringSpacing = 20;
    frame.stringCount = count;
    for (int i = 0; i < count; ++i)
        frame.stringPitches[static_cast<size_t>(i)] = lowest + i;
    frame.totalLength = totalLength;
    return frame;
}

ScoreLayout TwoVoices()
{
    ScoreLayout layout;
    layout.totalLength = 24;
    layout.notes = {{0, 72, 6}, {6, 74, 6}, {12, 76, 6}, {18, 77, 6}};
    layout.words.resize(layout.notes.size());
    // The second voice a third under, meeting the melody's string at time 12; the
    // accompaniment under both at the measure's two halves.
    layout.voices.push_back({VoiceRole::kSecond, "alto", {{0, 69, 6}, {6, 71, 6}, {12, 76, 6}, {18, 74, 6}}});
    layout.voices.push_back({VoiceRole::kAccompaniment, "bass", {{0, 60, 12}, {0, 67, 12}, {12, 55, 12}}});
    return layout;
}

ScoreGeometry Placed(const ScoreFrame& frame, const ScoreLayout& layout)
{
    ScoreGeometry g = ComputeScoreGeometry(frame, layout.notes);
    AddVoices(g, frame, layout);
    return g;
}

ImportOutcome ImportAbc(const std::string& text, const ImportRequest& request = {})
{
    return ImportScoreBytes(ScoreFormat::Abc, std::vector<uint8_t>(text.begin(), text.end()), "tune.abc", request);
}

const char* const kChordTune = "X:1\nT:Chords\nM:4/4\nL:1/8\nK:G\n"
                               "\"G\"G2 B2 d2 B2|\"C\"c2 e2 \"D7\"d2 c2|\"G\"B2 G2 \"Em\"E2 G2|\"D\"F2 A2 \"G\"G4|]\n";

} // namespace

// The melody keeps its place and its one solid line; the second voice has its own dotted
// line, the accompaniment none; a note two voices pluck on one string is one circle.
TEST(VoicesTest, EachVoiceHasItsLineKindAndSharedPlucksAreOneCircle)
{
    const ScoreFrame frame = Chromatic(48, 37, 24);
    const ScoreLayout layout = TwoVoices();
    const ScoreGeometry melodyOnly = ComputeScoreGeometry(frame, layout.notes);
    const ScoreGeometry g = Placed(frame, layout);

    ASSERT_GE(g.notes.size(), melodyOnly.notes.size());
    for (size_t i = 0; i < melodyOnly.notes.size(); ++i) {
        EXPECT_EQ(g.notes[i].x, melodyOnly.notes[i].x);
        EXPECT_EQ(g.notes[i].y, melodyOnly.notes[i].y);
        EXPECT_EQ(g.notes[i].source, static_cast<int>(i));
    }
    // 4 melody notes, 3 of the second voice (its E5 is the melody's), 3 of the accompaniment.
    EXPECT_EQ(g.notes.size(), 10u);
    const auto shared = std::count_if(g.notes.begin(), g.notes.end(), [](const PlacedNote& n) { return n.shared; });
    EXPECT_EQ(shared, 1);
    EXPECT_TRUE(g.notes[2].shared) << "the melody's E5 at time 12";
    // Each note's circle is recorded with it: its own on its string at its time, or the shared one.
    EXPECT_EQ(g.CircleOf(0, 2), 2) << "the second voice's E5 is drawn by the melody's circle";
    for (size_t v = 0; v < layout.voices.size(); ++v)
        for (size_t k = 0; k < layout.voices[v].notes.size(); ++k) {
            const ScoreNote& n = layout.voices[v].notes[k];
            const int circle = g.CircleOf(static_cast<int>(v), k);
            ASSERT_GE(circle, 0);
            EXPECT_EQ(g.notes[size_t(circle)].x, g.stringX[size_t(StringOf(frame, n.pitch))]);
            EXPECT_EQ(g.notes[size_t(circle)].y, TimeToY(frame.height, frame.totalLength, n.time));
        }
    EXPECT_EQ(g.CircleOf(-1, 3), 3);
    EXPECT_EQ(g.CircleOf(5, 0), -1);

    const auto solid = std::count_if(g.flows.begin(), g.flows.end(), [](const FlowLine& f) { return f.kind == FlowKind::kSolid; });
    const auto dotted = std::count_if(g.flows.begin(), g.flows.end(), [](const FlowLine& f) { return f.kind == FlowKind::kDotted; });
    EXPECT_EQ(solid, 3) << "the melody's line alone";
    EXPECT_EQ(dotted, 3) << "the second voice's, through the shared circle";
    for (const FlowLine& f : g.flows) {
        if (f.kind == FlowKind::kDotted)
            EXPECT_NE(g.RoleOf(g.notes[f.to]), VoiceRole::kAccompaniment);
    }

    // Synch lines: melody and second voice at 0, 6 and 18 (12 shares its circle), melody and
    // accompaniment at 0 and 12: one line each, never two at one onset of one pair.
    EXPECT_EQ(g.synchs.size(), 5u);
    for (const SynchLine& s : g.synchs) {
        EXPECT_EQ(g.notes[s.from].y, g.notes[s.to].y) << "they start together";
        EXPECT_NE(g.notes[s.from].x, g.notes[s.to].x);
    }
}

// Cutting a range keeps each voice's notes within it; the written score maps them as it maps
// the melody's.
TEST(VoicesTest, ARangeCutsEveryVoice)
{
    ScoreLayout layout = TwoVoices();
    layout.measures = {{0, 1}, {12, 2}};
    const ScoreLayout second = PartOfLayout(layout, 1, 2, 12, 24, true);
    ASSERT_EQ(second.voices.size(), 2u);
    EXPECT_EQ(second.voices[0].notes, (std::vector<ScoreNote>{{0, 76, 6}, {6, 74, 6}}));
    EXPECT_EQ(second.voices[1].notes, (std::vector<ScoreNote>{{0, 55, 12}}));
    EXPECT_EQ(second.voices[1].role, VoiceRole::kAccompaniment);
}

// An accompaniment note without a string moves by octaves, down first, a fifth the harp lacks
// is left out, and what no octave reaches counts as missing for its voice only.
TEST(VoicesTest, TheAccompanimentMovesByOctavesAndOtherVoicesCountWhatIsMissing)
{
    const ScoreFrame frame = Chromatic(55, 25, 24); // G3..G5
    ScoreLayout layout;
    layout.totalLength = 24;
    layout.voices.push_back({VoiceRole::kAccompaniment, "acc", {{0, 43, 12}, {12, 90, 12}}});
    ScoreNote fifth{0, 10, 12}; // no octave of it reaches G3
    fifth.optional = true;
    layout.voices.back().notes.push_back(fifth);
    layout.voices.push_back({VoiceRole::kSecond, "alto", {{0, 40, 6}, {6, 60, 6}}});
    std::vector<int> missing;
    FitVoicesToStrings(layout, frame, missing);
    EXPECT_EQ(missing, (std::vector<int>{0, 1}));
    ASSERT_EQ(layout.voices[0].notes.size(), 2u) << "the fifth below every string is left out";
    EXPECT_EQ(layout.voices[0].notes[0].pitch, 55) << "G2 an octave up";
    EXPECT_EQ(layout.voices[0].notes[1].pitch, 78) << "F#6 an octave down";
    EXPECT_EQ(layout.voices[1].notes[0].pitch, 40) << "a second voice keeps its line's notes";
}

// "コードから": the root on each change of chord, an octave or more under the melody, with its
// fifth, held to the next change or the measure's end.
TEST(VoicesTest, ChordNamesMakeAnAccompanimentUnderTheMelody)
{
    RecordingSink sink;
    ImportRequest request;
    request.voices = VoiceChoice{};
    request.voices->chordAccompaniment = true;
    const ImportOutcome out = ImportAbc(kChordTune, request);
    ASSERT_TRUE(out.song);
    ASSERT_EQ(out.score.voices.size(), 2u);
    const ScoreVoice& acc = out.score.voices[1];
    EXPECT_EQ(acc.role, VoiceRole::kAccompaniment);
    EXPECT_EQ(acc.candidate, 0);
    int lowest = 0, highest = 0;
    MelodyPitchRange(out.score, lowest, highest);
    // G C D7 G Em D G: seven changes, each a root and its fifth.
    ASSERT_EQ(acc.events.size(), 14u);
    const int roots[] = {7, 0, 2, 7, 4, 2, 7};
    const int64_t quarters[] = {0, 4, 6, 8, 10, 12, 14};
    const int64_t lengths[] = {4, 2, 2, 2, 2, 2, 2};
    for (size_t k = 0; k < 7; ++k) {
        const ScoreEvent& root = acc.events[2 * k];
        const ScoreEvent& fifth = acc.events[2 * k + 1];
        EXPECT_EQ(root.pitches.at(0) % 12, roots[k]) << k;
        EXPECT_LE(root.pitches[0], lowest - 12) << "an octave or more under the melody";
        EXPECT_GT(root.pitches[0], lowest - 24) << "yet no lower than it needs";
        EXPECT_EQ((fifth.pitches.at(0) - root.pitches[0] + 12) % 12, 7) << k;
        EXPECT_TRUE(fifth.optional);
        EXPECT_EQ(root.onset, quarters[k] * kTicksPerQuarter);
        EXPECT_EQ(root.length, lengths[k] * kTicksPerQuarter) << "to the next change or the measure's end";
    }

    // A song without chord names has none to make; a tune as it was asked for stays the melody alone.
    ImportOutcome plain = ImportAbc("X:1\nK:C\nCDEF|\n");
    EXPECT_FALSE(AddChordAccompaniment(plain.score));
    EXPECT_EQ(ImportAbc(kChordTune).score.voices.size(), 1u);
    EXPECT_EQ(sink.Count(), 0u);
}

// Fitting moves every voice with the melody, and takes an octave that gives the other voices
// their strings only when the melody loses nothing by it.
TEST(VoicesTest, FittingMovesTheVoicesWithTheMelodyAndNeverCostsTheMelodyANote)
{
    RecordingSink sink;
    ImportRequest request;
    request.voices = VoiceChoice{};
    request.voices->chordAccompaniment = true;
    ImportOutcome out = ImportAbc(kChordTune, request);
    ASSERT_EQ(out.score.voices.size(), 2u);
    Score& song = out.score;
    const ScoreFrame frame = Chromatic(43, 37, 0); // G2..G5
    std::vector<int32_t> before;
    for (const ScoreEvent& n : song.voices[1].events)
        before.push_back(n.pitches.at(0));
    const int shift = FitScoreToFrame(song, frame, 43);
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(song.voices[1].events[i].pitches[0], before[i] + shift);
    const FittedScore fitted = LayOutFittedScore(frame, song, {1, song.measureCount}, shift);
    EXPECT_EQ(fitted.notesWithoutString, 0);
    ASSERT_EQ(fitted.voiceNotesWithoutString.size(), 1u);
    EXPECT_EQ(fitted.voiceNotesWithoutString[0], 0);
    EXPECT_EQ(fitted.layout.voices[0].notes.size(), 14u);
}

// The choice of voices is checked against the file: a number it does not have, or one voice
// in two roles, is refused with the import's message and no song is made of it.
TEST(VoicesTest, AChoiceOfVoicesTheFileDoesNotHaveIsRefused)
{
    RecordingSink sink;
    ImportRequest request;
    request.voices = VoiceChoice{};
    (*request.voices)[VoiceRole::kSecond] = 7;
    const ImportOutcome out = ImportAbc(kChordTune, request);
    EXPECT_TRUE(out.failed);
    const std::vector<std::string> messages = sink.Take();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("IMPT00000004"), std::string::npos) << messages[0];
}

// "Em Em Em | Am": Em written in measures 1 and 2, carried into 3, Am in 4. Every pattern strikes
// in every measure, with the notes it names, the repeated and the carried chord included.
TEST(VoicesTest, EveryChordPatternStrikesInEveryMeasure)
{
    Score score;
    score.measureCount = 4;
    ScoreVoice melody;
    for (int b = 0; b < 16; ++b)
        melody.events.push_back({b * kTicksPerQuarter, kTicksPerQuarter, {76}, {}, false, std::nullopt});
    score.voices.push_back(melody);
    const int64_t measure = score.meter.MeasureTicks();
    score.chords = {{0, "Em", false}, {measure, "Em", false}, {3 * measure, "Am", false}};
    struct Case {
        ChordPattern pattern;
        std::vector<int> firstBeat, secondBeat; // pitch classes of measure 3
    };
    // E=4, G=7, B=11.
    for (const Case& c : {Case{ChordPattern::kRoot, {4}, {}}, Case{ChordPattern::kRootFifth, {4, 11}, {}},
                          Case{ChordPattern::kBassChord, {4}, {7, 11}}, Case{ChordPattern::kBroken, {4}, {11}},
                          Case{ChordPattern::kBlock, {4, 7, 11}, {}}}) {
        const ScoreVoice voice = AccompanimentFromChords(score, c.pattern);
        const auto classesAt = [&](int64_t at) {
            std::vector<int> found;
            for (const ScoreEvent& e : voice.events)
                if (e.onset == at)
                    for (const int p : e.pitches)
                        found.push_back(p % 12);
            std::sort(found.begin(), found.end());
            return found;
        };
        for (int m = 0; m < 4; ++m)
            EXPECT_FALSE(classesAt(m * measure).empty()) << ChordPatternName(c.pattern) << " measure " << m + 1;
        EXPECT_EQ(classesAt(2 * measure), c.firstBeat) << ChordPatternName(c.pattern);
        EXPECT_EQ(classesAt(2 * measure + kTicksPerQuarter), c.secondBeat) << ChordPatternName(c.pattern);
        const std::vector<int> am = classesAt(3 * measure);
        EXPECT_NE(std::find(am.begin(), am.end(), 9), am.end()) << "A, the root of Am";
        for (const ScoreEvent& e : voice.events)
            EXPECT_LE(e.pitches.back(), 76 - 12) << "an octave under the melody";
    }
    EXPECT_EQ(ChordPatternNamed("bass-chord"), ChordPattern::kBassChord);
    EXPECT_FALSE(ChordPatternNamed("waltz"));
    EXPECT_EQ(VoiceOctaveShift("-12"), -12);
    EXPECT_FALSE(VoiceOctaveShift("7"));
    EXPECT_FALSE(VoiceOctaveShift("48"));
}

// Every drawn voice's note without a string is kept where it would stand, with its pitch and
// voice: half a spacing beyond the outer string it passes, or between the strings around it
// where the tuning lacks it; a player's sheet without the others keeps only the player's.
TEST(VoicesTest, NotesWithoutAStringAreMarkedWhereTheyWouldStand)
{
    ScoreFrame frame = Chromatic(60, 13, 24); // C4..C5
    frame.stringPitches[2] = 61;              // no D4: C#4 twice, so D4 falls between strings
    ScoreLayout layout;
    layout.totalLength = 24;
    layout.notes = {{0, 72, 6}, {6, 84, 6}, {12, 62, 6}};
    layout.words.resize(layout.notes.size());
    layout.voices.push_back({VoiceRole::kFourth, "bass", {{0, 48, 12}, {12, 64, 12}}});
    const ScoreGeometry g = Placed(frame, layout);
    const int half = frame.stringSpacing / 2;
    ASSERT_EQ(g.missing.size(), 3u);
    EXPECT_EQ(g.missing[0].pitch, 84);
    EXPECT_EQ(g.missing[0].x, g.stringX.back() + half);
    EXPECT_EQ(g.missing[0].role, VoiceRole::kMelody);
    EXPECT_EQ(g.missing[1].pitch, 62);
    EXPECT_EQ(g.missing[1].x, (g.stringX[2] + g.stringX[3]) / 2);
    EXPECT_EQ(g.missing[2].pitch, 48);
    EXPECT_EQ(g.missing[2].x, g.stringX.front() - half);
    EXPECT_EQ(g.missing[2].role, VoiceRole::kFourth);
    EXPECT_EQ(g.missing[2].y, g.notes.front().y) << "at its own time";

    const ScoreGeometry bass = ForPlayer(g, {VoiceRole::kFourth, OthersDrawn::kHidden});
    ASSERT_EQ(bass.missing.size(), 1u);
    EXPECT_EQ(bass.missing[0].pitch, 48);
    const ScoreGeometry faint = ForPlayer(g, {VoiceRole::kFourth, OthersDrawn::kFaint});
    ASSERT_EQ(faint.missing.size(), 3u);
    EXPECT_TRUE(faint.missing[0].faint);
    EXPECT_FALSE(faint.missing[2].faint);
}

