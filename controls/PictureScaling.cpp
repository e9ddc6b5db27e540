#include "controls/PictureScaling.h"

#include <algorithm>
#include <vector>

namespace {

struct Span {
    int from, to; // source range [from, to)
};

std::vector<Span> Spans(int source, int target)
{
    std::vector<Span> spans(static_cast<size_t>(target));
    for (int i = 0; i < target; ++i) {
        const int from = static_cast<int>(int64_t(i) * source / target);
        const int to = target < source ? static_cast<int>((int64_t(i + 1) * source + target - 1) / target) : from + 1;
        spans[static_cast<size_t>(i)] = {from, std::clamp(to, from + 1, source)};
    }
    return spans;
}

} // namespace

QImage ScaleForShow(const QImage& source, double zoom)
{
    return ScaleForShow(source, zoom, QRect(0, 0, static_cast<int>(zoom * source.width()),
                                            static_cast<int>(zoom * source.height())));
}

QImage ScaleForShow(const QImage& source, double zoom, const QRect& target)
{
    const int w = static_cast<int>(zoom * source.width());
    const int h = static_cast<int>(zoom * source.height());
    const QRect part = target & QRect(0, 0, w, h);
    if (w <= 0 || h <= 0 || source.isNull() || part.isEmpty())
        return QImage();
    const QImage src = source.format() == QImage::Format_RGB32 ? source : source.convertToFormat(QImage::Format_RGB32);
    QImage out(part.size(), QImage::Format_RGB32);
    const std::vector<Span> columns = Spans(src.width(), w);
    const std::vector<Span> rows = Spans(src.height(), h);
    for (int y = part.top(); y <= part.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y - part.top()));
        for (int x = part.left(); x <= part.right(); ++x) {
            int r = 255, g = 255, b = 255;
            for (int sy = rows[y].from; sy < rows[y].to; ++sy) {
                const auto* s = reinterpret_cast<const QRgb*>(src.constScanLine(sy));
                for (int sx = columns[x].from; sx < columns[x].to; ++sx) {
                    r = std::min(r, qRed(s[sx]));
                    g = std::min(g, qGreen(s[sx]));
                    b = std::min(b, qBlue(s[sx]));
                }
            }
            line[x - part.left()] = qRgb(r, g, b);
        }
    }
    return out;
}
