#pragma once
// The printer side: printer choice, the paper check, the job and the pictures on its page.

#include "print/PageArithmetic.h"
#include "render/ScoreWords.h"

#include <QPainter>
#include <QRectF>
#include <QString>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QImage;
class QPrinter;
class QWidget;
struct ScoreGeometry;
struct SheetLegend;

// The printer settings the job reads, as the device mode tells them.
DeviceMode DeviceModeOf(const QPrinter& printer);

class CPrintPicture {
public:
    static constexpr int kMaxItems = 64;

    CPrintPicture();
    ~CPrintPicture();

    // Shows the print dialog (or, without any printer, the save dialog of a PDF); false when
    // it was cancelled or the printer is unusable. A printer not set to portrait paper of the
    // expected size is only warned about; A4 where A3 is expected takes two pages instead.
    bool ChoosePrinter(DeviceMode& mode, QWidget* owner);
    // Takes a printer chosen without a dialog, as the command-line tool does.
    bool UsePrinter(std::unique_ptr<QPrinter> chosen, DeviceMode& mode);
    // Prints into the print preview's printer, which the preview keeps; its paper is what the
    // preview's page setup says, so it is not warned about.
    bool UsePreviewPrinter(QPrinter& preview, DeviceMode& mode);
    // Starts the document and its first page. A printer that refuses is reported once.
    bool StartJob(const DeviceMode& mode);
    // A score traced as vector geometry where a picture of its size would be stretched to.
    void AddScore(const ScoreGeometry* score, int height, int width, int y, int x);
    // The legend goes below the first score item, when the sheet has room for it.
    void SetLegend(const SheetLegend* legend);
    // The words, chord names and measures of the first score item's layout, as chosen; they
    // are placed at the printed size of the sheet they go on.
    void SetWords(const ScoreLayout* layout, const WordChoices& choices);
    // Where the sheet printed on paper of `mode` puts them, for a picture of width x height.
    ScoreWords PlacedWords(const DeviceMode& mode, int width, int height) const;
    // Puts the list on the page, or on both halves of the sheet; with a spacing, at that scale
    // on as many pages as the sheet needs.
    void PrintItems(const DeviceMode& mode, int width, int height, double fraction);
    // Draws the list as one sheet laid out for `sheet` onto any painter; rows from
    // `visibleBottom` down are not on paper.
    void DrawSheet(QPainter& painter, const DeviceMode& sheet, int width, int height, double fraction,
                   int visibleBottom) const;
    // Draws the list placed as given, the legend when it fits above `legendBottom`; with
    // `visible`, only what reaches that part of the sheet.
    void DrawPlaced(QPainter& painter, const PagePlacement& placement, int dotsPerInch, int legendBottom,
                    const QRectF* visible = nullptr) const;
    // Where the list stands on the sheet at the harp's scale: the picture's blank beside the
    // outermost circles is left out, the sheet's margin kept.
    PagePlacement PlacementAtScale(int dotsPerInch) const;
    // The sheet at the harp's scale, margins included, for a picture of width x height
    // pixels; its fonts are measured on `device`.
    QSize SheetSizeAtScale(const QPaintDevice* device, const PagePlacement& placement, int width, int height,
                           int dotsPerInch) const;
    // The string lines' places on that sheet.
    std::vector<int> StringLinesAtScale(const PagePlacement& placement) const;
    void ClearItems();
    void EndJob();
    void ReleasePrinter();
    static void ShowPrintError(int code);

    // The dialog step, replaceable so that tests can answer it: returns the chosen printer,
    // or nullptr when the user cancelled. The name suggests the PDF's file name.
    using PrintDialogRunner = std::unique_ptr<QPrinter> (*)(QWidget* owner, const QString& documentName);
    static PrintDialogRunner SetPrintDialogRunner(PrintDialogRunner runner);

    int expectedPaperSize = PaperSize::kA4;
    // Distance between string lines on paper; 0 fits the sheet to the expected paper. Set
    // before the printer is chosen: a sheet at scale takes any paper without a warning.
    int spacingTenthsMm = 0;
    QString documentName;
    int Count() const { return count; }
    bool OnHalves() const { return halves; }
    // The job could not start, or a page could not be made or ended (already reported).
    bool Failed() const { return failed; }

private:
    struct Item {
        const ScoreGeometry* score = nullptr;
        int height = 0, width = 0, y = 0, x = 0;
    };
    void Add(const Item& item);
    void Fail();
    void PrintAtScale(const DeviceMode& mode, int width, int height);
    bool TakePrinter(QPrinter* chosen, DeviceMode& mode, bool warnOfPaper);
    // The leftmost and rightmost picture x the placed texts reach at this scale.
    std::pair<double, double> WordsReachAtScale(const PagePlacement& placement, int dotsPerInch) const;
    // The words of the first score traced into a rectangle of r's size; nullptr without words.
    const ScoreWords* WordsPlacedIn(const DeviceRect& r, int dotsPerInch) const;
    const Item* FirstScoreItem() const;
    // A PDF file is printed to a temporary file beside it that replaces it only when whole.
    bool BeginPdfFile();
    bool FinishPdfFile(bool printed);

    std::array<Item, kMaxItems> items{};
    int count = 0;
    const SheetLegend* legend = nullptr;
    const ScoreLayout* wordsLayout = nullptr;
    WordChoices wordChoices;
    mutable std::optional<ScoreWords> placedWords; // for the rectangle size and resolution of placedKey
    mutable std::array<int, 3> placedKey{};
    std::unique_ptr<QPrinter> owned; // the chosen printer, unless the preview lends its own
    QPrinter* printer = nullptr;     // the one the job prints on
    bool previewing = false;         // the preview records pages: no file is written
    QPainter painter;
    bool halves = false;
    bool failed = false; // one message per job
    std::string pdfTarget, pdfTemp; // the PDF file named and the one being printed
};
