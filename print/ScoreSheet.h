#pragma once
// The score on paper: the one drawing's style at the device's resolution, and the legend the
// sheet's plan places below the score.

#include "print/SheetPlan.h"
#include "render/ScoreDrawing.h"

#include <QVector>

class QPainter;
struct ScoreGeometry;

// No line on paper is thinner than this.
constexpr double kMinLineMm = 0.3;

// Paper's line widths in millimetres: the thinnest line, jump lines as players draw them
// (half a millimetre), the measure marks and the segno's and coda's lines.
constexpr double kJumpLineMm = 0.5, kMeasureLineMm = 0.2, kSignLineMm = 0.3;

// A jump line on the sheet at scale: dashes of 3 mm with 1.5 mm between, as Qt's pattern in
// jump pens. A string is never broken, so a broken line is never taken for one.
constexpr double kJumpDashMm = 3, kJumpSpaceMm = 1.5;
inline QVector<qreal> JumpDashes()
{
    return {kJumpDashMm / kJumpLineMm, kJumpSpaceMm / kJumpLineMm};
}

// The one drawing's style on paper at the device's resolution: the score traced into the
// device rectangle the stretched picture would fill, the texts in the sheet's faces.
ScoreStyle PaperStyle(const ScoreGeometry& score, const DeviceRect& target, int dotsPerInch);

// The legend where the plan placed it: each string's note name under its line, the song's
// facts and the four circle kinds at their printed size, and the scale bar of a sheet at scale.
void DrawLegend(QPainter& painter, const SheetPlan& plan);
