#include "common/JapaneseFileDates.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QTreeView>

namespace {

constexpr int kDateColumn = 3; // QFileSystemModel's "Date Modified"

class JapaneseDates : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || index.column() != kDateColumn || !files)
            return QIdentityProxyModel::data(index, role);
        const QDateTime modified = files->lastModified(mapToSource(index));
        return modified.isValid() ? QLocale(QLocale::Japanese, QLocale::Japan).toString(modified, QLocale::ShortFormat)
                                  : QString();
    }
};

} // namespace

void ShowJapaneseFileDates(QFileDialog& dialog)
{
    dialog.setProxyModel(new JapaneseDates(&dialog));
    // The detail view's columns take the width their texts need; the name takes the rest.
    if (auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = details->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int column = 1; column <= kDateColumn; ++column)
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
}
