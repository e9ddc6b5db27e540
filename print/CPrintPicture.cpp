#include "print/CPrintPicture.h"

#include "common/FileServices.h"
#include "common/Messages.h"
#include "print/PrintTarget.h"
#include "print/SheetPageDrawing.h"

#include <QCoreApplication>
#include <QFile>
#include <QPageLayout>
#include <QPaintEngine>
#include <QPrinter>
#include <algorithm>
#include <cmath>

namespace {

// A PDF is whole when its last cross-reference offset, given at its end, points at a
// cross-reference section: bytes lost on the way shift it, and a cut file has no end.
bool IsWholePdf(const std::string& path)
{
    QFile file(QFile::decodeName(QByteArray::fromStdString(path)));
    if (!file.open(QIODevice::ReadOnly) || file.size() < 32)
        return false;
    const qint64 size = file.size();
    const qint64 tailSize = std::min<qint64>(size, 1024);
    file.seek(size - tailSize);
    const QByteArray tail = file.read(tailSize);
    const qsizetype start = tail.lastIndexOf("startxref");
    if (start < 0 || tail.indexOf("%%EOF", start) < 0)
        return false;
    bool ok = false;
    const qint64 offset = tail.mid(start + 9).trimmed().split('\n').value(0).trimmed().toLongLong(&ok);
    if (!ok || offset < 0 || offset >= size - 4 || !file.seek(offset))
        return false;
    return file.read(4) == "xref";
}

CPrintPicture::PrintDialogRunner g_runner = &AskForPrintTarget;

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

SheetPaper PaperOf(const QPrinter& printer, int16_t expectedPaperSize)
{
    SheetPaper paper;
    paper.mode = DeviceModeOf(printer);
    paper.expectedPaperSize = expectedPaperSize;
    paper.pageWidth = printer.width();
    paper.pageHeight = printer.height();
    return paper;
}

SheetPaper PreparePaper(QPrinter& printer, int16_t expectedPaperSize, const PaperSpacing& spacing)
{
    printer.setFullPage(false); // the origin is the printable area's corner
    if (spacing.FitsPaper() && PrintsOnHalves(DeviceModeOf(printer), expectedPaperSize))
        printer.setPageOrientation(QPageLayout::Landscape);
    return PaperOf(printer, expectedPaperSize);
}

CPrintPicture::CPrintPicture() = default;

CPrintPicture::~CPrintPicture()
{
    ReleasePrinter();
}

CPrintPicture::PrintDialogRunner CPrintPicture::SetPrintDialogRunner(PrintDialogRunner runner)
{
    const PrintDialogRunner previous = g_runner;
    g_runner = runner ? runner : &AskForPrintTarget;
    return previous;
}

bool CPrintPicture::ChoosePrinter(DeviceMode& mode, QWidget* owner, const SheetSettings& sheet, bool landscape)
{
    std::unique_ptr<QPrinter> chosen = g_runner(owner, documentName, sheet.paper, landscape);
    if (!chosen)
        return false; // cancelled: nothing to say
    return UsePrinter(std::move(chosen), mode, sheet);
}

bool CPrintPicture::UsePrinter(std::unique_ptr<QPrinter> chosen, DeviceMode& mode, const SheetSettings& sheet)
{
    owned = std::move(chosen);
    return TakePrinter(owned.get(), mode, true, sheet.spacing);
}

bool CPrintPicture::UsePreviewPrinter(QPrinter& preview, DeviceMode& mode, const SheetSettings& sheet)
{
    // While the preview draws its pages the printer records them (a picture engine); only when
    // the user prints from the preview does it write, and a PDF then goes in whole or not at all.
    previewing = preview.paintEngine() && preview.paintEngine()->type() == QPaintEngine::Picture;
    return TakePrinter(&preview, mode, false, sheet.spacing);
}

bool CPrintPicture::TakePrinter(QPrinter* chosen, DeviceMode& mode, bool warnOfPaper, const PaperSpacing& spacing)
{
    printer = chosen;
    if (!printer || !printer->isValid()) {
        ShowPrintError(0);
        owned.reset();
        printer = nullptr;
        return false;
    }
    mode = PreparePaper(*printer, static_cast<int16_t>(expectedPaperSize), spacing).mode;
    // A sheet at scale is cut to whatever paper the printer holds; the halves are as expected.
    const bool halves = PrintsOnHalves(mode, expectedPaperSize);
    if (spacing.FitsPaper() && !halves && warnOfPaper && (mode.orientation != 1 || mode.paperSize != expectedPaperSize))
        ShowPrintError(1);
    return true;
}

bool CPrintPicture::StartJob()
{
    failed = false;
    // The document and its first page start together.
    if (!printer || !BeginPdfFile() || !painter.begin(printer)) {
        FinishPdfFile(false);
        Fail();
        return false;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setRenderHint(QPainter::Antialiasing, false);
    return true;
}

SheetPaper CPrintPicture::Paper() const
{
    return printer ? PaperOf(*printer, static_cast<int16_t>(expectedPaperSize)) : SheetPaper{};
}

SheetTextMeasure CPrintPicture::TextMeasure() const
{
    return MeasureSheetText(printer, printer ? DeviceModeOf(*printer).yResolution : 0);
}

void CPrintPicture::PrintPages(const SheetSet& sheets)
{
    if (!painter.isActive())
        return;
    bool first = true;
    for (size_t s = 0; s < sheets.sheets.size(); ++s) {
        for (size_t k = 0; k < sheets.sheets[s].pages.size(); ++k) {
            if (!first && !printer->newPage()) {
                Fail();
                return;
            }
            first = false;
            DrawSheetPage(painter, sheets.sheets[s], k);
        }
    }
}

void CPrintPicture::EndJob()
{
    if (failed) {
        if (painter.isActive())
            painter.end();
        FinishPdfFile(false);
        return;
    }
    const bool ended = painter.isActive() && painter.end();
    if (!FinishPdfFile(ended) || !ended)
        Fail();
}

bool CPrintPicture::BeginPdfFile()
{
    if (previewing || printer->outputFormat() != QPrinter::PdfFormat || printer->outputFileName().isEmpty())
        return true;
    pdfTarget = QFile::encodeName(printer->outputFileName()).toStdString();
    pdfTemp = BeginReplacingFile(pdfTarget);
    if (pdfTemp.empty())
        return false;
    printer->setOutputFileName(QFile::decodeName(QByteArray::fromStdString(pdfTemp)));
    return true;
}

bool CPrintPicture::FinishPdfFile(bool printed)
{
    if (pdfTemp.empty())
        return true;
    // The PDF writer does not report a full disk; a file that lost bytes fails the check.
    const bool whole = FinishReplacingFile(pdfTarget, pdfTemp, printed && IsWholePdf(pdfTemp));
    if (printer)
        printer->setOutputFileName(QFile::decodeName(QByteArray::fromStdString(pdfTarget)));
    pdfTemp.clear();
    return whole;
}

void CPrintPicture::Fail()
{
    if (!failed)
        ShowPrintError(0);
    failed = true;
}

void CPrintPicture::ReleasePrinter()
{
    if (painter.isActive())
        painter.end();
    FinishPdfFile(false);
    printer = nullptr;
    owned.reset();
}

void CPrintPicture::ShowPrintError(int code)
{
    ShowMessage(code == 1 ? QCoreApplication::translate("CPrintPicture", "プリンタで設定されている用紙サイズに誤りがあります。・").toStdString()
                          : std::string("CPrintPicture::ErrorMsg"));
}
