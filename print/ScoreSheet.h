#pragma once
// The score on paper: traced as vector geometry at the device's resolution, exactly where
// the stretched picture would lie, with the legend the sheet's plan places below it.

#include "print/SheetPlan.h"

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

// Traces the score into the device rectangle the stretched picture would fill: each string
// line, joining line and circle centred where the stretch puts the centre of its picture
// pixel, circles at the stretched diameter. Nothing leaves the rectangle. With `visible`, only
// what reaches that part of the device goes to it (one page of a split sheet).
void DrawScoreVector(QPainter& painter, const ScoreGeometry& score, const DeviceRect& target, int dotsPerInch,
                     const QRectF* visible = nullptr);

// The legend where the plan placed it: each string's note name under its line, the song's
// facts and the four circle kinds at their printed size, and the scale bar of a sheet at scale.
void DrawLegend(QPainter& painter, const SheetPlan& plan, const ScoreGeometry& score, const SheetLegend& legend);
