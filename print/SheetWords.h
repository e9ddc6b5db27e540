#pragma once
// The words, chord names and measures of a score on paper, drawn over the traced score where
// the sheet's plan placed them.

#include "print/PageArithmetic.h"
#include "render/ScoreWords.h"

#include <QRectF>
#include <QStringList>

class QPainter;

// The names of what the choices show, as the legend lists them.
QStringList ShownOnSheet(const WordChoices& choices);

// Measure marks across the strings and their numbers (the marks left to DrawMeasureMarks when
// `marks` is false), then the dots, rest marks and counts, the chord names and the syllables;
// with `visible`, only those that reach that part of the device (one page of a split sheet).
void DrawSheetWords(QPainter& painter, const ScoreGeometry& score, const ScoreWords& words, const DeviceRect& target,
                    int dotsPerInch, const QRectF* visible = nullptr, bool marks = true);

// The measure marks alone, for a sheet that draws them under its circles.
void DrawMeasureMarks(QPainter& painter, const ScoreGeometry& score, const ScoreWords& words, const DeviceRect& target,
                      int dotsPerInch, const QRectF* visible = nullptr);
