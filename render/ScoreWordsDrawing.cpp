#include "render/ScoreWordsDrawing.h"

#include "controls/COffScreenPicture.h"
#include "render/WayMarks.h"

#include <QGlyphRun>
#include <QHash>
#include <QPainter>
#include <QTextLayout>

namespace {

// Light enough that the circles and their lines stay what the eye follows.
constexpr int kMeasureGrey = 170;
constexpr int kCountGrey = 110;

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

QRectF Box(const Stretch& map, const TextBox& b)
{
    return map.Box(b.left, b.top, b.right, b.bottom);
}

template <class Reaches>
void DrawPlayingMarks(QPainter& p, const Stretch& map, const ScoreWords& words, const ScoreStyle& style,
                      const Reaches& reaches)
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
    ShapedTexts small(style.font(TextKind::kCount));
    for (const PlacedRest& r : words.rests)
        if (const QRectF box = Box(map, r.label); !r.beats.empty() && reaches(box))
            small.Draw(p, QString::fromStdString(r.beats), box);
    p.setPen(QColor(kCountGrey, kCountGrey, kCountGrey));
    for (const PlacedText& c : words.counts)
        if (const QRectF box = Box(map, c.box); reaches(box))
            small.Draw(p, QString::fromStdString(c.text), box);
}

// The way through: endings' numbers and the words of the jumps as text, the segno and coda as
// their figures. The bitmap writes them as the screen always has, paper with shaped glyphs.
template <class Reaches>
void DrawSigns(QPainter& p, const Stretch& map, const ScoreWords& words, const ScoreStyle& style, const Reaches& reaches)
{
    const QFont font = style.font(TextKind::kSign);
    ShapedTexts texts(font);
    if (style.device == ScoreDevice::kBitmap)
        p.setFont(font);
    p.setPen(Qt::black);
    for (const PlacedSign& sign : words.signs) {
        const QRectF box = Box(map, sign.box);
        if (!reaches(box) || DrawSignFigure(p, sign.kind, box, style.signPen, font))
            continue;
        // A turned text is written level in the box turned back about its centre.
        const QRectF level = sign.turned ? QRectF(-box.height() / 2, -box.width() / 2, box.height(), box.width()) : box;
        if (sign.turned) {
            p.save();
            p.translate(box.center());
            p.rotate(90);
        }
        if (style.device == ScoreDevice::kBitmap)
            p.drawText(level, Qt::AlignCenter, QString::fromStdString(sign.text));
        else
            texts.Draw(p, QString::fromStdString(sign.text), level);
        if (sign.turned)
            p.restore();
    }
}

// The measure marks with the painter's state as it is.
void MeasureLines(QPainter& p, const Stretch& map, const ScoreGeometry& score, const ScoreWords& words,
                  const ScoreStyle& style)
{
    const double pen = style.measurePen;
    const std::optional<QRectF>& visible = style.textReach;
    p.setPen(QPen(QColor(kMeasureGrey, kMeasureGrey, kMeasureGrey), pen));
    for (const PlacedMeasure& m : words.measures) {
        const QPointF from = map.Centre(score.stringX.front(), m.y), to = map.Centre(score.stringX.back(), m.y);
        if (!visible || visible->intersects(QRectF(from, to).adjusted(-pen, -pen, pen, pen)))
            p.drawLine(from, to);
    }
}

} // namespace

void DrawMeasuresUnder(QPainter& p, const ScoreGeometry& score, const ScoreWords& words, const ScoreStyle& style)
{
    if (words.measures.empty() || score.stringX.empty())
        return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    MeasureLines(p, Stretch(score, style.target), score, words, style);
    p.restore();
}

void DrawWords(QPainter& p, const ScoreGeometry& score, const ScoreWords& words, const ScoreStyle& style)
{
    const Stretch map(score, style.target);
    const std::optional<QRectF>& visible = style.textReach;
    // A text's glyphs may stand a little beyond its box; a page takes what comes that near.
    const auto reaches = [&](const QRectF& box) {
        return !visible || visible->intersects(box.adjusted(-box.height(), -box.height(), box.height(), box.height()));
    };
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    if (!words.measures.empty() && !score.stringX.empty()) {
        if (!style.measuresUnder)
            MeasureLines(p, map, score, words, style);
        p.setPen(Qt::black);
        p.setFont(style.font(TextKind::kMeasureNumber));
        for (const PlacedMeasure& m : words.measures)
            if (const QRectF box = Box(map, m.numberBox); m.numbered && reaches(box))
                p.drawText(box, Qt::AlignRight | Qt::AlignVCenter, QString::number(m.number));
    }
    // Dots and rest marks in the circles' black; the counts lighter than anything a player reads first.
    if (!words.dots.empty() || !words.rests.empty() || !words.counts.empty())
        DrawPlayingMarks(p, map, words, style, reaches);
    p.setPen(Qt::black);
    ShapedTexts chords(style.font(TextKind::kChord));
    for (const PlacedText& c : words.chords)
        if (const QRectF box = Box(map, c.box); reaches(box))
            chords.Draw(p, QString::fromStdString(c.text), box);
    ShapedTexts syllables(style.font(TextKind::kWord));
    for (const PlacedText& w : words.words)
        if (const QRectF box = Box(map, w.box); reaches(box))
            syllables.Draw(p, QString::fromStdString(w.text), box);
    DrawSigns(p, map, words, style, reaches);
    p.restore();
}

void DrawBitmapMeasures(QPainter& p, const ScoreGeometry& score, const ScoreWords& words, const ScoreStyle& style,
                        bool numbers)
{
    if (words.measures.empty() || score.stringX.empty())
        return;
    p.save();
    COffScreenPicture::PreparePainter(p);
    const Stretch map(score, style.target);
    if (!numbers) {
        MeasureLines(p, map, score, words, style);
    } else {
        p.setPen(Qt::black);
        p.setFont(style.font(TextKind::kMeasureNumber));
        for (const PlacedMeasure& m : words.measures)
            if (m.numbered)
                p.drawText(Box(map, m.numberBox), Qt::AlignRight | Qt::AlignVCenter, QString::number(m.number));
    }
    p.restore();
}

void DrawBitmapSigns(QPainter& p, const ScoreGeometry& score, const ScoreWords& words, const ScoreStyle& style)
{
    if (words.signs.empty())
        return;
    COffScreenPicture::PreparePainter(p);
    DrawSigns(p, Stretch(score, style.target), words, style, [](const QRectF&) { return true; });
}
