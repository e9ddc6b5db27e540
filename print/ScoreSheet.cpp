#include "print/ScoreSheet.h"

#include "print/PageDrawing.h"
#include "print/SheetWords.h"
#include "render/ScoreGeometry.h"
#include "render/WayMarks.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <array>

namespace {

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

// A jump line on paper, as players draw them: half a millimetre, its arrowhead filled.
constexpr double kJumpLineMm = 0.5;

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
    DrawJumpLines(
        p, score, [&](double x, double y) { return s.Centre(x, y); }, Dots(kJumpLineMm, dotsPerInch),
        [&](QPointF& a, QPointF& b) { return ClipSegment(shown, a, b); });
    p.restore();
}

namespace {

// The song's facts, and what the switches show ("" when nothing).
std::pair<QString, QString> FactsLines(const SheetLegend& legend, const SheetPlan& plan)
{
    const QStringList names = ShownOnSheet(plan.shown);
    // A sheet at scale says which measures it holds, numbered as the score numbers them.
    const bool own = plan.layout == SheetLayout::kAtScale && plan.measures.last >= plan.measures.first &&
                     plan.measures.first > 0;
    const int first = own ? plan.measures.first : legend.firstMeasure;
    const int last = own ? plan.measures.last : legend.lastMeasure;
    const bool partial = legend.songMeasures > 0 && (legend.firstMeasure > 1 || legend.lastMeasure < legend.songMeasures);
    QString facts = QStringLiteral("調 %1　　1小節 %2拍　　テンポ %3　　小節 %4〜%5")
                        .arg(legend.key)
                        .arg(legend.beatsPerMeasure)
                        .arg(legend.tempo)
                        .arg(first)
                        .arg(last);
    if (partial)
        facts += QStringLiteral("／全%1小節").arg(legend.songMeasures - (own && legend.pickup ? 1 : 0));
    if (plan.sheetCount > 1)
        facts = QStringLiteral("%1/%2枚　").arg(plan.sheetNumber).arg(plan.sheetCount) + facts;
    QStringList second;
    if (!legend.repeatsNotice.isEmpty())
        second << legend.repeatsNotice; // first, so that a narrow sheet cuts the switches instead
    if (!names.isEmpty())
        second << QStringLiteral("表示 ") + names.join(u'・');
    return {facts, second.join(QStringLiteral("　　"))};
}

void DrawSongFacts(QPainter& p, const SheetLegend& legend, const SheetPlan& plan, int dpi)
{
    const LegendPlace& l = plan.legend;
    const auto [facts, shown] = FactsLines(legend, plan);
    const QFont titleFont = SheetFontOf(SheetFont::kTitle, dpi), textFont = SheetFontOf(SheetFont::kText, dpi);
    const QFontMetricsF title(titleFont, p.device()), text(textFont, p.device());
    // Who wrote it stands at the title's right on the sheet at scale; the title gives way.
    QStringList by;
    if (plan.layout == SheetLayout::kAtScale && !legend.composer.isEmpty())
        by << QStringLiteral("作曲 ") + legend.composer;
    if (plan.layout == SheetLayout::kAtScale && !legend.lyricist.isEmpty())
        by << QStringLiteral("作詞 ") + legend.lyricist;
    double titleWidth = l.title.width;
    if (!by.isEmpty()) {
        const QString credit = text.elidedText(by.join(QStringLiteral("　")), Qt::ElideRight, l.title.width / 2);
        p.setFont(textFont);
        p.drawText(Rect(l.title), Qt::AlignRight | Qt::AlignBottom, credit);
        titleWidth -= text.horizontalAdvance(credit) + text.height();
    }
    p.setFont(titleFont);
    p.drawText(Rect(l.title), Qt::AlignLeft | Qt::AlignTop, title.elidedText(legend.title, Qt::ElideRight, titleWidth));
    p.setFont(textFont);
    if (l.facts.height >= 2 * text.height() - 1) { // what the switches show on a line of its own
        QRectF line = Rect(l.facts);
        line.setHeight(text.height());
        p.drawText(line, Qt::AlignLeft | Qt::AlignTop, text.elidedText(facts, Qt::ElideRight, l.facts.width));
        line.translate(0, text.height());
        p.drawText(line, Qt::AlignLeft | Qt::AlignTop, text.elidedText(shown, Qt::ElideRight, l.facts.width));
    } else {
        const QString both = shown.isEmpty() ? facts : facts + QStringLiteral("　　") + shown;
        p.drawText(Rect(l.facts), Qt::AlignLeft | Qt::AlignTop, text.elidedText(both, Qt::ElideRight, l.facts.width));
    }
}

} // namespace

void DrawLegend(QPainter& p, const SheetPlan& plan, const ScoreGeometry& score, const SheetLegend& legend)
{
    const LegendPlace& l = plan.legend;
    const int dpi = plan.dotsPerInch;
    const Stretch s(score, plan.score);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    if (l.onWhite) // the strings and measure marks under it give way
        p.fillRect(Rect(l.bounds), Qt::white);
    p.setPen(Qt::black);
    p.setFont(SheetFontOf(SheetFont::kStringName, dpi));
    for (const SheetLabel& name : l.stringNames)
        p.drawText(Rect(name.box), Qt::AlignHCenter | Qt::AlignTop, QString::fromStdString(name.text));
    if (l.songFacts)
        DrawSongFacts(p, legend, plan, dpi);
    const double pen = LinePen(s, dpi);
    const QFont textFont = SheetFontOf(SheetFont::kText, dpi);
    for (const LegendPlace::Kind& kind : l.kinds) {
        DrawMark(p, QPointF(kind.centreX, kind.centreY), kind.mark, s, pen);
        p.setPen(Qt::black);
        p.setFont(textFont);
        p.drawText(Rect(kind.caption.box), Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(kind.caption.text));
    }
    if (!l.verses.empty()) {
        p.setPen(Qt::black);
        p.setFont(textFont);
        const QFontMetricsF verseMetrics(textFont, p.device());
        for (const SheetLabel& line : l.verses)
            p.drawText(Rect(line.box), Qt::AlignLeft | Qt::AlignVCenter,
                       verseMetrics.elidedText(QString::fromStdString(line.text), Qt::ElideRight, line.box.width));
    }
    if (l.scaleBar) {
        // A bar of exactly the stated length: a print or a viewer that shrinks the page shows it short.
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawRect(Rect(l.bar));
        p.setPen(Qt::black);
        p.setFont(textFont);
        p.drawText(Rect(l.barCaption.box), Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(l.barCaption.text));
    }
    p.restore();
}
