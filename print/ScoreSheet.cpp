#include "print/ScoreSheet.h"

#include "print/PageDrawing.h"
#include "render/ScoreGeometry.h"
#include "song/ChordNaming.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <array>

namespace {

// Legend measures on paper, in millimetres.
constexpr double kNameMm = 2.5;       // string names
constexpr double kTitleMm = 5.0;      // the song's title
constexpr double kTextMm = 3.2;       // facts and circle captions
constexpr double kBelowScoreMm = 1.5; // from the ends of the string lines to their names
constexpr double kBlockGapMm = 4.0;   // between the names, the facts and the circle kinds
constexpr double kKeyGapMm = 8.0;     // between two circle kinds
constexpr double kMarkLineMm = 0.15;  // the halves' cut-and-glue lines
constexpr double kEdgeMm = 2.0;       // from the page's edge to the "1/2"
constexpr double kScaleBarHighMm = 1.5;  // the scale bar's thickness
constexpr double kScaleTextGapMm = 3.0;  // from the bar to its captions
// A split sheet's cut-and-glue lines: long dashes that stay visible at any viewer's zoom.
constexpr double kTileMarkMm = 0.2, kTileDashMm = 2.0, kTileGapMm = 1.0;

// The radii of a circle's outline path: the pen's outer edge is the circle's edge.
QPointF OutlineRadii(const MarkStyle& style, const Stretch& s, double pen)
{
    return {std::max(style.diameter * s.sx / 2 - pen / 2, pen / 2), std::max(style.diameter * s.sy / 2 - pen / 2, pen / 2)};
}

// A circle of the kind at the stretched size.
void DrawMark(QPainter& p, QPointF centre, NoteMark mark, const Stretch& s, double pen)
{
    const MarkStyle style = StyleOf(mark);
    const QPointF radii = OutlineRadii(style, s, pen);
    p.setPen(QPen(Qt::black, pen));
    p.setBrush(style.black ? Qt::black : Qt::white);
    p.drawEllipse(centre, radii.x(), radii.y());
}

// The part of the segment inside the area (Liang-Barsky); false when nothing is.
bool ClipSegment(const QRectF& area, QPointF& a, QPointF& b)
{
    double t0 = 0, t1 = 1;
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - area.left(), area.right() - a.x(), a.y() - area.top(), area.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    if (t0 > t1)
        return false;
    const QPointF from = a;
    a = from + t0 * QPointF(dx, dy);
    b = from + t1 * QPointF(dx, dy);
    return true;
}

// A circle the area's edge cuts: its fill and its outline, each cut to the area.
void DrawCutMark(QPainter& p, QPointF centre, NoteMark mark, const Stretch& s, double pen, const QRectF& area)
{
    const MarkStyle style = StyleOf(mark);
    const QPointF radii = OutlineRadii(style, s, pen);
    QPainterPath outline;
    outline.addEllipse(centre, radii.x(), radii.y());
    QPainterPath box;
    box.addRect(area);
    QPainterPathStroker stroker;
    stroker.setWidth(pen);
    p.setPen(Qt::NoPen);
    p.setBrush(style.black ? Qt::black : Qt::white);
    p.drawPath(outline.intersected(box));
    p.setBrush(Qt::black);
    p.drawPath(stroker.createStroke(outline).intersected(box));
}

double LinePen(const Stretch& s, int dotsPerInch)
{
    // The picture's one-pixel line, stretched, unless that falls below the thinnest line.
    return std::max(std::min(s.sx, s.sy), Dots(kMinLineMm, dotsPerInch));
}

} // namespace

void DrawScoreVector(QPainter& p, const ScoreGeometry& score, const DeviceRect& target, int dotsPerInch,
                     const QRectF* visible)
{
    const Stretch s(score, target);
    const double pen = LinePen(s, dotsPerInch);
    // What falls outside the picture is cut here rather than by the device, since not every
    // device clips (an SVG does not).
    const QRectF area(target.left, target.top, target.right - target.left, target.bottom - target.top);
    // A page of a split sheet gets only what it shows, lest every page carry the whole score.
    const QRectF shown = visible ? area.intersected(visible->adjusted(-pen, -pen, pen, pen)) : area;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);

    // Lines go to the device in one call per layer: a dense score has some 1500 of them.
    QVector<QLineF> lines;
    for (const int x : score.stringX) {
        if (x < 0 || x >= score.width)
            continue;
        const double at = s.Centre(x, 0).x();
        if (visible && (at < shown.left() || at > shown.right()))
            continue;
        lines.append(QLineF(at, shown.top(), at, shown.bottom()));
    }
    p.setPen(QPen(Qt::black, pen, Qt::SolidLine, Qt::FlatCap));
    p.drawLines(lines);
    lines.clear();
    // Each joining line ends under a circle, so flat ends meet unseen.
    for (size_t i = 1; i < score.notes.size(); ++i) {
        QPointF a = s.Centre(score.notes[i - 1].x, score.notes[i - 1].y);
        QPointF b = s.Centre(score.notes[i].x, score.notes[i].y);
        if (ClipSegment(shown, a, b))
            lines.append(QLineF(a, b));
    }
    p.drawLines(lines);

    // Circles in list order, so that a later one covers an earlier one as on the screen. A
    // black circle is all black, outline and fill, so a run of them is one filled shape.
    QPainterPath blackRun;
    blackRun.setFillRule(Qt::WindingFill);
    const auto flush = [&] {
        if (blackRun.isEmpty())
            return;
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawPath(blackRun);
        blackRun = QPainterPath();
        blackRun.setFillRule(Qt::WindingFill);
    };
    for (const PlacedNote& note : score.notes) {
        // The box's middle is the note's point; the circle sits on it, centred on the line.
        const QPointF centre = s.Centre((note.left + note.right) / 2, (note.top + note.bottom) / 2);
        const MarkStyle style = StyleOf(note.mark);
        const QRectF extent(centre.x() - style.diameter * s.sx / 2, centre.y() - style.diameter * s.sy / 2,
                            style.diameter * s.sx, style.diameter * s.sy);
        if (visible && !shown.intersects(extent))
            continue;
        if (area.contains(extent) && style.black) {
            blackRun.addEllipse(extent);
        } else if (area.contains(extent)) {
            flush();
            DrawMark(p, centre, note.mark, s, pen);
        } else if (area.intersects(extent)) {
            flush();
            DrawCutMark(p, centre, note.mark, s, pen, area);
        }
    }
    flush();
    p.restore();
}

namespace {

constexpr std::array<std::pair<NoteMark, const char*>, 4> kMarkCaptions = {{
    {NoteMark::kOneBeat, "1拍"},
    {NoteMark::kShorter, "2拍未満（1拍以外）"},
    {NoteMark::kFourBeats, "4拍"},
    {NoteMark::kOtherLong, "2拍以上（4拍以外）"},
}};

// Where each part of the legend goes, worked out before anything is drawn: the legend goes
// on paper whole or not at all.
struct LegendLayout {
    LegendLayout(const QPaintDevice* device, const ScoreGeometry& score, const DeviceRect& target, int dotsPerInch,
                 const SheetLegend& legend, double rightLimit)
        : s(score, target), dpi(dotsPerInch), nameFont(PageFont(kNameMm, dpi)),
          titleFont(PageFont(kTitleMm, dpi, true)), textFont(PageFont(kTextMm, dpi)),
          names(nameFont, device), title(titleFont, device), text(textFont, device)
    {
        // Names wider than the space between two lines go on two rows, every other one lower.
        double widest = 0;
        for (const int pitch : score.stringPitch) {
            stringNames.push_back(QString::fromStdString(NoteNameWithOctave(pitch)));
            widest = std::max(widest, names.horizontalAdvance(stringNames.back()));
        }
        const double spacing = score.stringX.size() > 1 ? (score.stringX[1] - score.stringX[0]) * s.sx : 2 * widest;
        nameRows = widest + Dots(0.5) > spacing ? 2 : 1;

        left = score.stringX.empty() ? target.left + Dots(kBlockGapMm) : s.Centre(score.stringX[0], 0).x();
        const double kindsEnd = rightLimit > 0 ? std::min<double>(rightLimit, target.right) : target.right;
        width = std::max(kindsEnd - left - Dots(kBlockGapMm), 1.0);
        largest = 12 * std::max(s.sx, s.sy);
        kindRow = std::max(largest, text.height());

        double y = target.bottom + Dots(kBelowScoreMm);
        namesTop = y;
        y += nameRows * names.height() + Dots(kBlockGapMm);
        factsTop = y;
        if (legend.hasSong)
            y += title.height() + text.height() + Dots(kBlockGapMm);
        double x = left;
        for (const auto& [mark, caption] : kMarkCaptions) {
            const double item = largest + Dots(1.5) + text.horizontalAdvance(QString::fromUtf8(caption));
            if (x > left && x + item > left + width) {
                x = left;
                y += kindRow;
            }
            kinds.push_back(QPointF(x, y));
            right = std::max(right, x + item);
            x += item + Dots(kKeyGapMm);
        }
        bottom = y + kindRow;
        if (legend.scaleBar) {
            barTop = bottom + Dots(kBlockGapMm);
            bottom = barTop + std::max(Dots(kScaleBarHighMm), text.height());
            right = std::max(right, left + Dots(kScaleBarMm) + Dots(kScaleTextGapMm) +
                                        text.horizontalAdvance(ScaleCaption()) + Dots(1));
        }
    }
    static QString ScaleCaption() { return QStringLiteral("100 mm　　100%で印刷"); }
    double Dots(double mm) const { return ::Dots(mm, dpi); }

    Stretch s;
    int dpi;
    QFont nameFont, titleFont, textFont;
    QFontMetricsF names, title, text;
    std::vector<QString> stringNames;
    int nameRows = 1;
    double left = 0, width = 0, largest = 0, kindRow = 0;
    double namesTop = 0, factsTop = 0, bottom = 0, right = 0;
    double barTop = -1; // none
    std::vector<QPointF> kinds; // top left of each circle kind
};

void DrawStringNames(QPainter& p, const ScoreGeometry& score, const LegendLayout& l)
{
    p.setFont(l.nameFont);
    for (size_t i = 0; i < l.stringNames.size(); ++i) {
        const double at = l.s.Centre(score.stringX[i], 0).x();
        const double w = l.names.horizontalAdvance(l.stringNames[i]) + l.Dots(1);
        const double top = l.namesTop + (l.nameRows == 2 && i % 2 == 1 ? l.names.height() : 0);
        p.drawText(QRectF(at - w / 2, top, w, l.names.height()), Qt::AlignHCenter | Qt::AlignTop, l.stringNames[i]);
    }
}

void DrawSongFacts(QPainter& p, const SheetLegend& legend, const LegendLayout& l)
{
    const QString facts = QStringLiteral("調 %1　　1小節 %2拍　　テンポ %3　　小節 %4〜%5")
                              .arg(legend.key)
                              .arg(legend.beatsPerMeasure)
                              .arg(legend.tempo)
                              .arg(legend.firstMeasure)
                              .arg(legend.lastMeasure) +
                          (legend.shown.isEmpty() ? QString() : QStringLiteral("　　表示 ") + legend.shown.join(u'・'));
    p.setFont(l.titleFont);
    p.drawText(QRectF(l.left, l.factsTop, l.width, l.title.height()), Qt::AlignLeft | Qt::AlignTop,
               l.title.elidedText(legend.title, Qt::ElideRight, l.width));
    p.setFont(l.textFont);
    p.drawText(QRectF(l.left, l.factsTop + l.title.height(), l.width, l.text.height()), Qt::AlignLeft | Qt::AlignTop,
               l.text.elidedText(facts, Qt::ElideRight, l.width));
}

void DrawMarkKinds(QPainter& p, const LegendLayout& l)
{
    const double pen = LinePen(l.s, l.dpi);
    for (size_t i = 0; i < kMarkCaptions.size(); ++i) {
        const QPointF at = l.kinds[i];
        DrawMark(p, at + QPointF(l.largest / 2, l.kindRow / 2), kMarkCaptions[i].first, l.s, pen);
        const QString caption = QString::fromUtf8(kMarkCaptions[i].second);
        p.setPen(Qt::black);
        p.setFont(l.textFont);
        p.drawText(QRectF(at.x() + l.largest + l.Dots(1.5), at.y(), l.text.horizontalAdvance(caption) + l.Dots(1),
                          l.kindRow),
                   Qt::AlignLeft | Qt::AlignVCenter, caption);
    }
}

// A bar of exactly the stated length: a print or a viewer that shrinks the page shows it short.
void DrawScaleBar(QPainter& p, const LegendLayout& l)
{
    const double row = l.bottom - l.barTop;
    const double high = l.Dots(kScaleBarHighMm);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRect(QRectF(l.left, l.barTop + (row - high) / 2, l.Dots(kScaleBarMm), high));
    const double textLeft = l.left + l.Dots(kScaleBarMm) + l.Dots(kScaleTextGapMm);
    p.setPen(Qt::black);
    p.setFont(l.textFont);
    p.drawText(QRectF(textLeft, l.barTop, l.text.horizontalAdvance(LegendLayout::ScaleCaption()) + l.Dots(1), row),
               Qt::AlignLeft | Qt::AlignVCenter, LegendLayout::ScaleCaption());
}

} // namespace

QRectF LegendBounds(const QPaintDevice* device, const ScoreGeometry& score, const DeviceRect& target, int dotsPerInch,
                    const SheetLegend& legend, double rightLimit)
{
    const LegendLayout l(device, score, target, dotsPerInch, legend, rightLimit);
    const double scoreRight = rightLimit > 0 ? std::min<double>(rightLimit, target.right) : target.right;
    return QRectF(QPointF(target.left, l.namesTop), QPointF(std::max(l.right, scoreRight), l.bottom));
}

bool DrawLegend(QPainter& p, const ScoreGeometry& score, const DeviceRect& target, int bandBottom, int dotsPerInch,
                const SheetLegend& legend, double rightLimit)
{
    const LegendLayout layout(p.device(), score, target, dotsPerInch, legend, rightLimit);
    if (layout.bottom > bandBottom)
        return false;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setPen(Qt::black);
    DrawStringNames(p, score, layout);
    if (legend.hasSong)
        DrawSongFacts(p, legend, layout);
    DrawMarkKinds(p, layout);
    if (layout.barTop >= 0)
        DrawScaleBar(p, layout);
    p.restore();
    return true;
}

void DrawHalfMarks(QPainter& p, int half, const SheetPages& pages, int pageWidth, int dotsPerInch)
{
    if (half < 0 || static_cast<size_t>(half) >= pages.pages.size() || pages.overlap.bottom <= pages.overlap.top)
        return;
    const double pageTop = pages.pages[static_cast<size_t>(half)].top;
    const double top = pages.overlap.top - pageTop, bottom = pages.overlap.bottom - pageTop;
    const double pen = Dots(kMarkLineMm, dotsPerInch);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(80, 80, 80), pen, Qt::DashLine, Qt::FlatCap));
    for (const double y : {top + pen / 2, bottom - pen / 2})
        p.drawLine(QPointF(0, y), QPointF(pageWidth, y));
    const QFont font = PageFont(kNameMm, dotsPerInch);
    p.setFont(font);
    p.setPen(Qt::black);
    const QString label = QStringLiteral("%1/2").arg(half + 1);
    const double w = QFontMetricsF(font, p.device()).horizontalAdvance(label) + Dots(1, dotsPerInch);
    p.drawText(QRectF(pageWidth - Dots(kEdgeMm, dotsPerInch) - w, top, w, bottom - top),
               Qt::AlignRight | Qt::AlignVCenter, label);
    p.restore();
}

void DrawTileMarks(QPainter& p, const SheetTiles& tiles, int column, int row, int dotsPerInch)
{
    const size_t c = static_cast<size_t>(column), r = static_cast<size_t>(row);
    if (c >= tiles.columns.size() || r >= tiles.rows.size())
        return;
    const double pen = Dots(kTileMarkMm, dotsPerInch);
    QPen dashes(Qt::black, pen, Qt::CustomDashLine, Qt::FlatCap);
    dashes.setDashPattern({kTileDashMm / kTileMarkMm, kTileGapMm / kTileMarkMm});
    // The lines stop at the sheet's margin, so no page's outer edge carries ink.
    const double margin = DotsFor(kSheetMarginMm, dotsPerInch);
    const double sheetRight = tiles.columns.back().to - margin, sheetBottom = tiles.rows.back().to - margin;
    // Each band runs from the next span's start to this span's end; its lines lie inside it.
    std::vector<std::pair<double, double>> across, down;
    for (size_t k = 1; k < tiles.columns.size(); ++k)
        if (k == c || k == c + 1)
            across.push_back({tiles.columns[k].from, tiles.columns[k - 1].to});
    for (size_t k = 1; k < tiles.rows.size(); ++k)
        if (k == r || k == r + 1)
            down.push_back({tiles.rows[k].from, tiles.rows[k - 1].to});
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(dashes);
    for (const auto& [from, to] : across)
        for (const double x : {from + pen / 2, to - pen / 2})
            p.drawLine(QPointF(x, margin), QPointF(x, sheetBottom));
    for (const auto& [from, to] : down)
        for (const double y : {from + pen / 2, to - pen / 2})
            p.drawLine(QPointF(margin, y), QPointF(sheetRight, y));
    p.restore();
}

void DrawTileLabel(QPainter& p, const SheetTiles& tiles, int column, int row, int dotsPerInch)
{
    const size_t c = static_cast<size_t>(column), r = static_cast<size_t>(row);
    if (c >= tiles.columns.size() || r >= tiles.rows.size())
        return;
    const int page = row * static_cast<int>(tiles.columns.size()) + column + 1;
    const QString label = QStringLiteral("%1/%2 (列%3・行%4)　点線の間を隣のページと重ねて貼る")
                              .arg(page)
                              .arg(tiles.Count())
                              .arg(column + 1)
                              .arg(row + 1);
    const double top = tiles.rows[r].to - tiles.rows[r].from;
    const QFont font = PageFont(kNameMm, dotsPerInch);
    p.save();
    p.setFont(font);
    p.setPen(Qt::black);
    const double edge = Dots(kEdgeMm, dotsPerInch);
    // The whole printable width: a narrow last column must not cut its own label.
    p.drawText(QRectF(edge, top, std::max(p.device()->width() - 2 * edge, 1.0), Dots(kPageLabelMm, dotsPerInch)),
               Qt::AlignLeft | Qt::AlignVCenter, label);
    p.restore();
}
