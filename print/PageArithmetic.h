#pragma once
// How a picture is scaled onto the printed page.

#include "render/PictureStretch.h"

#include <cstdint>
#include <vector>

// The printer settings the page computation reads.
struct DeviceMode {
    int16_t orientation = 1;  // 1 portrait
    int16_t paperSize = 0;    // 8 A3, 9 A4
    int16_t paperLength = 0;  // tenths of a millimetre
    int16_t paperWidth = 0;   // tenths of a millimetre
    int16_t printQuality = 0; // horizontal dots per inch
    int16_t yResolution = 0;  // vertical dots per inch
};

namespace PaperSize {
constexpr int16_t kA3 = 8;
constexpr int16_t kA4 = 9;
} // namespace PaperSize

struct PagePlacement {
    double scale = 1.0;
    int marginX = 0;
    int marginY = 0;
};

// Scale so that the picture, w x h source pixels, reaches the fraction of the paper's full
// width or length, whichever comes first, and the margins that centre that fraction.
PagePlacement ComputePagePlacement(const DeviceMode& mode, int width, int height, double fraction);

// Device rectangle of an item at (x, y) of size w x h source pixels.
DeviceRect PlaceItem(const PagePlacement& placement, int x, int y, int width, int height);

// Device pixels for a length on paper.
int DotsFor(double millimetres, int dotsPerInch);
// The same, unrounded.
inline double Dots(double millimetres, int dotsPerInch)
{
    return millimetres / 25.4 * dotsPerInch;
}

// The band the two halves of a sheet share, so that they can be cut and glued together.
constexpr double kHalvesOverlapMm = 10;

// A job that expects A3 and gets A4 paper (in either orientation) prints the A3-portrait sheet
// at its own scale over two A4-landscape pages instead of shrinking it.
bool PrintsOnHalves(const DeviceMode& mode, int expectedPaperSize);

// The sheet two A4-landscape pages of this mode hold: A3 portrait, as wide as one page and
// twice as long, at the same resolution.
DeviceMode SheetOfHalves(const DeviceMode& landscape);

// Rows of the sheet, in device pixels, that one page shows: top..bottom-1.
struct SheetRows {
    int top = 0, bottom = 0;
    bool operator==(const SheetRows&) const = default;
};

struct SheetPages {
    std::vector<SheetRows> pages;
    SheetRows overlap; // rows both halves show; empty on one page
};

// One page shows the sheet from its top as far as the printable height reaches.
SheetPages OnePage(int printableHeight);
// The first half shows the top of the sheet, the second goes on from the overlap band that
// closes the first.
SheetPages Halves(int printableHeight, int dotsPerInch);
