#include "print/PageArithmetic.h"

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
