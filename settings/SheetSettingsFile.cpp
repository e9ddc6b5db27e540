#include "settings/SheetSettingsFile.h"

#include "common/ErrorCodes.h"
#include "common/FileServices.h"
#include "common/Messages.h"
#include "common/TrimmedText.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <cerrno>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

// A hand-written file of a few lines; anything larger is not ours.
constexpr size_t kMaxSheetFileBytes = 4096;
constexpr std::string_view kGroup = "sheet";
constexpr std::string_view kFitText = "fit";

// "fit", or millimetres with at most one significant decimal ("11.5", "12", "12.50").
bool ReadSpacing(std::string_view value, SheetSettings& into)
{
    if (value == kFitText) {
        into.spacing = PaperSpacing::FitToPaper();
        return true;
    }
    int tenths = 0, whole = 0, decimals = 0;
    bool point = false;
    for (const char c : value) {
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9' && !point) {
            if (++whole > 3)
                return false;
            tenths = tenths * 10 + (c - '0');
        } else if (c >= '0' && c <= '9') {
            if (++decimals == 1)
                tenths = tenths * 10 + (c - '0');
            else if (c != '0')
                return false; // finer than the control's step
        } else {
            return false;
        }
    }
    if (whole == 0 || (point && decimals == 0))
        return false;
    if (decimals == 0)
        tenths *= 10;
    if (tenths < SheetRange::kSpacingMinTenths || tenths > SheetRange::kSpacingMaxTenths)
        return false;
    into.spacing = PaperSpacing::TenthsMm(tenths);
    return true;
}

std::string WriteSpacing(const SheetSettings& from)
{
    // A value no file could have given is not written either.
    const int tenths = from.spacing.Tenths();
    if (from.FitsPaper() || tenths < SheetRange::kSpacingMinTenths || tenths > SheetRange::kSpacingMaxTenths)
        return std::string(kFitText);
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

// A switch as Qt's own INI files write it; "on" and "off" are read too.
template <bool WordChoices::*field>
bool ReadSwitch(std::string_view value, SheetSettings& into)
{
    if (value != "true" && value != "on" && value != "false" && value != "off")
        return false;
    into.shown.*field = value == "true" || value == "on";
    return true;
}

template <bool WordChoices::*field>
std::string WriteSwitch(const SheetSettings& from)
{
    return from.shown.*field ? "true" : "false";
}

bool ReadPaper(std::string_view value, SheetSettings& into)
{
    const std::optional<PaperChoice> paper = PaperNamed(value);
    if (paper)
        into.paper = *paper;
    return paper.has_value();
}

std::string WritePaper(const SheetSettings& from)
{
    return PaperName(from.paper);
}

// Whole millimetres within the range a harp's strings can have.
bool ReadHarpHeight(std::string_view value, SheetSettings& into)
{
    if (value.empty() || value.size() > 4 || value.find_first_not_of("0123456789") != std::string_view::npos)
        return false;
    int mm = 0;
    for (const char c : value)
        mm = mm * 10 + (c - '0');
    if (mm < SheetRange::kHarpHeightMinMm || mm > SheetRange::kHarpHeightMaxMm)
        return false;
    into.harpHeightMm = mm;
    return true;
}

std::string WriteHarpHeight(const SheetSettings& from)
{
    const int mm = std::clamp(from.harpHeightMm, SheetRange::kHarpHeightMinMm, SheetRange::kHarpHeightMaxMm);
    return std::to_string(mm);
}

bool ReadRepeats(std::string_view value, SheetSettings& into)
{
    if (value != "lines" && value != "written")
        return false;
    into.repeats = value == "lines" ? RepeatDrawing::kLines : RepeatDrawing::kWrittenOut;
    return true;
}

std::string WriteRepeats(const SheetSettings& from)
{
    return from.repeats == RepeatDrawing::kWrittenOut ? "written" : "lines";
}

bool ReadColour(std::string_view value, SheetSettings& into)
{
    if (value != "true" && value != "on" && value != "false" && value != "off")
        return false;
    into.colourVoices = value == "true" || value == "on";
    return true;
}

std::string WriteColour(const SheetSettings& from)
{
    return from.colourVoices ? "true" : "false";
}

// Every key of the file once, for reading and writing alike. A value that does not read keeps
// its default, so one bad line costs only its own setting.
struct SheetKey {
    std::string_view name;
    bool (*read)(std::string_view value, SheetSettings& into);
    std::string (*write)(const SheetSettings& from);
};

constexpr SheetKey kSheetKeys[] = {
    {"string_spacing_mm", ReadSpacing, WriteSpacing},
    {"lyrics", ReadSwitch<&WordChoices::words>, WriteSwitch<&WordChoices::words>},
    {"chords", ReadSwitch<&WordChoices::chords>, WriteSwitch<&WordChoices::chords>},
    {"measure_numbers", ReadSwitch<&WordChoices::measures>, WriteSwitch<&WordChoices::measures>},
    {"paper", ReadPaper, WritePaper},
    {"harp_height_mm", ReadHarpHeight, WriteHarpHeight},
    {"counts", ReadSwitch<&WordChoices::counts>, WriteSwitch<&WordChoices::counts>},
    {"repeats", ReadRepeats, WriteRepeats},
    {"colour_voices", ReadColour, WriteColour},
};

// The bytes of the open file, or false when it is larger than the bound.
bool ReadBounded(int fd, std::string& text)
{
    text.assign(kMaxSheetFileBytes + 1, '\0');
    size_t got = 0;
    while (got < text.size()) {
        const ssize_t r = read(fd, text.data() + got, text.size() - got);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break;
        got += static_cast<size_t>(r);
    }
    text.resize(got);
    return got <= kMaxSheetFileBytes;
}

// Text the program could have written: no control characters but line ends and tabs.
bool LooksLikeText(std::string_view text)
{
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 && c != '\n' && c != '\r' && c != '\t')
            return false;
    }
    return true;
}

// Walks the lines of the file's [sheet] groups, for reading and merging alike: `entry` for each
// that is neither blank nor a comment (a group's heading included), `setting` for each that
// names a key of ours, with the key's index and its value.
template <class Entry, class Setting>
void WalkSheetGroups(const std::vector<std::string>& lines, Entry entry, Setting setting)
{
    bool inGroup = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = Trimmed(lines[i]);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            inGroup = line == "[" + std::string(kGroup) + "]";
            if (inGroup)
                entry(i);
            continue;
        }
        if (!inGroup)
            continue;
        entry(i);
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view key = Trimmed(line.substr(0, equals));
        for (size_t k = 0; k < std::size(kSheetKeys); ++k)
            if (kSheetKeys[k].name == key)
                setting(i, k, Trimmed(line.substr(equals + 1)));
    }
}

void ParseSheetText(std::string_view text, SheetSettings& into)
{
    WalkSheetGroups(LinesOf(text), [](size_t) {}, [&](size_t, size_t k, std::string_view value) {
        SheetSettings candidate = into;
        if (kSheetKeys[k].read(value, candidate))
            into = candidate;
    });
}

// A byte-order mark some editors put before the first line; not part of the text.
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string_view WithoutBom(std::string_view text)
{
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom)
        text.remove_prefix(kUtf8Bom.size());
    return text;
}

enum class SheetFile { kNone, kNotOurs, kText };

// What lies at the path: nothing readable (missing, a folder, a FIFO, a device), a regular
// file that is not ours (over the bound, or not text), or our text, without its mark.
SheetFile ReadSheetFile(const std::string& path, std::string& text)
{
    const int fd = OpenRegularFile(path);
    if (fd < 0)
        return SheetFile::kNone;
    const bool bounded = ReadBounded(fd, text);
    close(fd);
    if (!bounded || !LooksLikeText(WithoutBom(text)))
        return SheetFile::kNotOurs;
    return SheetFile::kText;
}

SheetSettings ParsedSheet(std::string_view text)
{
    SheetSettings settings;
    ParseSheetText(WithoutBom(text), settings);
    return settings;
}

std::string FreshSheetText(const SheetSettings& settings, std::string_view lineEnd = "\n")
{
    std::string text = "[" + std::string(kGroup) + "]" + std::string(lineEnd);
    for (const SheetKey& k : kSheetKeys)
        text += std::string(k.name) + "=" + k.write(settings) + std::string(lineEnd);
    return text;
}

// Whether a merge adds lines for the settings that kept their value and have none yet.
enum class UnchangedKeys { kAdded, kLeftOut };

// The old text with the settings put in: every line stays as it was, except the line that gave a
// changed setting its old value, which now holds the new one; a changed setting without a line in
// the group gets one at the group's end (a group is added when there is none), and so does an
// unchanged one unless `unchanged` leaves them out. A player's comments, unknown keys and groups
// and lines the program could not read all survive.
std::string MergedSheetText(const std::string& old, const SheetSettings& settings, UnchangedKeys unchanged)
{
    const std::string_view bom = std::string_view(old).substr(0, old.size() - WithoutBom(old).size());
    const std::string_view body = std::string_view(old).substr(bom.size());
    std::vector<std::string> lines = LinesOf(body);
    const bool endsWithNewline = !body.empty() && body.back() == '\n';
    const std::string cr = body.find("\r\n") != std::string_view::npos ? "\r" : "";

    constexpr size_t kKeys = std::size(kSheetKeys);
    std::array<int, kKeys> anyLine, effectiveLine;
    anyLine.fill(-1);
    effectiveLine.fill(-1);
    int groupEnd = -1; // the last line of the last [sheet] group that is not blank or a comment
    WalkSheetGroups(lines, [&](size_t i) { groupEnd = static_cast<int>(i); },
                    [&](size_t i, size_t k, std::string_view value) {
                        anyLine[k] = static_cast<int>(i);
                        SheetSettings probe;
                        if (kSheetKeys[k].read(value, probe))
                            effectiveLine[k] = static_cast<int>(i);
                    });

    const SheetSettings stored = ParsedSheet(old);
    std::vector<std::string> added;
    for (size_t k = 0; k < kKeys; ++k) {
        const std::string line = std::string(kSheetKeys[k].name) + "=" + kSheetKeys[k].write(settings);
        if (kSheetKeys[k].write(stored) == kSheetKeys[k].write(settings)) {
            if (anyLine[k] < 0 && unchanged == UnchangedKeys::kAdded)
                added.push_back(line + cr);
        } else if (effectiveLine[k] >= 0) {
            lines[static_cast<size_t>(effectiveLine[k])] = line + cr;
        } else {
            added.push_back(line + cr); // after the lines that did not read, so it wins
        }
    }
    if (groupEnd < 0 && !added.empty())
        added.insert(added.begin(), "[" + std::string(kGroup) + "]" + cr);
    const size_t at = groupEnd < 0 ? lines.size() : static_cast<size_t>(groupEnd) + 1;
    const bool atEnd = at == lines.size();
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), added.begin(), added.end());

    std::string text(bom);
    for (size_t i = 0; i < lines.size(); ++i)
        text += lines[i] + (i + 1 < lines.size() || endsWithNewline || (atEnd && !added.empty()) ? "\n" : "");
    return text;
}

} // namespace

SheetSettings ReadSheetSettings(const QString& path, bool* spacingGiven)
{
    if (spacingGiven)
        *spacingGiven = false;
    std::string text;
    if (ReadSheetFile(QFile::encodeName(path).toStdString(), text) != SheetFile::kText)
        return {};
    if (spacingGiven)
        WalkSheetGroups(LinesOf(WithoutBom(text)), [](size_t) {}, [&](size_t, size_t k, std::string_view value) {
            SheetSettings probe;
            if (k == 0 && kSheetKeys[k].read(value, probe))
                *spacingGiven = true;
        });
    return ParsedSheet(text);
}

bool WriteSheetSettings(const QString& path, const SheetSettings& settings, const std::optional<SheetSettings>& opened)
{
    const std::string file = QFile::encodeName(path).toStdString();
    std::string old, text;
    const SheetFile found = ReadSheetFile(file, old);
    // The player chose nothing: what stood in for an unread value is no reason to write.
    if (found != SheetFile::kNone && opened && settings == *opened)
        return true;
    switch (found) {
    case SheetFile::kText: {
        if (ParsedSheet(old) == settings)
            return true; // it says all of it already: not a byte is touched
        // Beyond the bound the next start would not read it at all: then only the changed lines go
        // in, and when even they do not fit, the file stays whole and the save is refused.
        const auto fits = [&](const std::string& merged) {
            return merged.size() <= kMaxSheetFileBytes && ParsedSheet(merged) == settings;
        };
        text = MergedSheetText(old, settings, UnchangedKeys::kAdded);
        if (!fits(text))
            text = MergedSheetText(old, settings, UnchangedKeys::kLeftOut);
        if (!fits(text)) {
            ShowGeneralError(GeneralError::kCannotOpenFile);
            return false;
        }
        break;
    }
    case SheetFile::kNotOurs:
        // Its lines were not understood, so the program runs on the defaults: they are not
        // written over what the file holds; a setting the player chose is.
        if (settings == SheetSettings{})
            return true;
        text = FreshSheetText(settings);
        break;
    case SheetFile::kNone:
        text = FreshSheetText(settings); // a FIFO or device is refused by the writer, with its message
        break;
    }
    return WriteWholeFile(file, text.data(), text.size()) != 0;
}

bool ReadSheetSetting(std::string_view key, std::string_view value, SheetSettings& into)
{
    for (const SheetKey& k : kSheetKeys) {
        if (k.name != key)
            continue;
        SheetSettings candidate = into;
        if (!k.read(Trimmed(value), candidate))
            return false;
        into = candidate;
        return true;
    }
    return false;
}

bool IsSheetSettingKey(std::string_view key)
{
    return std::any_of(std::begin(kSheetKeys), std::end(kSheetKeys), [&](const SheetKey& k) { return k.name == key; });
}

std::string SheetSettingLines(const SheetSettings& settings)
{
    std::string text;
    for (const SheetKey& k : kSheetKeys)
        text += std::string(k.name) + "=" + k.write(settings) + "\n";
    return text;
}
