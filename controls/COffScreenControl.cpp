#include "controls/COffScreenControl.h"

#include "controls/PictureScaling.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

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
    scaled = QImage(); // made again when it is next painted
    if (isVisible())
        repaint();
}

const QImage& COffScreenControl::Shown() const
{
    if (zoom == 1.0)
        return *surface;
    // Drawing into the surface changes its key, so a Draw without a Show still shows.
    if (scaled.isNull() || scaledFrom != surface->cacheKey()) {
        scaled = ScaleForShow(*surface, zoom);
        scaledFrom = surface->cacheKey();
    }
    return scaled;
}

QImage COffScreenControl::ShownPicture() const
{
    return surface ? Shown().copy() : QImage();
}

void COffScreenControl::paintEvent(QPaintEvent*)
{
    if (!surface)
        return;
    QPainter painter(this);
    // The rest of the control is left to the parent's background.
    painter.drawImage(0, 0, Shown());
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
