// Words, chord names and measures on the printed sheet, read back from the PDF the renderer
// writes: the texts with their boxes from pdftotext, the circles from the drawing itself.

#include "tests/SongAsScore.h"
#include "app/RenderCommand.h"
#include "common/Cp932.h"
#include "render/ScoreLayout.h"
#include "song/CSongData.h"
#include "song/CSongFileWriter.h"
#include "tests/support/PdfProbe.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <sstream>

namespace {

constexpr double kPointsPerMm = 72 / 25.4;

struct Sheet {
    std::vector<PdfWord> words;
    std::vector<PdfBox> circles;
    std::vector<PdfPath> paths;
    std::string info;
};

class SheetWordsTest : public ::testing::Test {
protected:
    SandboxDir sandbox;
    RecordingSink sink;

    std::string Sample(const char* name) const { return std::string(DP_SAMPLE_DIR) + "/" + name; }

    Sheet Render(const std::string& song, std::vector<std::string> options)
    {
        const std::string pdf = sandbox.Path("sheet.pdf");
        options.insert(options.begin(), "--info");
        options.push_back(song);
        options.push_back(pdf);
        std::ostringstream out, err;
        EXPECT_EQ(RunRenderCommand(options, out, err), 0) << err.str();
        Sheet s;
        s.info = out.str();
        s.words = PdfWords(pdf, 1);
        s.paths = PdfPaths(pdf, 1, sandbox.Path("page"));
        s.circles = PdfCircles(s.paths);
        return s;
    }

    // The song's syllables in playing order, as the file holds them.
    static std::vector<std::string> Syllables(const std::string& song)
    {
        int32_t m = 0, b = 0, k = 0;
        const CSongData data(song.c_str(), m, b, k);
        const ScoreLayout layout = LayOutMeasures(data, 1, std::min(data.measureCount, 32));
        std::vector<std::string> out;
        for (const std::string& w : layout.words)
            if (const std::string& text = w; !text.empty())
                out.push_back(text);
        return out;
    }
};

PdfBox BoxOf(const PdfWord& w)
{
    return {w.xMin, w.yMin, w.xMax, w.yMax};
}

// Circles of the score, top to bottom; the legend's four circle kinds stand below the last
// string name and are left out.
std::vector<PdfBox> ScoreCircles(const Sheet& s, double legendTop)
{
    std::vector<PdfBox> circles;
    for (const PdfBox& c : s.circles)
        if (c.bottom < legendTop)
            circles.push_back(c);
    std::stable_sort(circles.begin(), circles.end(), [](const PdfBox& a, const PdfBox& b) { return a.CentreY() < b.CentreY(); });
    return circles;
}

// Where the legend starts: the row of string names under the lines, the row most note names
// share (a chord name such as G7 may read as one too). The title names the song looked for, so
// that a sheet without a legend fails.
double LegendTop(const Sheet& s, const std::string& title)
{
    static const std::regex name("[A-G]#?[0-9]");
    std::map<long, int> rows;
    bool titled = false;
    for (const PdfWord& w : s.words) {
        titled |= w.text == title;
        if (std::regex_match(w.text, name))
            ++rows[std::lround(w.yMin)];
    }
    const auto row = std::max_element(rows.begin(), rows.end(), [](auto& a, auto& b) { return a.second < b.second; });
    return titled && row != rows.end() ? row->first - 1.0 : 1e9;
}

bool IsNumber(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

TEST_F(SheetWordsTest, SakuraSyllablesStandInOrderBesideTheirCirclesAndMeasuresAreCounted)
{
    const std::string song = Sample("sakura.mwd");
    const Sheet s = Render(song, {});
    const double legendTop = LegendTop(s, "さくらさくら");
    ASSERT_LT(legendTop, 1e9);
    const std::vector<PdfBox> circles = ScoreCircles(s, legendTop);
    std::vector<PdfWord> syllables, numbers;
    for (const PdfWord& w : s.words)
        if (w.yMax < legendTop)
            (IsNumber(w.text) ? numbers : syllables).push_back(w);
    std::stable_sort(syllables.begin(), syllables.end(), [](const PdfWord& a, const PdfWord& b) { return a.yMin < b.yMin; });

    // Every syllable, in order; sakura has one on every note but the short passing ones.
    const std::vector<std::string> expected = Syllables(song);
    std::vector<std::string> found;
    for (const PdfWord& w : syllables)
        found.push_back(w.text);
    const auto joined = [](const std::vector<std::string>& list) {
        std::string all;
        for (const std::string& text : list)
            all += text + " ";
        return all;
    };
    EXPECT_EQ(joined(found), joined(expected));
    EXPECT_NE(s.info.find("lyrics_left_out=0\n"), std::string::npos) << s.info;

    for (const PdfWord& w : syllables) {
        const PdfBox box = BoxOf(w);
        double nearest = 1e9;
        for (const PdfBox& c : circles) {
            EXPECT_FALSE(box.Overlaps(c)) << w.text << " covers a circle at " << c.CentreX() << "," << c.CentreY();
            nearest = std::min(nearest, std::hypot(box.CentreX() - c.CentreX(), box.CentreY() - c.CentreY()));
        }
        EXPECT_LT(nearest / kPointsPerMm, 8.0) << w.text << " at " << box.CentreX() << "," << box.CentreY();
    }

    // Measures 1 to 14 in order down the margin, each by a mark across the strings.
    std::stable_sort(numbers.begin(), numbers.end(), [](const PdfWord& a, const PdfWord& b) { return a.yMin < b.yMin; });
    ASSERT_EQ(numbers.size(), 14u);
    std::vector<double> marks;
    for (const PdfPath& p : s.paths)
        if (!p.stroke.empty() && p.stroke != "rgb(0%,0%,0%)")
            for (const auto& sub : p.subpaths)
                if (sub.size() == 2 && std::abs(sub[0].second - sub[1].second) < 0.01)
                    marks.push_back(sub[0].second);
    ASSERT_EQ(marks.size(), 14u);
    std::sort(marks.begin(), marks.end());
    for (size_t i = 0; i < numbers.size(); ++i) {
        EXPECT_EQ(numbers[i].text, std::to_string(i + 1));
        EXPECT_LT(numbers[i].xMax, circles.empty() ? 0 : std::min_element(circles.begin(), circles.end(), [](auto& a, auto& b) {
                                                              return a.left < b.left;
                                                          })->left);
        EXPECT_LT(std::abs(numbers[i].yMin - marks[i]) / kPointsPerMm, 4.0) << "measure " << i + 1;
    }
}

TEST_F(SheetWordsTest, ChordNamesStandAtTheirBeatsAndTheSwitchesLeaveEverythingOut)
{
    // A note on every beat and a chord change on beats 1, 3 and 6.
    CSongFileWriter w(2, 4);
    for (int beat = 0; beat < 8; ++beat)
        w.AddNote(beat * 4, 60 + beat, 4, Utf8ToCp932(beat % 2 ? "ら" : "la"));
    w.SetChord(0, "C");
    w.SetChord(2, "Am7");
    w.SetChord(5, "G7");
    w.SetTitleUtf8("和音");
    const std::string song = sandbox.Path("chords.mwd");
    ASSERT_TRUE(w.Write(song));

    const Sheet on = Render(song, {"--chords", "on"});
    const double legendTop = LegendTop(on, "和音");
    const std::vector<PdfBox> circles = ScoreCircles(on, legendTop);
    ASSERT_EQ(circles.size(), 8u);
    const std::vector<std::pair<std::string, int>> chords = {{"C", 0}, {"Am7", 2}, {"G7", 5}};
    for (const auto& [name, beat] : chords) {
        const auto it = std::find_if(on.words.begin(), on.words.end(), [&](const PdfWord& w) { return w.text == name; });
        ASSERT_NE(it, on.words.end()) << name;
        const PdfBox box = BoxOf(*it);
        EXPECT_LT(std::abs(box.CentreY() - circles[static_cast<size_t>(beat)].CentreY()) / kPointsPerMm, 1.0) << name;
        for (const PdfBox& c : circles)
            EXPECT_FALSE(box.Overlaps(c)) << name;
        for (const PdfWord& other : on.words)
            if (&other != &*it && other.yMax < legendTop) {
                EXPECT_FALSE(box.Overlaps(BoxOf(other))) << name << " and " << other.text;
            }
    }
    const auto legendLine = [](const Sheet& s) {
        std::string all;
        for (const PdfWord& w : s.words)
            all += w.text;
        return all;
    };
    EXPECT_NE(legendLine(on).find("表示歌詞・コード・小節番号"), std::string::npos);

    // With every switch off the score carries circles and lines only, and the legend says so.
    const Sheet off = Render(song, {"--lyrics", "off", "--chords", "off", "--measure-numbers", "off"});
    const double offLegend = LegendTop(off, "和音");
    for (const PdfWord& w : off.words)
        EXPECT_GE(w.yMin, offLegend) << w.text << " stands in the score";
    EXPECT_EQ(legendLine(off).find("表示"), std::string::npos);
    for (const PdfPath& p : off.paths)
        EXPECT_TRUE(p.stroke.empty() || p.stroke == "rgb(0%,0%,0%)") << "a measure mark is drawn";
}

TEST_F(SheetWordsTest, CrowdedSyllablesOverlapNothingAndWhatIsLeftOutIsCounted)
{
    // Sixteen measures of sixteenth notes, each with a two-character word, on neighbouring
    // strings: a millimetre or so apart on the page.
    CSongFileWriter w(16, 4);
    for (int cell = 0; cell < 16 * 8; ++cell)
        for (int entry = 0; entry < 2; ++entry) {
            w.SetEntry(cell, entry, 60 + (cell * 2 + entry) % 3);
            w.SetText(cell, entry, Utf8ToCp932("かな"));
        }
    w.SetTitleUtf8("混雑");
    const std::string song = sandbox.Path("crowded.mwd");
    ASSERT_TRUE(w.Write(song));
    const Sheet s = Render(song, {"--measure-numbers", "off"});
    const double legendTop = LegendTop(s, "混雑");
    const std::vector<PdfBox> circles = ScoreCircles(s, legendTop);
    std::vector<PdfBox> words;
    for (const PdfWord& word : s.words)
        if (word.yMax < legendTop)
            words.push_back(BoxOf(word));
    const size_t at = s.info.find("lyrics_left_out=");
    ASSERT_NE(at, std::string::npos);
    const int leftOut = std::stoi(s.info.substr(at + 16));
    EXPECT_GT(leftOut, 0);
    EXPECT_GT(words.size(), 0u);
    EXPECT_EQ(words.size() + static_cast<size_t>(leftOut), 256u);
    for (size_t i = 0; i < words.size(); ++i) {
        for (const PdfBox& c : circles)
            EXPECT_FALSE(words[i].Overlaps(c)) << i;
        for (size_t j = i + 1; j < words.size(); ++j)
            EXPECT_FALSE(words[i].Overlaps(words[j])) << i << " and " << j;
    }
}

// A page of a split sheet carries the texts that reach it, not the whole sheet's: the PDF's text
// of all pages together holds each syllable about once (a band's neighbours share a few).
TEST_F(SheetWordsTest, EachPageOfASplitSheetCarriesOnlyItsOwnWords)
{
    CSongFileWriter w(16, 4);
    for (int cell = 0; cell < 16 * 8; ++cell) {
        w.SetEntry(cell, 0, 55 + cell % 25);
        w.SetText(cell, 0, Utf8ToCp932("なみ"));
    }
    const std::string song = sandbox.Path("split.mwd");
    ASSERT_TRUE(w.Write(song));
    const std::string pdf = sandbox.Path("split.pdf");
    std::ostringstream out, err;
    ASSERT_EQ(RunRenderCommand({"--info", "--harp", "37", "--spacing", "20", "--paper", "A4", song, pdf}, out, err), 0)
        << err.str();
    const int pages = PdfPages(pdf);
    ASSERT_GE(pages, 6);
    const size_t at = out.str().find("lyrics_left_out=");
    ASSERT_NE(at, std::string::npos);
    const size_t placed = 128 - static_cast<size_t>(std::stoi(out.str().substr(at + 16)));
    // Read beyond each page's edges too: text the page cuts off is still in the file.
    const std::string text = Capture("pdftotext -nopgbrk -x -3000 -y -3000 -W 9000 -H 9000 " + Quoted(pdf) + " -");
    size_t drawn = 0;
    for (size_t at = text.find("なみ"); at != std::string::npos; at = text.find("なみ", at + 1))
        ++drawn;
    EXPECT_GE(drawn, placed) << "every placed syllable is on some page";
    EXPECT_LE(drawn, placed + placed / 4) << "a syllable goes only to the pages it reaches";
}
