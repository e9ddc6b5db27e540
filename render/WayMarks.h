#pragma once
// The marks of the way through a written score that are drawn, not written: the jump lines
// and the segno and coda figures, alike on the screen and on paper.

#include "render/ScoreGeometry.h"
#include "render/ScoreLayout.h"

#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QVector>

#include <functional>

class QPainter;

// The segno as a slashed S with its two dots, the coda (and the jump to it) as a crossed
// circle, filling `box` with lines `pen` wide; false, drawing nothing, for a sign that is text.
bool DrawSignFigure(QPainter& p, SignKind kind, const QRectF& box, double pen, const QFont& font);

// The score's jump lines `pen` wide, each piece where `at` puts its picture points and cut by
// `keep` (false: the piece is left out), ending under its filled arrowhead; dashed by `dashes`
// (dash and space in pens, Qt's pattern) unless that is empty.
using PlaceOf = std::function<QPointF(double x, double y)>;
using KeepPiece = std::function<bool(QPointF& a, QPointF& b)>;
void DrawJumpLines(QPainter& p, const ScoreGeometry& score, const PlaceOf& at, double pen, const KeepPiece& keep,
                   const QVector<qreal>& dashes = {});
