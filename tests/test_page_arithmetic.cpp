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
