#include "settings/SheetSettingsFile.h"

#include "common/FileServices.h"

#include <QFile>
#include <cerrno>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

// A hand-written file of a few lines; anything larger is not ours.
constexpr size_t kMaxSheetFileBytes = 4096;
constexpr std::string_view kGroup = "sheet";
constexpr std::string_view kFitText = "fit";

std::string_view Trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

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
};

// The file's bytes, or false when it is not a regular file or larger than the bound.
bool ReadBoundedFile(const std::string& path, std::string& text)
{
    const int fd = OpenRegularFile(path);
    if (fd < 0)
        return false;
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
    close(fd);
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

void ParseSheetText(std::string_view text, SheetSettings& into)
{
    bool inGroup = false;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = Trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            inGroup = line == "[" + std::string(kGroup) + "]";
            continue;
        }
        const size_t equals = line.find('=');
        if (!inGroup || equals == std::string_view::npos)
            continue;
        const std::string_view key = Trimmed(line.substr(0, equals));
        for (const SheetKey& k : kSheetKeys)
            if (k.name == key) {
                SheetSettings candidate = into;
                if (k.read(Trimmed(line.substr(equals + 1)), candidate))
                    into = candidate;
            }
    }
}

} // namespace

SheetSettings ReadSheetSettings(const QString& path)
{
    SheetSettings settings;
    std::string text;
    if (!ReadBoundedFile(QFile::encodeName(path).toStdString(), text) || !LooksLikeText(text))
        return {};
    ParseSheetText(text, settings);
    return settings;
}

bool WriteSheetSettings(const QString& path, const SheetSettings& settings)
{
    std::string text = "[" + std::string(kGroup) + "]\n";
    for (const SheetKey& k : kSheetKeys)
        text += std::string(k.name) + "=" + k.write(settings) + "\n";
    return WriteWholeFile(QFile::encodeName(path).toStdString(), text.data(), text.size()) != 0;
}
