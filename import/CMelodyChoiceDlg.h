#pragma once
// The small dialog that lets the user choose one melody of a score file (a part, a tune or a
// track); its title says which.

#include "import/Melody.h"

#include <QDialog>
#include <string>
#include <vector>

class QListWidget;

namespace ChoiceControl {
constexpr int kOk = 1, kCancel = 2, kList = 1100;
} // namespace ChoiceControl

class CMelodyChoiceDlg : public QDialog {
    Q_OBJECT
public:
    CMelodyChoiceDlg(const QString& title, const std::vector<MelodyChoice>& choices, QWidget* parent = nullptr);

    // The number of the chosen melody, or kChoiceCancelled when none is selected.
    int Chosen() const;

    // Runs the dialog: the chosen number (an ABC tune may be numbered 0), or kChoiceCancelled
    // when the user cancels.
    static int Ask(const std::string& titleUtf8, const std::vector<MelodyChoice>& choices);

private:
    std::vector<MelodyChoice> choices;
    QListWidget* list = nullptr;
};
