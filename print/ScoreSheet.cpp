#include "print/ScoreSheet.h"

#include "print/PageDrawing.h"
#include "print/SheetWords.h"
#include "render/ScoreGeometry.h"
#include "render/ScoreDrawing.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <array>

namespace {

double LinePen(const Stretch& s, int dotsPerInch)
{
    // The picture's one-pixel line, stretched, unless that falls below the thinnest line.
    return std::max(std::min(s.sx, s.sy), Dots(kMinLineMm, dotsPerInch));
}

} // namespace

ScoreStyle PaperStyle(const ScoreGeometry& score, const DeviceRect& target, int dotsPerInch)
{
    ScoreStyle style;
    style.device = ScoreDevice::kVector;
    style.target = target;
    style.linePen = LinePen(Stretch(score, target), dotsPerInch);
    style.jumpPen = Dots(kJumpLineMm, dotsPerInch);
    style.measurePen = Dots(kMeasureLineMm, dotsPerInch);
    style.signPen = Dots(kSignLineMm, dotsPerInch);
    style.font = [dotsPerInch](TextKind kind) { return SheetFontOf(SheetFontOfText(kind), dotsPerInch); };
    return style;
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
        DrawCircleMark(p, QPointF(kind.centreX, kind.centreY), kind.mark, s, pen);
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
