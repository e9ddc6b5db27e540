#include "render/CScorePicture.h"

#include "render/ScoreDrawing.h"
#include "song/CSongData.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

// The height of a sign's text in a picture seen unzoomed: a small circle's width and more.
constexpr int kSignPixels = 10;
constexpr const char* kSignFamily = "IPAPGothic";

struct ScoreSlot {
    ScoreFrame frame; // the harp, the picture's size and the laid-out length
    std::vector<ScoreNote> notes;
    ScoreWords words; // of the score last laid out
    double zoom = 1.0;
    std::unique_ptr<QImage> surface;
    IPictureHost* host = nullptr;
};

std::array<ScoreSlot, CScorePicture::kSlots> g_slots;
int g_count = 0;

ScoreSlot& SlotAt(int slot)
{
    return g_slots.at(static_cast<size_t>(std::clamp(slot, 0, CScorePicture::kSlots - 1)));
}

int DrawnStrings(const ScoreSlot& s)
{
    return std::clamp(s.frame.stringCount, 0, kMaxStrings);
}

} // namespace

void CScorePicture::Create(IPictureHost* host, const PictureRect& rect, const ScoreSetup& setup)
{
    g_count = 0;
    // The score takes no mouse input.
    ScoreFrame& frame = g_slots[0].frame;
    COffScreenPicture::Create(host, rect, nullptr, nullptr, nullptr, nullptr, frame.width, frame.height,
                              g_slots[0].surface);
    AddPicture(host, rect, setup);
}

void CScorePicture::AddPicture(IPictureHost* host, const PictureRect& rect, const ScoreSetup& setup)
{
    if (g_count >= kSlots)
        return;
    ScoreSlot& s = g_slots[static_cast<size_t>(g_count)];
    if (g_count > 0)
        COffScreenPicture::Create(host, rect, nullptr, nullptr, nullptr, nullptr, s.frame.width, s.frame.height,
                                  s.surface);
    s.frame.stringPitches = setup.stringPitches;
    s.zoom = setup.zoom;
    s.frame.stringCount = setup.stringCount;
    s.frame.stringSpacing = setup.stringSpacing;
    s.frame.leftOffset = setup.leftOffset;
    s.host = host;
    s.frame.totalLength = 0;
    s.notes.clear();
    Draw(g_count);
    ++g_count;
}

void CScorePicture::ClearNotes(int slot) { SlotAt(slot).notes.clear(); }

void CScorePicture::AddNote(int slot, int time, int pitch, int length)
{
    SlotAt(slot).notes.push_back({time, pitch, length});
}

void CScorePicture::SetTotalLength(int slot, int units) { SlotAt(slot).frame.totalLength = units; }

void CScorePicture::SetStrings(int slot, int stringCount, int spacing)
{
    ScoreSlot& s = SlotAt(slot);
    s.frame.stringCount = stringCount;
    s.frame.stringSpacing = spacing;
    Draw(slot);
}

int CScorePicture::GetHighestStringPitch(int slot) const
{
    const ScoreSlot& s = SlotAt(slot);
    const int n = DrawnStrings(s);
    return n > 0 ? s.frame.stringPitches[static_cast<size_t>(n - 1)] : 0;
}

ScoreGeometry CScorePicture::Geometry(int slot)
{
    return ComputeScoreGeometry(SlotAt(slot).frame, SlotAt(slot).notes);
}

int CScorePicture::StringOf(int slot, int pitch)
{
    return ::StringOf(SlotAt(slot).frame, pitch);
}

std::span<const int32_t> CScorePicture::Strings(int slot)
{
    const ScoreSlot& s = SlotAt(slot);
    return std::span<const int32_t>(s.frame.stringPitches.data(), static_cast<size_t>(DrawnStrings(s)));
}

int CScorePicture::NotesWithoutString(int slot)
{
    int missing = 0;
    for (const ScoreNote& note : Notes(slot))
        missing += StringOf(slot, note.pitch) < 0 ? 1 : 0;
    return missing;
}

void CScorePicture::Draw(int slot)
{
    ScoreSlot& s = SlotAt(slot);
    if (!s.surface || s.surface->isNull())
        return;
    Paint(*s.surface, Geometry(slot));
}

QImage CScorePicture::Picture(const ScoreGeometry& geometry)
{
    QImage surface = NewSurface(geometry.width, geometry.height);
    if (!surface.isNull())
        Paint(surface, geometry);
    return surface;
}

namespace {

// The screen shows no words; the way through it shows, bold as on paper.
QFont SignFont(double zoom)
{
    QFont font(QString::fromLatin1(kSignFamily));
    font.setPixelSize(CScorePicture::SignPixels(zoom));
    font.setBold(true);
    return font;
}

// The screen's bitmap, a pixel for a picture pixel; jump lines twice as strong as the strings,
// so that the way back stands out.
ScoreStyle ScreenStyle(const ScoreGeometry& g, double zoom)
{
    ScoreStyle style;
    style.device = ScoreDevice::kBitmap;
    style.target = {0, 0, g.width, g.height};
    style.linePen = 1;
    style.jumpPen = 2;
    style.signPen = 1;
    const QFont font = SignFont(zoom);
    style.font = [font](TextKind) { return font; };
    return style;
}

} // namespace

int CScorePicture::SignPixels(double zoom)
{
    if (!(zoom > 0))
        zoom = 1;
    // The font's proportion, measured once: the picture repaints at every note played.
    static const double capsPerPixel = [] {
        QFont font(QString::fromLatin1(kSignFamily));
        font.setPixelSize(100);
        font.setBold(true);
        return std::max(0.5, QFontMetricsF(font).capHeight() / 100.0);
    }();
    const double needed = std::ceil(kLegiblePixels / zoom / capsPerPixel);
    return std::clamp(static_cast<int>(needed), kSignPixels, 200);
}

void CScorePicture::Paint(QImage& surface, const ScoreGeometry& g, const ScoreWords& words, double zoom)
{
    QPainter p(&surface);
    p.fillRect(0, 0, g.width, g.height, QColor(255, 255, 255));
    DrawScore(p, g, words, ScreenStyle(g, zoom));
}

QImage CScorePicture::Picture(const FittedScore& fitted, const ScreenWords& shown)
{
    QImage surface = NewSurface(fitted.geometry.width, fitted.geometry.height);
    if (!surface.isNull())
        Paint(surface, fitted.geometry, PlaceWords(fitted, shown), shown.zoom);
    return surface;
}

ScoreWords CScorePicture::PlaceWords(const FittedScore& fitted, const ScreenWords& shown)
{
    if (!shown.measureNumbers && fitted.layout.signs.empty() && fitted.geometry.jumps.empty())
        return {};
    const QFontMetricsF metrics(SignFont(shown.zoom));
    const TextExtent extent = [&](TextKind, const std::string& utf8) -> std::pair<double, double> {
        return {metrics.horizontalAdvance(QString::fromStdString(utf8)), metrics.height()};
    };
    // Numbers kept within the picture: with no margin they go into a gap between strings.
    const TextBox whole{0, 0, double(fitted.geometry.width), double(fitted.geometry.height)};
    return PlaceScoreWords(fitted.geometry, fitted.layout, WordChoices{false, false, shown.measureNumbers, false},
                           extent, shown.measureNumbers ? &whole : nullptr);
}

void CScorePicture::Show(int slot)
{
    const ScoreSlot& s = SlotAt(slot);
    COffScreenPicture::Show(s.surface.get(), s.host, s.zoom);
}

void CScorePicture::ShowAll()
{
    for (int i = 0; i < g_count; ++i)
        Show(i);
}

void CScorePicture::Destroy()
{
    for (int i = 0; i < g_count; ++i)
        COffScreenPicture::Destroy(g_slots[static_cast<size_t>(i)].surface, g_slots[static_cast<size_t>(i)].host);
    g_count = 0;
}

void CScorePicture::LayOutMeasures(const Score* score, int first, int last)
{
    if (!score)
        return;
    const ScoreLayout layout = ::LayOutMeasures(*score, first, last);
    SetTotalLength(0, layout.totalLength);
    g_slots[0].notes = layout.notes;
    Draw(0);
    Show(0);
}

void CScorePicture::LayOutMeasures(const FittedScore& fitted, bool measureNumbers)
{
    ScoreSlot& s = g_slots[0];
    s.frame.totalLength = fitted.layout.totalLength;
    s.notes = fitted.layout.notes;
    // Placed once: the mark repaints the picture at every note.
    s.words = PlaceWords(fitted, ScreenWords{s.zoom, measureNumbers});
    if (s.surface && !s.surface->isNull())
        Paint(*s.surface, fitted.geometry, s.words, s.zoom);
    Show(0);
}

void CScorePicture::ShowMark(const FittedScore& fitted, std::optional<size_t> placed,
                             std::optional<std::pair<int, int>> band)
{
    ShowMarks(fitted, placed ? std::span<const size_t>(&*placed, 1) : std::span<const size_t>(), band);
}

void CScorePicture::ShowMarks(const FittedScore& fitted, std::span<const size_t> placed,
                              std::optional<std::pair<int, int>> band)
{
    ScoreSlot& s = g_slots[0];
    if (!s.surface || s.surface->isNull())
        return;
    Paint(*s.surface, fitted.geometry, s.words, s.zoom);
    if (band && band->second > band->first) {
        QPainter p(&*s.surface);
        p.fillRect(QRect(0, band->first, s.surface->width(), band->second - band->first),
                   QColor::fromRgba(kBandColour));
    }
    for (const size_t i : placed)
        if (i < fitted.geometry.notes.size())
            PaintMark(*s.surface, fitted.geometry.notes[i]);
    Show(0);
}

void CScorePicture::PaintMark(QImage& surface, const PlacedNote& note)
{
    QPainter p(&surface);
    PreparePainter(p);
    p.setPen(QPen(QColor::fromRgb(kMarkColour), 2));
    p.setBrush(Qt::NoBrush);
    // Just outside the circle, so that its fill and outline stay as they are.
    constexpr int kGap = 3;
    p.drawEllipse(QRect(QPoint(note.left - kGap, note.top - kGap), QPoint(note.right - 1 + kGap, note.bottom - 1 + kGap)));
}

int CScorePicture::Count() { return g_count; }
const QImage* CScorePicture::Surface(int slot) { return SlotAt(slot).surface.get(); }
int CScorePicture::Width(int slot) { return SlotAt(slot).frame.width; }
int CScorePicture::Height(int slot) { return SlotAt(slot).frame.height; }
int CScorePicture::TotalLength(int slot) { return SlotAt(slot).frame.totalLength; }
const std::vector<ScoreNote>& CScorePicture::Notes(int slot) { return SlotAt(slot).notes; }
