#pragma once
// The control every picture is shown on. It paints the surface bound to it and, with the
// notify style, turns left-button presses and releases into calls of plain handlers.

#include "controls/COffScreenPicture.h"

#include <QImage>
#include <QWidget>

class COffScreenControl : public QWidget, public IPictureHost {
    Q_OBJECT
public:
    // Without `notify` the control lets every mouse event pass to the window beneath.
    COffScreenControl(QWidget* parent, int id, bool notify);

    void SetIndex(int value) { index = value; }
    int Index() const { return index; }
    bool IsPressed() const { return pressed != 0; }
    void PlaceAt(const PictureRect& rect) override;
    void SetHandlers(MouseHandler press, MouseHandler release, MouseHandler move, MouseHandler doubleClick) override;
    void ShowSurface(const QImage* surface, double zoom) override;
    // What the control shows now, at its zoom.
    QImage ShownPicture() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void OnLeave();

    int index = -1;
    int pressed = 0;
    MouseHandler pressHandler = nullptr;
    MouseHandler releaseHandler = nullptr;
    MouseHandler moveHandler = nullptr;
    MouseHandler doubleClickHandler = nullptr;
    const QImage* surface = nullptr;
    double zoom = 1.0;
};
