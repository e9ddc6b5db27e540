#include "print/SheetWords.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <map>

namespace {

// Text heights on paper, in millimetres: syllables small enough to sit in a string's gap.
constexpr double kWordMm = 2.8;
constexpr double kChordMm = 3.0;
constexpr double kNumberMm = 2.4;
constexpr double kMeasureLineMm = 0.2;
// Light enough that the circles and their lines stay what the eye follows.
constexpr int kMeasureGrey = 170;

double Dots(double millimetres, int dotsPerInch)
{
    return millimetres / 25.4 * dotsPerInch;
}

QFont SheetFont(double millimetres, int dotsPerInch, bool bold = false)
{
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(std::max(1, static_cast<int>(Dots(millimetres, dotsPerInch) + 0.5)));
    font.setBold(bold);
    return font;
}

// Picture pixels to device pixels, the way the traced score is stretched into its rectangle.
struct PictureToDevice {
    PictureToDevice(const ScoreGeometry& g, const DeviceRect& r)
        : left(r.left), top(r.top), sx(g.width > 0 ? double(r.right - r.left) / g.width : 1.0),
          sy(g.height > 0 ? double(r.bottom - r.top) / g.height : 1.0)
    {
    }
    QRectF Box(const TextBox& b) const
    {
        return QRectF(QPointF(left + b.left * sx, top + b.top * sy), QPointF(left + b.right * sx, top + b.bottom * sy));
    }
    double X(double x) const { return left + (x + 0.5) * sx; }
    double Y(double y) const { return top + (y + 0.5) * sy; }
    double left, top, sx, sy;
};

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
    return names;
}

ScoreWords PlaceSheetWords(const ScoreGeometry& score, const ScoreLayout& layout, const WordChoices& choices,
                           const DeviceRect& target, int dotsPerInch)
{
    const PictureToDevice map(score, target);
    const QFontMetricsF word(SheetFont(kWordMm, dotsPerInch)), chord(SheetFont(kChordMm, dotsPerInch, true)),
        number(SheetFont(kNumberMm, dotsPerInch));
    // Measured once per distinct text: a song repeats its syllables and chords.
    std::map<std::pair<TextKind, std::string>, std::pair<double, double>> measured;
    const TextExtent extent = [&](TextKind kind, const std::string& utf8) -> std::pair<double, double> {
        auto [it, added] = measured.try_emplace({kind, utf8});
        if (added) {
            const QFontMetricsF& m = kind == TextKind::kChord ? chord : kind == TextKind::kMeasureNumber ? number : word;
            it->second = {m.horizontalAdvance(QString::fromStdString(utf8)) / map.sx, m.height() / map.sy};
        }
        return it->second;
    };
    ScoreWords placed = PlaceScoreWords(score, layout, choices, extent);
    return placed;
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

void DrawSheetWords(QPainter& p, const ScoreGeometry& score, const ScoreWords& words, const DeviceRect& target,
                    int dotsPerInch)
{
    const PictureToDevice map(score, target);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    if (!words.measures.empty() && !score.stringX.empty()) {
        p.setPen(QPen(QColor(kMeasureGrey, kMeasureGrey, kMeasureGrey), Dots(kMeasureLineMm, dotsPerInch)));
        const double from = map.X(score.stringX.front()), to = map.X(score.stringX.back());
        for (const PlacedMeasure& m : words.measures)
            p.drawLine(QPointF(from, map.Y(m.y)), QPointF(to, map.Y(m.y)));
        p.setPen(Qt::black);
        p.setFont(SheetFont(kNumberMm, dotsPerInch));
        for (const PlacedMeasure& m : words.measures)
            p.drawText(map.Box(m.numberBox), Qt::AlignRight | Qt::AlignVCenter, QString::number(m.number));
    }
    p.setPen(Qt::black);
    ShapedTexts chords(SheetFont(kChordMm, dotsPerInch, true));
    for (const PlacedText& c : words.chords)
        chords.Draw(p, QString::fromStdString(c.text), map.Box(c.box));
    ShapedTexts syllables(SheetFont(kWordMm, dotsPerInch));
    for (const PlacedText& w : words.words)
        syllables.Draw(p, QString::fromStdString(w.text), map.Box(w.box));
    p.restore();
}
