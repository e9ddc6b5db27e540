#include "print/PageArithmetic.h"

#include <gtest/gtest.h>

namespace {

DeviceMode Paper(int16_t size, int16_t width, int16_t length, int16_t dpi)
{
    DeviceMode m;
    m.paperSize = size;
    m.paperWidth = width;
    m.paperLength = length;
    m.printQuality = dpi;
    m.yResolution = dpi;
    return m;
}

} // namespace

TEST(PageArithmetic, A3AtFullFractionReachesThePaperWidth)
{
    const PagePlacement p = ComputePagePlacement(Paper(8, 2970, 4200, 600), 832, 830, 1.0);
    EXPECT_NEAR(p.scale, 8.4323, 1e-4);
    EXPECT_EQ(p.marginX, 0);
    EXPECT_EQ(p.marginY, 0);
    EXPECT_EQ(PlaceItem(p, 0, 0, 832, 830), (DeviceRect{0, 0, 7015, 6998}));
}

TEST(PageArithmetic, FractionCentresTheAreaOnThePage)
{
    const PagePlacement p = ComputePagePlacement(Paper(9, 2100, 2970, 600), 832, 830, 0.9);
    EXPECT_NEAR(p.scale, 5.3660, 1e-4);
    EXPECT_EQ(p.marginX, 248);
    EXPECT_EQ(p.marginY, 350);
    EXPECT_EQ(PlaceItem(p, 0, 0, 832, 830), (DeviceRect{248, 350, 4712, 4803}));
}

TEST(PageArithmetic, LengthDecidesForATallPicture)
{
    const PagePlacement p = ComputePagePlacement(Paper(8, 2970, 4200, 600), 100, 2000, 1.0);
    EXPECT_NEAR(p.scale, 9921.259 / 2000, 1e-3);
    EXPECT_EQ(PlaceItem(p, 10, 20, 100, 2000).left, static_cast<int>(p.scale * 10));
}

TEST(PageArithmetic, ZeroWidthPrintsUnscaledWithoutDividing)
{
    const PagePlacement p = ComputePagePlacement(Paper(8, 2970, 4200, 600), 0, 830, 0.5);
    EXPECT_EQ(p.scale, 1.0);
    EXPECT_EQ(p.marginX, 0);
    EXPECT_EQ(p.marginY, 0);
    EXPECT_EQ(PlaceItem(p, 5, 6, 0, 830), (DeviceRect{5, 6, 5, 836}));
}

TEST(PageArithmetic, OnlyA4WhereA3IsExpectedGoesOnHalves)
{
    EXPECT_TRUE(PrintsOnHalves(Paper(PaperSize::kA4, 2100, 2970, 600), PaperSize::kA3));
    EXPECT_FALSE(PrintsOnHalves(Paper(PaperSize::kA4, 2100, 2970, 600), PaperSize::kA4));
    EXPECT_FALSE(PrintsOnHalves(Paper(PaperSize::kA3, 2970, 4200, 600), PaperSize::kA3));
    EXPECT_FALSE(PrintsOnHalves(Paper(0, 2159, 2794, 600), PaperSize::kA3));
}

TEST(PageArithmetic, TwoLandscapeA4PagesHoldTheA3SheetAtItsScale)
{
    DeviceMode landscape = Paper(PaperSize::kA4, 2970, 2100, 600);
    landscape.orientation = 2;
    const DeviceMode sheet = SheetOfHalves(landscape);
    EXPECT_EQ(sheet.orientation, 1);
    EXPECT_EQ(sheet.paperSize, PaperSize::kA3);
    EXPECT_EQ(sheet.paperWidth, 2970);
    EXPECT_EQ(sheet.paperLength, 4200);
    // The same placement as on A3 paper, so the strings stand as far apart.
    EXPECT_EQ(PlaceItem(ComputePagePlacement(sheet, 832, 830, 1.0), 0, 0, 832, 830),
              (DeviceRect{0, 0, 7015, 6998}));
}

TEST(PageArithmetic, HalvesShareATenMillimetreBand)
{
    // A4 landscape at 150 dpi is 1240 pixels long; 10 mm are 59.
    const SheetPages halves = Halves(1240, 150);
    ASSERT_EQ(halves.pages.size(), 2u);
    EXPECT_EQ(halves.pages[0], (SheetRows{0, 1240}));
    EXPECT_EQ(halves.pages[1], (SheetRows{1181, 2421}));
    EXPECT_EQ(halves.overlap, (SheetRows{1181, 1240}));

    const SheetPages one = OnePage(9921);
    ASSERT_EQ(one.pages.size(), 1u);
    EXPECT_EQ(one.pages[0], (SheetRows{0, 9921}));
    EXPECT_EQ(one.overlap.bottom - one.overlap.top, 0);

    // A page shorter than twice the band never runs backwards.
    const SheetPages tiny = Halves(50, 150);
    EXPECT_EQ(tiny.pages[1], (SheetRows{25, 75}));
    EXPECT_EQ(Halves(-5, 150).pages[1], (SheetRows{0, 0}));
}
