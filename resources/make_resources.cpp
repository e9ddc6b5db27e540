// Draws the program's own bitmaps: the two 88 x 30 pill buttons (167 pressed, 168 normal)
// and the harp icon (128, drawn at 128 px, and drawn at each size the desktop's icon theme
// asks for: icon-SIZE.png). Usage: make-resources OUTPUT_FOLDER

#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace {

const QColor kBackground(194, 194, 200); // the main window's background

struct PillColours {
    QColor top, middle, bottom, rim;
};

QImage Pill(const PillColours& c, bool shadow)
{
    QImage image(88, 30, QImage::Format_RGB888);
    image.fill(kBackground);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body(1.5, 1.5, 85, shadow ? 25.5 : 27);
    if (shadow) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(150, 150, 160));
        p.drawRoundedRect(body.translated(0.5, 2.0), 13, 13);
    }
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0.0, c.top);
    fill.setColorAt(0.5, c.middle);
    fill.setColorAt(0.52, c.middle.darker(108));
    fill.setColorAt(1.0, c.bottom);
    p.setPen(QPen(c.rim, 1.0));
    p.setBrush(fill);
    p.drawRoundedRect(body, body.height() / 2, body.height() / 2);
    // The gloss: a soft white band over the upper half.
    const QRectF gloss(body.left() + 6, body.top() + 1.5, body.width() - 12, body.height() * 0.42);
    QLinearGradient shine(gloss.topLeft(), gloss.bottomLeft());
    shine.setColorAt(0.0, QColor(255, 255, 255, 210));
    shine.setColorAt(1.0, QColor(255, 255, 255, 30));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawRoundedRect(gloss, gloss.height() / 2, gloss.height() / 2);
    return image;
}

QImage HarpIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    // The frame: a curved neck over a straight pillar and the sound box.
    QPainterPath frame;
    frame.moveTo(10, 58);
    frame.lineTo(10, 8);
    frame.cubicTo(22, 2, 34, 16, 54, 10);
    frame.lineTo(54, 16);
    frame.lineTo(20, 58);
    frame.closeSubpath();
    p.setPen(QPen(QColor(90, 50, 20), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(frame);
    QLinearGradient wood(0, 0, 64, 64);
    wood.setColorAt(0, QColor(214, 150, 80));
    wood.setColorAt(1, QColor(150, 90, 40));
    p.setPen(Qt::NoPen);
    p.setBrush(wood);
    QPainterPath box;
    box.moveTo(54, 13);
    box.lineTo(58, 16);
    box.lineTo(23, 60);
    box.lineTo(19, 58);
    box.closeSubpath();
    p.drawPath(box);
    // The strings, from the neck down to the sound box.
    p.setPen(QPen(QColor(60, 60, 140), 1.2));
    for (int i = 0; i < 7; ++i) {
        const double x = 15 + i * 5.5;
        const double neck = 8 + (x - 10) * 0.08 + 3.5 * std::sin((x - 10) / 44.0 * 3.14159);
        const double foot = 58 - (x - 20) * (42.0 / 34.0);
        p.drawLine(QPointF(x, neck), QPointF(x, foot));
    }
    // A note head for the score it makes.
    p.setPen(QPen(QColor(30, 30, 30), 1.5));
    p.setBrush(QColor(30, 30, 30));
    p.drawEllipse(QPointF(36, 44), 4, 4);
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    const PillColours silver{QColor(250, 250, 252), QColor(205, 205, 212), QColor(232, 232, 238), QColor(120, 120, 130)};
    const PillColours violet{QColor(200, 190, 255), QColor(110, 90, 220), QColor(150, 130, 245), QColor(60, 40, 140)};
    bool ok = Pill(silver, false).save(out + "/bitmap-168.bmp", "BMP");
    ok = Pill(violet, true).save(out + "/bitmap-167.bmp", "BMP") && ok;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) // the hicolor sizes installed for the desktop
        ok = HarpIcon(size).save(out + QStringLiteral("/icon-%1.png").arg(size), "PNG") && ok;
    return ok ? 0 : 1;
}
