#include "import/CMelodyChoiceDlg.h"

#include "common/QtText.h"
#include "import/ScoreImport.h"
#include "controls/DialogUnits.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QPushButton>

CMelodyChoiceDlg::CMelodyChoiceDlg(const QString& title, const std::vector<MelodyChoice>& choices, QWidget* parent)
    : QDialog(parent), choices(choices)
{
    setObjectName(QStringLiteral("MelodyChoice"));
    setWindowTitle(title);
    setFont(DialogFont());
    setFixedSize(DluToPixels(180), DluToPixels(120));

    list = new QListWidget(this);
    list->setObjectName(QString::number(ChoiceControl::kList));
    list->setGeometry(DluRect(7, 7, 166, 86));
    for (const MelodyChoice& c : choices)
        list->addItem(QString::fromStdString(c.name));
    list->setCurrentRow(0); // opens on the first
    connect(list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QString::number(ChoiceControl::kOk));
    ok->setDefault(true);
    ok->setGeometry(DluRect(66, 99, 50, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = new QPushButton(tr("キャンセル"), this);
    cancel->setObjectName(QString::number(ChoiceControl::kCancel));
    cancel->setGeometry(DluRect(123, 99, 50, 14));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

int CMelodyChoiceDlg::Chosen() const
{
    const int row = list->currentRow();
    return row >= 0 && row < static_cast<int>(choices.size()) ? choices[static_cast<size_t>(row)].number
                                                               : kChoiceCancelled;
}

int CMelodyChoiceDlg::Ask(const std::string& titleUtf8, const std::vector<MelodyChoice>& choices)
{
    CMelodyChoiceDlg dialog(QCoreApplication::translate("ScoreImport", titleUtf8.c_str()), choices);
    return dialog.exec() == QDialog::Accepted ? dialog.Chosen() : kChoiceCancelled;
}
