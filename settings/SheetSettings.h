#pragma once
// How the printed sheet is made: the distance between its string lines and what it shows
// besides the circles. Plain values, chosen in the settings dialog or on the renderer's command
// line and handed to the sheet's plan.

#include <array>
#include <optional>
#include <string_view>
#include <utility>

namespace SheetRange {
// The string spacing on paper a player can set, in tenths of a millimetre.
constexpr int kSpacingMinTenths = 50, kSpacingMaxTenths = 200;
} // namespace SheetRange

// Where the string lines stand on paper: the sheet fitted to the paper as the screen shows it,
// or the harp's own distance between neighbouring strings.
class PaperSpacing {
public:
    static PaperSpacing FitToPaper() { return PaperSpacing(); }
    static PaperSpacing TenthsMm(int tenths) { return PaperSpacing(tenths); }

    bool FitsPaper() const { return !tenths; }
    // The distance at the harp's scale; only for a sheet that does not fit the paper.
    int Tenths() const { return tenths.value_or(0); }
    double Millimetres() const { return Tenths() / 10.0; }
    bool operator==(const PaperSpacing&) const = default;

private:
    PaperSpacing() = default;
    explicit PaperSpacing(int tenthsMm) : tenths(tenthsMm) {}
    std::optional<int> tenths;
};

// What the player chose to see beside the circles.
struct WordChoices {
    bool words = true;
    bool chords = false;
    bool measures = true;
    bool counts = false; // the beat beside each note on a beat, "+" on the half beat (at scale)

    bool operator==(const WordChoices&) const = default;
};

// The paper a sheet goes on where no printer tells: the PDF saved without a printer, and the
// print preview's first page setup. B4 is the Japanese size printers here hold.
enum class PaperChoice { kA3, kA4, kB4, kLetter };
inline constexpr std::array<std::pair<PaperChoice, const char*>, 4> kPaperNames = {{
    {PaperChoice::kA3, "A3"},
    {PaperChoice::kA4, "A4"},
    {PaperChoice::kB4, "B4"},
    {PaperChoice::kLetter, "Letter"},
}};

// "A3", "A4", "B4" or "Letter", as sheet.ini, the dialog and the renderer name them.
inline const char* PaperName(PaperChoice paper)
{
    for (const auto& [choice, name] : kPaperNames)
        if (choice == paper)
            return name;
    return "A3";
}

inline std::optional<PaperChoice> PaperNamed(std::string_view name)
{
    for (const auto& [choice, known] : kPaperNames)
        if (name == known)
            return choice;
    return std::nullopt;
}

// The longest strings a sheet underlay is made for, in millimetres: a sheet at the harp's scale
// holds no more. Harps that need less say so.
constexpr int kHarpHeightMm = 282;
namespace SheetRange {
constexpr int kHarpHeightMinMm = 100, kHarpHeightMaxMm = 600;
} // namespace SheetRange

// How a score with repeats is drawn: each written measure once with jump lines, or written
// out as it is played. Song files have no repeats; both draw them alike.
enum class RepeatDrawing { kLines, kWrittenOut };

struct SheetSettings {
    PaperSpacing spacing = PaperSpacing::FitToPaper();
    WordChoices shown;
    PaperChoice paper = PaperChoice::kA3;
    int harpHeightMm = kHarpHeightMm;
    RepeatDrawing repeats = RepeatDrawing::kLines;
    bool colourVoices = false; // "色分け": each voice in its colour on paper too, else all black

    bool FitsPaper() const { return spacing.FitsPaper(); }
    bool operator==(const SheetSettings&) const = default;
};
