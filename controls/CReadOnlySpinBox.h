#pragma once
// A read-only edit with its up-down control: the value changes only through the arrows or
// the arrow keys, one step at a time, without wrapping.

#include <QSpinBox>

class CReadOnlySpinBox : public QSpinBox {
    Q_OBJECT
public:
    // The edit keeps `editId` as its name, the spin box `spinId`.
    CReadOnlySpinBox(QWidget* parent, int editId, int spinId, bool upLowers = false);

    QLineEdit* Edit() const { return lineEdit(); }
    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;

private:
    bool upLowers;
};
