#include "render/WayMarks.h"

#include "render/WrittenScore.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>

bool DrawSignFigure(QPainter& p, SignKind kind, const QRectF& box, double pen, const QFont& font)
{
    if (kind != SignKind::kSegno && kind != SignKind::kCoda && kind != SignKind::kToCoda)
        return false;
    const QPointF c = box.center();
    const double r = std::min(box.width(), box.height()) / 2 - pen;
    p.save();
    p.setPen(QPen(Qt::black, pen));
    p.setBrush(Qt::NoBrush);
    if (kind == SignKind::kSegno) {
        p.setFont(font);
        p.drawText(box, Qt::AlignCenter, QStringLiteral("S"));
        p.drawLine(c + QPointF(-r, r), c + QPointF(r, -r));
        p.setBrush(Qt::black);
        p.setPen(Qt::NoPen);
        for (const double side : {-1.0, 1.0})
            p.drawEllipse(c + QPointF(side * r * 0.7, side * 0.3 * r), pen, pen);
    } else {
        p.drawEllipse(c, r * 0.6, r * 0.75);
        p.drawLine(c + QPointF(-r, 0), c + QPointF(r, 0));
        p.drawLine(c + QPointF(0, -r), c + QPointF(0, r));
    }
    p.restore();
    return true;
}

void DrawJumpLines(QPainter& p, const ScoreGeometry& score, const PlaceOf& at, double pen, const KeepPiece& keep,
                   const QVector<qreal>& dashes)
{
    if (score.jumps.empty())
        return; // nothing goes to the device, not even the painter's state
    p.save();
    for (const JumpLine& line : score.jumps) {
        if (line.points.size() < 2)
            continue;
        const JumpArrow head = ArrowOf(line);
        QPainterPath path;
        for (size_t i = 1; i < line.points.size(); ++i) {
            QPointF a = at(line.points[i - 1].x, line.points[i - 1].y);
            // The line stops under the arrowhead's base, lest its width show beside the tip.
            QPointF b = line.arrow && i + 1 == line.points.size() ? at(head.base.first, head.base.second)
                                                                  : at(line.points[i].x, line.points[i].y);
            if (!keep(a, b))
                continue;
            if (path.isEmpty() || path.currentPosition() != a)
                path.moveTo(a);
            path.lineTo(b);
        }
        QPen linePen(Qt::black, pen, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        if (!dashes.isEmpty())
            linePen.setDashPattern(dashes);
        p.setPen(linePen);
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        if (!line.arrow)
            continue;
        QPolygonF triangle;
        for (const auto& [x, y] : head.corners)
            triangle << at(x, y);
        const QRectF extent = triangle.boundingRect();
        QPointF from = extent.topLeft(), to = extent.bottomRight();
        if (!keep(from, to))
            continue; // wholly cut off
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawPolygon(triangle);
    }
    p.restore();
}
