// Repeats drawn once with jump lines, read back from the PDFs the renderer writes (circles,
// lines and words as a viewer sees them), and the score, sheets and sound behind them.

#include "tests/SongAsScore.h"
#include "app/RenderCommand.h"
#include "audio/PlaySchedule.h"
#include "import/ScoreImport.h"
#include "print/PlayingSheets.h"
#include "render/CScorePicture.h"
#include "document/SettingsScore.h"
#include "render/WrittenScore.h"
#include "settings/HarpPresets.h"
#include "song/CSongData.h"
#include "tests/support/MusicXmlText.h"
#include "tests/support/PdfProbe.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <array>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace {

constexpr double kMm = 72 / 25.4; // points per millimetre

// What a page of a sheet shows, in points: the notes' circles (those among the strings; the
// legend's kinds stand below them), the string lines, the jump lines and their arrowheads.
struct SheetRead {
    std::vector<PdfBox> circles;
    std::vector<double> strings;
    double stringsTop = 1e9, stringsBottom = -1e9;
    std::vector<std::vector<std::pair<double, double>>> jumps; // polylines of two pieces or more
    std::vector<std::vector<std::pair<double, double>>> arrows; // filled triangles
    size_t dashedJumps = 0;
    std::vector<PdfWord> words;
    std::string text;
};

SheetRead ReadSheet(const std::string& pdf, const std::string& stem, int page = 1)
{
    SheetRead read;
    const std::vector<PdfPath> paths = PdfPaths(pdf, page, stem);
    for (const PdfPath& path : paths)
        for (const auto& points : path.subpaths)
            if (path.stroke == "rgb(0%,0%,0%)" && points.size() == 2 && std::abs(points[0].first - points[1].first) < 0.01 &&
                std::abs(points[0].second - points[1].second) > 20 * kMm) {
                read.strings.push_back(points[0].first);
                read.stringsTop = std::min({read.stringsTop, points[0].second, points[1].second});
                read.stringsBottom = std::max({read.stringsBottom, points[0].second, points[1].second});
            }
    for (const PdfBox& c : PdfCircles(paths))
        if (c.CentreY() > read.stringsTop && c.CentreY() < read.stringsBottom && c.right - c.left > 1.5 * kMm)
            read.circles.push_back(c);
    for (const PdfPath& path : paths)
        for (size_t i = 0; i < path.subpaths.size(); ++i) {
            const auto& points = path.subpaths[i];
            if (path.curves[i] > 0)
                continue;
            if (!path.stroke.empty() && points.size() >= 3)
                read.jumps.push_back(points);
            else if (path.stroke.empty() && (points.size() == 3 || (points.size() == 4 && points[0] == points[3])))
                read.arrows.push_back(points); // a triangle; rest marks and the scale bar have four corners
        }
    // The page's picture PdfPaths left: each dashed stroke names its pattern.
    const std::string svg = Capture("cat " + Quoted(stem + ".svg"));
    for (size_t at = svg.find("stroke-dasharray:"); at != std::string::npos; at = svg.find("stroke-dasharray:", at + 1))
        read.dashedJumps += svg.compare(at + 17, 4, "none") != 0;
    read.words = PdfWords(pdf, page);
    read.text = WithoutSpaces(PdfText(pdf, page));
    return read;
}

bool Near(double a, double b, double by)
{
    return std::abs(a - b) <= by;
}

// Whether two spans along one line share more than a point.
bool Overlap(double a1, double a2, double b1, double b2)
{
    return std::max(std::min(a1, a2), std::min(b1, b2)) < std::min(std::max(a1, a2), std::max(b1, b2)) - 0.01;
}

// The circle nearest the point, and how far its edge is.
std::pair<const PdfBox*, double> NearestCircle(const SheetRead& s, std::pair<double, double> p)
{
    const PdfBox* best = nullptr;
    double distance = 1e9;
    for (const PdfBox& c : s.circles) {
        const double d = std::hypot(c.CentreX() - p.first, c.CentreY() - p.second) - (c.right - c.left) / 2;
        if (d < distance)
            best = &c, distance = d;
    }
    return {best, distance};
}

class RepeatLinesTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& text)
    {
        const std::string path = sandbox.Path(name);
        WriteFileBytes(path, mx::Bytes(text));
        return path;
    }
    static std::string Abc(const std::string& body, const std::string& meter = "4/4")
    {
        return "X:1\nT:Tune\nM:" + meter + "\nL:1/4\nK:C\n" + body + "\n";
    }
    // The renderer's --info and --notes lines for a file; the PDF when `pdf` is named.
    std::string Run(std::vector<std::string> args)
    {
        std::ostringstream out, err;
        const int status = RunRenderCommand(args, out, err);
        return status == 0 ? out.str() : "exit " + std::to_string(status) + ": " + err.str();
    }
    SheetRead Sheet(const std::string& song, std::vector<std::string> extra = {}, const std::string& harp = "25")
    {
        const std::string pdf = sandbox.Path("sheet" + std::to_string(++sheets) + ".pdf");
        std::vector<std::string> args{"--harp", harp, "--measures", "all"};
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back(song);
        args.push_back(pdf);
        EXPECT_EQ(Run(args), "") << song;
        return ReadSheet(pdf, sandbox.Path("paths" + std::to_string(sheets)));
    }
    // Every jump line ends in an arrowhead at a note's edge; the notes it enters, by circle.
    static std::vector<const PdfBox*> Entered(const SheetRead& s)
    {
        std::vector<const PdfBox*> entered;
        for (const auto& line : s.jumps) {
            const auto [circle, gap] = NearestCircle(s, line.back());
            EXPECT_LT(gap, 3.5 * kMm) << "the line stops short of a note's side";
            const bool headed = std::any_of(s.arrows.begin(), s.arrows.end(), [&](const auto& a) {
                return std::any_of(a.begin(), a.end(), [&](auto p) {
                    return Near(p.first, circle->left, 0.6 * kMm) || Near(p.first, circle->right, 0.6 * kMm);
                }) && std::all_of(a.begin(), a.end(), [&](auto p) { return Near(p.second, circle->CentreY(), 1.5 * kMm); });
            });
            EXPECT_TRUE(headed) << "an arrowhead into the note from its side";
            entered.push_back(circle);
        }
        return entered;
    }

    SandboxDir sandbox;
    RecordingSink sink;
    int sheets = 0;
};

TEST_F(RepeatLinesTest, ARepeatIsDrawnOnceWithOneLineBackToItsFirstNote)
{
    const std::string song = Write("repeat.abc", Abc("|: C D E F | G A B c :|"));
    const SheetRead s = Sheet(song);
    ASSERT_EQ(s.circles.size(), 8u);
    ASSERT_EQ(s.jumps.size(), 1u);
    const auto first = std::min_element(s.circles.begin(), s.circles.end(),
                                        [](const PdfBox& a, const PdfBox& b) { return a.top < b.top; });
    const std::vector<const PdfBox*> entered = Entered(s);
    EXPECT_EQ(entered.front(), &*first) << "back to the first note";
    // It leaves the last note sideways: its first point level with that note.
    const auto last = std::max_element(s.circles.begin(), s.circles.end(),
                                       [](const PdfBox& a, const PdfBox& b) { return a.top < b.top; });
    EXPECT_TRUE(Near(s.jumps.front().front().second, last->CentreY(), 0.5 * kMm));
    EXPECT_EQ(NearestCircle(s, s.jumps.front().front()).first, &*last);

    const std::string info = Run({"--info", song});
    EXPECT_NE(info.find("written_measures=2\nplayed_measures=4\nrepeats=lines\n"), std::string::npos) << info;
    // Bar lines that close nothing after the last note make no measure of their own.
    EXPECT_NE(Run({"--info", Write("closed.abc", Abc("|: C D E F | G A B c | :| |]"))})
                  .find("written_measures=2\nplayed_measures=4\nrepeats=lines\n"),
              std::string::npos);
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(RepeatLinesTest, EndingsAreNumberedAndLinesLeadOutOfTheFirstAndIntoTheSecond)
{
    const SheetRead s = Sheet(Write("endings.abc", Abc("|: C D E F |1 G A B c :|2 c B A G |]")));
    EXPECT_EQ(s.circles.size(), 12u);
    EXPECT_NE(s.text.find("1."), std::string::npos);
    EXPECT_NE(s.text.find("2."), std::string::npos);
    ASSERT_EQ(s.jumps.size(), 2u);
    std::vector<const PdfBox*> entered = Entered(s);
    std::vector<double> rows;
    for (const PdfBox* c : entered)
        rows.push_back(c->CentreY());
    std::sort(rows.begin(), rows.end());
    std::vector<double> tops;
    for (const PdfBox& c : s.circles)
        tops.push_back(c.CentreY());
    std::sort(tops.begin(), tops.end());
    EXPECT_TRUE(Near(rows[0], tops[0], 0.1)) << "out of the first ending, back to the start";
    EXPECT_TRUE(Near(rows[1], tops[8], 0.1)) << "from the end of the part into the second ending";
}

TEST_F(RepeatLinesTest, ALineCutBetweenSheetsNamesTheMeasureAtItsOtherEnd)
{
    // Sixteen measures of quarter notes take two sheets at 25 strings; the repeat runs back
    // from the last to the first.
    std::string body = "|: ";
    for (int m = 0; m < 16; ++m)
        body += std::string(m % 2 ? "c B A G" : "C D E F") + (m == 15 ? " :|" : " | ");
    const std::string song = Write("long.abc", Abc(body));
    const std::string pdf = sandbox.Path("long.pdf");
    ASSERT_EQ(Run({"--harp", "25", "--measures", "all", song, pdf}), "");
    ASSERT_EQ(PdfPages(pdf), 2);
    const SheetRead first = ReadSheet(pdf, sandbox.Path("l1"), 1), second = ReadSheet(pdf, sandbox.Path("l2"), 2);
    EXPECT_NE(first.text.find("第16小節から"), std::string::npos) << first.text;
    EXPECT_NE(second.text.find("冒頭へ"), std::string::npos) << second.text << ": back to the start";
    ASSERT_EQ(first.jumps.size(), 1u);
    ASSERT_EQ(second.jumps.size(), 1u);
    Entered(first);
    EXPECT_TRUE(second.arrows.empty()) << "the arrowhead is drawn where the line arrives";
    // On the sheet at scale a jump line is broken, as no string is, and its words stand in a
    // gap: too wide for the half gap beside the line, they run down along it.
    EXPECT_EQ(first.dashedJumps, 1u);
    EXPECT_EQ(second.dashedJumps, 1u);
    size_t labels = 0;
    for (const SheetRead* s : {&first, &second})
        for (const PdfWord& w : s->words) {
            if (w.text.find("小節から") == std::string::npos && w.text.find("冒頭へ") == std::string::npos)
                continue;
            ++labels;
            for (const double x : s->strings)
                EXPECT_FALSE(x > w.xMin - 0.2 && x < w.xMax + 0.2) << w.text << " over the string at " << x;
        }
    EXPECT_EQ(labels, 2u);
}

// Ending numbers beside their notes, clear of the string lines.
void ExpectEndingsOffStrings(const SheetRead& s, const std::vector<std::string>& numbers)
{
    for (const std::string& n : numbers) {
        const auto w = std::find_if(s.words.begin(), s.words.end(), [&](const PdfWord& w) { return w.text == n; });
        ASSERT_NE(w, s.words.end()) << n;
        for (const double x : s.strings)
            EXPECT_FALSE(x > w->xMin - 0.2 && x < w->xMax + 0.2) << n << " over the string at " << x;
    }
}

TEST_F(RepeatLinesTest, ThreeToFiveEndingsAreDrawnOnceOnAHarpWithRoom)
{
    const std::string three = Write("three.abc", Abc("|: C D E F |1 G A B c :|2 c B A G :|3 E G c2 |]"));
    EXPECT_NE(Run({"--harp", "37", "--info", three}).find("repeats=lines\n"), std::string::npos);
    const SheetRead s = Sheet(three, {}, "37");
    EXPECT_EQ(s.circles.size(), 15u) << "each written measure once";
    EXPECT_EQ(s.jumps.size(), 4u) << "two back to the start, two past the endings before";
    EXPECT_EQ(s.dashedJumps, s.jumps.size());
    ExpectEndingsOffStrings(s, {"1.", "2.", "3."});
    Entered(s);

    const std::string five =
        Write("five.abc", Abc("|: C E G c |1 d c B A :|2 B A G F :|3 A G F E :|4 G F E D :|5 C4 |]"));
    EXPECT_NE(Run({"--harp", "37", "--info", five}).find("repeats=lines\n"), std::string::npos);
    const SheetRead f = Sheet(five, {}, "37");
    EXPECT_EQ(f.jumps.size(), 8u);
    ExpectEndingsOffStrings(f, {"1.", "2.", "3.", "4.", "5."});
}

// D.C. al Fine and D.S. al Coda as MusicXML writes them: the jumps in <sound>, the marks as words.
std::string Marked(int number, const std::string& notes, const std::string& sound)
{
    return mx::Measure(number, (number == 1 ? mx::Attributes(1) : "") + notes +
                                   (sound.empty() ? "" : "<direction><sound " + sound + "/></direction>"));
}

TEST_F(RepeatLinesTest, DaCapoAlFineAndDalSegnoAlCodaShowTheirMarksAndLines)
{
    const std::string four = mx::Note("C4", 1) + mx::Note("D4", 1) + mx::Note("E4", 1) + mx::Note("F4", 1);
    const std::string high = mx::Note("G4", 1) + mx::Note("A4", 1) + mx::Note("B4", 1) + mx::Note("C5", 1);
    const std::string fine =
        mx::OnePart({Marked(1, four, ""), Marked(2, high, "fine=\"yes\""), Marked(3, four, ""), Marked(4, high, "dacapo=\"yes\"")});
    const std::string dc = Write("dc.musicxml", fine);
    const SheetRead a = Sheet(dc);
    EXPECT_EQ(a.circles.size(), 16u);
    EXPECT_NE(a.text.find("Fine"), std::string::npos);
    EXPECT_NE(a.text.find("D.C."), std::string::npos);
    ASSERT_EQ(a.jumps.size(), 1u);
    Entered(a);
    EXPECT_NE(Run({"--info", dc}).find("written_measures=4\nplayed_measures=6\nrepeats=lines\n"), std::string::npos);

    const std::string coda =
        mx::OnePart({Marked(1, four, ""), Marked(2, high, "segno=\"s\""), Marked(3, four, "tocoda=\"c\""),
                     Marked(4, high, "dalsegno=\"s\""), Marked(5, four, "coda=\"c\"")});
    const SheetRead b = Sheet(Write("ds.musicxml", coda));
    EXPECT_EQ(b.circles.size(), 20u);
    EXPECT_NE(b.text.find("D.S."), std::string::npos);
    ASSERT_EQ(b.jumps.size(), 2u) << "back to the segno, on from the coda sign to the coda";
    Entered(b);
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(RepeatLinesTest, NoJumpLineRunsOverACircleAStringOrAWord)
{
    // Words and chords beside every note, three repeats and endings side by side on a small harp.
    const std::string tune = Write("busy.abc", "X:1\nT:Busy\nM:3/4\nL:1/4\nK:G\n"
                                               "|: \"G\"G A B | \"D\"d c B |1 \"C\"c B A :|2 \"G\"G2 B |\n"
                                               "|: \"C\"c e d | \"G\"B d g |1 \"D\"f e d :|2 \"G\"g3 |]\n"
                                               "w: la la la li li li lo lo lo le le la la la li li li lo lo lo le\n");
    for (const std::string harp : {"15G", "25", "37"}) {
        const SheetRead s = Sheet(tune, {"--chords", "on"}, harp);
        ASSERT_GE(s.jumps.size(), 4u) << harp;
        Entered(s);
        for (const auto& line : s.jumps) {
            for (size_t i = 1; i < line.size(); ++i) {
                const auto [x1, y1] = line[i - 1];
                const auto [x2, y2] = line[i];
                const PdfBox piece{std::min(x1, x2) - 0.2, std::min(y1, y2) - 0.2, std::max(x1, x2) + 0.2, std::max(y1, y2) + 0.2};
                if (Near(x1, x2, 0.01)) { // along its gap, clear of the strings
                    for (const double x : s.strings) {
                        EXPECT_GT(std::abs(x - x1), 1.0 * kMm) << harp;
                    }
                }
                for (const PdfBox& c : s.circles) {
                    // Only the notes it leaves and enters touch it, at their sides.
                    const bool own = c.Overlaps({line.front().first - 0.5, line.front().second - 0.5, line.front().first + 0.5, line.front().second + 0.5}) ||
                                     c.Overlaps({line.back().first - 0.5, line.back().second - 0.5, line.back().first + 0.5, line.back().second + 0.5});
                    const PdfBox inner{c.left + 0.3, c.top + 0.3, c.right - 0.3, c.bottom - 0.3};
                    EXPECT_TRUE(own || !inner.Overlaps(piece)) << harp << " a circle at " << c.CentreX() << "," << c.CentreY();
                }
                for (const PdfWord& w : s.words) {
                    const PdfBox box{w.xMin + 0.3, w.yMin + 0.3, w.xMax - 0.3, w.yMax - 0.3};
                    EXPECT_FALSE(box.Overlaps(piece)) << harp << " the word " << w.text;
                }
            }
            // Two lines never share a gap where they run side by side.
            for (const auto& other : s.jumps)
                if (&other != &line)
                    for (size_t i = 1; i < line.size(); ++i)
                        for (size_t k = 1; k < other.size(); ++k)
                            if (Near(line[i].first, line[i - 1].first, 0.01) && Near(other[k].first, other[k - 1].first, 0.01) &&
                                Near(line[i].first, other[k].first, 0.5)) {
                                EXPECT_FALSE(Overlap(line[i - 1].second, line[i].second, other[k - 1].second, other[k].second));
                            }
        }
    }
}

TEST_F(RepeatLinesTest, WrittenOutIsTheSheetOfTheTuneAsPlayed)
{
    const std::string repeated = Write("twice.abc", Abc("|: C D E F | G A B c :| d c B A |]"));
    const std::string byHand = Write("byhand.abc", Abc("C D E F | G A B c | C D E F | G A B c | d c B A |]"));
    for (const std::vector<std::string>& look : {std::vector<std::string>{}, {"--harp", "25", "--measures", "all"}}) {
        std::vector<std::string> written = look, plain = look;
        written.insert(written.end(), {"--repeats", "written", repeated, sandbox.Path("a.pdf")});
        plain.insert(plain.end(), {byHand, sandbox.Path("b.pdf")});
        ASSERT_EQ(Run(written), "");
        ASSERT_EQ(Run(plain), "");
        const QImage a = RenderPage(sandbox.Path("a.pdf"), 40, sandbox.Path("a"));
        const QImage b = RenderPage(sandbox.Path("b.pdf"), 40, sandbox.Path("b"));
        ASSERT_FALSE(a.isNull());
        EXPECT_EQ(a, b) << look.size();
    }
    EXPECT_EQ(Run({"--notes", "--repeats", "written", repeated}), Run({"--notes", byHand}));
}

TEST_F(RepeatLinesTest, WhatCannotBeDrawnOnceIsWrittenOutAndTheSheetSaysWhy)
{
    struct Case {
        const char* body;
        const char* why;
        const char* notice;
    };
    for (const Case& c : {Case{"|: C4 :| D E F G |]", "crossing", "線が弦の間に収まらないため"}}) {
        const std::string song = Write("odd.abc", Abc(c.body));
        const std::string info = Run({"--info", song});
        EXPECT_NE(info.find("repeats=written\nrepeats_fallback=" + std::string(c.why) + "\n"), std::string::npos) << info;
        const SheetRead s = Sheet(song);
        EXPECT_NE(s.text.find(c.notice), std::string::npos) << c.body;
        EXPECT_TRUE(s.jumps.empty());
    }
    // Repeat marks in a tune of a few 64ths: its one written measure played twice needs a jump
    // line its two notes on one string leave no gap for, and the tune is drawn as played.
    const std::string tiny =
        Write("tiny.abc", "X:5\nT:Ends short\nM:4/4\nL:1/64\nK:C^f^c\n|:\"C\"\"C\"5 | | \"Am\xb9\"Am\"shor|] "
                          "E63!tocoda! F:|2 G63 A/2|]\n!dacapo!");
    const std::string tinyInfo = Run({"--info", tiny});
    EXPECT_NE(tinyInfo.find("repeats=written\nrepeats_fallback=crossing\n"), std::string::npos) << tinyInfo;
    EXPECT_EQ(Run({"--measures", "all", tiny, sandbox.Path("tiny.pdf")}), "");

    // A second ending with no first is a measure no pass reaches: it is played where it
    // stands, and the tune goes straight through.
    const std::string lone = Write("lone.abc", Abc("C D E F |2 G A B c |]"));
    EXPECT_NE(Run({"--info", lone}).find("played_measures=2\nrepeats=none\n"), std::string::npos);
}

// A last measure without a note of the melody (another voice's, or none) is no cut: a score
// without repeats says nothing of them, and one with repeats is still drawn once.
TEST_F(RepeatLinesTest, AnEmptyLastMeasureIsNoReasonToWriteTheRepeatsOut)
{
    using namespace mx;
    const std::string otherVoice = Note("G3", 4, "<voice>2</voice>");
    const std::string plain = Write("plain.musicxml", OnePart({Measure(1, Attributes(1) + Note("C4", 4)),
                                                               Measure(2, Note("D4", 4)), Measure(3, otherVoice)}));
    const std::string info = Run({"--info", plain});
    EXPECT_NE(info.find("written_measures=3\nplayed_measures=3\nrepeats=none\n"), std::string::npos) << info;
    EXPECT_EQ(info.find("repeats_fallback"), std::string::npos) << info;
    EXPECT_EQ(Sheet(plain).text.find("繰り返し"), std::string::npos);

    const std::string repeated = Write(
        "repeated.musicxml",
        OnePart({Measure(1, Attributes(1) + Note("C4", 4)),
                 Measure(2, Note("D4", 4) + "<barline location=\"right\"><repeat direction=\"backward\"/></barline>"),
                 Measure(3, "")}));
    const std::string drawn = Run({"--info", repeated});
    EXPECT_NE(drawn.find("played_measures=5\nrepeats=lines\n"), std::string::npos) << drawn;

    // A tune without repeat marks cut at the song's length is cut, not written out.
    std::string body;
    for (int i = 0; i < 300; ++i)
        body += "C D E F | ";
    const std::string info2 = Run({"--info", Write("long.abc", Abc(body + "|]"))});
    EXPECT_NE(info2.find("repeats=none\n"), std::string::npos) << info2;
    EXPECT_EQ(info2.find("repeats_fallback"), std::string::npos) << info2;
}

// Tunes as folk players write them, made here: two or three parts of eight bars, each played
// twice, some with first and second endings or a pickup.
std::string FolkTune(unsigned seed)
{
    unsigned state = seed * 2654435761u + 12345u;
    const auto next = [&](unsigned n) {
        state = state * 1103515245u + 12345u;
        return (state >> 16) % n;
    };
    const bool three = next(2) == 0;
    const std::string meter = three ? "3/4" : "4/4";
    const int beats = three ? 3 : 4;
    static const char* const kNotes[] = {"C", "D", "E", "F", "G", "A", "B", "c", "d", "e", "f", "g"};
    const auto bar = [&] {
        std::string b;
        for (int at = 0; at < beats;) {
            const bool eighths = next(3) == 0;
            b += eighths ? std::string(kNotes[next(12)]) + "/" + kNotes[next(12)] + "/ " : std::string(kNotes[next(12)]) + " ";
            ++at;
        }
        return b;
    };
    std::string body = next(3) == 0 ? "G |" : "";
    const unsigned parts = 2 + next(2);
    for (unsigned p = 0; p < parts; ++p) {
        body += "|: ";
        const bool endings = next(2) == 0;
        for (int i = 0; i < 7; ++i)
            body += bar() + "| ";
        body += endings ? "[1 " + bar() + ":|2 " + bar() + "|\n" : bar() + ":|\n";
    }
    return "X:" + std::to_string(seed) + "\nT:Tune " + std::to_string(seed) + "\nM:" + meter + "\nL:1/4\nK:G\n" + body;
}

// The sheet's length at the harp's scale: where its timeline ends.
int SheetLength(const CSongData& song, const ConfigRecord& record, RepeatDrawing repeats)
{
    const ScoreFrame frame = ScoreFrameOf(record);
    const FittedScore score = LayOutFittedScore(frame, song, {1, 1024}, 0, repeats);
    const std::vector<TimeMark> line = PlayingTimeline(score, 2.78, 0);
    return line.empty() ? 0 : line.back().y;
}

TEST_F(RepeatLinesTest, OverTwoHundredFolkTunesTheSheetsTakeAtMostSixtyPercent)
{
    ConfigRecord record = DefaultConfigRecord();
    ApplyHarpPreset(*FindHarpPreset("25"), record);
    double shares = 0;
    int tunes = 0, fallbacks = 0;
    std::string reasons;
    for (unsigned seed = 1; seed <= 200; ++seed) {
        const std::string text = FolkTune(seed);
        ImportOutcome loaded = ImportScoreBytes(ScoreFormat::Abc, mx::Bytes(text), "folk.abc");
        ASSERT_TRUE(loaded.song && !loaded.failed) << text;
        FitSongToFrame(*loaded.song, ScoreFrameOf(record), record.lowestNote);
        const FittedScore drawn = LayOutFittedScore(ScoreFrameOf(record), *loaded.song, {1, 1024}, 0);
        if (!drawn.DrawnOnce()) {
            ++fallbacks;
            reasons += std::string(" ") + FallbackName(drawn.layout.fallback);
            EXPECT_FALSE(FallbackNotice(drawn.layout.fallback).empty()) << text;
            continue;
        }
        shares += double(SheetLength(*loaded.song, record, RepeatDrawing::kLines)) /
                  SheetLength(*loaded.song, record, RepeatDrawing::kWrittenOut);
        ++tunes;
    }
    ASSERT_GE(tunes, 195);
    std::printf("folk tunes: %d drawn once, %d written out (%s), sheets %.1f %% of the written-out length\n", tunes,
                fallbacks, reasons.c_str(), 100 * shares / tunes);
    EXPECT_LE(shares / tunes, 0.60);
}

// Hundreds of short repeats beside a group of endings: lines that share no rows are routed
// apart, so one that finds no gap ends the search at once; each range of the song is cut from
// the one routing, never routed again.
TEST_F(RepeatLinesTest, ManyRepeatsAreRoutedOnceAndEveryRangeIsCutFromIt)
{
    std::string body;
    for (int i = 0; i < 240; ++i)
        body += "|: C D :| ";
    const std::string drawable = body + "|: E F |1 G A :|2 A B |]";
    ImportOutcome loaded = ImportScoreBytes(ScoreFormat::Abc, mx::Bytes(Abc(drawable, "2/4")), "many.abc");
    ASSERT_TRUE(loaded.song);
    ConfigRecord record = DefaultConfigRecord();
    const FittedScore whole = FitScore(record, *loaded.song, {1, 32});
    ASSERT_TRUE(whole.DrawnOnce()) << FallbackName(whole.layout.fallback);
    EXPECT_EQ(whole.measureCount, 243);
    const FittedScore step = LayOutFittedScore(whole.frame, *loaded.song, {2, 33}, whole.transposition,
                                               RepeatDrawing::kLines, &whole);
    EXPECT_EQ(step.written, whole.written) << "a new range routes nothing again";
    EXPECT_EQ(step.geometry.jumps.size(), whole.geometry.jumps.size());
    ScoreFrame fewer = whole.frame;
    fewer.stringCount -= 1;
    EXPECT_NE(LayOutFittedScore(fewer, *loaded.song, {1, 32}, whole.transposition, RepeatDrawing::kLines, &whole).written,
              whole.written) << "other strings are routed anew";

    // Five endings send four lines into one note: they share its two sides, two by two.
    const std::string five = body + "|: E F |1 G A :|2 A B :|3 B c :|4 c d :|5 d e |]";
    ImportOutcome hostile = ImportScoreBytes(ScoreFormat::Abc, mx::Bytes(Abc(five, "2/4")), "five.abc");
    ASSERT_TRUE(hostile.song);
    EXPECT_EQ(FitScore(record, *hostile.song, {1, 32}).layout.fallback, RepeatFallback::kNone);
}

// Whether two segments cross at a point inside both.
bool Cross(double ax, double ay, double bx, double by, double cx, double cy, double dx, double dy)
{
    const auto side = [](double px, double py, double qx, double qy, double rx, double ry) {
        return (qx - px) * (ry - py) - (qy - py) * (rx - px);
    };
    const double d1 = side(cx, cy, dx, dy, ax, ay), d2 = side(cx, cy, dx, dy, bx, by);
    const double d3 = side(ax, ay, bx, by, cx, cy), d4 = side(ax, ay, bx, by, dx, dy);
    return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

// The melody's line out of the measure before the endings runs into the first: the line past
// it to the second takes a gap on the other side of the note it leaves, not one across that line.
TEST_F(RepeatLinesTest, NoFlowLineCrossesAJumpLine)
{
    ConfigRecord record = DefaultConfigRecord();
    for (const std::string& body : {std::string("|: C D E F | G A B G |1 c2 e2 :|2 A2 F2 |]"),
                                    std::string("|: G A B c | d c B A |1 E4 :|2 d4 :|3 B2 c2 |]"),
                                    std::string("|: c B A G | F E D C |1 G A B c :|2 D E F G |]")}) {
        ImportOutcome loaded = ImportScoreBytes(ScoreFormat::Abc, mx::Bytes(Abc(body)), "f.abc");
        ASSERT_TRUE(loaded.song);
        const FittedScore fitted = FitScore(record, *loaded.song, {1, 32});
        ASSERT_TRUE(fitted.DrawnOnce()) << body << ": " << FallbackName(fitted.layout.fallback);
        const ScoreGeometry& g = fitted.geometry;
        ASSERT_FALSE(g.jumps.empty());
        for (const FlowLine& flow : g.flows) {
            const PlacedNote &a = g.notes[flow.from], &b = g.notes[flow.to];
            for (const JumpLine& line : g.jumps)
                for (size_t i = 1; i < line.points.size(); ++i)
                    EXPECT_FALSE(Cross(a.x, a.y, b.x, b.y, line.points[i - 1].x, line.points[i - 1].y, line.points[i].x,
                                       line.points[i].y))
                        << body << ": the line from the note at " << a.x << "," << a.y;
        }
    }
}

// The window's range counts written measures; a range that leaves the jump's other end out
// keeps the line as far as its edge, and playing follows the jumps.
TEST_F(RepeatLinesTest, ARangeCutsLinesAtItsEdgeAndPlayingFollowsTheJumps)
{
    ImportOutcome loaded = ImportScoreBytes(ScoreFormat::Abc, mx::Bytes(Abc("|: C D E F | G A B c :|")), "r.abc");
    ASSERT_TRUE(loaded.song);
    ConfigRecord record = DefaultConfigRecord();
    const FittedScore whole = FitScore(record, *loaded.song, {1, 32});
    EXPECT_TRUE(whole.DrawnOnce());
    EXPECT_EQ(whole.measureCount, 2);
    EXPECT_EQ(whole.measures.last, 2) << "held within the written measures";
    ASSERT_EQ(whole.geometry.jumps.size(), 1u);
    EXPECT_TRUE(whole.geometry.jumps.front().arrow);

    const FittedScore second = LayOutFittedScore(whole.frame, *loaded.song, {2, 2}, whole.transposition);
    ASSERT_EQ(second.geometry.jumps.size(), 1u);
    const JumpLine& cut = second.geometry.jumps.front();
    EXPECT_FALSE(cut.arrow) << "its target lies above the range";
    EXPECT_EQ(cut.points.back().y, ScoreY(second.geometry, second.layout.totalLength, 0));

    // The screen draws the lines, and beside the notes what the sheet writes there.
    ImportOutcome endings =
        ImportScoreBytes(ScoreFormat::Abc, mx::Bytes(Abc("|: C D E F |1 G A B c :|2 c B A G |]")), "e.abc");
    const FittedScore numbered = FitScore(record, *endings.song, {1, 3});
    ASSERT_EQ(numbered.layout.signs.size(), 2u);
    EXPECT_NE(CScorePicture::Picture(numbered), CScorePicture::Picture(numbered.geometry)) << "1. and 2.";
    EXPECT_EQ(CScorePicture::Picture(whole), CScorePicture::Picture(whole.geometry)) << "nothing to write";

    const PlaySchedule schedule = MakePlaySchedule(whole, 120, 100);
    std::vector<int> pitches, placed;
    for (const ScheduledNote& n : schedule.notes) {
        pitches.push_back(n.pitch);
        placed.push_back(n.placed);
    }
    EXPECT_EQ(pitches, (std::vector<int>{60, 62, 64, 65, 67, 69, 71, 72, 60, 62, 64, 65, 67, 69, 71, 72}));
    EXPECT_EQ(placed, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 0, 1, 2, 3, 4, 5, 6, 7})) << "the mark goes back up";
    const FittedScore played =
        LayOutFittedScore(whole.frame, *loaded.song, {1, 4}, whole.transposition, RepeatDrawing::kWrittenOut);
    EXPECT_EQ(schedule.length, MakePlaySchedule(played, 120, 100).length);
}

} // namespace

// A third voice zigzags through the gaps beside the melody: the line into the second ending
// takes a gap past it, where the melody's alone would have done, and crosses none of its
// circles, flow lines or synch lines.
TEST_F(RepeatLinesTest, JumpLinesKeepClearOfEveryVoice)
{
    const std::string abc = "X:1\nT:Two\nM:4/4\nL:1/4\nK:C\n"
                            "V:1\n|: e d c d | e e e2 |1 d d e d :|2 d d c2 |]\n"
                            "V:2\n|: c B A B | c c e2 |1 d B c A :|2 d B A2 |]\n";
    // As a third voice it has its own line; as the second, synch lines to the melody too.
    for (const VoiceRole role : {VoiceRole::kThird, VoiceRole::kSecond}) {
        ImportRequest request;
        VoiceChoice voices;
        voices[VoiceRole::kMelody] = 1, voices[role] = 2;
        request.voices = voices;
        ImportOutcome loaded = ImportScoreBytes(ScoreFormat::Abc, mx::Bytes(abc), "two.abc", request);
        ASSERT_TRUE(loaded.song);
        ASSERT_EQ(loaded.score.voices.size(), 2u);
        const FittedScore fitted = FitScore(DefaultConfigRecord(), loaded.score, {1, 32});
        ASSERT_TRUE(fitted.DrawnOnce()) << FallbackName(fitted.layout.fallback);
        const ScoreGeometry& g = fitted.geometry;
        ASSERT_GE(g.jumps.size(), 2u);
        EXPECT_EQ(g.synchs.empty(), role == VoiceRole::kThird);
        std::vector<std::array<int, 4>> ways;
        for (const FlowLine& f : g.flows)
            ways.push_back({g.notes[f.from].x, g.notes[f.from].y, g.notes[f.to].x, g.notes[f.to].y});
        for (const SynchLine& s : g.synchs)
            ways.push_back({g.notes[s.from].x, g.notes[s.from].y, g.notes[s.to].x, g.notes[s.to].y});
        for (const JumpLine& line : g.jumps) {
            for (size_t i = 1; i < line.points.size(); ++i) {
                const JumpLine::Point p = line.points[i - 1], q = line.points[i];
                for (const auto& [ax, ay, bx, by] : ways) {
                    EXPECT_FALSE(Cross(ax, ay, bx, by, p.x, p.y, q.x, q.y)) << "a way from " << ax << "," << ay;
                    // Along a row: a piece lying on a synch line or a flow line between notes at once.
                    if (ay == by && p.y == q.y && p.y == ay)
                        EXPECT_GE(std::max(std::min(ax, bx), std::min(p.x, q.x)), std::min(std::max(ax, bx), std::max(p.x, q.x)))
                            << "along the line from " << ax << "," << ay;
                }
                for (const PlacedNote& n : g.notes) {
                    const bool end = (n.y == line.points.front().y && std::abs(n.x - line.points.front().x) <= OuterRadius(n) + 1) ||
                                     (n.y == line.points.back().y && std::abs(n.x - line.points.back().x) <= OuterRadius(n) + 1);
                    // A piece is level or upright: it meets a circle when it passes within its radius.
                    const bool level = p.y == q.y;
                    const bool meets = level ? std::abs(n.y - p.y) < OuterRadius(n) && n.x > std::min(p.x, q.x) && n.x < std::max(p.x, q.x)
                                             : std::abs(n.x - p.x) < OuterRadius(n) && n.y > std::min(p.y, q.y) && n.y < std::max(p.y, q.y);
                    EXPECT_FALSE(meets && !end) << "over the circle at " << n.x << "," << n.y;
                }
            }
        }
    }
}
