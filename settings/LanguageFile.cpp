#include "settings/LanguageFile.h"

#include "common/FileServices.h"
#include "common/TrimmedText.h"

#include <unistd.h>

namespace {

constexpr size_t kMaxLanguageFileBytes = 4096;

} // namespace

Language ReadLanguageFile(const std::string& path)
{
    const int fd = OpenRegularFile(path);
    if (fd < 0)
        return Language::kJapanese;
    std::string bytes(kMaxLanguageFileBytes + 1, '\0');
    size_t have = 0;
    while (have < bytes.size()) {
        const ssize_t got = read(fd, bytes.data() + have, bytes.size() - have);
        if (got <= 0)
            break;
        have += size_t(got);
    }
    close(fd);
    if (have > kMaxLanguageFileBytes)
        return Language::kJapanese;
    bytes.resize(have);
    std::string_view group;
    Language language = Language::kJapanese;
    for (const std::string& line : LinesOf(bytes)) {
        const std::string_view text = Trimmed(line);
        if (!text.empty() && text.front() == '[')
            group = text;
        else if (group == "[interface]" && text.substr(0, 9) == "language=")
            language = LanguageNamed(Trimmed(text.substr(9))).value_or(Language::kJapanese);
    }
    return language;
}

bool WriteLanguageFile(const std::string& path, Language language)
{
    const std::string text = std::string("[interface]\nlanguage=") + LanguageCode(language) + "\n";
    return WriteWholeFile(path, text.data(), text.size()) != 0;
}
