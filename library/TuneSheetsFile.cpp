#include "library/TuneSheetsFile.h"

#include "library/TuneSheetValues.h"

#include "common/TextTranslation.h"
#include "common/FileServices.h"
#include "common/Messages.h"
#include "common/TrimmedText.h"
#include "settings/SheetSettingsFile.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>
#include <sys/stat.h>
#include <unistd.h>

using namespace SheetValues;

namespace {

constexpr std::string_view kSheetGroup = "[sheet]", kDefaultGroup = "[sheets]", kLibraryGroup = "[library]";

// Lines of a value that did not read, as told: a few, then how many more.
constexpr size_t kUnreadLinesTold = 5;

bool IsText(std::string_view text)
{
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\n' && c != '\r' && c != '\t') || u == 0x7F)
            return false;
    }
    return true;
}

std::string DefaultLine(const TuneSheets& sheets)
{
    return "default=" + sheets.defaultName;
}

std::string ListingLines(const LibraryListing& listing)
{
    std::string text = "title=" + TuneSheetName(listing.title) + "\nfame=" + std::to_string(std::clamp(listing.fame, 0, 255)) + "\n";
    if (listing.choice >= 0)
        text += "choice=" + std::to_string(listing.choice) + "\n";
    return text;
}

std::string SheetLines(const TuneSheet& s)
{
    std::string text = "name=" + s.name + "\n";
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
    if (s.sheet.players.who != SheetPlayers::Who::kGroup)
        text += "players=" + PlayersText(s.sheet.players) + "\n";
    return text + SheetSettingLines(s.sheet) + PracticeLines(s.practice);
}


constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string_view WithoutBom(std::string_view text)
{
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom)
        text.remove_prefix(kUtf8Bom.size());
    return text;
}

} // namespace

bool TuneSheet::operator==(const TuneSheet& o) const
{
    return name == o.name && key == o.key && measures.first == o.measures.first && measures.last == o.measures.last &&
           strings == o.strings && sheet == o.sheet && voices == o.voices && practice == o.practice;
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

std::string UnreadSheetLinesText(const std::string& fileName, const std::vector<std::pair<int, std::string>>& unread)
{
    if (unread.empty())
        return {};
    std::string lines;
    for (size_t i = 0; i < unread.size() && i < kUnreadLinesTold; ++i)
        lines += (i ? CoreText::translate("TuneSheets", "、") : std::string()) +
                 FilledText(CoreText::translate("TuneSheets", "%1行目「%2」"), {std::to_string(unread[i].first), unread[i].second});
    if (unread.size() > kUnreadLinesTold)
        lines += FilledText(CoreText::translate("TuneSheets", "ほか%1行"), {std::to_string(unread.size() - kUnreadLinesTold)});
    return FilledText(CoreText::translate("TuneSheets", "この曲の用紙ファイル「%1」の%2は値を読めないため、使わずに開きます。"),
                      {fileName, lines});
}

std::string TuneSheetsText(const TuneSheets& sheets)
{
    std::string text = "; この曲の用紙\n" + std::string(kDefaultGroup) + "\n" + DefaultLine(sheets) + "\n";
    if (sheets.listing)
        text += "\n" + std::string(kLibraryGroup) + "\n" + ListingLines(*sheets.listing);
    for (const TuneSheet& s : sheets.sheets)
        text += "\n" + std::string(kSheetGroup) + "\n" + SheetLines(s);
    return text;
}

bool ParseTuneSheets(std::string_view text, TuneSheets& into)
{
    TuneSheets read;
    enum class Group { kOther, kDefault, kSheet, kLibrary } group = Group::kOther;
    std::vector<TuneSheet> found;
    int lineNumber = 0;
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = Trimmed(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        ++lineNumber;
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
        const auto unread = [&](std::vector<std::pair<int, std::string>>& into) {
            into.push_back({lineNumber, TuneSheetName(line)});
        };
        if (group == Group::kLibrary) {
            if (key == "title")
                read.listing->title = TuneSheetName(value);
            else if (key == "fame" || key == "choice") {
                const std::optional<int> n = key == "fame" ? Number(value, 0, 255) : Number(value, 0, 1 << 20);
                if (!n)
                    unread(read.unread);
                else
                    (key == "fame" ? read.listing->fame : read.listing->choice) = *n;
            }
        } else if (group == Group::kDefault && key == "default") {
            read.defaultName = TuneSheetName(value);
        } else if (group == Group::kSheet) {
            TuneSheet& s = found.back();
            bool understood = true;
            if (key == "name")
                s.name = TuneSheetName(value);
            else if (key == "key")
                understood = ReadKey(value, s);
            else if (key == "measures")
                understood = ReadMeasures(value, s);
            else if (key == "strings")
                understood = ReadStrings(value, s);
            else if (key == "voices")
                understood = (s.voices = ParseSheetVoices(value)).has_value();
            else if (key == "players") {
                const std::optional<SheetPlayers> players = ParsePlayers(value);
                understood = players.has_value();
                s.sheet.players = players.value_or(SheetPlayers{});
            }
            else if (IsSheetSettingKey(key))
                understood = ReadSheetSetting(key, value, s.sheet);
            else
                understood = ReadPracticeSetting(key, value, s.practice);
            if (!understood)
                unread(s.unread);
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
    const std::string_view body = WithoutBom(text);
    if (got > kMaxTuneSheetsFileBytes || !IsText(body))
        return TuneSheetsRead::kDamaged;
    const bool read = ParseTuneSheets(body, into);
    into.fileText = std::move(text); // even without a sheet: a save keeps what it holds
    return read ? TuneSheetsRead::kRead : TuneSheetsRead::kDamaged;
}

namespace {

std::string_view KeyOf(std::string_view line)
{
    line = Trimmed(line);
    const size_t equals = line.find('=');
    if (line.empty() || line.front() == ';' || line.front() == '#' || equals == std::string_view::npos)
        return {};
    return Trimmed(line.substr(0, equals));
}

bool IsSheetKey(std::string_view key)
{
    return key == "name" || key == "key" || key == "measures" || key == "strings" || key == "voices" ||
           key == "players" || IsSheetSettingKey(key) || IsPracticeKey(key);
}

bool IsListingKey(std::string_view key)
{
    return key == "title" || key == "fame" || key == "choice";
}

bool IsDefaultKey(std::string_view key)
{
    return key == "default";
}

// A heading and the lines under it up to the next; the lines before the first heading have none.
struct FileGroup {
    std::string heading;
    std::vector<std::string> lines; // the heading's first
};

std::vector<FileGroup> GroupsOf(const std::vector<std::string>& lines)
{
    std::vector<FileGroup> groups(1);
    for (const std::string& line : lines) {
        const std::string_view trimmed = Trimmed(line);
        if (!trimmed.empty() && trimmed.front() == '[')
            groups.push_back({std::string(trimmed), {}});
        groups.back().lines.push_back(line);
    }
    return groups;
}

std::vector<std::string> LinesWithEnd(std::string_view text, const std::string& cr)
{
    std::vector<std::string> lines = LinesOf(text);
    for (std::string& line : lines)
        line += cr;
    return lines;
}

// The group with its own keys' lines taken out and `fresh` in the place of the first of them (under
// the heading when it had none); its comments and lines of other keys stay where they were.
void Rewrite(FileGroup& group, bool (*ours)(std::string_view), const std::vector<std::string>& fresh)
{
    std::vector<std::string> lines;
    bool placed = false;
    for (size_t i = 0; i < group.lines.size(); ++i) {
        const bool mine = i > 0 && ours(KeyOf(group.lines[i]));
        if (mine && !placed) {
            lines.insert(lines.end(), fresh.begin(), fresh.end());
            placed = true;
        }
        if (!mine)
            lines.push_back(group.lines[i]);
    }
    if (!placed)
        lines.insert(lines.begin() + (group.lines.empty() ? 0 : 1), fresh.begin(), fresh.end());
    group.lines = std::move(lines);
}

// The sheets put into the file's text as it was read: a sheet that changed takes its group's
// lines, one the file lacks comes at its end, the default and the listing take their lines; the
// file's comments, unknown keys and groups and the sheets the reading passed over stay.
std::string MergedTuneSheetsText(std::string_view old, const TuneSheets& sheets)
{
    const std::string_view body = WithoutBom(old);
    const std::string cr = body.find("\r\n") != std::string_view::npos ? "\r" : "";
    TuneSheets stored;
    ParseTuneSheets(body, stored);
    std::vector<FileGroup> groups = GroupsOf(LinesOf(body));

    std::vector<std::string> namesSeen;
    std::vector<const TuneSheet*> placed;
    bool defaultDone = stored.defaultName == sheets.defaultName, listingDone = !sheets.listing || stored.listing == sheets.listing;
    bool defaultGroup = false, listingGroup = false;
    for (FileGroup& g : groups) {
        if (g.heading == kDefaultGroup) {
            if (!defaultDone)
                Rewrite(g, IsDefaultKey, defaultGroup ? std::vector<std::string>{} : LinesWithEnd(DefaultLine(sheets), cr));
            defaultGroup = true;
        } else if (g.heading == kLibraryGroup) {
            if (!listingDone)
                Rewrite(g, IsListingKey, listingGroup ? std::vector<std::string>{} : LinesWithEnd(ListingLines(*sheets.listing), cr));
            listingGroup = true;
        } else if (g.heading == kSheetGroup) {
            std::string text;
            for (const std::string& line : g.lines)
                text += line + "\n";
            TuneSheets alone;
            if (!ParseTuneSheets(text, alone))
                continue; // no name: nobody's sheet
            const std::string& name = alone.sheets.front().name;
            if (std::find(namesSeen.begin(), namesSeen.end(), name) != namesSeen.end())
                continue; // the first of a name counts
            namesSeen.push_back(name);
            const TuneSheet* now = sheets.Find(name);
            if (!now)
                continue;
            placed.push_back(now);
            if (!(*now == alone.sheets.front()))
                Rewrite(g, IsSheetKey, LinesWithEnd(SheetLines(*now), cr));
        }
    }

    // New groups come before the sheets, as in a fresh file: [sheets] under the opening comments.
    if (!defaultDone && !defaultGroup)
        groups.insert(groups.begin() + 1, {std::string(kDefaultGroup), LinesWithEnd(std::string(kDefaultGroup) + "\n" + DefaultLine(sheets) + "\n\n", cr)});
    if (!listingDone && !listingGroup) {
        const auto firstSheet = std::find_if(groups.begin(), groups.end(), [](const FileGroup& g) { return g.heading == kSheetGroup; });
        groups.insert(firstSheet, {std::string(kLibraryGroup), LinesWithEnd(std::string(kLibraryGroup) + "\n" + ListingLines(*sheets.listing) + "\n", cr)});
    }

    std::string text(old.substr(0, old.size() - body.size())); // the byte-order mark
    const size_t mark = text.size();
    for (const FileGroup& g : groups)
        for (const std::string& line : g.lines)
            text += line + "\n";
    if (!body.empty() && body.back() != '\n' && text.size() > mark)
        text.pop_back(); // it ends as the file did
    bool appended = false;
    for (const TuneSheet& s : sheets.sheets) {
        if (std::find(placed.begin(), placed.end(), &s) != placed.end())
            continue;
        if (!appended && !text.empty() && text.back() != '\n')
            text += cr + "\n";
        appended = true;
        text += cr + "\n" + std::string(kSheetGroup) + cr + "\n";
        for (const std::string& line : LinesWithEnd(SheetLines(s), cr))
            text += line + "\n";
    }
    return text;
}

// Whether every sheet, the default and the listing read back from the text as a fresh file of
// them would give them: a sheet past the reading bound, or a file over its size, would be lost.
bool ReadsBack(std::string_view text, const TuneSheets& sheets)
{
    TuneSheets back;
    ParseTuneSheets(WithoutBom(text), back);
    for (const TuneSheet& s : sheets.sheets) {
        TuneSheets alone, fresh;
        alone.sheets = {s};
        if (!ParseTuneSheets(TuneSheetsText(alone), fresh))
            continue; // a sheet without a name is nobody's to lose
        const TuneSheet* found = back.Find(s.name);
        if (!found || !(*found == fresh.sheets.front()))
            return false;
    }
    TuneSheets listed;
    listed.listing = sheets.listing;
    if (sheets.listing && ParseTuneSheets(TuneSheetsText(listed), listed) && back.listing != listed.listing)
        return false;
    return back.defaultName == TuneSheetName(sheets.defaultName);
}

std::string FileNameOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

bool WriteTuneSheets(const std::string& path, const TuneSheets& sheets)
{
    const std::string text = sheets.fileText.empty() ? TuneSheetsText(sheets) : MergedTuneSheetsText(sheets.fileText, sheets);
    // Nothing is written that the next opening would not read whole.
    if (text.size() > kMaxTuneSheetsFileBytes) {
        ShowMessage(FilledText(CoreText::translate("TuneSheets", "この曲の用紙ファイル「%1」は%2 KiBを超えられないため、用紙を保存できませんでした。"),
                               {FileNameOf(path), std::to_string(kMaxTuneSheetsFileBytes / 1024)}));
        return false;
    }
    if (!ReadsBack(text, sheets)) {
        ShowMessage(FilledText(CoreText::translate("TuneSheets", "この曲の用紙ファイル「%1」には用紙が%2までしか入らないため、用紙を保存できませんでした。"),
                               {FileNameOf(path), std::to_string(kMaxTuneSheets)}));
        return false;
    }
    return WriteWholeFile(path, text.data(), text.size()) != 0;
}
