#include "print/ScoreSheet.h"

#include "print/PageDrawing.h"
#include "render/ScoreGeometry.h"
#include "render/ScoreDrawing.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cmath>

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

// The facts and what the switches show, each on its line where it fits there, else item by item
// over as many lines as the box holds, the last of them cut short if even that is too little.
std::vector<QString> FactsLines(const LegendPlace& l, const QFontMetricsF& text)
{
    const QString gap = QString::fromStdString(l.textGap);
    const auto joined = [&](const std::vector<std::string>& items) {
        QStringList texts;
        for (const std::string& item : items)
            texts << QString::fromStdString(item);
        return texts.join(gap);
    };
    const QString facts = joined(l.factsItems), shown = joined(l.shownItems);
    const double width = l.facts.width;
    const auto fits = [&](const QString& t) { return text.horizontalAdvance(t) <= width; };
    if (l.shownOnItsOwnLine && fits(facts) && fits(shown))
        return {facts, shown};
    const QString both = shown.isEmpty() ? facts : facts + gap + shown;
    const int rows = std::max(1, static_cast<int>(std::lround(l.facts.height / text.height())));
    if (fits(both) || rows == 1)
        return {both};
    std::vector<QString> lines;
    for (const std::vector<std::string>* items : {&l.factsItems, &l.shownItems})
        for (const std::string& item : *items) {
            const QString next = QString::fromStdString(item);
            if (!lines.empty() && fits(lines.back() + gap + next))
                lines.back() += gap + next;
            else
                lines.push_back(next);
        }
    while (lines.size() > static_cast<size_t>(rows)) {
        lines[lines.size() - 2] += gap + lines.back();
        lines.pop_back();
    }
    return lines;
}

void DrawSongFacts(QPainter& p, const SheetPlan& plan, int dpi)
{
    const LegendPlace& l = plan.legend;
    const QFont titleFont = SheetFontOf(SheetFont::kTitle, dpi), textFont = SheetFontOf(SheetFont::kText, dpi);
    const QFontMetricsF title(titleFont, p.device()), text(textFont, p.device());
    // The title gives way to who wrote it.
    double titleWidth = l.title.width;
    if (!l.creditText.empty()) {
        const QString credit = text.elidedText(QString::fromStdString(l.creditText), Qt::ElideRight, l.title.width / 2);
        p.setFont(textFont);
        p.drawText(Rect(l.title), Qt::AlignRight | Qt::AlignBottom, credit);
        titleWidth -= text.horizontalAdvance(credit) + text.height();
    }
    p.setFont(titleFont);
    p.drawText(Rect(l.title), Qt::AlignLeft | Qt::AlignTop,
               title.elidedText(QString::fromStdString(l.titleText), Qt::ElideRight, titleWidth));
    p.setFont(textFont);
    QRectF line = Rect(l.facts);
    line.setHeight(text.height());
    for (const QString& shown : FactsLines(l, text)) {
        p.drawText(line, Qt::AlignLeft | Qt::AlignTop, text.elidedText(shown, Qt::ElideRight, l.facts.width));
        line.translate(0, text.height());
    }
}

// A key to the voices: its sample drawn as the score draws it, then its caption.
void DrawKey(QPainter& p, const LegendPlace::Key& key, const Stretch& s, double pen, bool colour, bool faint,
             const QFont& font)
{
    const QColor ink = faint ? QColor(kFaintGrey, kFaintGrey, kFaintGrey) : colour ? VoiceColour(key.role) : QColor(Qt::black);
    const double inset = StyleOf(NoteMark::kShorter).diameter * s.sx / 2;
    const QPointF from(key.left + inset, key.centreY), to(key.left + key.width - inset, key.centreY);
    using Sample = LegendPlace::KeySample;
    if (key.sample == Sample::kShared) {
        const QPointF centre((from.x() + to.x()) / 2, key.centreY);
        DrawCircleMark(p, centre, NoteMark::kShorter, s, pen);
        DrawSharedRing(p, centre, NoteMark::kShorter, s, pen);
    } else {
        if (key.sample == Sample::kSynch)
            p.setPen(SynchPen(pen, colour));
        else
            p.setPen(VoiceFlowPen(key.role, pen, ink));
        if (key.sample == Sample::kSynch || FlowOf(key.role) != VoiceFlow::kNone)
            p.drawLine(from, to);
        DrawCircleMark(p, from, NoteMark::kShorter, s, pen, ink);
        DrawCircleMark(p, to, NoteMark::kShorter, s, pen,
                       key.sample == Sample::kSynch && colour ? VoiceColour(VoiceRole::kSecond) : ink);
    }
    p.setPen(Qt::black);
    p.setFont(font);
    const QFontMetricsF metrics(font, p.device());
    const QString caption = QString::fromStdString(key.caption.text);
    if (key.lines > 1) {
        // Its first line beside the sample, as a one-line caption stands.
        QRectF box = Rect(key.caption.box);
        box.setTop(box.top() + (key.caption.box.height / key.lines - metrics.height()) / 2);
        p.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, caption);
    } else {
        p.drawText(Rect(key.caption.box), Qt::AlignLeft | Qt::AlignVCenter,
                   metrics.elidedText(caption, Qt::ElideRight, key.caption.box.width));
    }
}

} // namespace

void DrawLegend(QPainter& p, const SheetPlan& plan)
{
    const ScoreGeometry& score = plan.content.geometry;
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
        DrawSongFacts(p, plan, dpi);
    const double pen = LinePen(s, dpi);
    const QFont textFont = SheetFontOf(SheetFont::kText, dpi);
    for (const LegendPlace::Kind& kind : l.kinds) {
        DrawCircleMark(p, QPointF(kind.centreX, kind.centreY), kind.mark, s, pen);
        p.setPen(Qt::black);
        p.setFont(textFont);
        p.drawText(Rect(kind.caption.box), Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(kind.caption.text));
    }
    for (const LegendPlace::Key& key : l.keys)
        // A player's sheet keys the others' voices as it draws them.
        DrawKey(p, key, s, pen, plan.colourVoices,
                plan.player && plan.player->others == OthersDrawn::kFaint && key.sample == LegendPlace::KeySample::kVoice &&
                    key.role != plan.player->role,
                textFont);
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
