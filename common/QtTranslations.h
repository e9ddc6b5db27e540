#pragma once
// Qt's own texts (the print and file dialogs, the message boxes' buttons) in Japanese.

// Loads the distribution's Japanese catalogue of Qt into the running application, once.
// False when the catalogue is not installed; Qt's texts then stay English.
bool InstallQtTranslations();
