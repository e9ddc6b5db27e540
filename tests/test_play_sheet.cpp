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
                Render r{song, harp, paper};
                const std::string pdf = g_dir->Path(std::string(song) + harp + paper + ".pdf");
                std::ostringstream out, err;
                if (RunRenderCommand({"--harp", harp, "--paper", paper, "--measures", "all", "--chords", "on", "--info",
                                      "--notes", std::string(DP_SAMPLE_DIR) + "/" + song, pdf},
                                     out, err) != 0)
                    g_failures += pdf + ": " + err.str();
                std::istringstream lines(out.str());
                int missing = 0, notes = 0;
                for (std::string line; std::getline(lines, line);) {
                    notes += std::count(line.begin(), line.end(), '\t') == 2;
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
            if (k + 1 < r.pages.size())
                EXPECT_GE(page.longestString / kMm, 0.7 * room);
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
// included; at the edges they are glued along, a text in the shared band is whole on one of
// the two pages.
TEST(PlaySheetColumns, GluedPagesKeepThePrintersMargin)
{
    SandboxDir sandbox;
    RecordingSink sink;
    const std::string pdf = sandbox.Path("columns.pdf");
    std::ostringstream out, err;
    ASSERT_EQ(RunRenderCommand({"--harp", "37", "--paper", "A4", "--measures", "1-12", "--chords", "on",
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
            if (column == 1)
                EXPECT_GE(w.xMin, 4.9 * kMm) << w.text;
            if (column == columns)
                EXPECT_LE(w.xMax, page.width - 4.9 * kMm) << w.text;
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
