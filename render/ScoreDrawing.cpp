#include "render/ScoreDrawing.h"

#include "controls/COffScreenPicture.h"
#include "render/ScoreWordsDrawing.h"
#include "render/WayMarks.h"
#include "song/ChordNaming.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace {

// Between a string's black and the measure marks' grey, so that a synch line reads as a
// hint beside the flow lines.
constexpr int kSynchGrey = 90;
// Half a missing note's cross, picture pixels: smaller than the smallest circle.
constexpr double kMissingArmPixels = 2.5;

QColor InkOf(const ScoreGeometry& g, const PlacedNote& note, bool colour)
{
    if (note.faint)
        return QColor(kFaintGrey, kFaintGrey, kFaintGrey);
    return colour ? VoiceColour(g.RoleOf(note)) : QColor(Qt::black);
}

// A flow line's ink: its own voice's, whoever owns the circle it runs into.
QColor FlowInk(const FlowLine& flow, bool colour)
{
    if (flow.faint)
        return QColor(kFaintGrey, kFaintGrey, kFaintGrey);
    return colour ? VoiceColour(flow.role) : QColor(Qt::black);
}

// A faint voice's lines and outlines are half the pen.
double PenOf(bool faint, double pen)
{
    return faint ? pen / 2 : pen;
}

// The radii of a circle's outline path: the pen's outer edge is the circle's edge.
QPointF OutlineRadii(const MarkStyle& style, const Stretch& s, double pen)
{
    return {std::max(style.diameter * s.sx / 2 - pen / 2, pen / 2), std::max(style.diameter * s.sy / 2 - pen / 2, pen / 2)};
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
void DrawCutMark(QPainter& p, QPointF centre, NoteMark mark, const Stretch& s, double pen, const QRectF& area,
                 const QColor& ink)
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
    p.setBrush(style.black ? ink : QColor(Qt::white));
    p.drawPath(outline.intersected(box));
    p.setBrush(ink);
    p.drawPath(stroker.createStroke(outline).intersected(box));
}

// The screen's picture: strings, flow lines and circles on the bitmap's own pixels.
void DrawBitmapScore(QPainter& p, const ScoreGeometry& g, const ScoreStyle& style)
{
    COffScreenPicture::PreparePainter(p);
    for (const int x : g.stringX)
        p.drawLine(x, 0, x, g.height);
    // Lines first, so that the circles cover them.
    const bool voices = !g.voiceRoles.empty();
    if (voices) {
        p.save();
        QPen dashed(QColor(kSynchGrey, kSynchGrey, kSynchGrey), 1, Qt::DashLine);
        p.setPen(dashed);
        for (const SynchLine& synch : g.synchs)
            p.drawLine(g.notes[synch.from].x, g.notes[synch.from].y, g.notes[synch.to].x, g.notes[synch.to].y);
        p.restore();
    }
    for (const FlowLine& flow : g.flows) {
        if (voices) {
            p.save();
            p.setPen(QPen(FlowInk(flow, true), 1, flow.kind == FlowKind::kDotted ? Qt::DotLine : Qt::SolidLine));
        }
        p.drawLine(g.notes[flow.from].x, g.notes[flow.from].y, g.notes[flow.to].x, g.notes[flow.to].y);
        if (voices)
            p.restore();
    }
    for (const PlacedNote& note : g.notes) {
        const QRgb ink = voices ? InkOf(g, note, true).rgb() : qRgb(0, 0, 0);
        const QRgb fill = StyleOf(note.mark).black ? ink : qRgb(255, 255, 255);
        COffScreenPicture::DrawFilledEllipse(p, note.left, note.top, note.right, note.bottom, fill, ink);
        if (note.shared) {
            p.save();
            p.setPen(QPen(QColor(ink), 1));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(note.left - kSharedRingPixels, note.top - kSharedRingPixels, note.right - note.left + 2 * kSharedRingPixels - 1,
                          note.bottom - note.top + 2 * kSharedRingPixels - 1);
            p.restore();
        }
    }
    DrawJumpLines(
        p, g, [](double x, double y) { return QPointF(x, y); }, style.jumpPen, [](QPointF&, QPointF&) { return true; });
}

// Paper: each string line, flow line and circle centred where the stretch puts the centre of
// its picture pixel, circles at the stretched diameter; nothing leaves the target.
void DrawVectorScore(QPainter& p, const ScoreGeometry& score, const ScoreStyle& style)
{
    const DeviceRect& target = style.target;
    const Stretch s(score, target);
    const double pen = style.linePen;
    const std::optional<QRectF>& visible = style.scoreReach;
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
    // Each flow line ends under a circle, so flat ends meet unseen.
    const bool voices = !score.voiceRoles.empty();
    const auto segment = [&](size_t from, size_t to, QLineF& line) {
        QPointF a = s.Centre(score.notes[from].x, score.notes[from].y);
        QPointF b = s.Centre(score.notes[to].x, score.notes[to].y);
        if (!ClipSegment(shown, a, b))
            return false;
        line = QLineF(a, b);
        return true;
    };
    if (voices) {
        p.setPen(SynchPen(pen, style.colourVoices));
        for (const SynchLine& synch : score.synchs)
            if (QLineF line; segment(synch.from, synch.to, line))
                p.drawLine(line);
    }
    // A player's sheet draws the others' lines and circles first, under the player's own.
    for (const bool faint : {true, false})
    for (const FlowLine& flow : score.flows) {
        QLineF line;
        if (flow.faint != faint || !segment(flow.from, flow.to, line))
            continue;
        if (!voices) {
            lines.append(line);
            continue;
        }
        p.setPen(VoiceFlowPen(flow.role, PenOf(flow.faint, pen), FlowInk(flow, style.colourVoices)));
        p.drawLine(line);
    }
    if (voices)
        p.setPen(QPen(Qt::black, pen, Qt::SolidLine, Qt::FlatCap));
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
    for (const bool faint : {true, false})
    for (const PlacedNote& note : score.notes) {
        if (note.faint != faint)
            continue;
        // The box's middle is the note's point; the circle sits on it, centred on the line.
        const QPointF centre = s.Centre((note.left + note.right) / 2, (note.top + note.bottom) / 2);
        const MarkStyle mark = StyleOf(note.mark);
        const QRectF extent(centre.x() - mark.diameter * s.sx / 2, centre.y() - mark.diameter * s.sy / 2,
                            mark.diameter * s.sx, mark.diameter * s.sy);
        if (visible && !shown.intersects(extent))
            continue;
        const QColor ink = InkOf(score, note, style.colourVoices);
        if (area.contains(extent) && mark.black && ink == Qt::black && !note.shared) {
            blackRun.addEllipse(extent);
        } else if (area.contains(extent)) {
            flush();
            DrawCircleMark(p, centre, note.mark, s, PenOf(note.faint, pen), ink);
        } else if (area.intersects(extent)) {
            flush();
            // A cut circle has always been black, whatever its voice's colour.
            DrawCutMark(p, centre, note.mark, s, PenOf(note.faint, pen), area, note.faint ? ink : QColor(Qt::black));
        }
        if (note.shared && area.contains(extent))
            DrawSharedRing(p, centre, note.mark, s, PenOf(note.faint, pen), ink);
    }
    flush();
    DrawJumpLines(
        p, score, [&](double x, double y) { return s.Centre(x, y); }, style.jumpPen,
        [&](QPointF& a, QPointF& b) { return ClipSegment(shown, a, b); }, style.jumpDashes);
    p.restore();
}

// A note without a string: a small cross where it would stand and its name beside it, on the
// strings' side, in its voice's ink (coloured on the screen, on paper only when asked). Only a
// sheet of several voices marks them: the melody alone is drawn as it always was, its notes
// without a string left out.
void DrawMissingNotes(QPainter& p, const ScoreGeometry& g, const ScoreStyle& style)
{
    if (g.missing.empty() || g.stringX.empty() || g.voiceRoles.empty())
        return;
    const Stretch s(g, style.target);
    const bool bitmap = style.device == ScoreDevice::kBitmap;
    const bool colour = bitmap || style.colourVoices;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, !bitmap);
    const QFont font = style.font ? style.font(TextKind::kMeasureNumber) : p.font();
    p.setFont(font);
    const QFontMetricsF metrics(font, p.device());
    const double arm = kMissingArmPixels * s.sx, gap = arm;
    for (const ScoreGeometry::MissingNote& m : g.missing) {
        const QPointF c = s.Centre(m.x, m.y);
        if (style.scoreReach && !style.scoreReach->contains(c))
            continue;
        const QColor ink = m.faint ? QColor(kFaintGrey, kFaintGrey, kFaintGrey) : colour ? VoiceColour(m.role) : QColor(Qt::black);
        p.setPen(QPen(ink, bitmap ? 1.0 : style.linePen));
        p.drawLine(c + QPointF(-arm, -arm), c + QPointF(arm, arm));
        p.drawLine(c + QPointF(-arm, arm), c + QPointF(arm, -arm));
        const QString name = QString::fromStdString(NoteNameWithOctave(m.pitch));
        QRectF box(0, 0, metrics.horizontalAdvance(name) + 2, metrics.height());
        box.moveCenter(c);
        if (m.x > g.stringX.back())
            box.moveRight(c.x() - arm - gap);
        else
            box.moveLeft(c.x() + arm + gap);
        if (!style.textReach || style.textReach->contains(box))
            p.drawText(box, Qt::AlignCenter, name);
    }
    p.restore();
}

} // namespace

QColor VoiceColour(VoiceRole role)
{
    switch (role) {
    case VoiceRole::kSecond: return QColor(0, 90, 200);
    case VoiceRole::kThird: return QColor(0, 135, 60);
    case VoiceRole::kFourth: return QColor(150, 0, 160);
    case VoiceRole::kAccompaniment: return QColor(190, 80, 0);
    case VoiceRole::kMelody: break;
    }
    return QColor(Qt::black);
}

QPen SynchPen(double pen, bool colour)
{
    // Thinner than a flow line, its dashes longer than a dotted voice's dots.
    QPen dashed(colour ? QColor(kSynchGrey, kSynchGrey, kSynchGrey) : QColor(Qt::black), pen / 2, Qt::CustomDashLine,
                Qt::FlatCap);
    dashed.setDashPattern({8, 6});
    return dashed;
}

void DrawSharedRing(QPainter& p, QPointF centre, NoteMark mark, const Stretch& s, double pen, const QColor& ink)
{
    const double radius = StyleOf(mark).diameter / 2.0 + kSharedRingPixels;
    p.setPen(QPen(ink, pen));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, radius * s.sx - pen / 2, radius * s.sy - pen / 2);
}

QPen VoiceFlowPen(VoiceRole role, double pen, const QColor& ink)
{
    QPen line(ink, pen, Qt::SolidLine, Qt::FlatCap);
    switch (role) {
    case VoiceRole::kSecond:
        // Short dashes at the full width: the synch line's are longer, thinner and further apart.
        line.setStyle(Qt::CustomDashLine);
        line.setDashPattern({2.5, 1.5});
        break;
    case VoiceRole::kThird: line.setWidthF(2 * pen); break;
    case VoiceRole::kFourth:
        line.setStyle(Qt::CustomDashLine);
        line.setCapStyle(Qt::RoundCap);
        line.setDashPattern({0.01, 2.5});
        break;
    case VoiceRole::kMelody:
    case VoiceRole::kAccompaniment: break;
    }
    return line;
}

void DrawCircleMark(QPainter& p, QPointF centre, NoteMark mark, const Stretch& s, double pen, const QColor& ink)
{
    const MarkStyle style = StyleOf(mark);
    const QPointF radii = OutlineRadii(style, s, pen);
    p.setPen(QPen(ink, pen));
    p.setBrush(style.black ? ink : QColor(Qt::white));
    p.drawEllipse(centre, radii.x(), radii.y());
}

void DrawScore(QPainter& p, const ScoreGeometry& score, const ScoreWords& words, const ScoreStyle& style)
{
    if (style.device == ScoreDevice::kBitmap) {
        DrawBitmapMeasures(p, score, words, style, false);
        DrawBitmapScore(p, score, style);
        DrawBitmapMeasures(p, score, words, style, true);
        DrawBitmapSigns(p, score, words, style);
        DrawMissingNotes(p, score, style);
        return;
    }
    if (style.measuresUnder)
        DrawMeasuresUnder(p, score, words, style);
    if (!style.scoreReach || !style.scoreReach->isEmpty())
        DrawVectorScore(p, score, style);
    DrawMissingNotes(p, score, style);
    DrawWords(p, score, words, style);
}
