#pragma once
// The printer side: printer choice, the paper check, the job and the pages of a sheet's plan.

#include "print/PageArithmetic.h"
#include "print/SheetPlan.h"

#include <QPainter>
#include <QString>
#include <memory>
#include <string>

class QPrinter;
class QWidget;
struct ScoreGeometry;

// The printer settings the job reads, as the device mode tells them.
DeviceMode DeviceModeOf(const QPrinter& printer);

// The paper of a printer as the sheet's plan takes it.
SheetPaper PaperOf(const QPrinter& printer, int16_t expectedPaperSize);

// Readies a printer for a sheet at `spacing` and tells its paper as the plan takes it: the
// origin is the printable area's corner, and a sheet fitted to A3 that meets A4 paper turns
// it to landscape, for the two halves.
SheetPaper PreparePaper(QPrinter& printer, int16_t expectedPaperSize, const PaperSpacing& spacing);

class CPrintPicture {
public:
    CPrintPicture();
    ~CPrintPicture();

    // Shows the print dialog (or, without any printer, the save dialog of a PDF); false when
    // it was cancelled or the printer is unusable. For a sheet fitted to the paper, a printer
    // not set to portrait paper of the expected size is only warned about, and A4 where A3 is
    // expected takes two pages instead; a sheet at scale takes any paper.
    // Without any printer, the PDF is saved on the sheet settings' paper.
    // `landscape` turns the paper first, for a sheet whose strings fit only across it.
    bool ChoosePrinter(DeviceMode& mode, QWidget* owner, const SheetSettings& sheet = {}, bool landscape = false);
    // Takes a printer chosen without a dialog, as the command-line tool does.
    bool UsePrinter(std::unique_ptr<QPrinter> chosen, DeviceMode& mode, const SheetSettings& sheet = {});
    // Prints into the print preview's printer, which the preview keeps; its paper is what the
    // preview's page setup says, so it is not warned about.
    bool UsePreviewPrinter(QPrinter& preview, DeviceMode& mode, const SheetSettings& sheet = {});
    // Starts the document and its first page. A printer that refuses is reported once.
    bool StartJob();
    // The chosen printer's paper, and its texts measured as it draws them: what the sheet's
    // plan is made for, before the job starts.
    SheetPaper Paper() const;
    SheetTextMeasure TextMeasure() const;
    // Every page of the plan, each on a paper of its own.
    void PrintPages(const SheetSet& sheets);
    void EndJob();
    void ReleasePrinter();
    static void ShowPrintError(int code);

    // The dialog step, replaceable so that tests can answer it: returns the chosen printer,
    // or nullptr when the user cancelled. The name suggests the PDF's file name.
    using PrintDialogRunner = std::unique_ptr<QPrinter> (*)(QWidget* owner, const QString& documentName,
                                                            PaperChoice paper, bool landscape);
    static PrintDialogRunner SetPrintDialogRunner(PrintDialogRunner runner);

    int expectedPaperSize = PaperSize::kA4;
    // The name the print dialog suggests for a PDF.
    void SetDocumentName(const QString& name) { documentName = name; }
    // The job could not start, or a page could not be made or ended (already reported).
    bool Failed() const { return failed; }

private:
    void Fail();
    bool TakePrinter(QPrinter* chosen, DeviceMode& mode, bool warnOfPaper, const PaperSpacing& spacing);
    // A PDF file is printed to a temporary file beside it that replaces it only when whole.
    bool BeginPdfFile();
    bool FinishPdfFile(bool printed);

    QString documentName;
    std::unique_ptr<QPrinter> owned; // the chosen printer, unless the preview lends its own
    QPrinter* printer = nullptr;     // the one the job prints on
    bool previewing = false;         // the preview records pages: no file is written
    QPainter painter;
    bool failed = false; // one message per job
    std::string pdfTarget, pdfTemp; // the PDF file named and the one being printed
};
