#pragma once
// The program's texts in the language the player chose. The core has no Qt: it asks
// CoreText::translate (a name Qt's lupdate collects, as it does QT_TRANSLATE_NOOP) where it shows
// a text, and the Qt layer installs the translator. Without one every text stays Japanese, the
// source language, as stored files and comparisons keep it.

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif

enum class Language { kJapanese, kEnglish, kGerman };

// "ja", "en" or "de", as the settings file and the renderer's --language name them.
const char* LanguageCode(Language language);
// None for any other code.
std::optional<Language> LanguageNamed(std::string_view code);

using TextTranslator = std::string (*)(const char* context, const char* text);
// nullptr takes the translator away.
void SetTextTranslator(TextTranslator translator);
namespace CoreText {
// The text in the chosen language (UTF-8); the source text when there is no translation.
std::string translate(const char* context, const char* text);
} // namespace CoreText

// The pattern with %1, %2... replaced by the values, so that a translation may put them in the
// order its language needs.
std::string FilledText(std::string pattern, std::initializer_list<std::string> values);
