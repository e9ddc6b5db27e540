#pragma once
// The off-screen drawing surface under every picture: a memory image drawn once and copied
// to its host control, shrunk or stretched by a zoom factor.

#include <QImage>
#include <QRgb>
#include <cstdint>
#include <memory>

class QPainter;

using MouseHandler = void (*)(int x, int y, int index);

struct PictureRect {
    int left, top, right, bottom;
};

// What a picture needs of the control that shows it. The controls implement it, so that the
// pictures know no widget.
class IPictureHost {
public:
    // Puts the control at the rectangle, above its siblings.
    virtual void PlaceAt(const PictureRect& rect) = 0;
    virtual void SetHandlers(MouseHandler press, MouseHandler release, MouseHandler move, MouseHandler doubleClick) = 0;
    // Binds the surface at the zoom and repaints at once; nullptr unbinds it.
    virtual void ShowSurface(const QImage* surface, double zoom) = 0;

protected:
    ~IPictureHost() = default;
};

class COffScreenPicture {
public:
    // Places and sizes the host, gives it the handlers and makes a surface of its size.
    static void Create(IPictureHost* host, const PictureRect& rect, MouseHandler press, MouseHandler release,
                       MouseHandler move, MouseHandler doubleClick, int& width, int& height,
                       std::unique_ptr<QImage>& surface);
    // Copies the surface onto the host at the zoom, anchored top-left, and repaints it now.
    static void Show(const QImage* surface, IPictureHost* host, double zoom);
    static void Destroy(std::unique_ptr<QImage>& surface, IPictureHost* host);
    // 0 clears the drawing-error one-shot; 1 reports a drawing error once until then; any
    // other code reports every time.
    static void ReportError(uint32_t code);
    // The ellipse inscribed in the box paints exactly the pixels left..right-1 x top..bottom-1.
    static void DrawFilledEllipse(QPainter& painter, int left, int top, int right, int bottom, QRgb fill, QRgb outline);
    // A painter on a surface as the pictures expect it: no antialiasing, a one-pixel black
    // pen that leaves a line's end point unpainted.
    static void PreparePainter(QPainter& painter);
    // A white surface of that size (none for a size below one pixel).
    static QImage NewSurface(int width, int height);
};
