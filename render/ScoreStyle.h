#pragma once
// How a laid-out score is drawn on one device: the stretch of picture pixels onto it, and the
// style (device, pens, fonts, reaches) that the score's drawing and its words' drawing share.

#include "render/PictureStretch.h"
#include "render/ScoreWords.h"

#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QVector>

#include <cstdint>
#include <functional>
#include <optional>

// Picture pixels to device pixels, as the stretch of the whole picture onto its rectangle.
struct Stretch : PictureStretch {
    using PictureStretch::PictureStretch;
    // Where the stretch puts the centre of picture pixel (x, y).
    QPointF Centre(double x, double y) const { return {X(x), Y(y)}; }
    // Where it puts a box given in picture coordinates.
    QRectF Box(double l, double t, double r, double b) const
    {
        return QRectF(QPointF(left + l * sx, top + t * sy), QPointF(left + r * sx, top + b * sy));
    }
};

enum class ScoreDevice : uint8_t {
    // The screen's picture, a device pixel for each picture pixel: lines run from pixel to
    // pixel and circles paint exactly their boxes, as the bitmap has always shown them.
    kBitmap,
    // Paper, PDF and SVG: traced at the device's resolution, smooth, cut to the rectangle.
    kVector,
};

struct ScoreStyle {
    ScoreDevice device = ScoreDevice::kBitmap;
    DeviceRect target{}; // where the whole picture lies on the device
    // Line widths in device pixels: strings and flow lines, jump lines, measure marks, the
    // lines of the segno and coda figures.
    double linePen = 1, jumpPen = 2, measurePen = 1, signPen = 1;
    std::function<QFont(TextKind)> font;
    // What the strings, lines and circles may reach (a page of a split sheet, a sheet whose
    // strings stop after its last note), and what the texts may; the whole target when unset.
    std::optional<QRectF> scoreReach, textReach;
    // The measure marks under the circles, so that a circle on a measure's first beat stays whole.
    bool measuresUnder = false;
    // Jump lines dashed, dash and space in jump pens (Qt's pattern); solid when empty.
    QVector<qreal> jumpDashes;
    // Each voice in its own colour; paper is black unless the sheet asks for colour.
    bool colourVoices = false;
};
