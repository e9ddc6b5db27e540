#pragma once
// The score pictures: string lines, flow lines and note circles drawn from a laid-out
// note list. Their state is process-wide, up to four slots; the main window uses slot 0 for
// what it shows. Whoever needs the score itself is handed a FittedScore, not these slots.

#include "controls/COffScreenPicture.h"
#include "render/FittedScore.h"
#include "render/ScoreGeometry.h"
#include "render/ScoreLayout.h"
#include "render/ScoreWords.h"

#include <array>
#include <optional>
#include <span>
#include <utility>
#include <vector>

struct Score;

// What the screen picture writes beside its circles besides the way's signs, and the zoom it
// is seen at.
struct ScreenWords {
    double zoom = 1.0; // the signs are sized so that they stay legible once zoomed
    bool measureNumbers = false;
};

struct ScoreSetup {
    int stringCount;
    std::array<int32_t, kMaxStrings> stringPitches;
    int stringSpacing;
    int leftOffset;
    double zoom;
};

class CScorePicture : public COffScreenPicture {
public:
    static constexpr int kSlots = 4;

    // Starts the family again with slot 0.
    void Create(IPictureHost* host, const PictureRect& rect, const ScoreSetup& setup);
    void AddPicture(IPictureHost* host, const PictureRect& rect, const ScoreSetup& setup);
    void ClearNotes(int slot);
    void AddNote(int slot, int time, int pitch, int length);
    void SetTotalLength(int slot, int units);
    void SetStrings(int slot, int stringCount, int spacing);
    int GetHighestStringPitch(int slot) const;
    void Draw(int slot);
    void Show(int slot);
    void ShowAll();
    void Destroy();
    // Lays out measures first..last of the score into slot 0, then draws and shows it.
    void LayOutMeasures(const Score* score, int first, int last);
    // Takes a score already fitted and laid out into slot 0, then draws its geometry and
    // shows it: nothing is laid out again. The slot's zoom sizes the signs.
    void LayOutMeasures(const FittedScore& fitted, bool measureNumbers = false);
    // Draws slot 0 again from the score with a ring over drawn note `placed` (an index into its
    // geometry.notes), or none, and shows it; a chosen passage, from one y to another, lies
    // under a light band.
    void ShowMark(const FittedScore& fitted, std::optional<size_t> placed,
                  std::optional<std::pair<int, int>> band = std::nullopt);
    // The same with a ring over each of the drawn notes `placed`: every voice's sounding note.
    void ShowMarks(const FittedScore& fitted, std::span<const size_t> placed,
                   std::optional<std::pair<int, int>> band = std::nullopt);

    static int Count();
    static const QImage* Surface(int slot);
    static int Width(int slot);
    static int Height(int slot);
    static int TotalLength(int slot);
    static const std::vector<ScoreNote>& Notes(int slot);
    // The string the note sounds on, or -1.
    static int StringOf(int slot, int pitch);
    // The notes of the drawn strings, lowest string first.
    static std::span<const int32_t> Strings(int slot);
    // Laid-out notes that have no string and so are not drawn.
    static int NotesWithoutString(int slot);
    // Where the slot's strings and notes stand: what Draw paints.
    static ScoreGeometry Geometry(int slot);

    // The picture of a score's geometry, as a slot's surface shows it.
    static QImage Picture(const ScoreGeometry& geometry);
    // The picture of a laid-out score: with a written score's endings and marks beside their
    // notes, and the measure numbers when asked.
    static QImage Picture(const FittedScore& fitted, const ScreenWords& shown = {});
    // The score on a white surface, with the words where they were placed for the zoom.
    static void Paint(QImage& surface, const ScoreGeometry& geometry, const ScoreWords& words = {}, double zoom = 1.0);
    // A written score's endings, marks and cut lines' names placed beside the circles, and the
    // measure marks and numbers when asked.
    static ScoreWords PlaceWords(const FittedScore& fitted, const ScreenWords& shown);
    // The pixel size of the signs' text in the picture, so that its capitals stand at least
    // kLegiblePixels high once the picture is zoomed; never below the picture's own size.
    static int SignPixels(double zoom);
    static constexpr double kLegiblePixels = 9;
    // The ring that marks the sounding note, around its circle.
    static void PaintMark(QImage& surface, const PlacedNote& note);
    static constexpr QRgb kMarkColour = 0xFFE0301E;
    // The passage's band, laid over the score so that the circles show through.
    static constexpr QRgb kBandColour = 0x40F0B400;
};
