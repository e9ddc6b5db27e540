#pragma once
// How a picture is scaled onto the printed page.

#include <cstdint>

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

struct DeviceRect {
    int left, top, right, bottom;
    bool operator==(const DeviceRect&) const = default;
};

// Scale so that the picture, w x h source pixels, reaches the fraction of the paper's full
// width or length, whichever comes first, and the margins that centre that fraction.
PagePlacement ComputePagePlacement(const DeviceMode& mode, int width, int height, double fraction);

// Device rectangle of an item at (x, y) of size w x h source pixels.
DeviceRect PlaceItem(const PagePlacement& placement, int x, int y, int width, int height);
