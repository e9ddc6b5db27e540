#include "common/ChooseFileToOpen.h"

#include "common/FileServices.h"
#include "common/JapaneseFileDates.h"

#include <QFileDialog>

QStringList FileDialogFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        filters << QStringLiteral("%1 (%2)").arg(parts[i], QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')));
    return filters;
}

int ChooseFileToOpen(QWidget* parent, const QString& defaultExtension, const QString& filter, std::string& path,
                     const QString& initialFileName, int* filterIndex, const QString& initialFolder)
{
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("ChooseFileToOpen"));
    ShowJapaneseFileDates(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile); // the chosen file must exist
    dialog.setDefaultSuffix(defaultExtension);
    const QStringList filters = FileDialogFilters(filter);
    dialog.setNameFilters(filters);
    const bool usableName = !initialFileName.isEmpty() && CanOpenFile(initialFileName.toStdString());
    if (usableName)
        dialog.selectFile(initialFileName);
    else if (!initialFolder.isEmpty())
        dialog.setDirectory(initialFolder);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return 0;
    // A path past the buffer limit is refused later, by the reader's failed open.
    path = dialog.selectedFiles().first().toStdString();
    if (filterIndex)
        *filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    return 1;
}
