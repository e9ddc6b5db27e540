// The sheet a player plays from, read back from the PDFs the renderer writes: circles and
// string lines from the drawing, texts from pdftotext, nothing from the program's own numbers.

#include "app/RenderCommand.h"
#include "tests/support/PdfProbe.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <cmath>
#include <map>
#include <memory>
#include <regex>
#include <sstream>

namespace {

constexpr double kMm = 72 / 25.4; // points per millimetre

struct Circle {
    double x, y, radius; // points; the radius to the drawn edge
};

struct Page {
    double width = 0, height = 0; // points
    std::vector<Circle> notes;     // the legend's four kinds left out
    std::vector<double> strings;   // x of each string line
    double longestString = 0;
    double inkLeft = 1e9, inkTop = 1e9, inkRight = -1e9, inkBottom = -1e9;
    std::vector<PdfWord> words;
    std::string text;
};

struct Render {
    std::string song, harp, paper;
    int strings = 0, notes = 0;
    std::vector<Page> pages;
};

std::pair<double, double> PageSize(const std::string& pdf, int page)
{
    const std::string p = std::to_string(page);
    const std::string info = Capture("pdfinfo -f " + p + " -l " + p + " " + Quoted(pdf) + " 2>/dev/null");
    std::smatch m;
    static const std::regex size("Page +\\d+ size: +([0-9.]+) x ([0-9.]+)");
    return std::regex_search(info, m, size) ? std::pair{std::stod(m[1]), std::stod(m[2])} : std::pair{0.0, 0.0};
}

Page ReadPage(const std::string& pdf, int number, const std::string& stem)
{
    Page page;
    std::tie(page.width, page.height) = PageSize(pdf, number);
    page.words = PdfWords(pdf, number);
    page.text = WithoutSpaces(PdfText(pdf, number));
    // The circle kinds stand just left of their captions.
    std::vector<PdfBox> captions;
    for (const PdfWord& w : page.words)
        if (w.text.find("拍") != std::string::npos)
            captions.push_back({w.xMin, w.yMin, w.xMax, w.yMax});
    for (const PdfPath& path : PdfPaths(pdf, number, stem)) {
        for (size_t i = 0; i < path.subpaths.size(); ++i) {
            const auto& points = path.subpaths[i];
            for (auto [x, y] : points) {
                page.inkLeft = std::min(page.inkLeft, x);
                page.inkRight = std::max(page.inkRight, x);
                page.inkTop = std::min(page.inkTop, y);
                page.inkBottom = std::max(page.inkBottom, y);
            }
            if (path.curves[i] >= 4) {
                PdfBox box{1e9, 1e9, -1e9, -1e9};
                for (auto [x, y] : points)
                    box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x), std::max(box.bottom, y)};
                const double w = box.right - box.left;
                // Dots beside dotted notes are circles far smaller than any note's.
                if (w < 1.5 * kMm || std::abs(w - (box.bottom - box.top)) > 0.1 * w)
                    continue;
                // An outlined circle's path runs half a pen inside its edge.
                const Circle c{box.CentreX(), box.CentreY(), w / 2 + (path.stroke.empty() ? 0 : 0.2 * kMm)};
                const bool kind = std::any_of(captions.begin(), captions.end(), [&](const PdfBox& cap) {
                    return c.y > cap.top && c.y < cap.bottom && c.x < cap.left && c.x > cap.left - 5 * kMm;
                });
                if (!kind)
                    page.notes.push_back(c);
            } else if (path.stroke == "rgb(0%,0%,0%)" && points.size() == 2 && std::abs(points[0].first - points[1].first) < 0.01 &&
                       std::abs(points[0].second - points[1].second) > 50 * kMm) {
                page.strings.push_back(points[0].first);
                page.longestString = std::max(page.longestString, std::abs(points[0].second - points[1].second));
            }
        }
    }
    return page;
}

class PlaySheetTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        g_dir = std::make_unique<SandboxDir>();
        RecordingSink sink;
        for (const char* song : {"jinglebells.mwd", "greensleeves.mwd", "amazinggrace.mwd"})
            for (const auto& [harp, paper] : {std::pair{"37", "A3"}, {"25", "A3"}, {"18", "A4"}}) {
                Render r{song, harp, paper, 0, 0, {}};
                const std::string pdf = g_dir->Path(std::string(song) + harp + paper + ".pdf");
                std::ostringstream out, err;
                if (RunRenderCommand({"--harp", harp, "--paper", paper, "--measures", "all", "--chords", "on", "--info",
                                      "--notes", std::string(DP_SAMPLE_DIR) + "/" + song, pdf},
                                     out, err) != 0)
                    g_failures += pdf + ": " + err.str();
                std::istringstream lines(out.str());
                int missing = 0, notes = 0;
                for (std::string line; std::getline(lines, line);) {
                    notes += std::count(line.begin(), line.end(), '\t') == 3;
                    if (line.rfind("missing=", 0) == 0)
                        missing = std::stoi(line.substr(8));
                }
                r.notes = notes - missing;
                r.strings = std::stoi(harp);
                for (int p = 1, n = PdfPages(pdf); p <= n; ++p)
                    r.pages.push_back(ReadPage(pdf, p, g_dir->Path("page")));
                g_renders.push_back(std::move(r));
            }
        for (const std::string& message : sink.Take())
            g_failures += "message: " + message + "\n";
    }
    static void TearDownTestSuite()
    {
        g_renders.clear();
        g_dir.reset();
    }
    void SetUp() override { ASSERT_EQ(g_failures, ""); }

    static std::unique_ptr<SandboxDir> g_dir;
    static std::vector<Render> g_renders;
    static std::string g_failures;
};

std::unique_ptr<SandboxDir> PlaySheetTest::g_dir;
std::vector<Render> PlaySheetTest::g_renders;
std::string PlaySheetTest::g_failures;

TEST_F(PlaySheetTest, EveryNoteIsOneCircleClearOfTheNext)
{
    for (const Render& r : g_renders) {
        SCOPED_TRACE(r.song + " " + r.harp + " " + r.paper);
        size_t circles = 0;
        double closest = 1e9;
        for (const Page& page : r.pages) {
            circles += page.notes.size();
            for (size_t i = 0; i < page.notes.size(); ++i)
                for (size_t k = i + 1; k < page.notes.size(); ++k) {
                    const Circle &a = page.notes[i], &b = page.notes[k];
                    closest = std::min(closest, std::hypot(a.x - b.x, a.y - b.y) - a.radius - b.radius);
                }
        }
        EXPECT_EQ(circles, static_cast<size_t>(r.notes)) << "the whole tune, each note once";
        EXPECT_GE(closest / kMm, 0.5) << "paper between every two circles";
    }
}

TEST_F(PlaySheetTest, EachSheetIsOnePageNoTallerThanTheHarp)
{
    std::map<std::string, size_t> pages;
    for (const Render& r : g_renders) {
        SCOPED_TRACE(r.song + " " + r.harp + " " + r.paper);
        pages[r.song + r.harp] = r.pages.size();
        const std::regex sheetOf("(\\d+)/(\\d+)枚");
        for (size_t k = 0; k < r.pages.size(); ++k) {
            const Page& page = r.pages[k];
            SCOPED_TRACE("page " + std::to_string(k + 1));
            EXPECT_EQ(page.strings.size(), static_cast<size_t>(r.strings)) << "every string line on every page";
            EXPECT_LE(page.longestString / kMm, 287);
            EXPECT_FALSE(page.notes.empty());
            // A page is as wide as the strings need: 37 strings lie across A3.
            EXPECT_EQ(page.width > page.height, r.harp == std::string("37"));
            std::smatch m;
            if (r.pages.size() > 1) {
                ASSERT_TRUE(std::regex_search(page.text, m, sheetOf)) << "a sheet of several says which it is";
                EXPECT_EQ(std::stoul(m[1]), k + 1);
                EXPECT_EQ(std::stoul(m[2]), r.pages.size());
            }
            // Every sheet but the last nearly full: its strings at least 70 % of what the page holds.
            const double room = std::min(282.0, page.height / kMm - 15);
            if (k + 1 < r.pages.size()) {
                EXPECT_GE(page.longestString / kMm, 0.7 * room);
            }
        }
    }
    EXPECT_GE(pages["jinglebells.mwd37"], 3u) << "48 measures do not go on one sheet";
    EXPECT_EQ(pages["jinglebells.mwd37"], pages["jinglebells.mwd25"]) << "the same harp height, the same sheets";
}

TEST_F(PlaySheetTest, NothingStandsInThePrintersMargin)
{
    for (const Render& r : g_renders) {
        SCOPED_TRACE(r.song + " " + r.harp + " " + r.paper);
        for (const Page& page : r.pages) {
            for (const PdfWord& w : page.words) {
                SCOPED_TRACE(w.text);
                EXPECT_GE(w.xMin, 4.9 * kMm);
                EXPECT_GE(w.yMin, 4.9 * kMm);
                EXPECT_LE(w.xMax, page.width - 4.9 * kMm);
                EXPECT_LE(w.yMax, page.height - 4.9 * kMm);
            }
            EXPECT_GE(page.inkLeft, 2 * kMm);
            EXPECT_GE(page.inkTop, 2 * kMm);
            EXPECT_LE(page.inkRight, page.width - 2 * kMm);
            EXPECT_LE(page.inkBottom, page.height - 2 * kMm);
        }
    }
}

// Glued columns keep the printer's margins at the sheet's outer edges, their page labels
// included; no text is cut at the edges they are glued along.
TEST(PlaySheetColumns, GluedPagesKeepThePrintersMargin)
{
    SandboxDir sandbox;
    RecordingSink sink;
    const std::string pdf = sandbox.Path("columns.pdf");
    std::ostringstream out, err;
    ASSERT_EQ(RunRenderCommand({"--harp", "37", "--paper", "A4", "--measures", "1-12", "--chords", "on", "--counts", "on",
                                std::string(DP_SAMPLE_DIR) + "/jinglebells.mwd", pdf},
                               out, err),
              0)
        << err.str();
    const int pages = PdfPages(pdf);
    ASSERT_GE(pages, 3);
    const std::regex where("\\(列(\\d+)・行1\\)");
    int columns = 0;
    std::vector<Page> read;
    std::vector<int> columnOf;
    for (int p = 1; p <= pages; ++p) {
        read.push_back(ReadPage(pdf, p, sandbox.Path("page")));
        std::smatch m;
        const std::string text = PdfText(pdf, p);
        columnOf.push_back(std::regex_search(text, m, where) ? std::stoi(m[1]) : 0);
        columns = std::max(columns, columnOf.back());
    }
    ASSERT_EQ(columns, 3);
    for (int p = 1; p <= pages; ++p) {
        SCOPED_TRACE("page " + std::to_string(p));
        const Page& page = read[static_cast<size_t>(p - 1)];
        const int column = columnOf[static_cast<size_t>(p - 1)];
        EXPECT_NE(page.text.find("点線の間を隣のページと重ねて貼る"), std::string::npos);
        for (const PdfWord& w : page.words) {
            // Moved off the edges the pages are glued along: never cut there.
            EXPECT_GE(w.xMin, 0) << w.text;
            EXPECT_LE(w.xMax, page.width) << w.text;
            if (column == 1) {
                EXPECT_GE(w.xMin, 4.9 * kMm) << w.text;
            }
            if (column == columns) {
                EXPECT_LE(w.xMax, page.width - 4.9 * kMm) << w.text;
            }
            EXPECT_GE(w.yMin, 4.9 * kMm) << w.text;
            EXPECT_LE(w.yMax, page.height - 4.9 * kMm) << w.text;
        }
        EXPECT_GE(page.strings.size(), 3u) << "no strip of a string or two";
        EXPECT_GE(page.inkTop, 2 * kMm);
        EXPECT_LE(page.inkBottom, page.height - 2 * kMm);
    }
    EXPECT_EQ(sink.Count(), 0u);
}

// A range that leaves measures of the song out says so, on the sheet at scale and on the page
// fitted to the paper alike; the whole song says nothing of the kind.
TEST(PlaySheetRange, APartOfTheSongSaysHowMuchIsLeftOut)
{
    SandboxDir sandbox;
    RecordingSink sink;
    const std::string song = std::string(DP_SAMPLE_DIR) + "/jinglebells.mwd", pdf = sandbox.Path("part.pdf");
    for (const std::vector<std::string>& how : {std::vector<std::string>{"--harp", "25"}, {"--strings", "25"}}) {
        std::ostringstream out, err;
        std::vector<std::string> args = how;
        args.insert(args.end(), {"--measures", "1-32", song, pdf});
        ASSERT_EQ(RunRenderCommand(args, out, err), 0) << err.str();
        std::string all;
        for (int p = 1, n = PdfPages(pdf); p <= n; ++p)
            all += WithoutSpaces(PdfText(pdf, p));
        EXPECT_NE(all.find("／全48小節"), std::string::npos) << how[0];
        args = how;
        args.insert(args.end(), {"--measures", "all", song, pdf});
        ASSERT_EQ(RunRenderCommand(args, out, err), 0) << err.str();
        EXPECT_EQ(WithoutSpaces(PdfText(pdf, 1)).find("全48小節"), std::string::npos) << how[0];
    }
    EXPECT_EQ(sink.Count(), 0u);
}

} // namespace

namespace {

// A 3/4 tune that starts with a one-beat pickup, has two dotted quarters, rests of one and two
// beats, and names its composer.
constexpr const char* kWaltzAbc = "X:1\nT:Pickup Waltz\nC:K. Tanaka\nM:3/4\nL:1/4\nK:C\n"
                                  "G | c3/2 d/2 e | z f g | e3/2 d/2 c | z2 G | c2 d |]\n";

// The same tune as a notation program writes it: an implicit first measure, the composer as
// the score's creator.
std::string WaltzMusicXml()
{
    const auto note = [](const char* step, int octave, int duration, const char* type, bool dot = false) {
        return std::string("<note><pitch><step>") + step + "</step><octave>" + std::to_string(octave) +
               "</octave></pitch><duration>" + std::to_string(duration) + "</duration><type>" + type + "</type>" +
               (dot ? "<dot/>" : "") + "</note>";
    };
    const auto rest = [](int duration) {
        return "<note><rest/><duration>" + std::to_string(duration) + "</duration></note>";
    };
    const auto measure = [](int number, const std::string& body, bool implicit = false) {
        return "<measure number=\"" + std::to_string(number) + "\"" + (implicit ? " implicit=\"yes\"" : "") + ">" +
               body + "</measure>";
    };
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<score-partwise version=\"3.1\">"
                       "<work><work-title>Pickup Waltz</work-title></work>"
                       "<identification><creator type=\"composer\">K. Tanaka</creator></identification>"
                       "<part-list><score-part id=\"P1\"><part-name>Melody</part-name></score-part></part-list>"
                       "<part id=\"P1\">") +
           measure(0,
                   "<attributes><divisions>2</divisions><key><fifths>0</fifths></key><time><beats>3</beats>"
                   "<beat-type>4</beat-type></time></attributes>" +
                       note("G", 4, 2, "quarter"),
                   true) +
           measure(1, note("C", 5, 3, "quarter", true) + note("D", 5, 1, "eighth") + note("E", 5, 2, "quarter")) +
           measure(2, rest(2) + note("F", 5, 2, "quarter") + note("G", 5, 2, "quarter")) +
           measure(3, note("E", 5, 3, "quarter", true) + note("D", 5, 1, "eighth") + note("C", 5, 2, "quarter")) +
           measure(4, rest(4) + note("G", 4, 2, "quarter")) +
           measure(5, note("C", 5, 4, "half") + note("D", 5, 2, "quarter")) + "</part></score-partwise>\n";
}

struct Marks {
    Page page;
    std::vector<Circle> dots;
    std::vector<PdfBox> rests; // the rest marks' boxes
    std::string info;
};

Marks RenderMarks(SandboxDir& sandbox, const std::string& name, const std::string& text,
                  std::vector<std::string> options = {})
{
    const std::string song = sandbox.Path(name), pdf = sandbox.Path(name + ".pdf");
    WriteFileBytes(song, std::vector<uint8_t>(text.begin(), text.end()));
    std::ostringstream out, err;
    options.insert(options.begin(), {"--harp", "25", "--paper", "A3", "--info"});
    options.insert(options.end(), {song, pdf});
    EXPECT_EQ(RunRenderCommand(options, out, err), 0) << err.str();
    Marks m;
    m.info = out.str();
    m.page = ReadPage(pdf, 1, sandbox.Path("marks"));
    for (const PdfPath& path : PdfPaths(pdf, 1, sandbox.Path("marks"))) {
        for (size_t i = 0; i < path.subpaths.size(); ++i) {
            PdfBox box{1e9, 1e9, -1e9, -1e9};
            for (auto [x, y] : path.subpaths[i])
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x), std::max(box.bottom, y)};
            const double w = (box.right - box.left) / kMm, h = (box.bottom - box.top) / kMm;
            if (path.curves[i] >= 4 && w > 0.3 && w < 1.5)
                m.dots.push_back({box.CentreX(), box.CentreY(), (box.right - box.left) / 2});
            else if (path.curves[i] == 0 && path.stroke.empty() && w > 1.5 && w < 4 && h > 0.5 && h < 1.5)
                m.rests.push_back(box);
        }
    }
    return m;
}

bool Covers(const PdfBox& a, const Circle& c)
{
    const double x = std::clamp(c.x, a.left, a.right), y = std::clamp(c.y, a.top, a.bottom);
    return std::hypot(x - c.x, y - c.y) < c.radius;
}

// The words above the string names: measure numbers, counts and rest lengths.
std::vector<PdfWord> ScoreWordsOf(const Page& page)
{
    double names = 1e9;
    for (const PdfWord& w : page.words)
        if (w.text == "C4" || w.text == "G3")
            names = std::min(names, w.yMin);
    std::vector<PdfWord> out;
    for (const PdfWord& w : page.words)
        if (w.yMax < names)
            out.push_back(w);
    return out;
}

void ExpectNothingCovered(const Marks& m)
{
    const std::vector<PdfWord> words = ScoreWordsOf(m.page);
    for (size_t i = 0; i < words.size(); ++i) {
        const PdfBox a{words[i].xMin, words[i].yMin, words[i].xMax, words[i].yMax};
        for (size_t k = i + 1; k < words.size(); ++k)
            EXPECT_FALSE(a.Overlaps({words[k].xMin, words[k].yMin, words[k].xMax, words[k].yMax}))
                << words[i].text << " and " << words[k].text;
        for (const Circle& c : m.page.notes)
            EXPECT_FALSE(Covers(a, c)) << words[i].text << " covers a circle";
        for (const Circle& d : m.dots)
            EXPECT_FALSE(Covers(a, d)) << words[i].text << " covers a dot";
    }
    for (const Circle& d : m.dots)
        for (const Circle& c : m.page.notes)
            EXPECT_GT(std::hypot(d.x - c.x, d.y - c.y), d.radius + c.radius) << "a dot on a circle";
}

} // namespace

TEST(PlayingMarks, DotsRestsPickupAndComposerAsTheScoreWritesThem)
{
    SandboxDir sandbox;
    RecordingSink sink;
    const Marks abc = RenderMarks(sandbox, "waltz.abc", kWaltzAbc);
    EXPECT_NE(abc.info.find("pickup_beats=1\n"), std::string::npos) << abc.info;
    ASSERT_EQ(abc.page.notes.size(), 12u);
    // Two dots, each level with a circle and just beside it.
    ASSERT_EQ(abc.dots.size(), 2u);
    for (const Circle& d : abc.dots)
        EXPECT_TRUE(std::any_of(abc.page.notes.begin(), abc.page.notes.end(), [&](const Circle& c) {
            return std::abs(c.y - d.y) < 0.3 * kMm && std::abs(c.x - d.x) < c.radius + 1.5 * kMm;
        }));
    // A mark for each rest; the two-beat one says "2" beside it.
    ASSERT_EQ(abc.rests.size(), 2u);
    const std::vector<PdfWord> words = ScoreWordsOf(abc.page);
    const auto labelled = [&](const PdfBox& mark) {
        return std::any_of(words.begin(), words.end(), [&](const PdfWord& w) {
            return w.text == "2" && std::abs((w.yMin + w.yMax) / 2 - mark.CentreY()) < 1 * kMm &&
                   std::min(std::abs(w.xMin - mark.right), std::abs(mark.left - w.xMax)) < 1.5 * kMm;
        });
    };
    EXPECT_EQ(labelled(abc.rests[0]) + labelled(abc.rests[1]), 1);
    // Measures numbered from the first full one, 1 to 5, as the score prints them; the pickup
    // takes no empty room before its note.
    std::vector<std::string> numbers;
    for (const PdfWord& w : words) {
        const bool restLength = std::any_of(abc.rests.begin(), abc.rests.end(), [&](const PdfBox& r) {
            return std::abs((w.yMin + w.yMax) / 2 - r.CentreY()) < 1 * kMm && w.xMin < r.right + 2 * kMm &&
                   w.xMax > r.left - 2 * kMm;
        });
        if (!restLength && w.text.find_first_not_of("0123456789") == std::string::npos)
            numbers.push_back(w.text);
    }
    EXPECT_EQ(numbers, (std::vector<std::string>{"1", "2", "3", "4", "5"}));
    const double top = std::min_element(abc.page.notes.begin(), abc.page.notes.end(),
                                        [](const Circle& a, const Circle& b) { return a.y < b.y; })->y;
    EXPECT_LT(top / kMm, 12) << "the pickup's note at the top of the strings";
    EXPECT_NE(abc.page.text.find("作曲K.Tanaka"), std::string::npos);
    EXPECT_NE(abc.page.text.find("小節1〜5"), std::string::npos);
    ExpectNothingCovered(abc);

    // The same tune from MusicXML gives the same sheet.
    const Marks xml = RenderMarks(sandbox, "waltz.musicxml", WaltzMusicXml());
    EXPECT_NE(xml.info.find("pickup_beats=1\n"), std::string::npos) << xml.info;
    ASSERT_EQ(xml.page.notes.size(), abc.page.notes.size());
    for (size_t i = 0; i < xml.page.notes.size(); ++i) {
        EXPECT_NEAR(xml.page.notes[i].x, abc.page.notes[i].x, 0.05 * kMm);
        EXPECT_NEAR(xml.page.notes[i].y, abc.page.notes[i].y, 0.05 * kMm);
    }
    EXPECT_EQ(xml.dots.size(), abc.dots.size());
    EXPECT_EQ(xml.rests.size(), abc.rests.size());
    EXPECT_EQ(xml.page.text, abc.page.text);
    EXPECT_EQ(sink.Count(), 0u);
}

TEST(PlayingMarks, CountsStandBesideTheNotesOnTheBeat)
{
    SandboxDir sandbox;
    RecordingSink sink;
    const auto counts = [&](const std::string& name, const std::string& tune) {
        const Marks m = RenderMarks(sandbox, name, tune, {"--counts", "on", "--measure-numbers", "off"});
        ExpectNothingCovered(m);
        std::vector<PdfWord> words = ScoreWordsOf(m.page);
        std::sort(words.begin(), words.end(), [](const PdfWord& a, const PdfWord& b) { return a.yMin < b.yMin; });
        std::string seen;
        for (const PdfWord& w : words)
            seen += w.text;
        return seen;
    };
    EXPECT_EQ(counts("four.abc", "X:1\nT:Four\nM:4/4\nL:1/4\nK:C\nC D E F | G A/2 B/2 c2 | c B A G | F E D C |]\n"),
              "1234" "12+3" "1234" "1234");
    EXPECT_EQ(counts("six.abc", "X:1\nT:Six\nM:6/8\nL:1/8\nK:C\nCDE FGA | B2c d2e | c6 |]\n"),
              "1+a2+a" "1a2a" "1") << "a jig counts two dotted beats";
    EXPECT_EQ(sink.Count(), 0u);
}

// Further verses stand as a block on the last sheet: ABC's W: lines, MusicXML's lyrics of verse
// 2 on, their syllables joined.
TEST(PlayingMarks, FurtherVersesGoOnTheLastSheet)
{
    SandboxDir sandbox;
    RecordingSink sink;
    std::string abc = "X:1\nT:Verses\nM:4/4\nL:1/4\nK:C\n";
    for (int m = 0; m < 40; ++m)
        abc += "C D E F | G A B c | ";
    abc += "c4 |]\nw:one\nW:2. The second verse\nW:goes on here\n";
    const std::string song = sandbox.Path("verses.abc"), pdf = sandbox.Path("verses.pdf");
    WriteFileBytes(song, std::vector<uint8_t>(abc.begin(), abc.end()));
    std::ostringstream out, err;
    ASSERT_EQ(RunRenderCommand({"--harp", "25", "--paper", "A3", "--measures", "all", song, pdf}, out, err), 0) << err.str();
    const int pages = PdfPages(pdf);
    ASSERT_GE(pages, 2);
    for (int p = 1; p <= pages; ++p) {
        const std::string text = WithoutSpaces(PdfText(pdf, p));
        EXPECT_EQ(text.find("2.Thesecondverse") != std::string::npos, p == pages) << "page " << p;
        EXPECT_EQ(text.find("goesonhere") != std::string::npos, p == pages) << "page " << p;
    }

    const auto note = [](const char* step, const char* first, const char* syllabic, const char* second) {
        return std::string("<note><pitch><step>") + step + "</step><octave>4</octave></pitch><duration>1</duration>"
               "<type>quarter</type><lyric number=\"1\"><syllabic>single</syllabic><text>" + first + "</text></lyric>"
               "<lyric number=\"2\"><syllabic>" + syllabic + "</syllabic><text>" + second + "</text></lyric></note>";
    };
    const std::string xml = std::string("<?xml version=\"1.0\"?><score-partwise version=\"3.1\"><part-list><score-part id=\"P1\">"
                                        "<part-name>M</part-name></score-part></part-list><part id=\"P1\"><measure number=\"1\">"
                                        "<attributes><divisions>1</divisions><time><beats>4</beats><beat-type>4</beat-type></time>"
                                        "</attributes>") +
                            note("C", "la", "begin", "Hel") + note("D", "la", "end", "lo") + note("E", "la", "single", "sing") +
                            note("F", "la", "single", "on") + "</measure></part></score-partwise>";
    const std::string score = sandbox.Path("verses.musicxml"), xmlPdf = sandbox.Path("verses-xml.pdf");
    WriteFileBytes(score, std::vector<uint8_t>(xml.begin(), xml.end()));
    ASSERT_EQ(RunRenderCommand({"--harp", "25", "--paper", "A3", score, xmlPdf}, out, err), 0) << err.str();
    const std::string text = PdfText(xmlPdf, 1);
    EXPECT_NE(text.find("Hello sing on"), std::string::npos) << text;
    EXPECT_EQ(sink.Count(), 0u);
}

// --info tells of the sheets the PDF is drawn from, whatever the harp and the paper.
TEST(PlaySheetInfo, SheetsAndPagesAreThoseOfThePdf)
{
    SandboxDir dir;
    RecordingSink sink;
    for (const char* harp : {"37", "25", "18"})
        for (const char* paper : {"A3", "A4", "Letter"}) {
            SCOPED_TRACE(std::string(harp) + " " + paper);
            const std::string pdf = dir.Path(std::string(harp) + paper + ".pdf");
            std::ostringstream out, err;
            ASSERT_EQ(RunRenderCommand({"--harp", harp, "--paper", paper, "--measures", "all", "--lyrics", "on",
                                        "--chords", "on", "--info", std::string(DP_SAMPLE_DIR) + "/jinglebells.mwd", pdf},
                                       out, err),
                      0)
                << err.str();
            std::smatch m;
            const std::string facts = out.str();
            ASSERT_TRUE(std::regex_search(facts, m, std::regex("\\bsheets=(\\d+)\\npages=(\\d+)")));
            EXPECT_EQ(std::stoi(m[2]), PdfPages(pdf));
            EXPECT_LE(std::stoi(m[1]), std::stoi(m[2]));
        }
    EXPECT_EQ(sink.Count(), 0u);
}
