#pragma once
// The two signs of the way through that are figures, not words, drawn alike on the screen and
// on paper.

#include "render/ScoreLayout.h"

#include <QFont>
#include <QRectF>

class QPainter;

// The segno as a slashed S with its two dots, the coda (and the jump to it) as a crossed
// circle, filling `box` with lines `pen` wide; false, drawing nothing, for a sign that is text.
bool DrawSignFigure(QPainter& p, SignKind kind, const QRectF& box, double pen, const QFont& font);
