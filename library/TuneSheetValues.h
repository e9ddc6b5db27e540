#pragma once
// The values of a tune's sheet lines, each read and written alike: the key, the measures, the
// harp's strings, the practice settings and whose sheets a print makes. The file's groups and
// merging stay with TuneSheetsFile.

#include "library/TuneSheetsFile.h"

#include <optional>
#include <string>
#include <string_view>

namespace SheetValues {

constexpr std::string_view kFitKey = "fit"; // key=fit: the automatic transposition

// A whole number from least to most, a leading '+' allowed.
std::optional<int> Number(std::string_view text, int least, int most);
bool ReadKey(std::string_view value, TuneSheet& into);
bool ReadMeasures(std::string_view value, TuneSheet& into);
bool ReadStrings(std::string_view value, TuneSheet& into);

bool IsPracticeKey(std::string_view key);
// False for a practice key whose value does not read, and for a key that is none of them.
bool ReadPracticeSetting(std::string_view key, std::string_view value, SheetPractice& into);
std::string PracticeLines(const SheetPractice& p);

std::optional<VoiceRole> RoleNamed(std::string_view name);
// "all" or a role's name, ":hide" when the other voices are left out.
std::string PlayersText(const SheetPlayers& players);
std::optional<SheetPlayers> ParsePlayers(std::string_view text);

} // namespace SheetValues
