#pragma once
// The off-screen drawing surface under every picture: a memory image drawn once and copied
// to its host control, shrunk or stretched by a zoom factor.

#include <QImage>
#include <QRgb>
#include <cstdint>
#include <memory>

class COffScreenControl;
class QPainter;

using MouseHandler = void (*)(int x, int y, int index);

struct PictureRect {
    int left, top, right, bottom;
};

class COffScreenPicture {
public:
    // Places and sizes the host, gives it the handlers and makes a surface of its size.
    static void Create(COffScreenControl* host, const PictureRect& rect, MouseHandler press, MouseHandler release,
                       MouseHandler move, MouseHandler doubleClick, int& width, int& height,
                       std::unique_ptr<QImage>& surface);
    // Copies the surface onto the host at the zoom, anchored top-left, and repaints it now.
    static void Show(const QImage* surface, COffScreenControl* host, double zoom);
    static void Destroy(std::unique_ptr<QImage>& surface, COffScreenControl* host);
    // 0 clears the drawing-error one-shot; 1 reports a drawing error once until then; any
    // other code reports every time.
    static void ReportError(uint32_t code);
    // The ellipse inscribed in the box paints exactly the pixels left..right-1 x top..bottom-1.
    static void DrawFilledEllipse(QPainter& painter, int left, int top, int right, int bottom, QRgb fill, QRgb outline);
    // A painter on a surface as the pictures expect it: no antialiasing, a one-pixel black
    // pen that leaves a line's end point unpainted.
    static void PreparePainter(QPainter& painter);
};
