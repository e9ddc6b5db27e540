#pragma once
// The score on paper: traced as vector geometry at the device's resolution, exactly where
// the stretched picture would lie, with a legend in the blank band below it.

#include "print/PageArithmetic.h"

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
};

// No line on paper is thinner than this.
constexpr double kMinLineMm = 0.3;

// Traces the score into the device rectangle the stretched picture would fill: each string
// line, joining line and circle centred where the stretch puts the centre of its picture
// pixel, circles at the stretched diameter. Nothing leaves the rectangle.
void DrawScoreVector(QPainter& painter, const ScoreGeometry& score, const DeviceRect& target, int dotsPerInch);

// Below the score's rectangle: each string's note name under its line, then the song's facts
// and the four circle kinds at their printed size. Drawn only when all of it fits above
// `bandBottom`; returns whether it was.
bool DrawLegend(QPainter& painter, const ScoreGeometry& score, const DeviceRect& target, int bandBottom,
                int dotsPerInch, const SheetLegend& legend);

// The cut-and-glue lines round the band both halves share, and "1/2" or "2/2" inside it,
// on the page of half `half` (0 or 1).
void DrawHalfMarks(QPainter& painter, int half, const SheetPages& pages, int pageWidth, int dotsPerInch);
