#include "import/abc/AbcLimits.h"
#include "import/abc/AbcReader.h"
#include "import/VoiceCandidates.h"
#include "tests/support/AbcTestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr int64_t kQuarter = kTicksPerQuarter;

// The melody's pitches as letters of the octave above middle C ("c" for the C above it).
std::string Letters(const Melody& melody)
{
    std::string letters;
    for (const MelodyNote& n : melody.notes) {
        switch (n.pitch) {
        case 60: letters += 'C'; break;
        case 62: letters += 'D'; break;
        case 64: letters += 'E'; break;
        case 65: letters += 'F'; break;
        case 67: letters += 'G'; break;
        case 69: letters += 'A'; break;
        case 71: letters += 'B'; break;
        case 72: letters += 'c'; break;
        case 74: letters += 'd'; break;
        case MelodyNote::kRest: letters += 'z'; break;
        default: letters += '?';
        }
    }
    return letters;
}

Melody ReadOk(const std::string& text)
{
    AbcResult result = ReadAbcText(text);
    EXPECT_EQ(result.status, ImportStatus::Ok) << text;
    return result.melody;
}

// A tune with the given header lines (before K:) and body.
Melody Tune(const std::string& header, const std::string& body)
{
    return ReadOk("X:1\n" + (header.empty() ? "" : header + "\n") + body + "\n");
}

} // namespace

TEST(AbcReaderTest, ReadsTitleMeterTempoKeyAndNotes)
{
    const Melody m = ReadOk("X:7\nT:Scale\nT:Subtitle\nM:4/4\nL:1/8\nQ:1/4=100\nK:Em\nCDEF GABc|c'2 C,2 z4|]\n");
    EXPECT_EQ(m.title, "Scale");
    EXPECT_EQ(NotesText(m), "60:1 62:1 64:1 66:1 67:1 69:1 71:1 72:1 84:2 48:2 r:4");
    EXPECT_EQ(OnsetsText(m), "0 1 2 3 4 5 6 7 8 10 12");
    ASSERT_EQ(m.meters.size(), 1u);
    EXPECT_EQ(m.meters[0].numerator, 4);
    EXPECT_EQ(m.meters[0].onset, 0);
    EXPECT_DOUBLE_EQ(m.tempoQuarterBpm, 100);
    EXPECT_TRUE(m.hasKey);
    EXPECT_EQ(m.keyFifths, 1);
    EXPECT_TRUE(m.keyMinor);
    EXPECT_EQ(m.pickupTicks, 0);
    EXPECT_EQ(m.skipped, 0);
}

TEST(AbcReaderTest, AccidentalsFromKeyBarAndTie)
{
    struct Case {
        const char* header;
        const char* body;
        const char* notes; // in quarters
    };
    const Case cases[] = {
        {"K:D", "F C G", "66:1 61:1 67:1"},
        {"K:C", "^F F | F", "66:1 66:1 65:1"},
        {"K:C", "^F f", "66:1 78:1"}, // every octave, the default
        {"I:propagate-accidentals octave\nK:C", "^F f F", "66:1 77:1 66:1"},
        {"%%propagate-accidentals not\nK:C", "^F F", "66:1 65:1"},
        {"K:F", "B =B B | B", "70:1 71:1 71:1 70:1"},
        {"K:G", "__B ^^F =F", "69:1 67:1 65:1"},
        {"K:C", "^F-|F F", "66:2 65:1"}, // a tie carries its accidental over the bar line
        {"K:C", "F [K:G] F | [K:F] B", "65:1 66:1 70:1"},
        {"K:C", "F\nK:G\nF", "65:1 66:1"},
        {"K:none", "F ^F", "65:1 66:1"},
        {"K:C octave=1", "C", "72:1"},
        {"K:C clef=treble-8", "C", "48:1"},
        {"K:D exp _b", "F B", "65:1 70:1"},
    };
    for (const Case& c : cases) {
        const Melody m = Tune(std::string("L:1/4\n") + c.header, c.body);
        EXPECT_EQ(NotesText(m, kQuarter), c.notes) << c.header << " / " << c.body;
    }
    EXPECT_FALSE(Tune("K:none", "C").hasKey);
    EXPECT_FALSE(Tune("K:clef=bass", "C").hasKey);
}

TEST(AbcReaderTest, LengthsUnitLengthsBrokenRhythmAndTuplets)
{
    struct Case {
        const char* header;
        const char* body;
        const char* notes; // in eighths
    };
    const Case cases[] = {
        {"L:1/8", "A2 A/2 A/ A// A3/2 A", "69:2 69:1/2 69:1/2 69:1/4 69:3/2 69:1"},
        {"M:2/4", "A A2", "69:1/2 69:1"}, // no L: under 3/4 means sixteenths
        {"M:3/4", "A", "69:1"},
        {"M:C|", "A", "69:1"},
        {"", "A", "69:1"},
        {"L:1/8", "A [L:1/4] A", "69:1 69:2"},
        {"L:1/8", "A>B C<D A>>B", "69:3/2 71:1/2 60:1/2 62:3/2 69:7/4 71:1/4"},
        {"L:1/8", "(3ABc d", "69:2/3 71:2/3 72:2/3 74:1"},
        {"L:1/8", "(3:2:2 A2B d", "69:4/3 71:2/3 74:1"},
        {"M:6/8\nL:1/8", "(2AB", "69:3/2 71:3/2"},
        {"M:6/8\nL:1/8", "(5ABcde", "69:3/5 71:3/5 72:3/5 74:3/5 76:3/5"},
        {"L:1/8", "(5ABcde", "69:2/5 71:2/5 72:2/5 74:2/5 76:2/5"},
        {"L:1/8", "(3[CE]zG", "64:2/3 60:2/3 r:2/3 67:2/3"},
        {"L:1/8", "[CEG]2 [C2E2] [CE]/ [ce'g]", "67:2 64:2 60:2 64:2 60:2 64:1/2 60:1/2 88:1 79:1 72:1"},
        {"M:3/4\nL:1/8", "z2 x Z2 C", "r:2 r:1 r:12 60:1"},
        {"L:1/8", "A2-A2 B-c B-B", "69:4 71:1 72:1 71:2"},
        {"L:1/8", "[CE]-[CE] G", "64:2 60:2 67:1"},
        {"L:1/8", "A-z A", "69:1 r:1 69:1"},
        {"L:1/8", "A B\\\nc % a comment\nd", "69:1 71:1 72:1 74:1"},
        {"L:1/8", "!trill!A {ga}B .c ~d \"^above\"e Hf (3:2:3gab)", "69:1 71:1 72:1 74:1 76:1 77:1 79:2/3 81:2/3 83:2/3"},
        {"L:1/8", "A B & c d | e", "69:1 71:1 76:1"}, // an overlay is another voice
    };
    for (const Case& c : cases) {
        const Melody m = Tune(*c.header ? std::string(c.header) + "\nK:C" : "K:C", c.body);
        EXPECT_EQ(NotesText(m), c.notes) << c.header << " / " << c.body;
        EXPECT_EQ(m.skipped, 0) << c.body;
    }
}

TEST(AbcReaderTest, RepeatsAndEndingsArePlayedOut)
{
    struct Case {
        const char* body;
        const char* letters;
    };
    const Case cases[] = {
        {"|: A B :| c d |]", "ABABcd"},
        {"|: A |1 B :|2 c |]", "ABAc"},
        {"|: A |1 B :| |2 c |]", "ABAc"},
        {"|: A [1 B :| [2 c |]", "ABAc"},
        {"A |1 B :|2 c |]", "ABAc"},
        {"A B :| c d :|", "ABABcdcd"},
        {"|: A :|: B :|", "AABB"},
        {"|: A :: B :|", "AABB"},
        {"|: A |1 B :|2 c :|3 d |]", "ABAcAd"},
        {"|: A |1,2 B :|3 c |]", "ABABAc"},
        {"|: A |1-2 B :|3 c |]", "ABABAc"},
        {"|: A |1 B :|2 c :|", "ABAc"}, // no third ending: the last repeat sign is not taken
        {"|: A |1 B :|2 c || d :|", "ABAcdd"},
        {"|: A :| |: B |1 c :|2 d |]", "AABcBd"},
        {"|: A :|\n|: B :|", "AABB"},
        // a repeated section right after a last ending of one bar is repeated on its own
        {"|: A |1 B :|2 c | C D | E F :|", "ABAcCDEFCDEF"},
        {"|: A |1 B :|2 c | d :|3 C |]", "ABAcdAC"},
        {"|: A |1 B | C :|2 c |]", "ABCAc"},
        // endings no pass is numbered for are played where they stand
        {"|: A |1 B :|3 c | d |]", "ABcd"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Letters(Tune("L:1/4\nK:C", c.body)), c.letters) << c.body;
}

TEST(AbcReaderTest, JumpDecorationsArePlayedOut)
{
    // D.C. al Fine, its notes in full: the second time through ends with the Fine's measure.
    const Melody alFine = Tune("L:1/4\nK:C", "A B | C !fine!D | E F !D.C.alfine!|]");
    EXPECT_EQ(Letters(alFine), "ABCDEFABCD");
    EXPECT_EQ(NotesText(alFine, kQuarter), "69:1 71:1 60:1 62:1 64:1 65:1 69:1 71:1 60:1 62:1");
    EXPECT_EQ(OnsetsText(alFine, kQuarter), "0 1 2 3 4 5 6 7 8 9");

    struct Case {
        const char* body;
        const char* letters;
    };
    const Case cases[] = {
        // every spelling of each mark
        {"A B | C D !fine!| E F |!D.C.!|]", "ABCDEFABCD"},
        {"A B | C D | !fine! E F | G !dacapo! |]", "ABCDEFGABCDEF"},
        {"A | !segno!B | C !dacoda!D | E !D.S.alcoda!| !coda!F |]", "ABCDEBCDF"},
        {"A | !segno!B | C !tocoda!D | E !D.S.!| !coda!F |]", "ABCDEBCDF"},
        {"A | !segno!B | C !fine!D | E !D.S.alfine!|]", "ABCDEBCD"},
        {"A B | C !dacoda!D | E !D.C.alcoda!| !coda!F |]", "ABCDEABCDF"},
        {"A | S B | C !dacoda! | D !D.S.! | O E |]", "ABCDBCE"},
        {"A | +segno+ B | C +D.S.+ |]", "ABCBC"},
        // D.C. or D.S. without a Fine plays to the end once more
        {"A B | C D !D.C.!|]", "ABCDABCD"},
        {"A | !segno! B | C !D.S.!| D |]", "ABCBCD"},
        // where a mark stands
        {"A B | C !dacoda!D | E !D.C.! O| F |]", "ABCDEABCDF"},
        {"S A B |!D.C.!| C D |]", "ABABCD"},
        {"A B | C D |] !D.C.!", "ABCDABCD"},
        {"!D.C.! | A B |]", "AB"},
        {"A !D.S.! | B |] S", "AB"},
        {"A B | [!segno!CE] D | F !D.S.!|]", "ABECDFECDF"},
        {"A B | [C!D.C.!E] D | F |]", "ABECDABECDF"},
        {"A | B & c !D.C.! | d |]", "ABd"}, // an overlay's marks are another voice's
        // a fermata before a thick bar is where the tune ends after a jump; elsewhere, nothing
        {"A B | C DH|] E F | G !D.C.!|]", "ABCDEFGABCD"},
        {"A B | C D!fermata!|| E F | G !D.C.!|]", "ABCDEFGABCD"},
        {"A B | C HD | E F | G !D.C.!|]", "ABCDEFGABCDEFG"},
        {"A B | C DH| E F | G !D.C.!|]", "ABCDEFGABCDEFG"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Letters(Tune("L:1/4\nK:C", c.body)), c.letters) << c.body;
}

TEST(AbcReaderTest, PickupAndMeterChanges)
{
    const Melody m = Tune("M:3/4\nL:1/4\nK:G", "D | G2 A | [M:2/4] B2 |\nM:3/4\nc3 |]");
    EXPECT_EQ(m.pickupTicks, kQuarter);
    ASSERT_EQ(m.meters.size(), 3u);
    EXPECT_EQ(m.meters[1].onset, 4 * kQuarter);
    EXPECT_EQ(m.meters[1].numerator, 2);
    EXPECT_EQ(m.meters[2].onset, 6 * kQuarter);
    EXPECT_EQ(m.meters[2].numerator, 3);

    EXPECT_EQ(Tune("M:3/4\nL:1/4\nK:G", "D E F | G3").pickupTicks, 0);
    EXPECT_EQ(Tune("M:3/4\nL:1/4\nK:G", "|: D | G3 :|").pickupTicks, kQuarter);
    EXPECT_EQ(Letters(Tune("M:3/4\nL:1/4\nK:C", "|: D | G3 :|")), "DGDG");
    EXPECT_TRUE(Tune("M:none\nK:C", "C D").meters.empty());
    EXPECT_EQ(Tune("M:C|\nK:C", "C").meters[0].denominator, 2);
}

TEST(AbcReaderTest, ChordSymbolsTakeTheOnsetOfTheirNote)
{
    const Melody m = Tune("L:1/4\nK:C", "\"Am7\"A \"Bb\"B \"F#m/C#\"c \"^Fine\"d \"(D7)\"e z \"G\"z");
    ASSERT_EQ(m.chords.size(), 5u);
    const char* suffixes[] = {"m7", "", "m/C#", "7", ""};
    const char roots[] = {'A', 'B', 'F', 'D', 'G'};
    const int alters[] = {0, -1, 1, 0, 0};
    const int64_t onsets[] = {0, 1, 2, 4, 6};
    for (size_t i = 0; i < m.chords.size(); ++i) {
        EXPECT_EQ(m.chords[i].root, roots[i]) << i;
        EXPECT_EQ(m.chords[i].alter, alters[i]) << i;
        EXPECT_EQ(m.chords[i].suffix, suffixes[i]) << i;
        EXPECT_EQ(m.chords[i].onset, onsets[i] * kQuarter) << i;
    }
}

TEST(AbcReaderTest, AnnotationsThatStartLikeARootAreNoChords)
{
    const Melody m = Tune("L:1/4\nK:C", "\"Fine\"C \"D.C. al Fine\"D \"(End)\"E \"Bass\"F \"Coda\"G \"Dm7b5\"A "
                                       "\"Gsus4/B\"B \"C6/9\"c \"Ebmaj7(#11)\"d \"Bo7\"e \"Ade\"f");
    ASSERT_EQ(m.chords.size(), 5u);
    const char roots[] = {'D', 'G', 'C', 'E', 'B'};
    const char* suffixes[] = {"m7b5", "sus4/B", "6/9", "maj7(#11)", "o7"};
    const int64_t onsets[] = {5, 6, 7, 8, 9};
    for (size_t i = 0; i < m.chords.size(); ++i) {
        EXPECT_EQ(m.chords[i].root, roots[i]) << i;
        EXPECT_EQ(m.chords[i].suffix, suffixes[i]) << i;
        EXPECT_EQ(m.chords[i].onset, onsets[i] * kQuarter) << i;
    }
    EXPECT_EQ(m.chords[3].alter, -1);
    EXPECT_EQ(m.skipped, 0) << "an annotation is no fault";
}

TEST(AbcReaderTest, LyricsFollowTheAlignmentRules)
{
    struct Case {
        const char* body;
        const char* lyrics;
    };
    const Case cases[] = {
        {"CDEF|GABc|\nw: doh re mi fa sol la ti do", "doh|re|mi|fa|sol|la|ti|do"},
        {"CDEF|\nGABc|\nw: doh re mi fa sol la ti do", "doh|re|mi|fa|sol|la|ti|do"},
        {"CDEFGABc\nw: syll-a--ble time__ x", "syll|a||ble|time|||x"},
        {"CDEF\nw:*see go~on x\\-ray", "|see|go on|x-ray"},
        {"ABc|def\nw:yeah|yeah", "yeah|||yeah||"},
        {"CDEF\nw:one two\nw:three four\nGA\nw:five six", "one|two|||five|six"},
        {"CDzE\nw:a b c", "a|b|c"},
        {"CDEF\nw:a b\n+:c d", "a|b|c|d"},
        {"C-C D\nw:a b c", "a|c"}, // the tied note takes a syllable of its own
        {"CDEF|\nw:a b c d\nGGGG|\nw:\nFEFC|\nw:e f g h", "a|b|c|d|||||e|f|g|h"},
        {"|: C D :|\nw:\\'a b", "\xC3\xA1|b|\xC3\xA1|b"},
        {"CD\nw:\xE9t\xE9 too many syllables", "\xC3\xA9t\xC3\xA9|too"},
        {"CD\n% a remark\nw:a b", "a|b"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LyricsText(Tune("L:1/4\nK:C", c.body)), c.lyrics) << c.body;
}

TEST(AbcReaderTest, TheFirstVoiceIsTheMelody)
{
    const std::string header = "L:1/4\nV:1\nV:2 octave=-1\nK:C";
    const Melody m = Tune(header, "V:1\nC D E F|\nw:a b c d\nV:2\nG, A, B, C|\nw:x y z w\nV:1\nG A B c|");
    EXPECT_EQ(Letters(m), "CDEFGABc");
    EXPECT_EQ(LyricsText(m), "a|b|c|d||||");
    EXPECT_EQ(Letters(Tune(header, "C D [V:2] A, B, [V:1] E F|")), "CDEF");
    EXPECT_EQ(Letters(Tune(header, "C D|\nV:2\nA, B,|")), "CD"); // the body starts in the first voice
    EXPECT_EQ(NotesText(Tune("L:1/4\nV:T1 clef=bass octave=-1\nK:C", "c"), kQuarter), "60:1");
    EXPECT_EQ(Letters(Tune("L:1/4\nK:C", "C D|\nV:2\nE F|")), "CD"); // music before any V:
    EXPECT_EQ(Letters(Tune("L:1/4\nK:C", "V:2\nC D|\nV:3\nE F|\nV:2\nG")), "CDG");
}

TEST(AbcReaderTest, InlineVoiceFieldsSwitchVoicesAsVoiceLinesDo)
{
    const std::string header = "L:1/4\nK:C";
    const Melody lines = Tune(header, "V:1\nC D|\nV:2\nE F|\nV:1\nG A|");
    ASSERT_EQ(lines.voices.size(), 2u);
    for (const char* body : {"[V:1] C D|\n[V:2] E F|\n[V:1] G A|", "[V:1]C D|[V:2]E F|[V:1] G A|",
                             "[V:1] C D|\n[V:2] E F|[V:1]\nG A|"}) {
        const Melody m = Tune(header, body);
        EXPECT_EQ(Letters(m), "CDGA") << body;
        ASSERT_EQ(m.voices.size(), 2u) << body;
        for (size_t i = 0; i < 2; ++i) {
            EXPECT_EQ(m.voices[i].origin, lines.voices[i].origin) << body;
            EXPECT_EQ(m.voices[i].notes.size(), lines.voices[i].notes.size()) << body;
        }
        EXPECT_EQ(m.melodyVoice, 0) << body;
    }
}

TEST(AbcReaderTest, FileHeaderFieldsApplyToEveryTune)
{
    const std::string file = "%abc-2.1\nM:6/8\nL:1/8\nQ:3/8=60\n\nSome free text.\n\n"
                             "X:1\nT:a\nK:G\nGAB|\n\nX:2\nM:2/4\nK:C\nC|\n";
    const AbcResult first = ReadAbcText(file, 1);
    ASSERT_EQ(first.status, ImportStatus::Ok);
    EXPECT_EQ(first.melody.meters[0].numerator, 6);
    EXPECT_DOUBLE_EQ(first.melody.tempoQuarterBpm, 90);
    EXPECT_EQ(NotesText(first.melody), "67:1 69:1 71:1");
    const AbcResult second = ReadAbcText(file, 2);
    EXPECT_EQ(second.melody.meters[0].numerator, 2);
    EXPECT_EQ(NotesText(second.melody), "60:1");
}

TEST(AbcReaderTest, ChoosingATune)
{
    const std::string file = "X:1\nT:Rests\nK:C\nz4|\n\nX:2\nT:Tune\nK:C\nC|\n\nX:2\nT:Again\nK:C\nD|\nX:3\nK:C\nE\n\nF\n";
    const AbcResult byDefault = ReadAbcText(file);
    EXPECT_EQ(byDefault.status, ImportStatus::Ok);
    EXPECT_EQ(byDefault.melody.title, "Tune");
    EXPECT_EQ(ReadAbcText(file, 1).status, ImportStatus::NoMelody);
    EXPECT_EQ(ReadAbcText(file, 2).melody.title, "Tune"); // the first of two with one number
    EXPECT_EQ(Letters(ReadAbcText(file, 3).melody), "E"); // F is text after the tune
    EXPECT_EQ(ReadAbcText(file, 4).status, ImportStatus::NoSuchChoice);
    EXPECT_EQ(ReadAbcText("X:1\nK:C\nz|\n").status, ImportStatus::NoMelody);
    EXPECT_EQ(ReadAbcText("").status, ImportStatus::Unreadable);
    EXPECT_EQ(ReadAbcText("K:C\nCDEF\n").status, ImportStatus::Unreadable);

    Melody untouched;
    untouched.title = "kept";
    EXPECT_EQ(ReadAbc(AbcBytes("X:1\nK:C\nz\n"), kDefaultChoice, untouched), ImportStatus::NoMelody);
    EXPECT_EQ(untouched.title, "kept");
}

TEST(AbcReaderTest, LineEndingsAndTunesWithoutKey)
{
    EXPECT_EQ(Letters(ReadOk("X:1\r\nK:C\r\nC D\r\n")), "CD");
    EXPECT_EQ(Letters(ReadOk("X:1\rK:C\rC D\r")), "CD");
    EXPECT_EQ(Letters(ReadOk("\xEF\xBB\xBFX:1\nT:no key\nC D|")), "CD");
}

TEST(AbcReaderTest, ListsTunesWithoutReadingThem)
{
    const std::string file = "X:1\nT:First\nK:C\nC\n\nX:2\nT:Second % remark\nT:Subtitle\nK:G\nT:Part A\nG\n\n"
                             "X:\nK:C\nC\nX:40\nT:Caf\xE9 \\'a\nK:C\nC\n";
    std::vector<MelodyChoice> tunes;
    ASSERT_TRUE(ListAbcTunes(AbcBytes(file), tunes));
    ASSERT_EQ(tunes.size(), 4u);
    const int numbers[] = {1, 2, 0, 40};
    const char* titles[] = {"First", "Second", "", "Caf\xC3\xA9 \xC3\xA1"};
    for (size_t i = 0; i < tunes.size(); ++i) {
        EXPECT_EQ(tunes[i].number, numbers[i]);
        EXPECT_EQ(tunes[i].name, titles[i]);
        EXPECT_EQ(tunes[i].noteCount, -1);
    }
    EXPECT_EQ(ReadAbcText(file, 40).melody.title, titles[3]);
    EXPECT_FALSE(ListAbcTunes(AbcBytes("T:not a tune\nK:C\nCDE\n"), tunes));
    EXPECT_TRUE(tunes.empty());
    EXPECT_FALSE(ListAbcTunes({}, tunes));
}

TEST(AbcReaderTest, UnreadableThingsAreCounted)
{
    EXPECT_EQ(Tune("K:C", "C # D ; E").skipped, 2);
    EXPECT_EQ(Tune("L:1/0\nM:0/0\nK:Zork", "C").skipped, 3);
    EXPECT_EQ(NotesText(Tune("L:1/0\nM:0/0\nK:C", "C")), "60:1"); // defaults stand in
    EXPECT_EQ(Tune("K:C", "[CEG").skipped, 1);
    EXPECT_EQ(Tune("K:C", "C ] D").skipped, 1);
    EXPECT_EQ(Tune("K:C", ">C D").skipped, 1);
}

namespace {

std::string VoiceText(const VoiceCandidate& voice)
{
    Melody m;
    m.notes = voice.notes;
    return NotesText(m, kQuarter) + " @ " + OnsetsText(m, kQuarter);
}

} // namespace

TEST(AbcReaderTest, EveryVoiceOfTheTuneIsPlayedOut)
{
    // The header's key and unit hold for every voice; each has its own clef, key and repeats.
    const std::string header = "L:1/4\nV:1 name=\"Tune\"\nV:2 nm=Bass octave=-1\nK:G";
    const Melody m = Tune(header, "V:1\n|:G A B c:|\nw:a b c d\nV:2\n|:G F [EGc] D:|\nV:3\nK:F\nB [K:C] B|");
    EXPECT_EQ(Letters(m), "GABcGABc") << "the melody as before";
    EXPECT_EQ(LyricsText(m), "a|b|c|d|a|b|c|d");
    ASSERT_EQ(m.voices.size(), 3u);
    EXPECT_EQ(m.melodyVoice, 0);
    EXPECT_EQ(m.voices[0].name, "Tune");
    EXPECT_EQ(m.voices[0].origin, "V:1");
    EXPECT_EQ(VoiceText(m.voices[0]), "67:1 69:1 71:1 72:1 67:1 69:1 71:1 72:1 @ 0 1 2 3 4 5 6 7");
    EXPECT_EQ(m.voices[1].name, "Bass");
    EXPECT_EQ(m.voices[1].origin, "V:2");
    EXPECT_EQ(VoiceText(m.voices[1]), "55:1 54:1 60:1 55:1 52:1 50:1 55:1 54:1 60:1 55:1 52:1 50:1 @ 0 1 2 2 2 3 4 5 6 6 6 7")
        << "a voice beside the melody keeps its chords whole, highest first";
    EXPECT_EQ(m.voices[2].name, "V:3");
    EXPECT_EQ(VoiceText(m.voices[2]), "70:1 71:1 @ 0 1");

    // One voice: the melody's, numbered as ABC numbers the first voice.
    const Melody plain = Tune("L:1/4\nK:C", "C D|");
    ASSERT_EQ(plain.voices.size(), 1u);
    EXPECT_EQ(plain.voices[0].origin, "V:1");
    EXPECT_EQ(plain.voices[0].notes.size(), 2u);
    // Music before any V: is the first voice; a voice without notes is not listed.
    const Melody before = Tune("L:1/4\nK:C", "C D|\nV:2\nE F|\nV:3\nz2|");
    ASSERT_EQ(before.voices.size(), 2u);
    EXPECT_EQ(VoiceText(before.voices[0]), "60:1 62:1 @ 0 1");
    EXPECT_EQ(before.voices[1].origin, "V:2");
    EXPECT_EQ(VoiceText(before.voices[1]), "64:1 65:1 @ 0 1");
}

TEST(AbcReaderTest, ManyVoicesListSixteenAndWhatTheBoundsLeaveOutIsCounted)
{
    std::string body;
    for (int v = 1; v <= 300; ++v)
        body += "V:" + std::to_string(v) + "\nC D E F|\n";
    const Melody m = Tune("L:1/4\nK:C", body + "V:300\n[CEG] [DF]|\n");
    ASSERT_EQ(m.voices.size(), kMaxVoiceCandidates);
    EXPECT_EQ(m.voices.back().origin, "V:16");
    EXPECT_EQ(m.skipped, 284 * 4 + 2) << "the notes of the voices not listed, a chord as one";

    // Sixteen voices of `notes` notes each, in measures of four.
    auto voices = [](int notes) {
        std::string text;
        for (int v = 1; v <= 16; ++v) {
            text += "V:" + std::to_string(v) + "\n";
            for (int i = 0; i < notes / 4; ++i)
                text += "CDEF|";
            text += "\n";
        }
        return text;
    };
    auto total = [](const Melody& tune) {
        size_t notes = 0;
        for (const VoiceCandidate& v : tune.voices)
            notes += v.notes.size();
        return notes;
    };
    const Melody full = Tune("L:1/4\nK:C", voices(6944));
    ASSERT_EQ(full.voices.size(), 16u);
    for (const VoiceCandidate& v : full.voices)
        EXPECT_EQ(v.notes.size(), 6944u) << v.origin;
    EXPECT_EQ(full.skipped, 0);
    // More than the voices may hold together: what does not fit is counted.
    const Melody over = Tune("L:1/4\nK:C", voices(30000));
    EXPECT_EQ(total(over), kMaxCandidateNotes);
    EXPECT_EQ(over.skipped, static_cast<int>(16 * 30000 - kMaxCandidateNotes));
    EXPECT_EQ(over.voices.front().notes.size(), 30000u) << "the melody's voice first";
}
