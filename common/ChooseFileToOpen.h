#pragma once
// The file-open dialog.

#include <QString>
#include <string>

class QWidget;

// Lets the user choose an existing file. The filter is written "description|pattern|", as in
// "mwd files|*.mwd|". Returns 1 and the chosen path, or 0 on cancel with `path` untouched.
// The dialog starts in `initialFolder` when no usable initial file name is given.
int ChooseFileToOpen(QWidget* parent, const QString& defaultExtension, const QString& filter, std::string& path,
                     const QString& initialFileName = {}, int* filterIndex = nullptr,
                     const QString& initialFolder = {});

// "mwd files|*.mwd|" becomes the dialog's "mwd files (*.mwd)".
QStringList FileDialogFilters(const QString& filter);
