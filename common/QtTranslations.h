#pragma once
// Qt's own texts (the print and file dialogs, the message boxes' buttons) in Japanese.

// Loads the distribution's Japanese catalogue of Qt into the running application, once, with
// our own catalogue of the texts it lacks beside it. False when the distribution's catalogue
// is not installed; Qt's texts then stay English but for ours.
bool InstallQtTranslations();
