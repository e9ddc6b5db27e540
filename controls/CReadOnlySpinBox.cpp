#include "controls/CReadOnlySpinBox.h"

#include <QLineEdit>

CReadOnlySpinBox::CReadOnlySpinBox(QWidget* parent, int editId, int spinId, bool upLowers)
    : QSpinBox(parent), upLowers(upLowers)
{
    setObjectName(QString::number(spinId));
    lineEdit()->setObjectName(QString::number(editId));
    lineEdit()->setReadOnly(true);
    setWrapping(false);
    setGroupSeparatorShown(false);
    setAccelerated(false);
    setKeyboardTracking(false);
}

void CReadOnlySpinBox::stepBy(int steps)
{
    QSpinBox::stepBy(upLowers ? -steps : steps);
}

QAbstractSpinBox::StepEnabled CReadOnlySpinBox::stepEnabled() const
{
    const StepEnabled normal = QSpinBox::stepEnabled();
    if (!upLowers)
        return normal;
    // The arrows are swapped, so are the limits they may still move towards.
    StepEnabled swapped;
    if (normal & StepUpEnabled)
        swapped |= StepDownEnabled;
    if (normal & StepDownEnabled)
        swapped |= StepUpEnabled;
    return swapped;
}
