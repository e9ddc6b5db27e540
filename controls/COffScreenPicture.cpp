#include "controls/COffScreenPicture.h"

#include "common/Messages.h"
#include "common/TextTranslation.h"

#include <QPainter>
#include <atomic>

namespace {
std::atomic<bool> g_drawingErrorShown{false};
}

void COffScreenPicture::Create(IPictureHost* host, const PictureRect& rect, MouseHandler press,
                               MouseHandler release, MouseHandler move, MouseHandler doubleClick, int& width,
                               int& height, std::unique_ptr<QImage>& surface)
{
    ReportError(0);
    height = rect.bottom - rect.top;
    width = rect.right - rect.left;
    if (host) {
        host->PlaceAt(rect);
        host->SetHandlers(press, release, move, doubleClick);
    }
    surface = std::make_unique<QImage>(NewSurface(width, height));
}

QImage COffScreenPicture::NewSurface(int width, int height)
{
    QImage surface(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
    surface.fill(Qt::white);
    return surface;
}

void COffScreenPicture::Show(const QImage* surface, IPictureHost* host, double zoom)
{
    if (!host || !surface || surface->isNull())
        return;
    host->ShowSurface(surface, zoom);
}

void COffScreenPicture::Destroy(std::unique_ptr<QImage>& surface, IPictureHost* host)
{
    if (host)
        host->ShowSurface(nullptr, 1.0);
    surface.reset();
}

void COffScreenPicture::ReportError(uint32_t code)
{
    if (code == 0) {
        g_drawingErrorShown = false;
        return;
    }
    if (code == 1 && g_drawingErrorShown.exchange(true))
        return;
    ShowMessage(FormatCodedMessage("OSPC", code, CoreText::translate("Messages", DrawingErrorText(code))));
}

void COffScreenPicture::DrawFilledEllipse(QPainter& painter, int left, int top, int right, int bottom, QRgb fill,
                                          QRgb outline)
{
    const QPen previousPen = painter.pen();
    const QBrush previousBrush = painter.brush();
    painter.setPen(QPen(QColor::fromRgb(outline), 1));
    painter.setBrush(QColor::fromRgb(fill));
    // An aliased outline of a w x h rectangle covers w + 1 pixels.
    painter.drawEllipse(QRect(left, top, right - left - 1, bottom - top - 1));
    painter.setPen(previousPen);
    painter.setBrush(previousBrush);
}

void COffScreenPicture::PreparePainter(QPainter& painter)
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 1, Qt::SolidLine, Qt::FlatCap));
    painter.setBrush(Qt::white);
}
