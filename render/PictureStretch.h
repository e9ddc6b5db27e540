#pragma once
// Where a drawing of a score's picture puts its pixels on a device: the whole picture stretched
// onto a rectangle of the device, whatever the device (the screen's bitmap, a printer, a PDF).

#include "render/ScoreGeometry.h"

// Device pixels of a rectangle: left..right-1 x top..bottom-1.
struct DeviceRect {
    int left, top, right, bottom;
    bool operator==(const DeviceRect&) const = default;
};

struct PictureStretch {
    PictureStretch(const ScoreGeometry& g, const DeviceRect& r)
        : left(r.left), top(r.top), sx(g.width > 0 ? double(r.right - r.left) / g.width : 1.0),
          sy(g.height > 0 ? double(r.bottom - r.top) / g.height : 1.0)
    {
    }
    // The centre of picture pixel x (or y).
    double X(double x) const { return left + (x + 0.5) * sx; }
    double Y(double y) const { return top + (y + 0.5) * sy; }
    double left, top, sx, sy;
};
