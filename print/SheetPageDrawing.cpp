#include "print/SheetPageDrawing.h"

#include "print/PageDrawing.h"
#include "render/ScoreGeometry.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPen>

namespace {

constexpr double kHalvesLineMm = 0.15; // the halves' cut-and-glue lines
// A split sheet's cut-and-glue lines: long dashes that stay visible at any viewer's zoom.
constexpr double kTileMarkMm = 0.2, kTileDashMm = 2.0, kTileGapMm = 1.0;

// The band both halves share, in page pixels: dashed lines at its edges across the page.
void DrawHalvesBand(QPainter& p, const SheetPage& page, int pageWidth, int dotsPerInch)
{
    const double pen = Dots(kHalvesLineMm, dotsPerInch);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(80, 80, 80), pen, Qt::DashLine, Qt::FlatCap));
    for (const SheetSpan& band : page.bandsDown) {
        const double top = band.from - page.down.from, bottom = band.to - page.down.from;
        for (const double y : {top + pen / 2, bottom - pen / 2})
            p.drawLine(QPointF(0, y), QPointF(pageWidth, y));
    }
    p.restore();
}

// The bands a page of a split sheet shares with its neighbours, in sheet pixels. The dashes
// run from the sheet's origin, so both pages of a band show the same strokes, and stop at the
// sheet's margin, so no page's outer edge carries ink.
void DrawTileBands(QPainter& p, const SheetPlan& plan, const SheetPage& page)
{
    const int dpi = plan.dotsPerInch;
    const double pen = Dots(kTileMarkMm, dpi);
    QPen dashes(Qt::black, pen, Qt::CustomDashLine, Qt::FlatCap);
    dashes.setDashPattern({kTileDashMm / kTileMarkMm, kTileGapMm / kTileMarkMm});
    const double margin = DotsFor(kSheetMarginMm, dpi);
    const double sheetRight = plan.sheetWidth - margin, sheetBottom = plan.sheetHeight - margin;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(dashes);
    for (const SheetSpan& band : page.bandsAcross)
        for (const double x : {band.from + pen / 2, band.to - pen / 2})
            p.drawLine(QPointF(x, margin), QPointF(x, sheetBottom));
    for (const SheetSpan& band : page.bandsDown)
        for (const double y : {band.from + pen / 2, band.to - pen / 2})
            p.drawLine(QPointF(margin, y), QPointF(sheetRight, y));
    p.restore();
}

void DrawLabel(QPainter& p, const SheetLabel& label, Qt::Alignment align, int dotsPerInch)
{
    p.save();
    p.setFont(SheetFontOf(SheetFont::kStringName, dotsPerInch));
    p.setPen(Qt::black);
    p.drawText(Rect(label.box), align, QString::fromStdString(label.text));
    p.restore();
}

} // namespace

SheetTextMeasure MeasureSheetText(const QPaintDevice* device, int dotsPerInch)
{
    return [device, dotsPerInch](SheetFont face, const std::string& utf8) -> std::pair<double, double> {
        const QFont font = SheetFontOf(face, dotsPerInch);
        // The texts beside the circles have always been measured as the screen measures them,
        // the legend's on the device; kept so that nothing on an existing sheet moves.
        const bool besideCircles = face == SheetFont::kWord || face == SheetFont::kChord ||
                                   face == SheetFont::kMeasureNumber;
        const QFontMetricsF metrics = besideCircles || !device ? QFontMetricsF(font) : QFontMetricsF(font, device);
        return {metrics.horizontalAdvance(QString::fromStdString(utf8)), metrics.height()};
    };
}

void DrawSheetPage(QPainter& p, const SheetPlan& plan, size_t index)
{
    const ScoreGeometry& score = plan.content.geometry;
    if (index >= plan.pages.size())
        return;
    const SheetPage& page = plan.pages[index];
    const int dpi = plan.dotsPerInch;
    const QRectF shown(page.across.from, page.down.from, page.across.to - page.across.from,
                       page.down.to - page.down.from);
    // A page other than the sheet's corner looks at its part of the sheet.
    const bool moved = page.cut || page.across.from != 0 || page.down.from != 0;
    if (moved) {
        p.save();
        if (page.cut)
            p.setClipRect(QRect(0, 0, page.across.to - page.across.from, page.down.to - page.down.from));
        p.translate(-page.across.from, -page.down.from);
    }
    ScoreStyle style = PaperStyle(score, plan.score, dpi);
    if (page.cut)
        style.textReach = style.scoreReach = shown;
    if (plan.scoreEnd < plan.score.bottom) // the strings stop after the last note
        style.scoreReach = (page.cut ? shown : QRectF(0, 0, plan.sheetWidth, plan.sheetHeight))
                               .intersected(QRectF(0, 0, plan.sheetWidth, plan.scoreEnd));
    // At scale the measure marks go under the circles: a circle on a measure's first beat stays whole.
    style.measuresUnder = plan.layout == SheetLayout::kAtScale;
    style.colourVoices = plan.colourVoices;
    // At scale a solid jump line between two strings reads as one more string; dashed it does not.
    if (plan.layout == SheetLayout::kAtScale)
        style.jumpDashes = JumpDashes();
    DrawScore(p, score, plan.words, style);
    if (page.legend)
        DrawLegend(p, plan);
    if (plan.layout == SheetLayout::kAtScale && (!page.bandsAcross.empty() || !page.bandsDown.empty()))
        DrawTileBands(p, plan, page);
    if (moved)
        p.restore();
    if (plan.layout == SheetLayout::kHalves && !page.bandsDown.empty())
        DrawHalvesBand(p, page, plan.pageWidth, dpi);
    if (!page.label.text.empty())
        DrawLabel(p, page.label,
                  plan.layout == SheetLayout::kHalves ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter,
                  dpi);
}
