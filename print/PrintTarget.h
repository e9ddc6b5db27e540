#pragma once
// Where a print job goes: the printer the print dialog returns, or, on a system without any
// printer, a PDF file the user names.

#include <QString>
#include <QStringList>
#include <memory>

class QPrinter;
class QWidget;

// Shows the print dialog (which also offers printing to a PDF file), or the save dialog
// "PDFとして保存" when the system has no printer. nullptr when the user cancelled.
std::unique_ptr<QPrinter> AskForPrintTarget(QWidget* owner, const QString& documentName);

// The printer the print preview starts from: the one the print dialog would offer first, or
// the A3 PDF the save dialog would propose when the system has no printer.
std::unique_ptr<QPrinter> PreviewPrinter(const QString& documentName);

// A PDF printer writing the page a printer set to A3 portrait would get.
std::unique_ptr<QPrinter> A3PdfPrinter(const QString& fileName, int dotsPerInch);

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
