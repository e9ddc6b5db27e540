#include "render/SignFigure.h"

#include <QPainter>
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
