#pragma once
// Where a print job goes: the printer the print dialog returns, or, on a system without any
// printer, a PDF file the user names.

#include "settings/SheetSettings.h"

#include <QPageSize>
#include <QString>
#include <QStringList>
#include <memory>

class QPrinter;
class QWidget;

// Shows the print dialog (which also offers printing to a PDF file), or the save dialog
// "PDFとして保存" of a PDF on `paper` when the system has no printer. nullptr when the user
// cancelled.
// `landscape` turns the paper the dialog starts from.
std::unique_ptr<QPrinter> AskForPrintTarget(QWidget* owner, const QString& documentName, PaperChoice paper,
                                            bool landscape = false);

// The printer the print preview starts from, set to `paper`: the one the print dialog would
// offer first, or the PDF the save dialog would propose when the system has no printer.
std::unique_ptr<QPrinter> PreviewPrinter(const QString& documentName, PaperChoice paper, bool landscape = false);

// The page size of a paper the settings name.
QPageSize::PageSizeId PageSizeOf(PaperChoice paper);

// A PDF printer writing the page a printer set to portrait `paper` would get.
std::unique_ptr<QPrinter> PdfPrinterOn(PaperChoice paper, const QString& fileName, int dotsPerInch);
inline std::unique_ptr<QPrinter> A3PdfPrinter(const QString& fileName, int dotsPerInch)
{
    return PdfPrinterOn(PaperChoice::kA3, fileName, dotsPerInch);
}

// "タイトル.pdf" for a document name, "score.pdf" without one; characters a file name cannot
// hold become "_".
QString PdfFileNameFor(const QString& documentName);

// The names of the system's printers; replaceable so that tests can pretend there are some
// or none. Returns the previous lister; nullptr restores the system's.
using PrinterLister = QStringList (*)();
PrinterLister SetPrinterLister(PrinterLister lister);

// The dialog objects' names, for tests and tools.
inline constexpr const char* kPrintDialogName = "PrintDialog";
inline constexpr const char* kSavePdfDialogName = "SavePdfDialog";
inline constexpr const char* kPrintPreviewName = "PrintPreview";
