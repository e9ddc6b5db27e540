#include "print/SheetWords.h"

#include "print/PageDrawing.h"

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
    return names;
}

ScoreWords PlaceSheetWords(const ScoreGeometry& score, const ScoreLayout& layout, const WordChoices& choices,
                           const DeviceRect& target, int dotsPerInch)
{
    const Stretch map(score, target);
    const QFontMetricsF word(PageFont(kWordMm, dotsPerInch)), chord(PageFont(kChordMm, dotsPerInch, true)),
        number(PageFont(kNumberMm, dotsPerInch));
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
    return PlaceScoreWords(score, layout, choices, extent);
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
    const Stretch map(score, target);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    if (!words.measures.empty() && !score.stringX.empty()) {
        p.setPen(QPen(QColor(kMeasureGrey, kMeasureGrey, kMeasureGrey), Dots(kMeasureLineMm, dotsPerInch)));
        for (const PlacedMeasure& m : words.measures)
            p.drawLine(map.Centre(score.stringX.front(), m.y), map.Centre(score.stringX.back(), m.y));
        p.setPen(Qt::black);
        p.setFont(PageFont(kNumberMm, dotsPerInch));
        for (const PlacedMeasure& m : words.measures)
            p.drawText(Box(map, m.numberBox), Qt::AlignRight | Qt::AlignVCenter, QString::number(m.number));
    }
    p.setPen(Qt::black);
    ShapedTexts chords(PageFont(kChordMm, dotsPerInch, true));
    for (const PlacedText& c : words.chords)
        chords.Draw(p, QString::fromStdString(c.text), Box(map, c.box));
    ShapedTexts syllables(PageFont(kWordMm, dotsPerInch));
    for (const PlacedText& w : words.words)
        syllables.Draw(p, QString::fromStdString(w.text), Box(map, w.box));
    p.restore();
}
