#include "library/TuneSheetValues.h"

#include "common/TextTranslation.h"
#include "common/TrimmedText.h"

#include <charconv>

namespace {

// A voice number beyond any file's voices; the import refuses what the file lacks.
constexpr int kMaxVoiceNumber = 1 << 16;
constexpr std::string_view kChordsValue = "chords";

} // namespace

namespace SheetValues {

std::optional<int> Number(std::string_view text, int least, int most)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    int value = 0;
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || problem != std::errc() || end != text.data() + text.size() || value < least || value > most)
        return std::nullopt;
    return value;
}

bool ReadKey(std::string_view value, TuneSheet& into)
{
    constexpr int kReach = 48;
    if (value == kFitKey)
        into.key.reset();
    else if (const std::optional<int> semitones = Number(value, -kReach, kReach))
        into.key = semitones;
    else
        return false;
    return true;
}

bool ReadMeasures(std::string_view value, TuneSheet& into)
{
    const size_t dash = value.find('-');
    if (dash == std::string_view::npos)
        return false;
    const std::optional<int> first = Number(value.substr(0, dash), 1, 1 << 20);
    const std::optional<int> last = Number(value.substr(dash + 1), 1, 1 << 20);
    if (!first || !last || *first > *last)
        return false;
    into.measures = {*first, *last};
    return true;
}

bool ReadStrings(std::string_view value, TuneSheet& into)
{
    std::vector<int32_t> strings;
    while (!value.empty()) {
        const size_t comma = std::min(value.find(','), value.size());
        const std::optional<int> note = Number(Trimmed(value.substr(0, comma)), 0, 127);
        if (!note || strings.size() >= static_cast<size_t>(kMaxStrings))
            return false; // one bad note makes no harp
        strings.push_back(*note);
        value.remove_prefix(std::min(comma + 1, value.size()));
    }
    if (strings.size() < 2)
        return false;
    into.strings = std::move(strings);
    return true;
}

namespace {

// The practice keys; "none" for no passage.
constexpr std::string_view kTempoKey = "practice_tempo", kPassageKey = "practice_passage", kLoopKey = "practice_loop",
                           kCountInKey = "practice_count_in", kEveryPassKey = "practice_count_in_every_pass",
                           kMetronomeKey = "practice_metronome", kMutedKey = "practice_mute_melody";
constexpr std::string_view kNoPassage = "none";
// The player's speeds: a quarter to twice the tune's, in steps of 5 %.
constexpr int kMinPracticeTempo = 25, kMaxPracticeTempo = 200, kPracticeTempoStep = 5;

std::optional<bool>* PracticeSwitch(std::string_view key, SheetPractice& p)
{
    return key == kLoopKey        ? &p.loop
           : key == kCountInKey   ? &p.countIn
           : key == kEveryPassKey ? &p.countInEveryPass
           : key == kMetronomeKey ? &p.metronome
           : key == kMutedKey     ? &p.melodyMuted
                                  : nullptr;
}

} // namespace

bool IsPracticeKey(std::string_view key)
{
    SheetPractice probe;
    return key == kTempoKey || key == kPassageKey || PracticeSwitch(key, probe);
}

// False for a practice key whose value does not read, and for a key that is none of them.
bool ReadPracticeSetting(std::string_view key, std::string_view value, SheetPractice& into)
{
    if (std::optional<bool>* on = PracticeSwitch(key, into)) {
        if (value != "true" && value != "false")
            return false;
        *on = value == "true";
        return true;
    }
    if (key == kTempoKey) {
        const std::optional<int> percent = Number(value, kMinPracticeTempo, kMaxPracticeTempo);
        if (!percent || *percent % kPracticeTempoStep != 0)
            return false;
        into.tempoPercent = percent;
        return true;
    }
    if (key == kPassageKey) {
        if (value == kNoPassage) {
            into.passage = MeasureRange{0, -1};
            return true;
        }
        TuneSheet probe;
        if (!ReadMeasures(value, probe))
            return false;
        into.passage = probe.measures;
        return true;
    }
    return false;
}

std::string PracticeLines(const SheetPractice& p)
{
    std::string text;
    if (p.tempoPercent)
        text += std::string(kTempoKey) + "=" + std::to_string(*p.tempoPercent) + "\n";
    if (p.passage)
        text += std::string(kPassageKey) + "=" +
                (p.passage->last < p.passage->first ? std::string(kNoPassage)
                                                    : std::to_string(p.passage->first) + "-" + std::to_string(p.passage->last)) +
                "\n";
    SheetPractice copy = p;
    for (const std::string_view key : {kLoopKey, kCountInKey, kEveryPassKey, kMetronomeKey, kMutedKey})
        if (const std::optional<bool>& on = *PracticeSwitch(key, copy))
            text += std::string(key) + "=" + (*on ? "true" : "false") + "\n";
    return text;
}



std::optional<VoiceRole> RoleNamed(std::string_view name)
{
    for (int r = 0; r < kVoiceRoleCount; ++r)
        if (name == VoiceRoleName(static_cast<VoiceRole>(r)))
            return static_cast<VoiceRole>(r);
    return std::nullopt;
}


// Whose sheets a print makes: "all" or a role's name, ":hide" when the other voices are left
// out; the group's one sheet writes no line.
std::string PlayersText(const SheetPlayers& players)
{
    const std::string who = players.who == SheetPlayers::Who::kEveryone ? "all" : VoiceRoleName(players.role);
    return who + (players.others == OthersDrawn::kHidden ? ":hide" : "");
}

std::optional<SheetPlayers> ParsePlayers(std::string_view text)
{
    SheetPlayers players;
    constexpr std::string_view kHide = ":hide";
    if (text.size() > kHide.size() && text.substr(text.size() - kHide.size()) == kHide) {
        players.others = OthersDrawn::kHidden;
        text.remove_suffix(kHide.size());
    }
    if (text == "all") {
        players.who = SheetPlayers::Who::kEveryone;
    } else if (const std::optional<VoiceRole> role = RoleNamed(text)) {
        players.who = SheetPlayers::Who::kOne;
        players.role = *role;
    } else {
        return std::nullopt;
    }
    return players;
}

} // namespace SheetValues

using namespace SheetValues;

std::string SheetVoicesText(const VoiceChoice& voices)
{
    // The melody always, so that a line of the melody alone is a line all the same.
    // A voice's own octaves follow its value after '@'; files without them move no voice.
    const auto octave = [&](VoiceRole role) {
        const int shift = voices.octave[static_cast<size_t>(role)];
        return shift == 0 ? std::string() : "@" + std::to_string(shift);
    };
    std::string text = std::string(VoiceRoleName(VoiceRole::kMelody)) + ":" +
                       std::to_string(std::max(voices[VoiceRole::kMelody], 0)) + octave(VoiceRole::kMelody);
    for (int r = 1; r < kVoiceRoleCount; ++r) {
        const auto role = static_cast<VoiceRole>(r);
        if (voices[role] > 0)
            text += "," + std::string(VoiceRoleName(role)) + ":" + std::to_string(voices[role]) + octave(role);
    }
    if (voices.chordAccompaniment && voices[VoiceRole::kAccompaniment] <= 0) {
        // The pattern of old files, root and fifth, is written as they wrote it.
        const std::string pattern = voices.chordPattern == ChordPattern::kRootFifth
                                        ? std::string()
                                        : ":" + std::string(ChordPatternName(voices.chordPattern));
        text += "," + std::string(VoiceRoleName(VoiceRole::kAccompaniment)) + ":" + std::string(kChordsValue) + pattern +
                octave(VoiceRole::kAccompaniment);
    }
    return text;
}

std::optional<VoiceChoice> ParseSheetVoices(std::string_view text)
{
    VoiceChoice read;
    std::array<bool, kVoiceRoleCount> named{};
    std::vector<int> numbers;
    while (true) {
        const size_t comma = std::min(text.find(','), text.size());
        const std::string_view entry = Trimmed(text.substr(0, comma));
        const size_t colon = entry.find(':');
        if (colon == std::string_view::npos)
            return std::nullopt;
        const std::optional<VoiceRole> role = RoleNamed(entry.substr(0, colon));
        std::string_view value = entry.substr(colon + 1);
        if (!role || named[static_cast<size_t>(*role)])
            return std::nullopt;
        named[static_cast<size_t>(*role)] = true;
        if (const size_t at = value.find('@'); at != std::string_view::npos) {
            const std::optional<int> shift = VoiceOctaveShift(value.substr(at + 1));
            if (!shift)
                return std::nullopt;
            read.octave[static_cast<size_t>(*role)] = *shift;
            value = value.substr(0, at);
        }
        const bool chords = value.substr(0, kChordsValue.size()) == kChordsValue &&
                            (value.size() == kChordsValue.size() || value[kChordsValue.size()] == ':');
        if (*role == VoiceRole::kAccompaniment && chords) {
            read.chordAccompaniment = true;
            if (value.size() > kChordsValue.size()) {
                const std::optional<ChordPattern> pattern = ChordPatternNamed(value.substr(kChordsValue.size() + 1));
                if (!pattern)
                    return std::nullopt;
                read.chordPattern = *pattern;
            }
        } else if (const std::optional<int> number = Number(value, 0, kMaxVoiceNumber);
                   number && (value.empty() || value.front() != '+')) {
            if (*number != 0 && std::find(numbers.begin(), numbers.end(), *number) != numbers.end())
                return std::nullopt; // one voice in two roles
            numbers.push_back(*number);
            read[*role] = *number;
        } else {
            return std::nullopt;
        }
        if (comma == text.size())
            return read;
        text.remove_prefix(comma + 1);
    }
}

std::optional<std::string> MissingSheetVoiceText(const TuneSheet& sheet, size_t tuneVoices)
{
    if (!sheet.voices)
        return std::nullopt;
    for (int r = 0; r < kVoiceRoleCount; ++r) {
        const auto role = static_cast<VoiceRole>(r);
        const int n = (*sheet.voices)[role];
        if (n > 0 && static_cast<size_t>(n) > tuneVoices)
            return FilledText(CoreText::translate("TuneSheets", "用紙「%1」の%2（パート%3）がこの曲にないため、パートの選択は変えずに用紙を使います。"),
                              {sheet.name, CoreText::translate("SongVoices", VoiceRoleLabel(role)), std::to_string(n)});
    }
    return std::nullopt;
}
