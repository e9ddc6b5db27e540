#include "print/SheetTiles.h"

#include <gtest/gtest.h>

namespace {

// Every span fits the page, each one after the first starts `band` before the previous ends,
// and together they reach the sheet's end.
void ExpectCovering(const std::vector<SheetSpan>& spans, int length, int page, int band)
{
    ASSERT_FALSE(spans.empty());
    EXPECT_EQ(spans.front().from, 0);
    EXPECT_EQ(spans.back().to, length);
    for (size_t k = 0; k < spans.size(); ++k) {
        EXPECT_LE(spans[k].to - spans[k].from, page) << k;
        EXPECT_GT(spans[k].to, spans[k].from) << k;
        if (k > 0) {
            EXPECT_EQ(spans[k - 1].to - spans[k].from, band) << k;
        }
    }
}

int Distance(int at, const std::vector<int>& lines)
{
    int nearest = 1 << 30;
    for (const int x : lines)
        nearest = std::min(nearest, std::abs(at - x));
    return nearest;
}

} // namespace

TEST(SheetTiles, ASheetThatFitsIsOnePage)
{
    EXPECT_EQ(SplitSpan(4000, 4000, 236, {}, 0), (std::vector<SheetSpan>{{0, 4000}}));
    EXPECT_EQ(SplitSpan(0, 4000, 236, {}, 0), (std::vector<SheetSpan>{{0, 0}}));
}

TEST(SheetTiles, RowsShareTheBandAndReachTheEnd)
{
    const std::vector<SheetSpan> rows = SplitSpan(10000, 4000, 236, {}, 0);
    ExpectCovering(rows, 10000, 4000, 236);
    EXPECT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (SheetSpan{0, 4000}));
}

TEST(SheetTiles, ColumnCutsMissEveryStringLine)
{
    // 600 dpi: the band is 236 pixels and a cut keeps 24 from a line. At 20 mm (472 pixels)
    // the page's own end, or the band's start, can fall right on a line.
    for (const int spacing : {118, 272, 472}) {
        SCOPED_TRACE(spacing);
        std::vector<int> lines;
        for (int i = 1; i <= 37; ++i)
            lines.push_back(94 + i * spacing);
        const int length = lines.back() + 2 * spacing;
        const int page = lines[10]; // the first page's own end lies on a line
        const std::vector<SheetSpan> columns = SplitSpan(length, page, 236, lines, 24);
        ExpectCovering(columns, length, page, 236);
        for (size_t k = 0; k + 1 < columns.size(); ++k) {
            EXPECT_GE(Distance(columns[k].to, lines), 24) << "end of column " << k;
            EXPECT_GE(Distance(columns[k + 1].from, lines), 24) << "start of column " << k + 1;
        }
    }
}

TEST(SheetTiles, PaperNarrowerThanTheBandStillEnds)
{
    // Lines everywhere leave no clear cut: the page is taken whole rather than looping.
    std::vector<int> lines;
    for (int x = 0; x < 3000; x += 10)
        lines.push_back(x);
    const std::vector<SheetSpan> columns = SplitSpan(3000, 300, 236, lines, 24);
    ExpectCovering(columns, 3000, 300, 150);
    const std::vector<SheetSpan> tiny = SplitSpan(50, 1, 236, {}, 0);
    ExpectCovering(tiny, 50, 2, 1);
}

TEST(SheetTiles, TrueScalePlacementMapsTheLineSpacingToTheSpacing)
{
    const PagePlacement p = TrueScalePlacement(115, 32, 600);
    EXPECT_NEAR(32 * p.scale, 11.5 / 25.4 * 600, 1e-9);
    EXPECT_EQ(p.marginX, DotsFor(kSheetMarginMm, 600));
    EXPECT_EQ(p.marginY, p.marginX);
}
