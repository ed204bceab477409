// The file-size condition's dialog "Properties of this Condition": "greater
// than" and "less than" (each a check box with its KB value), the and/or
// choice, "Negotiate the whole condition" and the live description.
// Written into the condition on "&OK".
#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QRadioButton;
class QSpinBox;

namespace vorlin {
class TFileSizeCondition;
}

namespace vorlin::app {

class TFileSizeConditionForm : public QDialog {
public:
    explicit TFileSizeConditionForm(TFileSizeCondition& condition, QWidget* parent = nullptr);

    // The settings of the controls into a condition.
    void StoreInto(TFileSizeCondition& condition) const;
    void accept() override;

private:
    void Update();

    TFileSizeCondition& FCondition;
    QCheckBox* FGreater;
    QSpinBox* FMinSize;
    QCheckBox* FLess;
    QSpinBox* FMaxSize;
    QRadioButton* FAll;
    QRadioButton* FAny;
    QCheckBox* FNegate;
    QLabel* FDescription;
};

} // namespace vorlin::app
