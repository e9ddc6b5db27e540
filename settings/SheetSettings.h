#pragma once
// How the printed sheet is made: the distance between its string lines and what it shows
// besides the circles. Plain values, chosen in the settings dialog or on the renderer's command
// line and handed to the sheet's plan.

#include <optional>

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

    bool operator==(const WordChoices&) const = default;
};

struct SheetSettings {
    PaperSpacing spacing = PaperSpacing::FitToPaper();
    WordChoices shown;

    bool FitsPaper() const { return spacing.FitsPaper(); }
    bool operator==(const SheetSettings&) const = default;
};
