#include "print/CPrintPicture.h"

#include "common/FileServices.h"
#include "common/Messages.h"
#include "print/PageDrawing.h"
#include "print/PrintTarget.h"
#include "print/ScoreSheet.h"
#include "print/SheetWords.h"
#include "render/ScoreGeometry.h"

#include <QFile>
#include <QImage>
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

// Picture pixels from a string line to the edge of the largest circle on it.
double LargestRadius()
{
    int diameter = 0;
    for (const NoteMark mark : {NoteMark::kOneBeat, NoteMark::kShorter, NoteMark::kFourBeats, NoteMark::kOtherLong})
        diameter = std::max(diameter, StyleOf(mark).diameter);
    return diameter / 2.0;
}

// Device x of the right edge of the largest circle on the score's last string.
double LastCircleRight(const ScoreGeometry& score, const DeviceRect& r)
{
    if (score.stringX.empty())
        return r.right;
    return std::min<double>(Stretch(score, r).Centre(score.stringX.back() + LargestRadius(), 0).x(), r.right);
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
    ReleasePrinter();
}

CPrintPicture::PrintDialogRunner CPrintPicture::SetPrintDialogRunner(PrintDialogRunner runner)
{
    const PrintDialogRunner previous = g_runner;
    g_runner = runner ? runner : &AskForPrintTarget;
    return previous;
}

bool CPrintPicture::ChoosePrinter(DeviceMode& mode, QWidget* owner)
{
    std::unique_ptr<QPrinter> chosen = g_runner(owner, documentName);
    if (!chosen)
        return false; // cancelled: nothing to say
    return UsePrinter(std::move(chosen), mode);
}

bool CPrintPicture::UsePrinter(std::unique_ptr<QPrinter> chosen, DeviceMode& mode)
{
    owned = std::move(chosen);
    return TakePrinter(owned.get(), mode, true);
}

bool CPrintPicture::UsePreviewPrinter(QPrinter& preview, DeviceMode& mode)
{
    // While the preview draws its pages the printer records them (a picture engine); only when
    // the user prints from the preview does it write, and a PDF then goes in whole or not at all.
    previewing = preview.paintEngine() && preview.paintEngine()->type() == QPaintEngine::Picture;
    return TakePrinter(&preview, mode, false);
}

bool CPrintPicture::TakePrinter(QPrinter* chosen, DeviceMode& mode, bool warnOfPaper)
{
    printer = chosen;
    if (!printer || !printer->isValid()) {
        ShowPrintError(0);
        owned.reset();
        printer = nullptr;
        return false;
    }
    printer->setFullPage(false); // the origin is the printable area's corner
    mode = DeviceModeOf(*printer);
    halves = spacingTenthsMm == 0 && PrintsOnHalves(mode, expectedPaperSize);
    if (spacingTenthsMm > 0) {
        // The sheet is cut to whatever paper the printer holds.
    } else if (halves) {
        printer->setPageOrientation(QPageLayout::Landscape);
        mode = DeviceModeOf(*printer);
    } else if (warnOfPaper && (mode.orientation != 1 || mode.paperSize != expectedPaperSize)) {
        ShowPrintError(1);
    }
    return true;
}

bool CPrintPicture::StartJob(const DeviceMode&)
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

void CPrintPicture::Add(const Item& item)
{
    if (count >= kMaxItems)
        return;
    items[static_cast<size_t>(count++)] = item;
}

void CPrintPicture::AddScore(const ScoreGeometry* score, int height, int width, int y, int x)
{
    Add(Item{score, height, width, y, x});
}

void CPrintPicture::SetLegend(const SheetLegend* sheetLegend)
{
    legend = sheetLegend;
}

void CPrintPicture::SetWords(const ScoreLayout* layout, const WordChoices& choices)
{
    wordsLayout = layout;
    wordChoices = choices;
    placedWords.reset();
}

const ScoreWords* CPrintPicture::WordsPlacedIn(const DeviceRect& r, int dotsPerInch) const
{
    const Item* item = FirstScoreItem();
    if (!wordsLayout || !item)
        return nullptr;
    // The texts' room depends on the rectangle's size and the resolution only: every page of
    // a job, which shows the same sheet shifted, shares one placement.
    const std::array<int, 3> key{r.right - r.left, r.bottom - r.top, dotsPerInch};
    if (!placedWords || placedKey != key) {
        placedWords = PlaceSheetWords(*item->score, *wordsLayout, wordChoices, r, dotsPerInch);
        placedKey = key;
    }
    return &*placedWords;
}

ScoreWords CPrintPicture::PlacedWords(const DeviceMode& mode, int width, int height) const
{
    const Item* item = FirstScoreItem();
    if (!item)
        return {};
    const int dpi = mode.yResolution;
    const DeviceMode sheet = PrintsOnHalves(mode, expectedPaperSize) ? SheetOfHalves(mode) : mode;
    const PagePlacement placement =
        spacingTenthsMm > 0 ? PlacementAtScale(dpi) : ComputePagePlacement(sheet, width, height, 1.0);
    const ScoreWords* words = WordsPlacedIn(PlaceItem(placement, item->x, item->y, item->width, item->height), dpi);
    return words ? *words : ScoreWords{};
}

void CPrintPicture::DrawSheet(QPainter& p, const DeviceMode& sheet, int width, int height, double fraction,
                              int visibleBottom) const
{
    const int paperBottom = static_cast<int>(sheet.paperLength / 2.54 / 100 * sheet.yResolution);
    DrawPlaced(p, ComputePagePlacement(sheet, width, height, fraction), sheet.yResolution,
               std::min(visibleBottom, paperBottom));
}

void CPrintPicture::DrawPlaced(QPainter& p, const PagePlacement& placement, int dotsPerInch, int legendBottom,
                               const QRectF* visible) const
{
    const ScoreGeometry* firstScore = nullptr;
    DeviceRect firstScoreRect{};
    for (int i = 0; i < count; ++i) {
        const Item& item = items[static_cast<size_t>(i)];
        const DeviceRect r = PlaceItem(placement, item.x, item.y, item.width, item.height);
        if (item.score) {
            DrawScoreVector(p, *item.score, r, dotsPerInch, visible);
            if (!firstScore) {
                firstScore = item.score;
                firstScoreRect = r;
                if (const ScoreWords* words = WordsPlacedIn(r, dotsPerInch))
                    DrawSheetWords(p, *item.score, *words, r, dotsPerInch);
            }
        }
    }
    if (!legend || !firstScore)
        return;
    // At scale the legend keeps to the strings' width, as the sheet does.
    const double rightLimit = spacingTenthsMm > 0 ? LastCircleRight(*firstScore, firstScoreRect) : 0;
    // The names under the outermost lines reach a little beside the legend's bounds.
    const double reach = DotsFor(10, dotsPerInch);
    if (visible &&
        !visible->intersects(LegendBounds(p.device(), *firstScore, firstScoreRect, dotsPerInch, *legend, rightLimit)
                                 .adjusted(-reach, -reach, reach, reach)))
        return;
    DrawLegend(p, *firstScore, firstScoreRect, legendBottom, dotsPerInch, *legend, rightLimit);
}

const CPrintPicture::Item* CPrintPicture::FirstScoreItem() const
{
    for (int i = 0; i < count; ++i)
        if (items[static_cast<size_t>(i)].score)
            return &items[static_cast<size_t>(i)];
    return nullptr;
}

std::pair<double, double> CPrintPicture::WordsReachAtScale(const PagePlacement& placement, int dotsPerInch) const
{
    std::pair<double, double> reach{1e9, -1e9};
    const Item* item = FirstScoreItem();
    const ScoreWords* words =
        item ? WordsPlacedIn(PlaceItem(placement, item->x, item->y, item->width, item->height), dotsPerInch) : nullptr;
    if (!words)
        return reach;
    const auto widen = [&](const TextBox& b) {
        reach.first = std::min(reach.first, b.left);
        reach.second = std::max(reach.second, b.right);
    };
    for (const PlacedText& t : words->words)
        widen(t.box);
    for (const PlacedText& t : words->chords)
        widen(t.box);
    for (const PlacedMeasure& m : words->measures)
        widen(m.numberBox);
    return reach;
}

PagePlacement CPrintPicture::PlacementAtScale(int dotsPerInch) const
{
    const Item* item = FirstScoreItem();
    const ScoreGeometry* score = item ? item->score : nullptr;
    PagePlacement p = TrueScalePlacement(spacingTenthsMm, score ? score->stringSpacing : 0, dotsPerInch);
    if (score && !score->stringX.empty()) {
        // The texts beside the outermost strings stay on the sheet, as the circles do.
        const double kept = std::min(score->stringX.front() + 0.5 - LargestRadius(), WordsReachAtScale(p, dotsPerInch).first);
        p.marginX -= static_cast<int>(std::max(0.0, kept) * p.scale);
    }
    return p;
}

QSize CPrintPicture::SheetSizeAtScale(const QPaintDevice* device, const PagePlacement& placement, int width,
                                      int height, int dotsPerInch) const
{
    const DeviceRect picture = PlaceItem(placement, 0, 0, width, height);
    double right = placement.marginX, bottom = picture.bottom;
    if (const Item* item = FirstScoreItem()) { // the legend goes with the first score only
        const DeviceRect r = PlaceItem(placement, item->x, item->y, item->width, item->height);
        // The picture's blank right of the last circle (or text) is left out, as on the left.
        const double lastCircle = LastCircleRight(*item->score, r);
        const Stretch s(*item->score, r);
        const double lastText = s.left + WordsReachAtScale(placement, dotsPerInch).second * s.sx;
        right = std::max({right, lastCircle, lastText});
        bottom = std::max<double>(bottom, r.bottom);
        if (legend) {
            const QRectF bounds = LegendBounds(device, *item->score, r, dotsPerInch, *legend, lastCircle);
            right = std::max(right, bounds.right());
            bottom = std::max(bottom, bounds.bottom());
        }
    }
    // The margin after the drawing, as before it (marginX has the picture's blank taken off).
    const int margin = DotsFor(kSheetMarginMm, dotsPerInch);
    return QSize(static_cast<int>(std::ceil(right)) + margin, static_cast<int>(std::ceil(bottom)) + margin);
}

std::vector<int> CPrintPicture::StringLinesAtScale(const PagePlacement& placement) const
{
    std::vector<int> lines;
    for (int i = 0; i < count; ++i) {
        const Item& item = items[static_cast<size_t>(i)];
        if (!item.score)
            continue;
        const Stretch s(*item.score, PlaceItem(placement, item.x, item.y, item.width, item.height));
        for (const int x : item.score->stringX)
            lines.push_back(static_cast<int>(std::lround(s.Centre(x, 0).x())));
    }
    return lines;
}

void CPrintPicture::PrintItems(const DeviceMode& mode, int width, int height, double fraction)
{
    if (!painter.isActive())
        return;
    if (spacingTenthsMm > 0) {
        PrintAtScale(mode, width, height);
        return;
    }
    const int printable = painter.device()->height();
    const SheetPages pages = halves ? Halves(printable, mode.yResolution) : OnePage(printable);
    const DeviceMode sheet = halves ? SheetOfHalves(mode) : mode;
    for (size_t k = 0; k < pages.pages.size(); ++k) {
        if (k > 0 && !printer->newPage()) {
            Fail();
            return;
        }
        painter.save();
        painter.translate(0, -pages.pages[k].top);
        DrawSheet(painter, sheet, width, height, fraction, pages.pages.back().bottom);
        painter.restore();
        if (halves)
            DrawHalfMarks(painter, static_cast<int>(k), pages, painter.device()->width(), mode.yResolution);
    }
}

void CPrintPicture::PrintAtScale(const DeviceMode& mode, int width, int height)
{
    const int dpi = mode.yResolution;
    const PagePlacement placement = PlacementAtScale(dpi);
    const QSize sheet = SheetSizeAtScale(painter.device(), placement, width, height, dpi);
    const std::vector<int> lines = StringLinesAtScale(placement);
    const int pageWidth = painter.device()->width(), pageHeight = painter.device()->height();
    SheetTiles tiles = TileSheet(sheet.width(), sheet.height(), pageWidth, pageHeight, dpi, lines);
    if (tiles.Count() > 1) // each page then says where it goes, below its window
        tiles = TileSheet(sheet.width(), sheet.height(), pageWidth, pageHeight - DotsFor(kPageLabelMm, dpi), dpi, lines);
    for (size_t row = 0; row < tiles.rows.size(); ++row) {
        for (size_t column = 0; column < tiles.columns.size(); ++column) {
            if ((row > 0 || column > 0) && !printer->newPage()) {
                Fail();
                return;
            }
            const SheetSpan across = tiles.columns[column], down = tiles.rows[row];
            painter.save();
            painter.setClipRect(QRect(0, 0, across.to - across.from, down.to - down.from));
            painter.translate(-across.from, -down.from);
            const QRectF shown(across.from, down.from, across.to - across.from, down.to - down.from);
            DrawPlaced(painter, placement, dpi, sheet.height(), &shown);
            DrawTileMarks(painter, tiles, static_cast<int>(column), static_cast<int>(row), dpi);
            painter.restore();
            if (tiles.Count() > 1)
                DrawTileLabel(painter, tiles, static_cast<int>(column), static_cast<int>(row), dpi);
        }
    }
}

void CPrintPicture::ClearItems()
{
    count = 0;
    legend = nullptr; // it belongs to the list's score, as the words do
    wordsLayout = nullptr;
    placedWords.reset();
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
    ShowMessage(code == 1 ? "プリンタで設定されている用紙サイズに誤りがあります。・" : "CPrintPicture::ErrorMsg");
}
