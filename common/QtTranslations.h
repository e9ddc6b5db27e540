#pragma once
// The program's texts and Qt's own (the print and file dialogs, the message boxes' buttons) in
// the language the player chose.

#include "common/TextTranslation.h"

// Replaces the catalogues of the running application with those of the language: the program's
// own (none for Japanese, its source language), the distribution's catalogue of Qt's texts and,
// for Japanese, our catalogue of the Qt texts that one lacks. Open windows hear
// QEvent::LanguageChange. False when the distribution's catalogue is not installed; Qt's texts
// then stay English but for ours.
bool InstallLanguage(Language language);
// The language installed last; Japanese before any.
Language InstalledLanguage();

// The Japanese catalogues, as both programs start.
bool InstallQtTranslations();
