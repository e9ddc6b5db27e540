#include "library/TuneSheetsFile.h"

#include "common/FileServices.h"
#include "common/TrimmedText.h"
#include "settings/SheetSettingsFile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::string_view kSheetGroup = "[sheet]", kDefaultGroup = "[sheets]", kLibraryGroup = "[library]";
constexpr std::string_view kFitKey = "fit";

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

void ReadKey(std::string_view value, TuneSheet& into)
{
    constexpr int kReach = 48;
    if (value == kFitKey)
        into.key.reset();
    else if (const std::optional<int> semitones = Number(value, -kReach, kReach))
        into.key = semitones;
}

void ReadMeasures(std::string_view value, TuneSheet& into)
{
    const size_t dash = value.find('-');
    if (dash == std::string_view::npos)
        return;
    const std::optional<int> first = Number(value.substr(0, dash), 1, 1 << 20);
    const std::optional<int> last = Number(value.substr(dash + 1), 1, 1 << 20);
    if (first && last && *first <= *last)
        into.measures = {*first, *last};
}

void ReadStrings(std::string_view value, TuneSheet& into)
{
    std::vector<int32_t> strings;
    while (!value.empty()) {
        const size_t comma = std::min(value.find(','), value.size());
        const std::optional<int> note = Number(Trimmed(value.substr(0, comma)), 0, 127);
        if (!note || strings.size() >= static_cast<size_t>(kMaxStrings))
            return; // one bad note makes no harp
        strings.push_back(*note);
        value.remove_prefix(std::min(comma + 1, value.size()));
    }
    if (strings.size() >= 2)
        into.strings = std::move(strings);
}

// A voice number beyond any file's voices; the import refuses what the file lacks.
constexpr int kMaxVoiceNumber = 1 << 16;
constexpr std::string_view kChordsValue = "chords";

std::optional<VoiceRole> RoleNamed(std::string_view name)
{
    for (int r = 0; r < kVoiceRoleCount; ++r)
        if (name == VoiceRoleName(static_cast<VoiceRole>(r)))
            return static_cast<VoiceRole>(r);
    return std::nullopt;
}

bool IsText(std::string_view text)
{
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\n' && c != '\r' && c != '\t') || u == 0x7F)
            return false;
    }
    return true;
}

} // namespace

bool TuneSheet::operator==(const TuneSheet& o) const
{
    return name == o.name && key == o.key && measures.first == o.measures.first && measures.last == o.measures.last &&
           strings == o.strings && sheet == o.sheet && voices == o.voices;
}

std::string SheetVoicesText(const VoiceChoice& voices)
{
    // The melody always, so that a line of the melody alone is a line all the same.
    std::string text = std::string(VoiceRoleName(VoiceRole::kMelody)) + ":" +
                       std::to_string(std::max(voices[VoiceRole::kMelody], 0));
    for (int r = 1; r < kVoiceRoleCount; ++r) {
        const auto role = static_cast<VoiceRole>(r);
        if (voices[role] > 0)
            text += "," + std::string(VoiceRoleName(role)) + ":" + std::to_string(voices[role]);
    }
    if (voices.chordAccompaniment && voices[VoiceRole::kAccompaniment] <= 0)
        text += "," + std::string(VoiceRoleName(VoiceRole::kAccompaniment)) + ":" + std::string(kChordsValue);
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
        const std::string_view value = entry.substr(colon + 1);
        if (!role || named[static_cast<size_t>(*role)])
            return std::nullopt;
        named[static_cast<size_t>(*role)] = true;
        if (*role == VoiceRole::kAccompaniment && value == kChordsValue) {
            read.chordAccompaniment = true;
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

const TuneSheet* TuneSheets::Find(std::string_view name) const
{
    for (const TuneSheet& s : sheets)
        if (s.name == name)
            return &s;
    return nullptr;
}

const TuneSheet* TuneSheets::Default() const
{
    if (const TuneSheet* named = Find(defaultName))
        return named;
    return sheets.empty() ? nullptr : &sheets.front();
}

void TuneSheets::Put(TuneSheet sheet)
{
    for (TuneSheet& s : sheets)
        if (s.name == sheet.name) {
            s = std::move(sheet);
            return;
        }
    if (sheets.empty())
        defaultName = sheet.name;
    sheets.push_back(std::move(sheet));
}

std::string TuneSheetsPath(const std::string& tunePath)
{
    return tunePath + ".ini";
}

std::string TuneSheetName(std::string_view typed)
{
    std::string name;
    for (const char c : typed)
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F)
            name += c;
    name = std::string(Trimmed(name));
    if (name.size() > kMaxTuneSheetNameBytes) {
        size_t cut = kMaxTuneSheetNameBytes;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut; // never inside a UTF-8 character
        name.resize(cut);
    }
    return name;
}

std::string TuneSheetsText(const TuneSheets& sheets)
{
    std::string text = "; この曲の用紙\n" + std::string(kDefaultGroup) + "\ndefault=" + sheets.defaultName + "\n";
    if (sheets.listing) {
        text += "\n" + std::string(kLibraryGroup) + "\ntitle=" + TuneSheetName(sheets.listing->title) +
                "\nfame=" + std::to_string(std::clamp(sheets.listing->fame, 0, 255)) + "\n";
        if (sheets.listing->choice >= 0)
            text += "choice=" + std::to_string(sheets.listing->choice) + "\n";
    }
    for (const TuneSheet& s : sheets.sheets) {
        text += "\n" + std::string(kSheetGroup) + "\nname=" + s.name + "\n";
        text += "key=" + (s.key ? (*s.key > 0 ? "+" : "") + std::to_string(*s.key) : std::string(kFitKey)) + "\n";
        text += "measures=" + std::to_string(s.measures.first) + "-" + std::to_string(s.measures.last) + "\n";
        if (!s.strings.empty()) {
            text += "strings=";
            for (size_t i = 0; i < s.strings.size(); ++i)
                text += (i ? "," : "") + std::to_string(s.strings[i]);
            text += "\n";
        }
        if (s.voices)
            text += "voices=" + SheetVoicesText(*s.voices) + "\n";
        text += SheetSettingLines(s.sheet);
    }
    return text;
}

bool ParseTuneSheets(std::string_view text, TuneSheets& into)
{
    TuneSheets read;
    enum class Group { kOther, kDefault, kSheet, kLibrary } group = Group::kOther;
    std::vector<TuneSheet> found;
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = Trimmed(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            group = line == kSheetGroup     ? Group::kSheet
                    : line == kDefaultGroup ? Group::kDefault
                    : line == kLibraryGroup ? Group::kLibrary
                                            : Group::kOther;
            if (group == Group::kLibrary && !read.listing)
                read.listing.emplace();
            if (group == Group::kSheet)
                found.emplace_back();
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view key = Trimmed(line.substr(0, equals)), value = Trimmed(line.substr(equals + 1));
        if (group == Group::kLibrary) {
            if (key == "title")
                read.listing->title = TuneSheetName(value);
            else if (key == "fame")
                read.listing->fame = Number(value, 0, 255).value_or(read.listing->fame);
            else if (key == "choice")
                read.listing->choice = Number(value, 0, 1 << 20).value_or(read.listing->choice);
        } else if (group == Group::kDefault && key == "default") {
            read.defaultName = TuneSheetName(value);
        } else if (group == Group::kSheet) {
            TuneSheet& s = found.back();
            if (key == "name")
                s.name = TuneSheetName(value);
            else if (key == "key")
                ReadKey(value, s);
            else if (key == "measures")
                ReadMeasures(value, s);
            else if (key == "strings")
                ReadStrings(value, s);
            else if (key == "voices")
                s.voices = ParseSheetVoices(value);
            else
                ReadSheetSetting(key, value, s.sheet);
        }
    }
    // A sheet without a name cannot be chosen; of two of one name the first counts.
    for (TuneSheet& s : found)
        if (!s.name.empty() && !read.Find(s.name) && read.sheets.size() < kMaxTuneSheets)
            read.sheets.push_back(std::move(s));
    if (read.sheets.empty() && !(read.listing && !read.listing->title.empty()))
        return false;
    into = std::move(read);
    return true;
}

TuneSheetsRead ReadTuneSheets(const std::string& path, TuneSheets& into)
{
    struct stat link{};
    if (lstat(path.c_str(), &link) != 0)
        return TuneSheetsRead::kNone;
    // Opened only when it is a regular file, without waiting: a FIFO, a device or a loop of links is refused.
    const int fd = OpenRegularFile(path);
    if (fd < 0)
        return TuneSheetsRead::kDamaged;
    std::string text(kMaxTuneSheetsFileBytes + 1, '\0');
    size_t got = 0;
    while (got < text.size()) {
        const ssize_t r = read(fd, text.data() + got, text.size() - got);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break;
        got += static_cast<size_t>(r);
    }
    close(fd);
    text.resize(got);
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    std::string_view body = text;
    if (body.substr(0, kBom.size()) == kBom)
        body.remove_prefix(kBom.size());
    if (got > kMaxTuneSheetsFileBytes || !IsText(body) || !ParseTuneSheets(body, into))
        return TuneSheetsRead::kDamaged;
    return TuneSheetsRead::kRead;
}

bool WriteTuneSheets(const std::string& path, const TuneSheets& sheets)
{
    const std::string text = TuneSheetsText(sheets);
    return WriteWholeFile(path, text.data(), text.size()) != 0;
}
