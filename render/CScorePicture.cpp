#include "render/CScorePicture.h"

#include "controls/COffScreenControl.h"
#include "song/CSongData.h"

#include <QPainter>
#include <algorithm>

namespace {

struct ScoreSlot {
    int leftOffset = 0;
    std::vector<ScoreNote> notes;
    double zoom = 1.0;
    int totalLength = 0;
    int stringSpacing = 0;
    int stringCount = 0;
    std::array<int32_t, kMaxStrings> stringPitches{};
    int width = 0;
    int height = 0;
    std::unique_ptr<QImage> surface;
    COffScreenControl* host = nullptr;
};

std::array<ScoreSlot, CScorePicture::kSlots> g_slots;
int g_count = 0;

ScoreSlot& SlotAt(int slot)
{
    return g_slots.at(static_cast<size_t>(std::clamp(slot, 0, CScorePicture::kSlots - 1)));
}

int DrawnStrings(const ScoreSlot& s)
{
    return std::clamp(s.stringCount, 0, kMaxStrings);
}

// Circle fill and diameter by note length in time units.
void CircleFor(int length, QRgb& fill, int& diameter)
{
    const QRgb black = qRgb(0, 0, 0), white = qRgb(255, 255, 255);
    if (length == 6) {
        fill = black, diameter = 12;
    } else if (length < 12) {
        fill = black, diameter = 8;
    } else if (length == 24) {
        fill = white, diameter = 12;
    } else {
        fill = white, diameter = 8;
    }
}

} // namespace

void CScorePicture::Create(COffScreenControl* host, const PictureRect& rect, const ScoreSetup& setup)
{
    g_count = 0;
    // The score takes no mouse input.
    COffScreenPicture::Create(host, rect, nullptr, nullptr, nullptr, nullptr, g_slots[0].width, g_slots[0].height,
                              g_slots[0].surface);
    AddPicture(host, rect, setup);
}

void CScorePicture::AddPicture(COffScreenControl* host, const PictureRect& rect, const ScoreSetup& setup)
{
    if (g_count >= kSlots)
        return;
    ScoreSlot& s = g_slots[static_cast<size_t>(g_count)];
    if (g_count > 0)
        COffScreenPicture::Create(host, rect, nullptr, nullptr, nullptr, nullptr, s.width, s.height, s.surface);
    s.stringPitches = setup.stringPitches;
    s.zoom = setup.zoom;
    s.stringCount = setup.stringCount;
    s.stringSpacing = setup.stringSpacing;
    s.leftOffset = setup.leftOffset;
    s.host = host;
    s.totalLength = 0;
    s.notes.clear();
    Draw(g_count);
    ++g_count;
}

void CScorePicture::ClearNotes(int slot) { SlotAt(slot).notes.clear(); }

void CScorePicture::AddNote(int slot, int time, int pitch, int length)
{
    SlotAt(slot).notes.push_back({time, pitch, length});
}

void CScorePicture::SetTotalLength(int slot, int units) { SlotAt(slot).totalLength = units; }

void CScorePicture::SetStrings(int slot, int stringCount, int spacing)
{
    ScoreSlot& s = SlotAt(slot);
    s.stringCount = stringCount;
    s.stringSpacing = spacing;
    Draw(slot);
}

int CScorePicture::GetHighestStringPitch(int slot) const
{
    const ScoreSlot& s = SlotAt(slot);
    const int n = DrawnStrings(s);
    return n > 0 ? s.stringPitches[static_cast<size_t>(n - 1)] : 0;
}

int CScorePicture::StringOf(int slot, int pitch)
{
    const ScoreSlot& s = SlotAt(slot);
    const int n = DrawnStrings(s);
    for (int j = 0; j < n; ++j)
        if (s.stringPitches[static_cast<size_t>(j)] == pitch)
            return j;
    return -1;
}

std::span<const int32_t> CScorePicture::Strings(int slot)
{
    const ScoreSlot& s = SlotAt(slot);
    return std::span<const int32_t>(s.stringPitches.data(), static_cast<size_t>(DrawnStrings(s)));
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
    const int W = s.width, H = s.height, S = s.stringSpacing, L = s.leftOffset, T = s.totalLength;
    QPainter p(s.surface.get());
    PreparePainter(p);
    p.fillRect(0, 0, W, H, QColor(255, 255, 255));

    const int n = DrawnStrings(s);
    for (int i = 0; i < n; ++i) {
        const int x = (i + 1) * S - L;
        p.drawLine(x, 0, x, H);
    }
    if (T <= 0)
        return; // no notes can be placed on a picture of no length

    // Notes without a string are left out, so the line runs on from the last drawn note.
    struct Placed {
        QPoint centre;
        int length;
    };
    std::vector<Placed> placed;
    placed.reserve(s.notes.size());
    for (const ScoreNote& note : s.notes)
        if (const int j = StringOf(slot, note.pitch); j >= 0)
            placed.push_back({QPoint((j + 1) * S - L, H * note.time / T + 10), note.length});

    // Lines first, so that the circles cover them.
    for (size_t i = 1; i < placed.size(); ++i)
        p.drawLine(placed[i - 1].centre, placed[i].centre);
    for (const Placed& note : placed) {
        QRgb fill;
        int d;
        CircleFor(note.length, fill, d);
        const int left = note.centre.x() - d / 2;
        const int top = note.centre.y() - d / 2;
        DrawFilledEllipse(p, left, top, left + d, top + d, fill, qRgb(0, 0, 0));
    }
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

void CScorePicture::LayOutMeasures(const CSongData* song, int first, int last)
{
    if (!song)
        return;
    const ScoreLayout layout = ::LayOutMeasures(*song, first, last);
    SetTotalLength(0, layout.totalLength);
    g_slots[0].notes = layout.notes;
    Draw(0);
    Show(0);
}

int CScorePicture::Count() { return g_count; }
const QImage* CScorePicture::Surface(int slot) { return SlotAt(slot).surface.get(); }
int CScorePicture::Width(int slot) { return SlotAt(slot).width; }
int CScorePicture::Height(int slot) { return SlotAt(slot).height; }
int CScorePicture::TotalLength(int slot) { return SlotAt(slot).totalLength; }
const std::vector<ScoreNote>& CScorePicture::Notes(int slot) { return SlotAt(slot).notes; }
