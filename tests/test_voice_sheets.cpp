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
#include <string>
#include <vector>

namespace {

constexpr double kMm = 72 / 25.4; // points per millimetre

// A page's dashed strokes by their pattern: a dotted voice's dots are a sliver of their
// period, a synch line's dashes 8 to 6, a jump line's 2 to 1.
struct Strokes {
    size_t dotted = 0, synch = 0, jump = 0;
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
        strokes.jump += ratio > 1.9 && ratio < 2.1;
    }
    return strokes;
}

struct VoiceSheet {
    std::vector<PdfBox> circles; // among the strings, the legend's below them left out
    Strokes strokes;
    size_t rings = 0; // circles drawn round another: a pluck two voices share
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
            if (ring)
                ++read.rings;
            else
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
    EXPECT_EQ(both.strokes.dotted, 7u);
    EXPECT_EQ(both.strokes.synch, 8u);
    EXPECT_EQ(both.rings, 0u);
    EXPECT_GE(ClosestCircles(both.circles), 0.8);
    EXPECT_NE(both.text.find("点線第2声"), std::string::npos) << "the legend names the dotted line";
    EXPECT_NE(both.text.find("破線同時"), std::string::npos);
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
    EXPECT_EQ(sheet.strokes.synch, 3u);
    EXPECT_GE(ClosestCircles(sheet.circles), 0.8);
    EXPECT_NE(sheet.text.find("線なし伴奏"), std::string::npos);
}

// "コードから" on a folk tune with chord names: a root and a fifth at each of the seven changes,
// one synch line to the melody at each, and on a harp too short for the E under the melody the
// root shares the melody's circle, which is ringed and needs no synch line.
TEST_F(VoiceSheetsTest, ChordNamesGiveAnAccompanimentWithOneSynchLinePerChange)
{
    const std::string tune = Write("chords.abc", kChordTune);
    const VoiceSheet wide = Sheet(tune, "acc=chords", "37");
    EXPECT_EQ(wide.circles.size(), 15u + 14u);
    EXPECT_EQ(wide.strokes.synch, 7u);
    EXPECT_EQ(wide.rings, 0u);
    EXPECT_GE(ClosestCircles(wide.circles), 0.8);

    const VoiceSheet narrow = Sheet(tune, "acc=chords", "25");
    EXPECT_EQ(narrow.rings, 0u) << "E4 of the Em chord keeps off the melody's own E4: E5 has a string";
    EXPECT_EQ(narrow.strokes.synch, 7u);
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
}
