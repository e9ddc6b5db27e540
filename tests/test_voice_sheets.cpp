// Sheets of several voices read back from the PDF as a player's viewer shows them: circles
// per voice where the score has them, the flow lines' dashes by role, one synch line per onset
// two voices share, and no circle crowding another.

#include "app/RenderCommand.h"
#include "common/FileServices.h"
#include "tests/support/MusicXmlText.h"
#include "tests/support/PdfProbe.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr double kMm = 72 / 25.4; // points per millimetre

// A page's dashed strokes by their pattern: a dotted voice's dots are a sliver of their
// period, a synch line's dashes 8 to 6, a jump line's 2 to 1.
struct Strokes {
    size_t dotted = 0, dashed = 0, synch = 0, jump = 0;
};

Strokes DashedStrokes(const std::string& svgFile)
{
    Strokes strokes;
    const std::string svg = Capture("cat " + Quoted(svgFile));
    const std::string key = "stroke-dasharray:";
    for (size_t at = svg.find(key); at != std::string::npos; at = svg.find(key, at + 1)) {
        double dash = 0, space = 0;
        if (std::sscanf(svg.c_str() + at + key.size(), "%lf,%lf", &dash, &space) != 2 || space <= 0)
            continue;
        const double ratio = dash / space;
        strokes.dotted += ratio < 0.1;
        strokes.synch += ratio > 1.2 && ratio < 1.45;
        strokes.dashed += ratio > 1.6 && ratio < 1.75;
        strokes.jump += ratio > 1.9 && ratio < 2.1;
    }
    return strokes;
}

struct VoiceSheet {
    std::vector<PdfBox> circles; // among the strings, the legend's below them left out
    Strokes strokes;
    size_t rings = 0; // circles drawn round another: a pluck two voices share
    std::vector<PdfBox> ringBoxes;
    std::string text;
};

class VoiceSheetsTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& text)
    {
        const std::string path = sandbox.Path(name);
        WriteFileBytes(path, mx::Bytes(text));
        return path;
    }
    std::string Run(std::vector<std::string> args)
    {
        std::ostringstream out, err;
        const int status = RunRenderCommand(args, out, err);
        return status == 0 ? out.str() : "exit " + std::to_string(status) + ": " + err.str();
    }
    VoiceSheet Sheet(const std::string& song, const std::string& voices, const std::string& harp = "25")
    {
        const std::string pdf = sandbox.Path("sheet" + std::to_string(++sheets) + ".pdf");
        const std::string stem = sandbox.Path("paths" + std::to_string(sheets));
        EXPECT_EQ(Run({"--harp", harp, "--measures", "all", "--voices", voices, song, pdf}), "") << song;
        VoiceSheet read;
        const std::vector<PdfPath> paths = PdfPaths(pdf, 1, stem);
        // A note's circle sits on its string; the legend's kinds stand beside none.
        std::vector<double> strings;
        for (const PdfPath& path : paths)
            for (const auto& points : path.subpaths)
                if (points.size() == 2 && std::abs(points[0].first - points[1].first) < 0.01 &&
                    std::abs(points[0].second - points[1].second) > 20 * kMm)
                    strings.push_back(points[0].first);
        std::vector<PdfBox> all;
        for (const PdfBox& c : PdfCircles(paths))
            if (std::any_of(strings.begin(), strings.end(), [&](double x) { return std::abs(x - c.CentreX()) < 0.3; }))
                all.push_back(c);
        // A shared pluck's ring stands round its circle, centred on it and larger.
        for (const PdfBox& c : all) {
            const bool ring = std::any_of(all.begin(), all.end(), [&](const PdfBox& o) {
                return &o != &c && std::abs(o.CentreX() - c.CentreX()) < 0.2 && std::abs(o.CentreY() - c.CentreY()) < 0.2 &&
                       o.right - o.left < c.right - c.left - 0.5;
            });
            if (ring) {
                ++read.rings;
                read.ringBoxes.push_back(c);
            } else
                read.circles.push_back(c);
        }
        read.strokes = DashedStrokes(stem + ".svg");
        read.text = WithoutSpaces(PdfText(pdf, 1));
        return read;
    }
    // The smallest distance between two circles' edges on the page, in millimetres.
    static double ClosestCircles(const std::vector<PdfBox>& circles)
    {
        double closest = 1e9;
        for (size_t i = 0; i < circles.size(); ++i)
            for (size_t k = i + 1; k < circles.size(); ++k) {
                const PdfBox &a = circles[i], &b = circles[k];
                const double centres = std::hypot(a.CentreX() - b.CentreX(), a.CentreY() - b.CentreY());
                closest = std::min(closest, centres - (a.right - a.left) / 2 - (b.right - b.left) / 2);
            }
        return closest / kMm;
    }

    SandboxDir sandbox;
    RecordingSink sink;
    int sheets = 0;
};

const char* const kDuet = "X:1\nT:Duet\nM:3/4\nL:1/4\nK:D\n"
                          "V:1 name=\"Soprano\"\nd2 e|f2 e|d c B|A3|\n"
                          "V:2 name=\"Alto\"\nF2 G|A2 G|F E D|C3|\n";

const char* const kChordTune = "X:1\nT:Chords\nM:4/4\nL:1/8\nK:G\n"
                               "\"G\"G2 B2 d2 B2|\"C\"c2 e2 \"D7\"d2 c2|\"G\"B2 G2 \"Em\"E2 G2|\"D\"F2 A2 \"G\"G4|]\n";

} // namespace

// An ABC duet: both voices' eight notes, the second voice's seven dotted lines, and a synch
// line at each of the eight onsets they share.
TEST_F(VoiceSheetsTest, AnAbcDuetDrawsBothVoicesWithDottedSecondAndSynchLines)
{
    const std::string tune = Write("duet.abc", kDuet);
    EXPECT_NE(Run({"--info", tune}).find("voice.1=Soprano|8|69|78\nvoice.2=Alto|8|61|69\nmelody_from=V:1\n"),
              std::string::npos);
    const VoiceSheet melody = Sheet(tune, "melody=1");
    EXPECT_EQ(melody.circles.size(), 8u);
    EXPECT_EQ(melody.strokes.dotted + melody.strokes.synch, 0u);

    const VoiceSheet both = Sheet(tune, "melody=1,2=2");
    EXPECT_EQ(both.circles.size(), 16u);
    // The second voice's seven dashed lines and its key's; the eight synch lines and the key's.
    EXPECT_EQ(both.strokes.dashed, 8u);
    EXPECT_EQ(both.strokes.synch, 9u);
    EXPECT_EQ(both.rings, 0u);
    EXPECT_GE(ClosestCircles(both.circles), 0.8);
    EXPECT_NE(both.text.find("旋律—Soprano実線弦にない音0"), std::string::npos) << both.text;
    EXPECT_NE(both.text.find("第2声—Alto破線弦にない音0"), std::string::npos) << "the legend names part, role, stroke";
    EXPECT_NE(both.text.find("細い破線同時に弾く音"), std::string::npos);
}

// A MusicXML song of a melody and a bass part: the bass as the accompaniment is circles without
// a line, under a synch line wherever it starts with the melody.
TEST_F(VoiceSheetsTest, ATwoPartScoreDrawsTheBassAsAccompanimentWithoutFlowLines)
{
    using namespace mx;
    const std::string melody = Part("P1", {Measure(1, Attributes(1) + Note("E5", 1) + Note("D5", 1) + Note("C5", 2)),
                                          Measure(2, Note("D5", 1) + Note("E5", 1) + Note("G5", 2))});
    const std::string bass = Part("P2", {Measure(1, Attributes(1) + Note("C3", 2) + Note("G3", 2)),
                                        Measure(2, Note("G3", 4))});
    const std::string song = Write("song.musicxml", XmlOfParts({{"P1", "Voice"}, {"P2", "Bass"}}, melody + bass));
    const std::string info = Run({"--info", "--voices", "melody=1,acc=2", "--harp", "37", song});
    EXPECT_NE(info.find("voice.1=Voice|6|72|79\nvoice.2=Bass|3|48|55\nmelody_from=P1 staff 1 voice 1\n"
                        "drawn_voices=melody:1,acc:2\nmissing.melody=0\nmissing.acc=0\n"),
              std::string::npos)
        << info;
    const VoiceSheet sheet = Sheet(song, "melody=1,acc=2", "37");
    EXPECT_EQ(sheet.circles.size(), 9u);
    EXPECT_EQ(sheet.strokes.dotted, 0u) << "the accompaniment has no line";
    // The bass starts with the melody at the first beat of each half of measure 1 and at measure 2.
    EXPECT_EQ(sheet.strokes.synch, 3u + 1u) << "and the legend's key";
    EXPECT_GE(ClosestCircles(sheet.circles), 0.8);
    EXPECT_NE(sheet.text.find("伴奏—Bass線なし"), std::string::npos) << sheet.text;
}

// "コードから" on a folk tune with chord names: a root and a fifth at each of the seven changes,
// one synch line to the melody at each, and on a harp too short for the E under the melody the
// root takes the octave over it rather than the melody's own string.
TEST_F(VoiceSheetsTest, ChordNamesGiveAnAccompanimentWithOneSynchLinePerChange)
{
    const std::string tune = Write("chords.abc", kChordTune);
    const VoiceSheet wide = Sheet(tune, "acc=chords", "37");
    EXPECT_EQ(wide.circles.size(), 15u + 14u);
    EXPECT_EQ(wide.strokes.synch, 7u + 1u);
    EXPECT_EQ(wide.rings, 0u);
    EXPECT_GE(ClosestCircles(wide.circles), 0.8);

    const VoiceSheet narrow = Sheet(tune, "acc=chords", "25");
    EXPECT_EQ(narrow.rings, 0u) << "E4 of the Em chord keeps off the melody's own E4: E5 has a string";
    EXPECT_EQ(narrow.strokes.synch, 7u + 1u);
    EXPECT_EQ(sink.Count(), 0u);
}

// One rule for every role: an entry that cannot be drawn as asked is a usage error naming it,
// on one line; only a voice number the file lacks is the import's message.
TEST_F(VoiceSheetsTest, EveryVoicesEntryIsCheckedByOneRule)
{
    const std::string tune = Write("duet.abc", kDuet), plain = Write("plain.abc", "X:1\nT:Plain\nK:C\nCDEF|GABc|\n");
    const std::string song = JoinPath(DP_SAMPLE_DIR, "twinkle.mwd");
    struct Case {
        std::string file, voices, error;
    };
    for (const Case& c : {Case{tune, "2=1,melody=1", "\"melody=1\" gives voice 1 a second role"},
                          Case{tune, "2=1,3=1", "\"3=1\" gives voice 1 a second role"},
                          Case{tune, "2=1", "\"2=1\" gives the melody's voice a second role"},
                          Case{tune, "bass=2", "\"bass=2\" names no role"},
                          Case{tune, "2=2,2=1", "\"2=1\" gives the role 2 a second time"},
                          Case{tune, "acc=x", "\"acc=x\" needs a voice's number from 1, or chords"},
                          Case{tune, "melody=2,", "\"\" is no ROLE=N"},
                          Case{tune, "acc=chords", "\"acc=chords\" finds no chord names"},
                          Case{plain, "acc=chords", "\"acc=chords\" finds no chord names"},
                          Case{song, "melody=2", "\"melody=2\" names a voice, but a song file holds its melody alone"},
                          Case{song, "2=1", "\"2=1\" names a voice"}}) {
        const std::string result = Run({"--voices", c.voices, c.file, sandbox.Path("x.png")});
        EXPECT_EQ(result.rfind("exit 2: dovrelplinvara-render: --voices: ", 0), 0u) << c.voices << ": " << result;
        EXPECT_NE(result.find(c.error), std::string::npos) << c.voices << ": " << result;
        EXPECT_EQ(result.find('\n'), result.size() - 1) << "one line: " << result;
    }
    EXPECT_FALSE(FileExists(sandbox.Path("x.png")));
    EXPECT_EQ(sink.Count(), 0u);
    EXPECT_EQ(Run({"--voices", "melody=1,2=3", tune}), "exit 1: ");
    EXPECT_EQ(sink.Take(), std::vector<std::string>{"IMPT00000004 指定されたパートがありません。"}) << "the tune is there";
    EXPECT_NE(Run({"--info", "--voices", "melody=2,2=1", tune}).find("\ndrawn_voices=melody:2,2:1\n"), std::string::npos)
        << "the voices change roles";
    EXPECT_EQ(Run({"--voices", "acc=chords", song}), "") << "a song file's chord names are its own to use";
}

// The key list counts every drawn voice's notes without a string: on 25 strings from G3 a bass
// line below them all counts in keys= as it does in missing.2=, the melody's first.
TEST_F(VoiceSheetsTest, TheKeysCountTheMissingNotesOfEveryVoice)
{
    const std::string song = Write("low.abc", "X:1\nT:Low\nM:4/4\nL:1/4\nK:C\nV:1\nc d e f|g a b c'|\n"
                                              "V:2\nC, D, E, F,|G, A, B, C|\n");
    const std::string info = Run({"--info", "--voices", "2=2", song});
    const auto value = [&](const std::string& key) {
        const size_t at = info.find("\n" + key + "=");
        return at == std::string::npos ? std::string() : info.substr(at + key.size() + 2, info.find('\n', at + 1) - at - key.size() - 2);
    };
    const int melody = std::stoi(value("missing.melody")), second = std::stoi(value("missing.2"));
    EXPECT_GT(second, 0) << info;
    const std::string keys = value("keys");
    const std::string key = value("key");
    const size_t at = keys.find(key + ":");
    ASSERT_NE(at, std::string::npos) << keys;
    EXPECT_EQ(std::stoi(keys.substr(at + key.size() + 1)), melody + second) << info;

    // Each of them is marked on the sheet with its name, the harp's string names having none
    // below G3; the melody's own sheet, the others left out, marks none of the second voice's.
    const std::string pdf = sandbox.Path("low.pdf");
    EXPECT_EQ(Run({"--voices", "2=2", song, pdf}), "");
    const std::string text = PdfText(pdf, 1);
    int marked = 0;
    for (const char* name : {"C2", "D2", "E2", "F2", "G2", "A2", "B2", "C3", "D3", "E3", "F3", "F#3"})
        marked += text.find(std::string(" ") + name + " ") != std::string::npos ||
                  text.find(std::string("\n") + name + "\n") != std::string::npos ||
                  text.find(std::string(name) + "\n") == 0;
    EXPECT_EQ(marked, second) << text;
    EXPECT_EQ(Run({"--voices", "2=2", "--player", "melody", "--others", "hide", song, pdf}), "");
    EXPECT_EQ(PdfText(pdf, 1).find("D2"), std::string::npos);
}

// A chorale for four players: each player's sheet has the group's circles where the group's
// sheet has them, names its part, and with --others hide draws that voice alone.
TEST_F(VoiceSheetsTest, EachPlayerGetsTheGroupsLayoutForTheirVoice)
{
    const std::string tune = Write("chorale.abc", "X:1\nT:Chorale\nM:4/4\nL:1/4\nK:G\n"
                                                  "V:1 name=\"Soprano\"\nG A B c|d2 B2|\nV:2 name=\"Alto\"\nD F G A|G2 G2|\n"
                                                  "V:3 name=\"Tenor\"\nB, D D E|D2 D2|\nV:4 name=\"Bass\"\nG, D, G, C,|B,,2 G,,2|\n");
    const std::string voices = "melody=1,2=2,3=3,4=4";
    const std::string all = sandbox.Path("all.pdf"), hide = sandbox.Path("hide.pdf");
    EXPECT_EQ(Run({"--harp", "25", "--measures", "all", "--voices", voices, "--player", "all", tune, all}), "");
    ASSERT_EQ(PdfPages(all), 4);
    // A player's own circles are drawn last, so the pages are compared place by place.
    const auto placed = [&](const std::string& pdf, int page) {
        std::vector<PdfBox> circles = PdfCircles(PdfPaths(pdf, page, sandbox.Path("p" + std::to_string(page))));
        std::sort(circles.begin(), circles.end(), [](const PdfBox& a, const PdfBox& b) {
            return std::make_pair(std::round(a.CentreY()), a.CentreX()) < std::make_pair(std::round(b.CentreY()), b.CentreX());
        });
        return circles;
    };
    const std::vector<PdfBox> first = placed(all, 1);
    for (int page = 2; page <= 4; ++page) {
        const std::vector<PdfBox> circles = placed(all, page);
        ASSERT_EQ(circles.size(), first.size()) << page;
        for (size_t i = 0; i < circles.size(); ++i)
            EXPECT_NEAR(circles[i].CentreY(), first[i].CentreY(), 0.1 * kMm) << page;
    }
    EXPECT_NE(WithoutSpaces(PdfText(all, 2)).find("第2声—Alto"), std::string::npos);
    EXPECT_EQ(Run({"--harp", "25", "--measures", "all", "--voices", voices, "--player", "2", "--others", "hide", tune,
                   hide}),
              "");
    EXPECT_LT(PdfCircles(PdfPaths(hide, 1, sandbox.Path("h"))).size(), first.size());
    // Its legend keys only what it draws: the alto, no other part and no synch line.
    const std::string hidden = WithoutSpaces(PdfText(hide, 1));
    EXPECT_NE(hidden.find("第2声—Alto破線"), std::string::npos) << hidden;
    for (const char* other : {"Soprano", "Tenor", "Bass", "同時に弾く音"})
        EXPECT_EQ(hidden.find(other), std::string::npos) << other;
    EXPECT_EQ(Run({"--voices", "melody=1,2=2", "--player", "3", tune, hide}).substr(0, 6), "exit 2");

    // On glued A4 pages the bass player, the others left out, gets only the page of the low
    // strings, labelled as a page of its own; with the others faint the sheet keeps both pages.
    const std::vector<std::string> a4 = {"--harp", "25", "--paper", "A4", "--measures", "all", "--voices", voices,
                                         "--player", "4", "--info"};
    const auto withOthers = [&](const char* others) {
        std::vector<std::string> args = a4;
        args.insert(args.end(), {"--others", others, tune, hide});
        return Run(args);
    };
    EXPECT_NE(withOthers("faint").find("\npages=2\n"), std::string::npos);
    EXPECT_NE(withOthers("hide").find("\npages=1\n"), std::string::npos);
    ASSERT_EQ(PdfPages(hide), 1);
    EXPECT_EQ(PdfText(hide, 1).find("列"), std::string::npos) << PdfText(hide, 1);
}

// On black-and-white paper each of four voices has a stroke of its own, read back from each
// player's sheet with the others left out; the group's legend names every part and its role.
TEST_F(VoiceSheetsTest, FourVoicesHaveFourStrokesAndTheLegendNamesEveryPart)
{
    const std::string tune = Write("four.abc", "X:1\nT:Four\nM:4/4\nL:1/4\nK:G\n"
                                               "V:1 name=\"Soprano\"\nG A B c|d2 B2|\nV:2 name=\"Alto\"\nD F G A|G2 G2|\n"
                                               "V:3 name=\"Tenor\"\nB, D D E|D2 D2|\nV:4 name=\"Bass\"\nG, D, G, C|B,2 G,2|\n");
    const std::string voices = "melody=1,2=2,3=3,4=4";
    // The style of every slanted line: a flow line between two onsets, never a string or a mark.
    const auto flowStyles = [&](const std::string& player) {
        const std::string pdf = sandbox.Path("p" + player + ".pdf");
        EXPECT_EQ(Run({"--harp", "37", "--measures", "all", "--voices", voices, "--player", player, "--others", "hide",
                       tune, pdf}),
                  "");
        std::set<std::string> styles;
        for (const PdfPath& path : PdfPaths(pdf, 1, sandbox.Path("s" + player)))
            for (const auto& points : path.subpaths)
                if (points.size() == 2 && std::abs(points[0].first - points[1].first) > 0.5 &&
                    std::abs(points[0].second - points[1].second) > 0.5) {
                    std::string style;
                    for (const char* key : {"stroke-width:", "stroke-dasharray:"})
                        if (const size_t at = path.style.find(key); at != std::string::npos)
                            style += path.style.substr(at, path.style.find(';', at) - at) + ";";
                    styles.insert(style);
                }
        return styles;
    };
    std::set<std::string> all;
    for (const char* player : {"melody", "2", "3", "4"}) {
        const std::set<std::string> styles = flowStyles(player);
        EXPECT_EQ(styles.size(), 1u) << player << ": one stroke for the voice's every line: "
                                      << (styles.empty() ? std::string() : *styles.begin());
        all.insert(styles.begin(), styles.end());
    }
    EXPECT_EQ(all.size(), 4u) << "four voices, four strokes";

    const std::string group = sandbox.Path("group.pdf");
    EXPECT_EQ(Run({"--harp", "25", "--measures", "all", "--voices", voices, tune, group}), "");
    const std::string legend = WithoutSpaces(PdfText(group, 1));
    for (const char* part : {"旋律—Soprano", "第2声—Alto", "第3声—Tenor", "第4声—Bass"})
        EXPECT_NE(legend.find(part), std::string::npos) << part << " in " << legend;

    // A part's name longer than the legend's column wraps its key over rows instead of cutting it.
    const std::string named = Write("named.abc", "X:1\nT:Named\nM:4/4\nL:1/4\nK:G\nV:1 name=\"Soprano Recorder in C, "
                                                 "first desk, the player with the longest name of all\"\nG A B c|d4|\n"
                                                 "V:2 name=\"Alto\"\nD F G A|B4|\n");
    EXPECT_EQ(Run({"--harp", "15G", "--spacing", "8", "--measures", "all", "--voices", "melody=1,2=2", named, group}), "");
    const std::string wrapped = WithoutSpaces(PdfText(group, 1));
    EXPECT_NE(wrapped.find("withthelongestnameofall実線弦にない音0"), std::string::npos) << wrapped;
    EXPECT_EQ(wrapped.find("…"), std::string::npos) << wrapped;
}

// Rings of the plucks two voices share keep 0.8 mm of paper from every other ring and circle,
// as circles do, on a small harp and a large one: a chorale whose alto and tenor meet the
// other voices in unisons, in quick notes.
TEST_F(VoiceSheetsTest, RingsKeepTheirPaperFromEveryOtherMark)
{
    const std::string tune = Write("unisons.abc", "X:1\nT:Unisons\nM:4/4\nL:1/8\nK:G\n"
                                                  "V:1 name=\"Soprano\"\nG A B c d c B A|G B d B G2 G2|\n"
                                                  "V:2 name=\"Alto\"\nG A G A B A G F|G G B G G2 G2|\n"
                                                  "V:3 name=\"Tenor\"\nB, C D E D E D C|B, D D D B,2 B,2|\n");
    for (const char* harp : {"25", "37"}) {
        const VoiceSheet sheet = Sheet(tune, "melody=1,2=2,3=3", harp);
        ASSERT_GT(sheet.rings, 2u) << harp << ": the unisons are shared";
        // A ring covers its own circle; every other pair is measured edge to edge.
        std::vector<PdfBox> marks = sheet.ringBoxes;
        for (const PdfBox& c : sheet.circles)
            if (std::none_of(sheet.ringBoxes.begin(), sheet.ringBoxes.end(), [&](const PdfBox& r) {
                    return std::abs(r.CentreX() - c.CentreX()) < 0.2 && std::abs(r.CentreY() - c.CentreY()) < 0.2;
                }))
                marks.push_back(c);
        EXPECT_GE(ClosestCircles(marks), 0.8 - 0.05) << harp << " strings";
    }
}

namespace {

struct LaidNote {
    std::string time, role;
    int pitch = 0;
};

// The renderer's --notes lines: time, pitch, length, role.
std::vector<LaidNote> LaidNotes(const std::string& text)
{
    std::vector<LaidNote> notes;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        LaidNote n;
        std::string length;
        if (fields >> n.time >> n.pitch >> length >> n.role)
            notes.push_back(n);
    }
    return notes;
}

// A rag's two hands: the right hand's tune from C5 to D6 over a stride left hand, octaves low
// on the strong beats and chords around middle C on the others.
std::string Rag()
{
    using namespace mx;
    std::vector<std::string> right, left;
    const char* tunes[4][4] = {{"E5", "G5", "C6", "D6"}, {"C6", "A5", "G5", "E5"}, {"D5", "F5", "A5", "C6"},
                               {"B5", "G5", "D5", "C5"}};
    const char* basses[4][2] = {{"C2", "G1"}, {"F2", "C2"}, {"G1", "D2"}, {"C2", "G1"}};
    for (int m = 0; m < 4; ++m) {
        std::string r = m == 0 ? Attributes(1) : "", l = m == 0 ? Attributes(1) : "";
        for (const char* pitch : tunes[m])
            r += Note(pitch, 1);
        for (int half = 0; half < 2; ++half) {
            const std::string low = basses[m][half];
            const std::string high = low.substr(0, low.size() - 1) + std::to_string(low.back() - '0' + 1);
            l += Note(low, 1) + ChordNote(high, 1) + Note("E3", 1) + ChordNote("G3", 1) + ChordNote("C4", 1);
        }
        right.push_back(Measure(m + 1, r));
        left.push_back(Measure(m + 1, l));
    }
    return XmlOfParts({{"P1", "Right"}, {"P2", "Left"}}, Part("P1", right) + Part("P2", left));
}

} // namespace

// The group's fit keeps the rag's tune whole in the middle of a 25-string harp and gives its
// left hand the strings it can have without doubling a note; a voice's own octaves move it alone.
TEST_F(VoiceSheetsTest, TheGroupsFitServesEveryVoice)
{
    const std::string rag = Write("rag.musicxml", Rag());
    const std::string text = Run({"--notes", "--harp", "25", "--voices", "melody=1,acc=2", rag});
    const std::vector<LaidNote> notes = LaidNotes(text);
    int lowest = 128, highest = -1;
    std::set<std::pair<std::string, int>> left;
    size_t leftNotes = 0;
    for (const LaidNote& n : notes) {
        if (n.role == "melody") {
            lowest = std::min(lowest, n.pitch);
            highest = std::max(highest, n.pitch);
        } else if (n.role == "acc") {
            ++leftNotes;
            left.insert({n.time, n.pitch});
            EXPECT_TRUE(std::none_of(notes.begin(), notes.end(), [&](const LaidNote& m) {
                return m.role == "melody" && m.time == n.time && m.pitch == n.pitch;
            })) << "the left hand keeps off the tune's string at " << n.time;
        }
    }
    // 25 strings from G3 (55) to G5 (79): the tune at least three strings from either end.
    EXPECT_GE(lowest, 58) << text;
    EXPECT_LE(highest, 76) << text;
    EXPECT_EQ(leftNotes, 40u) << "every note of the left hand drawn";
    EXPECT_EQ(left.size(), leftNotes) << "no octave collapsed onto another's string";
    const std::string info = Run({"--info", "--harp", "25", "--voices", "melody=1,acc=2", rag});
    EXPECT_NE(info.find("missing.melody=0\nmissing.acc=0\n"), std::string::npos) << info;

    // The duet's alto an octave down, on its own: the soprano stays where it was.
    const std::string duet = Write("duet.abc", kDuet);
    const auto laid = [&](const std::string& voices) {
        return Run({"--notes", "--harp", "37", "--transpose", "0", "--voices", voices, duet});
    };
    const std::vector<LaidNote> asWritten = LaidNotes(laid("melody=1,4=2")), lower = LaidNotes(laid("melody=1,4=2@-12"));
    ASSERT_EQ(asWritten.size(), 16u);
    ASSERT_EQ(lower.size(), asWritten.size());
    for (size_t i = 0; i < lower.size(); ++i)
        EXPECT_EQ(lower[i].pitch, asWritten[i].pitch - (asWritten[i].role == "4" ? 12 : 0)) << i;
    EXPECT_NE(Run({"--info", "--voices", "melody=1,4=2@-12", duet}).find("drawn_voices=melody:1,4:2@-12\n"),
              std::string::npos);
    const std::string chords = Write("chords.abc", kChordTune);
    EXPECT_NE(Run({"--info", "--voices", "acc=chords:broken@12", chords}).find("drawn_voices=melody:1,acc:chords:broken@12\n"),
              std::string::npos)
        << Run({"--info", "--voices", "acc=chords:broken@12", chords});
    for (const char* bad : {"acc=chords:waltz", "4=2@-7", "4=2@48", "4=2@", "acc=chords:"}) {
        const std::string refused = Run({"--info", "--voices", std::string("melody=1,") + bad, duet});
        EXPECT_EQ(refused.rfind("exit 2: ", 0), 0u) << bad << ": " << refused;
    }
}
