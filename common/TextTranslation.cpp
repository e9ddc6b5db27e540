#include "common/TextTranslation.h"

#include <atomic>

namespace {

std::atomic<TextTranslator> g_translator{nullptr};

constexpr struct {
    Language language;
    const char* code;
} kLanguageCodes[] = {
    {Language::kJapanese, "ja"},
    {Language::kEnglish, "en"},
    {Language::kGerman, "de"},
};

} // namespace

const char* LanguageCode(Language language)
{
    for (const auto& entry : kLanguageCodes)
        if (entry.language == language)
            return entry.code;
    return "ja";
}

std::optional<Language> LanguageNamed(std::string_view code)
{
    for (const auto& entry : kLanguageCodes)
        if (code == entry.code)
            return entry.language;
    return std::nullopt;
}

void SetTextTranslator(TextTranslator translator)
{
    g_translator = translator;
}

std::string CoreText::translate(const char* context, const char* text)
{
    const TextTranslator translator = g_translator.load();
    return translator ? translator(context, text) : std::string(text);
}

std::string FilledText(std::string pattern, std::initializer_list<std::string> values)
{
    std::string out;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const size_t n = i + 1 < pattern.size() ? size_t(pattern[i + 1] - '1') : values.size();
        if (pattern[i] == '%' && n < values.size() && n < 9) {
            out += values.begin()[n];
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}
