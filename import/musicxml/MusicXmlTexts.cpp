#include "import/musicxml/MusicXmlTexts.h"

#include "common/Utf8.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <string_view>
#include <utility>

namespace {

std::string Trimmed(const char* text)
{
    std::string s = text;
    const size_t a = s.find_first_not_of(" \t\r\n");
    const size_t b = s.find_last_not_of(" \t\r\n");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

} // namespace

std::string TitleOf(pugi::xml_node score)
{
    std::string title = Trimmed(score.child("work").child_value("work-title"));
    if (title.empty())
        title = Trimmed(score.child_value("movement-title"));
    for (pugi::xml_node credit : score.children("credit")) {
        if (!title.empty())
            break;
        if (Trimmed(credit.child_value("credit-type")) == "title")
            title = Trimmed(credit.child_value("credit-words"));
    }
    return title;
}

std::string CreatorOf(pugi::xml_node score, const char* type)
{
    for (pugi::xml_node creator : score.child("identification").children("creator"))
        if (std::string_view(creator.attribute("type").value()) == type)
            return Trimmed(creator.child_value());
    return {};
}

std::string PartNameOf(pugi::xml_node scorePart)
{
    std::string name = Trimmed(scorePart.child_value("part-name"));
    if (name.empty())
        name = Trimmed(scorePart.child_value("part-abbreviation"));
    return name;
}

std::vector<std::string> FurtherVerses(const std::vector<pugi::xml_node>& measures, int& leftOut)
{
    constexpr size_t kMaxVerses = 64, kMaxVerseBytes = 2000;
    std::map<std::string, std::string> verses;
    std::set<std::string> beyond; // verse numbers past the first kMaxVerses, counted once each
    for (pugi::xml_node measure : measures)
        for (pugi::xml_node note : measure.children("note"))
            for (pugi::xml_node lyric : note.children("lyric")) {
                const std::string number = lyric.attribute("number").as_string("1");
                if (number == "1")
                    continue;
                if (!verses.contains(number) && verses.size() >= kMaxVerses) {
                    if (beyond.size() < kMaxVerses)
                        beyond.insert(number);
                    continue;
                }
                std::string& line = verses[number];
                const std::string syllabic = Trimmed(lyric.child_value("syllabic"));
                const std::string text = Trimmed(lyric.child_value("text"));
                if (text.empty() || line.size() > kMaxVerseBytes)
                    continue;
                line += text;
                if (syllabic != "begin" && syllabic != "middle")
                    line += ' ';
            }
    std::vector<std::pair<int, std::string>> numbered;
    for (auto& [number, line] : verses) {
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        if (!line.empty())
            numbered.push_back({std::atoi(number.c_str()), CutUtf8(std::move(line), kMaxVerseBytes)});
    }
    std::sort(numbered.begin(), numbered.end());
    leftOut = static_cast<int>(beyond.size());
    std::vector<std::string> out;
    for (auto& [number, line] : numbered)
        out.push_back(std::move(line));
    return out;
}
