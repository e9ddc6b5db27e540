#pragma once
// The one drawing of a laid-out score: its strings, flow lines, circles and jump lines, then
// what the words placed beside them (measure marks and numbers, dots, rests, counts, chords,
// syllables, the way's signs). The screen's picture, the renderer's PNG, every page on paper,
// the print preview and the SVG all draw through it; what differs between them is its style.

#include "render/PictureStretch.h"
#include "render/ScoreGeometry.h"
#include "render/ScoreWords.h"

#include <QColor>
#include <QFont>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QVector>

#include <functional>
#include <optional>

class QPainter;

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

// The colour a voice is drawn in when voices are told apart by colour; the melody's is black.
QColor VoiceColour(VoiceRole role);
// The others' voices on a player's sheet: light enough to read past, dark enough to follow.
constexpr int kFaintGrey = 175;

// The line that joins a voice's notes on paper, `pen` the thin line's width: each voice its
// own stroke (melody thin, second dashed, third thick, fourth dotted), so that paper without
// colour tells them apart. The screen keeps its solid and dotted lines.
QPen VoiceFlowPen(VoiceRole role, double pen, const QColor& ink);
// The dashed line between two voices' notes that start together, on paper.
QPen SynchPen(double pen, bool colour);

// The score and its words in the style.
void DrawScore(QPainter& painter, const ScoreGeometry& score, const ScoreWords& words, const ScoreStyle& style);

// One circle of the kind at the stretched size, its pen's outer edge the circle's edge.
void DrawCircleMark(QPainter& painter, QPointF centre, NoteMark mark, const Stretch& stretch, double pen,
                    const QColor& ink = Qt::black);
// The ring round a circle two voices share, its pen's outer edge the ring's edge.
void DrawSharedRing(QPainter& painter, QPointF centre, NoteMark mark, const Stretch& stretch, double pen,
                    const QColor& ink = Qt::black);
