#include "print/PrintTarget.h"

#include "common/JapaneseFileDates.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

// Where the PDF path writes its pages; the print dialog's own file output keeps Qt's default.
constexpr int kPdfDotsPerInch = 600;

QStringList SystemPrinters()
{
    return QPrinterInfo::availablePrinterNames();
}

PrinterLister g_lister = &SystemPrinters;

std::unique_ptr<QPrinter> RunPrintDialog(QWidget* owner, bool landscape)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (landscape)
        printer->setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(printer.get(), owner);
    dialog.setObjectName(QString::fromLatin1(kPrintDialogName));
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true); // a PDF for whoever has no printer here
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    return printer;
}

std::unique_ptr<QPrinter> RunSavePdfDialog(QWidget* owner, const QString& documentName, PaperChoice paper,
                                           bool landscape)
{
    QFileDialog dialog(owner, QCoreApplication::translate("PrintTarget", "PDFとして保存"));
    dialog.setObjectName(QString::fromLatin1(kSavePdfDialogName));
    ShowJapaneseFileDates(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("PDF (*.pdf)"));
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    // The library folder may belong to the system; the home folder is the user's.
    const QString here = QDir::currentPath();
    dialog.setDirectory(QFileInfo(here).isWritable() ? here : QDir::homePath());
    dialog.selectFile(PdfFileNameFor(documentName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return nullptr;
    auto printer = PdfPrinterOn(paper, dialog.selectedFiles().first(), kPdfDotsPerInch);
    if (landscape)
        printer->setPageOrientation(QPageLayout::Landscape);
    return printer;
}

} // namespace

std::unique_ptr<QPrinter> AskForPrintTarget(QWidget* owner, const QString& documentName, PaperChoice paper,
                                            bool landscape)
{
    if (g_lister().isEmpty())
        return RunSavePdfDialog(owner, documentName, paper, landscape);
    return RunPrintDialog(owner, landscape);
}

std::unique_ptr<QPrinter> PreviewPrinter(const QString& documentName, PaperChoice paper, bool landscape)
{
    const QPageLayout::Orientation turn = landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
    if (!g_lister().isEmpty()) {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setPageSize(QPageSize(PageSizeOf(paper)));
        printer->setPageOrientation(turn);
        return printer;
    }
    const QString here = QDir::currentPath();
    const QString folder = QFileInfo(here).isWritable() ? here : QDir::homePath();
    auto printer = PdfPrinterOn(paper, QDir(folder).filePath(PdfFileNameFor(documentName)), kPdfDotsPerInch);
    printer->setPageOrientation(turn);
    return printer;
}

QPageSize::PageSizeId PageSizeOf(PaperChoice paper)
{
    switch (paper) {
    case PaperChoice::kA4: return QPageSize::A4;
    case PaperChoice::kB4: return QPageSize::JisB4;
    case PaperChoice::kLetter: return QPageSize::Letter;
    case PaperChoice::kA3: break;
    }
    return QPageSize::A3;
}

std::unique_ptr<QPrinter> PdfPrinterOn(PaperChoice paper, const QString& fileName, int dotsPerInch)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(fileName);
    printer->setResolution(dotsPerInch);
    printer->setPageLayout(QPageLayout(QPageSize(PageSizeOf(paper)), QPageLayout::Portrait, QMarginsF()));
    return printer;
}

QString PdfFileNameFor(const QString& documentName)
{
    QString name = documentName.trimmed();
    for (QChar& c : name)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control)
            c = QLatin1Char('_');
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
        return QStringLiteral("score.pdf");
    return name + QStringLiteral(".pdf");
}

PrinterLister SetPrinterLister(PrinterLister lister)
{
    const PrinterLister previous = g_lister;
    g_lister = lister ? lister : &SystemPrinters;
    return previous;
}
