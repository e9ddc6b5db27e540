#pragma once
// How the printed sheet is made: the distance between its string lines and what it shows
// besides the circles. Plain values, chosen in the settings dialog or on the renderer's command
// line and handed to the sheet's plan.

#include "song/SongVoices.h"

#include <array>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

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

// How a player's sheet draws the voices that player does not play.
enum class OthersDrawn : uint8_t {
    kFaint,  // thin and light grey, their synch lines to the player's voice kept
    kHidden, // left out
};

// One player's sheet: the group's layout drawn for one role.
struct PlayerView {
    VoiceRole role = VoiceRole::kMelody;
    OthersDrawn others = OthersDrawn::kFaint;
    bool operator==(const PlayerView&) const = default;
};

// Whose sheets a print makes: the group's one sheet, one player's, or each drawn voice's
// player's in turn (melody first), all on the same layout.
struct SheetPlayers {
    enum class Who : uint8_t { kGroup, kOne, kEveryone };
    Who who = Who::kGroup;
    VoiceRole role = VoiceRole::kMelody; // whose sheet, for kOne
    OthersDrawn others = OthersDrawn::kFaint;

    // The sheets to draw among the roles the score draws; none for the group's sheet. One player
    // whose voice is not drawn gets none either.
    std::vector<PlayerView> ViewsAmong(const std::vector<VoiceRole>& drawn) const
    {
        std::vector<PlayerView> views;
        for (const VoiceRole r : drawn)
            if (who == Who::kEveryone || (who == Who::kOne && r == role))
                views.push_back({r, others});
        return views;
    }
    bool operator==(const SheetPlayers&) const = default;
};

struct SheetSettings {
    PaperSpacing spacing = PaperSpacing::FitToPaper();
    WordChoices shown;
    PaperChoice paper = PaperChoice::kA3;
    int harpHeightMm = kHarpHeightMm;
    RepeatDrawing repeats = RepeatDrawing::kLines;
    bool colourVoices = false; // "色分け": each voice in its colour on paper too, else all black
    SheetPlayers players;      // kept with a tune's sheet; sheet.ini keeps none

    bool FitsPaper() const { return spacing.FitsPaper(); }
    bool operator==(const SheetSettings&) const = default;
};
