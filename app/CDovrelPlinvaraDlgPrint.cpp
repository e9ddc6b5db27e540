#include "app/CDovrelPlinvaraDlg.h"

#include "document/SettingsScore.h"
#include "print/CPrintPicture.h"
#include "print/PrintTarget.h"
#include "print/ScoreJob.h"
#include "print/SheetPlanning.h"
#include "settings/HarpPresets.h"

#include <QPageSize>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <memory>

// The main window's printing: the page fitted to the paper as the screen shows it, or the whole
// tune as the sheets to play from, printed or previewed.

CDovrelPlinvaraDlg::PrintRequest CDovrelPlinvaraDlg::RequestPrint(bool wholeSong, QSizeF paperMm, bool everyone) const
{
    PrintRequest r;
    r.score = wholeSong && doc.Open() ? doc.LayOutWhole(RepeatsShown()) : fitted;
    if (doc.Open())
        r.facts = SongFactsOf(*doc.Song(), r.score);
    r.sheet = sheet;
    // The whole song is the sheet to play from, at the harp's scale; 印刷 keeps the page fitted
    // to the paper that the screen shows.
    if (!wholeSong)
        r.sheet.spacing = PaperSpacing::FitToPaper();
    else if (r.sheet.FitsPaper())
        r.sheet.spacing = HarpSpacing(settings);
    // A harp the settings name keeps its own sheet height; one set by hand takes sheet.ini's.
    if (const HarpPreset* harp = RecogniseHarpPreset(settings))
        r.sheet.harpHeightMm = harp->sheetHeightMm;
    if (everyone)
        r.sheet.players.who = SheetPlayers::Who::kEveryone;
    r.landscape = SuitsLandscape(frame.stringCount, r.sheet, paperMm.width(), paperMm.height());
    return r;
}

void CDovrelPlinvaraDlg::PrintScore(bool wholeSong, bool everyone)
{
    auto printer = std::make_unique<CPrintPicture>();
    printer->expectedPaperSize = PaperSize::kA3;
    const PrintRequest r =
        RequestPrint(wholeSong, QPageSize(PageSizeOf(sheet.paper)).size(QPageSize::Millimeter), everyone);
    printer->SetDocumentName(QString::fromStdString(r.facts ? r.facts->title : std::string()));
    DeviceMode mode;
    if (printer->ChoosePrinter(mode, this, r.sheet, r.landscape)) {
        PrintScorePicture(*printer, r.facts, r.score, r.sheet, &AskToPrintPages);
        printer->ReleasePrinter();
    }
}

void CDovrelPlinvaraDlg::PreviewScore(bool wholeSong, bool everyone)
{
    const PrintRequest r =
        RequestPrint(wholeSong, QPageSize(PageSizeOf(sheet.paper)).size(QPageSize::Millimeter), everyone);
    const std::unique_ptr<QPrinter> printer = PreviewPrinter(QString::fromStdString(r.facts ? r.facts->title : std::string()), sheet.paper, r.landscape);
    QPrintPreviewDialog preview(printer.get(), this);
    preview.setObjectName(QString::fromLatin1(kPrintPreviewName));
    preview.setWindowTitle(tr("印刷プレビュー"));
    // A page is read in the preview, not glimpsed: most of the screen, not Qt's small default.
    if (const QScreen* shown = screen())
        preview.resize(shown->availableGeometry().size() * 0.8);
    // Asked again for every change of page setup, and once more for the printer chosen there.
    connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&](QPrinter* target) {
        CPrintPicture job;
        job.expectedPaperSize = PaperSize::kA3;
        DeviceMode mode;
        if (job.UsePreviewPrinter(*target, mode, r.sheet))
            PrintScorePicture(job, r.facts, r.score, r.sheet);
        job.ReleasePrinter();
    });
    preview.exec();
}
