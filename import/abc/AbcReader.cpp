#include "import/abc/AbcReader.h"

#include "import/abc/AbcFile.h"
#include "import/abc/AbcTuneReader.h"

#include <string_view>

namespace {

std::string_view TextOf(const std::vector<uint8_t>& bytes)
{
    return std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// The file header's fields, read once: a collection may hold thousands of tunes after a long
// header, and each tune starts from this state.
AbcTuneReader ReadFileHeader(std::string_view text, const AbcFileLayout& file)
{
    AbcTuneReader reader;
    std::string_view line;
    for (AbcLines header(text, 0, file.headerEnd, file.separator); header.Next(line);)
        reader.ReadFileHeaderLine(line);
    return reader;
}

bool ReadTune(std::string_view text, const AbcFileLayout& file, const AbcTuneSpan& tune, AbcTuneReader reader,
              Melody& out)
{
    std::string_view line;
    for (AbcLines body(text, tune.begin, tune.end, file.separator); body.Next(line);)
        reader.ReadLine(line);
    return reader.Finish(out);
}

} // namespace

bool ListAbcTunes(const std::vector<uint8_t>& bytes, std::vector<MelodyChoice>& tunes)
{
    AbcFileLayout file = ScanAbcFile(TextOf(bytes));
    tunes.clear();
    tunes.reserve(file.tunes.size());
    for (AbcTuneSpan& tune : file.tunes)
        tunes.push_back(MelodyChoice{tune.number, std::move(tune.title), -1});
    return !tunes.empty();
}

ImportStatus ReadAbc(const std::vector<uint8_t>& bytes, int choice, Melody& out)
{
    const std::string_view text = TextOf(bytes);
    const AbcFileLayout file = ScanAbcFile(text);
    if (file.tunes.empty())
        return ImportStatus::Unreadable;
    const AbcTuneReader afterHeader = ReadFileHeader(text, file);
    bool found = false;
    for (const AbcTuneSpan& tune : file.tunes) {
        if (choice != kDefaultChoice && tune.number != choice)
            continue;
        found = true;
        Melody melody;
        if (ReadTune(text, file, tune, afterHeader, melody)) {
            out = std::move(melody);
            return ImportStatus::Ok;
        }
        if (choice != kDefaultChoice)
            break;
    }
    return found ? ImportStatus::NoMelody : ImportStatus::NoSuchChoice;
}
