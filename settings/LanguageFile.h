#pragma once
// The language of the interface, kept in "language.ini" beside "setup.ini" (whose 184-byte
// record has no room for it):
//   [interface]
//   language=en

#include "common/TextTranslation.h"

#include <string>

constexpr const char* kLanguageFileName = "language.ini";

// The file's language; Japanese when the file is missing, unreadable, over 4 KiB or names no
// language the program speaks. Never blocks and never reports.
Language ReadLanguageFile(const std::string& path);
// Writes the file whole or leaves it as it was; false after the writer's message.
bool WriteLanguageFile(const std::string& path, Language language);
