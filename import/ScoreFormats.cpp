// The score formats the import knows: their names and patterns for the load dialog, how a
// file's first bytes tell which it is, and how each names the melodies a file offers.

#include "import/ScoreImport.h"

#include "common/FileServices.h"
#include "common/TextTranslation.h"
#include "import/musicxml/MusicXmlReader.h"
#include "import/musicxml/MxlContainer.h"

#include <algorithm>
#include <cstring>

namespace {

bool StartsWith(const std::vector<uint8_t>& bytes, size_t at, const char* text)
{
    const size_t n = std::strlen(text);
    return bytes.size() >= at + n && std::memcmp(bytes.data() + at, text, n) == 0;
}

bool LooksLikeXml(const std::vector<uint8_t>& bytes)
{
    if (XmlInUtf32(bytes) != XmlByteOrder::None)
        return true;
    if (StartsWith(bytes, 0, "\xFF\xFE") || StartsWith(bytes, 0, "\xFE\xFF"))
        return true; // UTF-16 byte order marks
    if (XmlInUtf16WithoutMark(bytes) != XmlByteOrder::None)
        return true;
    size_t at = StartsWith(bytes, 0, "\xEF\xBB\xBF") ? 3 : 0;
    while (at < bytes.size() && (bytes[at] == ' ' || bytes[at] == '\t' || bytes[at] == '\r' || bytes[at] == '\n'))
        ++at;
    return StartsWith(bytes, at, "<?xml") || StartsWith(bytes, at, "<!") || StartsWith(bytes, at, "<score-");
}

// A standard MIDI file, bare or in its RIFF wrapping.
bool LooksLikeMidi(const std::vector<uint8_t>& bytes)
{
    return StartsWith(bytes, 0, "MThd") || (StartsWith(bytes, 0, "RIFF") && StartsWith(bytes, 8, "RMID"));
}

// An ABC file names its version first or starts a tune with "X:" at a line's start, near the top.
bool LooksLikeAbc(const std::vector<uint8_t>& bytes)
{
    constexpr size_t kLookAhead = 4096;
    const size_t end = std::min(bytes.size(), kLookAhead);
    size_t at = StartsWith(bytes, 0, "\xEF\xBB\xBF") ? 3 : 0;
    if (StartsWith(bytes, at, "%abc"))
        return true;
    for (; at + 1 < end; ++at) {
        if ((at == 0 || bytes[at - 1] == '\n' || bytes[at - 1] == '\r') && bytes[at] == 'X' && bytes[at + 1] == ':')
            return true;
        if (bytes[at] == 0)
            return false; // binary
    }
    return false;
}

} // namespace

const std::vector<ScoreFormatInfo>& ScoreFormats()
{
    static const std::vector<ScoreFormatInfo> formats = {
        {ScoreFormat::SongFile, "mwd files", "*.mwd", "", ""},
        {ScoreFormat::MusicXml, "MusicXML", "*.musicxml;*.xml;*.mxl", QT_TRANSLATE_NOOP("ScoreImport", "パートの選択"),
         QT_TRANSLATE_NOOP("Messages", "指定されたパートがありません。")},
        {ScoreFormat::Abc, "ABC", "*.abc", QT_TRANSLATE_NOOP("ScoreImport", "曲の選択"),
         QT_TRANSLATE_NOOP("Messages", "指定された曲がありません。")},
        {ScoreFormat::Midi, "MIDI", "*.mid;*.midi", QT_TRANSLATE_NOOP("ScoreImport", "トラックの選択"),
         QT_TRANSLATE_NOOP("Messages", "指定されたトラックがありません。")},
    };
    return formats;
}

std::string ScoreFileFilter()
{
    std::string all, each;
    for (const ScoreFormatInfo& info : ScoreFormats()) {
        all += (all.empty() ? "" : ";") + std::string(info.patterns);
        each += std::string(info.description) + "|" + info.patterns + "|";
    }
    return CoreText::translate("ScoreImport", "楽譜ファイル") + "|" + all + "|" + each +
           CoreText::translate("ScoreImport", "すべてのファイル") + "|*|";
}

bool IsSongFileName(const std::string& path)
{
    return HasSuffix(path, ".mwd");
}

ScoreFormat DetectScoreFormat(const std::vector<uint8_t>& content)
{
    if (LooksLikeZip(content) || LooksLikeXml(content))
        return ScoreFormat::MusicXml;
    if (LooksLikeMidi(content))
        return ScoreFormat::Midi;
    if (LooksLikeAbc(content))
        return ScoreFormat::Abc;
    return ScoreFormat::SongFile;
}

std::string ChoiceLabel(ScoreFormat format, const MelodyChoice& choice)
{
    switch (format) {
    case ScoreFormat::Abc: return "X:" + std::to_string(choice.number) + (choice.name.empty() ? "" : " " + choice.name);
    case ScoreFormat::Midi:
        return FilledText(CoreText::translate("ScoreImport", "%1 (%2音)"),
                          {choice.name.empty() ? FilledText(CoreText::translate("ScoreImport", "トラック %1"), {std::to_string(choice.number)})
                                               : choice.name,
                           std::to_string(std::max(choice.noteCount, 0))});
    default: return choice.name;
    }
}
