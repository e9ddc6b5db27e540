#include "controls/COffScreenControl.h"

#include "controls/PictureScaling.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QPointer>
#include <algorithm>

namespace {

constexpr int kPaintBandLines = 128;

} // namespace

COffScreenControl::COffScreenControl(QWidget* parent, int id, bool notify) : QWidget(parent)
{
    setObjectName(QString::number(id));
    setAttribute(Qt::WA_TransparentForMouseEvents, !notify);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void COffScreenControl::PlaceAt(const PictureRect& rect)
{
    setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    raise();
}

void COffScreenControl::SetHandlers(MouseHandler press, MouseHandler release, MouseHandler move,
                                    MouseHandler doubleClick)
{
    pressHandler = press;
    releaseHandler = release;
    moveHandler = move;
    doubleClickHandler = doubleClick;
}

void COffScreenControl::ShowSurface(const QImage* bound, double factor)
{
    surface = bound;
    zoom = factor;
    if (isVisible())
        repaint();
}

QImage COffScreenControl::ShownPicture() const
{
    if (!surface)
        return QImage();
    return zoom == 1.0 ? surface->copy() : ScaleForShow(*surface, zoom);
}

void COffScreenControl::paintEvent(QPaintEvent* event)
{
    if (!surface)
        return;
    QPainter painter(this);
    // The rest of the control is left to the parent's background.
    if (zoom == 1.0) {
        painter.drawImage(0, 0, *surface);
        return;
    }
    // Only what is exposed, made at the zoom band by band: a zoomed copy of the whole surface
    // would hold zoom² times the surface's memory, 175 MB at 4.0 for the largest harp.
    const QRect exposed = event->rect();
    for (int top = exposed.top(); top <= exposed.bottom(); top += kPaintBandLines) {
        const QRect band(exposed.left(), top, exposed.width(), std::min(kPaintBandLines, exposed.bottom() + 1 - top));
        const QImage part = ScaleForShow(*surface, zoom, band);
        if (!part.isNull())
            painter.drawImage(band.topLeft(), part);
    }
}

void COffScreenControl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    pressed = 1;
    if (!pressHandler)
        return;
    const QPointer<COffScreenControl> alive(this);
    pressHandler(event->position().toPoint().x(), event->position().toPoint().y(), index);
    // The hook may have opened a dialog that took the release: look normal again.
    if (alive && pressed && !(QGuiApplication::mouseButtons() & Qt::LeftButton))
        OnLeave();
}

void COffScreenControl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pos = event->position().toPoint();
    if (!rect().contains(pos)) {
        OnLeave(); // released outside: only the leave, if it has not been seen yet
        return;
    }
    pressed = 0;
    if (releaseHandler)
        releaseHandler(pos.x(), pos.y(), index);
}

void COffScreenControl::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    // The control holds the mouse while the button is down, so leaving shows up as a move.
    if (!rect().contains(pos)) {
        OnLeave();
        return;
    }
    if (moveHandler)
        moveHandler(pos.x(), pos.y(), index);
}

void COffScreenControl::mouseDoubleClickEvent(QMouseEvent* event)
{
    // A double click is not a press.
    if (event->button() == Qt::LeftButton && doubleClickHandler)
        doubleClickHandler(event->position().toPoint().x(), event->position().toPoint().y(), index);
}

void COffScreenControl::leaveEvent(QEvent*)
{
    OnLeave();
}

void COffScreenControl::OnLeave()
{
    if (!pressed)
        return;
    pressed = 0;
    if (releaseHandler)
        releaseHandler(-1, -1, index);
}
