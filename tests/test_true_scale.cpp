// The sheet at the harp's own scale, read back from the PDFs the renderer writes: what a ruler
// on the printed pages would find, not what the program computed.

#include "app/RenderCommand.h"
#include "settings/HarpPresets.h"
#include "song/CSongFileWriter.h"
#include "tests/support/PdfProbe.h"
#include "tests/support/TestSupport.h"

#include <QImage>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <regex>
#include <sstream>

namespace {

constexpr int kDpi = 300; // for string lines, marks and circles
constexpr double kPerMm = kDpi / 25.4;
constexpr double kTopMm = 40; // the strip of each top page that is read

struct RenderedSheet {
    const HarpPreset* harp;
    std::string paper, pdf;
};

// Every preset on three papers, rendered once for the whole suite.
std::unique_ptr<SandboxDir> g_dir;
std::vector<RenderedSheet> g_sheets;
std::string g_failures;

// A song whose first beat sounds the harp's lowest string and whose second its highest, so
// that circles stand on both outermost lines near the top of the sheet, and one note on the
// last beat.
std::string OutermostSong(const HarpPreset& harp, const std::string& path)
{
    int highest = harp.lowestNote;
    for (int i = 1; i < harp.stringCount; ++i)
        do
            ++highest;
        while (harp.tuning != Tuning::Chromatic && !IsInTuning(harp.tuning, highest));
    CSongFileWriter w(4, 4);
    w.AddNote(0, harp.lowestNote, 4);
    w.AddNote(4, highest, 4);
    w.AddNote(60, harp.lowestNote, 4); // the last beat: the sheet runs as long as the picture
    w.SetTitleUtf8("両端の弦");
    w.Write(path);
    return path;
}

QImage Grey(const std::string& pdf, int page, int dpi, QRect crop, const std::string& stem)
{
    return RenderPage(pdf, dpi, stem, page, crop).convertToFormat(QImage::Format_Grayscale8);
}

int Ink(const QImage& image, int x, int y)
{
    return 255 - image.constScanLine(y)[x];
}

// Groups of neighbouring columns that pass the test, as weighted centres.
template <typename Test>
std::vector<double> ColumnGroups(const QImage& image, Test passes)
{
    std::vector<double> centres;
    double weight = 0, moment = 0;
    for (int x = 0; x <= image.width(); ++x) {
        double w = 0;
        if (x < image.width() && passes(x))
            for (int y = 0; y < image.height(); ++y)
                w += Ink(image, x, y);
        if (w > 0) {
            weight += w;
            moment += w * (x + 0.5);
        } else if (weight > 0) {
            centres.push_back(moment / weight);
            weight = moment = 0;
        }
    }
    return centres;
}

// Dark runs down a column.
int Runs(const QImage& image, int x)
{
    int runs = 0;
    bool dark = false;
    for (int y = 0; y < image.height(); ++y) {
        const bool d = Ink(image, x, y) > 127;
        runs += d && !dark;
        dark = d;
    }
    return runs;
}

int LongestRun(const QImage& image, int x)
{
    int longest = 0, run = 0;
    for (int y = 0; y < image.height(); ++y) {
        run = Ink(image, x, y) > 127 ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

// The cut-and-glue lines are dashed: many short runs down a column.
std::vector<double> DashLines(const QImage& image)
{
    return ColumnGroups(image, [&](int x) { return Runs(image, x) >= 6; });
}

// String lines: black down most of the strip, in one piece or broken only by circles.
std::vector<double> StringLines(const QImage& image)
{
    return ColumnGroups(image, [&](int x) {
        if (Runs(image, x) >= 6)
            return false;
        int black = 0;
        for (int y = 0; y < image.height(); ++y)
            black += Ink(image, x, y) > 127;
        return black > image.height() / 2;
    });
}

// The circle centred on the line at `line`, from the side away from the joining line
// (`outward` -1 left, +1 right): its radius from a chord beside the line, and how far its ink
// reaches from the line.
struct CircleSide {
    double radius = 0, reach = 0, edgeGap = 0; // millimetres; edgeGap: ink to the page's edge
};

CircleSide OutermostCircle(const QImage& image, double line, int outward, double spacingMm)
{
    const double besideMm = 0.5;
    const int column = static_cast<int>(std::lround(line + outward * besideMm * kPerMm - 0.5));
    const double chord = LongestRun(image, column) / kPerMm;
    CircleSide side;
    side.radius = std::sqrt(chord * chord / 4 + besideMm * besideMm);
    // Within half a spacing of the line: farther ink is a neighbour's or a cut line's.
    const int from = std::max(0, static_cast<int>(line - spacingMm / 2 * kPerMm));
    const int to = std::min(image.width(), static_cast<int>(line + spacingMm / 2 * kPerMm));
    std::vector<bool> dashed(static_cast<size_t>(image.width()));
    for (int x = from; x < to; ++x)
        dashed[static_cast<size_t>(x)] = Runs(image, x) >= 6;
    int outermost = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = from; x < to; ++x)
            if (!dashed[static_cast<size_t>(x)] && Ink(image, x, y) > 127 && (outermost < 0 || (outward < 0 ? x < outermost : x > outermost)))
                outermost = x;
    const double edge = outward < 0 ? outermost : outermost + 1.0;
    side.reach = std::abs(edge - line) / kPerMm;
    side.edgeGap = (outward < 0 ? edge : image.width() - edge) / kPerMm;
    return side;
}

// Whether a pixel of one page has no match among the neighbours of its place on the other: the
// pages may place the band half a pixel apart.
bool Differs(const QImage& a, int xa, int ya, const QImage& b, int xb, int yb)
{
    const int ink = Ink(a, xa, ya);
    int least = 255, most = 0;
    for (int y = std::max(yb - 1, 0); y <= std::min(yb + 1, b.height() - 1); ++y)
        for (int x = std::max(xb - 1, 0); x <= std::min(xb + 1, b.width() - 1); ++x) {
            least = std::min(least, Ink(b, x, y));
            most = std::max(most, Ink(b, x, y));
        }
    return ink < least - 64 || ink > most + 64;
}

struct PageLabel {
    int page = 0, total = 0, column = 0, row = 0;
};

// The page's "k/n (列c・行r)"; all zero on a sheet of one page.
PageLabel LabelOf(const std::string& pdf, int page)
{
    const std::string text = PdfText(pdf, page);
    static const std::regex label("(\\d+)/(\\d+) \\(列(\\d+)・行(\\d+)\\)");
    std::smatch m;
    if (!std::regex_search(text, m, label))
        return {};
    return {std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3]), std::stoi(m[4])};
}

int ColumnsOf(const std::string& pdf)
{
    int columns = 1;
    for (int p = 1, n = PdfPages(pdf); p <= n; ++p)
        columns = std::max(columns, LabelOf(pdf, p).column);
    return columns;
}

double Spacing(const RenderedSheet& s)
{
    return s.harp->spacingTenthsMm / 10.0;
}

} // namespace

class TrueScaleSheetTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        g_dir = std::make_unique<SandboxDir>();
        RecordingSink sink;
        for (const HarpPreset& harp : kHarpPresets) {
            const std::string song = OutermostSong(harp, g_dir->Path(std::string(harp.option) + ".mwd"));
            for (const char* paper : {"A3", "A4", "Letter"}) {
                const std::string pdf = g_dir->Path(std::string(harp.option) + "-" + paper + ".pdf");
                std::ostringstream out, err;
                // The strips beside the outermost strings are read for circles: no measure
                // numbers there.
                if (RunRenderCommand({"--harp", harp.option, "--paper", paper, "--measure-numbers", "off", song, pdf}, out,
                                     err) != 0)
                    g_failures += pdf + ": " + err.str();
                g_sheets.push_back({&harp, paper, pdf});
            }
        }
        for (const std::string& message : sink.Take())
            g_failures += "message: " + message + "\n";
    }
    static void TearDownTestSuite()
    {
        g_sheets.clear();
        g_dir.reset();
    }
    void SetUp() override { ASSERT_EQ(g_failures, "") << "no warning, no failure in true-scale mode"; }

    QImage TopStrip(const RenderedSheet& s, int page)
    {
        return Grey(s.pdf, page, kDpi, QRect(0, 0, 20000, static_cast<int>(kTopMm * kPerMm)),
                    g_dir->Path("strip" + std::to_string(++renders)));
    }
    int renders = 0;
};

TEST_F(TrueScaleSheetTest, StringsStandAtTheHarpsSpacingAcrossGluedPages)
{
    for (const RenderedSheet& s : g_sheets) {
        SCOPED_TRACE(s.pdf);
        const int columns = ColumnsOf(s.pdf);
        // Each page's origin on the sheet, from the band it shares with the page before.
        double origin = 0, first = -1, last = -1, lastOrigin = 0;
        std::vector<double> previousDashes;
        QImage firstPage, lastPage;
        for (int c = 1; c <= columns; ++c) {
            const QImage strip = TopStrip(s, c);
            ASSERT_FALSE(strip.isNull());
            const std::vector<double> dashes = DashLines(strip), strings = StringLines(strip);
            ASSERT_EQ(dashes.size(), (c > 1 ? 2u : 0u) + (c < columns ? 2u : 0u)) << "page " << c;
            if (c > 1) {
                origin += previousDashes[previousDashes.size() - 2] - dashes[0];
                EXPECT_NEAR((dashes[1] - dashes[0]) / kPerMm, 10 - 0.2, 0.2) << "the band between " << c - 1 << " and " << c;
            }
            if (!strings.empty() && first < 0) {
                first = strings.front();
                firstPage = strip;
            }
            if (!strings.empty()) {
                last = strings.back();
                lastOrigin = origin;
                lastPage = strip;
            }
            previousDashes = dashes;
        }
        ASSERT_GE(first, 0);
        const double span = (last + lastOrigin - first) / kPerMm;
        EXPECT_NEAR(span, (s.harp->stringCount - 1) * Spacing(s), 0.2);

        // The outermost circles are whole, well inside the paper.
        const CircleSide low = OutermostCircle(firstPage, first, -1, Spacing(s)),
                         high = OutermostCircle(lastPage, last, +1, Spacing(s));
        for (const CircleSide& side : {low, high}) {
            EXPECT_GT(side.radius, 0.3 * Spacing(s) / 2) << "a circle stands on the outermost line";
            EXPECT_NEAR(side.reach, side.radius, 0.25) << "not cut";
            // 37 strings across A3 and 15 at 14.5 mm across A4 leave less than a circle and the
            // printer's 2 mm beside the outermost lines: the circles are still whole on the paper.
            EXPECT_GT(side.edgeGap, 0.3);
        }
    }
}

TEST_F(TrueScaleSheetTest, EveryPageSaysWhereItGoesAndNoneIsMissing)
{
    std::map<std::string, int> pagesOf;
    for (const RenderedSheet& s : g_sheets) {
        SCOPED_TRACE(s.pdf);
        const int pages = PdfPages(s.pdf);
        pagesOf[std::string(s.harp->option) + s.paper] = pages;
        ASSERT_GE(pages, 1);
        EXPECT_EQ(QString::fromStdString(PdfPaper(s.pdf)).toUpper(), QString::fromStdString(s.paper).toUpper());
        if (pages == 1) {
            EXPECT_EQ(LabelOf(s.pdf, 1).total, 0) << "a sheet on one page needs no label";
            continue;
        }
        int columns = 0, rows = 0;
        for (int p = 1; p <= pages; ++p) {
            const PageLabel label = LabelOf(s.pdf, p);
            EXPECT_EQ(label.page, p);
            EXPECT_EQ(label.total, pages);
            columns = std::max(columns, label.column);
            rows = std::max(rows, label.row);
        }
        EXPECT_EQ(columns * rows, pages);
        for (int p = 1; p <= pages; ++p) {
            const PageLabel label = LabelOf(s.pdf, p);
            EXPECT_EQ((label.row - 1) * columns + label.column, p) << "row by row, left to right";
        }
        // The label stands on paper, within the page.
        for (const PdfWord& word : PdfWords(s.pdf, pages))
            EXPECT_GT(word.xMin, 0);
    }
    // The split follows the paper: a 37-string sheet (414 mm between its outermost lines) goes
    // across one A3 page turned, and over three A4 columns; the 15-string sheet fits one A3 page.
    EXPECT_EQ(pagesOf["37A3"], 1);
    EXPECT_EQ(ColumnsOf(g_sheets[1].pdf), 3);
    EXPECT_EQ(pagesOf["15GA3"], 1);
    EXPECT_GT(pagesOf["37A4"], pagesOf["37A3"]);
}

TEST_F(TrueScaleSheetTest, ScaleBarIsOneHundredMillimetres)
{
    for (const RenderedSheet& s : g_sheets) {
        SCOPED_TRACE(s.pdf);
        const int pages = PdfPages(s.pdf);
        int found = 0;
        for (int p = 1; p <= pages; ++p) {
            const std::vector<PdfWord> words = PdfWords(s.pdf, p);
            const auto caption = std::find_if(words.begin(), words.end(),
                                              [](const PdfWord& w) { return w.text == "100%で印刷"; });
            if (caption == words.end())
                continue;
            ++found;
            EXPECT_TRUE(std::any_of(words.begin(), words.end(), [](const PdfWord& w) { return w.text == "mm"; }));
            // The bar stands level with its caption, to its left.
            constexpr int dpi = 600;
            const int top = static_cast<int>((caption->yMin - 2) / 72 * dpi);
            const int bottom = static_cast<int>((caption->yMax + 2) / 72 * dpi);
            const QImage band = Grey(s.pdf, p, dpi, QRect(0, top, 20000, bottom - top), g_dir->Path("bar"));
            ASSERT_FALSE(band.isNull());
            int longest = 0;
            for (int y = 0; y < band.height(); ++y)
                for (int x = 0, run = 0; x < band.width(); ++x) {
                    run = Ink(band, x, y) > 127 ? run + 1 : 0;
                    longest = std::max(longest, run);
                }
            EXPECT_NEAR(longest / (dpi / 25.4), 100, 0.2);
        }
        EXPECT_EQ(found, 1) << "one scale bar per sheet";
    }
}

TEST_F(TrueScaleSheetTest, NeighbouringPagesShowTheSameBand)
{
    const RenderedSheet& s = g_sheets[1]; // 37 strings on A4: columns of one row
    ASSERT_EQ(s.paper, "A4");
    const int columns = ColumnsOf(s.pdf);
    ASSERT_GE(columns, 2);
    EXPECT_EQ(PdfPages(s.pdf), columns) << "a sheet is never taller than the page";
    const QImage first = Grey(s.pdf, 1, kDpi, {}, g_dir->Path("p1"));
    const QImage right = Grey(s.pdf, 2, kDpi, {}, g_dir->Path("p2"));
    const QRect top(0, 0, first.width(), static_cast<int>(kTopMm * kPerMm));
    const std::vector<double> a = DashLines(first.copy(top)), b = DashLines(right.copy(top));
    ASSERT_EQ(a.size(), 2u);
    ASSERT_GE(b.size(), 2u);
    // Column band: page 1 from its first dash line, page 2 from its own.
    const int dx = static_cast<int>(std::lround(a[0] - b[0]));
    const int width = static_cast<int>(a[1] - a[0]);
    int differing = 0, inked = 0;
    for (int y = 0; y < first.height() - static_cast<int>(8 * kPerMm); ++y)
        for (int x = static_cast<int>(b[0]); x < static_cast<int>(b[0]) + width; ++x) {
            inked += Ink(first, x + dx, y) > 127;
            differing += Differs(first, x + dx, y, right, x, y);
        }
    EXPECT_GT(inked, 1000) << "the band holds strokes";
    EXPECT_LT(differing, inked / 50);

}

// The sheet ends soon after its last note: one whole note at the start of a tall picture takes
// the pages its width needs and no more (it took 159 A4 pages when the sheet was as tall as the
// picture). The string lines stop below the note, and the legend follows them.
TEST(TrueScaleSheetEnd, TheSheetEndsAfterItsLastNote)
{
    SandboxDir sandbox;
    RecordingSink sink;
    ConfigRecord r = DefaultConfigRecord();
    r.verticalSize = 2000;
    const ConfigImage image = EncodeConfigRecord(r);
    WriteFileBytes(sandbox.Path("setup.ini"), std::vector<uint8_t>(image.begin(), image.end()));
    CSongFileWriter w(4, 4);
    w.AddNote(0, 60, 16); // four beats on C4
    ASSERT_TRUE(w.Write(sandbox.Path("one.mwd")));
    const std::string pdf = sandbox.Path("one.pdf");
    std::ostringstream out, err;
    ASSERT_EQ(RunRenderCommand({"--settings", sandbox.Path("setup.ini"), "--harp", "37", "--spacing", "20", "--paper",
                                "A4", "--landscape", sandbox.Path("one.mwd"), pdf},
                               out, err),
              0)
        << err.str();
    // 36 gaps of 20 mm are 720 mm: three landscape A4 widths, one row; only the column with the
    // note is printed, and it names its outer strings.
    EXPECT_EQ(PdfPages(pdf), 1);
    const std::string text = WithoutSpaces(PdfText(pdf, 1));
    EXPECT_NE(text.find("小節1〜4"), std::string::npos) << "the legend is on the sheet";
    EXPECT_NE(text.find("左端の弦"), std::string::npos);
    EXPECT_NE(text.find("右端の弦"), std::string::npos);
    EXPECT_EQ(sink.Count(), 0u);
}

namespace {

// Jingle Bells whole, as the renderer makes it for one harp on one paper.
struct WholeTune {
    std::string pdf;
    int sheets = 0, pages = 0;
};

WholeTune RenderWholeTune(SandboxDir& dir, const std::string& harp, const std::string& paper)
{
    WholeTune t;
    t.pdf = dir.Path("jingle-" + harp + "-" + paper + ".pdf");
    std::ostringstream out, err;
    EXPECT_EQ(RunRenderCommand({"--harp", harp, "--paper", paper, "--measures", "all", "--info",
                                std::string(DP_SAMPLE_DIR) + "/jinglebells.mwd", t.pdf},
                               out, err),
              0)
        << err.str();
    std::smatch m;
    const std::string info = out.str();
    if (std::regex_search(info, m, std::regex("sheets=(\\d+)")))
        t.sheets = std::stoi(m[1]);
    if (std::regex_search(info, m, std::regex("pages=(\\d+)")))
        t.pages = std::stoi(m[1]);
    return t;
}

// The longest string line on a page, in millimetres: the string with no circle on it runs unbroken.
double LongestString(const QImage& page, double perMm)
{
    int longest = 0;
    for (int x = 0; x < page.width(); ++x) {
        int black = 0;
        for (int y = 0; y < page.height(); ++y)
            black += Ink(page, x, y) > 127;
        if (black > page.height() / 3)
            longest = std::max(longest, LongestRun(page, x));
    }
    return longest / perMm;
}

// Whether a page holds a filled circle: a square of 1 mm all ink, thicker than any line or text.
bool HoldsDisc(const QImage& page, double perMm)
{
    const int side = static_cast<int>(std::ceil(perMm));
    for (int y = 0; y + side < page.height(); y += 1)
        for (int x = 0; x + side < page.width(); x += 1) {
            bool all = true;
            for (int dy = 0; dy < side && all; ++dy)
                for (int dx = 0; dx < side && all; ++dx)
                    all = Ink(page, x + dx, y + dy) > 127;
            if (all)
                return true;
        }
    return false;
}

} // namespace

// The whole tune on every harp size and paper: never more pages than before the sheets used
// the page's height, and every sheet but the last as long as the paper lets the harp's strings be.
struct HarpOnPaper {
    const char* harp;
    const char* paper;
    int pagesBefore; // the renderer's pages before the sheets used the page's height
};

class WholeTuneOnEachPaper : public ::testing::TestWithParam<HarpOnPaper> {};

INSTANTIATE_TEST_SUITE_P(WholeTuneOnPaper, WholeTuneOnEachPaper,
                         ::testing::Values(HarpOnPaper{"37", "A3", 5}, HarpOnPaper{"37", "A4", 18},
                                           HarpOnPaper{"37", "Letter", 18}, HarpOnPaper{"25", "A3", 5},
                                           HarpOnPaper{"25", "A4", 12}, HarpOnPaper{"25", "Letter", 12},
                                           HarpOnPaper{"18", "A3", 5}, HarpOnPaper{"18", "A4", 5},
                                           HarpOnPaper{"18", "Letter", 6}),
                         [](const ::testing::TestParamInfo<HarpOnPaper>& info) {
                             return std::string("Strings") + info.param.harp + "On" + info.param.paper;
                         });

TEST_P(WholeTuneOnEachPaper, PageCountsHoldAndEverySheetButTheLastUsesTheHarpsHeight)
{
    const HarpOnPaper& c = GetParam();
    SandboxDir dir;
    RecordingSink sink;
    constexpr int dpi = 50;
    constexpr double perMm = dpi / 25.4;
    const WholeTune t = RenderWholeTune(dir, c.harp, c.paper);
    ASSERT_GT(t.sheets, 0);
    EXPECT_EQ(PdfPages(t.pdf), t.pages);
    EXPECT_LE(t.pages, c.pagesBefore);
    // The last sheet's pages are the last ones: a glued sheet's last page says "n/n".
    int lastSheetFrom = t.pages;
    if (const PageLabel last = LabelOf(t.pdf, t.pages); last.total > 0)
        lastSheetFrom = t.pages - last.total + 1;
    // The harp's height where the paper holds it: a glued page keeps its margins and label.
    const double pageMm = std::string(c.paper) == "A3" ? (std::string(c.harp) == "37" ? 297 : 420)
                          : std::string(c.paper) == "A4" ? 297 : 279.4;
    const double holds = std::min<double>(kHarpHeightMm, pageMm - 30);
    for (int p = 1; p < lastSheetFrom; ++p) {
        const QImage page = Grey(t.pdf, p, dpi, {}, dir.Path("jingle" + std::to_string(p)));
        // 85 % but for the cut at measure lines: Jingle Bells' third A3 sheet of 25 or 18
        // strings ends at 233.7 mm, where one more measure would not fit.
        EXPECT_GE(LongestString(page, perMm), 0.82 * holds) << "page " << p;
    }
    EXPECT_EQ(sink.Count(), 0u);
}

// 37 strings on A4 take three columns of pages; a column with no note of the tune is left out
// unless it carries the legend.
TEST(WholeTuneOnPaper, NoPageWithoutACircleUnlessItCarriesTheLegend)
{
    SandboxDir dir;
    RecordingSink sink;
    const WholeTune t = RenderWholeTune(dir, "37", "A4");
    constexpr int dpi = 75;
    for (int p = 1; p <= t.pages; ++p) {
        const bool legend = PdfText(t.pdf, p).find("1拍") != std::string::npos;
        if (!legend)
            EXPECT_TRUE(HoldsDisc(Grey(t.pdf, p, dpi, {}, dir.Path("disc" + std::to_string(p))), dpi / 25.4))
                << "page " << p;
    }
    // A page beside a column left out names its outer string, so the sheet finds its place.
    bool named = false;
    for (int p = 1; p <= t.pages; ++p)
        named = named || std::regex_search(PdfText(t.pdf, p), std::regex("(左|右)端の弦 [A-G]"));
    EXPECT_TRUE(named);
}

// The legend's texts stand below the strings on every sheet: no string line runs on above and
// below a legend word.
class LegendOnEachPaper : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

INSTANTIATE_TEST_SUITE_P(WholeTuneOnPaper, LegendOnEachPaper,
                         ::testing::Values(std::pair{"18", "A4"}, std::pair{"25", "A3"}, std::pair{"37", "A4"}),
                         [](const auto& info) {
                             return std::string("Strings") + info.param.first + "On" + info.param.second;
                         });

TEST_P(LegendOnEachPaper, LegendBoxesCrossNoStringLine)
{
    SandboxDir dir;
    RecordingSink sink;
    constexpr int dpi = 100;
    constexpr double perMm = dpi / 25.4, perPoint = dpi / 72.0;
    const auto [harp, paper] = GetParam();
    const WholeTune t = RenderWholeTune(dir, harp, paper);
    for (int p = 1; p <= t.pages; ++p) {
        const std::vector<PdfWord> words = PdfWords(t.pdf, p);
        const QImage page = Grey(t.pdf, p, dpi, {}, dir.Path("legend" + std::to_string(p)));
        const std::vector<double> lines = StringLines(page);
        for (const PdfWord& w : words) {
            if (w.text.find("拍") == std::string::npos && w.text.find("ジングルベル") == std::string::npos &&
                w.text.find("小節") == std::string::npos)
                continue;
            const int above = static_cast<int>(w.yMin * perPoint - perMm), below = static_cast<int>(w.yMax * perPoint + perMm);
            for (const double line : lines) {
                const int x = static_cast<int>(line);
                if (x < w.xMin * perPoint || x > w.xMax * perPoint || above < 0 || below >= page.height())
                    continue;
                EXPECT_FALSE(Ink(page, x, above) > 127 && Ink(page, x, below) > 127)
                    << "page " << p << ": \"" << w.text << "\" on the string at x=" << x;
            }
        }
    }
}
