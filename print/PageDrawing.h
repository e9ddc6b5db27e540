#pragma once
// What every drawing on paper shares: lengths in millimetres at the device's resolution, the
// page's font, and where the stretch of a score's picture onto its rectangle puts a pixel.

#include "print/PageArithmetic.h"
#include "render/ScoreGeometry.h"

#include <QFont>
#include <QPointF>
#include <QRectF>
#include <algorithm>

inline double Dots(double millimetres, int dotsPerInch)
{
    return millimetres / 25.4 * dotsPerInch;
}

// The font installed for the sheet's Japanese and Latin text, at a height on paper.
inline QFont PageFont(double millimetres, int dotsPerInch, bool bold = false)
{
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(std::max(1, static_cast<int>(Dots(millimetres, dotsPerInch) + 0.5)));
    font.setBold(bold);
    return font;
}

// Picture pixels to device pixels, as the stretch of the whole picture onto the rectangle.
struct Stretch {
    Stretch(const ScoreGeometry& g, const DeviceRect& r)
        : left(r.left), top(r.top), sx(g.width > 0 ? double(r.right - r.left) / g.width : 1.0),
          sy(g.height > 0 ? double(r.bottom - r.top) / g.height : 1.0)
    {
    }
    // Where the stretch puts the centre of picture pixel (x, y).
    QPointF Centre(double x, double y) const { return {left + (x + 0.5) * sx, top + (y + 0.5) * sy}; }
    // Where it puts a box given in picture coordinates.
    QRectF Box(double l, double t, double r, double b) const
    {
        return QRectF(QPointF(left + l * sx, top + t * sy), QPointF(left + r * sx, top + b * sy));
    }
    double left, top, sx, sy;
};
