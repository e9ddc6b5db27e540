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

ScoreFrame FrameOf(const ScoreSlot& s)
{
    ScoreFrame frame;
    frame.width = s.width;
    frame.height = s.height;
    frame.stringSpacing = s.stringSpacing;
    frame.leftOffset = s.leftOffset;
    frame.stringCount = s.stringCount;
    frame.stringPitches = s.stringPitches;
    frame.totalLength = s.totalLength;
    return frame;
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

ScoreGeometry CScorePicture::Geometry(int slot)
{
    return ComputeScoreGeometry(FrameOf(SlotAt(slot)), SlotAt(slot).notes);
}

int CScorePicture::StringOf(int slot, int pitch)
{
    return ::StringOf(FrameOf(SlotAt(slot)), pitch);
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
    const ScoreGeometry g = Geometry(slot);
    QPainter p(s.surface.get());
    PreparePainter(p);
    p.fillRect(0, 0, g.width, g.height, QColor(255, 255, 255));
    for (const int x : g.stringX)
        p.drawLine(x, 0, x, g.height);
    // Lines first, so that the circles cover them.
    for (size_t i = 1; i < g.notes.size(); ++i)
        p.drawLine(g.notes[i - 1].x, g.notes[i - 1].y, g.notes[i].x, g.notes[i].y);
    for (const PlacedNote& note : g.notes) {
        const QRgb fill = StyleOf(note.mark).black ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
        DrawFilledEllipse(p, note.left, note.top, note.right, note.bottom, fill, qRgb(0, 0, 0));
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
