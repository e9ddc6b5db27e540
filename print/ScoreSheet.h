#pragma once
// The score on paper: traced as vector geometry at the device's resolution, exactly where
// the stretched picture would lie, with a legend in the blank band below it.

#include "print/PageArithmetic.h"
#include "print/SheetTiles.h"

#include <QRectF>
#include <QString>
#include <QStringList>

class QPainter;
class QPaintDevice;
struct ScoreGeometry;

// What the legend tells about the song, besides the strings and the circle kinds.
struct SheetLegend {
    bool hasSong = false;
    QString title;
    QString key; // after fitting to the strings
    int beatsPerMeasure = 0;
    int tempo = 0;
    int firstMeasure = 0, lastMeasure = 0;
    bool scaleBar = false; // a sheet at the harp's scale shows a 100 mm bar to check the print
    QStringList shown;     // what the sheet shows besides the circles ("歌詞", "コード", "小節番号")
};

// The scale check's length on paper.
constexpr double kScaleBarMm = 100;

// No line on paper is thinner than this.
constexpr double kMinLineMm = 0.3;

// Traces the score into the device rectangle the stretched picture would fill: each string
// line, joining line and circle centred where the stretch puts the centre of its picture
// pixel, circles at the stretched diameter. Nothing leaves the rectangle. With `visible`, only
// what reaches that part of the device goes to it (one page of a split sheet).
void DrawScoreVector(QPainter& painter, const ScoreGeometry& score, const DeviceRect& target, int dotsPerInch,
                     const QRectF* visible = nullptr);

// Below the score's rectangle: each string's note name under its line, then the song's facts
// and the four circle kinds at their printed size. Drawn only when all of it fits above
// `bandBottom`; returns whether it was. A `rightLimit` above 0 keeps the rows of circle kinds
// left of it instead of the rectangle's right edge.
bool DrawLegend(QPainter& painter, const ScoreGeometry& score, const DeviceRect& target, int bandBottom,
                int dotsPerInch, const SheetLegend& legend, double rightLimit = 0);

// Where the legend would stand below the score's rectangle, measured with the device's fonts.
QRectF LegendBounds(const QPaintDevice* device, const ScoreGeometry& score, const DeviceRect& target, int dotsPerInch,
                    const SheetLegend& legend, double rightLimit = 0);

// On the page at `column`, `row` of a split sheet, drawn in sheet pixels: the cut-and-glue lines
// at both edges of every band it shares with a neighbour. The dashes run from the sheet's
// origin, so both pages of a band show the same strokes.
void DrawTileMarks(QPainter& painter, const SheetTiles& tiles, int column, int row, int dotsPerInch);

// Below the page's window: its number and its column and row, as "2/4 (列2・行1)".
void DrawTileLabel(QPainter& painter, const SheetTiles& tiles, int column, int row, int dotsPerInch);

// The cut-and-glue lines round the band both halves share, and "1/2" or "2/2" inside it,
// on the page of half `half` (0 or 1).
void DrawHalfMarks(QPainter& painter, int half, const SheetPages& pages, int pageWidth, int dotsPerInch);
