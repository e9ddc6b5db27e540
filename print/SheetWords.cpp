#include "print/SheetWords.h"

#include "print/PageDrawing.h"
#include "render/WayMarks.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>

namespace {

constexpr double kMeasureLineMm = 0.2;
constexpr double kSignLineMm = 0.3; // the segno's slash and the coda's circle
// Light enough that the circles and their lines stay what the eye follows.
constexpr int kMeasureGrey = 170;
constexpr int kCountGrey = 110;

QRectF Box(const Stretch& map, const TextBox& b)
{
    return map.Box(b.left, b.top, b.right, b.bottom);
}

} // namespace

QStringList ShownOnSheet(const WordChoices& choices)
{
    QStringList names;
    if (choices.words)
        names << QStringLiteral("歌詞");
    if (choices.chords)
        names << QStringLiteral("コード");
    if (choices.measures)
        names << QStringLiteral("小節番号");
    if (choices.counts)
        names << QStringLiteral("カウント");
    return names;
}

namespace {

// Each distinct text shaped once: a song repeats its syllables and chord names, and shaping is
// most of what a text costs on a page.
class ShapedTexts {
public:
    explicit ShapedTexts(const QFont& font) : font(font) {}

    // Draws the text centred in the box.
    void Draw(QPainter& p, const QString& text, const QRectF& box)
    {
        auto it = shaped.find(text);
        if (it == shaped.end()) {
            QTextLayout layout(text, font);
            layout.beginLayout();
            QTextLine line = layout.createLine();
            layout.endLayout();
            it = shaped.insert(text, Shaped{layout.glyphRuns(), QSizeF(line.naturalTextWidth(), line.height())});
        }
        const QPointF origin(box.center().x() - it->size.width() / 2, box.center().y() - it->size.height() / 2);
        for (const QGlyphRun& run : it->runs)
            p.drawGlyphRun(origin, run);
    }

private:
    struct Shaped {
        QList<QGlyphRun> runs;
        QSizeF size;
    };
    QFont font;
    QHash<QString, Shaped> shaped;
};

} // namespace

namespace {

template <class Reaches>
void DrawPlayingMarks(QPainter& p, const Stretch& map, const ScoreWords& words, int dotsPerInch, const Reaches& reaches)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    for (const PlacedDot& d : words.dots)
        if (const QRectF box = Box(map, {d.x - d.radius, d.y - d.radius, d.x + d.radius, d.y + d.radius}); reaches(box))
            p.drawEllipse(box);
    for (const PlacedRest& r : words.rests)
        if (const QRectF box = Box(map, r.mark); reaches(box))
            p.drawRect(box);
    p.setBrush(Qt::NoBrush);
    p.setPen(Qt::black);
    ShapedTexts small(SheetFontOf(SheetFont::kCount, dotsPerInch));
    for (const PlacedRest& r : words.rests)
        if (const QRectF box = Box(map, r.label); !r.beats.empty() && reaches(box))
            small.Draw(p, QString::fromStdString(r.beats), box);
    p.setPen(QColor(kCountGrey, kCountGrey, kCountGrey));
    for (const PlacedText& c : words.counts)
        if (const QRectF box = Box(map, c.box); reaches(box))
            small.Draw(p, QString::fromStdString(c.text), box);
}

} // namespace

namespace {

// The way through: endings' numbers and the words of the jumps as text, the segno and coda as
// their figures.
template <class Reaches>
void DrawSigns(QPainter& p, const Stretch& map, const ScoreWords& words, int dotsPerInch, const Reaches& reaches)
{
    const QFont font = SheetFontOf(SheetFont::kSign, dotsPerInch);
    ShapedTexts texts(font);
    p.setPen(Qt::black);
    for (const PlacedSign& sign : words.signs)
        if (const QRectF box = Box(map, sign.box);
            reaches(box) && !DrawSignFigure(p, sign.kind, box, Dots(kSignLineMm, dotsPerInch), font))
            texts.Draw(p, QString::fromStdString(sign.text), box);
}

// The marks with the painter's state as it is.
void MeasureLines(QPainter& p, const Stretch& map, const ScoreGeometry& score, const ScoreWords& words,
                  int dotsPerInch, const QRectF* visible)
{
    const double pen = Dots(kMeasureLineMm, dotsPerInch);
    p.setPen(QPen(QColor(kMeasureGrey, kMeasureGrey, kMeasureGrey), pen));
    for (const PlacedMeasure& m : words.measures) {
        const QPointF from = map.Centre(score.stringX.front(), m.y), to = map.Centre(score.stringX.back(), m.y);
        if (!visible || visible->intersects(QRectF(from, to).adjusted(-pen, -pen, pen, pen)))
            p.drawLine(from, to);
    }
}

} // namespace

void DrawMeasureMarks(QPainter& p, const ScoreGeometry& score, const ScoreWords& words, const DeviceRect& target,
                      int dotsPerInch, const QRectF* visible)
{
    if (words.measures.empty() || score.stringX.empty())
        return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    MeasureLines(p, Stretch(score, target), score, words, dotsPerInch, visible);
    p.restore();
}

void DrawSheetWords(QPainter& p, const ScoreGeometry& score, const ScoreWords& words, const DeviceRect& target,
                    int dotsPerInch, const QRectF* visible, bool marks)
{
    const Stretch map(score, target);
    // A text's glyphs may stand a little beyond its box; a page takes what comes that near.
    const auto reaches = [&](const QRectF& box) {
        return !visible || visible->intersects(box.adjusted(-box.height(), -box.height(), box.height(), box.height()));
    };
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    if (!words.measures.empty() && !score.stringX.empty()) {
        if (marks)
            MeasureLines(p, map, score, words, dotsPerInch, visible);
        p.setPen(Qt::black);
        p.setFont(SheetFontOf(SheetFont::kMeasureNumber, dotsPerInch));
        for (const PlacedMeasure& m : words.measures)
            if (const QRectF box = Box(map, m.numberBox); m.numbered && reaches(box))
                p.drawText(box, Qt::AlignRight | Qt::AlignVCenter, QString::number(m.number));
    }
    // Dots and rest marks in the circles' black; the counts lighter than anything a player reads first.
    if (!words.dots.empty() || !words.rests.empty() || !words.counts.empty())
        DrawPlayingMarks(p, map, words, dotsPerInch, reaches);
    p.setPen(Qt::black);
    ShapedTexts chords(SheetFontOf(SheetFont::kChord, dotsPerInch));
    for (const PlacedText& c : words.chords)
        if (const QRectF box = Box(map, c.box); reaches(box))
            chords.Draw(p, QString::fromStdString(c.text), box);
    ShapedTexts syllables(SheetFontOf(SheetFont::kWord, dotsPerInch));
    for (const PlacedText& w : words.words)
        if (const QRectF box = Box(map, w.box); reaches(box))
            syllables.Draw(p, QString::fromStdString(w.text), box);
    DrawSigns(p, map, words, dotsPerInch, reaches);
    p.restore();
}
