#include "print/PageArithmetic.h"

#include <algorithm>
#include <cmath>

PagePlacement ComputePagePlacement(const DeviceMode& mode, int width, int height, double fraction)
{
    PagePlacement p;
    if (width == 0)
        return p;
    // Tenths of a millimetre to inches, times dots per inch.
    const double pageWidth = mode.paperWidth / 2.54 / 100 * mode.printQuality;
    const double pageLength = mode.paperLength / 2.54 / 100 * mode.yResolution;
    const double byWidth = pageWidth * fraction / width;
    const double byLength = pageLength * fraction / height;
    p.scale = byLength < byWidth ? byLength : byWidth;
    p.marginX = static_cast<int>(pageWidth * (1 - fraction) * 0.5);
    p.marginY = static_cast<int>(pageLength * (1 - fraction) * 0.5);
    return p;
}

DeviceRect PlaceItem(const PagePlacement& p, int x, int y, int width, int height)
{
    return DeviceRect{static_cast<int>(p.marginX + p.scale * x), static_cast<int>(p.marginY + p.scale * y),
                      static_cast<int>(p.marginX + p.scale * (x + width)),
                      static_cast<int>(p.marginY + p.scale * (y + height))};
}

int DotsFor(double millimetres, int dotsPerInch)
{
    return static_cast<int>(std::lround(millimetres / 25.4 * dotsPerInch));
}

bool PrintsOnHalves(const DeviceMode& mode, int expectedPaperSize)
{
    return expectedPaperSize == PaperSize::kA3 && mode.paperSize == PaperSize::kA4;
}

DeviceMode SheetOfHalves(const DeviceMode& landscape)
{
    DeviceMode sheet = landscape;
    sheet.orientation = 1;
    sheet.paperSize = PaperSize::kA3;
    sheet.paperWidth = landscape.paperWidth;
    sheet.paperLength = static_cast<int16_t>(2 * landscape.paperLength);
    return sheet;
}

SheetPages OnePage(int printableHeight)
{
    SheetPages p;
    p.pages.push_back({0, std::max(printableHeight, 0)});
    return p;
}

SheetPages Halves(int printableHeight, int dotsPerInch)
{
    const int height = std::max(printableHeight, 0);
    // A page too short for the band shares nothing rather than going backwards.
    const int overlap = std::clamp(DotsFor(kHalvesOverlapMm, dotsPerInch), 0, height / 2);
    SheetPages p;
    p.pages.push_back({0, height});
    p.pages.push_back({height - overlap, 2 * height - overlap});
    p.overlap = {height - overlap, height};
    return p;
}
