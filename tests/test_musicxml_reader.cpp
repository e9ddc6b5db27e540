#include "tests/SongAsScore.h"
#include "import/musicxml/MusicXmlReader.h"
#include "import/musicxml/MxlContainer.h"
#include "import/SongBuilder.h"
#include "render/ScoreLayout.h"
#include "song/CSongData.h"
#include "tests/support/MusicXmlText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace mx;

namespace {

constexpr int64_t Q = kTicksPerQuarter;

// The score's parts, as the import lists them; false when it does not open.
bool ListMusicXmlParts(const std::vector<uint8_t>& bytes, std::vector<MelodyChoice>& parts)
{
    MusicXmlScore score;
    if (score.Open(bytes) != ImportStatus::Ok)
        return false;
    parts = score.Parts();
    return true;
}

// One part read as the import reads it: opened, then read.
ImportStatus ReadMusicXml(const std::vector<uint8_t>& bytes, int choice, Melody& out)
{
    MusicXmlScore score;
    if (const ImportStatus opened = score.Open(bytes); opened != ImportStatus::Ok)
        return opened;
    return score.Read(choice, out);
}

struct Read {
    ImportStatus status;
    Melody melody;
};

Read ReadXml(const std::string& xml, int choice = kDefaultChoice)
{
    Read r;
    r.status = ReadMusicXml(Bytes(xml), choice, r.melody);
    return r;
}

// (onset, duration, pitch) of the pitched notes, in ticks.
std::vector<std::tuple<int64_t, int64_t, int>> Notes(const Melody& m)
{
    std::vector<std::tuple<int64_t, int64_t, int>> out;
    for (const MelodyNote& n : m.notes)
        if (n.pitch != MelodyNote::kRest)
            out.emplace_back(n.onset, n.duration, n.pitch);
    return out;
}

std::vector<int> Pitches(const Melody& m)
{
    std::vector<int> out;
    for (const MelodyNote& n : m.notes)
        if (n.pitch != MelodyNote::kRest)
            out.push_back(n.pitch);
    return out;
}

std::string Barline(const std::string& location, const std::string& inside)
{
    return "<barline location=\"" + location + "\">" + inside + "</barline>";
}

const std::string kForward = Barline("left", "<repeat direction=\"forward\"/>");
const std::string kBackward = Barline("right", "<repeat direction=\"backward\"/>");

std::string Ending(const std::string& numbers, const std::string& type, const std::string& location)
{
    return Barline(location, "<ending number=\"" + numbers + "\" type=\"" + type + "\"/>");
}

std::string Whole(const std::string& pitch)
{
    return Note(pitch, 4);
}

} // namespace

TEST(MusicXmlReader, NotesTitleKeyTempoAndFirstVerse)
{
    const std::string xml = OnePart(
        {Measure(1, Attributes(2, 4, 4, 1) + "<direction><sound tempo=\"96\"/></direction>" +
                        Note("C4", 2, Lyric("a") + Lyric("x", 2)) + Note("D4", 1) + Note("E4", 1) + Note("F#4", 4)),
         Measure(2, "<attributes><divisions>8</divisions></attributes>" + Note("G4", 8) + Note("Bb4", 24))},
        "<work><work-title>Song of the wind</work-title></work><movement-title>Other</movement-title>");
    const Read r = ReadXml(xml);
    ASSERT_EQ(r.status, ImportStatus::Ok);
    EXPECT_EQ(Notes(r.melody), (std::vector<std::tuple<int64_t, int64_t, int>>{
                                   {0, Q, 60}, {Q, Q / 2, 62}, {3 * Q / 2, Q / 2, 64}, {2 * Q, 2 * Q, 66},
                                   {4 * Q, Q, 67}, {5 * Q, 3 * Q, 70}}));
    EXPECT_EQ(r.melody.notes[0].lyric, "a");
    EXPECT_EQ(r.melody.title, "Song of the wind");
    EXPECT_TRUE(r.melody.hasKey);
    EXPECT_EQ(r.melody.keyFifths, 1);
    EXPECT_FALSE(r.melody.keyMinor);
    EXPECT_EQ(r.melody.tempoQuarterBpm, 96);
    EXPECT_EQ(r.melody.pickupTicks, 0);
    ASSERT_EQ(r.melody.meters.size(), 1u);

    // Without a work title: the movement title, then the title credit.
    EXPECT_EQ(ReadXml(OnePart({Measure(1, Attributes(1) + Whole("C4"))}, "<movement-title>Moved</movement-title>"))
                  .melody.title,
              "Moved");
    EXPECT_EQ(ReadXml(OnePart({Measure(1, Attributes(1) + Whole("C4"))},
                              "<credit page=\"1\"><credit-type>composer</credit-type><credit-words>X</credit-words>"
                              "</credit><credit page=\"1\"><credit-type>title</credit-type><credit-words>さくら"
                              "</credit-words></credit>"))
                  .melody.title,
              "さくら");
}

TEST(MusicXmlReader, VoicesStavesBackupForwardAndChords)
{
    // Staff 2 is written first; the upper staff's first voice is the melody.
    const std::string measure =
        Attributes(4) + "<note>" + Pitch("C3") + "<duration>16</duration><voice>5</voice><staff>2</staff></note>" +
        "<backup><duration>16</duration></backup>" +
        "<note>" + Pitch("E5") + "<duration>4</duration><voice>1</voice><staff>1</staff></note>" +
        "<note><chord/>" + Pitch("G5") + "<duration>4</duration><voice>1</voice><staff>1</staff></note>" +
        "<forward><duration>4</duration><voice>1</voice><staff>1</staff></forward>" +
        "<note>" + Pitch("F5") + "<duration>8</duration><voice>1</voice><staff>1</staff></note>" +
        "<backup><duration>12</duration></backup>" +
        "<note>" + Pitch("A4") + "<duration>12</duration><voice>2</voice><staff>1</staff></note>";
    const Read r = ReadXml(OnePart({Measure(1, measure)}));
    ASSERT_EQ(r.status, ImportStatus::Ok);
    EXPECT_EQ(Notes(r.melody),
              (std::vector<std::tuple<int64_t, int64_t, int>>{{0, Q, 76}, {0, Q, 79}, {2 * Q, 2 * Q, 77}}));
}

TEST(MusicXmlReader, TiesTupletsGraceCueAndUnpitched)
{
    const std::string tieStart = "<tie type=\"start\"/>", tieStop = "<tie type=\"stop\"/>";
    const std::string triplet = "<time-modification><actual-notes>3</actual-notes><normal-notes>2</normal-notes>"
                                "</time-modification>";
    const std::string xml = OnePart({
        Measure(1, Attributes(3) + Note("C4", 6) + Note("C4", 6, tieStart)),
        Measure(2, Note("C4", 3, tieStop) + Note("D4", 1, triplet) + Note("E4", 1, triplet) + Note("F4", 1, triplet) +
                       "<note><grace/>" + Pitch("A4") + "</note>" +
                       "<note><cue/>" + Pitch("B4") + "<duration>3</duration></note>" +
                       "<note><unpitched><display-step>E</display-step><display-octave>4</display-octave>"
                       "</unpitched><duration>3</duration></note>"),
    });
    const Read r = ReadXml(xml);
    ASSERT_EQ(r.status, ImportStatus::Ok);
    EXPECT_EQ(Notes(r.melody), (std::vector<std::tuple<int64_t, int64_t, int>>{
                                   {0, 2 * Q, 60}, {2 * Q, 3 * Q, 60}, {5 * Q, Q / 3, 62}, {5 * Q + Q / 3, Q / 3, 64},
                                   {5 * Q + 2 * Q / 3, Q / 3, 65}}));
}

TEST(MusicXmlReader, TransposingInstrumentsSoundAndMultiRestsTakeTheirMeasures)
{
    const std::string clarinet = "<attributes><divisions>1</divisions><time><beats>3</beats><beat-type>4</beat-type>"
                                 "</time><transpose><diatonic>-1</diatonic><chromatic>-2</chromatic></transpose>"
                                 "<measure-style><multiple-rest>2</multiple-rest></measure-style></attributes>";
    const std::string rest = "<note><rest measure=\"yes\"/><duration>3</duration></note>";
    const Read r = ReadXml(OnePart({Measure(1, clarinet + rest), Measure(2, rest), Measure(3, Note("D4", 3))}));
    ASSERT_EQ(r.status, ImportStatus::Ok);
    EXPECT_EQ(Notes(r.melody), (std::vector<std::tuple<int64_t, int64_t, int>>{{6 * Q, 3 * Q, 60}}));
    EXPECT_EQ(r.melody.meters.front().numerator, 3);
}

TEST(MusicXmlReader, PickupAndMeterChanges)
{
    const std::string xml = OnePart({
        "<measure number=\"0\" implicit=\"yes\">" + Attributes(1, 3, 4) + Note("G4", 1) + "</measure>",
        Measure(1, Note("C5", 3)),
        Measure(2, "<attributes><time><beats>6</beats><beat-type>8</beat-type></time></attributes>" + Note("D5", 3)),
    });
    const Read r = ReadXml(xml);
    ASSERT_EQ(r.status, ImportStatus::Ok);
    EXPECT_EQ(r.melody.pickupTicks, Q);
    ASSERT_EQ(r.melody.meters.size(), 2u);
    EXPECT_EQ(r.melody.meters[1].onset, 4 * Q);
    EXPECT_EQ(r.melody.meters[1].denominator, 8);
    EXPECT_EQ(std::get<0>(Notes(r.melody).back()), 4 * Q);
}

TEST(MusicXmlReader, RepeatsAndEndingsArePlayedOut)
{
    // |: C D |1. E :|2. F | G  ->  C D E C D F G
    const std::string xml = OnePart({
        Measure(1, Attributes(1) + kForward + Whole("C4")),
        Measure(2, Whole("D4")),
        Measure(3, Ending("1", "start", "left") + Whole("E4") + "<barline location=\"right\"><ending number=\"1\" "
                   "type=\"stop\"/><repeat direction=\"backward\"/></barline>"),
        Measure(4, Ending("2", "start", "left") + Whole("F4") + Ending("2", "discontinue", "right")),
        Measure(5, Whole("G4")),
    });
    EXPECT_EQ(Pitches(ReadXml(xml).melody), (std::vector<int>{60, 62, 64, 60, 62, 65, 67}));

    // Three times through, then a section repeated back to the last repeat's end.
    const std::string thrice = OnePart({
        Measure(1, Attributes(1) + Whole("C4") + Barline("right", "<repeat direction=\"backward\" times=\"3\"/>")),
        Measure(2, Whole("D4") + kBackward),
    });
    EXPECT_EQ(Pitches(ReadXml(thrice).melody), (std::vector<int>{60, 60, 60, 62, 62}));
}

TEST(MusicXmlReader, EndingsCountThePassesAsAbcDoes)
{
    // |: C |1,2. D :|3. E |  ->  C D C D C E: the endings, not the sign's count, decide.
    const std::string xml = OnePart({
        Measure(1, Attributes(1) + kForward + Whole("C4")),
        Measure(2, Ending("1, 2", "start", "left") + Whole("D4") + kBackward),
        Measure(3, Ending("3", "start", "left") + Whole("E4") + Ending("3", "stop", "right")),
    });
    EXPECT_EQ(Pitches(ReadXml(xml).melody), (std::vector<int>{60, 62, 60, 62, 60, 64}));

    // |: C |1. D :|2. E :| F :|  ->  the last ending's sign waits for no third ending, and
    // F's sign returns to F, not into the section the endings closed.
    const std::string after = OnePart({
        Measure(1, Attributes(1) + kForward + Whole("C4")),
        Measure(2, Ending("1", "start", "left") + Whole("D4") + kBackward),
        Measure(3, Ending("2", "start", "left") + Whole("E4") + Ending("2", "stop", "right") + kBackward),
        Measure(4, Whole("F4") + kBackward),
    });
    EXPECT_EQ(Pitches(ReadXml(after).melody), (std::vector<int>{60, 62, 60, 64, 65, 65}));
}

// Twelve measures, one whole note each, rising from C4; `marks[i]` goes into measure i + 1
// after its note, so that a measure's left and right bar lines stand beside it alike.
std::string TwelveMeasures(const std::map<int, std::string>& marks)
{
    static const char* const kPitches[] = {"C4", "D4", "E4", "F4", "G4", "A4", "B4", "C5", "D5", "E5", "F5", "G5"};
    std::vector<std::string> measures;
    for (int i = 0; i < 12; ++i) {
        const auto it = marks.find(i);
        measures.push_back(Measure(i + 1, (i == 0 ? Attributes(1) : "") + Whole(kPitches[i]) +
                                              (it != marks.end() ? it->second : "")));
    }
    return OnePart(measures);
}

// The written measures each played note comes from, 1 for the first.
std::vector<int> MeasuresPlayed(const Melody& m)
{
    static const int kPitches[] = {60, 62, 64, 65, 67, 69, 71, 72, 74, 76, 77, 79};
    std::vector<int> out;
    for (const int pitch : Pitches(m))
        out.push_back(static_cast<int>(std::find(std::begin(kPitches), std::end(kPitches), pitch) - kPitches) + 1);
    return out;
}

TEST(MusicXmlReader, EndingsThatOpenARepeatOrSpanMeasuresArePlayedAsMusiciansReadThem)
{
    // |: 1 2 |1. 3 :|2.|: 4 5 6 :| 7 ... 12: the second ending also starts the next repeat.
    const std::string opens = TwelveMeasures({
        {0, kForward},
        {2, Ending("1", "start", "left") + "<barline location=\"right\"><ending number=\"1\" type=\"stop\"/>"
                                               "<repeat direction=\"backward\"/></barline>"},
        {3, "<barline location=\"left\"><ending number=\"2\" type=\"start\"/><repeat direction=\"forward\"/>"
            "</barline>" + Ending("2", "stop", "right")},
        {5, kBackward},
    });
    EXPECT_EQ(MeasuresPlayed(ReadXml(opens).melody),
              (std::vector<int>{1, 2, 3, 1, 2, 4, 5, 6, 4, 5, 6, 7, 8, 9, 10, 11, 12}));

    // The same with the second ending two measures long, its repeat inside it.
    const std::string longer = TwelveMeasures({
        {0, kForward},
        {2, Ending("1", "start", "left") + kBackward},
        {3, "<barline location=\"left\"><ending number=\"2\" type=\"start\"/><repeat direction=\"forward\"/>"
            "</barline>"},
        {4, "<barline location=\"right\"><ending number=\"2\" type=\"stop\"/><repeat direction=\"backward\"/>"
            "</barline>"},
    });
    EXPECT_EQ(MeasuresPlayed(ReadXml(longer).melody),
              (std::vector<int>{1, 2, 3, 1, 2, 4, 5, 4, 5, 6, 7, 8, 9, 10, 11, 12}));

    // |: 1 2 3 |1, 2. 4 5 :|3. 6 7 | 8 ... 12: endings of two measures, a list before a third.
    const std::string spans = TwelveMeasures({
        {0, kForward},
        {3, Ending("1, 2", "start", "left")},
        {4, "<barline location=\"right\"><ending number=\"1, 2\" type=\"stop\"/>"
            "<repeat direction=\"backward\"/></barline>"},
        {5, Ending("3", "start", "left")},
        {6, Ending("3", "discontinue", "right")},
    });
    EXPECT_EQ(MeasuresPlayed(ReadXml(spans).melody),
              (std::vector<int>{1, 2, 3, 4, 5, 1, 2, 3, 4, 5, 1, 2, 3, 6, 7, 8, 9, 10, 11, 12}));

    // The same later in the piece, after a section that repeats on its own.
    const std::string later = TwelveMeasures({
        {1, kBackward},
        {2, kForward},
        {4, Ending("1,2", "start", "left") + kBackward},
        {5, Ending("3", "start", "left")},
        {6, Ending("3", "stop", "right")},
    });
    EXPECT_EQ(MeasuresPlayed(ReadXml(later).melody),
              (std::vector<int>{1, 2, 1, 2, 3, 4, 5, 3, 4, 5, 3, 4, 6, 7, 8, 9, 10, 11, 12}));
}

TEST(MusicXmlReader, MeasuresNoPassReachesArePlayedWhereTheyStand)
{
    // |: 1 2 |1. 3 4 :|3. 5 6 | 7 ... 12: no second ending, so no pass is numbered for the
    // third; and an ending numbered 0 belongs to no pass at all. No written note is lost.
    const std::string noSecond = TwelveMeasures({
        {0, kForward},
        {2, Ending("1", "start", "left")},
        {3, kBackward},
        {4, Ending("3", "start", "left")},
        {5, Ending("3", "stop", "right")},
    });
    const std::vector<int> played = MeasuresPlayed(ReadXml(noSecond).melody);
    EXPECT_EQ(played, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));

    const std::string zero = TwelveMeasures({
        {0, kForward},
        {2, Ending("0", "start", "left") + kBackward},
        {3, Ending("2", "start", "left") + Ending("2", "stop", "right")},
    });
    EXPECT_EQ(MeasuresPlayed(ReadXml(zero).melody), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));

    // A measure after a fine that a jump never comes back to is played where it stands too.
    const std::string pastFine = TwelveMeasures({
        {1, "<direction><sound fine=\"yes\"/></direction>"},
        {3, "<direction><sound dacapo=\"yes\"/></direction>"},
        {4, "<direction><sound coda=\"nowhere\"/></direction>"},
    });
    const std::vector<int> fine = MeasuresPlayed(ReadXml(pastFine).melody);
    for (int w = 1; w <= 12; ++w)
        EXPECT_NE(std::find(fine.begin(), fine.end(), w), fine.end()) << "measure " << w << " is never played";
}

TEST(MusicXmlReader, DaCapoDalSegnoFineAndCoda)
{
    const std::string fine = OnePart({
        Measure(1, Attributes(1) + Whole("C4")),
        Measure(2, Whole("D4") + "<direction><direction-type><words>Fine</words></direction-type>"
                                 "<sound fine=\"yes\"/></direction>"),
        Measure(3, Whole("E4") + "<direction><sound dacapo=\"yes\"/></direction>"),
    });
    EXPECT_EQ(Pitches(ReadXml(fine).melody), (std::vector<int>{60, 62, 64, 60, 62}));

    const std::string coda = OnePart({
        Measure(1, Attributes(1) + Whole("C4")),
        Measure(2, "<direction><sound segno=\"s\"/></direction>" + Whole("D4")),
        Measure(3, Whole("E4") + "<sound tocoda=\"c\"/>"),
        Measure(4, Whole("F4") + "<direction><sound dalsegno=\"s\"/></direction>"),
        Measure(5, "<direction><sound coda=\"c\"/></direction>" + Whole("G4")),
    });
    EXPECT_EQ(Pitches(ReadXml(coda).melody), (std::vector<int>{60, 62, 64, 65, 62, 64, 67}));

    // A repeat is not taken again after the jump, and the last ending is played.
    const std::string endings = OnePart({
        Measure(1, Attributes(1) + Whole("C4")),
        Measure(2, Ending("1", "start", "left") + Whole("D4") + kBackward),
        Measure(3, Ending("2", "start", "left") + Whole("E4") + Ending("2", "stop", "right") +
                       "<sound dacapo=\"yes\"/>"),
    });
    EXPECT_EQ(Pitches(ReadXml(endings).melody), (std::vector<int>{60, 62, 60, 64, 60, 64}));
}

TEST(MusicXmlReader, ChordSymbols)
{
    const std::string harmony = "<harmony><root><root-step>B</root-step><root-alter>-1</root-alter></root>"
                                "<kind text=\"m7\">minor-seventh</kind></harmony>";
    const std::string later = "<harmony><root><root-step>F</root-step><root-alter>1</root-alter></root>"
                              "<kind>diminished</kind><offset>1</offset></harmony>";
    const std::string none = "<harmony><root><root-step>C</root-step></root><kind>none</kind></harmony>";
    const Read r = ReadXml(OnePart({Measure(1, Attributes(2) + harmony + Note("C4", 4) + later + none +
                                                   Note("D4", 4))}));
    ASSERT_EQ(r.melody.chords.size(), 2u);
    EXPECT_EQ(r.melody.chords[0].root, 'B');
    EXPECT_EQ(r.melody.chords[0].alter, -1);
    EXPECT_EQ(r.melody.chords[0].suffix, "m7");
    EXPECT_EQ(r.melody.chords[1].onset, 2 * Q + Q / 2);
    EXPECT_EQ(r.melody.chords[1].suffix, "dim");
}

TEST(MusicXmlReader, TimewiseAndCompressedReadAsPartwise)
{
    const std::string partwise = OnePart({Measure(1, Attributes(1) + Note("C4", 2) + Note("E4", 2)),
                                          Measure(2, Whole("G4"))});
    const std::string timewise =
        "<?xml version=\"1.0\"?><score-timewise version=\"4.0\"><part-list><score-part id=\"P1\"><part-name>M"
        "</part-name></score-part></part-list><measure number=\"1\"><part id=\"P1\">" + Attributes(1) +
        Note("C4", 2) + Note("E4", 2) + "</part></measure><measure number=\"2\"><part id=\"P1\">" + Whole("G4") +
        "</part></measure></score-timewise>";
    const auto expected = Notes(ReadXml(partwise).melody);
    ASSERT_EQ(expected.size(), 3u);
    EXPECT_EQ(Notes(ReadXml(timewise).melody), expected);

    for (const std::string root : {"score.musicxml", "scores/inner/song.xml"}) {
        Melody m;
        EXPECT_EQ(ReadMusicXml(Mxl(partwise, root), kDefaultChoice, m), ImportStatus::Ok) << root;
        EXPECT_EQ(Notes(m), expected) << root;
    }
}

TEST(MusicXmlReader, PartsAreListedAndChosen)
{
    const std::string drums = Part("P1", {Measure(1, Attributes(1) + "<note><unpitched><display-step>C</display-step>"
                                                                     "<display-octave>5</display-octave></unpitched>"
                                                                     "<duration>4</duration></note>")});
    const std::string flute = Part("P2", {Measure(1, Attributes(1) + Note("A5", 2) + Note("B5", 2))});
    const std::string empty = Part("P3", {Measure(1, Attributes(1) + Rest(4))});
    const std::string cello = Part("P4", {Measure(1, Attributes(1) + Whole("C3"))});
    const std::string xml = XmlOfParts({{"P1", "Drums"}, {"P2", "Flute"}, {"P3", "Tacet"}, {"P4", ""}, {"P9", "Ghost"}},
                                  drums + flute + empty + cello);
    std::vector<MelodyChoice> parts;
    ASSERT_TRUE(ListMusicXmlParts(Bytes(xml), parts));
    ASSERT_EQ(parts.size(), 4u) << "a listed part without music is no part";
    EXPECT_EQ(parts[1].name, "Flute");
    EXPECT_EQ(parts[1].number, 2);
    EXPECT_EQ(parts[1].noteCount, 2);
    EXPECT_EQ(parts[0].noteCount, 0);
    EXPECT_EQ(parts[3].name, "P4") << "a part without a name goes by its id";

    EXPECT_EQ(Pitches(ReadXml(xml).melody), (std::vector<int>{81, 83}));
    EXPECT_EQ(ReadXml(xml).melody.tempoQuarterBpm, 0);
    const std::string drumsWithTempo = Part("P1", {Measure(1, "<direction><sound tempo=\"66\"/></direction>")});
    EXPECT_EQ(ReadXml(XmlOfParts({{"P1", "Drums"}, {"P2", "Flute"}}, drumsWithTempo + flute)).melody.tempoQuarterBpm, 66)
        << "the tempo stated in another part";
    EXPECT_EQ(Pitches(ReadXml(xml, 4).melody), (std::vector<int>{48}));
    EXPECT_EQ(ReadXml(xml, 3).status, ImportStatus::NoMelody);
    EXPECT_EQ(ReadXml(xml, 1).status, ImportStatus::NoMelody);
    EXPECT_EQ(ReadXml(xml, 5).status, ImportStatus::NoSuchChoice);
    EXPECT_EQ(ReadXml(xml, 0).status, ImportStatus::NoSuchChoice);
    EXPECT_EQ(ReadXml(XmlOfParts({{"P1", "Drums"}}, drums)).status, ImportStatus::NoMelody);
}

TEST(MusicXmlReaderBadInput, BrokenDocumentsAreUnreadable)
{
    const std::string good = OnePart({Measure(1, Attributes(1) + Whole("C4"))});
    std::string deep, close;
    for (int i = 0; i < 100000; ++i) {
        deep += "<a>";
        close += "</a>";
    }
    const std::vector<std::string> unreadable = {
        "", "<score-partwise><part id=\"P1\">", good.substr(0, good.size() / 2), "<html><body/></html>",
        "<score-partwise><part></score-partwise>", "<?xml version=\"1.0\"?>\n" + deep,
        OnePart({Measure(1, Attributes(0) + Whole("C4"))}), OnePart({Measure(1, Attributes(-4) + Whole("C4"))}),
        OnePart({Measure(1, "<attributes><divisions>lots</divisions></attributes>" + Whole("C4"))})};
    for (const std::string& xml : unreadable) {
        Melody m;
        EXPECT_EQ(ReadMusicXml(Bytes(xml), kDefaultChoice, m), ImportStatus::Unreadable) << xml.substr(0, 80);
    }
    // Deep nesting inside a measure is only content the reader passes over.
    EXPECT_EQ(ReadXml(OnePart({Measure(1, Attributes(1) + Whole("C4") + deep + close)})).status, ImportStatus::Ok);
}

TEST(MusicXmlReaderBadInput, AbsurdDurations)
{
    for (const std::string d : {"0", "-4", "", "nan", "1e999"}) {
        const std::string note = "<note>" + Pitch("C4") + "<duration>" + d + "</duration></note>";
        const Read r = ReadXml(OnePart({Measure(1, Attributes(1) + note)}));
        EXPECT_NE(r.status, ImportStatus::Ok) << d;
    }
    // The largest int32 divisions make every duration vanish; the largest duration is cut.
    EXPECT_EQ(ReadXml(OnePart({Measure(1, Attributes(2147483647) + Whole("C4"))})).status, ImportStatus::NoMelody);
    const Read huge = ReadXml(OnePart({Measure(1, Attributes(1) + Note("C4", 2147483647) + Note("D4", 2147483647))}));
    ASSERT_EQ(huge.status, ImportStatus::Ok);
    EXPECT_EQ(Notes(huge.melody).size(), 1u) << "reading stops where no song can reach";
}

TEST(MusicXmlReaderBadInput, HostileContainers)
{
    const std::string good = OnePart({Measure(1, Attributes(1) + Whole("C4"))});
    std::vector<std::pair<std::string, std::string>> many = {{"META-INF/container.xml", ""}};
    for (int i = 0; i < 1000; ++i)
        many.push_back({"f" + std::to_string(i), "x"});
    const std::string container = "<container><rootfiles><rootfile full-path=\"s.xml\"/></rootfiles></container>";
    const std::vector<std::vector<uint8_t>> broken = {
        Zip(many),
        Zip({{"META-INF/container.xml", container}, {"s.xml", good}, {"big.bin", std::string(kMaxMxlEntryBytes + 1, 0)}}),
        Zip({{"score.xml", good}}),                                       // no container
        Zip({{"META-INF/container.xml", container}}),                     // root file missing
        Zip({{"META-INF/container.xml", "<container/>"}, {"s.xml", good}}), // names no root file
        Zip({{"META-INF/container.xml", container}, {"s.xml", "not xml"}}),
        Bytes(std::string("PK\x03\x04", 4) + std::string(100, 'z')),
    };
    for (size_t i = 0; i < broken.size(); ++i) {
        Melody m;
        EXPECT_EQ(ReadMusicXml(broken[i], kDefaultChoice, m), ImportStatus::Unreadable) << i;
    }
    Melody m;
    EXPECT_EQ(ReadMusicXml(Zip({{"META-INF/container.xml", container}, {"s.xml", good}}), kDefaultChoice, m),
              ImportStatus::Ok);
}

TEST(MusicXmlReaderRhythm, TripletsLandAlikeWhateverTheDivisions)
{
    // Eighth triplets as 24 divisions write them exactly, and as 256 and 128 divisions round them.
    const std::string triplet = "<type>eighth</type><time-modification><actual-notes>3</actual-notes>"
                                "<normal-notes>2</normal-notes></time-modification>";
    struct Case {
        int divisions, first, second, third;
    };
    for (const Case& c : {Case{24, 8, 8, 8}, Case{256, 85, 85, 86}, Case{256, 86, 85, 85}, Case{128, 42, 43, 43}}) {
        const int d = c.divisions;
        const std::string xml = OnePart(
            {Measure(1, Attributes(d, 3, 4) + Note("G4", c.first, triplet) + Note("F4", c.second, triplet) +
                            Note("E4", c.third, triplet) + Note("D4", 2 * d, "<type>half</type>")),
             Measure(2, Note("C4", d, "<type>quarter</type>") + Note("B3", 2 * d, "<type>half</type>"))});
        const Read r = ReadXml(xml);
        ASSERT_EQ(r.status, ImportStatus::Ok) << d;
        EXPECT_EQ(Notes(r.melody), (std::vector<std::tuple<int64_t, int64_t, int>>{
                                       {0, Q / 3, 67}, {Q / 3, Q / 3, 65}, {2 * Q / 3, Q / 3, 64}, {Q, 2 * Q, 62},
                                       {3 * Q, Q, 60}, {4 * Q, 2 * Q, 59}}))
            << d << ": " << c.first << "/" << c.second << "/" << c.third;

        SongBuilder builder(r.melody);
        const auto song = builder.Build("t");
        EXPECT_EQ(LayOutMeasures(*song, 1, song->measureCount).notes.size(), 6u) << d;
        EXPECT_EQ(builder.Report().moved + builder.Report().dropped, 0) << d;
    }

    // A duration that is not a rounding of its type keeps its divisions.
    const Read odd = ReadXml(OnePart({Measure(1, Attributes(4) + Note("C4", 3, "<type>quarter</type>") +
                                                     Note("D4", 13, "<type>whole</type>"))}));
    EXPECT_EQ(Notes(odd.melody),
              (std::vector<std::tuple<int64_t, int64_t, int>>{{0, 3 * Q / 4, 60}, {3 * Q / 4, 13 * Q / 4, 62}}));
}

TEST(MusicXmlReaderRhythm, AnOverfullMeasureKeepsTheNextOnItsPlace)
{
    // Five quarters in 4/4 in the melody's part only, as some exports write them: the fifth is
    // left out and counted.
    const std::string bass = Part("P2", {Measure(1, Attributes(1) + Whole("C3")), Measure(2, Whole("C3")),
                                         Measure(3, Whole("C3"))});
    const Read r = ReadXml(XmlOfParts({{"P1", "Melody"}, {"P2", "Bass"}},
                                 Part("P1", {Measure(1, Attributes(1) + Note("C4", 1) + Note("D4", 1) + Note("E4", 1) +
                                                            Note("F4", 1) + Note("G4", 1)),
                                             Measure(2, Note("A4", 3) + Note("B4", 2)), Measure(3, Whole("C5"))}) +
                                     bass));
    ASSERT_EQ(r.status, ImportStatus::Ok);
    EXPECT_EQ(Notes(r.melody), (std::vector<std::tuple<int64_t, int64_t, int>>{
                                   {0, Q, 60}, {Q, Q, 62}, {2 * Q, Q, 64}, {3 * Q, Q, 65},
                                   {4 * Q, 3 * Q, 69}, {7 * Q, Q, 71}, {8 * Q, 4 * Q, 72}}));
    EXPECT_EQ(r.melody.skipped, 1);
    // A pickup stays short.
    const Read pickup = ReadXml(OnePart({Measure(0, Attributes(1) + Note("G4", 1)), Measure(1, Whole("C5"))}));
    EXPECT_EQ(pickup.melody.pickupTicks, Q);
    EXPECT_EQ(std::get<0>(Notes(pickup.melody)[1]), Q);
}

TEST(MusicXmlReaderRhythm, AMeasureEveryPartMakesLongerKeepsItsNotes)
{
    // A signature that is simply wrong: 3/4 over measures of four quarters. Every note stays,
    // every measure starts at its written bar line, and the song says which bar lines its
    // measures of three cannot follow.
    std::vector<std::string> measures;
    for (int i = 0; i < 3; ++i)
        measures.push_back(Measure(i + 1, (i == 0 ? Attributes(1, 3, 4) : "") + Note("C4", 1) + Note("D4", 1) +
                                              Note("E4", 1) + Note("F4", 1)));
    const Read wrong = ReadXml(OnePart(measures));
    ASSERT_EQ(wrong.status, ImportStatus::Ok);
    EXPECT_EQ(Notes(wrong.melody).size(), 12u);
    EXPECT_EQ(std::get<0>(Notes(wrong.melody)[11]), 11 * Q);
    EXPECT_EQ(wrong.melody.skipped, 0);
    EXPECT_EQ(wrong.melody.bars, (std::vector<int64_t>{4 * Q, 8 * Q}));
    SongBuilder builder(wrong.melody);
    const auto song = builder.Build("t");
    EXPECT_EQ(LayOutMeasures(*song, 1, song->measureCount).notes.size(), 12u);
    EXPECT_EQ(builder.Report().barsOffGrid, 2);

    // Six quarters where the other part writes five: what overflows the other part is cut, the
    // fifth quarter that both hold is kept, and the next measure starts after it.
    auto part = [](const std::string& id, int quarters, const std::string& pitch) {
        std::string first = Attributes(1);
        for (int i = 0; i < quarters; ++i)
            first += Note(pitch, 1);
        return Part(id, {Measure(1, first), Measure(2, Whole(pitch))});
    };
    const Read both = ReadXml(XmlOfParts({{"P1", "Upper"}, {"P2", "Lower"}}, part("P1", 6, "E5") + part("P2", 5, "C3")));
    ASSERT_EQ(both.status, ImportStatus::Ok);
    EXPECT_EQ(Notes(both.melody).size(), 6u);
    EXPECT_EQ(Notes(both.melody).back(), std::make_tuple(5 * Q, 4 * Q, 76));
    EXPECT_EQ(both.melody.skipped, 1);
    // The lower part, read as the melody, is within what the upper part holds and loses nothing.
    const Read lower = ReadXml(XmlOfParts({{"P1", "Upper"}, {"P2", "Lower"}}, part("P1", 6, "E5") + part("P2", 5, "C3")), 2);
    EXPECT_EQ(Notes(lower.melody).size(), 6u);
    EXPECT_EQ(lower.melody.skipped, 0);
}

TEST(MusicXmlReaderVoices, VoiceOneOfTheUpperStaffIsTheMelody)
{
    auto note = [](const std::string& pitch, int duration, const std::string& voice, int staff = 1) {
        return "<note>" + Pitch(pitch) + "<duration>" + std::to_string(duration) + "</duration><voice>" + voice +
               "</voice><staff>" + std::to_string(staff) + "</staff></note>";
    };
    const std::string back = "<backup><duration>4</duration></backup>";
    // As in a fugue: the soprano rests while a lower voice, written on the upper staff, enters.
    const std::string fugue = OnePart(
        {Measure(1, Attributes(1) + "<note><rest/><duration>4</duration><voice>1</voice><staff>1</staff></note>" +
                        back + note("C5", 4, "2") + back + note("C3", 4, "5", 2)),
         Measure(2, note("E5", 2, "1") + note("D5", 2, "1") + back + note("G4", 4, "2"))});
    const Read r = ReadXml(fugue);
    ASSERT_EQ(r.status, ImportStatus::Ok);
    EXPECT_EQ(Pitches(r.melody), (std::vector<int>{76, 74}));

    // Without a voice 1 on the upper staff the voice that sounds highest on average is taken,
    // however many notes a lower voice has: the tune in voice 3, the bass in voice 4.
    std::string bass;
    for (int i = 0; i < 16; ++i)
        bass += note(i % 2 ? "G2" : "C3", 1, "4");
    const std::string noFirst = OnePart(
        {Measure(1, Attributes(1) + note("C5", 4, "3") + back + note("E4", 1, "2") + note("F4", 1, "2") +
                        note("G4", 2, "2") + back + bass.substr(0, bass.size() / 4)),
         Measure(2, note("D5", 4, "3") + back + bass.substr(bass.size() / 4, bass.size() / 4)),
         Measure(3, note("E5", 2, "3") + note("A3", 2, "3") + back + bass.substr(bass.size() / 2, bass.size() / 4)),
         Measure(4, note("F5", 4, "3") + back + bass.substr(3 * bass.size() / 4))});
    EXPECT_EQ(Pitches(ReadXml(noFirst).melody), (std::vector<int>{72, 74, 76, 57, 77}));

    // Among several parts the count offered is the same, and the same voice is read.
    const std::string twoParts =
        XmlOfParts({{"P1", "Upper"}, {"P2", "Lower"}},
              Part("P1", {Measure(1, Attributes(1) + "<note><rest/><duration>4</duration><voice>1</voice></note>" +
                                         back + note("C5", 4, "2")),
                          Measure(2, note("E5", 4, "1"))}) +
                  Part("P2", {Measure(1, Attributes(1) + Whole("C3"))}));
    std::vector<MelodyChoice> parts;
    ASSERT_TRUE(ListMusicXmlParts(Bytes(twoParts), parts));
    EXPECT_EQ(parts[0].noteCount, 2);
    EXPECT_EQ(Pitches(ReadXml(twoParts).melody), (std::vector<int>{76}));
}

TEST(MusicXmlReader, ArchivesWithDataDescriptorsAreRead)
{
    const std::string score = OnePart({Measure(1, Attributes(1) + Whole("E4"))});
    const std::string container = "<container><rootfiles><rootfile full-path=\"s.xml\"/></rootfiles></container>";
    Melody m;
    ASSERT_EQ(ReadMusicXml(StreamedZip({{"META-INF/container.xml", container}, {"s.xml", score}}), kDefaultChoice, m),
              ImportStatus::Ok);
    EXPECT_EQ(Pitches(m), (std::vector<int>{64}));
    // The entry limit holds for them as well.
    std::vector<std::pair<std::string, std::string>> many = {{"META-INF/container.xml", container}, {"s.xml", score}};
    for (int i = 0; i < 1000; ++i)
        many.push_back({"f" + std::to_string(i), "x"});
    EXPECT_EQ(ReadMusicXml(StreamedZip(many), kDefaultChoice, m), ImportStatus::Unreadable);
}

TEST(MusicXmlReaderBadInput, RepeatsCopyNoMoreThanASongCanHold)
{
    // 2000 chord symbols played a thousand times: copies are held to the note limit, and the
    // rest is counted as left out.
    std::string harmonies;
    for (int i = 0; i < 2000; ++i)
        harmonies += "<harmony><root><root-step>G</root-step></root><kind>dominant</kind></harmony>";
    const std::string thousandTimes = "<barline location=\"right\"><repeat direction=\"backward\" times=\"1000\"/></barline>";
    const Read chords = ReadXml(OnePart({Measure(1, Attributes(1) + harmonies + Whole("C4") + thousandTimes)}));
    ASSERT_EQ(chords.status, ImportStatus::Ok);
    EXPECT_EQ(chords.melody.notes.size(), 1000u);
    EXPECT_EQ(chords.melody.chords.size(), 100000u);
    EXPECT_EQ(chords.melody.skipped, 2000 * 1000 - 100000);
    EXPECT_EQ(chords.melody.chords.back().suffix, "7");

    // A lyric is cut when read to what a song cell could ever show, at a character.
    std::string words;
    for (int i = 0; i < 100000; ++i)
        words += "\xE3\x81\x82"; // あ
    const std::string lyric = "<lyric><text>" + words + "</text><elision/><text>" + words + "</text></lyric>";
    const Read sung = ReadXml(OnePart({Measure(1, Attributes(1) + Note("C4", 4, lyric) + thousandTimes)}));
    ASSERT_EQ(sung.status, ImportStatus::Ok);
    ASSERT_EQ(sung.melody.notes.size(), 1000u);
    ASSERT_EQ(sung.melody.notes.back().lyric.size(), 30u);
    EXPECT_EQ(sung.melody.notes.back().lyric, words.substr(0, 30));
}

TEST(MusicXmlReaderBadInput, AMeterSumBeyondAnyNumberStaysLarge)
{
    std::string beats;
    for (int i = 0; i < 2'200'000; ++i) // their sum passes 2^31
        beats += "1000+";
    const std::string time = "<attributes><time><beats>" + beats + "99999999999999999999</beats>"
                             "<beat-type>4</beat-type></time></attributes>";
    const Read r = ReadXml(OnePart({Measure(1, Attributes(1) + time + Whole("C4"))}));
    ASSERT_EQ(r.status, ImportStatus::Ok);
    ASSERT_EQ(r.melody.meters.size(), 1u);
    EXPECT_EQ(r.melody.meters[0].numerator, 1000000) << "not wrapped round to a negative sum";
    EXPECT_EQ(r.melody.meters[0].denominator, 4);
}

TEST(MusicXmlReaderBadInput, DenseMarkupIsRefusedBeforeItIsParsed)
{
    // Every "<" and "=" may become a node or an attribute of some 80 bytes; past 655360 of
    // them the score is refused, plain or compressed.
    std::string within, beyond;
    for (int i = 0; i < 600000; ++i)
        within += "<a/>";
    for (int i = 0; i < 700000; ++i)
        beyond += "<b/>";
    const std::string ok = OnePart({Measure(1, Attributes(1) + Whole("C4") + within)});
    EXPECT_EQ(ReadXml(ok).status, ImportStatus::Ok);
    EXPECT_EQ(ReadXml(OnePart({Measure(1, Attributes(1) + Whole("C4") + beyond)})).status, ImportStatus::Unreadable);
    std::string attributes = "<a";
    for (int i = 0; i < 100000; ++i)
        attributes += " a" + std::to_string(i) + "=\"\"";
    attributes += "/>";
    EXPECT_EQ(ReadXml(OnePart({Measure(1, Attributes(1) + Whole("C4") + within + attributes)})).status,
              ImportStatus::Unreadable);
    Melody m;
    EXPECT_EQ(ReadMusicXml(Mxl(OnePart({Measure(1, Attributes(1) + Whole("C4") + beyond)})), kDefaultChoice, m),
              ImportStatus::Unreadable);
    EXPECT_EQ(ReadMusicXml(Mxl(ok), kDefaultChoice, m), ImportStatus::Ok);
}

namespace {

// (onset, pitch) of a voice's notes, in ticks.
std::vector<std::pair<int64_t, int>> Onsets(const VoiceCandidate& voice)
{
    std::vector<std::pair<int64_t, int>> out;
    for (const MelodyNote& n : voice.notes)
        out.emplace_back(n.onset, n.pitch);
    return out;
}

std::vector<std::string> Origins(const Melody& m)
{
    std::vector<std::string> out;
    for (const VoiceCandidate& v : m.voices)
        out.push_back(v.origin);
    return out;
}

std::string Harmony(const std::string& root)
{
    return "<harmony><root><root-step>" + root + "</root-step></root><kind>major</kind></harmony>";
}

} // namespace

TEST(MusicXmlReaderVoices, EveryPartIsPlayedOnTheMelodysTimeline)
{
    // Only the flute repeats; the bass and a one-measure part follow its play order 1 2 1 2 3.
    const std::string flute =
        Part("P1", {Measure(1, Attributes(1) + kForward + Whole("C5")), Measure(2, Whole("D5") + kBackward),
                    Measure(3, Whole("E5"))});
    const std::string bass = Part(
        "P2", {Measure(1, Attributes(1) + Harmony("F") + Note("C3", 2) + Note("G2", 2)), Measure(2, Whole("F2")),
               Measure(3, Note("C3", 2, "<tie type=\"start\"/>") + Note("C3", 2, "<tie type=\"stop\"/>"))});
    const std::string horn = Part("P3", {Measure(1, Attributes(1) + Whole("A3"))});
    const std::string xml = XmlOfParts({{"P1", "Flute"}, {"P2", "Bass"}, {"P3", ""}}, flute + bass + horn);
    const Read r = ReadXml(xml);
    ASSERT_EQ(r.status, ImportStatus::Ok);
    ASSERT_EQ(r.melody.voices.size(), 3u);
    EXPECT_EQ(r.melody.melodyVoice, 0);
    EXPECT_EQ(Origins(r.melody), (std::vector<std::string>{"P1 staff 1 voice 1", "P2 staff 1 voice 1",
                                                           "P3 staff 1 voice 1"}));
    EXPECT_EQ(r.melody.voices[0].name, "Flute");
    EXPECT_EQ(r.melody.voices[1].name, "Bass");
    EXPECT_EQ(r.melody.voices[2].name, "パート 3") << "a part without a name";
    EXPECT_EQ(r.melody.voices[0].notes.size(), 5u);
    EXPECT_EQ(Onsets(r.melody.voices[1]),
              (std::vector<std::pair<int64_t, int>>{{0, 48}, {2 * Q, 43}, {4 * Q, 41}, {8 * Q, 48}, {10 * Q, 43},
                                                    {12 * Q, 41}, {16 * Q, 48}}));
    EXPECT_EQ(r.melody.voices[1].notes.back().duration, 4 * Q) << "the tie is merged";
    EXPECT_EQ(Onsets(r.melody.voices[2]), (std::vector<std::pair<int64_t, int>>{{0, 57}, {8 * Q, 57}}))
        << "a shorter part is played where its measures map";
    // The flute writes no chord symbols: the bass's are shown, as often as the measure is played.
    ASSERT_EQ(r.melody.chords.size(), 2u);
    EXPECT_EQ(r.melody.chords[1].onset, 8 * Q);
    EXPECT_EQ(r.melody.chords[1].root, 'F');

    // The bass chosen: the same voices, the melody the second of them.
    const Read low = ReadXml(xml, 2);
    ASSERT_EQ(low.status, ImportStatus::Ok);
    EXPECT_EQ(low.melody.melodyVoice, 1);
    EXPECT_EQ(Origins(low.melody), Origins(r.melody));
    EXPECT_EQ(low.melody.chords.size(), 1u) << "played without repeats: its own measures";

    // A part with chord symbols of its own keeps only those.
    const std::string own = Part("P1", {Measure(1, Attributes(1) + Harmony("G") + Whole("C5"))});
    const Read mine = ReadXml(XmlOfParts({{"P1", "Flute"}, {"P2", "Bass"}}, own + bass));
    ASSERT_EQ(mine.melody.chords.size(), 1u);
    EXPECT_EQ(mine.melody.chords[0].root, 'G');
}

TEST(MusicXmlReaderVoices, StavesAndVoicesOfOnePartAreVoicesOfTheirOwn)
{
    auto note = [](const std::string& pitch, int duration, const std::string& voice, int staff, bool chord = false) {
        return std::string("<note>") + (chord ? "<chord/>" : "") + Pitch(pitch) + "<duration>" +
               std::to_string(duration) + "</duration><voice>" + voice + "</voice><staff>" + std::to_string(staff) +
               "</staff></note>";
    };
    const std::string back = "<backup><duration>4</duration></backup>";
    // The lower staff written first, and voice 2 before voice 1 on the upper one.
    const std::string measure = Attributes(1) + note("C3", 4, "5", 2) + note("G3", 4, "5", 2, true) + back +
                                note("C5", 2, "2", 1) + note("A4", 2, "2", 1) + back + note("E5", 4, "1", 1) +
                                "<note><grace/>" + Pitch("D5") + "<voice>3</voice><staff>1</staff></note>";
    const Read r = ReadXml(XmlOfParts({{"P1", "Piano"}}, Part("P1", {Measure(1, measure)})));
    ASSERT_EQ(r.status, ImportStatus::Ok);
    ASSERT_EQ(r.melody.voices.size(), 3u) << "a grace note makes no voice";
    EXPECT_EQ(Origins(r.melody), (std::vector<std::string>{"P1 staff 1 voice 2", "P1 staff 1 voice 1",
                                                           "P1 staff 2 voice 5"}));
    EXPECT_EQ(r.melody.voices[0].name, "Piano 上段 声部2");
    EXPECT_EQ(r.melody.voices[1].name, "Piano 上段 声部1");
    EXPECT_EQ(r.melody.voices[2].name, "Piano 下段");
    EXPECT_EQ(r.melody.melodyVoice, 1);
    EXPECT_EQ(Pitches(r.melody), (std::vector<int>{76}));
    EXPECT_EQ(Onsets(r.melody.voices[0]), (std::vector<std::pair<int64_t, int>>{{0, 72}, {2 * Q, 69}}));
    EXPECT_EQ(Onsets(r.melody.voices[2]), (std::vector<std::pair<int64_t, int>>{{0, 48}, {0, 55}}))
        << "a chord keeps all its notes";

    // One staff with one voice: the part's name alone, and the one voice the melody.
    const Read single = ReadXml(OnePart({Measure(1, Attributes(1) + Whole("C4"))}));
    ASSERT_EQ(single.melody.voices.size(), 1u);
    EXPECT_EQ(single.melody.voices[0].name, "Melody");
    EXPECT_EQ(single.melody.melodyVoice, 0);
}

TEST(MusicXmlReaderBadInput, ThousandsOfPartsAndVoicesListSixteen)
{
    std::vector<std::pair<std::string, std::string>> list;
    std::string body, voices = Attributes(1);
    for (int i = 0; i < 2000; ++i) {
        const std::string id = "P" + std::to_string(i);
        list.push_back({id, id});
        body += Part(id, {Measure(1, Attributes(1) + Whole("C4"))});
        voices += "<note>" + Pitch("D4") + "<duration>4</duration><voice>" + std::to_string(i) +
                  "</voice></note><backup><duration>4</duration></backup>";
    }
    const Read parts = ReadXml(XmlOfParts(list, body), 1000);
    ASSERT_EQ(parts.status, ImportStatus::Ok);
    ASSERT_EQ(parts.melody.voices.size(), kMaxVoiceCandidates);
    EXPECT_EQ(parts.melody.voices.back().origin, "P16 staff 1 voice 1");
    EXPECT_EQ(parts.melody.melodyVoice, -1) << "the melody's part is past the list";
    const Read many = ReadXml(OnePart({Measure(1, voices)}));
    ASSERT_EQ(many.status, ImportStatus::Ok);
    EXPECT_EQ(many.melody.voices.size(), kMaxVoiceCandidates);
    EXPECT_EQ(many.melody.voices[0].name, "Melody 声部0");
}

TEST(MusicXmlReaderVoices, APartThatFillsAMeasureTheMelodyLeavesShortKeepsItsNotes)
{
    // In 9/8 the first violin writes four quarters, the second the whole measure, its last
    // eighth after the first violin's last note.
    auto eighths = [](const std::string& pitch, int count) {
        std::string notes;
        for (int i = 0; i < count; ++i)
            notes += Note(pitch, 1);
        return notes;
    };
    const std::string xml =
        XmlOfParts({{"P1", "Violin I"}, {"P2", "Violin II"}},
              Part("P1", {Measure(1, Attributes(2, 9, 8) + Note("E5", 9)), Measure(2, Note("D5", 8)),
                          Measure(3, Note("C5", 9))}) +
                  Part("P2", {Measure(1, Attributes(2, 9, 8) + Note("C4", 9)), Measure(2, eighths("G4", 9)),
                              Measure(3, Note("C4", 9))}));
    const Read r = ReadXml(xml);
    ASSERT_EQ(r.status, ImportStatus::Ok);
    ASSERT_EQ(r.melody.voices.size(), 2u);
    const std::vector<std::pair<int64_t, int>> second = Onsets(r.melody.voices[1]);
    ASSERT_EQ(second.size(), 11u);
    EXPECT_EQ(second[9], std::make_pair(Q * 9 / 2 + 4 * Q, 67)) << "the ninth eighth is kept";
    EXPECT_EQ(second[10], std::make_pair(9 * Q, 60)) << "the next measure starts at its bar line";
    EXPECT_EQ(Notes(r.melody).back(), std::make_tuple(9 * Q, Q * 9 / 2, 72));
    EXPECT_EQ(r.melody.skipped, 0);

    // A short first measure stays the pickup the melody writes.
    const std::string pickup = XmlOfParts(
        {{"P1", "Violin I"}, {"P2", "Violin II"}},
        Part("P1", {Measure(0, Attributes(1) + Note("G4", 1)), Measure(1, Whole("C5"))}) +
            Part("P2", {Measure(0, Attributes(1) + Note("C4", 4)), Measure(1, Whole("C4"))}));
    EXPECT_EQ(ReadXml(pickup).melody.pickupTicks, Q);
}

TEST(MusicXmlReaderVoices, ChordNotesWithoutAVoiceAreInTheVoiceOfTheirChord)
{
    auto note = [](const std::string& pitch, const std::string& voice, int staff) {
        return "<note>" + Pitch(pitch) + "<duration>4</duration><voice>" + voice + "</voice><staff>" +
               std::to_string(staff) + "</staff></note>";
    };
    const std::string bare = [] {
        return "<note><chord/>" + Pitch("G3") + "<duration>4</duration></note><note><chord/>" + Pitch("E3") +
               "<duration>4</duration><staff>2</staff></note>";
    }();
    const std::string xml =
        OnePart({Measure(1, Attributes(1) + note("E5", "1", 1) + "<backup><duration>4</duration></backup>" +
                                note("C3", "2", 2) + bare),
                 Measure(2, note("D5", "1", 1))});
    const Read r = ReadXml(xml);
    ASSERT_EQ(r.status, ImportStatus::Ok);
    EXPECT_EQ(Pitches(r.melody), (std::vector<int>{76, 74}));
    ASSERT_EQ(r.melody.voices.size(), 2u) << "no voice of stray chord notes";
    EXPECT_EQ(Origins(r.melody), (std::vector<std::string>{"P1 staff 1 voice 1", "P1 staff 2 voice 2"}));
    EXPECT_EQ(Onsets(r.melody.voices[1]), (std::vector<std::pair<int64_t, int>>{{0, 48}, {0, 55}, {0, 52}}));
}
