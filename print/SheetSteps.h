#pragma once
// The steps a sheet's plan is made of, shared by the files that make it: the words on paper
// (SheetWordsOnPaper), the legend and the search for free paper (SheetLegendPlan), the fitted
// page and its A4 halves (FittedSheet), the sheet at the harp's scale and its pages
// (SheetsAtScale); SheetPlan puts them together.

#include "print/SheetPlanning.h"
#include "print/SongFacts.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace SheetSteps {

// The legend on paper, in millimetres.
constexpr double kBelowScoreMm = 1.5; // from the ends of the string lines to their names
constexpr double kBlockGapMm = 4.0;   // between the names, the facts and the circle kinds
constexpr double kKeyGapMm = 8.0;     // between two circle kinds
constexpr int kMaxKeyLines = 3;      // rows a voice key's caption may wrap over
constexpr double kKindGapMm = 1.5;    // from a circle kind to its caption
constexpr double kKeySampleMm = 12.0; // a voice's line between two circles, in the legend's keys
constexpr double kScaleBarHighMm = 1.5;
constexpr double kEdgeMm = 2.0;         // from the page's edge to its label
// The legend's names under the outermost lines reach a little beside its bounds.
constexpr double kLegendReachMm = 10;
// A sheet at scale goes on this far after its last circle; the picture's blank below is not
// printed.
constexpr double kAfterLastNoteMm = 10;
// Where the strings start on the page, and time 0 below that: room for the first measure's mark
// and the texts on it.
constexpr double kStringsTopMm = 5.0, kFirstMeasureMm = 4.5;
// The strings go on this far past a sheet's last measure line or last note.
constexpr double kStringsEndMm = 2.0;
// The legend's block on a page: its width at most, the room round it, the search's step.
constexpr double kNumberRoomMm = 4.5; // a measure number of two figures before the lowest string
constexpr double kBlockWidthMm = 110, kBlockClearMm = 1.0, kBlockStepMm = 2.0;
// What a page of one sheet holds besides its strings, above and below them, about.
constexpr double kBesideStringsMm = 15;

// Texts beside the circles.
double LargestRadius();
double LastCircleRight(const ScoreGeometry& score, const DeviceRect& r);
ScoreWords PlaceWords(const FittedScore& fitted, const WordChoices& choices, const DeviceRect& target,
                      const SheetTextMeasure& measure, PlayingMarks marks = {}, const std::vector<double>& fences = {},
                      const TextBox* within = nullptr);
PlayingMarks MarksAtScale(const SheetSettings& sheet);
std::optional<std::pair<double, double>> WordsReach(const ScoreWords& words);
int ScoreEnd(const ScoreGeometry& score, const DeviceRect& target, int dpi);
void DropWordsAfter(double pictureY, ScoreWords& words);

// The legend and the verses.
LegendPlace PlaceLegend(const ScoreGeometry& score, const DeviceRect& target, double scoreEnd, int dpi,
                        const SheetTextMeasure& measure, bool songFacts, bool scaleBar,
                        std::optional<double> rightLimit, bool kinds = true, double leftLimit = 0,
                        const std::vector<LegendPlace::Key>& keys = {});
// The room the sheet's title and facts take below the string names.
double SheetLineHeight(const SheetTextMeasure& measure, int dpi);
void PlaceLegendOnPage(SheetPlan& plan, const ScoreGeometry& score, const SheetTextMeasure& measure, bool songFacts,
                       const SheetBox& textArea, const std::vector<LegendPlace::Key>& keys = {});
void PlaceVersesOnPage(SheetPlan& plan, const ScoreGeometry& score, const std::vector<std::string>& verses,
                       const SheetTextMeasure& measure, const SheetBox& textArea);
void AddVersesBelow(SheetPlan& plan, const std::vector<std::string>& verses, const SheetTextMeasure& measure);
void WriteLegendTexts(SheetPlan& plan, const std::optional<SongFacts>& facts);
// The keys to the drawn voices (texts only; placing them places the rest), none for the melody
// alone; with `only`, that voice's key alone beside the synch line and ring the score still draws.
std::vector<LegendPlace::Key> LegendKeys(const FittedScore& fitted, bool colour, std::optional<VoiceRole> only = {});
// A player's sheet without the other voices keys only what it draws, flowed again in the keys' place.
void KeepDrawnVoicesKeys(SheetPlan& plan, const SheetTextMeasure& measure);
// One page's label, "2/6 (列2・行1)　点線の間を隣のページと重ねて貼る".
std::string TileLabel(int page, int pages, int column, int row);
// A player's sheet without the others leaves out the pages that hold nothing of theirs.
void LeaveOutPagesWithoutNotes(SheetPlan& plan);

// The fitted sheet.
SheetPlan PlanFitted(const FittedScore& fitted, const SheetSettings& sheet, const SheetPaper& paper,
                     const SheetTextMeasure& measure, bool songFacts);

// The sheet at scale.
SheetPlan PlaceAtScale(const FittedScore& fitted, const SheetSettings& sheet, int dpi, const SheetTextMeasure& measure);
void AddLegendAtScale(SheetPlan& plan, const ScoreGeometry& score, const SheetTextMeasure& measure, bool songFacts,
                      double rightLimit, bool kinds = true, double leftLimit = 0,
                      const std::vector<LegendPlace::Key>& keys = {});
std::vector<SheetSpan> ColumnsOf(const SheetPlan& plan, const ScoreGeometry& score, const SheetPaper& paper);
SheetPlan PlanGluedSheet(const FittedScore& fitted, const SheetSettings& sheet, const SheetPaper& paper,
                         const SheetTextMeasure& measure, bool songFacts, const std::vector<std::string>& verses);
// `kept`, where given, the columns (from, to) that are printed: those between the first and
// the last that hold a note.
void CutIntoPages(SheetPlan& plan, const ScoreGeometry& score, const SheetPaper& paper,
                  std::optional<std::pair<size_t, size_t>> kept = std::nullopt);
struct PageFrame {
    ScoreFrame frame;
    PagePlacement placement;
    TextBox textArea; // picture pixels
    SheetBox textAreaOnPage;
};
PageFrame FrameOnPage(const FittedScore& score, const SheetSettings& sheet, const SheetPaper& paper, int height);
SheetPlan PlanOnPage(const FittedScore& fitted, const SheetSettings& sheet, const SheetPaper& paper,
                     const PageFrame& frame, const SheetTextMeasure& measure, bool songFacts, bool lastSheet);
double PictureMillimetres(const FittedScore& score, const SheetSettings& sheet);
bool StringsFit(int stringCount, const SheetSettings& sheet, double widthMm);
bool OnePageHolds(int stringCount, const SheetSettings& sheet, double widthMm, double heightMm);

} // namespace SheetSteps
