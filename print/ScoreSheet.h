#pragma once
// The score on paper: the one drawing's style at the device's resolution, and the legend the
// sheet's plan places below the score.

#include "print/SheetPlan.h"
#include "render/ScoreDrawing.h"

#include <QRectF>
#include <QString>

class QPainter;
struct ScoreGeometry;

// What the legend tells about the song, besides the strings and the circle kinds.
struct SheetLegend {
    bool hasSong = false;
    QString title;
    QString key; // after fitting to the strings
    int beatsPerMeasure = 0;
    int tempo = 0;
    int firstMeasure = 0, lastMeasure = 0;
    int songMeasures = 0; // the song's own count: a range that leaves some out says so
    bool pickup = false;  // a sheet at scale numbers from the first full measure
    QString composer, lyricist;
    QString repeatsNotice; // why a score with repeats is written out although lines were asked for
};

// No line on paper is thinner than this.
constexpr double kMinLineMm = 0.3;

// Paper's line widths in millimetres: the thinnest line, jump lines as players draw them
// (half a millimetre), the measure marks and the segno's and coda's lines.
constexpr double kJumpLineMm = 0.5, kMeasureLineMm = 0.2, kSignLineMm = 0.3;

// The one drawing's style on paper at the device's resolution: the score traced into the
// device rectangle the stretched picture would fill, the texts in the sheet's faces.
ScoreStyle PaperStyle(const ScoreGeometry& score, const DeviceRect& target, int dotsPerInch);

// The legend where the plan placed it: each string's note name under its line, the song's
// facts and the four circle kinds at their printed size, and the scale bar of a sheet at scale.
void DrawLegend(QPainter& painter, const SheetPlan& plan, const ScoreGeometry& score, const SheetLegend& legend);
