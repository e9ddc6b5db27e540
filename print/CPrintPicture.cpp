#include "print/CPrintPicture.h"

#include "common/Messages.h"

#include <QImage>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <cmath>

namespace {

std::unique_ptr<QPrinter> RunPrintDialog(QWidget* owner)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dialog(printer.get(), owner);
    dialog.setObjectName(QStringLiteral("PrintDialog"));
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    return printer;
}

CPrintPicture::PrintDialogRunner g_runner = &RunPrintDialog;

int16_t TenthsOfMillimetre(double millimetres)
{
    return static_cast<int16_t>(std::lround(millimetres * 10));
}

} // namespace

DeviceMode DeviceModeOf(const QPrinter& printer)
{
    DeviceMode mode;
    const QPageLayout layout = printer.pageLayout();
    mode.orientation = layout.orientation() == QPageLayout::Portrait ? 1 : 2;
    const QPageSize::PageSizeId id = layout.pageSize().id();
    mode.paperSize = id == QPageSize::A3 ? PaperSize::kA3 : id == QPageSize::A4 ? PaperSize::kA4 : 0;
    // The paper as it lies in the printer: width and length swap in landscape.
    const QSizeF paper = layout.pageSize().size(QPageSize::Millimeter);
    const bool portrait = mode.orientation == 1;
    mode.paperWidth = TenthsOfMillimetre(portrait ? paper.width() : paper.height());
    mode.paperLength = TenthsOfMillimetre(portrait ? paper.height() : paper.width());
    mode.printQuality = static_cast<int16_t>(printer.resolution());
    mode.yResolution = static_cast<int16_t>(printer.resolution());
    return mode;
}

CPrintPicture::CPrintPicture() = default;

CPrintPicture::~CPrintPicture()
{
    if (painter.isActive())
        painter.end();
}

CPrintPicture::PrintDialogRunner CPrintPicture::SetPrintDialogRunner(PrintDialogRunner runner)
{
    const PrintDialogRunner previous = g_runner;
    g_runner = runner ? runner : &RunPrintDialog;
    return previous;
}

bool CPrintPicture::ChoosePrinter(DeviceMode& mode, QWidget* owner)
{
    std::unique_ptr<QPrinter> chosen = g_runner(owner);
    if (!chosen)
        return false; // cancelled: nothing to say
    return UsePrinter(std::move(chosen), mode);
}

bool CPrintPicture::UsePrinter(std::unique_ptr<QPrinter> chosen, DeviceMode& mode)
{
    printer = std::move(chosen);
    if (!printer->isValid()) {
        ShowPrintError(0);
        printer.reset();
        return false;
    }
    printer->setFullPage(false); // the origin is the printable area's corner
    mode = DeviceModeOf(*printer);
    if (mode.orientation != 1 || mode.paperSize != expectedPaperSize)
        ShowPrintError(1);
    return true;
}

bool CPrintPicture::StartJob(const DeviceMode&)
{
    if (!printer)
        return false;
    // One page: the document and its page start together.
    if (!painter.begin(printer.get()))
        return false;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setRenderHint(QPainter::Antialiasing, false);
    return true;
}

void CPrintPicture::AddItem(const QImage* source, int height, int width, int y, int x)
{
    if (count >= kMaxItems)
        return;
    items[static_cast<size_t>(count++)] = Item{source, height, width, y, x};
}

void CPrintPicture::PrintItems(const DeviceMode& mode, int width, int height, double fraction)
{
    const PagePlacement placement = ComputePagePlacement(mode, width, height, fraction);
    for (int i = 0; i < count; ++i) {
        const Item& item = items[static_cast<size_t>(i)];
        const DeviceRect r = PlaceItem(placement, item.x, item.y, item.width, item.height);
        if (!painter.isActive() || !item.source || item.source->isNull())
            continue;
        painter.drawImage(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top), *item.source,
                          QRect(0, 0, item.width, item.height));
    }
}

void CPrintPicture::ClearItems()
{
    count = 0;
}

void CPrintPicture::EndJob()
{
    if (!painter.isActive() || !painter.end())
        ShowPrintError(0);
}

void CPrintPicture::ReleasePrinter()
{
    if (painter.isActive())
        painter.end();
    printer.reset();
}

void CPrintPicture::ShowPrintError(int code)
{
    ShowMessage(code == 1 ? "プリンタで設定されている用紙サイズに誤りがあります。・" : "CPrintPicture::ErrorMsg");
}
